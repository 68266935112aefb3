#include "tests/support/SongFiles.h"

#include "tests/support/SmfWriter.h"

#include <QByteArrayList>

namespace tunelet::testkit
{

QByteArray songData(const QByteArray &title, int seconds)
{
    const QByteArray head = title.isEmpty() ? QByteArray() : "*HEAD\"" + title + "\"\r\n";
    // At 120 bpm a quarter note lasts half a second.
    QByteArrayList notes;
    for (int i = 0; i < seconds * 2; ++i)
        notes << QByteArray(1, "cdefgab"[i % 7]);
    return head + "*TEMPO 120\r\nA: @3 v100 o4 l4 " + notes.join(' ') + "\r\n";
}

QByteArray longSong(const QByteArray &title)
{
    // 60 bpm: a whole-note rest lasts four seconds.
    return "*HEAD\"" + title + "\"\r\n*TEMPO 60\r\nA: @3 v100 o4 [r1]22 c4\r\n";
}

QByteArray midiData(int seconds)
{
    constexpr int ticksPerQuarter = 96;
    smf::Track track;
    track.tempo(0, 500000); // 120 bpm
    for (int i = 0; i < seconds * 2; ++i) {
        const int key = 60 + i % 12;
        track.noteOn(0, 0, key, 100).noteOff(ticksPerQuarter, 0, key);
    }
    track.end();
    const std::string bytes = smf::file(0, ticksPerQuarter, {track});
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace tunelet::testkit
