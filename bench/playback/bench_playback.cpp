// Drives the main window offscreen in this process with the real player:
//   idle_cpu              Tunelet's CPU over 20 s with no player
//   following_cpu         Tunelet's CPU over 20 s while a player plays
//   following_*_all_threads, following_wakeups, following_player_*
//                         then over another 20 s, from /proc: the CPU of all
//                         threads and the wake-ups (context switches of all
//                         threads) a second, of Tunelet and of the player, and
//                         Tunelet's against what it may take (0.10 %, 3/s)
//   end_to_next_sample    from a song's end (as the player shows it) to the
//                         next player's first sample (SDL's disk driver: the
//                         moment its output file gets its first block), and
//                         its ratio to what it may take (20 ms)
//   end_to_next_start     the same, to the next song's start (StartSong
//                         done, caption set)
//   end_to_next_window    the same, until the next player's window is there
//   display_lag           from the player's elapsed second changing (read on
//                         a link of the benchmark's own) to the time display
//                         showing it; the player reports each second, so
//                         about a millisecond is the aim
//   start_to_window       from Play to the player's window being there
//   stop_*                how long Stop holds up the window: with the player's
//                         window there; right after Play, before the player
//                         shows it; and with a stand-in player that never
//                         shows one, ending when asked or only when killed
//   queued_pause_to_paused from a Pause given right after Play (the player
//                         has no window yet; the pause waits for it) to the
//                         player saying it pauses
//   burst_1000_next       1,000 Nexts given at once: until none waits, and
//                         the players started for them
//
// Usage: bench_playback [<folder with sonaro and mid2snr>]
// (else TUNELET_BIN_DIR, else this build's folder)
#include "tests/support/ByteFiles.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "platform/process/SystemProcessLauncher.h"
#include "platform/windowlink/PeerConnection.h"
#include "platform/windowlink/RuntimeDir.h"
#include "platform/windowlink/WindowSystem.h"
#include "playback/PlayerWindow.h"
#include "playback/ProgressPoll.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool runEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        runEventsFor(5);
    }
    return true;
}

// Percent of one core used by this process while the event loop runs.
double cpuPercentOver(int milliseconds)
{
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runEventsFor(milliseconds);
    return 100.0 * (cpuSeconds() - before) / (double(wall.elapsed()) / 1000.0);
}

// CPU (% of a core, all threads) and wake-ups (context switches of all threads)
// per second of a process over a span.
struct Weight {
    double cpuPercent = 0;
    double wakeupsPerSecond = 0;
};

struct WeightStart {
    qint64 pid;
    qint64 cpuNanos;
    qint64 switches;

    explicit WeightStart(qint64 id)
        : pid(id), cpuNanos(tunelet::testkit::processCpuNanos(id)),
          switches(tunelet::testkit::processContextSwitches(id))
    {
    }
    Weight since(double seconds) const
    {
        const double cpu = double(tunelet::testkit::processCpuNanos(pid) - cpuNanos) / 1e9;
        const double woke = double(tunelet::testkit::processContextSwitches(pid) - switches);
        return {100.0 * cpu / seconds, woke / seconds};
    }
};

// This process (Tunelet's window) and the player over 20 s of playing.
void printFollowingWeight(qint64 playerPid)
{
    // What is asked of them: Tunelet at most 0.10 % of a core and 3 wake-ups a
    // second while it follows; the player at most 0.20 % while shown.
    constexpr double kTunePercent = 0.10;
    constexpr double kTuneWakeups = 3;
    const WeightStart tunelet(::getpid());
    const WeightStart player(playerPid);
    QElapsedTimer wall;
    wall.start();
    runEventsFor(20000);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const Weight own = tunelet.since(seconds);
    const Weight theirs = player.since(seconds);
    using tunelet::testkit::report;
    report("following_cpu_all_threads", own.cpuPercent, "%core");
    report("following_cpu_vs_target_ratio", own.cpuPercent / kTunePercent, "x");
    report("following_wakeups", own.wakeupsPerSecond, "per_s");
    report("following_wakeups_vs_target_ratio", own.wakeupsPerSecond / kTuneWakeups, "x");
    report("following_player_cpu_all_threads", theirs.cpuPercent, "%core");
    report("following_player_wakeups", theirs.wakeupsPerSecond, "per_s");
}

qint64 fileSize(const QByteArray &path)
{
    struct stat st {
    };
    return ::stat(path.constData(), &st) == 0 ? qint64(st.st_size) : -1;
}

