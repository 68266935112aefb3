// The keyboard focus while three songs start with "最小化状態で再生(&M)"
// ticked, the real tunelet and sonaro under a private Xvfb with openbox:
//   focus_with_tunelet_share      the share of looks at the active window
//                                 that found Tunelet's, from the first key
//                                 to a second after the third player showed
//   focus_elsewhere_longest       the longest run of looks that found
//                                 another window (or none), in ms
//   focus_looks                   how many looks were taken
#include "tests/support/ByteFiles.h"
#include "tests/support/PlayerProcesses.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/SongFiles.h"
#include "tests/support/XSession.h"

#include "platform/windowlink/WindowSystem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

namespace
{

struct Looks {
    int total = 0;
    int withTunelet = 0;
    qint64 longestElsewhereMs = 0;
};

class FocusWatch final
{
public:
    FocusWatch(const XSession &x, QString main) : m_x(x), m_main(std::move(main))
    {
        m_clock.start();
    }

    // Looks at the active window until `done` holds or the time is up.
    bool lookUntil(const std::function<bool()> &done, int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            look();
            if (done())
                return true;
        }
        return false;
    }

    void lookFor(int milliseconds)
    {
        const QDeadlineTimer deadline(milliseconds);
        while (!deadline.hasExpired())
            look();
    }

    const Looks &looks() const { return m_looks; }

private:
    void look()
    {
        const bool tunelet =
            m_x.run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}) == m_main;
        const qint64 now = m_clock.elapsed();
        ++m_looks.total;
        if (tunelet) {
            ++m_looks.withTunelet;
            m_elsewhereSince = -1;
        } else {
            if (m_elsewhereSince < 0)
                m_elsewhereSince = now;
            m_looks.longestElsewhereMs =
                std::max(m_looks.longestElsewhereMs, now - m_elsewhereSince);
        }
    }

    const XSession &m_x;
    QString m_main;
    QElapsedTimer m_clock;
    qint64 m_elsewhereSince = -1;
    Looks m_looks;
};

QString playerTitle(const QString &home)
{
    windowlink::LinkOptions options;
    options.runtimeDir = (home + QStringLiteral("tunelet-windows/")).toStdString();
    const auto windows = windowlink::makeLinkWindowSystem(options);
    const windowlink::HWND player = windows->FindWindowA("CN_sonaro", nullptr);
    return player ? QString::fromStdString(windowlink::windowText(*windows, player)) : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QByteArray bin = qgetenv("TUNELET_BIN_DIR");
    if (bin.isEmpty())
        bin = TUNELET_DEFAULT_BIN_DIR;
    XSession x;
    QString error;
    if (!x.start(&error) || !x.hasWindowManager()) {
        std::fprintf(stderr, "no X session with a window manager: %s\n",
                     qPrintable(error + x.windowManagerProblem()));
        return 1;
    }
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    QByteArray list;
    for (int i = 1; i <= 3; ++i) {
        const QByteArray path = QFile::encodeName(home) + "song" + QByteArray::number(i) + ".snr";
        tunelet::testkit::writeBytes(
            path, tunelet::testkit::songData("Song " + QByteArray::number(i), 60));
        list += path + "\r\n";
    }
    tunelet::testkit::writeBytes(QFile::encodeName(home) + "list.ppl", list);
    tunelet::testkit::writeBytes(QFile::encodeName(home) + "tunelet.ini",
                                 "[Setting]\r\nSonaroPath=" + bin +
                                     "/sonaro\r\nPlayMinimize=1\r\nListOpen=1\r\n[File]\r\n"
                                     "FileName=" +
                                     QFile::encodeName(home) + "list.ppl\r\n");

    QProcess tunelet;
    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("TUNELET_HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    tunelet.setProcessEnvironment(env);
    tunelet.start(QString::fromUtf8(bin) + QStringLiteral("/tunelet"), {});
    const QString main = x.waitForWindow(QStringLiteral("^Tunelet$"));
    if (main.isEmpty()) {
        std::fprintf(stderr, "tunelet did not show its window\n");
        return 1;
    }
    x.activate(main);
    QThread::msleep(1000);

    FocusWatch watch(x, main);
    const QStringList keys{QStringLiteral("Return"), QStringLiteral("ctrl+Right"),
                           QStringLiteral("ctrl+Right")};
    bool allStarted = true;
    for (int song = 1; song <= 3; ++song) {
        x.run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys[song - 1]});
        const QString wanted = QStringLiteral("Song %1").arg(song);
        allStarted = watch.lookUntil([&] { return playerTitle(home).contains(wanted); }, 20000) &&
                     allStarted;
        watch.lookFor(300);
    }
    watch.lookFor(1000);
    tunelet.kill();
    tunelet.waitForFinished(3000);
    tunelet::testkit::killPlayersMentioning(home);

    const Looks &looks = watch.looks();
    using tunelet::testkit::report;
    report("focus_with_tunelet_share",
           looks.total > 0 ? 100.0 * looks.withTunelet / looks.total : 0.0, "%");
    report("focus_elsewhere_longest", double(looks.longestElsewhereMs), "ms");
    report("focus_looks", looks.total, "count");
    return allStarted ? 0 : 1;
}
