// The player while it plays, printed as "name: value unit" lines:
//   cpu_<driver>_<window>_median   sonaro's CPU time over wall time (all its threads),
//                                  median of 3 spans of 4 s, in % of one core; driver
//                                  "dummy" (SDL keeps time, no output) or "disk" (SDL
//                                  converts and writes every block to a file, as a real
//                                  output does); window "shown" or "minimized" (*i, as
//                                  Tunelet starts it by default)
//   cpu20s_<driver>_<window>       the same over one span of 20 s (before those), and its ratio to
//                                  what the player may take (0.20 % shown, 0.10 %
//                                  minimized)
//   wakeups_<driver>_<window>      context switches of all its threads a second over
//                                  that span: how often it wakes up
//   cpu20s_dummy_sdl_floor,       SDL's audio alone (sdl_audio_floor: the player's format and
//   wakeups_dummy_sdl_floor       block size, silence from the callback, dummy driver) over
//                                  20 s: what any player built on it pays, whatever it plays
//   pss_playing_median, private_playing_median   its memory while playing (shown,
//                                  dummy driver), taken after each span
//   synth_<n>_voices               CPU time the synthesiser takes to render one second
//                                  of audio with n voices sounding (1, 16, 64), in ms;
//   synth_<n>_voices_before        the same figure for the plain oscillators the player
//                                  had before its voices were band-limited, measured
//                                  on the same machine when they were replaced
// The player's windows are real X windows on a private Xvfb with a window manager
// (openbox), so a window started minimized is one (without a window manager it
// would be mapped as a shown window);
// with QT_QPA_PLATFORM=offscreen in the environment they are not.
// Usage: bench_sonaro [<folder with sonaro>] [<song file>]

#include "bench/sonaro/SynthCost.h"
#include "platform/windowlink/WindowSystem.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace windowlink;

namespace
{

constexpr int kSpans = 3;
constexpr int kSpanMs = 4000;
constexpr int kWeightMs = 20000;
// What the player may take while it plays: CPU in % of a core, shown and minimized.
constexpr double kShownTargetPercent = 0.20;
constexpr double kMinimizedTargetPercent = 0.10;

struct Setup {
    const char *driver;
    bool minimized;
};

class PlayingPlayer
{
public:
    PlayingPlayer(const QString &binDir, const QString &song, const Setup &setup,
                  const QString &scratch)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QString::fromLatin1(setup.driver));
        env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), scratch + QStringLiteral("/out.raw"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{song, QStringLiteral("*p"), QStringLiteral("*x")};
        if (setup.minimized)
            args << QStringLiteral("*i");
        m_process.start(QDir(binDir).filePath(QStringLiteral("sonaro")), args);
    }
    ~PlayingPlayer()
    {
        if (m_ws)
            m_ws->SendMessageA(m_ws->FindWindowA("CN_sonaro", nullptr), WM_SYSCOMMAND, SC_CLOSE, 0);
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    // True once the player's window is on the link.
    bool waitForWindow()
    {
        if (!m_process.waitForStarted())
            return false;
        m_ws = makeLinkWindowSystem();
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 30000) {
            if (m_ws->FindWindowA("CN_sonaro", nullptr) != 0)
                return true;
            QThread::msleep(20);
        }
        return false;
    }

    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    std::unique_ptr<WindowSystem> m_ws;
};

// CPU time over wall time during one span, in % of a core.
double cpuPercentOverSpan(qint64 pid)
{
    const qint64 before = tunelet::testkit::processCpuNanos(pid);
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(kSpanMs);
    const qint64 cpu = tunelet::testkit::processCpuNanos(pid) - before;
    return 100.0 * double(cpu) / double(wall.nsecsElapsed());
}

struct Weight {
    double cpuPercent; // of a core
    double wakeups;    // a second
};

// CPU and wake-ups (context switches of all threads) of a process over kWeightMs.
Weight weigh(qint64 pid)
{
    const qint64 cpuBefore = tunelet::testkit::processCpuNanos(pid);
    const qint64 switchesBefore = tunelet::testkit::processContextSwitches(pid);
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(kWeightMs);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    return {100.0 * double(tunelet::testkit::processCpuNanos(pid) - cpuBefore) / 1e9 / seconds,
            double(tunelet::testkit::processContextSwitches(pid) - switchesBefore) / seconds};
}

