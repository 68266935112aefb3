// Cabinets written by libcab32.so ("-a"), read back by Debian's cabextract and libarchive.
#include "tests/archivers/ArchiverLibrary.h"
#include "tests/support/ArchiveTools.h"
#include "tests/support/ByteFiles.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace tunelet::testkit;

namespace
{

const QByteArray kyoku("\x8b\xc8.snr"); // "曲.snr" in Shift-JIS
const QByteArray kyokuUtf8("\xe6\x9b\xb2.snr");

// The test's source files: every case the writer has to get right.
QList<QPair<QByteArray, QByteArray>> sourceFiles()
{
    return {{"empty.txt", {}},
            {"tiny.txt", "x"},
            {"several-blocks.snr", QByteArray("*HEAD\"Long\"\r\nC D E F G A B\r\n").repeated(3000)},
            {"noise.bin", noise(100 * 1024 + 17)},
            {"repeat.bin", QByteArray(300 * 1024, 'a')},
            {"sub/deeper/inner.txt", "inner"},
            {kyoku, "song"}};
}

quint16 u16At(const QByteArray &bytes, int offset)
{
    return quint16(uchar(bytes[offset]) | uchar(bytes[offset + 1]) << 8);
}

} // namespace

class TestArchiversCabWrite final : public QObject
{
    Q_OBJECT

    std::unique_ptr<ArchiverLibrary> m_cab;
    QTemporaryDir m_dir;
    QByteArray m_source;

    QByteArray path(const char *name) const { return QFile::encodeName(m_dir.filePath(name)); }

    int pack(const QByteArray &archive, const QByteArrayList &names,
             const QByteArray &switches = "-r", QByteArray *output = nullptr)
    {
        return m_cab->command(backendLine("-a " + switches, archive, m_source, names), output,
                              4096);
    }

    QByteArrayList members(const QByteArray &archive)
    {
        QByteArrayList names;
        for (const QString &name : m_cab->list(QFile::decodeName(archive), "*"))
            names << name.toUtf8();
        std::sort(names.begin(), names.end());
        return names;
    }

private slots:
    void initTestCase()
    {
        m_cab = std::make_unique<ArchiverLibrary>("libcab32.so", "Cab");
        QVERIFY2(m_cab->isLoaded(), qPrintable(m_cab->error()));
        m_source = path("src");
        QVERIFY(writeTree(m_source, sourceFiles()));
    }

    // Qt cannot name the Shift-JIS files to remove them.
    void cleanupTestCase() { removeTree(QFile::encodeName(m_dir.path())); }

    void readersUnpackEveryByte()
    {
        const QByteArray archive = path("all.cab");
        QCOMPARE(pack(archive, {"*"}), ARC_OK);
        const QString out = m_dir.filePath("libarchive");
        QVERIFY(QDir().mkpath(out));
        QCOMPARE(
            runTool("bsdtar", {"-xf", QFile::decodeName(archive)}, out, nullptr, ToolLocale::C), 0);
        QByteArrayList expected;
        for (const auto &[name, content] : sourceFiles()) {
            QCOMPARE(readBytes(QFile::encodeName(out) + '/' + name), content);
            expected << (name == kyoku ? QByteArray("\\213\\310.snr") : name); // as bsdtar shows it
        }
        std::sort(expected.begin(), expected.end());
        QByteArray listing;
        QCOMPARE(
            runTool("bsdtar", {"-tf", QFile::decodeName(archive)}, out, &listing, ToolLocale::C),
            0);
        QByteArrayList listed = listing.trimmed().split('\n');
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, expected);

        // cabextract checks every block's checksum; names without the UTF-8 flag are read
        // as Shift-JIS when asked to.
        const QString cabOut = m_dir.filePath("cabextract");
        QCOMPARE(runTool("cabextract", {"-q", "-d", cabOut, QFile::decodeName(archive)}, "/",
                         nullptr, ToolLocale::C),
                 0);
        for (const auto &[name, content] : sourceFiles()) {
            if (name != kyoku)
                QCOMPARE(readBytes(QFile::encodeName(cabOut) + '/' + name), content);
        }
        const QString sjisOut = m_dir.filePath("cabextract-sjis");
        QCOMPARE(runTool("cabextract",
                         {"-q", "-e", "SHIFT_JIS", "-d", sjisOut, "-F", "*.snr",
                          QFile::decodeName(archive)},
                         "/", nullptr, ToolLocale::C),
                 0);
        QCOMPARE(readBytes(QFile::encodeName(sjisOut) + '/' + kyokuUtf8), QByteArray("song"));

