// The main window's playback wiring over an in-process player window and
// recorded process starts.
#include "tests/support/FakePlayerWindows.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/WindowFixture.h"

#include "tests/playback/PlaybackTests.h"

#include "platform/core/ByteFile.h"
#include "platform/windowlink/Win32.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tunelet::testkit;

using namespace windowlink;
using What = ScriptedDialogs::Shown::What;
using Messages = QList<QPair<UINT, WPARAM>>;

class TestPlaybackWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void timersRunFromCreation();
    void startsTheSelectedRowWithAllSwitches();
    void noSwitchesEndWithPlayAndExit();
    void pollShowsProgressAndStatus();
    void rewindAndForwardWhileHeld();
    void pauseKeepsPlaying();
    void spaceTogglesPlayAndStop();
    void emptyList();
    void backAndNextReachTheSequencer();
    void activationAndClose();
    void playModes();
    void checkMarksUpdateTheOptions();
    void playModeStoredAndRestored();
    void failuresAreReported();
    void converterRunningIsShown();

private:
    TForm1 &form() { return m_fixture->form(); }
    void startWithRows(int rows);

    std::unique_ptr<WindowFixture> m_fixture;
    FakePlayerWindows m_windows;
    RecordingLauncher m_launcher;
};

void TestPlaybackWindow::init()
{
    m_windows = FakePlayerWindows();
    m_windows.setTitle(QStringLiteral("Tune → 3：05"));
    m_windows.setStatus(QStringLiteral("Playing"));
    m_launcher = RecordingLauncher();
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start({&m_windows, &m_launcher});
    QVERIFY(QDir().mkpath(QFile::decodeName(m_fixture->path("player"))));
    form().SonaroPath = m_fixture->write("player/sonaro", "program");
    form().mid2snrPath = m_fixture->path("player/mid2snr");
}

void TestPlaybackWindow::cleanup()
{
    m_fixture.reset();
}

void TestPlaybackWindow::startWithRows(int rows)
{
    QByteArrayList paths;
    for (int i = 0; i < rows; ++i)
        paths << "/m/song" + QByteArray::number(i) + ".snr";
    m_fixture->setRows(paths);
}

void TestPlaybackWindow::timersRunFromCreation()
{
    QVERIFY(form().Session().keyTimer().isActive());
    QVERIFY(!form().Session().progressTimer().isActive());
    QCOMPARE(form().Session().progressTimer().interval(), tunelet::PlaybackSession::TickMs);
    QCOMPARE(form().Session().keyTimer().interval(), tunelet::PlaybackSession::TickMs);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
}

void TestPlaybackWindow::startsTheSelectedRowWithAllSwitches()
{
    m_fixture->setRows({"/m/x.snr", "/m/y.snr", "/m/a.snr"});
    for (QAction *item : {action(form(), "MMPlayMinimize"), action(form(), "MMSWMember"),
                          action(form(), "MMSWFinger"), action(form(), "MMSWScore")})
        item->setChecked(true);
    QSignalSpy tips(&form(), &TForm1::TrayTipChanged);
    form().SelectRow(2);
    action(form(), "PMPlay")->trigger();

    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(m_launcher.started()[0].program, m_fixture->path("player/sonaro"));
    QCOMPARE(m_launcher.started()[0].parameters,
             QStringLiteral("\"/m/a.snr\" *p *x *i *m *f *s *a"));
    QCOMPARE(m_launcher.started()[0].folder, m_fixture->path("player/"));
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <3> /m/a.snr"));
    QCOMPARE(form().PlayingPath(), QByteArray("/m/a.snr"));
    QCOMPARE(form().Session().playIndex(), 2);
    QVERIFY(form().Session().progressTimer().isActive());
    // The tip shows the row's title, the caption its path.
    QCOMPARE(form().TrayTip(), form().Playlist().caption(2));
    QCOMPARE(tips.size(), 2);
    QCOMPARE(tips[0][0].toByteArray(), QByteArray("Tunelet"));
    // The running player was closed first.
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_SYSCOMMAND, SC_CLOSE}}));
    // Enter in the list plays the selected row too.
    form().SelectRow(0);
    action(form(), "PMPlay2")->trigger();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <1> /m/x.snr"));
}

void TestPlaybackWindow::noSwitchesEndWithPlayAndExit()
{
    startWithRows(1);
    action(form(), "MMPlayMinimize")->setChecked(false);
    form().SBPlayClick();
    QCOMPARE(m_launcher.started().size(), 1);
    QVERIFY(m_launcher.started()[0].parameters.endsWith(QStringLiteral(".snr\" *p *x")));
}

