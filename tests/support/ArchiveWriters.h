#pragma once

#include <QByteArray>
#include <QList>

// Small archives built byte by byte, for members no archiver would write (hostile names,
// lying sizes) and for formats libarchive reads but cannot write (CAB, RAR).
namespace tunelet::testkit::archives
{

struct Member {
    Member(QByteArray n, QByteArray d = {}, char t = '0', QByteArray l = {}, qint64 claimed = -1)
        : name(std::move(n)), data(std::move(d)), type(t), link(std::move(l)), claimedSize(claimed)
    {
    }

    QByteArray name;
    QByteArray data;
    char type = '0';         // tar type flag: '0' file, '1' hard link, '2' symlink, '5' folder
    QByteArray link;         // link target
    qint64 claimedSize = -1; // header size field when it should lie
};

// An LZH archive with level-0 headers and stored (-lh0-) members.
QByteArray lzhLevel0(const QList<Member> &members);
// A ustar archive.
QByteArray tar(const QList<Member> &members);
// A cabinet with one uncompressed folder.
QByteArray cab(const QList<Member> &members);
// A RAR (version 2.9 headers) archive with stored members.
QByteArray rar(const QList<Member> &members);

quint16 crc16(const QByteArray &data);
// Appends a little-endian 16- or 32-bit number, as archive headers store them.
void put16(QByteArray &b, quint16 v);
void put32(QByteArray &b, quint32 v);
quint32 crc32(const QByteArray &data);

// An LZH member that carries a Unix file mode: a level-1 header with the Unix
// permission extension.
QByteArray lzhLevel1Member(const QByteArray &name, const QByteArray &data, quint16 mode);
// A symbolic link as Unix LHA archivers store one: "name|target" with no data.
QByteArray lzhSymlink(const QByteArray &name, const QByteArray &target);
// The byte that ends an LZH archive.
inline QByteArray lzhEnd()
{
    return QByteArray(1, '\0');
}

} // namespace tunelet::testkit::archives