        // One folder of 32 KiB blocks holds the data of all files.
        qint64 total = 0;
        for (const auto &file : sourceFiles())
            total += file.second.size();
        const QByteArray bytes = readBytes(archive);
        QCOMPARE(bytes.left(4), QByteArray("MSCF"));
        QCOMPARE(u16At(bytes, 26), quint16(1));
        QCOMPARE(u16At(bytes, 28), quint16(sourceFiles().size()));
        QCOMPARE(u16At(bytes, 40), quint16((total + 32767) / 32768));
        QCOMPARE(u16At(bytes, 42), quint16(1)); // MSZIP
        QVERIFY(bytes.size() < total / 2);
    }

    void switchesShapeTheNames()
    {
        const QByteArray flat = path("flat.cab");
        QCOMPARE(pack(flat, {"*.txt"}, ""), ARC_OK);
        QCOMPARE(members(flat), (QByteArrayList{"empty.txt", "tiny.txt"}));
        const QByteArray junked = path("junked.cab");
        QCOMPARE(pack(junked, {"*.txt"}, "-r -j"), ARC_OK);
        QCOMPARE(members(junked), (QByteArrayList{"empty.txt", "inner.txt", "tiny.txt"}));
        const QByteArray named = path("named.cab");
        QCOMPARE(pack(named, {"sub\\deeper\\inner.txt"}, ""), ARC_OK);
        QCOMPARE(members(named), (QByteArrayList{"sub/deeper/inner.txt"}));
    }

    void addingKeepsTheOldMembers()
    {
        const QByteArray archive = path("grown.cab");
        QCOMPARE(pack(archive, {"tiny.txt", "noise.bin"}), ARC_OK);
        QVERIFY(writeBytes(m_source + "/later.txt", "later"));
        QCOMPARE(pack(archive, {"later.txt", "tiny.txt"}), ARC_OK);
        QCOMPARE(members(archive), (QByteArrayList{"later.txt", "noise.bin", "tiny.txt"}));
        const QString out = m_dir.filePath("grown");
        QCOMPARE(runTool("cabextract", {"-q", "-d", out, QFile::decodeName(archive)}, "/", nullptr,
                         ToolLocale::C),
                 0);
        QCOMPARE(readBytes(QFile::encodeName(out) + "/noise.bin"), sourceFiles()[3].second);
        QCOMPARE(readBytes(QFile::encodeName(out) + "/later.txt"), QByteArray("later"));
        QVERIFY(QFile::remove(QFile::decodeName(m_source + "/later.txt")));
    }

    void failureLeavesTheOldFile()
    {
        // Not a cabinet: nothing can be added to it, and it stays as it was.
        const QByteArray notCabinet = path("notes.cab");
        QVERIFY(writeBytes(notCabinet, "my notes"));
        QByteArray output;
        QCOMPARE(pack(notCabinet, {"tiny.txt"}, "", &output), ARC_ERROR_ARCHIVE_OPEN);
        QVERIFY(output.contains("cannot read"));
        QCOMPARE(readBytes(notCabinet), QByteArray("my notes"));
        // Beyond the bound of one command: no archive, no temporary file.
        const QByteArray big = path("big");
        QVERIFY(QDir().mkpath(QFile::decodeName(big)));
        QFile sparse(QFile::decodeName(big + "/zeros.bin"));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(ARC_MAX_TOTAL_BYTES + 1));
        sparse.close();
        const QByteArray tooLarge = big + "/z.cab";
        QCOMPARE(m_cab->command(backendLine("-a", tooLarge, big, {"zeros.bin"})),
                 ARC_ERROR_TOTAL_TOO_LARGE);
        QCOMPARE(entriesBelow(big + '/'), QByteArrayList{"zeros.bin"});
    }

    void onlyRegularFilesGoIn()
    {
        const QByteArray base = path("odd");
        QVERIFY(QDir().mkpath(QFile::decodeName(base)));
        QVERIFY(writeBytes(base + "/plain.txt", "plain"));
        QVERIFY(::symlink("/etc/passwd", (base + "/outside").constData()) == 0);
        QVERIFY(::mkfifo((base + "/pipe").constData(), 0600) == 0);
        const QByteArray archive = path("odd.cab");
        QByteArray output;
        QCOMPARE(m_cab->command(backendLine("-a", archive, base, {"*"}), &output, 4096), ARC_OK);
        QCOMPARE(members(archive), QByteArrayList{"plain.txt"});
        QVERIFY(output.contains("skipped: outside (not a regular file"));
        // A link never replaces the member of its name.
        QVERIFY(QFile::remove(QFile::decodeName(base + "/plain.txt")));
        QVERIFY(::symlink("/etc/passwd", (base + "/plain.txt").constData()) == 0);
        QCOMPARE(m_cab->command(backendLine("-a", archive, base, {"plain.txt"})), ARC_OK);
        QByteArray buffer(16, '\0');
        uint32_t written = 0;
        QCOMPARE(m_cab->extractMem(" \"" + archive + "\" \"plain.txt\" ", buffer, &written),
                 ARC_OK);
        QCOMPARE(buffer.left(int(written)), QByteArray("plain"));
    }

    void noSelfExtractorHere()
    {
        const QByteArray archive = path("all.cab");
        const QByteArray before = readBytes(archive);
        QByteArray output;
        QCOMPARE(m_cab->command("-f  \"" + archive + "\" ", &output, 4096),
                 ARC_ERROR_NOT_SUPPORTED);
        QVERIFY(output.contains("self-extracting cabinet needs a Windows program stub"));
        QCOMPARE(readBytes(archive), before);
    }
};

QTEST_GUILESS_MAIN(TestArchiversCabWrite)
#include "tst_archivers_cab_write.moc"
