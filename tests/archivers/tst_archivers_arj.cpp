// The ARJ library, on archives made by Debian's arj program and on archives written byte by
// byte, and through the archive component.
#include "archive/ARCHIVES.h"
#include "archive/ARJ32.h"
#include "tests/archivers/ArchiverLibrary.h"
#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ArchiveTools.h"
#include "tests/support/ArchiveWriters.h"
#include "tests/support/ByteFiles.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tunelet::testkit;

namespace
{

const QList<QByteArray> kSongMasks{"*.SNR", "*.snr", "*.Snr"};
const QByteArray kShiftJisName("\x83\x5c\x83\x93\x83\x4f.SNR"); // "ソング", 0x5C second byte

// The files every archive made by arj holds, by byte path.
const QList<QPair<QByteArray, QByteArray>> &sourceFiles()
{
    static const QList<QPair<QByteArray, QByteArray>> files{
        {"song.snr", songText(3, "Alpha")},
        {"sub/deep/big.snr", songText(3000, "Beta")}, // over 64 KiB
        {kShiftJisName, songText(40, "Gamma")},
        {"readme.txt", "not a song\n"},
        {"sub/noise.bin", noise(70000)},
    };
    return files;
}

// The LHA back-end's line with the main window's options, as TArj32 sends it.
QByteArray unpackLine(const QByteArray &archive, const QByteArray &target,
                      const QList<QByteArray> &masks)
{
    return backendLine("x -+ -n1", archive, target, masks);
}

// A member of a hand-written archive; stored unless `packed` says otherwise.
struct HandMember {
    QByteArray name;
    QByteArray data;
    quint32 declaredSize = 0xFFFFFFFF; // the data's own size unless set
    quint32 dataCrc = 0;               // the data's own CRC unless set
};

QByteArray basicHeader(quint8 fileType, const QByteArray &name, quint32 packed, quint32 original,
                       quint32 dataCrc)
{
    QByteArray h;
    h += char(30); // first part: the fixed fields only
    h += char(11); // version
    h += char(1);  // version to extract
    h += char(2);  // host: Unix
    h += char(0);  // flags
    h += char(0);  // method: stored
    h += char(fileType);
    h += char(0);
    archives::put32(h, 1700000000u);
    archives::put32(h, packed);
    archives::put32(h, original);
    archives::put32(h, dataCrc);
    archives::put16(h, 0);     // position of the stored name in the header
    archives::put16(h, 0x1A4); // access mode
    h += QByteArray(2, '\0');
    h += name + '\0' + '\0'; // name, empty comment
    QByteArray out("\x60\xEA", 2);
    archives::put16(out, quint16(h.size()));
    out += h;
    archives::put32(out, archives::crc32(h));
    archives::put16(out, 0); // no extended header
    return out;
}

QByteArray handArchive(const QList<HandMember> &members)
{
    QByteArray out = basicHeader(2, "hand.arj", 0, 0, 0);
    for (const HandMember &m : members) {
        out += basicHeader(0, m.name, quint32(m.data.size()),
                           m.declaredSize == 0xFFFFFFFF ? quint32(m.data.size()) : m.declaredSize,
                           m.dataCrc != 0 ? m.dataCrc : archives::crc32(m.data));
        out += m.data;
    }
    out += QByteArray("\x60\xEA\x00\x00", 4);
    return out;
}

} // namespace

class TestArchiversArj final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ArchiverLibrary> m_unarj;
    QString m_arj;
    QTemporaryDir m_dir;
    QByteArray m_source;

    QByteArray path(const QString &name) const { return QFile::encodeName(m_dir.filePath(name)); }

    // An archive of the source files made by arj with the given method.
    QByteArray makeArj(int method)
    {
        const QByteArray archive = path(QString("m%1.arj").arg(method));
        QFile::remove(QFile::decodeName(archive));
        const QStringList args{"a",  QString("-m%1").arg(method), "-r",
                               "-y", QFile::decodeName(archive),  "*"};
        return runTool(m_arj, args, QFile::decodeName(m_source)) == 0 ? archive : QByteArray();
    }

    QByteArray writeArchive(const QString &name, const QByteArray &bytes)
    {
        const QByteArray archive = path(name);
        return writeBytes(archive, bytes) ? archive : QByteArray();
    }

    // Member paths FindFirst/FindNext report, as bytes.
    QByteArrayList names(const QByteArray &archive, const char *mask, ArcEntryInfo *first = nullptr)
    {
        QByteArrayList out;
        const ArcHandle h = m_unarj->open(QFile::decodeName(archive));
        if (h == 0)
            return {"(not opened)"};
        ArcEntryInfo info{};
        for (int rc = m_unarj->findFirst(h, mask, &info); rc == 0;
             rc = m_unarj->findNext(h, &info)) {
            if (first != nullptr && out.isEmpty())
                *first = info;
            out << QByteArray(info.fileName);
        }
        m_unarj->close(h);
        return out;
    }

