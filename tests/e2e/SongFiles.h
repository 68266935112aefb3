#pragma once

#include <QByteArray>
#include <QString>

// Small song files written by the end-to-end tests themselves.
namespace SongFiles {

// A song data file of about `seconds` seconds with the given title.
QByteArray snr(const QByteArray &title, int seconds);

// A Standard MIDI File (format 0, 96 ticks per quarter, 120 bpm) playing
// one note per half second for about `seconds` seconds.
QByteArray midi(int seconds);

bool write(const QString &path, const QByteArray &bytes);

} // namespace SongFiles
