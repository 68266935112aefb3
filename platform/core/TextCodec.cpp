#include "platform/core/TextCodec.h"

#include <QFile>
#include <QStringDecoder>

namespace tunelet
{

namespace
{
bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

QStringDecoder &shiftJisDecoder()
{
    // Stateless so one decoder serves every call on this thread.
    thread_local QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
    return decoder;
}
} // namespace

bool isValidUtf8(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return true;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(bytes); // decoding is lazy until converted
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

QString decodeText(QByteArrayView bytes, bool *lossy)
{
    if (lossy)
        *lossy = false;
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder &sjis = shiftJisDecoder();
    if (!sjis.isValid()) {
        if (lossy)
            *lossy = true;
        return text;
    }
    sjis.resetState();
    text = sjis.decode(bytes);
    if (lossy)
        *lossy = sjis.hasError() || text.contains(QChar::ReplacementCharacter);
    return text;
}

QString decodeText(QByteArrayView bytes)
{
    return decodeText(bytes, nullptr);
}

QByteArray encodeText(const QString &text)
{
    return QFile::encodeName(text);
}

QString pathToQString(QByteArrayView path)
{
    return QFile::decodeName(path.toByteArray());
}

} // namespace tunelet
