#include "platform/core/IniFile.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/core/IniDocument.h"

#include <cerrno>

namespace tunelet
{

namespace
{
IniDocument load(const QByteArray &path, bool *readable, QString *error)
{
    const std::optional<QByteArray> text = readWholeFile(path, error);
    *readable = text.has_value() || pathKind(path) == PathKind::Missing;
    return IniDocument::parse(text.value_or(QByteArray()));
}
} // namespace

IniFile::IniFile(QByteArray path) : m_path(std::move(path)) {}

QByteArray IniFile::readString(QByteArrayView section, QByteArrayView key,
                               const QByteArray &defaultValue) const
{
    bool readable = true;
    QString ignored;
    const std::optional<QByteArray> value = load(m_path, &readable, &ignored).value(section, key);
    if (!value)
        return defaultValue;
    return value->left(MaxStringLength);
}

int IniFile::readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const
{
    bool readable = true;
    QString ignored;
    const std::optional<QByteArray> value = load(m_path, &readable, &ignored).value(section, key);
    if (!value)
        return defaultValue;
    return parseProfileInteger(value->left(MaxStringLength)).value_or(defaultValue);
}

bool IniFile::readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    return writeStrings({{section.toByteArray(), key.toByteArray(), value.toByteArray()}});
}

bool IniFile::writeStrings(const QList<IniEntry> &entries)
{
    bool readable = true;
    QString error;
    IniDocument doc = load(m_path, &readable, &error);
    if (!readable) {
        // Rewriting a file we could not read would lose its other keys.
        m_error = error;
        return false;
    }
    for (const IniEntry &entry : entries)
        doc.setValue(entry.section, entry.key, entry.value);
    if (!writeFileAtomically(m_path, doc.serialise(), &error)) {
        m_error = error;
        return false;
    }
    m_error.clear();
    return true;
}

bool IniFile::writeInteger(QByteArrayView section, QByteArrayView key, int value)
{
    return writeString(section, key, QByteArray::number(value));
}

bool IniFile::writeBool(QByteArrayView section, QByteArrayView key, bool value)
{
    return writeString(section, key, value ? "1" : "0");
}

} // namespace tunelet
