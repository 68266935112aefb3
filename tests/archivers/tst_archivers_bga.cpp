// libbga32.so on GZA and BZA archives, driven with the lines the BGA back-end builds, and its
// member format through the common reader and writer.
#include "tests/archivers/ArchiverLibrary.h"
#include "tests/support/ArchiveTools.h"
#include "tools/archivers/common/BgaHeader.h"
#include "tools/archivers/common/BgaWriter.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace tunelet::testkit;

namespace
{

// The back-end's line: command, switches, user options, archive, folder, names.
QByteArray bgaLine(const QByteArray &command, const QByteArray &switches, const QString &archive,
                   const QString &folder, const QList<QByteArray> &names)
{
    return backendLine(command + ' ' + switches, QFile::encodeName(archive),
                       QFile::encodeName(folder), names);
}

// Writes an archive member by member with the library's own writer.
void writeArchive(const QString &path, const QList<QPair<QByteArray, QByteArray>> &members)
{
    archivers::BgaWriter writer(archivers::bga::Method::Deflate, -1);
    QVERIFY(writer.open(QFile::encodeName(path).toStdString()));
    for (const auto &[name, data] : members) {
        QVERIFY(writer.begin(name.toStdString(), 0, false));
        QVERIFY(writer.write(data.constData(), size_t(data.size())));
    }
    QVERIFY(writer.close());
}

} // namespace

class ArchiversBgaTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTripByteForByte_data();
    void roundTripByteForByte();
    void removeMatchesWithoutCase();
    void damagedMembersAreRefused_data();
    void damagedMembersAreRefused();
    void unsafeMembersWriteNothing();
    void keepsExistingFilesUnlessOverwriting();
    void totalBoundRefusesBeforeWriting();
    void onlyRegularFilesOpen();

private:
    QString m_source;
    QTemporaryDir m_dir;
    ArchiverLibrary m_bga{"libbga32.so", "Bga"};
    QByteArray m_big;
};

void ArchiversBgaTest::initTestCase()
{
    QVERIFY2(m_bga.isLoaded(), qPrintable(m_bga.error()));
    QVERIFY(m_bga.entry("Bga") != nullptr);
    m_source = m_dir.filePath("src");
    for (int i = 0; i < 40000; ++i)
        m_big += QByteArray::number(i * 7919 % 65521) + (i % 13 == 0 ? "\r\n" : " ");
    QVERIFY(writeFileIn(m_source + "/song.snr", "*HEAD\"GZA\"\r\nc d e\r\n"));
    QVERIFY(writeFileIn(m_source + "/big.snr", m_big));
    QVERIFY(writeFileIn(m_source + "/sub/Deep.TXT", QByteArray("\0\1\2\xff", 4)));
    QVERIFY(writeFileIn(m_source + "/empty.snr", {}));
}

void ArchiversBgaTest::roundTripByteForByte_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("mark");
    QTest::newRow("gza") << "songs.gza" << QByteArray("GZIP");
    QTest::newRow("bza") << "songs.BZA" << QByteArray("BZ2\0", 4);
}

void ArchiversBgaTest::roundTripByteForByte()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, mark);
    const QString archive = m_dir.filePath(name);
    QCOMPARE(m_bga.command(bgaLine("a", "-n -r -l9", archive, m_source, {"*"})), 0);
    QCOMPARE(fileBytes(archive).mid(4, 4), mark);
    QCOMPARE(m_bga.list(archive, "*"),
             (QStringList{"big.snr", "empty.snr", "song.snr", "sub", "sub/Deep.TXT"}));
    QVERIFY(m_bga.check(archive, 0) != 0);

    const QString out = m_dir.filePath("out-" + name);
    QCOMPARE(m_bga.command(bgaLine("x", "-n", archive, out, {"*"})), 0);
    for (const char *file : {"song.snr", "big.snr", "sub/Deep.TXT", "empty.snr"})
        QCOMPARE(fileBytes(out + '/' + file), fileBytes(m_source + '/' + file));
}

void ArchiversBgaTest::removeMatchesWithoutCase()
{
    const QString archive = m_dir.filePath("remove.gza");
    QCOMPARE(m_bga.command(bgaLine("a", "-n -j", archive, m_source, {"song.snr", "big.snr"})), 0);
    QCOMPARE(m_bga.command(bgaLine("d", "-n", archive, {}, {"SONG.*"})), 0);
    QCOMPARE(m_bga.list(archive, "*"), QStringList{"big.snr"});
    // Adding again keeps what is there.
    QCOMPARE(m_bga.command(bgaLine("a", "-n -j", archive, m_source, {"song.snr"})), 0);
    QCOMPARE(m_bga.list(archive, "*.SNR"), (QStringList{"big.snr", "song.snr"}));
}

