#pragma once

#include <QByteArray>

namespace tunelet
{

// The title of a song data file: the text after the first `*HEAD"` (or, when a
// line has none, `*HEAD "`) of the first line holding either marker, up to the
// next double quote or the end of that line. Lines end at CR (an LF right after
// it belongs to the line end; a lone LF is an ordinary byte); 0x1A or the end
// of the file ends the text. Bytes are kept as they are, nothing is trimmed.
// Empty when no line matches; the file name of the path when the file cannot
// be opened or read. The file is read in chunks only up to the title, so huge
// files and huge lines cost no memory; a title longer than MaxTitleLength
// bytes is cut there. Only the first MaxTitleScan bytes are read, as the player
// reads no more of a song: a huge or sparse file, or one that keeps growing,
// costs no more time than that, and its text ends there. Only regular files
// are read; a FIFO or a device never blocks.
QByteArray ReadTitle(const QByteArray &path);

class SequentialFile;
// The same for a file already opened from path (the path only names it in the
// result when reading fails), so a caller that opened it to learn that it exists
// looks the path up once.
QByteArray ReadTitle(SequentialFile &file, const QByteArray &path);

inline constexpr qsizetype MaxTitleLength = 64 * 1024;
inline constexpr qint64 MaxTitleScan = 16 * 1024 * 1024;

} // namespace tunelet
