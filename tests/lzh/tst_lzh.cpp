// LZH data extraction (ExtractLzhData): the rules on LzhDataExtraction with the real LHA
// library and no window; then the main window's wiring of it, and an archive row played by
// the real player.

#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ArchiveWriters.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "platform/process/SystemProcessLauncher.h"
#include "platform/windowlink/WindowSystem.h"
#include "playlist/LzhDataExtraction.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

namespace
{

const QString NoDataFile = QStringLiteral("snrファイルが存在しません。");
constexpr WindowHandle OwnerWindow = 0x3a00007;

} // namespace

class TestLzh final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Through the window first: a library once loaded stays in the process for good.
    void missingLibraryEndsTheCommand();
    void windowWiring();
    void archiveRowPlays();

    void dataFileBecomesTheWorkFile_data();
    void dataFileBecomesTheWorkFile();
    void noDataFile_data();
    void noDataFile();
    void extractionDuringExtraction();

private:
    // An archive of stored members outside the program folder.
    QByteArray archive(const QByteArray &name, const QList<archives::Member> &members) const;
    QByteArray home() const { return m_home; }
    QByteArray workFile() const { return m_home + "tunelet.snr"; }
    // The entries the program folder holds, recursively ("sub/", "sub/a.snr"), sorted.
    QByteArrayList leftInHome() const;

    QByteArray m_binDir;
    QTemporaryDir m_dir;
    QByteArray m_home;
    std::unique_ptr<TArchiveFile> m_archive;
    std::unique_ptr<tunelet::LzhDataExtraction> m_extraction;
    QStringList m_told;
    int m_homes = 0;
};

void TestLzh::initTestCase()
{
    m_binDir = qgetenv("TUNELET_BIN_DIR");
    if (m_binDir.isEmpty() || !QFile::exists(QFile::decodeName(m_binDir + "/libunlha32.so")))
        QSKIP("the LHA library is not built");
    // The test runs from <build>/tests; the libraries are in <build>/bin.
    useLibraryFolder(m_binDir);
}

void TestLzh::init()
{
    QVERIFY(m_dir.isValid());
    // A program folder of its own for every test and data row.
    m_home = QFile::encodeName(m_dir.filePath(QStringLiteral("home-%1").arg(++m_homes))) + "/";
    QVERIFY(QDir().mkpath(QFile::decodeName(m_home)));
    m_archive = std::make_unique<TArchiveFile>();
    m_archive->Options().n = 1;
    m_told.clear();
    m_extraction = std::make_unique<tunelet::LzhDataExtraction>(
        *m_archive, tunelet::LzhDataExtraction::Places{m_home, workFile()},
        tunelet::LzhDataExtraction::Seams{[] { return OwnerWindow; },
                                          [this](const QString &text) { m_told.append(text); }});
}

void TestLzh::cleanup()
{
    m_extraction.reset();
    m_archive.reset();
}

QByteArray TestLzh::archive(const QByteArray &name, const QList<archives::Member> &members) const
{
    const QByteArray path = QFile::encodeName(m_dir.filePath(QFile::decodeName(name)));
    return writeBytes(path, archives::lzhLevel0(members)) ? path : QByteArray();
}

QByteArrayList TestLzh::leftInHome() const
{
    return entriesBelow(m_home);
}

