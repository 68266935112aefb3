#include "LzhLinks.h"

#include "FixtureWriters.h"

namespace faults
{

namespace
{

using fixtures::put16;
using fixtures::put32;

// 2024-01-02 03:04:06 as MS-DOS time and date.
constexpr quint16 DosTime = (3 << 11) | (4 << 5) | 3;
constexpr quint16 DosDate = ((2024 - 1980) << 9) | (1 << 5) | 2;

} // namespace

QByteArray lzhLevel1Member(const QByteArray &name, const QByteArray &data, quint16 mode)
{
    // The Unix permission extension: type 0x50, the mode, then the size of
    // the next extension (none).
    QByteArray extension;
    extension.append(char(0x50));
    put16(extension, mode);
    put16(extension, 0);

    QByteArray h; // from the method to the first extension's size
    h.append("-lh0-");
    put32(h, quint32(extension.size() + data.size())); // skip size: extensions and data
    put32(h, quint32(data.size()));
    put16(h, DosTime);
    put16(h, DosDate);
    h.append(char(0x20)); // attribute
    h.append(char(1));    // header level
    h.append(char(name.size()));
    h.append(name);
    put16(h, fixtures::crc16(data));
    h.append('U');
    put16(h, quint16(extension.size()));
    quint8 sum = 0;
    for (const char c : h)
        sum = quint8(sum + quint8(c));
    QByteArray out;
    out.append(char(h.size()));
    out.append(char(sum));
    out.append(h);
    out.append(extension);
    out.append(data);
    return out;
}

QByteArray lzhSymlink(const QByteArray &name, const QByteArray &target)
{
    return lzhLevel1Member(name + '|' + target, QByteArray(), 0120777);
}

} // namespace faults
