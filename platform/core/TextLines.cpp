#include "platform/core/TextLines.h"

namespace tunelet
{

QList<TextLine> splitTextLines(QByteArrayView text)
{
    QList<TextLine> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype pos = start;
        while (pos < size && text[pos] != '\r' && text[pos] != '\n')
            ++pos;
        qsizetype endLength = 0;
        if (pos < size)
            endLength = (text[pos] == '\r' && pos + 1 < size && text[pos + 1] == '\n') ? 2 : 1;
        lines.append({text.sliced(start, pos - start), text.sliced(pos, endLength)});
        start = pos + endLength;
    }
    return lines;
}

} // namespace tunelet
