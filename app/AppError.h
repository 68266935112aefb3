#pragma once

#include "platform/core/TextCodec.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace tunelet
{

// An error that ends the command that raised it; the main window's error box
// shows its text. what() is UTF-8.
class EAppError : public std::runtime_error
{
public:
    explicit EAppError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// A file that could not be opened or created.
class EInOutError final : public EAppError
{
public:
    using EAppError::EAppError;
};

// The framework's error for a file that cannot be opened: "ﾌｧｲﾙ %s は開けません".
inline EInOutError fileOpenError(const QByteArray &path)
{
    return EInOutError(QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(decodeText(path)));
}

} // namespace tunelet