void TestLzh::dataFileBecomesTheWorkFile_data()
{
    QTest::addColumn<QList<archives::Member>>("members");
    QTest::addColumn<QByteArrayList>("foldersBefore");
    // The member whose data ends in the work file.
    QTest::addColumn<QByteArray>("played");
    QTest::addColumn<QByteArrayList>("left");
    const QByteArray a = songData("A"), b = songData("B");
    QTest::newRow("one data file") << QList<archives::Member>{{"song.snr", a}, {"readme.txt", "x"}}
                                   << QByteArrayList{} << a << QByteArrayList{"tunelet.snr"};
    QTest::newRow("capital extension") << QList<archives::Member>{{"SONG.SNR", a}}
                                       << QByteArrayList{} << a << QByteArrayList{"tunelet.snr"};
    // The first in the listing's order wins; the copy of the second is deleted.
    QTest::newRow("two data files")
        << QList<archives::Member>{{"b-first.snr", a}, {"a-second.Snr", b}} << QByteArrayList{} << a
        << QByteArrayList{"tunelet.snr"};
    // Folders the extraction made are removed; one that was there before stays.
    const QList<archives::Member> deep{
        {"sub/inner/SONG.SNR", a}, {"sub/other.Snr", b}, {"sub/inner/notes.txt", "text"}};
    QTest::newRow("new folders") << deep << QByteArrayList{} << a << QByteArrayList{"tunelet.snr"};
    QTest::newRow("folder already there")
        << deep << QByteArrayList{"sub"} << a << QByteArrayList{"sub/", "tunelet.snr"};
    QTest::newRow("member named like the work file")
        << QList<archives::Member>{{"tunelet.snr", a}} << QByteArrayList{} << a
        << QByteArrayList{"tunelet.snr"};
}

void TestLzh::dataFileBecomesTheWorkFile()
{
    QFETCH(QList<archives::Member>, members);
    QFETCH(QByteArrayList, foldersBefore);
    QFETCH(QByteArray, played);
    QFETCH(QByteArrayList, left);
    for (const QByteArray &folder : foldersBefore)
        QVERIFY(QDir().mkpath(QFile::decodeName(home() + folder)));
    QVERIFY(writeBytes(workFile(), "old work file"));
    const QByteArray lzh = archive("songs.lzh", members);
    QVERIFY(m_extraction->extract(lzh));
    QCOMPARE(readBytes(workFile()), played);
    QCOMPARE(leftInHome(), left);
    QVERIFY(m_told.isEmpty());
}

void TestLzh::noDataFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no data file") << archives::lzhLevel0(
        {{"readme.txt", "text"}, {"song.mid", "MThd"}});
    QTest::newRow("not an archive") << QByteArray("not an archive at all");
}

