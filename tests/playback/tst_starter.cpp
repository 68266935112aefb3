// Starting a song: preparing the file, the converter, the player's command
// line and the failures; and the real process launcher.
#include "tests/support/FakePlayerWindows.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/RecordingSongHost.h"

#include "tests/playback/PlaybackTests.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/process/SystemProcessLauncher.h"
#include "playback/PlaybackError.h"
#include "playback/SongStarter.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace tunelet::testkit;

using tunelet::RunOutcome;

class TestSongStarter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void dataFileStartsThePlayer();
    void playerMissingOrFailing();
    void programsNamedBySettings_data();
    void programsNamedBySettings();
    void failedStartSaysWhatRanOut_data();
    void failedStartSaysWhatRanOut();
    void midiIsConvertedIntoTheWorkFile_data();
    void midiIsConvertedIntoTheWorkFile();
    void converterOutputNamedLikeTheWorkFile();
    void converterMissingOutputStillStarts();
    void converterFailures_data();
    void converterFailures();
    void archiveRows();
    void dataViewer();
    void launcherRunsAndWaits();
    void launcherBoundsAConverterThatNeverEnds();
    void launcherStartsDetachedWithSplitParameters();
    void launcherHandsOverTheStartedProcess();

private:
    tunelet::SongStartSettings settings() const;
    QByteArray write(const QByteArray &name, const QByteArray &content = "x") const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_home;
    FakePlayerWindows m_windows;
    RecordingLauncher m_launcher;
    RecordingSongHost m_host;
};

void TestSongStarter::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_home = QFile::encodeName(m_dir->path()) + '/';
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("player"))));
    write("player/sonaro");
    m_windows = FakePlayerWindows();
    m_launcher = RecordingLauncher();
    m_host = RecordingSongHost();
}

QByteArray TestSongStarter::write(const QByteArray &name, const QByteArray &content) const
{
    const QByteArray path = m_home + name;
    if (!tunelet::writeFileAtomically(path, content))
        qWarning("cannot write %s", path.constData());
    return path;
}

tunelet::SongStartSettings TestSongStarter::settings() const
{
    tunelet::SongStartSettings s;
    s.sonaroPath = m_home + "player/sonaro";
    s.mid2snrPath = m_home + "player/mid2snr";
    s.programFolder = m_home;
    s.shippedFolder = m_home + "shipped/";
    s.switches.minimized = true;
    return s;
}

void TestSongStarter::dataFileStartsThePlayer()
{
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    // Whether the file exists is not the starter's business.
    const tunelet::SongStartResult result = starter.start("/m/a.TXT", settings());
    QVERIFY(result.started);
    QCOMPARE(result.playedPath, QByteArray("/m/a.TXT"));
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(m_launcher.started()[0].program, m_home + "player/sonaro");
    QCOMPARE(m_launcher.started()[0].parameters, QStringLiteral("\"/m/a.TXT\" *p *x *i"));
    QCOMPARE(m_launcher.started()[0].folder, m_home + "player/");
    QVERIFY(m_launcher.runs().isEmpty());
    QVERIFY(m_host.calls().isEmpty());
    // A start never closes a player.
    QVERIFY(m_windows.sent().isEmpty());
}

void TestSongStarter::playerMissingOrFailing()
{
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    tunelet::SongStartSettings s = settings();
    s.sonaroPath = m_home + "player"; // a folder is no program file
    QVERIFY(!starter.start("/m/a.snr", s).started);
    QCOMPARE(m_host.calls(),
             (QStringList{"beep", "message Sonaroのパスを正しく設定してください。"}));
    s.sonaroPath.clear(); // and no player shipped
    m_host.clearCalls();
    QVERIFY(!starter.start("/m/a.snr", s).started);
    QCOMPARE(m_host.calls().size(), 2);
    QVERIFY(m_launcher.started().isEmpty());

    m_host.clearCalls();
    m_launcher.setStartSucceeds(false);
    QVERIFY(!starter.start("/m/a.snr", settings()).started);
    QCOMPARE(m_host.calls(), (QStringList{"beep", "message Sonaro起動エラー。"}));
    QCOMPARE(m_launcher.started().size(), 1);
}