// The newest player window published, by its socket; empty without one.
std::string newestPlayer(const std::string &dir)
{
    const auto players = windowlink::listPublished(dir, "CN_sonaro", ::geteuid());
    return players.empty() ? std::string() : players.front().path;
}

// Whether a player's report shows its seek bar at its end.
bool showsEnd(const windowlink::wire::Reply &report)
{
    for (const windowlink::wire::Child &child : report.children)
        if (child.className == "CN_seek")
            return child.isScrollBar && child.maxPos >= 1 && child.pos == child.maxPos;
    return false;
}

// Watches the players from its own thread: the moment a player's seek bar
// reaches its end, the moment the next player's first sample reaches the
// audio output, and the moment the next player's window appears. The player
// is followed by its reports on a kept connection of the watcher's own, so
// its end is seen however soon Tunelet closes it. Every player writes the
// same disk file: the ended one has closed it, holding the whole song; the
// next one empties it and writes its first block.
struct EndWatcher {
    std::atomic<bool> stop{false};
    QByteArray output;
    Clock::time_point ended{};
    Clock::time_point nextSample{};
    Clock::time_point nextWindow{};
    std::atomic<bool> done{false};

    // After the end: the first moment the output holds other samples than
    // the ended song's.
    void lookForNextSample(qint64 endedSize)
    {
        if (nextSample != Clock::time_point{})
            return;
        const qint64 size = fileSize(output);
        if (size > 0 && size != endedSize)
            nextSample = Clock::now();
    }

