// The archiver libraries, loaded as the back-ends load them and driven with the command lines
// the back-ends build.
#include "tests/archivers/ArchiverLibrary.h"
#include "tests/support/ArchiveTools.h"
#include "tests/support/ArchiveWriters.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sys/stat.h>

using namespace tunelet::testkit;

namespace
{

// Every file and link below `dir`, relative, sorted.
QStringList filesBelow(const QString &dir)
{
    QStringList names;
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(dir).relativeFilePath(it.next());
    names.sort();
    return names;
}

// The command line the LHA back-end builds with the main window's options: command, -+,
// -n1, the empty user options, quoted archive and folder, quoted masks, empty file list.
QByteArray lhaLine(const QByteArray &command, const QString &archive, const QString &target,
                   const QList<QByteArray> &masks)
{
    return backendLine(command + " -+ -n1", archive.toLocal8Bit(), target.toLocal8Bit(), masks);
}

// An absolute path no one else uses, for the absolute-member case.
QByteArray absoluteVictim()
{
    return QDir::tempPath().toLocal8Bit() + "/tunelet-archivers-victim-" +
           QByteArray::number(QCoreApplication::applicationPid()) + ".snr";
}

const QList<QByteArray> kSongMasks{"*.SNR", "*.snr", "*.Snr"};

struct Progress {
    QList<uint32_t> states;
    QStringList names;
    bool abort = false;
    int nestedResult = 0;
    int runningSeen = 0;
    ArchiverLibrary *library = nullptr;
};
Progress *g_progress = nullptr;

intptr_t sendProgress(ArcMessageWindow *, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (g_progress == nullptr || message != 0xC123)
        return 0;
    const auto *info = reinterpret_cast<const ArcExtractingInfo *>(lParam);
    g_progress->states << uint32_t(wParam);
    g_progress->names << QString::fromLocal8Bit(info->sourceFileName);
    if (g_progress->library != nullptr) {
        auto running = reinterpret_cast<int32_t (*)()>(g_progress->library->prefixed("GetRunning"));
        g_progress->runningSeen = running();
        g_progress->nestedResult = g_progress->library->command("t \"/nonexistent.lzh\"");
    }
    return g_progress->abort ? 1 : 0;
}

int32_t progressCallback(ArcWindow, uint32_t, uint32_t state, ArcExtractingInfo *info)
{
    g_progress->states << state;
    g_progress->names << QString::fromLocal8Bit(info->sourceFileName);
    return g_progress->abort ? 1 : 0;
}

} // namespace

class TestArchivers final : public QObject
{
    Q_OBJECT

private:
    QString m_lha;
    QString m_bsdtar;
    std::unique_ptr<ArchiverLibrary> m_unlha, m_unzip, m_zip, m_tar, m_cab, m_unrar;

    // An LZH archive made by the lha tool from files written into `dir`.
    QString makeLzh(const QTemporaryDir &dir, const QString &name,
                    const QList<QPair<QString, QByteArray>> &files, const QString &method = "5")
    {
        const QString src = dir.filePath("src-" + name);
        QStringList names;
        for (const auto &[file, data] : files) {
            if (!writeFileIn(src + "/" + file, data))
                return {};
            names << file;
        }
        const QString archive = dir.filePath(name);
        if (runTool(m_lha, QStringList{"ao" + method, archive} + names, src) != 0)
            return {};
        return archive;
    }

    QString writeFixture(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        return writeFileIn(path, bytes) ? path : QString();
    }

    QString songLzh(const QTemporaryDir &dir)
    {
        return makeLzh(dir, "songs.lzh",
                       {{"notes.txt", "not a song\r\n"},
                        {"A.SNR", songText(2, "Alpha")},
                        {"sub/deep/B.snr", songText(400, "Beta")},
                        {"Song.Snr", songText(300, "Gamma")},
                        {"readme.doc", "doc"}});
    }

private slots:
    void initTestCase()
    {
        m_unlha = std::make_unique<ArchiverLibrary>("libunlha32.so", "Unlha");
        m_unzip = std::make_unique<ArchiverLibrary>("libunzip32.so", "UnZip");
        m_zip = std::make_unique<ArchiverLibrary>("libzip32j.so", "UnZip");
        m_tar = std::make_unique<ArchiverLibrary>("libtar32.so", "Tar");
        m_cab = std::make_unique<ArchiverLibrary>("libcab32.so", "Cab");
        m_unrar = std::make_unique<ArchiverLibrary>("libunrar32.so", "Unrar");
        for (auto *lib :
             {m_unlha.get(), m_unzip.get(), m_zip.get(), m_tar.get(), m_cab.get(), m_unrar.get()})
            QVERIFY2(lib->isLoaded(), qPrintable(lib->error()));
        m_lha = QStandardPaths::findExecutable("jlha");
        m_bsdtar = QStandardPaths::findExecutable("bsdtar");
    }

