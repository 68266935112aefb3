// Start-up under a private Xvfb (no window manager), printed as "name: value unit":
//   startup_<who>_wall_median   from starting the program to its main window being
//                               mapped (MapNotify on the root window)
//   startup_<who>_cpu_median    the program's CPU time up to that moment (all threads)
//   startup_vs_bare_ratio       Tunelet's wall time over the bare Qt window's
//   list_load_10000_rows_median the same list loaded into a playlist in this
//                               process (no window): what the rows add at least
//   startup_0_rows_plus_load    the empty start plus that load, and
//   startup_10000_rows_vs_sum_ratio  the start with the list over that sum
//   pss_<who>_median, private_<who>_median   memory 2 s after mapping (last 3 rounds)
//   pss_vs_bare_ratio           Tunelet's Pss with an empty list over the bare window's
// <who> is "bare" (a Qt main window with Tunelet's menu titles and nothing else: the
// floor any Qt program showing them pays), "tunelet_0_rows" (a first start) and
// "tunelet_10000_rows" (the last list holds 10,000 titled files and is opened at
// start). Medians of 7 rounds after one warm-up. All run on a private session bus,
// as on a desktop, and in turn, so a busy machine slows them alike.
// Usage: bench_startup [<folder with tunelet and startup_bare_window>]

#include "playlist/EntryBuilder.h"
#include "playlist/ListFile.h"
#include "playlist/PlaylistModel.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/SessionBus.h"
#include "tests/support/Xvfb.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <poll.h>
#include <xcb/xcb.h>

namespace
{

constexpr int kRounds = 7;
constexpr int kMemoryRounds = 3;
constexpr int kFiles = 10000;

// Watches the root window for top-level windows being mapped.
class MapWatcher
{
public:
    explicit MapWatcher(const QString &display)
        : m_conn(xcb_connect(display.toLocal8Bit().constData(), nullptr))
    {
        if (xcb_connection_has_error(m_conn))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
        m_netWmName = atom("_NET_WM_NAME");
        m_utf8 = atom("UTF8_STRING");
        xcb_flush(m_conn);
    }
    ~MapWatcher() { xcb_disconnect(m_conn); }
    bool ok() const { return !xcb_connection_has_error(m_conn); }

    // Waits for a window titled `title` to be mapped; false on time-out.
    bool waitForMapped(const QByteArray &title, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_conn)) {
                const bool mapped =
                    (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                    nameOf(reinterpret_cast<xcb_map_notify_event_t *>(event)->window) == title;
                free(event);
                if (mapped)
                    return true;
            }
            pollfd fd{xcb_get_file_descriptor(m_conn), POLLIN, 0};
            ::poll(&fd, 1, int(std::max<qint64>(1, deadline.remainingTime())));
        }
        return false;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        auto cookie = xcb_intern_atom(m_conn, 0, uint16_t(strlen(name)), name);
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_conn, cookie, nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    }
    QByteArray nameOf(xcb_window_t window)
    {
        auto cookie = xcb_get_property(m_conn, 0, window, m_netWmName, m_utf8, 0, 256);
        xcb_get_property_reply_t *reply = xcb_get_property_reply(m_conn, cookie, nullptr);
        QByteArray name;
        if (reply)
            name = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
        free(reply);
        return name;
    }

    xcb_connection_t *m_conn;
    xcb_window_t m_root = 0;
    xcb_atom_t m_netWmName = 0;
    xcb_atom_t m_utf8 = 0;
};

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    std::optional<tunelet::testkit::MemoryFigures> memory;
};

// Starts a program, times it up to its mapped window, optionally takes its memory
// once it has settled, and ends it (SIGTERM, as a session end does).
std::optional<Run> timeStart(MapWatcher &watcher, const QString &program, const QByteArray &title,
                             const QProcessEnvironment &env, bool withMemory)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer wall;
    wall.start();
    process.start(program, {});
    Run run;
    const bool mapped = watcher.waitForMapped(title, 30000);
    run.wallMs = double(wall.nsecsElapsed()) / 1e6;
    run.cpuMs = double(tunelet::testkit::processCpuNanos(process.processId())) / 1e6;
    if (mapped && withMemory) {
        QThread::msleep(2000);
        run.memory = tunelet::testkit::processMemory(process.processId());
    }
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(5000);
    if (!mapped) {
        std::fprintf(stderr, "%s mapped no window titled %s\n", qPrintable(program),
                     title.constData());
        return std::nullopt;
    }
    return run;
}

// A program folder whose last list holds kFiles titled song files, opened at start.
bool prepareListHome(const QString &home)
{
    QByteArray list;
    for (int i = 0; i < kFiles; ++i) {
        const QString path = home + QStringLiteral("/songs/song%1.snr").arg(i);
        QByteArray text = "#song\r\n*HEAD\"Song " + QByteArray::number(i) + "\"\r\n";
        while (text.size() < 2048)
            text += "o4 c d e f g a b > c < b a g f e d c\r\n";
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) < 0)
            return false;
        list += QFile::encodeName(path) + "\r\n";
    }
    QFile listFile(home + QStringLiteral("/last.ppl"));
    QFile ini(home + QStringLiteral("/tunelet.ini"));
    return listFile.open(QIODevice::WriteOnly) && listFile.write(list) == list.size() &&
           ini.open(QIODevice::WriteOnly) &&
           ini.write("[Setting]\r\nListOpen=1\r\n[File]\r\nFileName=" +
                     QFile::encodeName(listFile.fileName()) + "\r\n") > 0;
}

