// The playback session's rules without a window: the end of a song, the
// held keys, the silent pass and the waiting transport commands, over an
// in-process player window and recorded process starts.
#include "tests/support/FakePlayerWindows.h"
#include "tests/support/FakeProcess.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/RecordingSongHost.h"

#include "tests/playback/PlaybackTests.h"

#include "platform/windowlink/Win32.h"
#include "playback/Options.h"
#include "playback/PlaybackClock.h"
#include "playback/PlaybackSession.h"
#include "playlist/PlaylistModel.h"
#include "playlist/RandomGenerator.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tunelet::testkit;
using namespace windowlink;
using tunelet::PlaybackSession;
using Messages = QList<QPair<UINT, WPARAM>>;

class TestPlaybackSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startShowsCaptionAndTip();
    void endOfTheLastRowStops();
    void endInTheMiddleStartsTheNextRow();
    void aSlowClosingPlayerEndsOnlyOnce();
    void singleWithRepeatPlaysAgainUntilThePositionMoves();
    void rewindAndForwardWhileHeld();
    void repeatWithNothingPlayableStopsAfterAPass();
    void songsSeenOnlyAtTheirEndCountAsPlayed();
    void commandsWaitForAStartingPlayer();
    void aClosedWindowDropsWaitingCommands();

private:
    PlaybackSession &session() { return *m_session; }
    void setRows(int rows);
    QString caption() const { return m_captions.isEmpty() ? QString() : m_captions.last(); }

    QTemporaryDir m_home;
    FakePlayerWindows m_windows;
    RecordingLauncher m_launcher;
    RecordingSongHost m_host;
    tunelet::PlaylistModel m_playlist;
    tunelet::RandomGenerator m_random;
    tunelet::Options m_options;
    std::unique_ptr<PlaybackSession> m_session;
    QStringList m_captions;
    FakeProcess::Record m_process; // outlives the session that holds its handle
};

void TestPlaybackSession::init()
{
    m_windows = FakePlayerWindows();
    m_windows.setTitle(QStringLiteral("Tune → 3：05"));
    m_launcher = RecordingLauncher();
    m_host.clearCalls();
    m_host.setClosed(false);
    m_playlist.clear();
    m_options = {};
    m_options.sonaroPath = QFile::encodeName(m_home.filePath(QStringLiteral("sonaro")));
    QFile program(m_home.filePath(QStringLiteral("sonaro")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    const QByteArray folder = QFile::encodeName(m_home.path()) + '/';
    m_session =
        std::make_unique<PlaybackSession>(PlaybackSession::Links{m_windows, m_windows, m_launcher},
                                          m_playlist, m_random, m_options, m_host, folder);
    m_captions.clear();
    connect(m_session.get(), &PlaybackSession::captionChanged, this,
            [this](const QString &text) { m_captions << text; });
}

void TestPlaybackSession::cleanup()
{
    m_session.reset();
}

void TestPlaybackSession::setRows(int rows)
{
    for (int i = 0; i < rows; ++i) {
        tunelet::PlaylistEntry entry;
        entry.path = "/m/song" + QByteArray::number(i) + ".snr";
        entry.caption = "Song " + QByteArray::number(i);
        m_playlist.appendEntry(entry);
    }
}

void TestPlaybackSession::startShowsCaptionAndTip()
{
    setRows(3);
    QSignalSpy tips(m_session.get(), &PlaybackSession::trayTipChanged);
    session().playSelected(1);
    QCOMPARE(caption(), QStringLiteral("Tunelet - <2> /m/song1.snr"));
    QCOMPARE(session().trayTip(), QByteArray("Song 1"));
    QCOMPARE(tips.size(), 2); // "Tunelet" from the close first
    QCOMPARE(session().startedSong().path, QByteArray("/m/song1.snr"));
    QCOMPARE(session().startedSong().serial, 1u);
    QVERIFY(session().progressTimer().isActive());
    session().stop();
    QCOMPARE(caption(), QStringLiteral("Tunelet"));
    QVERIFY(session().playingPath().isEmpty());
    QVERIFY(!session().progressTimer().isActive());
}

void TestPlaybackSession::endOfTheLastRowStops()
{
    setRows(3);
    m_options.repeatPlay = false;
    session().playSelected(2);
    m_windows.clearSent();
    m_windows.newPlayer();
    m_windows.setPosition(100);
    QSignalSpy times(m_session.get(), &PlaybackSession::timeTextChanged);
    session().pollTick();
    QCOMPARE(times.last()[0].toString(), QStringLiteral("03:05/3:05 "));
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_SYSCOMMAND, SC_CLOSE}}));
    QCOMPARE(caption(), QStringLiteral("Tunelet"));
    QVERIFY(!session().progressTimer().isActive());
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(session().playIndex(), 2);
}

