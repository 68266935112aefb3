#include "archive/DoubleByteText.h"

#include <QUtf8StringView>

namespace doublebyte
{

bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

qsizetype charLength(const QByteArray &text, qsizetype i, bool shiftJis)
{
    if (shiftJis && isLeadByte(static_cast<unsigned char>(text.at(i))) && i + 1 < text.size())
        return 2;
    return 1;
}

bool readsAsShiftJis(const QByteArray &text)
{
    return !QUtf8StringView(text).isValidUtf8();
}

bool endsWithBackslash(const QByteArray &text)
{
    const bool shiftJis = readsAsShiftJis(text);
    qsizetype last = -1;
    for (qsizetype i = 0; i < text.size(); i += charLength(text, i, shiftJis))
        last = i;
    return last >= 0 && last == text.size() - 1 && text.at(last) == '\\';
}

} // namespace doublebyte
