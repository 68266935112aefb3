#include "platform/process/ArgumentText.h"

namespace tunelet
{

namespace
{

// The length of the well-formed UTF-8 sequence at bytes[i], or 0.
qsizetype sequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return quint8(bytes[k]); };
    const quint8 lead = at(i);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    quint8 low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > bytes.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    }
    return length;
}

constexpr char16_t EscapeBase = 0xDC00;

} // namespace

QString argumentText(QByteArrayView bytes)
{
    QString text;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = sequenceLength(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.sliced(runStart, i - runStart));
        text += QChar(char16_t(EscapeBase + quint8(bytes[i])));
        runStart = ++i;
    }
    text += QString::fromUtf8(bytes.sliced(runStart));
    return text;
}

QByteArray argumentBytes(QStringView text)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        // A low surrogate standing alone (no high surrogate before it).
        const bool escaped = unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF &&
                             (i == 0 || !text[i - 1].isHighSurrogate());
        if (!escaped)
            continue;
        bytes += text.sliced(runStart, i - runStart).toUtf8();
        bytes += char(unit - EscapeBase);
        runStart = i + 1;
    }
    bytes += text.sliced(runStart).toUtf8();
    return bytes;
}

} // namespace tunelet
