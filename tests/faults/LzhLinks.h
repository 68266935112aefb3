#pragma once

#include <QByteArray>

// LZH members that carry a Unix file mode, for symbolic links: a level-1
// header with the Unix permission extension, the link written as
// "name|target" with no data, as Unix LHA archivers store links.
namespace faults
{

QByteArray lzhLevel1Member(const QByteArray &name, const QByteArray &data, quint16 mode);
QByteArray lzhSymlink(const QByteArray &name, const QByteArray &target);
// The byte that ends an LZH archive.
inline QByteArray lzhEnd()
{
    return QByteArray(1, '\0');
}

} // namespace faults
