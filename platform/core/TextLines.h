#pragma once

#include <QByteArrayView>
#include <QList>

namespace tunelet
{

// One line of a text file and the line end that follows it: "\r\n", "\r", "\n",
// or nothing for a last line without one.
struct TextLine {
    QByteArrayView text;
    QByteArrayView end;
};

// Splits a text at CR LF, CR alone and LF alone, as the files of the older
// system may hold any of them. An empty text has no lines; a line end at the
// very end does not start another line. The views point into text.
QList<TextLine> splitTextLines(QByteArrayView text);

} // namespace tunelet
