#pragma once

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

} // namespace tunelet
