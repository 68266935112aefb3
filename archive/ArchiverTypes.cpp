#include "archive/ArchiverTypes.h"

#include "platform/core/TextCodec.h"

#include <cstring>

QByteArray entryFileName(const TArchiveEntryInfo &info)
{
    const char *name = info.fileName;
    const auto length = ::strnlen(name, ARC_ENTRY_NAME_SIZE - 1);
    return QByteArray(name, static_cast<qsizetype>(length));
}

namespace
{
// The message in UTF-8, the path decoded for display (a Shift-JIS name shows as itself).
std::string fileMessage(const char *pattern, const QByteArray &path)
{
    QByteArray text(pattern);
    text.replace("%s", tunelet::decodeText(path).toUtf8());
    return text.toStdString();
}
} // namespace

EFOpenError::EFOpenError(const QByteArray &path)
    : std::runtime_error(fileMessage("ﾌｧｲﾙ %s は開けません", path))
{
}

EFCreateError::EFCreateError(const QByteArray &path)
    : std::runtime_error(fileMessage("ﾌｧｲﾙ %s を作成できません", path))
{
}
