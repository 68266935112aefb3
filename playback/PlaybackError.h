#pragma once

#include <QString>

#include <stdexcept>

namespace tunelet
{

// An error that ends the start of a song and the command that asked for it;
// the main window's error box shows it. what() is UTF-8.
class EPlaybackError final : public std::runtime_error
{
public:
    explicit EPlaybackError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

} // namespace tunelet
