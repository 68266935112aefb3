#pragma once

#include <QByteArray>

// Song files written by the tests themselves.
namespace tunelet::testkit
{

// A song data file of `seconds` seconds of quarter notes at 120 bpm, its title in a
// "*HEAD" line (none when the title is empty).
QByteArray songData(const QByteArray &title, int seconds = 2);

// Song data that plays for about a minute and a half, mostly rests: long enough
// to be killed, stopped and continued in the middle.
QByteArray longSong(const QByteArray &title);

// A Standard MIDI File (format 0, 96 ticks per quarter, 120 bpm) playing one
// quarter note per half second for `seconds` seconds.
QByteArray midiData(int seconds = 2);

} // namespace tunelet::testkit
