// The whole list played unattended through the main window with the real
// player and converter, and players closed before they have shown a window.
#include "tests/support/PlayerProcesses.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/playback/PlaybackTests.h"

#include "platform/process/SystemProcessLauncher.h"
#include "platform/windowlink/WindowSystem.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace tunelet::testkit;

class TestPlaybackIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listPlaysThroughAndStops();
    void repeatWrapsToTheFirstRowAndStopKeepsTheTime();
    void waitsWithoutAPlayerAndFollowsOneThatAppears();
    void followsThePlayerByItsReports();
    void quickNextsLeaveOnlyTheLastPlayer();
    void stopRightAfterPlayLeavesNoPlayer();
    void randomPlayReachesTheOnePlayableRow();
    void pauseWhileThePlayerStartsReachesIt();
    void burstOfNextsStartsOnePlayerAtTheRightRow();

private:
    QStringList playingCaptions() const;
    bool playerRunning();
    // The players running on the fixture's songs, and the player windows shown.
    int playersRunning() const;
    static int playerWindows();
    void writeLongRows(int count);
    void endPlayers();

    QByteArray m_binDir;
    std::unique_ptr<tunelet::SystemProcessLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<QSignalSpy> m_captions;
};

void TestPlaybackIntegration::initTestCase()
{
    m_binDir = qgetenv("TUNELET_BIN_DIR");
    if (m_binDir.isEmpty())
        QSKIP("TUNELET_BIN_DIR is not set");
    QVERIFY(QFileInfo(QFile::decodeName(m_binDir + "/sonaro")).isExecutable());
    QVERIFY(QFileInfo(QFile::decodeName(m_binDir + "/mid2snr")).isExecutable());
}

void TestPlaybackIntegration::init()
{
    m_launcher = std::make_unique<tunelet::SystemProcessLauncher>();
    m_fixture = std::make_unique<WindowFixture>();
    TForm1 &form = m_fixture->start({.processes = m_launcher.get()});
    form.SonaroPath = m_binDir + "/sonaro";
    form.mid2snrPath = m_binDir + "/mid2snr";
    m_captions = std::make_unique<QSignalSpy>(&form, &QWidget::windowTitleChanged);
}

void TestPlaybackIntegration::cleanup()
{
    m_captions.reset();
    // Players publish their windows in the fixture's own folder.
    m_fixture->stop(); // closes the player (CloseSonaro is ticked)
    endPlayers();
    m_fixture.reset();
    m_launcher.reset();
}

void TestPlaybackIntegration::endPlayers()
{
    auto windows = windowlink::makeLinkWindowSystem();
    while (const windowlink::HWND player = windows->FindWindowA("CN_sonaro", nullptr))
        windows->SendMessageA(player, windowlink::WM_SYSCOMMAND, windowlink::SC_CLOSE, 0);
    // Whatever is left of them.
    for (const qint64 pid : m_launcher->startedIds())
        ::kill(pid_t(pid), SIGKILL);
}

bool TestPlaybackIntegration::playerRunning()
{
    return windowlink::makeLinkWindowSystem()->FindWindowA("CN_sonaro", nullptr) != 0;
}

int TestPlaybackIntegration::playersRunning() const
{
    return int(playersMentioning(QFile::decodeName(m_fixture->home())).size());
}

int TestPlaybackIntegration::playerWindows()
{
    auto windows = windowlink::makeLinkWindowSystem();
    int count = 0;
    windowlink::HWND window = 0;
    while ((window = windows->FindWindowExA(0, window, "CN_sonaro", nullptr)) != 0)
        ++count;
    return count;
}

void TestPlaybackIntegration::writeLongRows(int count)
{
    // Long enough that a player left behind would still play at the end.
    QByteArrayList rows;
    for (int i = 1; i <= count; ++i)
        rows << m_fixture->write("long" + QByteArray::number(i) + ".snr",
                                 longSong("Long " + QByteArray::number(i)));
    m_fixture->setRows(rows);
}

QStringList TestPlaybackIntegration::playingCaptions() const
{
    QStringList captions;
    for (const QList<QVariant> &signal : *m_captions) {
        const QString caption = signal[0].toString();
        if (caption.startsWith(QStringLiteral("Tunelet - <")))
            captions << caption;
    }
    return captions;
}