void TestPlaybackSession::endInTheMiddleStartsTheNextRow()
{
    setRows(3);
    m_options.repeatPlay = false;
    session().setPlayIndex(-1); // as after a list was opened
    m_windows.setPosition(100);
    session().pollTick();
    QCOMPARE(caption(), QStringLiteral("Tunelet - <1> /m/song0.snr"));
    QCOMPARE(session().playIndex(), 0);
    // Repeat on the last row wraps to the first.
    m_options.repeatPlay = true;
    session().setPlayIndex(2);
    m_windows.newPlayer();
    session().pollTick();
    QCOMPARE(caption(), QStringLiteral("Tunelet - <1> /m/song0.snr"));
    QCOMPARE(m_launcher.started().size(), 2);
}

void TestPlaybackSession::aSlowClosingPlayerEndsOnlyOnce()
{
    setRows(3);
    session().setPlayIndex(0);
    m_windows.setCloseLingers(true);
    m_windows.setPosition(100);
    session().pollTick();
    QCOMPARE(caption(), QStringLiteral("Tunelet - <2> /m/song1.snr"));
    // The closed player still shows its end until it has gone: no second start.
    session().pollTick();
    session().keyTick();
    QCOMPARE(m_launcher.started().size(), 1);
    QCOMPARE(session().playIndex(), 1);
    // Once the next player's window is there, its end counts again.
    m_windows.setCloseLingers(false);
    m_windows.newPlayer();
    session().pollTick();
    QCOMPARE(m_launcher.started().size(), 2);
    QCOMPARE(caption(), QStringLiteral("Tunelet - <3> /m/song2.snr"));
}

void TestPlaybackSession::singleWithRepeatPlaysAgainUntilThePositionMoves()
{
    setRows(3);
    session().selectPlayMode(tunelet::PlayMode::Single);
    QCOMPARE(m_options.playMode, tunelet::PlayMode::Single);
    session().setPlayIndex(-1);
    m_windows.setPosition(100);
    session().pollTick();
    session().keyTick();
    const Messages again{{WM_KEYDOWN, VK_UP}, {WM_KEYUP, VK_UP}};
    QCOMPARE(m_windows.playerMessages(), again + again);
    QCOMPARE(session().playIndex(), 0);
    QVERIFY(m_captions.isEmpty());
    m_windows.setPosition(0);
    session().pollTick();
    QCOMPARE(m_windows.playerMessages().size(), 4);
    QVERIFY(m_launcher.started().isEmpty());

    // Without repeat the song's end stops.
    m_options.repeatPlay = false;
    m_windows.setPosition(100);
    session().pollTick();
    QCOMPARE(m_windows.playerMessages().last(), (QPair<UINT, WPARAM>{WM_SYSCOMMAND, SC_CLOSE}));
    QCOMPARE(caption(), QStringLiteral("Tunelet"));
}

void TestPlaybackSession::rewindAndForwardWhileHeld()
{
    session().holdRewind(true);
    QCOMPARE(m_windows.foregroundCalls(), 1);
    QVERIFY(session().rewindHeld());
    QVERIFY(m_windows.sent().isEmpty()); // no key at the press itself
    session().keyTick();
    session().keyTick();
    session().pollTick(); // the poll alone sends no keys
    session().holdRewind(false);
    QVERIFY(!session().rewindHeld());
    QCOMPARE(m_windows.playerMessages(),
             (Messages{{WM_KEYDOWN, VK_LEFT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}}));

    m_windows.clearSent();
    session().holdForward(true);
    session().keyTick();
    session().holdForward(false);
    QCOMPARE(m_windows.playerMessages(), (Messages{{WM_KEYDOWN, VK_RIGHT}, {WM_KEYUP, VK_RIGHT}}));
    QVERIFY(!session().forwardHeld());
}