    void entryPointsExist_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("unlha32") << "libunlha32.so" << QByteArray("Unlha");
        QTest::newRow("unzip32") << "libunzip32.so" << QByteArray("UnZip");
        QTest::newRow("tar32") << "libtar32.so" << QByteArray("Tar");
        QTest::newRow("cab32") << "libcab32.so" << QByteArray("Cab");
        QTest::newRow("unrar32") << "libunrar32.so" << QByteArray("Unrar");
    }

    void entryPointsExist()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, prefix);
        ArchiverLibrary lib(file, prefix);
        QVERIFY(lib.isLoaded());
        for (const char *suffix :
             {"", "OpenArchive", "CloseArchive", "FindFirst", "FindNext", "CheckArchive",
              "SetOwnerWindowEx", "KillOwnerWindowEx", "ExtractMem", "GetVersion", "GetRunning"})
            QVERIFY2(lib.prefixed(suffix) != nullptr, suffix);
        // Only entry points leave the library.
        QVERIFY(lib.entry("_ZN9archivers8tokenizeESt17basic_string_viewIcSt11char_traitsIcEE") ==
                nullptr);
    }

    void zipPackerEntryPoints()
    {
        for (const char *name : {"Zip", "UnZipOpenArchive", "UnZipCloseArchive", "UnZipFindFirst",
                                 "UnZipFindNext", "UnZipCheckArchive", "UnZipExtractMem"})
            QVERIFY2(m_zip->entry(name) != nullptr, name);
        QVERIFY(m_tar->entry("TarGetArchiveType") != nullptr);
    }

    void lhaUnpackSongs_data()
    {
        QTest::addColumn<bool>("backslashes");
        QTest::newRow("slash folder") << false;
        QTest::newRow("backslash folder") << true;
    }

    void lhaUnpackSongs()
    {
        QFETCH(bool, backslashes);
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        QVERIFY(!archive.isEmpty());
        const QString target = dir.filePath("App");
        QString folder = target;
        if (backslashes)
            folder.replace('/', '\\');
        QCOMPARE(m_unlha->command(lhaLine("x", archive, folder, kSongMasks)), ARC_OK);
        QCOMPARE(filesBelow(target), QStringList({"A.SNR", "Song.Snr", "sub/deep/B.snr"}));
        QCOMPARE(fileBytes(target + "/sub/deep/B.snr"), songText(400, "Beta"));
        QCOMPARE(fileBytes(target + "/A.SNR"), songText(2, "Alpha"));
        // Extracting again replaces the files.
        QVERIFY(writeFileIn(target + "/A.SNR", "old"));
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target + "/", kSongMasks)), ARC_OK);
        QCOMPARE(fileBytes(target + "/A.SNR"), songText(2, "Alpha"));
    }

    void lhaMethods_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("methodName");
        QTest::newRow("lh5") << "5" << QByteArray("-lh5-");
        QTest::newRow("lh6") << "6" << QByteArray("-lh6-");
        QTest::newRow("lh7") << "7" << QByteArray("-lh7-");
    }

    void lhaMethods()
    {
        QFETCH(QString, method);
        QFETCH(QByteArray, methodName);
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QByteArray big = songText(2000, "Big");
        const QString archive =
            makeLzh(dir, "m.lzh", {{"tiny.snr", "t"}, {"big.snr", big}}, method);
        QVERIFY(!archive.isEmpty());
        const ArcHandle h = m_unlha->open(archive);
        QVERIFY(h != 0);
        ArcEntryInfo info{};
        QCOMPARE(m_unlha->findFirst(h, "big.snr", &info), 0);
        QCOMPARE(QByteArray(info.method), methodName);
        QCOMPARE(info.originalSize, uint32_t(big.size()));
        QCOMPARE(m_unlha->findFirst(h, "tiny.snr", &info), 0);
        QCOMPARE(QByteArray(info.method), QByteArray("-lh0-"));
        QCOMPARE(m_unlha->close(h), 0);
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, {"*"})), ARC_OK);
        QCOMPARE(fileBytes(target + "/big.snr"), big);
        QCOMPARE(fileBytes(target + "/tiny.snr"), QByteArray("t"));
        QVERIFY(m_unlha->check(archive, ARC_CHECK_MODE_PROBE) != 0);
    }

    void lhaListingOrderAndRecord()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        int rc = 0;
        QCOMPARE(m_unlha->list(archive, "*.snr", &rc),
                 QStringList({"A.SNR", "sub/deep/B.snr", "Song.Snr"}));
        QCOMPARE(rc, ARC_NO_MORE_MEMBERS);
        QCOMPARE(m_unlha->list(archive, "*", &rc).size(), 5);
        QCOMPARE(m_unlha->list(archive, "*.doc", &rc), QStringList({"readme.doc"}));
        QCOMPARE(m_unlha->list(archive, "*.mid", &rc), QStringList());
        QCOMPARE(rc, ARC_NO_MORE_MEMBERS);

        // The raw record: the member path at offset 26, NUL-terminated, '/' separators.
        unsigned char raw[ARC_ENTRY_INFO_SIZE];
        std::memset(raw, 0xCC, sizeof raw);
        const ArcHandle h = m_unlha->open(archive, ARC_OPEN_MODE_PROBE);
        QVERIFY(h != 0);
        QCOMPARE(m_unlha->findFirst(h, "B.SNR", reinterpret_cast<ArcEntryInfo *>(raw)), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(raw + 26)),
                 QByteArray("sub/deep/B.snr"));
        quint32 size = 0;
        std::memcpy(&size, raw, 4);
        QCOMPARE(size, quint32(songText(400, "Beta").size()));
        // No more matching member, and it stays that way.
        QCOMPARE(m_unlha->findNext(h, reinterpret_cast<ArcEntryInfo *>(raw)), ARC_NO_MORE_MEMBERS);
        QCOMPARE(m_unlha->findNext(h, reinterpret_cast<ArcEntryInfo *>(raw)), ARC_NO_MORE_MEMBERS);
        // FindFirst starts again from the first member.
        QCOMPARE(m_unlha->findFirst(h, "*.snr", reinterpret_cast<ArcEntryInfo *>(raw)), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(raw + 26)), QByteArray("A.SNR"));
        QCOMPARE(m_unlha->close(h), 0);
        QCOMPARE(m_unlha->close(h), ARC_ERROR_HANDLE);
        QCOMPARE(m_unlha->findNext(h, reinterpret_cast<ArcEntryInfo *>(raw)), ARC_ERROR_HANDLE);
    }

    void lhaMasks_data()
    {
        QTest::addColumn<QList<QByteArray>>("masks");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("upper case mask")
            << QList<QByteArray>{"*.SNR"} << QStringList{"A.SNR", "Song.Snr", "sub/deep/B.snr"};
        QTest::newRow("question mark")
            << QList<QByteArray>{"?.snr"} << QStringList{"A.SNR", "sub/deep/B.snr"};
        QTest::newRow("folder mask")
            << QList<QByteArray>{"sub\\deep\\*"} << QStringList{"sub/deep/B.snr"};
        QTest::newRow("exact name") << QList<QByteArray>{"song.snr"} << QStringList{"Song.Snr"};
        QTest::newRow("star dot star")
            << QList<QByteArray>{"*.*"}
            << QStringList{"A.SNR", "Song.Snr", "notes.txt", "readme.doc", "sub/deep/B.snr"};
        QTest::newRow("no mask") << QList<QByteArray>{}
                                 << QStringList{"A.SNR", "Song.Snr", "notes.txt", "readme.doc",
                                                "sub/deep/B.snr"};
        QTest::newRow("nothing") << QList<QByteArray>{"*.mid"} << QStringList{};
    }

    void lhaMasks()
    {
        QFETCH(QList<QByteArray>, masks);
        QFETCH(QStringList, expected);
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, masks)), ARC_OK);
        QCOMPARE(filesBelow(target), expected);
    }

    void lhaExcludeAndFlatten()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        const QString target = dir.filePath("out");
        const QByteArray line = "e -+ \"-jxsong.*\" \"" + archive.toLocal8Bit() + "\" \"" +
                                target.toLocal8Bit() + "\\\" \"*.snr\" ";
        QCOMPARE(m_unlha->command(line), ARC_OK);
        QCOMPARE(filesBelow(target), QStringList({"A.SNR", "B.snr"}));
    }

    void lhaResponseFile()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        const QString response =
            writeFixture(dir, "list.rsp", "\"notes.txt\"\r\n\"sub\\deep\\B.snr\"\r\n");
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, {"@" + response.toLocal8Bit()})),
                 ARC_OK);
        QCOMPARE(filesBelow(target), QStringList({"notes.txt", "sub/deep/B.snr"}));
        QCOMPARE(m_unlha->command(
                     lhaLine("x", archive, target, {"@" + dir.filePath("none.rsp").toLocal8Bit()})),
                 ARC_ERROR_RESPONSE_FILE);
    }

    void lhaErrors_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing archive")
            << QByteArray("x") << "missing.lzh" << ARC_ERROR_ARCHIVE_OPEN;
        QTest::newRow("not an archive") << QByteArray("x") << "text.lzh" << ARC_ERROR_ARCHIVE_OPEN;
        QTest::newRow("packing nothing") << QByteArray("u") << "songs.lzh" << ARC_ERROR_SOURCE;
        QTest::newRow("deleting from a missing archive")
            << QByteArray("d") << "missing.lzh" << ARC_ERROR_ARCHIVE_OPEN;
        QTest::newRow("self-extractor")
            << QByteArray("s") << "songs.lzh" << ARC_ERROR_NOT_SUPPORTED;
        QTest::newRow("unknown command")
            << QByteArray("q") << "songs.lzh" << ARC_ERROR_COMMAND_LINE;
        QTest::newRow("no command") << QByteArray("") << "songs.lzh" << ARC_ERROR_COMMAND_LINE;
    }

    void lhaErrors()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, archive);
        QFETCH(int, expected);
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        songLzh(dir);
        writeFixture(dir, "text.lzh", "just some text, no archive at all\n");
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine(command, dir.filePath(archive), target, kSongMasks)),
                 expected);
        QVERIFY(filesBelow(target).isEmpty());
        QCOMPARE(m_unlha->command(QByteArray()), ARC_ERROR_COMMAND_LINE);
        QCOMPARE(m_unlha->command("x"), ARC_ERROR_COMMAND_LINE);
    }

    void lhaOpenAndCheckFailures()
    {
        QTemporaryDir dir;
        const QString text = writeFixture(dir, "text.lzh", "plain text\n");
        QCOMPARE(m_unlha->open(dir.filePath("missing.lzh")), ArcHandle(0));
        QCOMPARE(m_unlha->open(text), ArcHandle(0));
        QCOMPARE(m_unlha->check(text, ARC_CHECK_MODE_PROBE), 0);
        QCOMPARE(m_unlha->check(dir.filePath("missing.lzh"), 0), 0);
        ArcEntryInfo info{};
        QCOMPARE(m_unlha->findFirst(ArcHandle(12345), "*", &info), ARC_ERROR_HANDLE);
        const QString good = writeFixture(dir, "good.lzh", archives::lzhLevel0({{"a.snr", "abc"}}));
        const ArcHandle h = m_unlha->open(good);
        QVERIFY(h != 0);
        QCOMPARE(m_unlha->findNext(h, &info), ARC_ERROR_FIND_ORDER);
        QCOMPARE(m_unlha->close(h), 0);
        // A ZIP archive is not an LHA archive.
        QCOMPARE(m_unlha->check(text, 0), 0);
    }

    void lhaHandMadeLevel0()
    {
        QTemporaryDir dir;
        const QString archive = writeFixture(
            dir, "h.lzh", archives::lzhLevel0({{"DIR\\X.SNR", "xyz"}, {"y.txt", "123"}}));
        QCOMPARE(m_unlha->list(archive, "*"), QStringList({"DIR/X.SNR", "y.txt"}));
        QVERIFY(m_unlha->check(archive, ARC_CHECK_MODE_PROBE) != 0);
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, kSongMasks)), ARC_OK);
        QCOMPARE(filesBelow(target), QStringList({"DIR/X.SNR"}));
        // A damaged checksum is found by the check.
        QByteArray bad = archives::lzhLevel0({{"a.snr", "abcdef"}});
        bad[bad.size() - 3] = 'Z';
        const QString damaged = writeFixture(dir, "bad.lzh", bad);
        QCOMPARE(m_unlha->check(damaged, ARC_CHECK_MODE_PROBE), 0);
        QCOMPARE(m_unlha->command(lhaLine("x", damaged, dir.filePath("bad"), {"*"})),
                 ARC_ERROR_ARCHIVE_DAMAGED);
        QVERIFY(filesBelow(dir.filePath("bad")).isEmpty());
    }

    void shiftJisNames()
    {
        // Names as Japanese Windows archivers store them: code page 932, where the second byte
        // of a character may be a backslash (0x83 0x5C).
        QTemporaryDir dir;
        const QByteArray kyoku("\x8b\xc8.snr"), so("DIR\\\x83\x5c.SNR");
        const QString archive = writeFixture(
            dir, "j.lzh", archives::lzhLevel0({{kyoku, "kyoku"}, {so, "so"}, {"a.txt", "a"}}));
        const QString kyokuName = QString::fromUtf8("\u66f2.snr"),
                      soName = QString::fromUtf8("DIR/\u30bd.SNR");
        QCOMPARE(m_unlha->list(archive, "*.snr"), QStringList({kyokuName, soName}));
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, kSongMasks)), ARC_OK);
        QCOMPARE(fileBytes(target + "/" + kyokuName), QByteArray("kyoku"));
        QCOMPARE(fileBytes(target + "/" + soName), QByteArray("so"));
        QByteArray buffer(8, '\0');
        uint32_t written = 0;
        QCOMPARE(
            m_unlha->extractMem(lhaLine("", archive, {}, {kyokuName.toUtf8()}), buffer, &written),
            ARC_OK);
        QCOMPARE(buffer.left(int(written)), QByteArray("kyoku"));
        // The same in a cabinet.
        const QString cabinet = writeFixture(dir, "j.cab", archives::cab({{kyoku, "kyoku"}}));
        QCOMPARE(m_cab->list(cabinet, "*"), QStringList({kyokuName}));
    }

    void hostileArchives_data()
    {
        using archives::Member;
        QTest::addColumn<QString>("library");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("expected");
        QTest::newRow("lzh parent member")
            << "lha" << archives::lzhLevel0({{"ok.snr", "1"}, {"..\\evil.snr", "x"}})
            << ARC_ERROR_UNSAFE_MEMBER;
        QTest::newRow("lzh nested parent")
            << "lha" << archives::lzhLevel0({{"a/../../evil.snr", "x"}}) << ARC_ERROR_UNSAFE_MEMBER;
        QTest::newRow("lzh absolute member")
            << "lha" << archives::lzhLevel0({{"ok.snr", "1"}, {absoluteVictim(), "x"}})
            << ARC_ERROR_UNSAFE_MEMBER;
        QTest::newRow("lzh drive member")
            << "lha" << archives::lzhLevel0({{"C:\\evil.snr", "x"}}) << ARC_ERROR_UNSAFE_MEMBER;
        QTest::newRow("tar parent member")
            << "tar" << archives::tar({{"ok.snr", "1"}, {"../evil.snr", "x"}})
            << ARC_ERROR_UNSAFE_MEMBER;
        Member outLink{"link", {}, '2', "../outside"};
        Member through{"link/evil.snr", "x"};
        QTest::newRow("tar symlink leaving")
            << "tar" << archives::tar({outLink, through}) << ARC_ERROR_UNSAFE_MEMBER;
        Member absLink{"abs", {}, '2', "/etc"};
        QTest::newRow("tar absolute symlink")
            << "tar" << archives::tar({absLink}) << ARC_ERROR_UNSAFE_MEMBER;
        Member selfLink{"d/self", {}, '2', "."};
        Member climb{"d/up", {}, '2', "self/self/../../.."};
        QTest::newRow("tar symlink climbing through a link")
            << "tar" << archives::tar({{"d", {}, '5'}, selfLink, climb}) << ARC_ERROR_UNSAFE_MEMBER;
        Member hard{"h.snr", {}, '1', "../outside/victim.snr"};
        QTest::newRow("tar hardlink leaving")
            << "tar" << archives::tar({hard}) << ARC_ERROR_UNSAFE_MEMBER;
        Member huge{"huge.snr", "tiny", '0', {}, qint64(8) * 1024 * 1024 * 1024 - 1};
        QTest::newRow("tar huge member")
            << "tar" << archives::tar({huge}) << ARC_ERROR_MEMBER_TOO_LARGE;
    }

    void hostileArchives()
    {
        QFETCH(QString, library);
        QFETCH(QByteArray, bytes);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString base = dir.filePath("base");
        QDir().mkpath(base + "/outside");
        QVERIFY(writeFileIn(base + "/outside/victim.snr", "victim"));
        const bool isLha = library == "lha";
        const QString archive = writeFixture(dir, isLha ? "evil.lzh" : "evil.tar", bytes);
        const QString target = base + "/target";
        int rc = 0;
        if (isLha) {
            rc = m_unlha->command(lhaLine("x", archive, target, {"*"}));
        } else {
            rc = m_tar->command("x -f \"" + archive.toLocal8Bit() + "\" -o \"" +
                                target.toLocal8Bit() + "\\\" ");
        }
        QCOMPARE(rc, expected);
        QCOMPARE(filesBelow(base), QStringList({"outside/victim.snr"}));
        QCOMPARE(fileBytes(base + "/outside/victim.snr"), QByteArray("victim"));
        QVERIFY(!QFileInfo::exists(QString::fromLocal8Bit(absoluteVictim())));
    }

    void existingLinkInTarget()
    {
        QTemporaryDir dir;
        const QString outside = dir.filePath("outside");
        const QString target = dir.filePath("target");
        QDir().mkpath(outside);
        QDir().mkpath(target);
        QVERIFY(QFile::link(outside, target + "/sub"));
        const QString archive =
            writeFixture(dir, "a.lzh", archives::lzhLevel0({{"sub/x.snr", "x"}}));
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, {"*"})), ARC_ERROR_UNSAFE_MEMBER);
        QVERIFY(filesBelow(outside).isEmpty());
    }

    void truncatedAndLyingMembers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray whole = archives::lzhLevel0({{"first.snr", QByteArray(3000, 'a')}});
        QTest::newRow("data cut off") << whole.left(whole.size() - 1000);
        QTest::newRow("header cut off") << whole.left(20);
        archives::Member lying{"lie.snr", "short", '0', {}, 0x7FFFFFF0};
        QTest::newRow("size beyond the file") << archives::lzhLevel0({lying});
    }

    void truncatedAndLyingMembers()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString archive = writeFixture(dir, "t.lzh", bytes);
        const QString target = dir.filePath("out");
        QDir().mkpath(target);
        QVERIFY(writeFileIn(target + "/first.snr", "previous"));
        const int rc = m_unlha->command(lhaLine("x", archive, target, {"*"}));
        QVERIFY(rc == ARC_ERROR_ARCHIVE_DAMAGED || rc == ARC_ERROR_ARCHIVE_OPEN);
        // No partial file; the earlier file is untouched.
        QCOMPARE(filesBelow(target), QStringList({"first.snr"}));
        QCOMPARE(fileBytes(target + "/first.snr"), QByteArray("previous"));
        QCOMPARE(m_unlha->check(archive, ARC_CHECK_MODE_PROBE), 0);
        QByteArray buffer(64, '\0');
        uint32_t written = 0;
        QVERIFY(m_unlha->extractMem(lhaLine("", archive, {}, {"*"}), buffer, &written) != ARC_OK);
    }

    void lhaTruncatedCompressed()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = makeLzh(dir, "c.lzh", {{"big.snr", songText(3000, "Cut")}});
        QFile f(archive);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(f.size() / 2));
        f.close();
        const QString target = dir.filePath("out");
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, kSongMasks)),
                 ARC_ERROR_ARCHIVE_DAMAGED);
        QVERIFY(filesBelow(target).isEmpty());
    }

    void lhaExtractMem()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        const QByteArray expected = songText(400, "Beta");
        QByteArray buffer(expected.size() + 100, '\0');
        uint32_t written = 0;
        int64_t stamp = 0;
        uint16_t attr = 0;
        // The ExtractMem line: no command word and no folder, the member name as the file item.
        const QByteArray line = lhaLine("", archive, {}, {"sub\\deep\\B.snr"});
        QCOMPARE(m_unlha->extractMem(line, buffer, &written, &stamp, &attr), ARC_OK);
        QCOMPARE(written, uint32_t(expected.size()));
        QCOMPARE(buffer.left(int(written)), expected);
        QVERIFY(stamp > 0);
        QVERIFY(attr & 0x20);

        QByteArray small(10, '\0');
        QCOMPARE(m_unlha->extractMem(line, small, &written), ARC_ERROR_BUFFER_TOO_SMALL);
        QCOMPARE(written, 10u);
        QCOMPARE(small, expected.left(10));
        QCOMPARE(m_unlha->extractMem(lhaLine("", archive, {}, {"none.snr"}), buffer, &written),
                 ARC_ERROR_NOT_FOUND);
        QCOMPARE(written, 0u);
    }

    void ownerWindowProgress()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        auto set = reinterpret_cast<ArcSetOwnerWindowExFn>(m_unlha->prefixed("SetOwnerWindowEx"));
        auto kill =
            reinterpret_cast<ArcKillOwnerWindowExFn>(m_unlha->prefixed("KillOwnerWindowEx"));
        ArcMessageWindow window{ARC_MESSAGE_WINDOW_SIGNATURE, 0xC123, &sendProgress};
        const auto id = reinterpret_cast<ArcWindow>(&window);
        Progress progress;
        progress.library = m_unlha.get();
        g_progress = &progress;
        QVERIFY(set(id, nullptr) != 0);
        QCOMPARE(m_unlha->command(lhaLine("x", archive, dir.filePath("out"), {"A.SNR"})), ARC_OK);
        QVERIFY(progress.states.size() >= 2);
        QCOMPARE(progress.states.first(), uint32_t(ARC_EXTRACT_BEGIN));
        QCOMPARE(progress.states.last(), uint32_t(ARC_EXTRACT_END));
        QCOMPARE(progress.names.first(), QString("A.SNR"));
        QCOMPARE(progress.runningSeen, 1);
        QCOMPARE(progress.nestedResult, ARC_ERROR_BUSY);

        // Asking to stop cancels the command and leaves no file.
        progress = Progress{};
        progress.abort = true;
        QCOMPARE(m_unlha->command(lhaLine("x", archive, dir.filePath("stop"), {"*.snr"})),
                 ARC_ERROR_CANCELLED);
        QVERIFY(filesBelow(dir.filePath("stop")).isEmpty());

        QCOMPARE(kill(ArcWindow(999)), 0);
        QVERIFY(kill(id) != 0);
        QCOMPARE(kill(id), 0);
        progress = Progress{};
        QCOMPARE(m_unlha->command(lhaLine("x", archive, dir.filePath("quiet"), {"A.SNR"})), ARC_OK);
        QVERIFY(progress.states.isEmpty());

        // A callback instead of a message window.
        QVERIFY(set(ArcWindow(7), &progressCallback) != 0);
        QCOMPARE(m_unlha->command(lhaLine("x", archive, dir.filePath("cb"), {"Song.Snr"})), ARC_OK);
        QVERIFY(progress.states.contains(ARC_EXTRACT_END));
        QVERIFY(kill(ArcWindow(7)) != 0);
        g_progress = nullptr;
        auto running = reinterpret_cast<int32_t (*)()>(m_unlha->prefixed("GetRunning"));
        QCOMPARE(running(), 0);
        auto version = reinterpret_cast<uint16_t (*)()>(m_unlha->prefixed("GetVersion"));
        QVERIFY(version() > 0);
    }

    void outputArea()
    {
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        const QString archive = songLzh(dir);
        QByteArray output;
        QCOMPARE(m_unlha->command(lhaLine("l", archive, {}, {"*.snr"}), &output, 4096), ARC_OK);
        const QByteArray text(output.constData());
        QVERIFY(text.contains("sub/deep/B.snr"));
        QVERIFY(!text.contains("notes.txt"));
        QCOMPARE(m_unlha->command(lhaLine("l", archive, {}, {"*"}), &output, 8), ARC_OK);
        QCOMPARE(int(qstrlen(output.constData())), 7);
        QCOMPARE(output.at(8 - 1), '\0');
        QCOMPARE(m_unlha->command(lhaLine("t", archive, {}, {}), &output, 4096), ARC_OK);
    }

    // ZIP ---------------------------------------------------------------------------------

    void zipUnpack()
    {
        if (m_bsdtar.isEmpty())
            QSKIP("bsdtar is not installed");
        QTemporaryDir dir;
        QVERIFY(writeFileIn(dir.filePath("src/a.txt"), "alpha"));
        QVERIFY(writeFileIn(dir.filePath("src/sub/[b].txt"), "beta"));
        QVERIFY(writeFileIn(dir.filePath("src/sub/c.snr"), "gamma"));
        const QString archive = dir.filePath("x.zip");
        QVERIFY(runTool(m_bsdtar, {"-c", "--format", "zip", "-f", archive, "a.txt", "sub"},
                        dir.filePath("src")) == 0);
        QCOMPARE(m_unzip->list(archive, "*.txt"), QStringList({"a.txt", "sub/[b].txt"}));
        const QString target = dir.filePath("out");
        const QByteArray a = archive.toLocal8Bit(), t = target.toLocal8Bit();
        // The unpacking line: "-x", then "--i" for an owner window, the name conversion's
        // "[[]" for a literal bracket.
        QCOMPARE(m_unzip->command("-x --i  \"" + a + "\" \"" + t + "\\\" \"sub/[[]b].txt\" "),
                 ARC_OK);
        QCOMPARE(filesBelow(target), QStringList({"sub/[b].txt"}));
        // Without -o an existing file stays; with -o it is replaced.
        QVERIFY(writeFileIn(target + "/a.txt", "old"));
        QCOMPARE(m_unzip->command("-x  \"" + a + "\" \"" + t + "\\\" \"*.txt\" "), ARC_OK);
        QCOMPARE(fileBytes(target + "/a.txt"), QByteArray("old"));
        QCOMPARE(m_unzip->command("-x -o  \"" + a + "\" \"" + t + "\\\" \"*.txt\" "), ARC_OK);
        QCOMPARE(fileBytes(target + "/a.txt"), QByteArray("alpha"));
        // -j drops the folders.
        QCOMPARE(m_unzip->command("-x -o -j  \"" + a + "\" \"" + t + "/flat\\\" \"*.snr\" "),
                 ARC_OK);
        QCOMPARE(filesBelow(target + "/flat"), QStringList({"c.snr"}));
        QVERIFY(m_unzip->check(archive, 0) != 0);
        QByteArray buffer(64, '\0');
        uint32_t written = 0;
        QCOMPARE(m_unzip->extractMem(" \"" + a + "\" \"sub/c.snr\" ", buffer, &written), ARC_OK);
        QCOMPARE(buffer.left(int(written)), QByteArray("gamma"));
        QCOMPARE(m_zip->list(archive, "c.snr"), QStringList({"sub/c.snr"}));
        QCOMPARE(m_unlha->check(archive, 0), 0);
    }

    void zipHostileMember()
    {
        // A bsdtar-made ZIP whose member name is edited to climb out (same length, so every
        // offset stays right; the name is in the local header and the central directory).
        if (m_bsdtar.isEmpty())
            QSKIP("bsdtar is not installed");
        QTemporaryDir dir;
        QVERIFY(writeFileIn(dir.filePath("src/zz/x.snr"), "x"));
        QVERIFY(writeFileIn(dir.filePath("src/ok.snr"), "ok"));
        const QString made = dir.filePath("made.zip");
        QVERIFY(runTool(m_bsdtar, {"-c", "--format", "zip", "-f", made, "ok.snr", "zz/x.snr"},
                        dir.filePath("src")) == 0);
        QByteArray bytes = fileBytes(made);
        QVERIFY(bytes.count("zz/x.snr") >= 2);
        bytes.replace("zz/x.snr", "../x.snr");
        const QString evil = writeFixture(dir, "evil.zip", bytes);
        const QString base = dir.filePath("base");
        const QByteArray line =
            "-x -o  \"" + evil.toLocal8Bit() + "\" \"" + base.toLocal8Bit() + "/target\\\" ";
        QCOMPARE(m_unzip->command(line), ARC_ERROR_UNSAFE_MEMBER);
        QVERIFY(!QFileInfo::exists(dir.filePath("x.snr")));
        QVERIFY(filesBelow(base).isEmpty());
        // Its listing shows the name as stored; asking only for the harmless member works.
        QCOMPARE(m_unzip->list(evil, "*"), QStringList({"ok.snr", "../x.snr"}));
        QCOMPARE(m_unzip->command("-x -o  \"" + evil.toLocal8Bit() + "\" \"" + base.toLocal8Bit() +
                                  "/target\\\" \"ok.snr\" "),
                 ARC_OK);
        QCOMPARE(filesBelow(base), QStringList({"target/ok.snr"}));
    }

    void zipPackDeleteFreshen()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        QVERIFY(writeFileIn(src + "/one.snr", "1"));
        QVERIFY(writeFileIn(src + "/two.snr", "2"));
        QVERIFY(writeFileIn(src + "/deep/three.snr", "3"));
        QVERIFY(writeFileIn(src + "/skip.txt", "no"));
        const QString archive = dir.filePath("p.zip");
        const QByteArray a = archive.toLocal8Bit(), s = src.toLocal8Bit();
        auto zipCommand = reinterpret_cast<ArcCommandFn>(m_zip->entry("Zip"));
        const auto zipRun = [&](const QByteArray &line) {
            return zipCommand(0, line.constData(), nullptr, 0);
        };
        // Pack with the packing builder's defaults: -D, recursion, level 9.
        QCOMPARE(zipRun(" -D -r -9  \"" + a + "\" \"" + s + "\\\" \"*.snr\" "), ARC_OK);
        QCOMPARE(m_zip->list(archive, "*"), QStringList({"deep/three.snr", "one.snr", "two.snr"}));
        // A folder given with its own trailing separator ("dir/" + the builder's "\\").
        const QString other = dir.filePath("other.zip");
        QCOMPARE(zipRun(" -D -r  \"" + other.toLocal8Bit() + "\" \"" + s + "/\\\" \"*.snr\" "),
                 ARC_OK);
        QCOMPARE(m_zip->list(other, "*"), QStringList({"deep/three.snr", "one.snr", "two.snr"}));
        QCOMPARE(zipRun(" -D  \"" + a + "\" \"" + s + "\\\" \"nothing*.x\" "), ARC_ERROR_SOURCE);
        // Delete.
        QCOMPARE(zipRun("-d -D  \"" + a + "\" \"two.snr\" "), ARC_OK);
        QCOMPARE(m_zip->list(archive, "*"), QStringList({"deep/three.snr", "one.snr"}));
        // Freshen replaces members with newer files only.
        QVERIFY(writeFileIn(src + "/one.snr", "ONE"));
        {
            QFile one(src + "/one.snr");
            QVERIFY(one.open(QIODevice::ReadWrite));
            QVERIFY(one.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                    QFileDevice::FileModificationTime));
        }
        QCOMPARE(zipRun("-f -D  \"" + a + "\" \"" + s + "\\\" \"one.snr\" \"skip.txt\" "), ARC_OK);
        QCOMPARE(m_zip->list(archive, "*"), QStringList({"deep/three.snr", "one.snr"}));
        QByteArray buffer(16, '\0');
        uint32_t written = 0;
        QCOMPARE(m_unzip->extractMem(" \"" + a + "\" \"one.snr\" ", buffer, &written), ARC_OK);
        QCOMPARE(buffer.left(int(written)), QByteArray("ONE"));
        // Adding to an existing archive keeps its members.
        QCOMPARE(zipRun(" -D  \"" + a + "\" \"" + s + "\\\" \"skip.txt\" "), ARC_OK);
        QCOMPARE(m_zip->list(archive, "*"), QStringList({"deep/three.snr", "one.snr", "skip.txt"}));
        // The self-extractor step changes nothing and succeeds; a missing file is an error.
        const QByteArray before = fileBytes(archive);
        QCOMPARE(zipRun("-A " + a), ARC_OK);
        QCOMPARE(fileBytes(archive), before);
        QCOMPARE(zipRun("-A " + dir.filePath("none.EXE").toLocal8Bit()), ARC_ERROR_ARCHIVE_OPEN);
        QCOMPARE(zipRun("-d  \"" + dir.filePath("none.zip").toLocal8Bit() + "\" \"x\" "),
                 ARC_ERROR_ARCHIVE_OPEN);
        QVERIFY(!QFileInfo::exists(dir.filePath("none.zip")));
        QCOMPARE(filesBelow(dir.path()).filter(".tunelet-").size(), 0);
    }

    void zipFreshenReadsNoFileOutsideItsFolder()
    {
        // Members whose names climb out or lead through a link name no file of the base
        // folder: freshening without names leaves them as they are, as unpacking would
        // refuse to write them.
        if (m_bsdtar.isEmpty())
            QSKIP("bsdtar is not installed");
        QTemporaryDir dir;
        QVERIFY(writeFileIn(dir.filePath("src/ok.snr"), "ok"));
        QVERIFY(writeFileIn(dir.filePath("src/zz/x.snr"), "x"));
        QVERIFY(writeFileIn(dir.filePath("src/ln/y.snr"), "y"));
        const QString made = dir.filePath("made.zip");
        QVERIFY(runTool(m_bsdtar,
                        {"-c", "--format", "zip", "-f", made, "ok.snr", "zz/x.snr", "ln/y.snr"},
                        dir.filePath("src")) == 0);
        QByteArray bytes = fileBytes(made);
        bytes.replace("zz/x.snr", "../x.snr");
        const QString archive = writeFixture(dir, "f.zip", bytes);
        const QString base = dir.filePath("base");
        QVERIFY(writeFileIn(base + "/ok.snr", "OK NEWER"));
        QVERIFY(writeFileIn(dir.filePath("x.snr"), "SECRET"));
        QVERIFY(writeFileIn(dir.filePath("elsewhere/y.snr"), "SECRET TOO"));
        QVERIFY(QFile::link(dir.filePath("elsewhere"), base + "/ln"));
        const QDateTime later = QDateTime::currentDateTime().addSecs(120);
        for (const QString &file :
             {base + "/ok.snr", dir.filePath("x.snr"), dir.filePath("elsewhere/y.snr")}) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(later, QFileDevice::FileModificationTime));
        }
        auto zipCommand = reinterpret_cast<ArcCommandFn>(m_zip->entry("Zip"));
        const QByteArray line =
            "-f -D  \"" + archive.toLocal8Bit() + "\" \"" + base.toLocal8Bit() + "\\\" ";
        QCOMPARE(zipCommand(0, line.constData(), nullptr, 0), ARC_OK);
        const auto member = [&](const QByteArray &name) {
            QByteArray buffer(32, '\0');
            uint32_t written = 0;
            m_unzip->extractMem(" \"" + archive.toLocal8Bit() + "\" \"" + name + "\" ", buffer,
                                &written);
            return buffer.left(int(written));
        };
        QCOMPARE(member("ok.snr"), QByteArray("OK NEWER"));
        QCOMPARE(member("../x.snr"), QByteArray("x"));
        QCOMPARE(member("ln/y.snr"), QByteArray("y"));
    }

    // BOUNDS ------------------------------------------------------------------------------

    // A file of `mebibytes` MiB of zero bytes that takes no room on disk.
    static void writeSparse(const QString &path, qint64 mebibytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(mebibytes * 1024 * 1024));
    }

    void boundOfOneCommand()
    {
        // Members that together declare more than one command takes out are refused before
        // anything is written; a test never reads a member beyond the bound.
        if (m_lha.isEmpty())
            QSKIP("the lha tool is not installed");
        QTemporaryDir dir;
        QVERIFY(writeFileIn(dir.filePath("src/a.snr"), "small"));
        writeSparse(dir.filePath("src/b.snr"), 33);
        writeSparse(dir.filePath("src/c.snr"), 33);
        const QString archive = dir.filePath("bomb.lzh");
        QVERIFY(runTool(m_lha, {"aoq5", archive, "a.snr", "b.snr", "c.snr"}, dir.filePath("src")) ==
                0);
        QVERIFY(QFileInfo(archive).size() < 64 * 1024);

        const QString target = dir.filePath("out");
        QByteArray log;
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, {"*"}), &log, 4096),
                 ARC_ERROR_TOTAL_TOO_LARGE);
        QVERIFY2(log.startsWith("error: archive too large: its members declare 69206021 bytes"),
                 log.constData());
        QVERIFY(filesBelow(target).isEmpty());
        QCOMPARE(m_unlha->check(archive, ARC_CHECK_MODE_PROBE), 0);
        QCOMPARE(m_unlha->list(archive, "*"), (QStringList{"a.snr", "b.snr", "c.snr"}));
        // Within the bound the same archive unpacks.
        QCOMPARE(m_unlha->command(lhaLine("x", archive, target, {"a.snr", "c.snr"})), ARC_OK);
        QCOMPARE(filesBelow(target), (QStringList{"a.snr", "c.snr"}));
        QCOMPARE(filesBelow(dir.path()).filter(".tunelet-").size(), 0);
    }

    void compressedStreamBound()
    {
        // In a compressed tar the next member lies behind the data of the one before: it is
        // never reached by decompressing beyond the bound, not even for a listing.
        if (m_bsdtar.isEmpty())
            QSKIP("bsdtar is not installed");
        QTemporaryDir dir;
        writeSparse(dir.filePath("src/big.snr"), 70);
        QVERIFY(writeFileIn(dir.filePath("src/small.snr"), "small"));
        const QString archive = dir.filePath("bomb.tgz");
        QVERIFY(runTool(m_bsdtar, {"--format", "ustar", "-czf", archive, "big.snr", "small.snr"},
                        dir.filePath("src")) == 0);
        int result = 0;
        QCOMPARE(m_tar->list(archive, "*", &result), QStringList{"big.snr"});
        QCOMPARE(result, ARC_ERROR_TOTAL_TOO_LARGE);
        const QString target = dir.filePath("out");
        QCOMPARE(m_tar->command("x -f \"" + archive.toLocal8Bit() + "\" -o \"" +
                                target.toLocal8Bit() + "\\\" \"small.snr\" "),
                 ARC_ERROR_TOTAL_TOO_LARGE);
        QVERIFY(filesBelow(target).isEmpty());
        QCOMPARE(m_tar->check(archive, 0), 0);
    }

    void onlyRegularFilesAreOpened()
    {
        // A FIFO named like an archive or a response file: every entry answers at once.
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath("pipe.lzh"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QCOMPARE(m_unlha->open(QString::fromLocal8Bit(fifo)), ArcHandle(0));
        QCOMPARE(m_unlha->check(QString::fromLocal8Bit(fifo), ARC_CHECK_MODE_PROBE), 0);
        QCOMPARE(m_unlha->command(
                     lhaLine("x", QString::fromLocal8Bit(fifo), dir.filePath("out"), kSongMasks)),
                 ARC_ERROR_ARCHIVE_OPEN);
        auto getType = reinterpret_cast<ArcGetArchiveTypeFn>(m_tar->entry("TarGetArchiveType"));
        QCOMPARE(getType(fifo.constData()), ARC_TYPE_UNKNOWN);
        const QString good = writeFixture(dir, "good.lzh", archives::lzhLevel0({{"a.snr", "abc"}}));
        QCOMPARE(m_unlha->command("x \"" + good.toLocal8Bit() + "\" \"" +
                                  dir.filePath("out").toLocal8Bit() + "\\\" \"@" + fifo + "\" "),
                 ARC_ERROR_RESPONSE_FILE);
        QVERIFY(filesBelow(dir.filePath("out")).isEmpty());
    }

    // TAR ---------------------------------------------------------------------------------

    void tarArchiveType_data()
    {
        QTest::addColumn<QStringList>("bsdtarArgs");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::newRow("tar") << QStringList{"-cf"} << "a.tar" << ARC_TYPE_TAR;
        QTest::newRow("tgz") << QStringList{"-czf"} << "a.tgz" << ARC_TYPE_TAR_GZ;
        QTest::newRow("tar.Z") << QStringList{"-cZf"} << "a.taz" << ARC_TYPE_TAR_Z;
        QTest::newRow("tbz") << QStringList{"-cjf"} << "a.tar.bz2" << ARC_TYPE_TAR_BZ2;
        QTest::newRow("gz") << QStringList{"--format", "raw", "-czf"} << "a.snr.gz" << ARC_TYPE_GZ;
        QTest::newRow("bz2") << QStringList{"--format", "raw", "-cjf"} << "a.snr.bz2"
                             << ARC_TYPE_BZ2;
    }

    void tarArchiveType()
    {
        QFETCH(QStringList, bsdtarArgs);
        QFETCH(QString, name);
        QFETCH(int, type);
        if (m_bsdtar.isEmpty())
            QSKIP("bsdtar is not installed");
        QTemporaryDir dir;
        QVERIFY(writeFileIn(dir.filePath("a.snr"), songText(50, "Tar")));
        QVERIFY(runTool(m_bsdtar, bsdtarArgs + QStringList{name, "a.snr"}, dir.path()) == 0);
        auto getType = reinterpret_cast<ArcGetArchiveTypeFn>(m_tar->entry("TarGetArchiveType"));
        QCOMPARE(getType(dir.filePath(name).toLocal8Bit().constData()), type);
        const QString target = dir.filePath("out");
        const QByteArray line = "x --check-all-path=1 -f \"" + dir.filePath(name).toLocal8Bit() +
                                "\" -o \"" + target.toLocal8Bit() + "\\\" ";
        QCOMPARE(m_tar->command(line), ARC_OK);
        QCOMPARE(fileBytes(target + "/a.snr"), songText(50, "Tar"));
        QCOMPARE(m_tar->list(dir.filePath(name), "*"), QStringList({"a.snr"}));
        QCOMPARE(getType(dir.filePath("a.snr").toLocal8Bit().constData()), ARC_TYPE_UNKNOWN);
        QCOMPARE(getType(dir.filePath("missing").toLocal8Bit().constData()), ARC_TYPE_UNKNOWN);
        QCOMPARE(m_tar->open(dir.filePath("a.snr")), ArcHandle(0));
    }

    void tarCreate_data()
    {
        QTest::addColumn<QByteArray>("switches");
        QTest::addColumn<int>("type");
        QTest::newRow("tar") << QByteArray("") << ARC_TYPE_TAR;
        QTest::newRow("tgz default") << QByteArray("-z") << ARC_TYPE_TAR_GZ;
        QTest::newRow("tgz 9") << QByteArray("-z9") << ARC_TYPE_TAR_GZ;
        QTest::newRow("bz2") << QByteArray("-B") << ARC_TYPE_TAR_BZ2;
    }

    void tarCreate()
    {
        QFETCH(QByteArray, switches);
        QFETCH(int, type);
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        QVERIFY(writeFileIn(src + "/a.snr", "a"));
        QVERIFY(writeFileIn(src + "/d/b.snr", "b"));
        const QString archive = dir.filePath("new.tar");
        const QByteArray line = "c --check-all-path=0 " + switches + "  -f \"" +
                                archive.toLocal8Bit() + "\" -o \"" + src.toLocal8Bit() +
                                "\\\" \"a.snr\" \"d\" ";
        QCOMPARE(m_tar->command(line), ARC_OK);
        auto getType = reinterpret_cast<ArcGetArchiveTypeFn>(m_tar->entry("TarGetArchiveType"));
        QCOMPARE(getType(archive.toLocal8Bit().constData()), type);
        QCOMPARE(m_tar->list(archive, "*.snr"), QStringList({"a.snr", "d/b.snr"}));
        // Creating again replaces the archive.
        const QByteArray again = "c " + switches + " -f \"" + archive.toLocal8Bit() + "\" -o \"" +
                                 src.toLocal8Bit() + "\\\" \"a.snr\" ";
        QCOMPARE(m_tar->command(again), ARC_OK);
        QCOMPARE(m_tar->list(archive, "*"), QStringList({"a.snr"}));
        QCOMPARE(m_tar->command(line), ARC_OK);
        QByteArray buffer(8, '\0');
        uint32_t written = 0;
        QCOMPARE(m_tar->extractMem(" -f \"" + archive.toLocal8Bit() + "\" \"d\\b.snr\" ", buffer,
                                   &written),
                 ARC_OK);
        QCOMPARE(buffer.left(int(written)), QByteArray("b"));
    }

    void tarFlatAndLinksInside()
    {
        QTemporaryDir dir;
        using archives::Member;
        const QString archive = writeFixture(dir, "l.tar",
                                             archives::tar({{"d", {}, '5'},
                                                            {"d/song.snr", "song"},
                                                            {"d/alias.snr", {}, '2', "song.snr"},
                                                            {"d/up", {}, '2', "../d"},
                                                            {"hard.snr", {}, '1', "d/song.snr"}}));
        const QString target = dir.filePath("out");
        QCOMPARE(m_tar->command("x -f \"" + archive.toLocal8Bit() + "\" -o \"" +
                                target.toLocal8Bit() + "\\\" "),
                 ARC_OK);
        QCOMPARE(QFileInfo(target + "/d/alias.snr").symLinkTarget(), target + "/d/song.snr");
        QCOMPARE(fileBytes(target + "/hard.snr"), QByteArray("song"));
        const QString flat = dir.filePath("flat");
        QCOMPARE(m_tar->command("x --use-directory=0 -f \"" + archive.toLocal8Bit() + "\" -o \"" +
                                flat.toLocal8Bit() + "\\\" \"*.snr\" "),
                 ARC_OK);
        QVERIFY(QFileInfo::exists(flat + "/song.snr"));
    }

    // CAB and RAR ---------------------------------------------------------------------------

    void cabUnpackAndList()
    {
        QTemporaryDir dir;
        const QByteArray big(70000, 'q');
        const QString archive = writeFixture(
            dir, "c.cab",
            archives::cab({{"DATA\\SONG.SNR", "cab song"}, {"big.bin", big}, {"x.txt", "x"}}));
        QCOMPARE(m_cab->list(archive, "*"), QStringList({"DATA/SONG.SNR", "big.bin", "x.txt"}));
        const QString target = dir.filePath("out");
        const QByteArray a = archive.toLocal8Bit(), t = target.toLocal8Bit();
        QCOMPARE(m_cab->command("-x -i  \"" + a + "\" \"" + t + "\\\" \"*.snr\" \"*.bin\" "),
                 ARC_OK);
        QCOMPARE(filesBelow(target), QStringList({"DATA/SONG.SNR", "big.bin"}));
        QCOMPARE(fileBytes(target + "/big.bin"), big);
        QCOMPARE(m_cab->command("-a  \"" + a + "\" \"" + t + "\\\" \"x\" "), ARC_ERROR_SOURCE);
        QVERIFY(m_cab->check(archive, 0) != 0);
        QByteArray buffer(32, '\0');
        uint32_t written = 0;
        QCOMPARE(m_cab->extractMem(" \"" + a + "\" \"data\\song.snr\" ", buffer, &written), ARC_OK);
        QCOMPARE(buffer.left(int(written)), QByteArray("cab song"));
        const QString evil = writeFixture(dir, "e.cab", archives::cab({{"..\\evil.snr", "x"}}));
        QCOMPARE(m_cab->command("-x  \"" + evil.toLocal8Bit() + "\" \"" + t + "/e\\\" "),
                 ARC_ERROR_UNSAFE_MEMBER);
        QVERIFY(!QFileInfo::exists(target + "/evil.snr"));
    }

    void rarUnpackAndList()
    {
        QTemporaryDir dir;
        const QString archive = writeFixture(
            dir, "r.rar", archives::rar({{"music\\tune.snr", "rar song"}, {"other.txt", "other"}}));
        QCOMPARE(m_unrar->list(archive, "*"), QStringList({"music/tune.snr", "other.txt"}));
        const QString target = dir.filePath("out");
        const QByteArray a = archive.toLocal8Bit(), t = target.toLocal8Bit();
        QCOMPARE(m_unrar->command("-x -u  \"" + a + "\" \"" + t + "\\\" \"*.snr\" "), ARC_OK);
        QCOMPARE(fileBytes(target + "/music/tune.snr"), QByteArray("rar song"));
        // -u keeps a file newer than its member; without it the member replaces it.
        QVERIFY(writeFileIn(target + "/music/tune.snr", "edited"));
        QCOMPARE(m_unrar->command("-x -u  \"" + a + "\" \"" + t + "\\\" \"*.snr\" "), ARC_OK);
        QCOMPARE(fileBytes(target + "/music/tune.snr"), QByteArray("edited"));
        QCOMPARE(m_unrar->command("-x  \"" + a + "\" \"" + t + "\\\" \"*.snr\" "), ARC_OK);
        QCOMPARE(fileBytes(target + "/music/tune.snr"), QByteArray("rar song"));
        QCOMPARE(m_unrar->command("-e  \"" + a + "\" \"" + t + "/flat\\\" \"*.snr\" "), ARC_OK);
        QCOMPARE(filesBelow(target + "/flat"), QStringList({"tune.snr"}));
        QVERIFY(m_unrar->check(archive, 0) != 0);
        QCOMPARE(m_unrar->check(writeFixture(dir, "no.rar", "Rar! but not really"), 0), 0);
    }

    void librariesKeepTheirOwnState()
    {
        // A handle of one library means nothing to another.
        QTemporaryDir dir;
        const QString archive = writeFixture(dir, "a.lzh", archives::lzhLevel0({{"a.snr", "a"}}));
        const ArcHandle h = m_unlha->open(archive);
        QVERIFY(h != 0);
        ArcEntryInfo info{};
        QCOMPARE(m_cab->findFirst(h, "*", &info), ARC_ERROR_HANDLE);
        QCOMPARE(m_unlha->findFirst(h, "*", &info), 0);
        QCOMPARE(m_unlha->close(h), 0);
    }
};

QTEST_GUILESS_MAIN(TestArchivers)
#include "tst_archivers.moc"