void TestSongStarter::programsNamedBySettings_data()
{
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QByteArray>("program"); // under the test's folder
    QTest::newRow("empty: the shipped one") << QByteArray() << QByteArray("shipped/");
    QTest::newRow("relative: from the program folder")
        << QByteArray("mine/") << QByteArray("mine/");
    QTest::newRow("absolute: as it is") << QByteArray("<abs>other/") << QByteArray("other/");
}

// The player's file is checked for and started at one path, and the converter
// is run from the same kind of path, whatever the current folder is.
void TestSongStarter::programsNamedBySettings()
{
    QFETCH(QByteArray, setting);
    QFETCH(QByteArray, program);
    setting.replace("<abs>", m_home);
    const QByteArray folder = m_home + program;
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    write(program + "sonaro");
    // The current folder holds a player at the relative path too: it must not count.
    QTemporaryDir elsewhere;
    QVERIFY(QDir().mkpath(elsewhere.filePath(QStringLiteral("mine"))));
    QVERIFY(
        tunelet::writeFileAtomically(QFile::encodeName(elsewhere.filePath("mine/sonaro")), "x"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    auto restore = qScopeGuard([&] { QDir::setCurrent(before); });

    tunelet::SongStartSettings s = settings();
    s.sonaroPath = setting.isEmpty() ? setting : setting + "sonaro";
    s.mid2snrPath = setting.isEmpty() ? setting : setting + "mid2snr";
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    QVERIFY(starter.start("/m/a.mid", s).started);
    QCOMPARE(m_launcher.runs().size(), 1);
    QCOMPARE(m_launcher.runs()[0].program, folder + "mid2snr");
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(m_launcher.started()[0].program, folder + "sonaro");
    QCOMPARE(m_launcher.started()[0].folder, folder);

    // Without a player there, the check fails even though the current folder has one.
    QVERIFY(QFile::remove(QFile::decodeName(folder + "sonaro")));
    m_host.clearCalls();
    QVERIFY(!starter.start("/m/a.snr", s).started);
    QCOMPARE(m_host.calls(),
             (QStringList{"beep", "message Sonaroのパスを正しく設定してください。"}));
    QCOMPARE(m_launcher.started().size(), 1);
}

namespace
{

// The message's second line names the shortage; no second line without one.
bool saysShortage(const QString &message, const QString &shortage)
{
    const QString line = message.section('\n', 1);
    return shortage.isEmpty() ? line.isEmpty() : line.startsWith(shortage);
}

} // namespace

void TestSongStarter::failedStartSaysWhatRanOut_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("shortage");
    QTest::newRow("descriptors") << EMFILE << QStringLiteral("ファイル記述子");
    QTest::newRow("system's descriptors") << ENFILE << QStringLiteral("ファイル記述子");
    QTest::newRow("processes") << EAGAIN << QStringLiteral("プロセス");
    QTest::newRow("memory") << ENOMEM << QStringLiteral("メモリ");
    QTest::newRow("no shortage") << ENOENT << QString();
}

void TestSongStarter::failedStartSaysWhatRanOut()
{
    QFETCH(int, error);
    QFETCH(QString, shortage);
    m_launcher.setStartSucceeds(false);
    m_launcher.setStartError(error);
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    QVERIFY(!starter.start("/m/a.snr", settings()).started);
    const QString message = m_host.calls().value(1);
    QVERIFY(message.startsWith(QStringLiteral("message Sonaro起動エラー。")));
    QVERIFY2(saysShortage(message, shortage), qPrintable(message));

    m_launcher.setRunStatus(RunOutcome::Status::FailedToStart);
    try {
        starter.start("/m/a.mid", settings());
        QFAIL("no error raised");
    } catch (const tunelet::EPlaybackError &e) {
        const QString text = QString::fromUtf8(e.what());
        QVERIFY(text.startsWith(QStringLiteral("mid2snrを起動できません")));
        QVERIFY2(saysShortage(text, shortage), qPrintable(text));
    }
}

void TestSongStarter::midiIsConvertedIntoTheWorkFile_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("lower case") << QByteArray("songs/x.mid") << QByteArray("x.snr");
    QTest::newRow("upper case") << QByteArray("songs/X.MID") << QByteArray("X.snr");
    QTest::newRow("two dots") << QByteArray("songs/a.b.Mid") << QByteArray("a.b.snr");
}

