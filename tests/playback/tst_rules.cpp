// The progress poll's arithmetic and the sequencing rules, without a screen.
#include "tests/support/FakePlayerWindows.h"
#include "tests/support/FakeProcess.h"

#include "tests/playback/PlaybackTests.h"

#include "playback/PlaySequencer.h"
#include "playback/PlayerParameters.h"
#include "playback/PlayerProcess.h"
#include "playback/PlayerWindow.h"
#include "playback/ProgressPoll.h"
#include "playback/SilentPassWatch.h"
#include "playlist/RandomGenerator.h"

#include <QTest>

using namespace tunelet::testkit;

using tunelet::PlayMode;
using tunelet::SequenceState;
using tunelet::SequenceStep;
using Action = SequenceStep::Action;
using Closing = tunelet::PlayerProcess::Closing;

Q_DECLARE_METATYPE(tunelet::PlayMode)
Q_DECLARE_METATYPE(tunelet::PlayerProcess::Closing)
Q_DECLARE_METATYPE(tunelet::SequenceStep)

namespace
{

const QString Keep = QStringLiteral("<keep>");

SequenceState state(int count, int playIndex, PlayMode mode, bool repeat)
{
    SequenceState s;
    s.count = count;
    s.playIndex = playIndex;
    s.mode = mode;
    s.repeat = repeat;
    return s;
}

// What a look at a player with a seek bar reads.
tunelet::ProgressReading seekReading(int position, int maximum, const QString &status,
                                     const QString &title = {})
{
    tunelet::ProgressReading reading;
    reading.hasSeekBar = true;
    reading.position = position;
    reading.maximum = maximum;
    reading.status = status;
    reading.title = title;
    return reading;
}

} // namespace

namespace QTest
{
template <> char *toString(const SequenceStep &step)
{
    return qstrdup(QByteArray::number(int(step.action)) + "/" + QByteArray::number(step.playIndex));
}
} // namespace QTest

class TestPlaybackRules : public QObject
{
    Q_OBJECT

private slots:
    void progressView_data();
    void progressView();
    void progressViewForTheDesktop();
    void playedSong_data();
    void playedSong();
    void decimalOrZero_data();
    void decimalOrZero();
    void pollWithoutPlayerKeepsLabelAndEndsNothing();
    void pollReadsThePlayersWindow();
    void parameters_data();
    void parameters();
    void captions();
    void modes();
    void next_data();
    void next();
    void back_data();
    void back();
    void songEnded_data();
    void songEnded();
    void playStartsFirstRowOrDraw();
    void firstDrawsOverTenRows();
    void playSelectedAndSpace();
    void silentPass();
    void closingThePlayer_data();
    void closingThePlayer();
};

void TestPlaybackRules::progressView_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("seek");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("ended");

    const QString t305 = QStringLiteral("Song → 3：05");
    QTest::newRow("half of 3:05") << t305 << true << 50 << 100 << "01:32/3:05 " << false;
    QTest::newRow("0 of 0..0 is no end") << t305 << true << 0 << 0 << "00:00/3:05 " << false;
    QTest::newRow("at the maximum") << t305 << true << 100 << 100 << "03:05/3:05 " << true;
    QTest::newRow("61 min 5 s shows 01:05")
        << QStringLiteral("x → 90：00") << true << 3665 << 5400 << "01:05/90:00 " << false;
    QTest::newRow("total digits unchanged")
        << QStringLiteral("x → 003：7") << true << 0 << 10 << "00:00/003:7 " << false;
    QTest::newRow("first arrow, first colon") << QStringLiteral("a → 1：00：30 → 9：99") << true
                                              << 10 << 10 << "01:00/1:00：30 → 9：99 " << true;
    QTest::newRow("not numbers count as 0")
        << QStringLiteral("→ a：b") << true << 5 << 10 << "00:00/a:b " << false;
    QTest::newRow("no arrow keeps the label")
        << QStringLiteral("Song 3：05") << true << 5 << 10 << Keep << false;
    QTest::newRow("colon before the arrow keeps the label")
        << QStringLiteral("3：05 → x") << true << 5 << 10 << Keep << false;
    QTest::newRow("empty title") << QString() << true << 10 << 10 << Keep << true;
    QTest::newRow("no seek bar: position 0, maximum -1")
        << t305 << false << 7 << 7 << "00:00/3:05 " << false;
    QTest::newRow("maximum below 1 counts as -1")
        << t305 << true << 0 << -5 << "00:00/3:05 " << false;
    QTest::newRow("huge numbers do not overflow")
        << QStringLiteral("→ 2147483647：59") << true << 2147483647 << 2147483647
        << "07:59/2147483647:59 " << true;
}