void TestPlaybackIntegration::listPlaysThroughAndStops()
{
    TForm1 &form = m_fixture->form();
    const QByteArray a = m_fixture->write("a.snr", songData("Song A"));
    const QByteArray b = m_fixture->write("b.snr", songData("Song B"));
    const QByteArray c = m_fixture->write("c.mid", midiData());
    m_fixture->setRows({a, b, c});
    action(form, "MMRepeat")->setChecked(false);

    form.SBPlayClick();
    QTRY_VERIFY_WITH_TIMEOUT(
        playingCaptions().size() >= 3 && form.windowTitle() == QStringLiteral("Tunelet"), 60000);
    const QString workFile = QFile::decodeName(m_fixture->path("tunelet.snr"));
    QCOMPARE(playingCaptions(),
             (QStringList{"Tunelet - <1> " + QString::fromUtf8(a),
                          "Tunelet - <2> " + QString::fromUtf8(b), "Tunelet - <3> " + workFile}));
    // The converter ran between the second and the third song.
    QVERIFY(m_captions->contains(QList<QVariant>{QStringLiteral("Tunelet - mid2snr実行中...")}));
    QVERIFY(!form.Session().progressTimer().isActive());
    QCOMPARE(form.Session().playIndex(), 2);
    QCOMPARE(m_fixture->label(), QStringLiteral("00:02/0:02 "));
    QVERIFY(!playerRunning());
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestPlaybackIntegration::repeatWrapsToTheFirstRowAndStopKeepsTheTime()
{
    TForm1 &form = m_fixture->form();
    const QByteArray a = m_fixture->write("a.snr", songData("Song A"));
    const QByteArray b = m_fixture->write("b.snr", songData("Song B"));
    m_fixture->setRows({a, b});
    QVERIFY(action(form, "MMRepeat")->isChecked());

    form.SBPlayClick();
    QTRY_VERIFY_WITH_TIMEOUT(playingCaptions().size() >= 3, 60000);
    QCOMPARE(playingCaptions().mid(0, 3), (QStringList{"Tunelet - <1> " + QString::fromUtf8(a),
                                                       "Tunelet - <2> " + QString::fromUtf8(b),
                                                       "Tunelet - <1> " + QString::fromUtf8(a)}));
    // Let the player show some time, then stop.
    QTRY_VERIFY_WITH_TIMEOUT(
        playerRunning() && m_fixture->label().endsWith(QStringLiteral("/0:02 ")), 20000);
    form.SBStopClick();
    const QString shown = m_fixture->label();
    QCOMPARE(form.windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form.Session().progressTimer().isActive());
    QVERIFY(!playerRunning());
    QTest::qWait(3 * tunelet::PlaybackSession::TickMs);
    QCOMPARE(m_fixture->label(), shown);
    QCOMPARE(m_fixture->panel(2), QString());
    QCOMPARE(form.Session().playIndex(), 0);
}

void TestPlaybackIntegration::waitsWithoutAPlayerAndFollowsOneThatAppears()
{
    TForm1 &form = m_fixture->form();
    // No player window: after a look the timers stop ticking, though Timer2
    // stays on as the window sees it.
    QTRY_VERIFY(!form.Session().clock().isRunning());
    QVERIFY(form.Session().keyTimer().isActive());
    int ticks = 0;
    connect(&form.Session().keyTimer(), &tunelet::PacedTimer::timeout, this, [&ticks] { ++ticks; });
    QTest::qWait(10 * tunelet::PlaybackSession::TickMs);
    QCOMPARE(ticks, 0);

    // A player that Tunelet did not start appears: it is followed like its own.
    const QByteArray song = m_fixture->write("other.snr", songData("Other", 3));
    QVERIFY(m_launcher->startDetached(m_binDir + "/sonaro",
                                      "\"" + QString::fromUtf8(song) + "\" *p *x", m_binDir));
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture->label().endsWith(QStringLiteral("/0:03 ")), 30000);
    QVERIFY(form.Session().clock().isRunning());
    QVERIFY(ticks > 0);
    QCOMPARE(form.windowTitle(), QStringLiteral("Tunelet"));

    // Once it has gone, the timers wait again.
    endPlayers();
    QTRY_VERIFY(!form.Session().clock().isRunning());
}

void TestPlaybackIntegration::followsThePlayerByItsReports()
{
    TForm1 &form = m_fixture->form();
    writeLongRows(1);
    form.SBPlayClick();
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture->label().startsWith(QStringLiteral("00:01/")), 30000);
    // Between the player's reports the clock only looks slowly; the time
    // display still changes with every second the player reaches.
    QCOMPARE(form.Session().clock().tickInterval(), tunelet::PlaybackClock::slowLookMs);
    int ticks = 0;
    for (tunelet::PacedTimer *timer : {&form.Session().progressTimer(), &form.Session().keyTimer()})
        connect(timer, &tunelet::PacedTimer::timeout, this, [&ticks] { ++ticks; });
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture->label().startsWith(QStringLiteral("00:03/")), 30000);
    // Two seconds of playing: a few reports, nowhere near a tick every 50 ms.
    QVERIFY2(ticks > 0 && ticks <= 8, qPrintable(QString::number(ticks)));

    // A held rewind sends its key at the timers' pace until it is let go.
    form.SBReturnMouseDown(Qt::LeftButton);
    QCOMPARE(form.Session().clock().tickInterval(), tunelet::PlaybackSession::TickMs);
    form.SBReturnMouseUp(Qt::LeftButton);
    QCOMPARE(form.Session().clock().tickInterval(), tunelet::PlaybackClock::slowLookMs);
    form.SBStopClick();
}