// The list of the list home loaded into a playlist in this process, in ms.
double listLoadMs(const QString &listHome)
{
    tunelet::PlaylistModel model;
    tunelet::EntryBuilder builder(model);
    QElapsedTimer timer;
    timer.start();
    tunelet::LoadListFile(builder, QFile::encodeName(listHome + QStringLiteral("/last.ppl")));
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (model.rowCount() != kFiles)
        std::fprintf(stderr, "the list loaded %d rows, not %d\n", model.rowCount(), kFiles);
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QDir binDir(
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : qEnvironmentVariable("TUNELET_BIN_DIR", QCoreApplication::applicationDirPath()));
    tunelet::testkit::Xvfb xvfb;
    const QString display = xvfb.start();
    if (display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    MapWatcher watcher(display);
    if (!watcher.ok()) {
        std::fprintf(stderr, "cannot connect to %s\n", qPrintable(display));
        return 1;
    }
    QTemporaryDir scratch;
    const QString emptyHome = scratch.filePath(QStringLiteral("empty"));
    const QString listHome = scratch.filePath(QStringLiteral("list"));
    QDir().mkpath(emptyHome);
    QDir().mkpath(listHome + QStringLiteral("/songs"));
    if (!prepareListHome(listHome))
        return 1;

    SessionBus bus;
    QString busError;
    if (!bus.start(&busError)) {
        std::fprintf(stderr, "no session bus: %s\n", qPrintable(busError));
        return 1;
    }

    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    base.insert(QStringLiteral("DISPLAY"), display);
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.path());
    struct Who {
        const char *name;
        QString program;
        QByteArray title;
        QString home;
    };
    const Who whos[] = {
        {"bare", binDir.filePath(QStringLiteral("startup_bare_window")), "bare", emptyHome},
        {"tunelet_0_rows", binDir.filePath(QStringLiteral("tunelet")), "Tunelet", emptyHome},
        {"tunelet_10000_rows", binDir.filePath(QStringLiteral("tunelet")), "Tunelet", listHome},
    };
    std::map<std::string, std::vector<double>> wall, cpu;
    std::map<std::string, std::vector<double>> pss, privateMiB;
    std::vector<double> listLoad;
    for (int round = 0; round <= kRounds; ++round) {
        const double loadMs = listLoadMs(listHome);
        if (round > 0)
            listLoad.push_back(loadMs);
        for (const Who &who : whos) {
            QProcessEnvironment env = base;
            env.insert(QStringLiteral("TUNELET_HOME"), who.home);
            // A first start every time: no settings written by the run before.
            if (who.home == emptyHome)
                QFile::remove(emptyHome + QStringLiteral("/tunelet.ini"));
            // Memory in the last rounds only: each costs a wait for the window to settle.
            const bool withMemory = round > kRounds - kMemoryRounds;
            const auto run = timeStart(watcher, who.program, who.title, env, withMemory);
            if (!run)
                return 1;
            if (round == 0)
                continue; // warm-up: caches filled, libraries paged in
            wall[who.name].push_back(run->wallMs);
            cpu[who.name].push_back(run->cpuMs);
            if (run->memory) {
                pss[who.name].push_back(run->memory->pss / 1024.0);
                privateMiB[who.name].push_back(run->memory->privateKiB / 1024.0);
            }
        }
    }
    for (const Who &who : whos) {
        const std::string name = who.name;
        tunelet::testkit::report(("startup_" + name + "_wall_median").c_str(),
                                 tunelet::testkit::median(wall[name]), "ms");
        tunelet::testkit::report(("startup_" + name + "_cpu_median").c_str(),
                                 tunelet::testkit::median(cpu[name]), "ms");
    }
    tunelet::testkit::report("startup_vs_bare_ratio",
                             tunelet::testkit::median(wall["tunelet_0_rows"]) /
                                 tunelet::testkit::median(wall["bare"]),
                             "x");
    tunelet::testkit::report("startup_cpu_vs_bare_ratio",
                             tunelet::testkit::median(cpu["tunelet_0_rows"]) /
                                 tunelet::testkit::median(cpu["bare"]),
                             "x");
    const double load = tunelet::testkit::median(listLoad);
    const double sum = tunelet::testkit::median(wall["tunelet_0_rows"]) + load;
    tunelet::testkit::report("list_load_10000_rows_median", load, "ms");
    tunelet::testkit::report("startup_0_rows_plus_load", sum, "ms");
    tunelet::testkit::report("startup_10000_rows_vs_sum_ratio",
                             tunelet::testkit::median(wall["tunelet_10000_rows"]) / sum, "x");
    for (const char *who : {"bare", "tunelet_0_rows", "tunelet_10000_rows"}) {
        const std::string name = who;
        tunelet::testkit::report(("pss_" + name + "_median").c_str(),
                                 tunelet::testkit::median(pss[name]), "MiB");
        tunelet::testkit::report(("private_" + name + "_median").c_str(),
                                 tunelet::testkit::median(privateMiB[name]), "MiB");
    }
    tunelet::testkit::report("pss_vs_bare_ratio",
                             tunelet::testkit::median(pss["tunelet_0_rows"]) /
                                 tunelet::testkit::median(pss["bare"]),
                             "x");
    return 0;
}
