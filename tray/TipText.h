#pragma once

// Tips are byte strings: titles taken byte for byte from song files, which
// are UTF-8 or Shift-JIS. The tray keeps the bytes; these helpers cut them
// without splitting a character and decode them for display.

#include <QByteArray>
#include <QString>

inline constexpr qsizetype MaxTipBytes = 62;

// True when the bytes are valid UTF-8 (then they are read as UTF-8,
// otherwise as Shift-JIS).
bool IsValidUtf8(const QByteArray &bytes);

// The longest prefix of at most maxBytes bytes that ends on a character
// boundary of the text's encoding.
QByteArray CutTipBytes(const QByteArray &bytes, qsizetype maxBytes = MaxTipBytes);

// The text for display: UTF-8 when valid, otherwise Shift-JIS.
QString DecodeTipText(const QByteArray &bytes);
