#include "platform/core/FileErrors.h"

#include "platform/core/TextCodec.h"

namespace tunelet
{

QString fileOpenMessage(const QByteArray &path)
{
    return QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(decodeText(path));
}

QString fileCreateMessage(const QByteArray &path)
{
    return QStringLiteral("ﾌｧｲﾙ %1 を作成できません").arg(decodeText(path));
}

EInOutError::EInOutError(const QString &message) : std::runtime_error(message.toStdString()) {}

EFOpenError::EFOpenError(const QByteArray &path) : EInOutError(fileOpenMessage(path)) {}

EFCreateError::EFCreateError(const QByteArray &path) : EInOutError(fileCreateMessage(path)) {}

} // namespace tunelet