void TestPlaybackRules::progressView()
{
    QFETCH(QString, title);
    QFETCH(bool, seek);
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(QString, label);
    QFETCH(bool, ended);

    tunelet::ProgressReading reading =
        seekReading(position, maximum, QStringLiteral("演奏中"), title);
    reading.hasSeekBar = seek;
    const tunelet::ProgressView view = tunelet::progressView(reading);
    QCOMPARE(view.label.value_or(Keep), label);
    QCOMPARE(view.ended, ended);
    QCOMPARE(view.status, QStringLiteral("演奏中"));
}

void TestPlaybackRules::progressViewForTheDesktop()
{
    tunelet::ProgressReading reading;
    reading.hasSeekBar = true;
    reading.position = 1;
    reading.maximum = 3;
    reading.title = QStringLiteral("Song → 3：05");
    reading.status = QStringLiteral("一時停止");
    tunelet::ProgressView view = tunelet::progressView(reading);
    // Microseconds, not cut to whole seconds as the label is.
    QCOMPARE(view.totalUs, qint64(185'000'000));
    QCOMPARE(view.elapsedUs, qint64(61'666'666));
    QVERIFY(view.paused);

    reading.position = 2147483647;
    reading.maximum = 7; // a position beyond the maximum counts as the total
    reading.title = QStringLiteral("→ 2147483647：59");
    reading.status = QStringLiteral("再生中");
    view = tunelet::progressView(reading);
    QCOMPARE(view.elapsedUs, view.totalUs);
    QVERIFY(!view.paused);

    reading.title = QStringLiteral("Song");
    view = tunelet::progressView(reading);
    QCOMPARE(view.totalUs, qint64(0));
    QCOMPARE(view.elapsedUs, qint64(0));
}

void TestPlaybackRules::playedSong_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("played");
    QTest::newRow("under way") << 3 << 10 << "再生中" << true;
    QTest::newRow("paused under way") << 0 << 10 << "一時停止" << true;
    QTest::newRow("ended after playing") << 1 << 1 << "終了" << true;
    QTest::newRow("ended with an error") << 1 << 1 << "ファイルが開けません" << false;
    QTest::newRow("ended, no status") << 10 << 10 << "" << false;
    QTest::newRow("no scale yet") << 0 << 0 << "終了" << false;
}

void TestPlaybackRules::playedSong()
{
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(QString, status);
    QFETCH(bool, played);
    QCOMPARE(tunelet::progressView(seekReading(position, maximum, status)).played, played);
}

void TestPlaybackRules::decimalOrZero_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("digits") << "305" << qint64(305);
    QTest::newRow("leading zeros") << "05" << qint64(5);
    QTest::newRow("signed") << "-12" << qint64(-12);
    QTest::newRow("plus") << "+7" << qint64(7);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("sign only") << "-" << qint64(0);
    QTest::newRow("blank") << " 5" << qint64(0);
    QTest::newRow("letters") << "5a" << qint64(0);
    QTest::newRow("full-width digit") << "５" << qint64(0);
    QTest::newRow("too large") << "2147483648" << qint64(0);
    QTest::newRow("smallest") << "-2147483648" << qint64(-2147483648LL);
}

void TestPlaybackRules::decimalOrZero()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(tunelet::decimalOrZero(text), value);
}

void TestPlaybackRules::pollWithoutPlayerKeepsLabelAndEndsNothing()
{
    FakePlayerWindows windows;
    windows.setPlayerPresent(false);
    tunelet::PlayerWindow player(windows);
    tunelet::ProgressPoll poll(player);
    const tunelet::ProgressView view = poll.poll();
    QVERIFY(!view.label);
    QVERIFY(view.status.isEmpty());
    QVERIFY(!view.ended);
    QVERIFY(windows.sent().isEmpty());
}