void TestSongStarter::midiIsConvertedIntoTheWorkFile()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, output);
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("songs"))));
    const QByteArray midi = write(name, "MThd");
    write("tunelet.snr", "old work file");
    m_windows.showConverter();
    m_launcher.setOnRun([&](const RecordingLauncher::Run &run) {
        write(output, "converted from " + run.argument);
    });

    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    const tunelet::SongStartResult result = starter.start(midi, settings());
    QVERIFY(result.started);
    QCOMPARE(result.playedPath, m_home + "tunelet.snr");
    QCOMPARE(m_launcher.runs().size(), 1);
    QCOMPARE(m_launcher.runs()[0].program, m_home + "player/mid2snr");
    QCOMPARE(m_launcher.runs()[0].argument, midi);
    QCOMPARE(m_launcher.runs()[0].folder, m_home);
    // The texts are set once; the converter's window is minimized on each slice.
    QCOMPARE(m_host.calls(), QStringList{"converter"});
    const QList<FakePlayerWindows::Sent> minimize(
        2, {m_windows.converter(), windowlink::WM_SYSCOMMAND, windowlink::SC_MINIMIZE, 0});
    QCOMPARE(m_windows.sent(), minimize);
    QCOMPARE(tunelet::readWholeFile(m_home + "tunelet.snr").value_or(""), "converted from " + midi);
    QVERIFY(!tunelet::isExistingFile(m_home + output));
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(m_launcher.started()[0].parameters, "\"" + m_home + "tunelet.snr\" *p *x *i");
}

void TestSongStarter::converterOutputNamedLikeTheWorkFile()
{
    const QByteArray midi = write("tunelet.mid", "MThd");
    m_launcher.setOnRun([&](const RecordingLauncher::Run &) { write("tunelet.snr", "new data"); });
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    QVERIFY(starter.start(midi, settings()).started);
    QCOMPARE(tunelet::readWholeFile(m_home + "tunelet.snr").value_or(""), QByteArray("new data"));
}

void TestSongStarter::converterMissingOutputStillStarts()
{
    write("tunelet.snr", "old work file");
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    const tunelet::SongStartResult result = starter.start("/nowhere/bad.mid", settings());
    QVERIFY(result.started);
    QCOMPARE(result.playedPath, m_home + "tunelet.snr");
    // The old work file is gone, so the player cannot play stale data.
    QVERIFY(!tunelet::isExistingFile(m_home + "tunelet.snr"));
}

void TestSongStarter::converterFailures_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("cannot start") << int(RunOutcome::Status::FailedToStart)
                                  << QStringLiteral("mid2snrを起動できません") << QStringList();
    QTest::newRow("never ends") << int(RunOutcome::Status::TimedOut)
                                << QStringLiteral(
                                       "mid2snrが60秒たっても終了しないため、中止しました")
                                << QStringList{"converter"};
}

void TestSongStarter::converterFailures()
{
    QFETCH(int, status);
    QFETCH(QString, error);
    QFETCH(QStringList, calls);
    m_launcher.setRunStatus(RunOutcome::Status(status));
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    tunelet::SongStartSettings s = settings();
    s.dataView = true;
    try {
        starter.start("/m/a.mid", s);
        QFAIL("no error raised");
    } catch (const tunelet::EPlaybackError &e) {
        QCOMPARE(QString::fromUtf8(e.what()), error);
    }
    QCOMPARE(m_host.calls(), calls);
    QVERIFY(m_launcher.started().isEmpty());
}

void TestSongStarter::archiveRows()
{
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    // No data file in the archive: nothing starts.
    QVERIFY(!starter.start("/m/Y.Lzh", settings()).started);
    QCOMPARE(m_host.calls(), QStringList{"lzh /m/Y.Lzh"});
    QVERIFY(m_launcher.started().isEmpty());

    // The archive's data file plays from the work file, never converted.
    m_host.setExtractor(
        [&](const QByteArray &) { return std::optional<QByteArray>(m_home + "tunelet.snr"); });
    const tunelet::SongStartResult result = starter.start("/m/Y.lzh", settings());
    QVERIFY(result.started);
    QCOMPARE(result.playedPath, m_home + "tunelet.snr");
    QVERIFY(m_launcher.runs().isEmpty());
    QCOMPARE(m_launcher.started()[0].parameters, "\"" + m_home + "tunelet.snr\" *p *x *i");
}

