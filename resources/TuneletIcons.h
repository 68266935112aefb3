#pragma once

#include <QIcon>
#include <QString>

namespace tunelet
{

// The program's own icon at the sizes windows and trays show (16 to 64 pixels),
// each decoded only when it is first drawn.
QIcon programIcon();

// The picture of a playlist row's kind: 0 data file, 1 MIDI file, 2 LZH
// archive; an unknown kind gets an empty icon. Each call reads the picture:
// keep the icons for repeated use.
QIcon kindIcon(int kind);

// A tool button's picture by its drawing name ("open", "play", ...).
QIcon buttonIcon(const QString &name);

} // namespace tunelet
