#include "app/PlayingDataFile.h"

#include "platform/core/ByteFile.h"
#include "platform/core/FileErrors.h"
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

QByteArray playingDataText(const std::optional<QByteArray> &playing, qint64 maxBytes)
{
    if (!playing || !isExistingFile(*playing))
        return {};
    const std::optional<QByteArray> data = readFileStart(*playing, maxBytes);
    if (!data)
        throw EFOpenError(*playing);
    return *data;
}

} // namespace tunelet