private slots:
    void initTestCase()
    {
        m_unarj = std::make_unique<ArchiverLibrary>("libunarj32j.so", "Unarj");
        QVERIFY2(m_unarj->isLoaded(), qPrintable(m_unarj->error()));
        m_arj = QStandardPaths::findExecutable("arj");
        m_source = path("src");
        QVERIFY(writeTree(m_source, sourceFiles()));
    }

    // Qt's own removal skips the Shift-JIS names.
    void cleanupTestCase() { removeTree(QFile::encodeName(m_dir.path())); }

    void everyMethodOfArj_data()
    {
        QTest::addColumn<int>("method");
        for (int m = 0; m <= 4; ++m)
            QTest::addRow("-m%d", m) << m;
    }

    // Every member comes out byte for byte; the listing and the check agree.
    void everyMethodOfArj()
    {
        QFETCH(int, method);
        if (m_arj.isEmpty())
            QSKIP("the arj program is not installed");
        const QByteArray archive = makeArj(method);
        QVERIFY(!archive.isEmpty());
        const QByteArray target = path(QString("all-%1").arg(method));
        QCOMPARE(m_unarj->command(unpackLine(archive, target, {})), ARC_OK);
        QByteArrayList expected;
        for (const auto &[name, data] : sourceFiles()) {
            QCOMPARE(readBytes(target + "/" + name), data);
            expected << name;
        }
        expected << "sub/"
                 << "sub/deep/";
        std::sort(expected.begin(), expected.end());
        QCOMPARE(treeBelow(target), expected);
        QCOMPARE(m_unarj->check(QFile::decodeName(archive), ARC_CHECK_MODE_PROBE), 1);
        QByteArrayList listed = names(archive, "*");
        std::sort(listed.begin(), listed.end());
        expected.removeIf([](const QByteArray &entry) { return entry.endsWith('/'); });
        QCOMPARE(listed, expected);
    }

    // The jukebox's masks take the songs in every folder and nothing else; the record tells
    // size and method.
    void songMasksAndRecord()
    {
        if (m_arj.isEmpty())
            QSKIP("the arj program is not installed");
        const QByteArray archive = makeArj(1);
        const QByteArray target = path("songs");
        QCOMPARE(m_unarj->command(unpackLine(archive, target, kSongMasks)), ARC_OK);
        QByteArrayList songs{kShiftJisName, "song.snr", "sub/", "sub/deep/", "sub/deep/big.snr"};
        std::sort(songs.begin(), songs.end());
        QCOMPARE(treeBelow(target), songs);
        ArcEntryInfo info{};
        QCOMPARE(names(archive, "big.snr", &info), QByteArrayList{"sub/deep/big.snr"});
        QCOMPARE(info.originalSize, quint32(songText(3000, "Beta").size()));
        QCOMPARE(QByteArray(info.method), QByteArray("-arj1-"));
    }

    void extractToMemory()
    {
        if (m_arj.isEmpty())
            QSKIP("the arj program is not installed");
        const QByteArray archive = makeArj(4);
        QByteArray buffer(200000, '\0');
        uint32_t written = 0;
        QCOMPARE(m_unarj->extractMem("-+ \"" + archive + "\" \"big.snr\"", buffer, &written),
                 ARC_OK);
        QCOMPARE(buffer.left(int(written)), songText(3000, "Beta"));
        QByteArray small(100, '\0');
        QCOMPARE(m_unarj->extractMem("-+ \"" + archive + "\" \"big.snr\"", small, &written),
                 ARC_ERROR_BUFFER_TOO_SMALL);
    }

    // Damage anywhere in an archive made by arj: the command fails, and every file it left is
    // whole and right; an older file of the same name stays as it was.
    void damagedArjArchive_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("permille"); // where the flipped byte sits
        for (int m : {0, 1, 4})
            for (int at : {1, 300, 600, 900})
                QTest::addRow("-m%d at %d", m, at) << m << at;
    }

    void damagedArjArchive()
    {
        QFETCH(int, method);
        QFETCH(int, permille);
        if (m_arj.isEmpty())
            QSKIP("the arj program is not installed");
        QByteArray bytes = readBytes(makeArj(method));
        bytes[qsizetype(bytes.size()) * permille / 1000] ^= 0x55;
        const QByteArray archive =
            writeArchive(QString("bad-%1-%2.arj").arg(method).arg(permille), bytes);
        const QByteArray target = path(QString("bad-%1-%2").arg(method).arg(permille));
        QVERIFY(QDir().mkpath(QFile::decodeName(target)));
        QVERIFY(writeBytes(target + "/song.snr", "older"));
        const int rc = m_unarj->command(unpackLine(archive, target, {}));
        QVERIFY2(rc == ARC_ERROR_ARCHIVE_DAMAGED || rc == ARC_ERROR_ARCHIVE_OPEN,
                 QByteArray::number(rc, 16));
        QCOMPARE(m_unarj->check(QFile::decodeName(archive), 0), 0);
        for (const QByteArray &entry : treeBelow(target)) {
            if (entry.endsWith('/'))
                continue;
            QByteArray right = "(no such member)";
            for (const auto &[name, data] : sourceFiles())
                if (name == entry)
                    right = data;
            const QByteArray left = readBytes(target + "/" + entry);
            QVERIFY2(left == right || (entry == "song.snr" && left == "older"), entry);
        }
    }

    void handWrittenArchives_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("checked"); // what CheckArchive answers
        const QByteArray song = songText(2, "Hand");
        QTest::newRow("climbs out") << handArchive({{"ok.snr", song}, {"../evil.snr", song}})
                                    << ARC_ERROR_UNSAFE_MEMBER << 1;
        QTest::newRow("absolute") << handArchive({{"/tmp/tunelet-arj-evil.snr", song}})
                                  << ARC_ERROR_UNSAFE_MEMBER << 1;
        QTest::newRow("over the bound")
            << handArchive({{"huge.snr", song, 100u << 20}}) << ARC_ERROR_TOTAL_TOO_LARGE << 0;
        QTest::newRow("data CRC wrong") << handArchive({{"ok.snr", song, 0xFFFFFFFF, 0x1234}})
                                        << ARC_ERROR_ARCHIVE_DAMAGED << 0;
        QTest::newRow("shorter than declared")
            << handArchive({{"ok.snr", song, quint32(song.size() + 10)}})
            << ARC_ERROR_ARCHIVE_DAMAGED << 0;
        QByteArray badHeader = handArchive({{"ok.snr", song}});
        badHeader[badHeader.indexOf("ok.snr")] = 'O';
        QTest::newRow("header CRC wrong") << badHeader << ARC_ERROR_ARCHIVE_DAMAGED << 0;
        QTest::newRow("cut short")
            << handArchive({{"ok.snr", song}}).chopped(20) << ARC_ERROR_ARCHIVE_DAMAGED << 0;
        QTest::newRow("no archive")
            << QByteArray("not an archive at all") << ARC_ERROR_ARCHIVE_OPEN << 0;
    }

    // Refused before anything is written: nothing appears in the target folder.
    void handWrittenArchives()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(int, checked);
        const QByteArray archive = writeArchive(QTest::currentDataTag() + QString(".arj"), bytes);
        const QByteArray target = path(QString("hand-") + QTest::currentDataTag());
        QCOMPARE(m_unarj->command(unpackLine(archive, target, {})), result);
        QCOMPARE(treeBelow(target), QByteArrayList());
        QVERIFY(!QFile::exists("/tmp/tunelet-arj-evil.snr"));
        QCOMPARE(m_unarj->check(QFile::decodeName(archive), 0), checked);
    }

    // Through the component: found by name and by content, unpacked and listed as the jukebox
    // does with LZH archives.
    void throughTheComponent()
    {
        if (m_arj.isEmpty())
            QSKIP("the arj program is not installed");
        useLibraryFolder(qgetenv("TUNELET_BIN_DIR"));
        const QByteArray archive = makeArj(2);
        const QByteArray disguised = writeArchive("songs.dat", readBytes(archive));
        QCOMPARE(DetectArchiverType(archive, true), TArchiverType::atArj);
        QCOMPARE(DetectArchiverType(disguised, false), TArchiverType::atArj);

        TArchiveFile file;
        file.Options().n = 1;
        file.SetFileName(archive);
        QCOMPARE(file.ArchiverType(), TArchiverType::atArj);
        const QByteArray target = path("component");
        QCOMPARE(file.Unpack(0, nullptr, target + "/", FileItems{TStringList(kSongMasks)}), ARC_OK);
        QCOMPARE(file.CommandLine(), unpackLine(archive, target + "/", kSongMasks));
        QCOMPARE(readBytes(target + "/sub/deep/big.snr"), songText(3000, "Beta"));
        QByteArray damaged = readBytes(archive);
        damaged[damaged.size() / 2] ^= 0x20;
        QCOMPARE(TArj32().CheckArchive(archive, 0, 0), 1);
        QCOMPARE(TArj32().CheckArchive(writeArchive("damaged.arj", damaged), 0, 0), 0);

        TArchiveFile byContent;
        byContent.SetFileName(disguised);
        QVERIFY(byContent.OpenArchive(0, 0) != 0);
        QCOMPARE(byContent.ArchiverType(), TArchiverType::atArj);
        TArchiveEntryInfo info{};
        QByteArrayList listed;
        for (int rc = byContent.FindFirst("*.snr", info); rc == 0; rc = byContent.FindNext(info))
            listed << entryFileName(info);
        byContent.CloseArchive();
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, QByteArrayList({"song.snr", "sub/deep/big.snr", kShiftJisName}));
    }
};

QTEST_GUILESS_MAIN(TestArchiversArj)
#include "tst_archivers_arj.moc"