void TestPlaybackIntegration::quickNextsLeaveOnlyTheLastPlayer()
{
    TForm1 &form = m_fixture->form();
    writeLongRows(4);
    // Each Next closes a player that has only just been started.
    form.SBPlayClick();
    form.SBNextClick();
    form.SBNextClick();
    form.SBNextClick();
    QCOMPARE(m_launcher->startedIds().size(), 4);
    QCOMPARE(form.windowTitle(),
             "Tunelet - <4> " + QFile::decodeName(m_fixture->path("long4.snr")));

    // Players closed by their window go on their own; none may stay.
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(playerWindows(), 1, 30000);
    QCOMPARE(playersMentioning(QFile::decodeName(m_fixture->path("long4.snr"))).size(), 1);
    // The one left is followed.
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture->label().endsWith(QStringLiteral("/1:29 ")), 30000);
    QCOMPARE(playersRunning(), 1);
}

void TestPlaybackIntegration::stopRightAfterPlayLeavesNoPlayer()
{
    TForm1 &form = m_fixture->form();
    writeLongRows(1);
    form.SBPlayClick();
    form.SBStopClick();
    QCOMPARE(form.windowTitle(), QStringLiteral("Tunelet"));
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 0, 30000);
    QCOMPARE(playerWindows(), 0);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestPlaybackIntegration::randomPlayReachesTheOnePlayableRow()
{
    TForm1 &form = m_fixture->form();
    // Nine files the player refuses (binary), then one song. From the fixed
    // seed, random play first draws the last row on its 17th draw, after 16
    // silent ends over only seven of the other rows.
    QByteArrayList rows;
    for (int i = 1; i <= 9; ++i)
        rows << m_fixture->write("bin" + QByteArray::number(i) + ".snr",
                                 QByteArray("\x00\x01\x02 not a song\x00", 15));
    const QByteArray song = m_fixture->write("song.snr", songData("Song"));
    rows << song;
    m_fixture->setRows(rows);
    action(form, "MMRandomPlay")->trigger();
    QVERIFY(action(form, "MMRepeat")->isChecked());

    form.SBPlayClick();
    const QString songCaption = "Tunelet - <10> " + QString::fromUtf8(song);
    QTRY_VERIFY_WITH_TIMEOUT(
        playingCaptions().contains(songCaption) || !m_fixture->dialogs().shown().isEmpty(), 60000);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QCOMPARE(playingCaptions().size(), 17);
    QCOMPARE(playingCaptions().last(), songCaption);
    form.SBStopClick();
}

void TestPlaybackIntegration::pauseWhileThePlayerStartsReachesIt()
{
    TForm1 &form = m_fixture->form();
    writeLongRows(2);
    form.SBPlayClick();
    form.SBNextClick();
    // The second player has only just been started: no window hears the
    // pause yet, so it waits for one.
    form.SBPauseClick();
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->panel(2), QStringLiteral("一時停止"), 30000);
    QCOMPARE(form.Session().queuedTransports(), 0);
    QCOMPARE(form.windowTitle(),
             "Tunelet - <2> " + QFile::decodeName(m_fixture->path("long2.snr")));
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 1, 30000);

    // A pause waiting for a player that Stop then closes is for nobody: it
    // must not pause the player started next.
    form.SBPlayClick();
    form.SBPauseClick();
    form.SBStopClick();
    QCOMPARE(form.Session().queuedTransports(), 0);
}

void TestPlaybackIntegration::burstOfNextsStartsOnePlayerAtTheRightRow()
{
    TForm1 &form = m_fixture->form();
    writeLongRows(3);
    form.SBPlayClick();
    // The window's event loop runs while the Nexts wait: each turn of it
    // with Nexts waiting is counted.
    int turnsWhileWaiting = 0;
    QTimer turns;
    turns.setInterval(0);
    connect(&turns, &QTimer::timeout, this, [&form, &turnsWhileWaiting] {
        if (form.Session().queuedTransports() > 0)
            ++turnsWhileWaiting;
    });
    turns.start();
    // As a media-key client that does not wait for answers sends them.
    for (int i = 0; i < 1000; ++i)
        form.Desktop().next();
    QTRY_COMPARE_WITH_TIMEOUT(form.Session().queuedTransports(), 0, 60000);
    turns.stop();
    QVERIFY(turnsWhileWaiting > 0);
    // 1000 rows on from the first of three: the second.
    QCOMPARE(form.Session().playIndex(), 1);
    QCOMPARE(form.windowTitle(),
             "Tunelet - <2> " + QFile::decodeName(m_fixture->path("long2.snr")));
    QVERIFY(m_launcher->startedIds().size() <= 3);
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(playerWindows(), 1, 30000);
    QCOMPARE(playersMentioning(QFile::decodeName(m_fixture->path("long2.snr"))).size(), 1);
}

int runIntegrationTests(int argc, char **argv)
{
    TestPlaybackIntegration test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_integration.moc"