void TestPlaybackSession::repeatWithNothingPlayableStopsAfterAPass()
{
    setRows(3);
    // Every player shows its song ended at once, as for a missing or bad file.
    m_windows.setPosition(100);
    const auto endTick = [this] {
        m_windows.newPlayer();
        session().pollTick();
    };
    const QStringList told{QStringLiteral("beep"),
                           QStringLiteral("message リストを一巡しましたが、再生できる曲が"
                                          "ありませんでした。")};
    session().play();
    endTick();
    endTick();
    QCOMPARE(m_launcher.started().size(), 3);
    QVERIFY(m_host.calls().isEmpty());
    // The third end completes a pass over the three rows with nothing played.
    endTick();
    QCOMPARE(m_launcher.started().size(), 3);
    QCOMPARE(caption(), QStringLiteral("Tunelet"));
    QVERIFY(!session().progressTimer().isActive());
    QCOMPARE(m_host.calls(), told);

    // A song seen playing starts the count afresh.
    session().play();
    m_windows.newPlayer();
    m_windows.setPosition(50);
    session().pollTick();
    m_windows.setPosition(100);
    for (int i = 0; i < 3; ++i)
        endTick();
    QCOMPARE(m_launcher.started().size(), 7);
    QCOMPARE(m_host.calls(), told);
    endTick();
    QCOMPARE(m_launcher.started().size(), 7);
    QCOMPARE(m_host.calls(), told + told);
}

void TestPlaybackSession::songsSeenOnlyAtTheirEndCountAsPlayed()
{
    setRows(3);
    // Songs so short that each has ended, as played, by the first poll.
    m_windows.setPosition(100);
    m_windows.setStatus(QStringLiteral("終了"));
    session().play();
    for (int i = 0; i < 6; ++i) {
        m_windows.newPlayer();
        session().pollTick();
    }
    QCOMPARE(m_launcher.started().size(), 7);
    QVERIFY(m_host.calls().isEmpty());
}

void TestPlaybackSession::commandsWaitForAStartingPlayer()
{
    setRows(3);
    // The launcher's player has not shown its window yet.
    m_windows.setPlayerPresent(false);
    m_process = FakeProcess::Record();
    m_process.id = 4711;
    m_launcher.setNextProcess(std::make_unique<FakeProcess>(m_process));
    session().play();
    QCOMPARE(m_launcher.started().size(), 1);
    // A pause and two nexts wait for it; nothing reaches a player meanwhile.
    session().queue(PlaybackSession::Transport::Pause);
    session().queue(PlaybackSession::Transport::Next);
    session().queue(PlaybackSession::Transport::Next);
    QCOMPARE(session().queuedTransports(), 3);
    QVERIFY(m_windows.playerMessages().isEmpty());
    // Its window shows: the pause reaches it, and the two nexts start one player.
    m_windows.setPlayerProcessId(DWORD(m_process.id));
    m_windows.setPlayerPresent(true);
    QTRY_COMPARE(session().queuedTransports(), 0);
    const Messages pause{{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}};
    QCOMPARE(m_windows.playerMessages().mid(0, 2), pause);
    QCOMPARE(m_launcher.started().size(), 2);
    QCOMPARE(session().playIndex(), 2);
}

void TestPlaybackSession::aClosedWindowDropsWaitingCommands()
{
    setRows(2);
    m_host.setClosed(true);
    session().queue(PlaybackSession::Transport::Play);
    QCOMPARE(session().queuedTransports(), 0);
    QVERIFY(m_launcher.started().isEmpty());
}

int runSessionTests(int argc, char **argv)
{
    TestPlaybackSession test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_session.moc"
