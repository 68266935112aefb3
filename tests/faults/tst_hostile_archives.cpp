// Hostile LZH archives added as rows with titles taken through the real LHA
// library: members climbing out with "..", absolute paths, links leading out
// of the program folder, sizes that lie and data cut short. Nothing is written
// outside the program folder, nothing is left in it, and an archive's song
// data, when it has any, is what gets played.
#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ArchiveWriters.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/faults/FaultSupport.h"
#include "tests/faults/FaultTests.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/windowlink/WindowSystem.h"
#include "playlist/PlaylistModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

namespace
{
const QString NoDataFile = QStringLiteral("snrファイルが存在しません。");
constexpr qint64 MemoryBoundKiB = 64 * 1024;
} // namespace

class TestHostileArchives final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void hostileArchive_data();
    void hostileArchive();
    void workFileNameTakenByAFolder();
    void notAnArchive_data();
    void notAnArchive();
    void fullDiskDuringExtraction();
    void songBesideHostileMembersPlays();
    void oddArchiveNames_data();
    void oddArchiveNames();
    void fifoNamedLikeAnArchive();
    void smallBomb();

private:
    TForm1 &form() const { return m_fixture->form(); }
    // The archive for a case of hostileArchive_data; places outside the
    // program folder are named through root.
    QByteArray archiveBytes(const QString &kind, const QByteArray &root) const;

    std::unique_ptr<faults::CappedLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    QByteArray m_root;
};

void TestHostileArchives::initTestCase()
{
    const QByteArray bin = faults::binDir();
    if (bin.isEmpty() || !QFile::exists(QFile::decodeName(bin + "/libunlha32.so")))
        QSKIP("the LHA library is not built");
    useLibraryFolder(bin);
}

void TestHostileArchives::init()
{
    m_launcher = std::make_unique<faults::CappedLauncher>(std::chrono::seconds(60));
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_fixture->start({.processes = m_launcher.get()});
    action(form(), "MMLzhHEAD")->setChecked(true);
    m_root = m_fixture->outsideRoot();
    // Places a hostile member might aim at.
    QVERIFY(writeBytes(m_root + "victim.snr", "original"));
    faults::makeFolder(m_root + "outside");
}

void TestHostileArchives::cleanup()
{
    if (m_launcher)
        QVERIFY(m_launcher->endStarted());
    m_fixture.reset();
    m_launcher.reset();
}

QByteArray TestHostileArchives::archiveBytes(const QString &kind, const QByteArray &root) const
{
    const QByteArray s = songData("Inside");
    if (kind == "climb")
        return archives::lzhLevel0({{"../evil.snr", s}});
    if (kind == "climb far")
        return archives::lzhLevel0({{"..\\..\\..\\..\\evil.snr", s}});
    if (kind == "climb through a folder")
        return archives::lzhLevel0({{"ok.snr", s}, {"sub/../../victim.snr", "overwritten"}});
    if (kind == "absolute")
        return archives::lzhLevel0({{root + "victim.snr", "overwritten"}});
    if (kind == "drive letter")
        return archives::lzhLevel0({{"C:\\evil.snr", s}});
    if (kind == "link to a file outside")
        return archives::lzhSymlink("song.snr", "../victim.snr") + archives::lzhEnd();
    if (kind == "link, then data through it")
        return archives::lzhSymlink("song.snr", root + "victim.snr") +
               archives::lzhLevel0({{"song.snr", "overwritten"}});
    if (kind == "folder link, then data through it")
        // The folder link is no data file and is not taken out; the member
        // below it then lands in a real folder.
        return archives::lzhSymlink("sub", root + "outside") +
               archives::lzhLevel0({{"sub/in.snr", s}});
    if (kind == "huge size claimed")
        return archives::lzhLevel0({archives::Member("song.snr", s, '0', {}, 0xFFFFFFF0)});
    if (kind == "size beyond the data")
        return archives::lzhLevel0({archives::Member("song.snr", s, '0', {}, s.size() + 100000)});
    if (kind == "truncated") {
        const QByteArray whole = archives::lzhLevel0({{"song.snr", s + QByteArray(3000, ';')}});
        return whole.left(whole.size() / 2);
    }
    if (kind == "truncated header")
        return archives::lzhLevel0({{"song.snr", s}}).left(15);
    if (kind == "folder named like the work file")
        return archives::lzhLevel0({{"tunelet.snr/in.snr", s}});
    if (kind == "hostile member of another kind")
        return archives::lzhLevel0({{"../evil.txt", "x"}, {"song.snr", s}});
    return {};
}

