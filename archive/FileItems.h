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
    FileItem(const QByteArray &name) : kind_(Kind::String), string_(name) {}
    FileItem(const char *name) : kind_(Kind::String), string_(name) {}
    FileItem(const TStringList &lines) : kind_(Kind::StringList), list_(lines) {}
    FileItem(const char *const *names) : kind_(Kind::CStrings), cstrings_(names) {}
    FileItem(const QVariant &value) : kind_(Kind::Variant), variant_(value) {}
    FileItem(const QObject *) : kind_(Kind::Nothing) {}
    FileItem(const char16_t *) : kind_(Kind::Nothing) {}
    template <typename T>
    requires std::is_arithmetic_v<T> FileItem(T) : kind_(Kind::Nothing) {}

    void appendNamesTo(TStringList &names) const;

private:
    enum class Kind { String, StringList, CStrings, Variant, Nothing };
    Kind kind_;
    QByteArray string_;
    TStringList list_;
    const char *const *cstrings_ = nullptr;
    QVariant variant_;
};

using FileItems = QList<FileItem>;

// Every file name of the items, in order.
TStringList fileNames(const FileItems &items);
