#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Paths are byte strings, kept exactly as the user or a list file gave them.
// '/' is the only separator.
namespace tunelet
{

// The part after the last '/' (the whole path when it has none).
QByteArray fileNamePart(QByteArrayView path);

// The part up to and including the last '/' (empty when there is none).
QByteArray folderPart(QByteArrayView path);

// The text from the last '.' of the file-name part, dot included, lower-cased;
// empty when the file-name part has no dot. Lower-casing is ASCII only: the
// bytes may be Shift-JIS, whose trail bytes must never be changed, and the
// only extensions that decide anything are ASCII.
QByteArray lowerExtension(QByteArrayView path);

// The path with the extension of its file-name part (from its last '.')
// replaced by newExtension (which carries its own dot); appended when the
// file-name part has no dot.
QByteArray replaceExtension(QByteArrayView path, QByteArrayView newExtension);

// ASCII-only lower-casing of a byte string.
QByteArray asciiLower(QByteArrayView bytes);

} // namespace tunelet