void TestHostileArchives::hostileArchive_data()
{
    QTest::addColumn<QString>("kind");
    // The song data that ends up in the work file; empty: no work file.
    QTest::addColumn<QByteArray>("played");

    // A hostile member that is a data file makes the library refuse the
    // whole archive: no data file is taken out.
    for (const char *refused :
         {"climb", "climb far", "climb through a folder", "absolute", "drive letter",
          "link to a file outside", "link, then data through it", "huge size claimed",
          "size beyond the data", "truncated", "truncated header"})
        QTest::newRow(refused) << QString::fromLatin1(refused) << QByteArray();
    QTest::newRow("folder link, then data through it")
        << QStringLiteral("folder link, then data through it") << songData("Inside");
    QTest::newRow("folder named like the work file")
        << QStringLiteral("folder named like the work file") << songData("Inside");
    QTest::newRow("hostile member of another kind")
        << QStringLiteral("hostile member of another kind") << songData("Inside");
}

void TestHostileArchives::hostileArchive()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, played);
    const QByteArray bytes = archiveBytes(kind, m_root);
    QVERIFY(!bytes.isEmpty());
    const QByteArray lzh = m_fixture->writeOutside("hostile.lzh", bytes);
    QVERIFY(!lzh.isEmpty());
    const auto before = faults::snapshot(m_root, {"home", "run"});

    faults::resetPeak();
    const qint64 peakBefore = faults::peakKiB();
    form().Run([&] { form().AppendEntry(lzh); });
    const qint64 growth = faults::peakKiB() - peakBefore;
    if (kind.contains(QStringLiteral("size")))
        qInfo("%s: peak memory grew by %lld KiB", qPrintable(kind), growth);
    QVERIFY2(growth < MemoryBoundKiB, "taking the archive apart took too much memory");

    // Nothing outside the program folder changed.
    QCOMPARE(faults::snapshot(m_root, {"home", "run"}), before);
    QCOMPARE(form().Playlist().count(), 1);
    QCOMPARE(form().Playlist().path(0), lzh);
    QCOMPARE(form().Playlist().entry(0).imageIndex, 2);
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    if (played.isEmpty()) {
        QCOMPARE(form().Playlist().caption(0), QByteArray("[LZH] hostile.lzh"));
        QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
        QCOMPARE(m_fixture->leftInHome(), QByteArrayList{});
    } else {
        QCOMPARE(form().Playlist().caption(0), QByteArray("[LZH] Inside"));
        QVERIFY(m_fixture->dialogs().shown().isEmpty());
        QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
        QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), played);
    }
}

void TestHostileArchives::workFileNameTakenByAFolder()
{
    // A folder stands where the work file goes: the archive's data cannot
    // become the work file. The error ends the command, and what was taken
    // out is removed again; the folder is left alone.
    const QByteArray blocking = faults::makeFolder(m_fixture->path("tunelet.snr"));
    QVERIFY(writeBytes(blocking + "mine.txt", "kept"));
    const QByteArray lzh = m_fixture->writeOutside(
        "song.lzh", archives::lzhLevel0({{"song.snr", songData("Inside")}}));
    form().Run([&] { form().AppendEntry(lzh); });
    QCOMPARE(m_fixture->dialogs().texts(What::Error),
             QStringList{"ﾌｧｲﾙ " + QString::fromUtf8(m_fixture->path("tunelet.snr")) +
                         " を作成できません"});
    QCOMPARE(m_fixture->leftInHome(), (QByteArrayList{"tunelet.snr/", "tunelet.snr/mine.txt"}));

    // Once the folder is gone, the same archive gives its row.
    QVERIFY(QDir(QFile::decodeName(blocking)).removeRecursively());
    m_fixture->dialogs().clear();
    form().Run([&] { form().AppendEntry(lzh); });
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QCOMPARE(m_fixture->captions().last(), QByteArray("[LZH] Inside"));
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestHostileArchives::notAnArchive_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 13) & 0xFF));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << binary;
    QTest::newRow("song data") << songData("Not packed");
    QTest::newRow("header only") << QByteArray("\x1a\x00-lh0-", 7);
}

