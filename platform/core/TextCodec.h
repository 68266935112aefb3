#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Titles, paths and list lines are kept as bytes. These turn them into text
// for display and back.
namespace tunelet
{

// True when the bytes are well-formed UTF-8 (pure ASCII included).
bool isValidUtf8(QByteArrayView bytes);

// Valid UTF-8 decodes as UTF-8; anything else as CP932 (Shift-JIS).
QString decodeText(QByteArrayView bytes);

// As decodeText; *lossy is set when some bytes could not be decoded in either
// encoding (the text then holds replacement characters).
QString decodeText(QByteArrayView bytes, bool *lossy);

// A text typed or chosen by the user (dialog file names, edited paths) as the
// bytes the file system uses: the local 8-bit encoding, UTF-8 on Linux.
QByteArray encodeText(const QString &text);

// Bytes of a path as a QString for Qt's file classes (the inverse of
// encodeText for valid UTF-8; use the byte paths with the bytefile helpers
// when bytes must survive unchanged).
QString pathToQString(QByteArrayView path);

} // namespace tunelet
