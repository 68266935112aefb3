#include "tray/TipText.h"

#include <QStringDecoder>

namespace
{

int Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    return 4;
}

// Lead bytes of the two-byte characters of code page 932.
bool IsShiftJisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

qsizetype CharLength(const QByteArray &bytes, qsizetype at, bool utf8)
{
    const auto byte = static_cast<unsigned char>(bytes.at(at));
    if (utf8)
        return Utf8SequenceLength(byte);
    return IsShiftJisLead(byte) ? 2 : 1;
}

} // namespace

bool IsValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QByteArray CutTipBytes(const QByteArray &bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    const bool utf8 = IsValidUtf8(bytes);
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype next = end + CharLength(bytes, end, utf8);
        if (next > maxBytes)
            break;
        end = next;
    }
    return bytes.left(end);
}

QString DecodeTipText(const QByteArray &bytes)
{
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QStringDecoder shiftJis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (!shiftJis.isValid())
        return QString::fromLatin1(bytes);
    return shiftJis.decode(bytes);
}
