// Archive rows through the main window: titles taken out of LZH archives made
// by lha, with the real LHA library, and archive rows played by the real
// player.

#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/playlistmodel.h"
#include "process/systemprocesslauncher.h"
#include "windowlink/windowsystem.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

namespace
{

const QString NoDataFile = QStringLiteral("snrファイルが存在しません。");

} // namespace

class TestLzh final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // First: a library once loaded stays in the process for good.
    void missingLibraryEndsTheCommand();
    void commandLineOfTheMainWindow();
    void titleOfTheDataFile_data();
    void titleOfTheDataFile();
    void firstDataFileWins();
    void archiveWithoutDataFile();
    void headOffNeverOpensTheArchive();
    void memberInSubFolder_data();
    void memberInSubFolder();
    void memberNamedLikeTheWorkFile();
    void extractionDuringExtraction();
    void archiveWithoutDataFileDoesNotPlay();
    void archiveRowPlays();

private:
    TForm1 &form() const { return m_fixture->form(); }
    QByteArray archive(const QByteArray &name, const QList<archives::Member> &members);

    QByteArray m_binDir;
    std::unique_ptr<WindowFixture> m_fixture;
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
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_fixture->start();
    form().MMLzhHEAD->setChecked(true);
}

void TestLzh::cleanup()
{
    m_fixture.reset();
}

QByteArray TestLzh::archive(const QByteArray &name, const QList<archives::Member> &members)
{
    const QByteArray made = m_fixture->makeLzh(name, members);
    if (made.isEmpty())
        qWarning("lha could not make %s", name.constData());
    return made;
}

void TestLzh::commandLineOfTheMainWindow()
{
    const QByteArray lzh = archive("one.lzh", {{"song.snr", songData("T")}});
    QVERIFY(!lzh.isEmpty());
    QVERIFY(form().ArchiveFile1.CommandLine().isEmpty());
    form().AppendEntry(lzh);
    // The letter x, -+, -n1, a space for the empty user options, the archive,
    // the program folder, the three masks and a space for the empty user file
    // list.
    QCOMPARE(form().ArchiveFile1.CommandLine(), "x -+ -n1  \"" + lzh + "\" \"" + m_fixture->home() +
                                                    "\\\" \"*.SNR\" \"*.snr\" \"*.Snr\" ");
    QCOMPARE(form().ArchiveFile1.FileName(), lzh);
}

void TestLzh::titleOfTheDataFile_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("member");
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("caption");
    QTest::newRow("title") << QByteArray("one.lzh") << QByteArray("song.snr") << QByteArray("T")
                           << QByteArray("[LZH] T");
    QTest::newRow("capital extensions") << QByteArray("Two.LZH") << QByteArray("SONG.SNR")
                                        << QByteArray("Big") << QByteArray("[LZH] Big");
    QTest::newRow("no title line") << QByteArray("untitled.lzh") << QByteArray("song.snr")
                                   << QByteArray() << QByteArray("[LZH] untitled.lzh");
    QTest::newRow("Shift-JIS title")
        << QByteArray("sjis.lzh") << QByteArray("song.Snr")
        << QByteArray("\x83\x65\x83\x58\x83\x67") << QByteArray("[LZH] \x83\x65\x83\x58\x83\x67");
}

void TestLzh::titleOfTheDataFile()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, member);
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, caption);
    const QByteArray data = songData(title);
    const QByteArray lzh = archive(name, {{member, data}, {"readme.txt", "not a song"}});
    QVERIFY(!lzh.isEmpty());
    form().AppendEntry(lzh);
    QCOMPARE(m_fixture->captions(), QByteArrayList{caption});
    QCOMPARE(form().Playlist().entry(0).imageIndex, 2);
    QCOMPARE(form().Playlist().entry(0).path, lzh);
    // The work file is a copy of the data file, and nothing else is left.
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), data);
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestLzh::firstDataFileWins()
{
    const QByteArray first = songData("First");
    const QByteArray lzh =
        archive("two.lzh", {{"b-first.snr", first}, {"a-second.snr", songData("Second")}});
    QVERIFY(!lzh.isEmpty());
    form().AppendEntry(lzh);
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] First"});
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), first);
    // The copy of the second data file is gone.
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestLzh::archiveWithoutDataFile()
{
    const QByteArray lzh = archive("none.lzh", {{"readme.txt", "text"}, {"song.mid", "MThd"}});
    QVERIFY(!lzh.isEmpty());
    QVERIFY(writeBytes(m_fixture->path("tunelet.snr"), "old work file"));
    form().AppendEntry(lzh);
    QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] none.lzh"});
    // The work file is left as it was.
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), QByteArray("old work file"));
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestLzh::headOffNeverOpensTheArchive()
{
    form().MMLzhHEAD->setChecked(false);
    const QByteArray unreadable = m_fixture->writeOutside("broken.lzh", "not an archive at all");
    const QByteArray good = archive("good.lzh", {{"song.snr", songData("T")}});
    QVERIFY(!good.isEmpty());
    form().AppendEntry(unreadable);
    form().AppendEntry(good);
    QCOMPARE(m_fixture->captions(), (QByteArrayList{"[LZH] broken.lzh", "[LZH] good.lzh"}));
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QVERIFY(form().ArchiveFile1.CommandLine().isEmpty());
    QCOMPARE(form().ArchiveFile1.FileName(), QByteArray(1, '\0'));
    QVERIFY(m_fixture->leftInHome().isEmpty());

    // With the option on, the unreadable archive has no data file to show.
    form().MMLzhHEAD->setChecked(true);
    form().AppendEntry(unreadable);
    QCOMPARE(m_fixture->captions().last(), QByteArray("[LZH] broken.lzh"));
    QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
}

