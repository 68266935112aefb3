#pragma once

#include <QByteArray>

// Short songs written by the tests themselves.
namespace songfiles
{

// Song data of four quarter notes at 120 bpm: two seconds.
QByteArray twoSecondSong(const QByteArray &title);

// A Standard MIDI File (format 0, 96 ticks per quarter, 120 bpm) of four
// quarter notes: two seconds.
QByteArray twoSecondMidi();

} // namespace songfiles