void TestPlaybackRules::pollReadsThePlayersWindow()
{
    FakePlayerWindows windows;
    windows.setTitle(QStringLiteral("Little tune → 3：05"));
    windows.setStatus(QStringLiteral("Playing"));
    windows.setPosition(50);
    windows.setRange(20, 100); // the minimum plays no part
    tunelet::PlayerWindow player(windows);
    tunelet::ProgressPoll poll(player);
    tunelet::ProgressView view = poll.poll();
    QCOMPARE(view.label.value_or(Keep), QStringLiteral("01:32/3:05 "));
    QCOMPARE(view.status, QStringLiteral("Playing"));
    QVERIFY(!view.ended);

    windows.setPosition(100);
    windows.setStatusPresent(false);
    view = poll.poll();
    QVERIFY(view.ended);
    QVERIFY(view.status.isEmpty());

    windows.setSeekBarPresent(false);
    view = poll.poll();
    QVERIFY(!view.ended);
    QCOMPARE(view.label.value_or(Keep), QStringLiteral("00:00/3:05 "));
    QVERIFY(windows.sent().isEmpty());
}

void TestPlaybackRules::parameters_data()
{
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<bool>("members");
    QTest::addColumn<bool>("finger");
    QTest::addColumn<bool>("score");
    QTest::addColumn<QString>("expected");
    const QString base = QStringLiteral("\"/m/a b.snr\" *p *x");
    QTest::newRow("none") << false << false << false << false << base;
    QTest::newRow("all") << true << true << true << true << base + " *i *m *f *s *a";
    QTest::newRow("minimized") << true << false << false << false << base + " *i";
    QTest::newRow("members") << false << true << false << false << base + " *m";
    QTest::newRow("finger") << false << false << true << false << base + " *f";
    QTest::newRow("score") << false << false << false << true << base + " *s *a";
    QTest::newRow("members and score") << false << true << false << true << base + " *m *s *a";
}

void TestPlaybackRules::parameters()
{
    QFETCH(bool, minimized);
    QFETCH(bool, members);
    QFETCH(bool, finger);
    QFETCH(bool, score);
    QFETCH(QString, expected);
    tunelet::SongSwitches switches;
    switches.minimized = minimized;
    switches.members = members;
    switches.finger = finger;
    switches.score = score;
    QCOMPARE(tunelet::playerParameters("/m/a b.snr", switches), expected);
}

void TestPlaybackRules::captions()
{
    QCOMPARE(tunelet::idleCaption(), QStringLiteral("Tunelet"));
    QCOMPARE(tunelet::playingCaption(2, "/m/a.snr"), QStringLiteral("Tunelet - <3> /m/a.snr"));
    QCOMPARE(tunelet::playingCaption(-1, "/m/a.snr"), QStringLiteral("Tunelet - <0> /m/a.snr"));
    QCOMPARE(tunelet::converterCaption(), QStringLiteral("Tunelet - mid2snr実行中..."));
    // Shift-JIS bytes of a path are shown decoded.
    QCOMPARE(tunelet::playingCaption(0, "/m/\x8b\xc8.snr"),
             QStringLiteral("Tunelet - <1> /m/曲.snr"));
}

void TestPlaybackRules::modes()
{
    QCOMPARE(tunelet::playModeText(PlayMode::List), QStringLiteral("List"));
    QCOMPARE(tunelet::playModeText(PlayMode::Single), QStringLiteral("Single"));
    QCOMPARE(tunelet::playModeText(PlayMode::Random), QStringLiteral("Random"));
    QCOMPARE(tunelet::nextPlayMode(PlayMode::List), PlayMode::Single);
    QCOMPARE(tunelet::nextPlayMode(PlayMode::Single), PlayMode::Random);
    QCOMPARE(tunelet::nextPlayMode(PlayMode::Random), PlayMode::List);
    QCOMPARE(int(PlayMode::Random), 2);
}

void TestPlaybackRules::next_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("playIndex");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<SequenceStep>("expected");
    QTest::newRow("empty list stops") << 0 << 3 << true << SequenceStep{Action::Stop, 3};
    QTest::newRow("middle") << 5 << 1 << false << SequenceStep{Action::Start, 2};
    QTest::newRow("last, repeat") << 5 << 4 << true << SequenceStep{Action::Start, 0};
    QTest::newRow("last, no repeat") << 5 << 4 << false << SequenceStep{Action::Start, 4};
    QTest::newRow("after a load or sort") << 5 << -1 << false << SequenceStep{Action::Start, 0};
    QTest::newRow("past the end, no repeat") << 3 << 7 << false << SequenceStep{Action::Start, 2};
    QTest::newRow("past the end, repeat") << 3 << 7 << true << SequenceStep{Action::Start, 0};
}

