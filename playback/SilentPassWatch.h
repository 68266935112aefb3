#pragma once

#include <QSet>
#include <QString>

namespace tunelet
{

// Notices a list in which nothing can be played. The player shows a song it
// cannot play (a missing file, bad data) as ended at once, and the end-of-song
// rule then starts the next one; with repeat on and no playable row that would
// start players without end. A song counts as played once the poll has seen
// it under way or ended as played (see ProgressView::played). The rows tried
// since the last song that played are noted, so that random play, which may
// draw the same unplayable rows many times before it reaches a playable one,
// is not stopped early.
class SilentPassWatch final
{
public:
    SilentPassWatch() = default;
    Q_DISABLE_COPY_MOVE(SilentPassWatch)

    // The song of that row has started: nothing of it has been seen playing yet.
    void songStarted(int row)
    {
        m_row = row;
        m_played = false;
    }
    // The poll sees the song under way, or ended after playing.
    void songPlayed() { m_played = true; }
    // The song has ended and the end-of-song rule would start another. True
    // when every row of a list of `count` rows has been tried, since the last
    // song that played, without one playing; the rows are then noted afresh.
    bool silentPassEnded(int count);
    // Playback was stopped: the next pass is counted afresh.
    void reset();

private:
    int m_row = -1;
    bool m_played = false;
    QSet<int> m_silentRows;
};

// Said when a whole pass played nothing.
QString noPlayableSongMessage();

} // namespace tunelet