void TestLzh::memberInSubFolder_data()
{
    QTest::addColumn<QByteArrayList>("foldersBefore");
    QTest::addColumn<QByteArrayList>("left");
    QTest::newRow("new folders") << QByteArrayList{} << QByteArrayList{"tunelet.snr"};
    // A folder that was there before stays, even when it ends up empty.
    QTest::newRow("folder already there")
        << QByteArrayList{"sub"} << QByteArrayList{"sub/", "tunelet.snr"};
}

void TestLzh::memberInSubFolder()
{
    QFETCH(QByteArrayList, foldersBefore);
    QFETCH(QByteArrayList, left);
    for (const QByteArray &folder : foldersBefore)
        QVERIFY(QDir().mkpath(QFile::decodeName(m_fixture->path(folder))));
    const QByteArray deep = songData("Deep");
    const QByteArray lzh = archive("deep.lzh", {{"sub/inner/SONG.SNR", deep},
                                                {"sub/other.Snr", songData("Other")},
                                                {"sub/inner/notes.txt", "text"}});
    QVERIFY(!lzh.isEmpty());
    form().AppendEntry(lzh);
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] Deep"});
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), deep);
    QCOMPARE(m_fixture->leftInHome(), left);
}

void TestLzh::memberNamedLikeTheWorkFile()
{
    const QByteArray data = songData("Named");
    const QByteArray lzh = archive("named.lzh", {{"tunelet.snr", data}});
    QVERIFY(!lzh.isEmpty());
    QVERIFY(writeBytes(m_fixture->path("tunelet.snr"), "old work file"));
    form().AppendEntry(lzh);
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] Named"});
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), data);
}

void TestLzh::extractionDuringExtraction()
{
    // Two archives whose data files have the same name. The second is added
    // by an event that runs while the first one's data file is being taken
    // out: each row still gets its own title, and the work file ends as the
    // first archive's data file.
    const QByteArray dataA = songData("A");
    const QByteArray a = archive("a.lzh", {{"song.snr", dataA}});
    const QByteArray b = archive("b.lzh", {{"song.snr", songData("B")}});
    QVERIFY(!a.isEmpty() && !b.isEmpty());
    QTimer::singleShot(0, &form(), [this, b] { form().AppendEntry(b); });
    form().AppendEntry(a);
    QCOMPARE(m_fixture->captions(), (QByteArrayList{"[LZH] B", "[LZH] A"}));
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), dataA);
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestLzh::missingLibraryEndsTheCommand()
{
    const QByteArray before = m_fixture->writeOutside("before.snr", songData("Before"));
    const QByteArray after = m_fixture->writeOutside("after.snr", songData("After"));
    const QByteArray lzh = archive("one.lzh", {{"song.snr", songData("T")}});
    QVERIFY(!lzh.isEmpty());
    QTemporaryDir empty;
    useLibraryFolder(QFile::encodeName(empty.path()));
    m_fixture->dialogs().chooseFiles({before, lzh, after});
    form().MMAdd->trigger();
    useLibraryFolder(m_binDir);
    QCOMPARE(m_fixture->dialogs().texts(What::Error),
             QStringList{QStringLiteral("Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。")});
    // The rows built before the archive are added; the archive's row is never
    // added half-built and no later file is added.
    QCOMPARE(m_fixture->captions(), QByteArrayList{"Before"});
    QVERIFY(m_fixture->leftInHome().isEmpty());

    // With the library back, the same command goes through.
    m_fixture->dialogs().chooseFiles({lzh});
    form().MMAdd->trigger();
    QCOMPARE(m_fixture->captions(), (QByteArrayList{"Before", "[LZH] T"}));
}

void TestLzh::archiveWithoutDataFileDoesNotPlay()
{
    form().MMLzhHEAD->setChecked(false);
    const QByteArray lzh = archive("none.lzh", {{"readme.txt", "text"}});
    QVERIFY(!lzh.isEmpty());
    form().AppendEntry(lzh);
    form().SonaroPath = m_binDir + "/sonaro";
    form().PlayIndex = 0;
    QVERIFY(!form().StartSong(lzh));
    QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form().Timer1->isActive());
}

void TestLzh::archiveRowPlays()
{
    if (!QFile::exists(QFile::decodeName(m_binDir + "/sonaro")))
        QSKIP("the player is not built");
    tunelet::SystemProcessLauncher launcher;
    m_fixture->stop();
    m_fixture->start({.processes = &launcher});
    form().MMLzhHEAD->setChecked(false);
    const QByteArray data = songData("Played");
    const QByteArray lzh = archive("Play.LZH", {{"Music/Played.SNR", data}});
    QVERIFY(!lzh.isEmpty());
    form().AppendEntry(lzh);
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] Play.LZH"});
    QVERIFY(!QFile::exists(QFile::decodeName(m_fixture->path("tunelet.snr"))));

    form().SonaroPath = m_binDir + "/sonaro";
    form().SelectRow(0);
    form().PMPlay->trigger();
    const QByteArray workFile = m_fixture->path("tunelet.snr");
    QCOMPARE(form().windowTitle(), "Tunelet - <1> " + QFile::decodeName(workFile));
    QCOMPARE(form().PlayingPath(), workFile);
    QCOMPARE(readBytes(workFile), data);
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QVERIFY(m_fixture->dialogs().shown().isEmpty());

    // The player shows up on the window link; then it is ended.
    auto windows = windowlink::makeLinkWindowSystem();
    QTRY_VERIFY_WITH_TIMEOUT(windows->FindWindowA("CN_sonaro", nullptr) != 0, 30000);
    form().SBStopClick();
    m_fixture->stop();
    for (const qint64 pid : launcher.startedIds())
        ::kill(pid_t(pid), SIGKILL);
}

QTEST_MAIN(TestLzh)
#include "tst_lzh.moc"