void ArchiversBgaTest::damagedMembersAreRefused_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("openResult");    // 0: the archive does not open
    QTest::addColumn<QByteArray>("reason"); // in the command's output
    QTest::newRow("header checksum") << 9 << 0 << QByteArray("header checksum");
    QTest::newRow("member data") << 200 << 1 << QByteArray("damaged member big.snr");
}

void ArchiversBgaTest::damagedMembersAreRefused()
{
    QFETCH(int, offset);
    QFETCH(int, openResult);
    QFETCH(QByteArray, reason);
    const QString archive = m_dir.filePath(QString("damaged-%1.gza").arg(offset));
    QCOMPARE(m_bga.command(bgaLine("a", "-n -j", archive, m_source, {"big.snr"})), 0);
    QByteArray bytes = fileBytes(archive);
    bytes[offset] = char(bytes[offset] ^ 0x55);
    QVERIFY(writeFileIn(archive, bytes));

    const ArcHandle h = m_bga.open(archive);
    QCOMPARE(h != 0, openResult != 0);
    if (h != 0)
        m_bga.close(h);
    QCOMPARE(m_bga.check(archive, 0), 0);
    const QString out = m_dir.filePath(QString("out-damaged-%1").arg(offset));
    QByteArray output;
    const int rc = m_bga.command(bgaLine("x", "-o", archive, out, {"*"}), &output, 1024);
    QVERIFY(rc == ARC_ERROR_ARCHIVE_DAMAGED || rc == ARC_ERROR_ARCHIVE_OPEN);
    QVERIFY2(output.contains(reason), output.constData());
    QVERIFY(!QFile::exists(out + "/big.snr"));
    QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void ArchiversBgaTest::unsafeMembersWriteNothing()
{
    const QString archive = m_dir.filePath("hostile.gza");
    writeArchive(archive, {{"fine.snr", "ok"}, {"../escaped.snr", "bad"}, {"/abs.snr", "bad"}});
    const QString out = m_dir.filePath("out-hostile");
    QCOMPARE(m_bga.command(bgaLine("x", "-o", archive, out, {"*"})), ARC_ERROR_UNSAFE_MEMBER);
    QVERIFY(!QFile::exists(m_dir.filePath("escaped.snr")));
    QVERIFY(!QFile::exists(out + "/fine.snr"));
}

void ArchiversBgaTest::keepsExistingFilesUnlessOverwriting()
{
    const QString archive = m_dir.filePath("keep.gza");
    QCOMPARE(m_bga.command(bgaLine("a", "-n -j", archive, m_source, {"song.snr"})), 0);
    const QString out = m_dir.filePath("out-keep");
    QVERIFY(writeFileIn(out + "/song.snr", "mine"));
    QCOMPARE(m_bga.command(bgaLine("x", "-n", archive, out, {"*"})), 0);
    QCOMPARE(fileBytes(out + "/song.snr"), QByteArray("mine"));
    QCOMPARE(m_bga.command(bgaLine("x", "-o", archive, out, {"*"})), 0);
    QCOMPARE(fileBytes(out + "/song.snr"), fileBytes(m_source + "/song.snr"));
}

void ArchiversBgaTest::totalBoundRefusesBeforeWriting()
{
    const QString archive = m_dir.filePath("huge.gza");
    {
        archivers::BgaWriter writer(archivers::bga::Method::Deflate, 1);
        QVERIFY(writer.open(QFile::encodeName(archive).toStdString()));
        QVERIFY(writer.begin("first.snr", 0, false));
        QVERIFY(writer.write("small", 5));
        QVERIFY(writer.begin("zeros.bin", 0, false));
        const QByteArray block(1024 * 1024, '\0');
        for (int i = 0; i <= 64; ++i)
            QVERIFY(writer.write(block.constData(), size_t(block.size())));
        QVERIFY(writer.close());
    }
    const QString out = m_dir.filePath("out-huge");
    QCOMPARE(m_bga.command(bgaLine("x", "-o", archive, out, {"*"})), ARC_ERROR_TOTAL_TOO_LARGE);
    QVERIFY(!QFile::exists(out + "/first.snr"));
}

void ArchiversBgaTest::onlyRegularFilesOpen()
{
    const QString fifo = m_dir.filePath("fifo.gza");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(m_bga.open(fifo), ArcHandle(0));
    QCOMPARE(m_bga.check(fifo, 0), 0);
    const QString empty = m_dir.filePath("empty.gza");
    QVERIFY(writeFileIn(empty, {}));
    QCOMPARE(m_bga.open(empty), ArcHandle(0));
}

QTEST_GUILESS_MAIN(ArchiversBgaTest)
#include "tst_archivers_bga.moc"