    // Until the followed player shows its end.
    bool followToEnd(const std::string &dir)
    {
        windowlink::PeerConnection player;
        while (!stop) {
            if (!player.isWatched()) {
                m_endedPath = newestPlayer(dir);
                if (!m_endedPath.empty() && player.open(m_endedPath, ::geteuid()) ==
                                                windowlink::io::ConnectResult::Connected) {
                    windowlink::wire::Request watch;
                    watch.op = windowlink::wire::Op::Watch;
                    bool timedOut = false;
                    const auto deadline = windowlink::io::Clock::now() + std::chrono::seconds(2);
                    if (const auto shown = player.ask(watch, deadline, &timedOut))
                        player.watchFrom(*shown);
                }
            } else {
                player.usable(); // takes in what it reported
            }
            if (player.isWatched() && showsEnd(player.lastReport())) {
                ended = Clock::now();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
    }

    void run()
    {
        const std::string dir = windowlink::runtimeDirPath({});
        if (!followToEnd(dir))
            return;
        const qint64 endedSize = fileSize(output);
        while (!stop) {
            lookForNextSample(endedSize);
            const std::string path = newestPlayer(dir);
            if (nextWindow == Clock::time_point{} && !path.empty() && path != m_endedPath)
                nextWindow = Clock::now();
            if (nextWindow != Clock::time_point{} && nextSample != Clock::time_point{}) {
                done = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }

private:
    std::string m_endedPath;
};

// Reads the player from its own thread and link, asking it each millisecond,
// and notes when each time display text (as the main window would show it)
// could first have been shown.
struct DisplayWatcher {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    QMap<QString, Clock::time_point> firstPossible;

    void run()
    {
        windowlink::LinkOptions options;
        options.reportsStandMs = 0;
        auto windows = windowlink::makeLinkWindowSystem(options);
        tunelet::PlayerWindow player(*windows);
        while (!stop) {
            const tunelet::ProgressView view = tunelet::progressView(player.readProgress());
            if (view.label) {
                std::lock_guard lock(mutex);
                if (!firstPossible.contains(*view.label))
                    firstPossible.insert(*view.label, Clock::now());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

// From the player's elapsed second changing to the time display showing it,
// over `milliseconds` of playing: the lags in milliseconds, sorted.
QList<double> displayLags(tunelet::testkit::WindowFixture &fixture, int milliseconds)
{
    DisplayWatcher watcher;
    std::thread watching([&] { watcher.run(); });
    QMap<QString, Clock::time_point> shown;
    QTimer look;
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, [&] {
        const QString text = fixture.label();
        if (!shown.contains(text))
            shown.insert(text, Clock::now());
    });
    look.start();
    runEventsFor(milliseconds);
    look.stop();
    watcher.stop = true;
    watching.join();
    QList<double> lags;
    for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
        const auto possible = watcher.firstPossible.find(it.key());
        if (possible == watcher.firstPossible.end() || it.key().startsWith(QLatin1String("00:00")))
            continue;
        lags << std::chrono::duration<double, std::milli>(it.value() - *possible).count();
    }
    std::sort(lags.begin(), lags.end());
    return lags;
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool playerWindowThere()
{
    return windowlink::makeLinkWindowSystem()->FindWindowA("CN_sonaro", nullptr) != 0;
}

// How long Stop takes (SBStopClick timed), `runs` times, each Stop once
// `settle` has returned after Play; nothing when it returns false.
std::vector<double> stopTimes(TForm1 &form, int runs, const std::function<bool()> &settle)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        form.SBPlayClick();
        if (!settle())
            return {};
        const Clock::time_point start = Clock::now();
        form.SBStopClick();
        times.push_back(millisecondsSince(start));
        runEventsFor(300); // the closed player goes
    }
    return times;
}

void printStopFigures(tunelet::testkit::WindowFixture &fixture, TForm1 &form, const QByteArray &bin)
{
    const QByteArray home = fixture.home();
    tunelet::testkit::writeBytes(home + "stop.snr", tunelet::testkit::songData("Stop", 30));
    form.Playlist().clear();
    form.AppendEntry(home + "stop.snr");
    form.SonaroPath = bin + "/sonaro";

    using tunelet::testkit::median;
    using tunelet::testkit::report;
    std::vector<double> toWindow;
    const std::vector<double> withWindow = stopTimes(form, 5, [&] {
        const Clock::time_point start = Clock::now();
        const bool shown = runEventsUntil(playerWindowThere, 20000);
        toWindow.push_back(millisecondsSince(start));
        runEventsFor(200);
        return shown;
    });
    const std::vector<double> beforeWindow = stopTimes(form, 5, [] { return true; });
    report("start_to_window_median", median(toWindow), "ms");
    report("stop_with_window_median", median(withWindow), "ms");
    report("stop_before_window_median", median(beforeWindow), "ms");
    report("stop_before_window_max",
           beforeWindow.empty() ? 0.0 : *std::max_element(beforeWindow.begin(), beforeWindow.end()),
           "ms");

    // Stand-ins that never show a window: one ends when asked, one only
    // when killed.
    const auto standIn = [&](const QByteArray &name, const QByteArray &body) {
        tunelet::testkit::writeBytes(home + name, "#!/bin/sh\n" + body + "\n");
        ::chmod((home + name).constData(), 0755);
        form.SonaroPath = home + name;
        return median(stopTimes(form, 3, [] { return true; }));
    };
    report("stop_no_window_median", standIn("quiet", "exec sleep 60"), "ms");
    report("stop_no_window_term_ignored_median", standIn("stubborn", "trap '' TERM\nexec sleep 60"),
           "ms");
    form.SonaroPath = bin + "/sonaro";
}

// The player's own status text, read on a link of the benchmark's own.
bool playerPaused()
{
    const auto windows = windowlink::makeLinkWindowSystem();
    tunelet::PlayerWindow player(*windows);
    return player.readProgress().status == QStringLiteral("一時停止");
}

void printQueueFigures(tunelet::testkit::WindowFixture &fixture, TForm1 &form,
                       tunelet::SystemProcessLauncher &launcher)
{
    const QByteArray home = fixture.home();
    form.Playlist().clear();
    for (const char *name : {"q1.snr", "q2.snr", "q3.snr"}) {
        tunelet::testkit::writeBytes(home + name, tunelet::testkit::songData(name, 30));
        form.AppendEntry(home + name);
    }
    using tunelet::testkit::median;
    using tunelet::testkit::report;
    std::vector<double> toPaused;
    for (int run = 0; run < 5; ++run) {
        form.SBPlayClick();
        const Clock::time_point start = Clock::now();
        form.SBPauseClick();
        if (runEventsUntil(playerPaused, 20000))
            toPaused.push_back(millisecondsSince(start));
        form.SBStopClick();
        runEventsFor(300);
    }
    report("queued_pause_to_paused_median", median(toPaused), "ms");

    form.SBPlayClick();
    const qsizetype startedBefore = launcher.startedIds().size();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 1000; ++i)
        form.Desktop().next();
    runEventsUntil([&form] { return form.Session().queuedTransports() == 0; }, 60000);
    report("burst_1000_next_settled", millisecondsSince(start), "ms");
    report("burst_1000_next_players_started", double(launcher.startedIds().size() - startedBefore),
           "count");
    form.SBStopClick();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QByteArray bin = argc > 1 ? QByteArray(argv[1]) : qgetenv("TUNELET_BIN_DIR");
    if (bin.isEmpty())
        bin = TUNELET_DEFAULT_BIN_DIR;

    QApplication app(argc, argv);
    // The fixture's own program folder and window-link folder.
    tunelet::testkit::WindowFixture fixture;
    tunelet::SystemProcessLauncher launcher;
    TForm1 *form = &fixture.start({.processes = &launcher});
    const QByteArray home = fixture.home();
    form->SonaroPath = bin + "/sonaro";
    form->mid2snrPath = bin + "/mid2snr";
    tunelet::testkit::action(*form, "MMRepeat")->setChecked(false);
    std::printf("timer_tick: %d ms\n", tunelet::PlaybackSession::TickMs);

    std::printf("idle_cpu: %.3f %%\n", cpuPercentOver(20000));

    // A song longer than the measurement.
    tunelet::testkit::writeBytes(home + "long.snr", tunelet::testkit::songData("Long", 70));
    form->AppendEntry(home + "long.snr");
    form->SBPlayClick();
    auto playerThere = [] {
        return windowlink::makeLinkWindowSystem()->FindWindowA("CN_sonaro", nullptr) != 0;
    };
    if (!runEventsUntil(playerThere, 20000)) {
        std::fprintf(stderr, "the player did not start\n");
        return 1;
    }
    runEventsFor(500);
    std::printf("following_cpu: %.3f %%\n", cpuPercentOver(20000));
    printFollowingWeight(launcher.startedIds().last());
    // How soon the display showed each second after the player reached it.
    const QList<double> lags = displayLags(fixture, 8000);
    if (!lags.isEmpty()) {
        std::printf("display_lag_median: %.1f ms\n", lags[lags.size() / 2]);
        std::printf("display_lag_max: %.1f ms\n", lags.last());
        std::printf("display_changes_seen: %lld count\n", qint64(lags.size()));
    }
    form->SBStopClick();

    // Two one-second songs in list mode: the first one's end starts the second.
    tunelet::testkit::writeBytes(home + "one.snr", tunelet::testkit::songData("One", 1));
    tunelet::testkit::writeBytes(home + "two.snr", tunelet::testkit::songData("Two", 1));
    form->Playlist().clear();
    form->AppendEntry(home + "one.snr");
    form->AppendEntry(home + "two.snr");
    // The players write what they play to one file from here on.
    const QByteArray output = home + "out.raw";
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", output);
    QList<double> toSample;
    QList<double> toStart;
    QList<double> toWindow;
    for (int run = 0; run < 5; ++run) {
        Clock::time_point started{};
        const auto connection =
            QObject::connect(form, &QWidget::windowTitleChanged, [&](const QString &title) {
                if (title.startsWith(QStringLiteral("Tunelet - <2>")))
                    started = Clock::now();
            });
        EndWatcher watcher;
        watcher.output = output;
        std::thread watching([&] { watcher.run(); });
        form->SBPlayClick();
        const bool ok = runEventsUntil([&] { return watcher.done.load(); }, 20000);
        watcher.stop = true;
        watching.join();
        QObject::disconnect(connection);
        form->SBStopClick();
        if (!ok || started == Clock::time_point{}) {
            std::fprintf(stderr, "run %d: no second song (%s)\n", run,
                         ok ? "no caption" : "no end, sample or window seen");
            continue;
        }
        using ms = std::chrono::duration<double, std::milli>;
        toSample << ms(watcher.nextSample - watcher.ended).count();
        toStart << ms(started - watcher.ended).count();
        toWindow << ms(watcher.nextWindow - watcher.ended).count();
        runEventsFor(200);
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    std::sort(toSample.begin(), toSample.end());
    std::sort(toStart.begin(), toStart.end());
    std::sort(toWindow.begin(), toWindow.end());
    if (!toStart.isEmpty()) {
        // What the gap between songs may be.
        constexpr double kGapTargetMs = 20;
        const double gap = toSample[toSample.size() / 2];
        std::printf("end_to_next_sample_median: %.1f ms\n", gap);
        std::printf("end_to_next_sample_vs_target_ratio: %.2f x\n", gap / kGapTargetMs);
        std::printf("end_to_next_sample_max: %.1f ms\n", toSample.last());
        std::printf("end_to_next_start_median: %.1f ms\n", toStart[toStart.size() / 2]);
        std::printf("end_to_next_start_max: %.1f ms\n", toStart.last());
        std::printf("end_to_next_window_median: %.1f ms\n", toWindow[toWindow.size() / 2]);
    }

    printStopFigures(fixture, *form, bin);
    printQueueFigures(fixture, *form, launcher);

    fixture.stop();
    for (const qint64 pid : launcher.startedIds())
        ::kill(pid_t(pid), SIGKILL);
    return toStart.size() == 5 ? 0 : 1;
}
