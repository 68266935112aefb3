#include "platform/core/BytePath.h"

#include "platform/core/TextCodec.h"

namespace tunelet
{

namespace
{
qsizetype nameStart(QByteArrayView path)
{
    return path.lastIndexOf('/') + 1;
}

// Index of the last '.' within the file-name part, or -1.
qsizetype extensionStart(QByteArrayView path)
{
    const qsizetype start = nameStart(path);
    const qsizetype dot = path.lastIndexOf('.');
    return dot >= start ? dot : -1;
}
} // namespace

QByteArray fileNamePart(QByteArrayView path)
{
    return path.sliced(nameStart(path)).toByteArray();
}

QByteArray folderPart(QByteArrayView path)
{
    return path.first(nameStart(path)).toByteArray();
}

QByteArray asciiLower(QByteArrayView bytes)
{
    QByteArray out(bytes.data(), bytes.size());
    const bool shiftJis = !isValidUtf8(bytes);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (shiftJis && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) {
            ++i; // skip the trail byte
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            out[i] = char(c - 'A' + 'a');
    }
    return out;
}

QByteArray lowerExtension(QByteArrayView path)
{
    const qsizetype dot = extensionStart(path);
    return dot < 0 ? QByteArray() : asciiLower(path.sliced(dot));
}

QByteArray replaceExtension(QByteArrayView path, QByteArrayView newExtension)
{
    const qsizetype dot = extensionStart(path);
    QByteArray out = (dot < 0 ? path : path.first(dot)).toByteArray();
    out.append(newExtension);
    return out;
}

} // namespace tunelet