void TestPlaybackWindow::pollShowsProgressAndStatus()
{
    m_windows.setPosition(50);
    form().Timer1Timer();
    QCOMPARE(m_fixture->label(), QStringLiteral("01:32/3:05 "));
    QCOMPARE(m_fixture->panel(2), QStringLiteral("Playing"));

    // Without a player: the time stays, the status empties, nothing ends.
    m_windows.setPlayerPresent(false);
    form().Timer2Timer();
    QCOMPARE(m_fixture->label(), QStringLiteral("01:32/3:05 "));
    QCOMPARE(m_fixture->panel(2), QString());
    QVERIFY(m_windows.sent().isEmpty());
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
}

// The buttons reach the held keys (their rule is in tst_session); only the
// left button holds.
void TestPlaybackWindow::rewindAndForwardWhileHeld()
{
    form().SBReturnMouseDown(Qt::LeftButton);
    QVERIFY(form().Session().rewindHeld());
    form().Timer2Timer();
    form().SBReturnMouseUp(Qt::LeftButton);
    QVERIFY(!form().Session().rewindHeld());
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}}));

    m_windows.clearSent();
    form().SBSkipMouseDown(Qt::LeftButton);
    QVERIFY(form().Session().forwardHeld());
    form().SBSkipMouseUp(Qt::LeftButton);
    QVERIFY(!form().Session().forwardHeld());

    // Any other button sends nothing.
    m_windows.clearSent();
    form().SBReturnMouseDown(Qt::RightButton);
    form().Timer2Timer();
    form().SBReturnMouseUp(Qt::RightButton);
    form().SBSkipMouseDown(Qt::MiddleButton);
    form().SBSkipMouseUp(Qt::MiddleButton);
    QVERIFY(m_windows.sent().isEmpty());
    QCOMPARE(m_windows.foregroundCalls(), 2);
    QVERIFY(!form().Session().rewindHeld() && !form().Session().forwardHeld());
}

void TestPlaybackWindow::pauseKeepsPlaying()
{
    startWithRows(1);
    form().SBPlayClick();
    m_windows.newPlayer();
    m_windows.clearSent();
    const QString caption = form().windowTitle();
    action(form(), "N3")->trigger();
    form().SBPauseClick();
    const Messages pause{{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}};
    QCOMPARE(m_windows.playerMessages(), pause + pause);
    QVERIFY(form().Session().progressTimer().isActive());
    QCOMPARE(form().windowTitle(), caption);
}

void TestPlaybackWindow::spaceTogglesPlayAndStop()
{
    startWithRows(2);
    form().Session().setPlayIndex(1);
    action(form(), "N2")->trigger();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <1> /m/song0.snr"));
    QVERIFY(form().Session().progressTimer().isActive());
    action(form(), "N2")->trigger();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form().Session().progressTimer().isActive());
    QCOMPARE(form().Session().playIndex(), 0);
    QCOMPARE(m_launcher.started().size(), 1);
}

void TestPlaybackWindow::emptyList()
{
    form().setWindowTitle(QStringLiteral("Tunelet - <1> /m/x.snr"));
    form().SBPlayClick();
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_SYSCOMMAND, SC_CLOSE}}));
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    form().Session().progressTimer().start();
    form().SBNextClick();
    QVERIFY(!form().Session().progressTimer().isActive());
    form().Session().progressTimer().start();
    form().SBBackClick();
    QVERIFY(!form().Session().progressTimer().isActive());
    form().ListView1DblClick();
    QVERIFY(m_launcher.started().isEmpty());
}

// Back and next reach the sequencer (its table is in tst_rules): the row it
// names starts and PlayIndex follows.
void TestPlaybackWindow::backAndNextReachTheSequencer()
{
    startWithRows(3);
    form().Session().setPlayIndex(9);
    action(form(), "N8")->trigger();
    QCOMPARE(form().Session().playIndex(), 2);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <3> /m/song2.snr"));
    form().Session().setPlayIndex(0);
    action(form(), "N7")->trigger();
    QCOMPARE(form().Session().playIndex(), 1);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <2> /m/song1.snr"));
}

void TestPlaybackWindow::activationAndClose()
{
    m_fixture->keys().clear();
    form().FormActivate();
    QCOMPARE(m_fixture->keys().keys(), QList<Qt::Key>{Qt::Key_Down});

    form().Session().progressTimer().start();
    action(form(), "MMCloseSonaro")->setChecked(false);
    form().FormClose();
    QVERIFY(m_windows.sent().isEmpty());
    QVERIFY(!form().Session().progressTimer().isActive());
    action(form(), "MMCloseSonaro")->setChecked(true);
    form().FormClose();
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_SYSCOMMAND, SC_CLOSE}}));
}