void TestPlaybackRules::next()
{
    QFETCH(int, count);
    QFETCH(int, playIndex);
    QFETCH(bool, repeat);
    QFETCH(SequenceStep, expected);
    tunelet::RandomGenerator random;
    tunelet::PlaySequencer sequencer(random);
    QCOMPARE(sequencer.next(state(count, playIndex, PlayMode::List, repeat)), expected);
    QCOMPARE(sequencer.next(state(count, playIndex, PlayMode::Single, repeat)), expected);
    QCOMPARE(random.seed(), 0u); // no draw outside random mode
}

void TestPlaybackRules::back_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("playIndex");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<SequenceStep>("expected");
    QTest::newRow("empty list stops") << 0 << 0 << false << SequenceStep{Action::Stop, 0};
    QTest::newRow("middle") << 5 << 3 << false << SequenceStep{Action::Start, 2};
    QTest::newRow("first, repeat") << 5 << 0 << true << SequenceStep{Action::Start, 4};
    QTest::newRow("first, no repeat") << 5 << 0 << false << SequenceStep{Action::Start, 0};
    QTest::newRow("after a load or sort") << 5 << -1 << true << SequenceStep{Action::Start, 0};
    QTest::newRow("one past the end") << 3 << 3 << false << SequenceStep{Action::Start, 2};
    QTest::newRow("far past the end plays the last row")
        << 3 << 9 << false << SequenceStep{Action::Start, 2};
    QTest::newRow("far past the end, repeat") << 3 << 9 << true << SequenceStep{Action::Start, 2};
}

void TestPlaybackRules::back()
{
    QFETCH(int, count);
    QFETCH(int, playIndex);
    QFETCH(bool, repeat);
    QFETCH(SequenceStep, expected);
    tunelet::RandomGenerator random;
    tunelet::PlaySequencer sequencer(random);
    QCOMPARE(sequencer.back(state(count, playIndex, PlayMode::List, repeat)), expected);
}

void TestPlaybackRules::songEnded_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("playIndex");
    QTest::addColumn<PlayMode>("mode");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<SequenceStep>("expected");
    const auto L = PlayMode::List;
    const auto S = PlayMode::Single;
    QTest::newRow("empty") << 0 << 0 << L << true << SequenceStep{Action::Stop, 0};
    QTest::newRow("list, repeat, last") << 3 << 2 << L << true << SequenceStep{Action::Start, 0};
    QTest::newRow("list, repeat, middle") << 3 << 1 << L << true << SequenceStep{Action::Start, 2};
    QTest::newRow("list, last") << 3 << 2 << L << false << SequenceStep{Action::Stop, 2};
    QTest::newRow("list, middle") << 3 << 0 << L << false << SequenceStep{Action::Start, 1};
    QTest::newRow("list, one row") << 1 << 0 << L << false << SequenceStep{Action::Stop, 0};
    QTest::newRow("list, after a sort") << 3 << -1 << L << false << SequenceStep{Action::Start, 0};
    QTest::newRow("list, after a sort, one row")
        << 1 << -1 << L << false << SequenceStep{Action::Stop, -1};
    QTest::newRow("list, past the end") << 3 << 5 << L << false << SequenceStep{Action::Start, 2};
    QTest::newRow("single, repeat") << 3 << 1 << S << true << SequenceStep{Action::PlayAgain, 1};
    QTest::newRow("single, repeat, after a sort")
        << 3 << -1 << S << true << SequenceStep{Action::PlayAgain, 0};
    QTest::newRow("single") << 3 << 1 << S << false << SequenceStep{Action::Stop, 1};
}

void TestPlaybackRules::songEnded()
{
    QFETCH(int, count);
    QFETCH(int, playIndex);
    QFETCH(PlayMode, mode);
    QFETCH(bool, repeat);
    QFETCH(SequenceStep, expected);
    tunelet::RandomGenerator random;
    tunelet::PlaySequencer sequencer(random);
    QCOMPARE(sequencer.songEnded(state(count, playIndex, mode, repeat)), expected);
}

