#include "SongFiles.h"

#include <QFile>

namespace SongFiles {

QByteArray snr(const QByteArray &title, int seconds)
{
    // At 120 bpm a quarter note lasts half a second.
    QByteArray notes;
    for (int i = 0; i < seconds * 2; ++i)
        notes += "cdefgab"[i % 7];
    return "*HEAD\"" + title + "\"\r\n*TEMPO 120\r\nA: @1 o4 l4 " + notes + "\r\n";
}

namespace {

void appendVarLen(QByteArray &out, quint32 value)
{
    QByteArray bytes(1, char(value & 0x7F));
    while (value >>= 7)
        bytes.prepend(char((value & 0x7F) | 0x80));
    out += bytes;
}

void appendBE(QByteArray &out, quint32 value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

} // namespace

QByteArray midi(int seconds)
{
    QByteArray track;
    // Tempo 500000 us per quarter = 120 bpm.
    appendVarLen(track, 0);
    track += QByteArray("\xFF\x51\x03\x07\xA1\x20", 6);
    for (int i = 0; i < seconds * 2; ++i) {
        appendVarLen(track, 0);
        track += char(0x90);
        track += char(60 + i % 12);
        track += char(100);
        appendVarLen(track, 96);
        track += char(0x80);
        track += char(60 + i % 12);
        track += char(0);
    }
    appendVarLen(track, 0);
    track += QByteArray("\xFF\x2F\x00", 3);

    QByteArray file("MThd", 4);
    appendBE(file, 6, 4);
    appendBE(file, 0, 2);
    appendBE(file, 1, 2);
    appendBE(file, 96, 2);
    file += QByteArray("MTrk", 4);
    appendBE(file, quint32(track.size()), 4);
    return file + track;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace SongFiles
