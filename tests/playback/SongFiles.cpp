#include "SongFiles.h"

namespace songfiles
{

QByteArray twoSecondSong(const QByteArray &title)
{
    return "*HEAD\"" + title + "\"\r\n*TEMPO 120\r\nA: @3 v100 o4 l4 c d e f\r\n";
}

QByteArray twoSecondMidi()
{
    QByteArray track;
    track += QByteArray::fromHex("00FF510307A120"); // 500000 µs per quarter
    for (const char key : {'\x3C', '\x3E', '\x40', '\x41'}) {
        track += QByteArray::fromHex("0090") + key + '\x64';
        track += QByteArray::fromHex("6080") + key + '\x40'; // 96 ticks later
    }
    track += QByteArray::fromHex("00FF2F00");

    QByteArray file = QByteArray::fromHex("4D546864000000060000000100604D54726B");
    const quint32 size = quint32(track.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        file += char((size >> shift) & 0xFF);
    return file + track;
}

} // namespace songfiles
