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
// empty when the file-name part has no dot. Lower-casing is asciiLower's: the
// only extensions that decide anything are ASCII, and the locale's rules for
// other letters would change bytes of Shift-JIS names.
QByteArray lowerExtension(QByteArrayView path);

// The path with the extension of its file-name part (from its last '.')
// replaced by newExtension (which carries its own dot); appended when the
// file-name part has no dot.
QByteArray replaceExtension(QByteArrayView path, QByteArrayView newExtension);

// Lower-cases the ASCII letters A-Z of a byte string. In text that is not
// valid UTF-8 (so Shift-JIS), the byte after a double-byte lead byte is part
// of that character and is never changed.
QByteArray asciiLower(QByteArrayView bytes);

} // namespace tunelet
