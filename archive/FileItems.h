#pragma once

#include <QByteArray>
#include <QList>
#include <QVariant>
#include <type_traits>

class QObject;

using TStringList = QList<QByteArray>;

// One item of a command's file list. It yields file names: a string itself, a string list
// each line, a null-terminated array of C strings each string, a variant its text (an array
// variant each element's text). Numbers, characters, other objects and wide strings yield
// nothing.
class FileItem final
{
public:
    FileItem(const QByteArray &name) : m_kind(Kind::String), m_string(name) {}
    FileItem(const char *name) : m_kind(Kind::String), m_string(name) {}
    FileItem(const TStringList &lines) : m_kind(Kind::StringList), m_list(lines) {}
    FileItem(const char *const *names) : m_kind(Kind::CStrings), m_cstrings(names) {}
    FileItem(const QVariant &value) : m_kind(Kind::Variant), m_variant(value) {}
    FileItem(const QObject *) : m_kind(Kind::Nothing) {}
    FileItem(const char16_t *) : m_kind(Kind::Nothing) {}
    template <typename T>
    requires std::is_arithmetic_v<T> FileItem(T) : m_kind(Kind::Nothing) {}

    void appendNamesTo(TStringList &names) const;

private:
    enum class Kind { String, StringList, CStrings, Variant, Nothing };
    Kind m_kind;
    QByteArray m_string;
    TStringList m_list;
    const char *const *m_cstrings = nullptr;
    QVariant m_variant;
};

using FileItems = QList<FileItem>;

// Every file name of the items, in order.
TStringList fileNames(const FileItems &items);