// The player's weight, printed with the CPU against what the player may take.
void reportWeight(qint64 pid, const QByteArray &name, double targetPercent)
{
    const Weight w = weigh(pid);
    tunelet::testkit::report(("cpu20s_" + name).constData(), w.cpuPercent, "%core");
    tunelet::testkit::report(("cpu20s_" + name + "_vs_target_ratio").constData(),
                             w.cpuPercent / targetPercent, "x");
    tunelet::testkit::report(("wakeups_" + name).constData(), w.wakeups, "per_s");
}

// SDL's audio thread alone, with the dummy driver.
bool reportSdlFloor(const QString &binDir)
{
    QProcess floor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    floor.setProcessEnvironment(env);
    floor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    floor.start(QDir(binDir).filePath(QStringLiteral("sdl_audio_floor")), {});
    if (!floor.waitForStarted())
        return false;
    QThread::msleep(1000); // past start-up
    const Weight w = weigh(floor.processId());
    const bool running = floor.state() == QProcess::Running;
    floor.kill();
    floor.waitForFinished(5000);
    if (!running)
        return false;
    tunelet::testkit::report("cpu20s_dummy_sdl_floor", w.cpuPercent, "%core");
    tunelet::testkit::report("wakeups_dummy_sdl_floor", w.wakeups, "per_s");
    return true;
}

// The plain oscillators' figures (no band-limiting, envelopes or limiter), measured
// by this bench on this machine just before they were replaced.
struct Baseline {
    int voices;
    double millis;
};
constexpr Baseline kBefore[] = {{1, 0.296}, {16, 4.74}, {64, 18.3}};

void reportSynthCost()
{
    for (const Baseline &before : kBefore) {
        const QByteArray name = "synth_" + QByteArray::number(before.voices) + "_voices";
        tunelet::testkit::report(name.constData(),
                                 sonaro::bench::synthMillisPerAudioSecond(before.voices), "ms");
        tunelet::testkit::report((name + "_before").constData(), before.millis, "ms");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    reportSynthCost();
    const QString binDir =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : qEnvironmentVariable("TUNELET_BIN_DIR", QCoreApplication::applicationDirPath());
    // The longest example (35 s), so every span falls inside the song.
    const QString song = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                  : QStringLiteral(TUNELET_EXAMPLES "/rainy-window.snr");
    QTemporaryDir scratch;
    qputenv("XDG_RUNTIME_DIR", scratch.path().toLocal8Bit());
    XSession session;
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen") {
        QString error;
        if (!session.start(&error)) {
            std::fprintf(stderr, "the X server did not start: %s\n", qPrintable(error));
            return 1;
        }
        if (!session.hasWindowManager())
            std::fprintf(stderr, "no window manager: %s\n",
                         qPrintable(session.windowManagerProblem()));
        const QString display = session.display();
        qputenv("DISPLAY", display.toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    const Setup setups[] = {{"dummy", false}, {"dummy", true}, {"disk", false}, {"disk", true}};
    for (const Setup &setup : setups) {
        PlayingPlayer player(binDir, song, setup, scratch.path());
        if (!player.waitForWindow()) {
            std::fprintf(stderr, "the player's window did not appear (%s)\n", qPrintable(binDir));
            return 1;
        }
        QThread::msleep(1000); // past start-up and the first blocks
        const QByteArray which =
            QByteArray(setup.driver) + (setup.minimized ? "_minimized" : "_shown");
        reportWeight(player.pid(), which,
                     setup.minimized ? kMinimizedTargetPercent : kShownTargetPercent);
        // Memory after each span, so one untypical moment does not make the figure.
        std::vector<double> spans, pss, privateMiB;
        for (int i = 0; i < kSpans; ++i) {
            spans.push_back(cpuPercentOverSpan(player.pid()));
            if (const auto memory = tunelet::testkit::processMemory(player.pid())) {
                pss.push_back(memory->pss / 1024.0);
                privateMiB.push_back(memory->privateKiB / 1024.0);
            }
        }
        tunelet::testkit::report(("cpu_" + which + "_median").constData(),
                                 tunelet::testkit::median(spans), "%core");
        if (!setup.minimized && QByteArray(setup.driver) == "dummy") {
            tunelet::testkit::report("pss_playing_median", tunelet::testkit::median(pss), "MiB");
            tunelet::testkit::report("private_playing_median", tunelet::testkit::median(privateMiB),
                                     "MiB");
        }
    }
    if (!reportSdlFloor(binDir)) {
        std::fprintf(stderr, "sdl_audio_floor did not run (%s)\n", qPrintable(binDir));
        return 1;
    }
    return 0;
}
