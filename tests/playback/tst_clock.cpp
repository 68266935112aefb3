// The playback clock: which timer ticks, and when the clock runs.
#include "tests/playback/PlaybackTests.h"

#include "playback/PlaybackClock.h"

#include <QTest>

class TestPlaybackClock : public QObject
{
    Q_OBJECT

private slots:
    void theFirstStartedTimerTicksAlone();
    void waitsWithoutAWindowOnlyWhenItMay();
    void aWakeTicksAtOnce();
    void reportsTickAndBetweenThemTheClockLooksSlowly();
};

namespace
{

struct Counted {
    explicit Counted(tunelet::PlaybackClock &clock) : first(clock), second(clock)
    {
        first.setInterval(5);
        second.setInterval(5);
        QObject::connect(&first, &tunelet::PacedTimer::timeout, [this] { ++firstTicks; });
        QObject::connect(&second, &tunelet::PacedTimer::timeout, [this] { ++secondTicks; });
    }
    tunelet::PacedTimer first;
    tunelet::PacedTimer second;
    int firstTicks = 0;
    int secondTicks = 0;
};

} // namespace

void TestPlaybackClock::theFirstStartedTimerTicksAlone()
{
    tunelet::PlaybackClock clock;
    Counted timers(clock);
    QVERIFY(!clock.isRunning());
    timers.second.start();
    QVERIFY(timers.second.isActive() && clock.isRunning());
    QTRY_VERIFY(timers.secondTicks >= 2);
    // With both started, the first takes the ticks: its work covers the other's.
    timers.first.start();
    timers.secondTicks = 0;
    QTRY_VERIFY(timers.firstTicks >= 2);
    QCOMPARE(timers.secondTicks, 0);
    timers.first.stop();
    timers.second.stop();
    QVERIFY(!timers.first.isActive() && !timers.second.isActive());
    QVERIFY(!clock.isRunning());
    QCOMPARE(timers.first.interval(), 5);
}

void TestPlaybackClock::waitsWithoutAWindowOnlyWhenItMay()
{
    tunelet::PlaybackClock clock;
    Counted timers(clock);
    timers.first.start();
    // Nobody tells of windows appearing: the clock runs whatever a tick found.
    clock.setFollowing(false);
    QVERIFY(clock.isRunning());
    clock.setMayWait(true);
    QVERIFY(!clock.isRunning());
    QVERIFY(timers.first.isActive()); // the timer stays on as the window sees it
    clock.setFollowing(true);
    QVERIFY(clock.isRunning());
}

void TestPlaybackClock::aWakeTicksAtOnce()
{
    tunelet::PlaybackClock clock;
    Counted timers(clock);
    clock.setMayWait(true);
    timers.first.start();
    clock.setFollowing(false);
    QTest::qWait(30);
    QCOMPARE(timers.firstTicks, 0);
    clock.wake();
    QVERIFY(clock.isRunning());
    QCoreApplication::processEvents(); // no wait for the interval
    QCOMPARE(timers.firstTicks, 1);
    // Stopped timers are not woken.
    clock.setFollowing(false);
    timers.first.stop();
    clock.wake();
    QVERIFY(!clock.isRunning());
}

void TestPlaybackClock::reportsTickAndBetweenThemTheClockLooksSlowly()
{
    tunelet::PlaybackClock clock;
    Counted timers(clock);
    timers.first.start();
    QCOMPARE(clock.tickInterval(), 5);
    clock.setReported(true);
    QCOMPARE(clock.tickInterval(), tunelet::PlaybackClock::slowLookMs);
    clock.reported();
    QCOMPARE(timers.firstTicks, 1); // at once
    // A held key: the timer's interval again, and reports add no ticks (each
    // would send the key once more).
    clock.setHurried(true);
    QCOMPARE(clock.tickInterval(), 5);
    const int ticks = timers.firstTicks;
    clock.reported();
    QCOMPARE(timers.firstTicks, ticks);
    clock.setHurried(false);
    QCOMPARE(clock.tickInterval(), tunelet::PlaybackClock::slowLookMs);
    // A report is a window to follow: a waiting clock runs again.
    clock.setMayWait(true);
    clock.setFollowing(false);
    QVERIFY(!clock.isRunning());
    clock.reported();
    QVERIFY(clock.isRunning());
    QCOMPARE(timers.firstTicks, ticks + 1);
}

int runClockTests(int argc, char **argv)
{
    TestPlaybackClock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clock.moc"