void TestHostileArchives::notAnArchive()
{
    QFETCH(QByteArray, content);
    const QByteArray lzh = m_fixture->writeOutside("fake.lzh", content);
    const auto before = faults::snapshot(m_root, {"home", "run"});
    form().Run([&] { form().AppendEntry(lzh); });
    QCOMPARE(faults::snapshot(m_root, {"home", "run"}), before);
    QVERIFY(m_fixture->leftInHome().isEmpty());
    // The row shows the archive's name and says it holds no data file.
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] fake.lzh"});
    QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
}

void TestHostileArchives::fullDiskDuringExtraction()
{
    // The data member does not fit: the extraction fails, the work file of
    // before stays whole and nothing half-written is left.
    QVERIFY(writeBytes(m_fixture->path("tunelet.snr"), songData("Old")));
    const QByteArray big = songData("Big") + QByteArray(64 * 1024, ';');
    const QByteArray lzh =
        m_fixture->writeOutside("big.lzh", archives::lzhLevel0({{"sub/big.snr", big}}));
    const std::optional<QByteArray> report = faults::inChildWithFileSizeLimit(16 * 1024, [&] {
        form().Run([&] { form().AppendEntry(lzh); });
        return m_fixture->captions().join('\n') + '\n' +
               m_fixture->dialogs().texts(What::Message).join('\n').toUtf8() +
               m_fixture->dialogs().texts(What::Error).join('\n').toUtf8();
    });
    QVERIFY2(report, "the process did not end well");
    QCOMPARE(QString::fromUtf8(*report), "[LZH] big.lzh\n" + NoDataFile);
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), songData("Old"));
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestHostileArchives::songBesideHostileMembersPlays()
{
    const QByteArray lzh = m_fixture->writeOutside(
        "mixed.lzh",
        archives::lzhSymlink("sub", m_root + "outside") +
            archives::lzhLevel0({{"../evil.txt", "x"}, {"sub/in.snr", songData("Inside")}}));
    form().SonaroPath = faults::binDir() + "/sonaro";
    form().AppendEntry(lzh);
    QCOMPARE(form().Playlist().caption(0), QByteArray("[LZH] Inside"));

    form().Run([this] { form().SBPlayClick(); });
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QCOMPARE(form().windowTitle(),
             "Tunelet - <1> " + QString::fromUtf8(m_fixture->path("tunelet.snr")));
    // The player shows the archive's song.
    auto windows = windowlink::makeLinkWindowSystem();
    QTRY_VERIFY_WITH_TIMEOUT(
        QString::fromStdString(
            windowlink::windowText(*windows, windows->FindWindowA("CN_sonaro", nullptr)))
            .startsWith(QStringLiteral("Sonaro - Inside")),
        20000);
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), songData("Inside"));
    QVERIFY(faults::snapshot(m_root + "outside").isEmpty());
}

void TestHostileArchives::oddArchiveNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("relative");
    // Empty: the row is the archive's song; otherwise the error that ends the command.
    QTest::addColumn<QString>("error");
    // Names a Linux file may have, which a command line could take for something else: a
    // quote that would end the operand, a leading '-' (a switch) or '@' (a response file),
    // Shift-JIS characters whose second byte is a backslash, bytes that are no text.
    QTest::newRow("quotes") << QByteArray("q\" \"victim.snr\" \"x.lzh") << false << QString();
    QTest::newRow("leading dash") << QByteArray("-n1.lzh") << true << QString();
    QTest::newRow("leading at") << QByteArray("@list.lzh") << true << QString();
    QTest::newRow("Shift-JIS 0x5C") << QByteArray("\x83\x5C\x95\x5C.lzh") << false << QString();
    QTest::newRow("no text") << QByteArray("\xff\xfe.lzh") << false << QString();
    // A backslash in a Linux name cannot be told from a separator: refused, never opened as
    // another path.
    QTest::newRow("backslash") << QByteArray("outside\\x.lzh") << false
                               << QStringLiteral("は名前に \\ を含むため扱えません");
}