void TestPlaybackRules::playStartsFirstRowOrDraw()
{
    tunelet::RandomGenerator random;
    tunelet::PlaySequencer sequencer(random);
    QCOMPARE(sequencer.play(state(0, 4, PlayMode::List, true)),
             (SequenceStep{Action::ClosePlayer, 4}));
    QCOMPARE(sequencer.play(state(5, 3, PlayMode::List, true)), (SequenceStep{Action::Start, 0}));
    QCOMPARE(sequencer.play(state(5, 3, PlayMode::Single, true)), (SequenceStep{Action::Start, 0}));
    QCOMPARE(random.seed(), 0u);
    // The first draw of a run is 0 for every list length; the seed moves on.
    QCOMPARE(sequencer.play(state(5, 3, PlayMode::Random, true)), (SequenceStep{Action::Start, 0}));
    QCOMPARE(random.seed(), 1u);
    // Random mode's end of a song without repeat: stop only at the last position.
    tunelet::RandomGenerator other;
    tunelet::PlaySequencer randomSequencer(other);
    QCOMPARE(randomSequencer.songEnded(state(10, 9, PlayMode::Random, false)),
             (SequenceStep{Action::Stop, 9}));
    QCOMPARE(other.seed(), 0u);
    QCOMPARE(randomSequencer.songEnded(state(10, 3, PlayMode::Random, false)),
             (SequenceStep{Action::Start, 0}));
    QCOMPARE(randomSequencer.back(state(10, 3, PlayMode::Random, false)),
             (SequenceStep{Action::Start, 0}));
    QCOMPARE(randomSequencer.next(state(10, 3, PlayMode::Random, false)),
             (SequenceStep{Action::Start, 8}));
}

void TestPlaybackRules::firstDrawsOverTenRows()
{
    tunelet::RandomGenerator random;
    tunelet::PlaySequencer sequencer(random);
    QList<int> rows;
    for (int i = 0; i < 8; ++i)
        rows << sequencer.next(state(10, 0, PlayMode::Random, false)).playIndex;
    QCOMPARE(rows, (QList<int>{0, 0, 8, 2, 2, 6, 3, 1}));
}

void TestPlaybackRules::playSelectedAndSpace()
{
    tunelet::RandomGenerator random;
    tunelet::PlaySequencer sequencer(random);
    QCOMPARE(sequencer.playSelected(state(3, 0, PlayMode::Random, true), -1),
             (SequenceStep{Action::Nothing, 0}));
    QCOMPARE(sequencer.playSelected(state(3, 0, PlayMode::Random, true), 2),
             (SequenceStep{Action::Start, 2}));
    QCOMPARE(sequencer.playSelected(state(0, 0, PlayMode::List, true), 0),
             (SequenceStep{Action::Nothing, 0}));
    QCOMPARE(random.seed(), 0u);
    QCOMPARE(sequencer.space(state(3, 2, PlayMode::List, true), true),
             (SequenceStep{Action::Start, 0}));
    QCOMPARE(sequencer.space(state(3, 2, PlayMode::List, true), false),
             (SequenceStep{Action::Stop, 2}));
}

void TestPlaybackRules::silentPass()
{
    tunelet::SilentPassWatch watch;
    const auto silentEnd = [&watch](int row, int count) {
        watch.songStarted(row);
        return watch.silentPassEnded(count);
    };
    // Three rows, none plays: the end of the third row tried makes the pass.
    QVERIFY(!silentEnd(0, 3));
    QVERIFY(!silentEnd(1, 3));
    QVERIFY(silentEnd(2, 3));
    // Counted afresh after a pass, and after a song that played.
    QVERIFY(!silentEnd(0, 3));
    watch.songStarted(1);
    watch.songPlayed();
    QVERIFY(!watch.silentPassEnded(3));
    QVERIFY(!silentEnd(2, 3));
    QVERIFY(!silentEnd(0, 3));
    QVERIFY(silentEnd(1, 3));
    // And after a stop.
    QVERIFY(!silentEnd(0, 2));
    watch.reset();
    QVERIFY(!silentEnd(0, 2));
    QVERIFY(silentEnd(1, 2));
    // One row: its first end without playing is a whole pass.
    QVERIFY(silentEnd(0, 1));
    // A row drawn again (random play) is no new row tried, however often.
    for (int i = 0; i < 10; ++i)
        QVERIFY(!silentEnd(i % 2, 3));
    QVERIFY(silentEnd(2, 3));
    // A row tried and then removed from the list does not count.
    QVERIFY(!silentEnd(2, 3));
    QVERIFY(!silentEnd(0, 2));
    QVERIFY(silentEnd(1, 2));
}

