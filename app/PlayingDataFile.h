#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tunelet
{

// The data file handed to the player, as the window's caption names it after
// its first "> "; nothing while the caption holds no "> " (idle, or a
// progress text). The caption shows the path decoded: when that is the file
// the last start handed to the player, playingPath, its exact bytes are
// returned, otherwise the caption's text encoded.
std::optional<QByteArray> playingDataFile(const QString &caption, const QByteArray &playingPath);

// The first maxBytes of the playing data file, as the data viewer shows it:
// empty when there is no playing data file or it no longer exists. One that
// exists but cannot be read throws EFOpenError.
QByteArray playingDataText(const std::optional<QByteArray> &playing, qint64 maxBytes);

} // namespace tunelet
