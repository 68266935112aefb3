#include "tests/support/ArchiveWriters.h"

#include <QtEndian>

namespace tunelet::testkit::archives
{
void put16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

void put32(QByteArray &b, quint32 v)
{
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}

namespace
{

quint32 sizeField(const Member &m)
{
    return m.claimedSize >= 0 ? quint32(m.claimedSize) : quint32(m.data.size());
}

// 2024-01-02 03:04:06 as MS-DOS time and date.
constexpr quint16 kDosTime = (3 << 11) | (4 << 5) | 3;
constexpr quint16 kDosDate = ((2024 - 1980) << 9) | (1 << 5) | 2;

void octal(QByteArray &header, int offset, int width, qint64 value)
{
    const QByteArray digits = QByteArray::number(value, 8).rightJustified(width - 1, '0');
    header.replace(offset, width - 1, digits.right(width - 1));
}

} // namespace

quint16 crc16(const QByteArray &data)
{
    quint16 crc = 0;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

QByteArray lzhLevel0(const QList<Member> &members)
{
    QByteArray out;
    for (const Member &m : members) {
        QByteArray h;
        h.append("-lh0-");
        put32(h, sizeField(m)); // packed size
        put32(h, sizeField(m)); // original size
        put16(h, kDosTime);
        put16(h, kDosDate);
        h.append(char(0x20)); // attribute
        h.append(char(0));    // header level
        h.append(char(m.name.size()));
        h.append(m.name);
        put16(h, crc16(m.data));
        quint8 sum = 0;
        for (const char ch : h)
            sum = quint8(sum + quint8(ch));
        out.append(char(h.size()));
        out.append(char(sum));
        out.append(h);
        out.append(m.data);
    }
    out.append(char(0));
    return out;
}

QByteArray tar(const QList<Member> &members)
{
    QByteArray out;
    for (const Member &m : members) {
        QByteArray h(512, '\0');
        h.replace(0, qMin<qsizetype>(m.name.size(), 100), m.name.left(100));
        octal(h, 100, 8, m.type == '5' ? 0755 : 0644);
        octal(h, 108, 8, 0);
        octal(h, 116, 8, 0);
        const qint64 size =
            m.claimedSize >= 0 ? m.claimedSize : (m.type == '0' ? m.data.size() : 0);
        octal(h, 124, 12, size);
        octal(h, 136, 12, 1700000000);
        h[156] = m.type;
        h.replace(157, qMin<qsizetype>(m.link.size(), 100), m.link.left(100));
        h.replace(257, 6, QByteArray("ustar\0", 6));
        h.replace(263, 2, "00");
        h.replace(148, 8, QByteArray(8, ' '));
        unsigned sum = 0;
        for (const char ch : h)
            sum += quint8(ch);
        octal(h, 148, 7, sum);
        h[155] = ' ';
        out.append(h);
        if (m.type == '0') {
            out.append(m.data);
            out.append(QByteArray((512 - m.data.size() % 512) % 512, '\0'));
        }
    }
    out.append(QByteArray(1024, '\0'));
    return out;
}

QByteArray cab(const QList<Member> &members)
{
    QByteArray files;
    QByteArray data;
    for (const Member &m : members) {
        put32(files, sizeField(m));
        put32(files, quint32(data.size())); // offset in the folder's data
        put16(files, 0);                    // folder 0
        put16(files, kDosDate);
        put16(files, kDosTime);
        put16(files, 0x20);
        files.append(m.name);
        files.append('\0');
        data.append(m.data);
    }
    QByteArray blocks;
    int blockCount = 0;
    for (qsizetype at = 0; at < data.size() || blockCount == 0; at += 32768) {
        const QByteArray chunk = data.mid(at, 32768);
        put32(blocks, 0); // no checksum
        put16(blocks, quint16(chunk.size()));
        put16(blocks, quint16(chunk.size()));
        blocks.append(chunk);
        ++blockCount;
    }
    const quint32 headerSize = 36, folderSize = 8;
    const quint32 filesOffset = headerSize + folderSize;
    const quint32 dataOffset = filesOffset + quint32(files.size());
    QByteArray out("MSCF");
    put32(out, 0);
    put32(out, dataOffset + quint32(blocks.size()));
    put32(out, 0);
    put32(out, filesOffset);
    put32(out, 0);
    out.append(char(3)); // version 1.3
    out.append(char(1));
    put16(out, 1); // folders
    put16(out, quint16(members.size()));
    put16(out, 0); // flags
    put16(out, 0); // set id
    put16(out, 0); // cabinet number
    put32(out, dataOffset);
    put16(out, quint16(blockCount));
    put16(out, 0); // no compression
    out.append(files);
    out.append(blocks);
    return out;
}

QByteArray rar(const QList<Member> &members)
{
    const auto block = [](quint8 type, quint16 flags, const QByteArray &rest) {
        QByteArray body;
        body.append(char(type));
        put16(body, flags);
        put16(body, quint16(2 + 1 + 2 + 2 + rest.size()));
        body.append(rest);
        QByteArray out;
        put16(out, quint16(crc32(body) & 0xFFFF));
        out.append(body);
        return out;
    };
    QByteArray out("Rar!\x1a\x07\x00", 7);
    QByteArray main;
    put16(main, 0);
    put32(main, 0);
    out.append(block(0x73, 0, main));
    for (const Member &m : members) {
        QByteArray f;
        put32(f, quint32(m.data.size())); // packed size
        put32(f, sizeField(m));           // unpacked size
        f.append(char(2));                // host: Windows
        put32(f, crc32(m.data));
        put32(f, (quint32(kDosDate) << 16) | kDosTime);
        f.append(char(29));   // version needed 2.9
        f.append(char(0x30)); // stored
        put16(f, quint16(m.name.size()));
        put32(f, 0x20); // attributes
        f.append(m.name);
        out.append(block(0x74, 0x8000, f));
        out.append(m.data);
    }
    out.append(block(0x7B, 0x4000, {}));
    return out;
}

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
    put16(h, kDosTime);
    put16(h, kDosDate);
    h.append(char(0x20)); // attribute
    h.append(char(1));    // header level
    h.append(char(name.size()));
    h.append(name);
    put16(h, crc16(data));
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

} // namespace tunelet::testkit::archives
