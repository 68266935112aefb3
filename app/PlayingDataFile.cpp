#include "app/PlayingDataFile.h"

#include "platform/core/TextCodec.h"

namespace tunelet
{

std::optional<QByteArray> playingDataFile(const QString &caption, const QByteArray &playingPath)
{
    const qsizetype mark = caption.indexOf(QStringLiteral("> "));
    if (mark < 0)
        return std::nullopt;
    const QString shown = caption.mid(mark + 2);
    if (!playingPath.isEmpty() && decodeText(playingPath) == shown)
        return playingPath;
    return encodeText(shown);
}

} // namespace tunelet
