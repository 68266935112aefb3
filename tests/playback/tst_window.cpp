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
    void endOfTheLastRowStops();
    void endInTheMiddleStartsTheNextRow();
    void aSlowClosingPlayerEndsOnlyOnce();
    void singleWithRepeatPlaysAgainUntilThePositionMoves();
    void rewindAndForwardWhileHeld();
    void pauseKeepsPlaying();
    void spaceTogglesPlayAndStop();
    void emptyList();
    void backAndNextReachTheSequencer();
    void activationAndClose();
    void playModes();
    void playModeStoredAndRestored();
    void failuresAreReported();
    void repeatWithNothingPlayableStopsAfterAPass();
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
    QVERIFY(form().Timer2->isActive());
    QVERIFY(!form().Timer1->isActive());
    QCOMPARE(form().Timer1->interval(), TForm1::PlaybackTickMs);
    QCOMPARE(form().Timer2->interval(), TForm1::PlaybackTickMs);
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
    QCOMPARE(form().PlayIndex, 2);
    QVERIFY(form().Timer1->isActive());
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

void TestPlaybackWindow::endOfTheLastRowStops()
{
    startWithRows(3);
    action(form(), "MMRepeat")->setChecked(false);
    form().SelectRow(2);
    form().ListView1DblClick();
    QVERIFY(form().Timer1->isActive());
    m_windows.clearSent();
    m_windows.newPlayer();
    m_windows.setPosition(100);
    form().Timer1Timer();
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_SYSCOMMAND, SC_CLOSE}}));
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(form().PlayingPath().isEmpty());
    QVERIFY(!form().Timer1->isActive());
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(form().PlayIndex, 2);
    // The time display keeps the last time shown.
    form().Timer2Timer();
    QCOMPARE(m_fixture->label(), QStringLiteral("03:05/3:05 "));
}

void TestPlaybackWindow::endInTheMiddleStartsTheNextRow()
{
    startWithRows(3);
    action(form(), "MMRepeat")->setChecked(false);
    form().PlayIndex = -1; // as after a list was opened
    m_windows.setPosition(100);
    form().Timer1Timer();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <1> /m/song0.snr"));
    QCOMPARE(form().PlayIndex, 0);
    // Repeat on the last row wraps to the first.
    action(form(), "MMRepeat")->setChecked(true);
    form().PlayIndex = 2;
    m_windows.newPlayer();
    form().Timer1Timer();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <1> /m/song0.snr"));
    QCOMPARE(m_launcher.started().size(), 2);
}

void TestPlaybackWindow::aSlowClosingPlayerEndsOnlyOnce()
{
    startWithRows(3);
    form().PlayIndex = 0;
    m_windows.setCloseLingers(true);
    m_windows.setPosition(100);
    form().Timer1Timer();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <2> /m/song1.snr"));
    // The closed player still shows its end until it has gone: no second start.
    form().Timer1Timer();
    form().Timer2Timer();
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(form().PlayIndex, 1);
    // Once the next player's window is there, its end counts again.
    m_windows.setCloseLingers(false);
    m_windows.newPlayer();
    form().Timer1Timer();
    QCOMPARE(m_launcher.started().size(), 2);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <3> /m/song2.snr"));
}

void TestPlaybackWindow::singleWithRepeatPlaysAgainUntilThePositionMoves()
{
    startWithRows(3);
    form().MMSinglePlayClick();
    form().PlayIndex = -1;
    form().setWindowTitle(QStringLiteral("Tunelet - <2> /m/song1.snr"));
    m_windows.setPosition(100);
    form().Timer1Timer();
    form().Timer2Timer();
    const Messages again{{WM_KEYDOWN, VK_UP}, {WM_KEYUP, VK_UP}};
    QCOMPARE(m_windows.playerMessages(), again + again);
    QCOMPARE(form().PlayIndex, 0);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <2> /m/song1.snr"));
    m_windows.setPosition(0);
    form().Timer1Timer();
    QCOMPARE(m_windows.playerMessages().size(), 4);
    QVERIFY(m_launcher.started().isEmpty());

    // Without repeat the song's end stops.
    action(form(), "MMRepeat")->setChecked(false);
    m_windows.setPosition(100);
    form().Timer1Timer();
    QCOMPARE(m_windows.playerMessages().last(), (QPair<UINT, WPARAM>{WM_SYSCOMMAND, SC_CLOSE}));
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
}