void TestPlaybackRules::closingThePlayer_data()
{
    QTest::addColumn<bool>("held");        // Tunelet holds the process it started
    QTest::addColumn<bool>("running");     // which still runs at the close
    QTest::addColumn<int>("shownAfter");   // its window: 0 there, n after n looks, -1 never
    QTest::addColumn<int>("endsAfter");    // it ends by itself after n looks; -1 never
    QTest::addColumn<bool>("otherWindow"); // another player's window is there
    QTest::addColumn<Closing>("closing");
    QTest::addColumn<int>("signalled"); // times it was ended through its handle
    QTest::addColumn<int>("ownCloses"); // SC_CLOSE sent to its own window

    QTest::newRow("its window there: closed by it, nothing signalled")
        << true << true << 0 << -1 << false << Closing::ClosedByWindow << 0 << 1;
    QTest::newRow("no window yet, shown within the wait: closed by it")
        << true << true << 3 << -1 << false << Closing::ClosedOnceShown << 0 << 1;
    QTest::newRow("never shows one: ended")
        << true << true << -1 << -1 << false << Closing::Ended << 1 << 0;
    QTest::newRow("had ended: let go, nothing signalled")
        << true << false << -1 << -1 << false << Closing::HadEnded << 0 << 0;
    QTest::newRow("ends while waited for: nothing signalled")
        << true << true << -1 << 2 << false << Closing::HadEnded << 0 << 0;
    QTest::newRow("another's window closed, its own too once shown")
        << true << true << 2 << -1 << true << Closing::ClosedOnceShown << 0 << 1;
    QTest::newRow("another's window closed, its own never shown: ended")
        << true << true << -1 << -1 << true << Closing::Ended << 1 << 0;
    QTest::newRow("none held: the window there is closed as before")
        << false << false << 0 << -1 << false << Closing::NoneStarted << 0 << 1;
}

void TestPlaybackRules::closingThePlayer()
{
    QFETCH(bool, held);
    QFETCH(bool, running);
    QFETCH(int, shownAfter);
    QFETCH(int, endsAfter);
    QFETCH(bool, otherWindow);
    QFETCH(Closing, closing);
    QFETCH(int, signalled);
    QFETCH(int, ownCloses);

    FakePlayerWindows windows;
    FakeProcess::Record process;
    process.running = running;
    windows.setPlayerProcessId(windowlink::DWORD(process.id));
    windows.setPlayerPresent(shownAfter == 0);
    windowlink::HWND other = 0;
    if (otherWindow) {
        other = windows.addWindow("CN_sonaro", "Another player");
        windows.setProcessId(other, 99);
    }
    process.onWait = [&] {
        // The first wait is the look whether it has ended at all.
        const int looks = process.waits - 1;
        if (looks == shownAfter)
            windows.setPlayerPresent(true);
        if (looks == endsAfter)
            process.running = false;
    };
    tunelet::PlayerWindow window(windows);
    tunelet::PlayerProcess player(window);
    if (held)
        player.started(std::make_unique<FakeProcess>(process));

    QCOMPARE(player.close(), closing);
    QCOMPARE(process.ends, signalled);
    const FakePlayerWindows::Message close{windowlink::WM_SYSCOMMAND, windowlink::SC_CLOSE};
    QCOMPARE(windows.playerMessages(), QList<FakePlayerWindows::Message>(ownCloses, close));
    if (otherWindow)
        QVERIFY(windows.sent().contains({other, close.first, close.second, 0}));
    QCOMPARE(process.letGo, held);
    // A player that shows no window is waited for no longer than the bound.
    if (closing == Closing::Ended)
        QCOMPARE(process.waits - 1,
                 int(tunelet::PlayerProcess::WindowWait / tunelet::PlayerProcess::LookEvery));

    // Closed once: a second close has nothing more to do with it.
    windows.clearSent();
    QCOMPARE(player.close(), Closing::NoneStarted);
    QCOMPARE(process.ends, signalled);
}

int runRuleTests(int argc, char **argv)
{
    TestPlaybackRules test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rules.moc"