void TestSongStarter::dataViewer()
{
    tunelet::SongStarter starter(m_launcher, m_windows, m_host);
    tunelet::SongStartSettings s = settings();
    s.dataView = true;
    QVERIFY(starter.start("/m/a.snr", s).started);
    QCOMPARE(m_host.calls(), QStringList{"view /m/a.snr"});

    m_host.setFailDataView(true);
    QVERIFY_THROWS_EXCEPTION(tunelet::EPlaybackError, starter.start("/m/b.snr", s));
    QCOMPARE(m_launcher.started().size(), 1);
}

void TestSongStarter::launcherRunsAndWaits()
{
    tunelet::SystemProcessLauncher launcher;
    int slices = 0;
    // The program's current folder is the one given: cp copies into it.
    write("in.txt", "payload");
    RunOutcome outcome = launcher.runAndWait("/bin/cp", m_home + "in.txt", m_home + "player",
                                             std::chrono::seconds(20), [&] { ++slices; });
    QCOMPARE(outcome.status, RunOutcome::Status::Finished);
    QVERIFY(outcome.exitCode != 0); // cp needs two arguments: one was given
    QVERIFY(slices >= 1);

    outcome = launcher.runAndWait("/bin/touch", "made-here", m_home + "player",
                                  std::chrono::seconds(20), {});
    QCOMPARE(outcome.status, RunOutcome::Status::Finished);
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY(tunelet::isExistingFile(m_home + "player/made-here"));

    slices = 0;
    outcome = launcher.runAndWait(m_home + "no-such-program", "x", m_home, std::chrono::seconds(20),
                                  [&] { ++slices; });
    QCOMPARE(outcome.status, RunOutcome::Status::FailedToStart);
    QCOMPARE(slices, 0);
}

void TestSongStarter::launcherBoundsAConverterThatNeverEnds()
{
    tunelet::SystemProcessLauncher launcher;
    int slices = 0;
    const RunOutcome outcome = launcher.runAndWait(
        "/bin/sleep", "30", m_home, std::chrono::milliseconds(300), [&] { ++slices; });
    QCOMPARE(outcome.status, RunOutcome::Status::TimedOut);
    QVERIFY(slices >= 3);
}

void TestSongStarter::launcherStartsDetachedWithSplitParameters()
{
    tunelet::SystemProcessLauncher launcher;
    write("a b.txt", "copied");
    // cp "<home>a b.txt" copy.txt, in the player folder.
    QVERIFY(launcher.startDetached(
        "/bin/cp", "\"" + QString::fromUtf8(m_home) + "a b.txt\" copy.txt", m_home + "player/"));
    QCOMPARE(launcher.startedIds().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(
        tunelet::readWholeFile(m_home + "player/copy.txt").value_or("") == "copied", 10000);
    QVERIFY(!launcher.startDetached(m_home + "no-such-program", "x", m_home));
    QCOMPARE(launcher.lastStartError(), ENOENT);
    QCOMPARE(launcher.startedIds().size(), 1);
}

void TestSongStarter::launcherHandsOverTheStartedProcess()
{
    using namespace std::chrono_literals;
    tunelet::SystemProcessLauncher launcher;
    QVERIFY(launcher.startDetached("/bin/sleep", "30", m_home));
    std::unique_ptr<tunelet::ProcessHandle> sleeper = launcher.takeStarted();
    QVERIFY(sleeper);
    QVERIFY(!launcher.takeStarted()); // handed out once
    QCOMPARE(sleeper->processId(), launcher.startedIds().last());
    QVERIFY(!sleeper->waitForEnd(0ms));
    QVERIFY(sleeper->end(500ms));
    QVERIFY(sleeper->waitForEnd(0ms));

    // One that will not end when asked is killed after the grace.
    QVERIFY(launcher.startDetached("/bin/sh", "-c \"trap '' TERM; touch trapped; exec sleep 30\"",
                                   m_home));
    const std::unique_ptr<tunelet::ProcessHandle> stubborn = launcher.takeStarted();
    QVERIFY(stubborn);
    QTRY_VERIFY_WITH_TIMEOUT(tunelet::isExistingFile(m_home + "trapped"), 10000);
    QVERIFY(stubborn->end(100ms));

    // One that ends by itself is seen to have ended.
    QVERIFY(launcher.startDetached("/bin/true", "", m_home));
    const std::unique_ptr<tunelet::ProcessHandle> brief = launcher.takeStarted();
    QVERIFY(brief);
    QVERIFY(brief->waitForEnd(10s));
}

int runStarterTests(int argc, char **argv)
{
    TestSongStarter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_starter.moc"
