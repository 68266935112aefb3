#include "bytepath.h"

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
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
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