void TestPlaybackWindow::playModes()
{
    QVERIFY(action(form(), "MMListPlay")->isChecked());
    QCOMPARE(m_fixture->panel(1), QStringLiteral("List"));
    action(form(), "MMRandomPlay")->trigger();
    QVERIFY(action(form(), "MMRandomPlay")->isChecked() &&
            !action(form(), "MMListPlay")->isChecked());
    QCOMPARE(m_fixture->panel(1), QStringLiteral("Random"));

    auto doubleClick = [](QWidget *target) {
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(2, 2),
                          target->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    doubleClick(frame(form(), "Panel1"));
    QVERIFY(action(form(), "MMListPlay")->isChecked());
    QCOMPARE(m_fixture->panel(1), QStringLiteral("List"));
    doubleClick(timeLabel(form()));
    QVERIFY(action(form(), "MMSinglePlay")->isChecked());
    QCOMPARE(m_fixture->panel(1), QStringLiteral("Single"));
    form().Panel1DblClick();
    QCOMPARE(m_fixture->panel(1), QStringLiteral("Random"));
    QCOMPARE(form().Opts().playMode, tunelet::PlayMode::Random);
}

// A click on a switch's check mark reaches the options the session reads.
void TestPlaybackWindow::checkMarksUpdateTheOptions()
{
    QVERIFY(form().Opts().repeatPlay);
    action(form(), "MMRepeat")->trigger();
    QVERIFY(!form().Opts().repeatPlay);
    action(form(), "MMSWScore")->trigger();
    QVERIFY(form().Opts().playScore);
    action(form(), "MMSinglePlay")->setChecked(true);
    QCOMPARE(form().Opts().playMode, tunelet::PlayMode::Single);
}

void TestPlaybackWindow::playModeStoredAndRestored()
{
    action(form(), "MMSinglePlay")->trigger();
    m_fixture->stop();
    const QByteArray ini = tunelet::readWholeFile(m_fixture->path("tunelet.ini")).value_or("");
    QVERIFY2(ini.contains("PlayMode=1"), ini.constData());
    TForm1 &restarted = m_fixture->start({&m_windows, &m_launcher});
    QVERIFY(action(restarted, "MMSinglePlay")->isChecked());
    QCOMPARE(m_fixture->panel(1), QStringLiteral("Single"));
}

void TestPlaybackWindow::failuresAreReported()
{
    m_fixture->setRows({"/m/missing.snr", "/m/x.mid", "/m/y.LZH"});
    action(form(), "MMDataView")->setChecked(true);
    form().SelectRow(0);
    action(form(), "PMPlay")->trigger();
    QCOMPARE(m_fixture->dialogs().texts(What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ /m/missing.snr は開けません")});

    action(form(), "MMDataView")->setChecked(false);
    m_launcher.setRunStatus(tunelet::RunOutcome::Status::FailedToStart);
    form().SelectRow(1);
    action(form(), "PMPlay")->trigger();
    QCOMPARE(m_fixture->dialogs().texts(What::Error).last(),
             QStringLiteral("mid2snrを起動できません"));

    // Archive rows play through ExtractLzhData (tests/lzh).
    form().SelectRow(0);
    form().SonaroPath = m_fixture->path("player/none");
    const int beeps = m_fixture->dialogs().beeps();
    action(form(), "PMPlay")->trigger();
    QCOMPARE(m_fixture->dialogs().texts(What::Message).last(),
             QStringLiteral("Sonaroのパスを正しく設定してください。"));
    QCOMPARE(m_fixture->dialogs().beeps(), beeps + 1);
    QCOMPARE(m_launcher.started().size(), 0);
    // A failed start leaves the caption idle after the close.
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
}

void TestPlaybackWindow::converterRunningIsShown()
{
    m_fixture->setRows({"/m/x.mid"});
    QString caption;
    QString panel;
    m_launcher.setOnRun([&](const RecordingLauncher::Run &) {
        caption = form().windowTitle();
        panel = m_fixture->panel(2);
    });
    form().SBPlayClick();
    QCOMPARE(caption, QStringLiteral("Tunelet - mid2snr実行中..."));
    QCOMPARE(panel, QStringLiteral(" mid2snr実行中..."));
    QCOMPARE(m_launcher.runs().size(), 1);
    QCOMPARE(m_launcher.runs()[0].folder, m_fixture->home());
    QCOMPARE(form().windowTitle(), "Tunelet - <1> " + m_fixture->path("tunelet.snr"));
}

int runWindowTests(int argc, char **argv)
{
    TestPlaybackWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
