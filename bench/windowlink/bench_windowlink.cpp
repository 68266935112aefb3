// Window link and player figures, printed as "name: value unit" lines:
//  - one progress poll of a running player as Tunelet makes it (find the window on
//    the kept connection, then its title, "Static" text and "CN_seek" bar in one
//    look, from what the player reported of its changes), 10,000 times:
//    poll_roundtrip_*;
//  - the same poll asking the player each time (one request and answer):
//    poll_asking_*;
//  - the same reads made call by call, as the poll made them before (find the
//    window, its two children, scroll position and range, title, status text), on
//    a link of its own, 10,000 times: poll_piecewise_*, and the ratio of medians;
//  - the player's CPU use while playing with the dummy audio driver, over 10 s;
//  - the player stopped (SIGSTOP) and polled every 50 ms: how long a poll held its
//    caller, and how many of 80 polls waited out the time-out: hung_player_*.
// Usage: bench_windowlink [<folder with sonaro>] [<song file>]

#include "platform/windowlink/WindowSystem.h"
#include "playback/PlayerWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace windowlink;

namespace
{

struct PollResult {
    int pos = 0;
    int max = 0;
    std::string title;
    std::string status;
};

PollResult piecewisePoll(WindowSystem &ws)
{
    PollResult r;
    const HWND player = ws.FindWindowA("CN_sonaro", nullptr);
    const HWND status = ws.FindWindowExA(player, 0, "Static", nullptr);
    const HWND seek = ws.FindWindowExA(player, 0, "CN_seek", nullptr);
    int min = 0;
    r.pos = ws.GetScrollPos(seek, SB_CTL);
    ws.GetScrollRange(seek, SB_CTL, &min, &r.max);
    r.title = windowText(ws, player);
    r.status = windowText(ws, status);
    return r;
}

// Microseconds each of n runs of work took, sorted.
std::vector<double> timed(int n, const std::function<void()> &work)
{
    std::vector<double> us;
    us.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return us;
}

void print(const char *name, const std::vector<double> &us)
{
    std::printf("%s_min: %.1f us\n", name, us.front());
    std::printf("%s_median: %.1f us\n", name, us[us.size() / 2]);
    std::printf("%s_p99: %.1f us\n", name, us[us.size() * 99 / 100]);
    std::printf("%s_max: %.1f us\n", name, us.back());
}

// User plus system CPU time of a process, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = f.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // After the command: state is field 0, utime field 11, stime field 12.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

// A player that stopped answering, polled as the main window polls it (every
// 50 ms, with the poll's time-out) 80 times: how long each poll held its caller,
// and how many polls waited for an answer that did not come.
void hungPlayerFigures(WindowSystem &pollLink, qint64 pid)
{
    tunelet::PlayerWindow followed(pollLink);
    ::kill(pid_t(pid), SIGSTOP);
    const std::size_t waitsBefore = linkUsage().unanswered;
    constexpr int kHungPolls = 80;
    const std::vector<double> us = timed(kHungPolls, [&] {
        followed.readProgress();
        QThread::msleep(50);
    });
    std::vector<double> held;
    for (const double each : us)
        held.push_back(std::max(0.0, each - 50000.0));
    print("hung_player_poll", held);
    std::printf("hung_player_polls: %d count\n", kHungPolls);
    std::printf("hung_player_waits: %zu count\n", linkUsage().unanswered - waitsBefore);
    ::kill(pid_t(pid), SIGCONT);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString binDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : qEnvironmentVariable("TUNELET_BIN_DIR", QCoreApplication::applicationDirPath());
    const QString song = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : QStringLiteral(TUNELET_EXAMPLES "/morning-walk.snr");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    player.setProcessEnvironment(env);
    player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    player.start(QDir(binDir).filePath(QStringLiteral("sonaro")),
                 {song, QStringLiteral("*p"), QStringLiteral("*x")});
    if (!player.waitForStarted()) {
        std::fprintf(stderr, "cannot start sonaro in %s\n", qPrintable(binDir));
        return 1;
    }
    const auto ws = makeLinkWindowSystem();
    QElapsedTimer wait;
    wait.start();
    while (ws->FindWindowA("CN_sonaro", nullptr) == 0 && wait.elapsed() < 10000)
        QThread::msleep(10);
    if (ws->FindWindowA("CN_sonaro", nullptr) == 0) {
        std::fprintf(stderr, "the player's window did not appear\n");
        return 1;
    }

    constexpr int kPolls = 10000;
    int failed = 0;
    // Tunelet's poll: its own link with the poll's time-out, as the main window has.
    LinkOptions pollOptions;
    pollOptions.timeoutMs = 250;
    const auto pollLink = makeLinkWindowSystem(pollOptions);
    tunelet::PlayerWindow followed(*pollLink);
    const std::vector<double> polls = timed(kPolls, [&] {
        const tunelet::ProgressReading r = followed.readProgress();
        if (r.maximum < 1 || r.title.isEmpty() || r.status.isEmpty())
            ++failed;
    });
    // The same poll asking the player every time (its reports never stand for an
    // answer): one round trip.
    LinkOptions askingOptions = pollOptions;
    askingOptions.reportsStandMs = 0;
    const auto askingLink = makeLinkWindowSystem(askingOptions);
    tunelet::PlayerWindow asked(*askingLink);
    const std::vector<double> asking = timed(kPolls, [&] {
        const tunelet::ProgressReading r = asked.readProgress();
        if (r.maximum < 1 || r.title.isEmpty() || r.status.isEmpty())
            ++failed;
    });
    const std::vector<double> piecewise = timed(kPolls, [&] {
        const PollResult r = piecewisePoll(*ws);
        if (r.max < 1 || r.title.empty() || r.status.empty())
            ++failed;
    });
    print("poll_roundtrip", polls);
    print("poll_asking", asking);
    print("poll_piecewise", piecewise);
    std::printf("poll_vs_piecewise_ratio: %.3f x\n",
                polls[polls.size() / 2] / piecewise[piecewise.size() / 2]);
    std::printf("poll_failures: %d count\n", failed);

    // 10 s of playing without polls.
    const double cpuBefore = cpuSeconds(player.processId());
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < 10000)
        QThread::msleep(50);
    const double cpu = cpuSeconds(player.processId()) - cpuBefore;
    std::printf("player_cpu_while_playing: %.2f %%core\n", 100.0 * cpu / (wall.elapsed() / 1000.0));

    hungPlayerFigures(*pollLink, player.processId());

    ws->SendMessageA(ws->FindWindowA("CN_sonaro", nullptr), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!player.waitForFinished(5000))
        player.kill();
    return failed == 0 ? 0 : 1;
}
