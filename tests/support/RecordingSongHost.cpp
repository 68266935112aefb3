#include "tests/support/RecordingSongHost.h"

#include "playback/PlaybackError.h"

namespace tunelet::testkit
{

std::optional<QByteArray> RecordingSongHost::extractLzhData(const QByteArray &archivePath)
{
    m_calls << QStringLiteral("lzh ") + QString::fromUtf8(archivePath);
    return m_extractor ? m_extractor(archivePath) : std::nullopt;
}

void RecordingSongHost::loadDataView(const QByteArray &path)
{
    m_calls << QStringLiteral("view ") + QString::fromUtf8(path);
    if (m_failDataView)
        throw tunelet::EPlaybackError(
            QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(QString::fromUtf8(path)));
}

} // namespace tunelet::testkit
