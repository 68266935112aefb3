#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tunelet
{

// Paths go into parameter strings as text and must come out as the same
// bytes, also when they are no valid UTF-8 (a Shift-JIS file name, say).
// argumentText decodes the valid UTF-8 in bytes as such and keeps every other
// byte b as the lone surrogate U+DC00 + b, which no decoded text holds;
// argumentBytes turns such text back into exactly those bytes.
QString argumentText(QByteArrayView bytes);
QByteArray argumentBytes(QStringView text);

} // namespace tunelet
