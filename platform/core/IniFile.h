#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace tunelet
{

// One key to write, its value already in the file's text form.
struct IniEntry {
    QByteArray section;
    QByteArray key;
    QByteArray value;
};

// A settings file in the private-profile (INI) format. The file is never held
// open: every read opens, reads and closes it, and every write reads it,
// changes the key(s) and replaces the file atomically (a crash mid-write
// leaves the old file). A missing file reads as empty; the first write
// creates it.
class IniFile final
{
public:
    explicit IniFile(QByteArray path);

    const QByteArray &fileName() const { return m_path; }

    // The value after '=' (see IniDocument::value), cut to 1023 bytes; the
    // default only when the key is missing (a present empty value is empty).
    QByteArray readString(QByteArrayView section, QByteArrayView key,
                          const QByteArray &defaultValue) const;
    // Decimal, "0x"/"0X"/"$" hexadecimal, optionally negative; the default for
    // a missing, empty or non-numeric value.
    int readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const;
    // An integer read with default 1 or 0; any non-zero number is on.
    bool readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const;

    // Each returns false when the file could not be written; errorString()
    // then tells why, and the file on disk is unchanged.
    bool writeString(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    bool writeInteger(QByteArrayView section, QByteArrayView key, int value);
    bool writeBool(QByteArrayView section, QByteArrayView key, bool value);
    // Several keys in one replacement of the file, in the order given: the
    // file ends as the same writes one by one would leave it, but either all
    // of them are written or none is. Saves one synced rewrite per key when a
    // whole set of settings is stored at once.
    bool writeStrings(const QList<IniEntry> &entries);

    // The system's reason for the last failed write (or unreadable file).
    QString errorString() const { return m_error; }

    static constexpr qsizetype MaxStringLength = 1023;

private:
    QByteArray m_path;
    QString m_error;
};

} // namespace tunelet