void TestLzh::noDataFile()
{
    QFETCH(QByteArray, content);
    const QByteArray lzh = QFile::encodeName(m_dir.filePath("none.lzh"));
    QVERIFY(writeBytes(lzh, content));
    QVERIFY(writeBytes(workFile(), "old work file"));
    QVERIFY(!m_extraction->extract(lzh));
    QCOMPARE(m_told, QStringList{NoDataFile});
    // The work file is left as it was.
    QCOMPARE(readBytes(workFile()), QByteArray("old work file"));
    QCOMPARE(leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestLzh::extractionDuringExtraction()
{
    // Two archives whose data files have the same name. The second is taken out by an event
    // that runs while the first one's data file is being taken out: each gets its own data
    // file, and the work file ends as the first archive's.
    const QByteArray dataA = songData("A"), dataB = songData("B");
    const QByteArray a = archive("a.lzh", {{"song.snr", dataA}});
    const QByteArray b = archive("b.lzh", {{"song.snr", dataB}});
    QByteArray innerWorkFile;
    QTimer::singleShot(0, [&] {
        QVERIFY(m_extraction->extract(b));
        innerWorkFile = readBytes(workFile());
    });
    QVERIFY(m_extraction->extract(a));
    QCOMPARE(innerWorkFile, dataB);
    QCOMPARE(readBytes(workFile()), dataA);
    QCOMPARE(leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestLzh::missingLibraryEndsTheCommand()
{
    WindowFixture fixture;
    TForm1 &form = fixture.start();
    action(form, "MMLzhHEAD")->setChecked(true);
    const QByteArray before = fixture.writeOutside("before.snr", songData("Before"));
    const QByteArray after = fixture.writeOutside("after.snr", songData("After"));
    const QByteArray lzh = archive("one.lzh", {{"song.snr", songData("T")}});
    QTemporaryDir empty;
    useLibraryFolder(QFile::encodeName(empty.path()));
    fixture.dialogs().chooseFiles({before, lzh, after});
    action(form, "MMAdd")->trigger();
    useLibraryFolder(m_binDir);
    QCOMPARE(fixture.dialogs().texts(What::Error),
             QStringList{QStringLiteral("Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。")});
    // The rows built before the archive are added; the archive's row is never added
    // half-built and no later file is added.
    QCOMPARE(fixture.captions(), QByteArrayList{"Before"});
    QVERIFY(fixture.leftInHome().isEmpty());

    // With the library back, the same command goes through.
    fixture.dialogs().chooseFiles({lzh});
    action(form, "MMAdd")->trigger();
    QCOMPARE(fixture.captions(), (QByteArrayList{"Before", "[LZH] T"}));
}

void TestLzh::windowWiring()
{
    // The window's archive component has the stored option n = 1, rows of archives take
    // their titles through it with "LZHファイルもHEAD取得(&L)" ticked, never without.
    WindowFixture fixture;
    TForm1 &form = fixture.start();
    const QByteArray lzh = archive("one.lzh", {{"song.snr", songData("T")}});
    action(form, "MMLzhHEAD")->setChecked(false);
    form.AppendEntry(lzh);
    QVERIFY(form.ArchiveFile1.CommandLine().isEmpty());
    action(form, "MMLzhHEAD")->setChecked(true);
    form.AppendEntry(lzh);
    QCOMPARE(fixture.captions(), (QByteArrayList{"[LZH] one.lzh", "[LZH] T"}));
    // The letter x, -+, -n1, a space for the empty user options, the archive, the program
    // folder, the three masks and a space for the empty user file list.
    QCOMPARE(form.ArchiveFile1.CommandLine(), "x -+ -n1  \"" + lzh + "\" \"" + fixture.home() +
                                                  "\\\" \"*.SNR\" \"*.snr\" \"*.Snr\" ");
    QCOMPARE(readBytes(fixture.path("tunelet.snr")), songData("T"));
    // Its messages go to the window's message box.
    const QByteArray none = archive("none.lzh", {{"readme.txt", "text"}});
    form.AppendEntry(none);
    QCOMPARE(fixture.dialogs().texts(What::Message), QStringList{NoDataFile});
    QCOMPARE(fixture.captions().last(), QByteArray("[LZH] none.lzh"));
}

void TestLzh::archiveRowPlays()
{
    if (!QFile::exists(QFile::decodeName(m_binDir + "/sonaro")))
        QSKIP("the player is not built");
    tunelet::SystemProcessLauncher launcher;
    WindowFixture fixture;
    TForm1 &form = fixture.start({.processes = &launcher});
    const QByteArray data = songData("Played");
    const QByteArray lzh = fixture.makeLzh("Play.LZH", {{"Music/Played.SNR", data}});
    if (lzh.isEmpty())
        QSKIP("lha could not make an LZH archive");
    form.AppendEntry(lzh);
    QCOMPARE(fixture.captions(), QByteArrayList{"[LZH] Play.LZH"});
    QVERIFY(!QFile::exists(QFile::decodeName(fixture.path("tunelet.snr"))));

    form.SonaroPath = m_binDir + "/sonaro";
    form.SelectRow(0);
    action(form, "PMPlay")->trigger();
    const QByteArray workFile = fixture.path("tunelet.snr");
    QCOMPARE(form.windowTitle(), "Tunelet - <1> " + QFile::decodeName(workFile));
    QCOMPARE(form.PlayingPath(), workFile);
    QCOMPARE(readBytes(workFile), data);
    QCOMPARE(fixture.leftInHome(), QByteArrayList{"tunelet.snr"});
    QVERIFY(fixture.dialogs().shown().isEmpty());

    // The player shows up on the window link; then it is ended.
    auto windows = windowlink::makeLinkWindowSystem();
    QTRY_VERIFY_WITH_TIMEOUT(windows->FindWindowA("CN_sonaro", nullptr) != 0, 30000);
    form.SBStopClick();
    fixture.stop();
    for (const qint64 pid : launcher.startedIds())
        ::kill(pid_t(pid), SIGKILL);
}

QTEST_MAIN(TestLzh)
#include "tst_lzh.moc"
