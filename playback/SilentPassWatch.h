#pragma once

#include <QString>

namespace tunelet
{

// Notices a list in which nothing can be played. The player shows a song it
// cannot play (a missing file, bad data) as ended at once, and the end-of-song
// rule then starts the next one; with repeat on and no playable row that would
// start players without end. A song counts as played once the poll has seen
// its position below the end.
class SilentPassWatch final
{
public:
    SilentPassWatch() = default;
    Q_DISABLE_COPY_MOVE(SilentPassWatch)

    // A song has started: nothing of it has been seen playing yet.
    void songStarted() { m_played = false; }
    // The poll sees the song under way.
    void songRunning() { m_played = true; }
    // The song has ended and the end-of-song rule would start another. True
    // when the songs that ended without playing, one after another, make a
    // whole pass over a list of `count` rows; the count then starts afresh.
    bool silentPassEnded(int count);
    // Playback was stopped: the next pass is counted afresh.
    void reset();

private:
    bool m_played = false;
    int m_silentEnds = 0;
};

// Said when a whole pass played nothing.
QString noPlayableSongMessage();

} // namespace tunelet
