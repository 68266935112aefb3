#pragma once
// The player's small extra windows: the tracks with their colours (*m), a beat counter
// (*f) and a scrolling view of the notes (*s, following playback with *a).

#include <QColor>
#include <QPointer>
#include <QWidget>

namespace sonaro
{

class Player;
struct LoadedSong;
struct Options;

// A track's colour, the same in every sub-window.
QColor trackColour(int track);

// Bar and beat (both from 1) at a tick, counting four quarter notes to the bar.
struct BeatCount {
    qint64 bar = 1;
    qint64 beat = 1;
};
BeatCount beatAt(qint64 tick, int timebase);

class SubWindows final
{
public:
    SubWindows(const LoadedSong &loaded, Player &player, const Options &options, QWidget *owner);
    void show();
    void close();

private:
    QList<QPointer<QWidget>> m_windows;
};

} // namespace sonaro
