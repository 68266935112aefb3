#pragma once

#include "playback/PlayerWindow.h"

#include <QString>

#include <optional>

namespace tunelet
{

// What a look at the player means for the main window.
struct ProgressView {
    // The player's window is there, whether or not it answered.
    bool windowFound = false;
    // Label1's new text ("nn:ss/" + the player's total + " "); nothing when
    // the player's title shows no total, and Label1 keeps its text.
    std::optional<QString> label;
    // The player's status text for status panel 2; empty without a player.
    QString status;
    // The seek position stands at its maximum: the song has ended.
    bool ended = false;
    // The song could be played: its seek position stands below its maximum
    // (under way), or at it with the player's status saying the song ended. A
    // song the player cannot play stands at the end with its error instead. A
    // short song may end before the poll first sees it under way.
    bool played = false;
    // The same times for the desktop, in microseconds: the total as the
    // title shows it (0 without one) and the elapsed part of it (not cut to
    // whole seconds).
    qint64 totalUs = 0;
    qint64 elapsedUs = 0;
    // The player's status text says it pauses.
    bool paused = false;
};

// Elapsed seconds as two-digit minutes within the hour, ":", two-digit seconds.
QString elapsedText(qint64 seconds);

// A text as a decimal integer (optional sign, digits only); 0 when it is not one.
qint64 decimalOrZero(const QString &text);

// Turns a reading into the view: elapsed time = total × position ÷ maximum
// (truncated; 0 for a total of 0), with a maximum below 1, or no seek bar,
// counted as −1 so that such a bar never means the end.
ProgressView progressView(const ProgressReading &reading);

// The poll: reads the player's window and tells what it shows. It keeps no
// state; every poll starts from the window as it finds it.
class ProgressPoll final
{
public:
    explicit ProgressPoll(PlayerWindow &player) : m_player(player) {}
    Q_DISABLE_COPY_MOVE(ProgressPoll)

    ProgressView poll() { return progressView(m_player.readProgress()); }

private:
    PlayerWindow &m_player;
};

} // namespace tunelet