void TestPlaybackWindow::rewindAndForwardWhileHeld()
{
    form().SBReturnMouseDown(Qt::LeftButton);
    QCOMPARE(m_windows.foregroundCalls(), 1);
    QVERIFY(form().RewindHeld);
    QVERIFY(m_windows.sent().isEmpty()); // no key at the press itself
    form().Timer2Timer();
    form().Timer2Timer();
    form().Timer1Timer(); // the other timer sends no keys
    form().SBReturnMouseUp(Qt::LeftButton);
    QVERIFY(!form().RewindHeld);
    QCOMPARE(m_windows.playerMessages(),
             (Messages{{WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}}));

    m_windows.clearSent();
    form().SBSkipMouseDown(Qt::LeftButton);
    form().Timer2Timer();
    form().SBSkipMouseUp(Qt::LeftButton);
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_KEYDOWN, VK_RIGHT}, {WM_KEYUP, VK_RIGHT}}));

    // Any other button sends nothing.
    m_windows.clearSent();
    form().SBReturnMouseDown(Qt::RightButton);
    form().Timer2Timer();
    form().SBReturnMouseUp(Qt::RightButton);
    form().SBSkipMouseDown(Qt::MiddleButton);
    form().SBSkipMouseUp(Qt::MiddleButton);
    QVERIFY(m_windows.sent().isEmpty());
    QCOMPARE(m_windows.foregroundCalls(), 2);
    QVERIFY(!form().RewindHeld && !form().ForwardHeld);
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
    QVERIFY(form().Timer1->isActive());
    QCOMPARE(form().windowTitle(), caption);
}

void TestPlaybackWindow::spaceTogglesPlayAndStop()
{
    startWithRows(2);
    form().PlayIndex = 1;
    action(form(), "N2")->trigger();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <1> /m/song0.snr"));
    QVERIFY(form().Timer1->isActive());
    action(form(), "N2")->trigger();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form().Timer1->isActive());
    QCOMPARE(form().PlayIndex, 0);
    QCOMPARE(m_launcher.started().size(), 1);
}

void TestPlaybackWindow::emptyList()
{
    form().setWindowTitle(QStringLiteral("Tunelet - <1> /m/x.snr"));
    form().SBPlayClick();
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_SYSCOMMAND, SC_CLOSE}}));
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    form().Timer1->start();
    form().SBNextClick();
    QVERIFY(!form().Timer1->isActive());
    form().Timer1->start();
    form().SBBackClick();
    QVERIFY(!form().Timer1->isActive());
    form().ListView1DblClick();
    QVERIFY(m_launcher.started().isEmpty());
}

// Back and next reach the sequencer (its table is in tst_rules): the row it
// names starts and PlayIndex follows.
void TestPlaybackWindow::backAndNextReachTheSequencer()
{
    startWithRows(3);
    form().PlayIndex = 9;
    action(form(), "N8")->trigger();
    QCOMPARE(form().PlayIndex, 2);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <3> /m/song2.snr"));
    form().PlayIndex = 0;
    action(form(), "N7")->trigger();
    QCOMPARE(form().PlayIndex, 1);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet - <2> /m/song1.snr"));
}

void TestPlaybackWindow::activationAndClose()
{
    m_fixture->keys().clear();
    form().FormActivate();
    QCOMPARE(m_fixture->keys().keys(), QList<Qt::Key>{Qt::Key_Down});

    form().Timer1->start();
    action(form(), "MMCloseSonaro")->setChecked(false);
    form().FormClose();
    QVERIFY(m_windows.sent().isEmpty());
    QVERIFY(!form().Timer1->isActive());
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

void TestPlaybackWindow::repeatWithNothingPlayableStopsAfterAPass()
{
    startWithRows(3);
    QVERIFY(action(form(), "MMRepeat")->isChecked());
    // Every player shows its song ended at once, as for a missing or bad file.
    m_windows.setPosition(100);
    const auto endTick = [this] {
        m_windows.newPlayer();
        form().Timer1Timer();
    };
    form().SBPlayClick();
    endTick();
    endTick();
    QCOMPARE(m_launcher.started().size(), 3);
    QVERIFY(m_fixture->dialogs().texts(What::Message).isEmpty());
    // The third end completes a pass over the three rows with nothing played.
    endTick();
    QCOMPARE(m_launcher.started().size(), 3);
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form().Timer1->isActive());
    QCOMPARE(
        m_fixture->dialogs().texts(What::Message),
        QStringList{QStringLiteral("リストを一巡しましたが、再生できる曲がありませんでした。")});
    QCOMPARE(m_fixture->dialogs().beeps(), 1);

    // A song seen playing starts the count afresh.
    form().SBPlayClick();
    m_windows.newPlayer();
    m_windows.setPosition(50);
    form().Timer1Timer();
    m_windows.setPosition(100);
    for (int i = 0; i < 3; ++i)
        endTick();
    QCOMPARE(m_launcher.started().size(), 7);
    QCOMPARE(m_fixture->dialogs().texts(What::Message).size(), 1);
    endTick();
    QCOMPARE(m_launcher.started().size(), 7);
    QCOMPARE(m_fixture->dialogs().texts(What::Message).size(), 2);
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
