#include "playback/SilentPassWatch.h"

namespace tunelet
{

bool SilentPassWatch::silentPassEnded(int count)
{
    if (m_played) {
        m_silentEnds = 0;
        return false;
    }
    if (++m_silentEnds < count)
        return false;
    m_silentEnds = 0;
    return true;
}

void SilentPassWatch::reset()
{
    m_played = false;
    m_silentEnds = 0;
}

QString noPlayableSongMessage()
{
    return QStringLiteral("リストを一巡しましたが、再生できる曲がありませんでした。");
}

} // namespace tunelet