void TestHostileArchives::oddArchiveNames()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, relative);
    QFETCH(QString, error);
    const QByteArray bytes = archives::lzhLevel0({{"song.snr", songData("Inside")}});
    const QByteArray full = m_root + name;
    QVERIFY(tunelet::writeFileAtomically(full, bytes));
    // The temporary folder cannot remove names that are no text.
    const auto removeArchive = qScopeGuard([&] { tunelet::removeFile(full); });
    // A member the backslash name would reach as "outside/x.lzh".
    QVERIFY(tunelet::writeFileAtomically(m_root + "outside/x.lzh", bytes));
    const auto before = faults::snapshot(m_root, {"home", "run"});
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QFile::decodeName(m_root)));
    form().Run([&] { form().AppendEntry(relative ? name : full); });
    QDir::setCurrent(oldCurrent);

    QCOMPARE(faults::snapshot(m_root, {"home", "run"}), before);
    QCOMPARE(tunelet::readWholeFile(full).value_or(QByteArray()), bytes);
    if (error.isEmpty()) {
        QVERIFY(m_fixture->dialogs().shown().isEmpty());
        QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] Inside"});
        QCOMPARE(form().Playlist().path(0), relative ? name : full);
        QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
        QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), songData("Inside"));
    } else {
        const QStringList errors = m_fixture->dialogs().texts(What::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(error), qPrintable(errors.first()));
        QVERIFY(m_fixture->captions().isEmpty());
        QVERIFY(m_fixture->leftInHome().isEmpty());
    }
}

void TestHostileArchives::fifoNamedLikeAnArchive()
{
    // Content detection and extraction open regular files only: a FIFO never holds the
    // window up waiting for a writer.
    const QByteArray pipes = faults::makeFolder(m_root + "pipes");
    const QByteArray fifo = pipes + "song.lzh";
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const auto before = faults::snapshot(m_root, {"home", "run", "pipes"});
    form().Run([&] { form().AppendEntry(fifo); });
    QCOMPARE(faults::snapshot(m_root, {"home", "run", "pipes"}), before);
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] song.lzh"});
    QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
    QVERIFY(m_fixture->leftInHome().isEmpty());
    struct stat st = {};
    QVERIFY(::lstat(fifo.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

void TestHostileArchives::smallBomb()
{
    // A few KiB of LZH that unpack to 66 MiB of zero bytes, more than one command takes out:
    // refused before anything is written, with a message that says why.
    const QString lha = QStandardPaths::findExecutable(QStringLiteral("jlha"));
    if (lha.isEmpty())
        QSKIP("the lha tool is not installed");
    const QByteArray source = faults::makeFolder(m_root + "bomb-source");
    {
        QFile zeros(QFile::decodeName(source + "zeros.snr"));
        QVERIFY(zeros.open(QIODevice::WriteOnly));
        QVERIFY(zeros.resize(qint64(66) * 1024 * 1024)); // sparse: no disk space taken
    }
    const QByteArray lzh = m_root + "bomb.lzh";
    QProcess make;
    make.setWorkingDirectory(QFile::decodeName(source));
    make.start(lha, {QStringLiteral("aoq5"), QFile::decodeName(lzh), QStringLiteral("zeros.snr")});
    QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
    faults::removeTree(source);
    QVERIFY(QFileInfo(QFile::decodeName(lzh)).size() < 64 * 1024);

    const auto before = faults::snapshot(m_root, {"home", "run"});
    faults::resetPeak();
    const qint64 peakBefore = faults::peakKiB();
    QElapsedTimer held;
    held.start();
    form().Run([&] { form().AppendEntry(lzh); });
    qInfo("a 66 MiB bomb held the window for %lld ms; peak memory grew by %lld KiB", held.elapsed(),
          faults::peakKiB() - peakBefore);
    QCOMPARE(faults::snapshot(m_root, {"home", "run"}), before);
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] bomb.lzh"});
    QCOMPARE(m_fixture->dialogs().texts(What::Message),
             QStringList{QStringLiteral(
                 "書庫 bomb.lzh は展開すると 64 MiB を超えるため、展開しませんでした。")});
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    QVERIFY(m_fixture->leftInHome().isEmpty());
}

int runHostileArchiveTests(int argc, char **argv)
{
    TestHostileArchives test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile_archives.moc"
