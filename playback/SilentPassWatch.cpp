#include "playback/SilentPassWatch.h"

namespace tunelet
{

bool SilentPassWatch::silentPassEnded(int count)
{
    if (m_played) {
        m_silentRows.clear();
        return false;
    }
    m_silentRows.insert(m_row);
    // Rows removed since they were tried no longer count.
    int tried = 0;
    for (const int row : std::as_const(m_silentRows))
        tried += row >= 0 && row < count ? 1 : 0;
    if (tried < count)
        return false;
    m_silentRows.clear();
    return true;
}

void SilentPassWatch::reset()
{
    m_played = false;
    m_silentRows.clear();
}

QString noPlayableSongMessage()
{
    return QStringLiteral("リストを一巡しましたが、再生できる曲がありませんでした。");
}

} // namespace tunelet
