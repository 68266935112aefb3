// The real player dying or hanging in the middle of a song: Tunelet goes on,
// its window stays responsive, and nothing else is started.
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/faults/FaultSupport.h"
#include "tests/faults/FaultTests.h"

#include "app/StatusBar.h"
#include "platform/windowlink/WindowSystem.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace tunelet::testkit;

namespace
{
const QString Playing = QStringLiteral("再生中");
} // namespace

class TestPlayerFaults final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void playerKilledInTheMiddleOfASong();
    void hungPlayerLeavesTheWindowResponsive();
    void exitWithAHungPlayerStillEnds();

private:
    TForm1 &form() const { return m_fixture->form(); }
    QString panel() const { return statusBar(form())->panelText(2); }
    // Starts the first of two long songs and waits until the poll follows it;
    // *pid is the player's process id.
    void startPlaying(qint64 *pid);
    bool playerWindowExists() const;

    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<faults::CappedLauncher> m_launcher;
    QByteArrayList m_rows;
};

void TestPlayerFaults::initTestCase()
{
    if (faults::binDir().isEmpty())
        QSKIP("TUNELET_BIN_DIR is not set");
    QVERIFY(QFile::exists(QFile::decodeName(faults::binDir() + "/sonaro")));
}

void TestPlayerFaults::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_launcher = std::make_unique<faults::CappedLauncher>(std::chrono::seconds(60));
    m_fixture->start({.processes = m_launcher.get()});
    form().SonaroPath = faults::binDir() + "/sonaro";
    m_rows = {m_fixture->writeOutside("a.snr", longSong("Song A")),
              m_fixture->writeOutside("b.snr", longSong("Song B"))};
    for (const QByteArray &row : std::as_const(m_rows))
        form().AppendEntry(row);
}

void TestPlayerFaults::cleanup()
{
    // A stopped player would hold up the close for the link's full wait.
    if (m_launcher)
        QVERIFY(m_launcher->endStarted());
    m_fixture.reset();
    m_launcher.reset();
}

bool TestPlayerFaults::playerWindowExists() const
{
    return windowlink::makeLinkWindowSystem()->FindWindowA("CN_sonaro", nullptr) != 0;
}

void TestPlayerFaults::startPlaying(qint64 *pid)
{
    form().SBPlayClick();
    QCOMPARE(m_launcher->startedIds().size(), 1);
    // The poll shows the player's status and total time.
    QTRY_VERIFY_WITH_TIMEOUT(panel() == Playing, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(timeLabel(form())->text().contains(QStringLiteral("/1:29")), 30000);
    *pid = m_launcher->startedIds().first();
}

void TestPlayerFaults::playerKilledInTheMiddleOfASong()
{
    qint64 pid = -1;
    startPlaying(&pid);
    QVERIFY(pid > 0);
    const QString caption = form().windowTitle();
    QCOMPARE(caption, "Tunelet - <1> " + QString::fromUtf8(m_rows[0]));

    QVERIFY(::kill(pid_t(pid), SIGKILL) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(faults::processEnded(pid), 10000);
    // The poll finds no window: no status any more, and no song end.
    QTRY_VERIFY_WITH_TIMEOUT(panel().isEmpty(), 5000);
    QTest::qWait(20 * tunelet::PlaybackSession::TickMs);
    QCOMPARE(form().windowTitle(), caption);
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QVERIFY(!playerWindowExists());
    QCOMPARE(form().Session().playIndex(), 0);

    // Commands aimed at the dead player go nowhere.
    form().SBPauseClick();
    form().SBSkipMouseDown(Qt::LeftButton);
    QTest::qWait(5 * tunelet::PlaybackSession::TickMs); // held: a key-down each tick
    form().SBSkipMouseUp(Qt::LeftButton);
    QCOMPARE(form().windowTitle(), caption);
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());

    // Tunelet goes on: the next song starts and is followed.
    form().SBNextClick();
    QCOMPARE(m_launcher->startedIds().size(), 2);
    QCOMPARE(form().windowTitle(), "Tunelet - <2> " + QString::fromUtf8(m_rows[1]));
    QTRY_VERIFY_WITH_TIMEOUT(panel() == Playing, 30000);
}

void TestPlayerFaults::hungPlayerLeavesTheWindowResponsive()
{
    qint64 pid = -1;
    startPlaying(&pid);
    QVERIFY(pid > 0);
    const QString caption = form().windowTitle();

    // A timer of the test's own counts how often the event loop gets round to it
    // while the poll meets the hung player.
    int ticks = 0;
    QTimer probe;
    probe.setInterval(10);
    connect(&probe, &QTimer::timeout, this, [&ticks] { ++ticks; });

    QVERIFY(::kill(pid_t(pid), SIGSTOP) == 0);
    probe.start();
    // The first poll that timed out shows no status.
    QTRY_VERIFY_WITH_TIMEOUT(panel().isEmpty(), 30000);
    const std::size_t waitsAtFirst = windowlink::linkUsage().unanswered;
    QVERIFY(waitsAtFirst > 0);
    const int ticksAtFirst = ticks;
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= ticksAtFirst + 300, 60000);
    probe.stop();
    // A poll waits for a hung player as long as any call (the link's 2 s), once,
    // and then leaves it alone for a while. A wait per poll would show as about
    // one per probe tick.
    const std::size_t waits = windowlink::linkUsage().unanswered - waitsAtFirst;
    QVERIFY2(
        waits * 10 < std::size_t(ticks - ticksAtFirst),
        qPrintable(
            QStringLiteral("%1 waits in %2 probe ticks").arg(waits).arg(ticks - ticksAtFirst)));
    QCOMPARE(form().windowTitle(), caption);
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());

    // Once it runs again the poll follows it again, after the while the link
    // leaves an unanswering window alone (five of its 2 s waits).
    QVERIFY(::kill(pid_t(pid), SIGCONT) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(panel(), Playing, 30000);
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QCOMPARE(form().windowTitle(), caption);
}

void TestPlayerFaults::exitWithAHungPlayerStillEnds()
{
    qint64 pid = -1;
    startPlaying(&pid);
    QVERIFY(pid > 0);
    action(form(), "MMSaveList")->setChecked(true);
    QVERIFY(::kill(pid_t(pid), SIGSTOP) == 0);

    // The close asks the player to close (CloseSonaro is ticked) and gets
    // no answer: the wait is bounded, and the settings and the list are saved.
    QSignalSpy closed(&form(), &TForm1::Closed);
    QElapsedTimer clock;
    clock.start();
    form().MMExitClick();
    qInfo("exit with a hung player took %lld ms", clock.elapsed());
    QCOMPARE(closed.size(), 1);
    QVERIFY(!form().Session().progressTimer().isActive());
    QVERIFY(!form().Session().keyTimer().isActive());
    QCOMPARE(readBytes(m_fixture->path("tunelet.ppl")), m_rows.join("\r\n") + "\r\n");
    QVERIFY(readBytes(m_fixture->path("tunelet.ini")).contains("SaveList=1"));
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

int runPlayerFaultTests(int argc, char **argv)
{
    TestPlayerFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_player.moc"
