// Tunelet on the desktop, end to end: the real binaries under a private X
// server and a private session bus, driven by real clients — playerctl and
// dbus-send for MPRIS, a second `tunelet FILE` for the hand-over of files,
// and a real XEmbed system tray (trayer) for the tray icon.
#include "tests/support/ByteFiles.h"
#include "tests/support/PlayerProcesses.h"
#include "tests/support/SessionBus.h"
#include "tests/support/SongFiles.h"
#include "tests/support/XSession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace
{

using tunelet::testkit::killPlayersMentioning;
using tunelet::testkit::playersGone;
using tunelet::testkit::playersMentioning;

QString binDir()
{
    return qEnvironmentVariable("TUNELET_BIN_DIR");
}

using tunelet::testkit::songData;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    return tunelet::testkit::writeBytes(QFile::encodeName(path), bytes);
}

QByteArray readFile(const QString &path)
{
    return tunelet::testkit::readBytes(QFile::encodeName(path));
}

// A word of a shell line that stands for these bytes exactly: QProcess
// takes arguments as text, which would alter names that are no valid UTF-8.
QByteArray shellBytes(const QByteArray &bytes)
{
    QByteArray word = "$'";
    for (const char byte : bytes)
        word += "\\x" + QByteArray::number(quint8(byte), 16);
    return word + "'";
}

std::function<bool(const QString &)> startsWith(const QString &prefix)
{
    return [prefix](const QString &name) { return name.startsWith(prefix); };
}

std::function<bool(const QString &)> is(const QString &wanted)
{
    return [wanted](const QString &name) { return name == wanted; };
}

// Longer than the double-click time (Qt's default 400 ms).
constexpr int DoubleClickPauseMs = 700;

// The icon Tunelet docked in trayer's panel: its window and its middle on
// the screen.
struct DockedIcon {
    QString id;
    int x = 0;
    int y = 0;
};

// Counts the PropertiesChanged signals of the MPRIS player on the bus.
class Announcements final : public QObject
{
    Q_OBJECT

public:
    bool listen(const QString &address)
    {
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("announcements")));
        return m_bus->connect(QString(), QStringLiteral("/org/mpris/MediaPlayer2"),
                              QStringLiteral("org.freedesktop.DBus.Properties"),
                              QStringLiteral("PropertiesChanged"), this,
                              SLOT(changed(QString, QVariantMap, QStringList)));
    }
    ~Announcements() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("announcements"));
    }

    QList<QStringList> heard;    // the changed properties of each signal
    QList<QVariantMap> metadata; // each Metadata announced

private slots:
    void changed(const QString &, const QVariantMap &properties, const QStringList &)
    {
        heard << properties.keys();
        if (properties.contains(QStringLiteral("Metadata")))
            metadata << qdbus_cast<QVariantMap>(properties.value(QStringLiteral("Metadata")));
    }

private:
    std::unique_ptr<QDBusConnection> m_bus;
};

} // namespace

class DesktopUnderX final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void mprisDrivenByPlayerctl();
    void pauseRightAfterNextReachesTheNewPlayer();
    void filesFromTheCommandLine();
    void trayIconInARealTray();

private:
    QString prepareFolder(QTemporaryDir &dir, const QByteArray &settings, int songSeconds = 20);
    QProcessEnvironment environmentFor(const QString &home) const;
    static QString commandLine(const QByteArrayList &args);
    bool startTunelet(const QString &home, const QByteArrayList &args = {},
                      const QString &workingFolder = QString());
    int runTunelet(const QString &home, const QByteArrayList &args, const QString &workingFolder);
    QString playerctl(const QStringList &args) const;
    QString waitForPlayerctl(const QStringList &args, const QString &wanted, int timeoutMs = 10000);
    bool callRoot(const QString &method) const;
    QString busError(const QString &method, const QStringList &args) const;
    bool waitForExit(int timeoutMs = 20000);
    bool playerFollowed();
    std::optional<DockedIcon> dockedIcon() const;
    QStringList tuneletWindows(const QString &iconId) const;
    void clickIcon(const DockedIcon &icon, int button, int times) const;
    bool doubleClickIcon(const DockedIcon &icon, const std::function<bool()> &done) const;
    bool chooseFromTrayMenu(const DockedIcon &icon, const QString &key) const;

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<SessionBus> m_bus;
    std::unique_ptr<QProcess> m_tunelet;
    QString m_home;
};

void DesktopUnderX::initTestCase()
{
    QVERIFY2(QFileInfo::exists(binDir() + QStringLiteral("/tunelet")), "tunelet was not built");
    m_x = std::make_unique<XSession>();
    QString error;
    QVERIFY2(m_x->start(&error), qPrintable(error));
    m_bus = std::make_unique<SessionBus>();
    QVERIFY2(m_bus->start(&error), qPrintable(error));
}

void DesktopUnderX::cleanup()
{
    if (m_tunelet && m_tunelet->state() != QProcess::NotRunning) {
        m_tunelet->kill();
        m_tunelet->waitForFinished(3000);
    }
    m_tunelet.reset();
    if (!m_home.isEmpty())
        killPlayersMentioning(m_home);
    m_home.clear();
}

QString DesktopUnderX::prepareFolder(QTemporaryDir &dir, const QByteArray &settings,
                                     int songSeconds)
{
    const QString home = dir.path() + QLatin1Char('/');
    m_home = home;
    writeFile(home + QStringLiteral("a.snr"), songData("Alpha", songSeconds));
    writeFile(home + QStringLiteral("b.snr"), songData("Beta", songSeconds));
    writeFile(home + QStringLiteral("c.snr"), songData("Gamma", songSeconds));
    const QByteArray bin = binDir().toUtf8();
    writeFile(home + QStringLiteral("tunelet.ini"),
              "[Setting]\r\nSonaroPath=" + bin + "/sonaro\r\nmid2snrPath=" + bin +
                  "/mid2snr\r\nPlayMinimize=0\r\nCloseSonaro=1\r\n" + settings);
    return home;
}

QProcessEnvironment DesktopUnderX::environmentFor(const QString &home) const
{
    QProcessEnvironment env = m_x->environment();
    env.insert(QStringLiteral("TUNELET_HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
    env.insert(QStringLiteral("TUNELET"), binDir() + QStringLiteral("/tunelet"));
    return env;
}

// A shell line that runs tunelet with the arguments byte for byte.
QString DesktopUnderX::commandLine(const QByteArrayList &args)
{
    QByteArray line = "exec \"$TUNELET\"";
    for (const QByteArray &arg : args)
        line += ' ' + shellBytes(arg);
    return QString::fromLatin1(line);
}

bool DesktopUnderX::startTunelet(const QString &home, const QByteArrayList &args,
                                 const QString &workingFolder)
{
    m_tunelet = std::make_unique<QProcess>();
    m_tunelet->setProcessEnvironment(environmentFor(home));
    m_tunelet->setProcessChannelMode(QProcess::ForwardedChannels);
    if (!workingFolder.isEmpty())
        m_tunelet->setWorkingDirectory(workingFolder);
    m_tunelet->start(QStringLiteral("bash"), {QStringLiteral("-c"), commandLine(args)});
    return m_tunelet->waitForStarted(10000);
}

// A second start, waited for; its exit code (-1 when it did not end in time).
int DesktopUnderX::runTunelet(const QString &home, const QByteArrayList &args,
                              const QString &workingFolder)
{
    QProcess second;
    second.setProcessEnvironment(environmentFor(home));
    second.setWorkingDirectory(workingFolder);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(QStringLiteral("bash"), {QStringLiteral("-c"), commandLine(args)});
    if (!second.waitForFinished(30000)) {
        second.kill();
        second.waitForFinished(3000);
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

QString DesktopUnderX::playerctl(const QStringList &args) const
{
    QProcess p;
    p.setProcessEnvironment(environmentFor(m_home));
    p.start(QStringLiteral("playerctl"), QStringList{QStringLiteral("--player=tunelet")} + args);
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(1000);
        return QStringLiteral("(playerctl hung)");
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString DesktopUnderX::waitForPlayerctl(const QStringList &args, const QString &wanted,
                                        int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QString answer;
    while (!deadline.hasExpired()) {
        answer = playerctl(args);
        if (answer == wanted)
            break;
        QTest::qWait(100);
    }
    return answer;
}

bool DesktopUnderX::callRoot(const QString &method) const
{
    QProcess p;
    p.setProcessEnvironment(environmentFor(m_home));
    p.start(QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"),
             QStringLiteral("--dest=org.mpris.MediaPlayer2.tunelet"),
             QStringLiteral("/org/mpris/MediaPlayer2"),
             QStringLiteral("org.mpris.MediaPlayer2.") + method});
    return p.waitForFinished(15000) && p.exitCode() == 0;
}

// Calls a method of the player's object with dbus-send; the error it
// prints, empty when the call succeeded.
QString DesktopUnderX::busError(const QString &method, const QStringList &args) const
{
    QProcess p;
    p.setProcessEnvironment(environmentFor(m_home));
    p.start(QStringLiteral("dbus-send"),
            QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=org.mpris.MediaPlayer2.tunelet"),
                        QStringLiteral("/org/mpris/MediaPlayer2"), method} +
                args);
    if (!p.waitForFinished(15000))
        return QStringLiteral("(dbus-send hung)");
    return p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError()).trimmed();
}

// True once Tunelet follows the playing song's player (it has read the
// song's total from it). The next command waits for this, as a user would:
// a player that is not on the window link yet is beyond Tunelet's reach, and
// one started just before would play on beside the next.
bool DesktopUnderX::playerFollowed()
{
    return waitForPlayerctl({QStringLiteral("metadata"), QStringLiteral("mpris:length")},
                            QStringLiteral("20000000")) == QStringLiteral("20000000");
}

bool DesktopUnderX::waitForExit(int timeoutMs)
{
    if (!m_tunelet->waitForFinished(timeoutMs))
        return false;
    return m_tunelet->exitStatus() == QProcess::NormalExit && m_tunelet->exitCode() == 0;
}

void DesktopUnderX::mprisDrivenByPlayerctl()
{
    QTemporaryDir dir;
    const QString home = prepareFolder(dir, "RepeatPlay=0\r\nListOpen=1\r\n[File]\r\nFileName=" +
                                                QFile::encodeName(dir.path()) + "/list.ppl\r\n");
    writeFile(home + QStringLiteral("list.ppl"),
              (home + QStringLiteral("a.snr\r\n") + home + QStringLiteral("b.snr\r\n") + home +
               QStringLiteral("c.snr\r\n"))
                  .toUtf8());
    Announcements announcements;
    QVERIFY(announcements.listen(m_bus->address()));
    QVERIFY(startTunelet(home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet$"));
    QVERIFY2(!id.isEmpty(), "the main window did not appear");

    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Stopped")),
             QStringLiteral("Stopped"));
    QCOMPARE(playerctl({QStringLiteral("loop")}), QStringLiteral("None"));
    QCOMPARE(playerctl({QStringLiteral("shuffle")}), QStringLiteral("Off"));

    // Play: the Play button, from the first row.
    playerctl({QStringLiteral("play")});
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <1> ")), 10000).isEmpty());
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Playing")),
             QStringLiteral("Playing"));
    QCOMPARE(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}),
             QStringLiteral("Alpha"));
    QCOMPARE(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")}),
             QStringLiteral("file://") + home + QStringLiteral("a.snr"));
    // The length comes with the player's total, 0：20.
    QCOMPARE(waitForPlayerctl({QStringLiteral("metadata"), QStringLiteral("mpris:length")},
                              QStringLiteral("20000000")),
             QStringLiteral("20000000"));

    // While one song plays on, the position moves but nothing is announced.
    QTest::qWait(300);
    announcements.heard.clear();
    const double before = playerctl({QStringLiteral("position")}).toDouble();
    QTest::qWait(1500);
    const double after = playerctl({QStringLiteral("position")}).toDouble();
    QVERIFY2(after > before + 0.5, qPrintable(QStringLiteral("%1 → %2").arg(before).arg(after)));
    QVERIFY2(announcements.heard.isEmpty(),
             qPrintable(announcements.heard.value(0).join(QLatin1Char(','))));

    // Next and previous: the buttons; the new song is announced.
    playerctl({QStringLiteral("next")});
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <2> ")), 10000).isEmpty());
    QCOMPARE(waitForPlayerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")},
                              QStringLiteral("Beta")),
             QStringLiteral("Beta"));
    QVERIFY(playerFollowed());
    QTRY_VERIFY(std::any_of(
        announcements.heard.cbegin(), announcements.heard.cend(),
        [](const QStringList &keys) { return keys.contains(QStringLiteral("Metadata")); }));
    playerctl({QStringLiteral("previous")});
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <1> ")), 10000).isEmpty());

    // Pause holds the position; play resumes the same song, not the list's start.
    QVERIFY(playerFollowed());
    playerctl({QStringLiteral("pause")});
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Paused")),
             QStringLiteral("Paused"));
    const double held = playerctl({QStringLiteral("position")}).toDouble();
    QTest::qWait(1200);
    QCOMPARE(playerctl({QStringLiteral("position")}).toDouble(), held);
    playerctl({QStringLiteral("play")});
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Playing")),
             QStringLiteral("Playing"));
    QVERIFY(m_x->windowName(id).startsWith(QStringLiteral("Tunelet - <1> ")));
    QTRY_VERIFY_WITH_TIMEOUT(playerctl({QStringLiteral("position")}).toDouble() > held + 0.3, 5000);
    playerctl({QStringLiteral("play-pause")});
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Paused")),
             QStringLiteral("Paused"));
    playerctl({QStringLiteral("play-pause")});
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Playing")),
             QStringLiteral("Playing"));

    // Loop and shuffle set the repeat item and the play mode.
    playerctl({QStringLiteral("loop"), QStringLiteral("Track")});
    QCOMPARE(playerctl({QStringLiteral("loop")}), QStringLiteral("Track"));
    playerctl({QStringLiteral("loop"), QStringLiteral("Playlist")});
    QCOMPARE(playerctl({QStringLiteral("loop")}), QStringLiteral("Playlist"));
    playerctl({QStringLiteral("shuffle"), QStringLiteral("On")});
    QCOMPARE(playerctl({QStringLiteral("shuffle")}), QStringLiteral("On"));

    // What names nothing leaves Tunelet running: a loop status MPRIS does
    // not define changes nothing, a URL that is no local file is an error.
    QCOMPARE(
        busError(QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                 {QStringLiteral("string:org.mpris.MediaPlayer2.Player"),
                  QStringLiteral("string:LoopStatus"), QStringLiteral("variant:string:Bogus")}),
        QString());
    QCOMPARE(playerctl({QStringLiteral("loop")}), QStringLiteral("Playlist"));
    QVERIFY(busError(QStringLiteral("org.mpris.MediaPlayer2.Player.OpenUri"),
                     {QStringLiteral("string:https://example.org/a.snr")})
                .contains(QStringLiteral("org.freedesktop.DBus.Error.NotSupported")));
    QCOMPARE(m_tunelet->state(), QProcess::Running);

    // Open: a file URL is added as a drop adds it, and plays.
    playerctl({QStringLiteral("open"), QStringLiteral("file://") + home + QStringLiteral("c.snr")});
    QVERIFY(!m_x->waitForName(id,
                              is(QStringLiteral("Tunelet - <4> ") + home + QStringLiteral("c.snr")),
                              10000)
                 .isEmpty());
    QVERIFY(playerFollowed());

    // Stop: the Stop button; nothing is playing any more.
    playerctl({QStringLiteral("stop")});
    QVERIFY(!m_x->waitForName(id, is(QStringLiteral("Tunelet")), 10000).isEmpty());
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Stopped")),
             QStringLiteral("Stopped"));
    QCOMPARE(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}), QString());

    // Raise brings a minimized window back.
    m_x->run(QStringLiteral("xdotool"),
             {QStringLiteral("windowminimize"), QStringLiteral("--sync"), id});
    QTRY_VERIFY(m_x->searchByName(QStringLiteral("^Tunelet$")).isEmpty());
    QVERIFY(callRoot(QStringLiteral("Raise")));
    QVERIFY(!m_x->waitForWindow(QStringLiteral("^Tunelet$"), 10000).isEmpty());

    // Quit runs the close query: the modes set above are in the settings.
    QVERIFY(callRoot(QStringLiteral("Quit")));
    QVERIFY(waitForExit());
    const QByteArray ini = readFile(home + QStringLiteral("tunelet.ini"));
    QVERIFY(ini.contains("RepeatPlay=1"));
    QVERIFY(ini.contains("PlayMode=2"));
    QVERIFY(playerctl({QStringLiteral("status")}).isEmpty());
    QVERIFY(playersGone(home));
}

void DesktopUnderX::pauseRightAfterNextReachesTheNewPlayer()
{
    QTemporaryDir dir;
    const QString home = prepareFolder(dir, "RepeatPlay=0\r\nListOpen=1\r\n[File]\r\nFileName=" +
                                                QFile::encodeName(dir.path()) + "/list.ppl\r\n");
    writeFile(home + QStringLiteral("list.ppl"),
              (home + QStringLiteral("a.snr\r\n") + home + QStringLiteral("b.snr\r\n")).toUtf8());
    Announcements announcements;
    QVERIFY(announcements.listen(m_bus->address()));
    QVERIFY(startTunelet(home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet$"));
    QVERIFY2(!id.isEmpty(), "the main window did not appear");
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Stopped")),
             QStringLiteral("Stopped"));
    playerctl({QStringLiteral("play")});
    QVERIFY(playerFollowed());

    // Next, then at once Pause: it comes while the next song's player has
    // no window yet, and takes effect once it has.
    announcements.metadata.clear();
    QProcess both;
    both.setProcessEnvironment(environmentFor(home));
    both.start(QStringLiteral("bash"),
               {QStringLiteral("-c"), QStringLiteral("playerctl --player=tunelet next && "
                                                     "playerctl --player=tunelet pause")});
    QVERIFY(both.waitForFinished(30000));
    QCOMPARE(both.exitCode(), 0);
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <2> ")), 10000).isEmpty());
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Paused")),
             QStringLiteral("Paused"));
    QCOMPARE(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}),
             QStringLiteral("Beta"));
    // The new song's length, known once its player is read, is announced.
    QVERIFY(playerFollowed());
    QTRY_VERIFY(std::any_of(
        announcements.metadata.cbegin(), announcements.metadata.cend(), [](const QVariantMap &m) {
            return m.value(QStringLiteral("xesam:title")) == QStringLiteral("Beta") &&
                   m.value(QStringLiteral("mpris:length")).toLongLong() == 20000000;
        }));
    QCOMPARE(playerctl({QStringLiteral("status")}), QStringLiteral("Paused"));
    playerctl({QStringLiteral("stop")});
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Stopped")),
             QStringLiteral("Stopped"));
}

void DesktopUnderX::filesFromTheCommandLine()
{
    QTemporaryDir dir;
    const QString home = prepareFolder(dir, "SaveList=1\r\nListOpen=0\r\n");
    // "曲" in Shift-JIS: a name that is no valid UTF-8.
    const QByteArray sjisName = "\x8b\xc8.snr";
    const QByteArray sjisPath = QFile::encodeName(home) + sjisName;
    QVERIFY(tunelet::testkit::writeBytes(sjisPath, songData("Kyoku", 20)));
    // Qt names files by text, so the temporary folder cannot remove this one.
    const auto removeSjis = qScopeGuard([&sjisPath] {
        QProcess::execute(QStringLiteral("bash"),
                          {QStringLiteral("-c"),
                           QStringLiteral("rm -f ") + QString::fromLatin1(shellBytes(sjisPath))});
    });
    writeFile(home + QStringLiteral("two.ppl"),
              (home + QStringLiteral("c.snr\r\n") + home + QStringLiteral("b.snr\r\n")).toUtf8());

    // A first start with a file named relative to where it was given: it is
    // added to the list and plays.
    QVERIFY(startTunelet(home, {"a.snr"}, home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet - <1> "));
    QVERIFY2(!id.isEmpty(), "the file given at the first start did not play");
    QCOMPARE(m_x->windowName(id),
             QStringLiteral("Tunelet - <1> ") + home + QStringLiteral("a.snr"));
    QVERIFY(playerFollowed());
    const QByteArray settingsBefore = readFile(home + QStringLiteral("tunelet.ini"));
    const QDateTime writtenBefore = QFileInfo(home + QStringLiteral("tunelet.ini")).lastModified();

    // Later starts hand their files over and end at once, without a window of
    // their own: songs are appended and the first of them plays...
    QCOMPARE(runTunelet(home, {"b.snr", sjisName}, home), 0);
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <2> ")), 10000).isEmpty());
    QCOMPARE(m_x->searchByName(QStringLiteral("^Tunelet")).size(), 1);
    QVERIFY(playerFollowed());
    // ...a name that is no valid UTF-8 arrives byte for byte...
    QCOMPARE(runTunelet(home, {sjisPath}, QStringLiteral("/")), 0);
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <4> ")), 10000).isEmpty());
    QCOMPARE(m_x->windowName(id),
             QStringLiteral("Tunelet - <4> ") + home + QStringLiteral("曲.snr"));
    QVERIFY(!m_x->waitForWindow(QStringLiteral("^Sonaro - Kyoku")).isEmpty());
    QVERIFY(playerFollowed());
    // ...and a list file replaces the list, whose first row plays.
    QCOMPARE(runTunelet(home, {"two.ppl"}, home), 0);
    QVERIFY(!m_x->waitForName(id,
                              is(QStringLiteral("Tunelet - <1> ") + home + QStringLiteral("c.snr")),
                              10000)
                 .isEmpty());
    QCOMPARE(m_x->searchByName(QStringLiteral("^Tunelet")).size(), 1);
    // The later starts never wrote the settings file.
    QCOMPARE(readFile(home + QStringLiteral("tunelet.ini")), settingsBefore);
    QCOMPARE(QFileInfo(home + QStringLiteral("tunelet.ini")).lastModified(), writtenBefore);

    QVERIFY(playerFollowed());
    QVERIFY(callRoot(QStringLiteral("Quit")));
    QVERIFY(waitForExit());
    // The list file replaced the rows added before it; saved at exit.
    QCOMPARE(readFile(home + QStringLiteral("tunelet.ppl")),
             (home + QStringLiteral("c.snr\r\n") + home + QStringLiteral("b.snr\r\n")).toUtf8());

    // Once it has closed, a start with a file opens a window of its own.
    QVERIFY(startTunelet(home, {sjisPath}));
    QVERIFY(!m_x->waitForWindow(QStringLiteral("^Tunelet - <1> ")).isEmpty());
    QVERIFY(!m_x->waitForWindow(QStringLiteral("^Sonaro - Kyoku")).isEmpty());
    QVERIFY(playerFollowed());
    QVERIFY(callRoot(QStringLiteral("Quit")));
    QVERIFY(waitForExit());
    QVERIFY(readFile(home + QStringLiteral("tunelet.ppl")).endsWith(sjisPath + "\r\n"));
    QVERIFY(playersGone(home));
}

std::optional<DockedIcon> DesktopUnderX::dockedIcon() const
{
    // xwininfo lists every window with its class, size and place on the
    // screen; the icon is a tunelet window somewhere below the panel.
    static const QRegularExpression iconLine(QStringLiteral(
        R"(^(\s*)(0x[0-9a-f]+) "[^"]*": \("tunelet" "Tunelet"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+))"));
    static const QRegularExpression panelLine(
        QStringLiteral(R"(^(\s*)0x[0-9a-f]+ "panel": \("panel" "trayer"\))"));
    const QStringList lines =
        m_x->run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
            .split(QLatin1Char('\n'));
    qsizetype panelIndent = -1;
    for (const QString &line : lines) {
        if (const QRegularExpressionMatch panel = panelLine.match(line); panel.hasMatch()) {
            panelIndent = panel.capturedLength(1);
            continue;
        }
        const QRegularExpressionMatch icon = iconLine.match(line);
        if (panelIndent < 0 || !icon.hasMatch())
            continue;
        if (icon.capturedLength(1) <= panelIndent)
            break; // past the panel's windows
        bool ok = false;
        const QString id = QString::number(icon.captured(2).toULongLong(&ok, 16));
        return DockedIcon{id, icon.captured(5).toInt() + icon.captured(3).toInt() / 2,
                          icon.captured(6).toInt() + icon.captured(4).toInt() / 2};
    }
    return std::nullopt;
}

// Visible windows of Tunelet that are not the docked icon: the main window
// and, while it is open, the tray menu.
QStringList DesktopUnderX::tuneletWindows(const QString &iconId) const
{
    QStringList ids = m_x->searchByClass(QStringLiteral("^tunelet$"));
    ids.removeAll(iconId);
    return ids;
}

void DesktopUnderX::clickIcon(const DockedIcon &icon, int button, int times) const
{
    m_x->run(QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QString::number(icon.x), QString::number(icon.y),
              QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
              QStringLiteral("--delay"), QStringLiteral("80"), QString::number(button)});
}

// A double click on the icon; true once `done` holds. On a loaded machine
// xdotool may be held up between its two clicks past the double-click time:
// they are then two single clicks, which do nothing, and are made again.
bool DesktopUnderX::doubleClickIcon(const DockedIcon &icon, const std::function<bool()> &done) const
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        QElapsedTimer clicking;
        clicking.start();
        clickIcon(icon, 1, 2);
        const bool inTime = clicking.elapsed() < DoubleClickPauseMs / 2;
        const QDeadlineTimer deadline(inTime ? 15000 : 3000);
        while (!done() && !deadline.hasExpired())
            QTest::qWait(50);
        if (done())
            return true;
        if (inTime)
            return false;
        QTest::qWait(DoubleClickPauseMs);
    }
    return false;
}

// Opens the tray menu with the right button and chooses an item by its key.
bool DesktopUnderX::chooseFromTrayMenu(const DockedIcon &icon, const QString &key) const
{
    // A press soon after the last one on the icon would make a double click,
    // which opens no menu: pause as a user does between two menus.
    QTest::qWait(DoubleClickPauseMs);
    const qsizetype before = tuneletWindows(icon.id).size();
    clickIcon(icon, 3, 1);
    const QDeadlineTimer deadline(5000);
    while (tuneletWindows(icon.id).size() <= before && !deadline.hasExpired())
        QTest::qWait(50);
    if (deadline.hasExpired())
        return false;
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
    // The menu has gone once the windows are as before (or fewer: the
    // window item hides the main window).
    while (tuneletWindows(icon.id).size() > before && !deadline.hasExpired())
        QTest::qWait(50);
    return !deadline.hasExpired();
}

void DesktopUnderX::trayIconInARealTray()
{
    QTemporaryDir dir;
    const QString home =
        prepareFolder(dir, "TaskTray=1\r\nRepeatPlay=0\r\nListOpen=1\r\n[File]\r\nFileName=" +
                               QFile::encodeName(dir.path()) + "/list.ppl\r\n");
    writeFile(home + QStringLiteral("list.ppl"),
              (home + QStringLiteral("a.snr\r\n") + home + QStringLiteral("b.snr\r\n")).toUtf8());

    // A real XEmbed system tray: trayer's panel at the top right.
    QProcess tray;
    tray.setProcessEnvironment(m_x->environment());
    tray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tray.setStandardOutputFile(QProcess::nullDevice());
    tray.start(QStringLiteral("trayer"),
               {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--SetDockType"),
                QStringLiteral("true"), QStringLiteral("--transparent"), QStringLiteral("false")});
    QVERIFY2(tray.waitForStarted(5000), "trayer did not start");
    const auto endTray = qScopeGuard([&tray] {
        tray.terminate();
        if (!tray.waitForFinished(3000))
            tray.kill();
        tray.waitForFinished(3000);
    });
    QTRY_VERIFY_WITH_TIMEOUT(!m_x->searchByName(QStringLiteral("^panel$")).isEmpty(), 30000);

    // The icon docks with "タスクトレイにアイコンを表示(&T)" ticked.
    QVERIFY(startTunelet(home));
    std::optional<DockedIcon> icon;
    const QDeadlineTimer deadline(20000);
    while (!(icon = dockedIcon()) && !deadline.hasExpired())
        QTest::qWait(100);
    QVERIFY2(icon, "the tray icon did not dock");
    QTRY_COMPARE_WITH_TIMEOUT(tuneletWindows(icon->id).size(), 1, 10000);
    const QString window = tuneletWindows(icon->id).first();
    QTest::qWait(500);
    const QString artefacts = qEnvironmentVariable("TUNELET_ARTIFACT_DIR", QDir::currentPath());
    QDir().mkpath(artefacts);
    QVERIFY(
        m_x->screenshot(QStringLiteral("root"), artefacts + QStringLiteral("/tunelet-tray.png")));

    // A double click hides the main window, another shows it again.
    QVERIFY(doubleClickIcon(*icon, [&] { return tuneletWindows(icon->id).isEmpty(); }));
    QVERIFY(
        doubleClickIcon(*icon, [&] { return tuneletWindows(icon->id) == QStringList{window}; }));

    // The right button opens PopupTray; its items are the commands.
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("p")));
    QVERIFY(
        !m_x->waitForName(window, startsWith(QStringLiteral("Tunelet - <1> ")), 10000).isEmpty());
    QVERIFY(playerFollowed());
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("u")));
    QCOMPARE(waitForPlayerctl({QStringLiteral("status")}, QStringLiteral("Paused")),
             QStringLiteral("Paused"));
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("n")));
    QVERIFY(
        !m_x->waitForName(window, startsWith(QStringLiteral("Tunelet - <2> ")), 10000).isEmpty());
    QVERIFY(playerFollowed());
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("b")));
    QVERIFY(
        !m_x->waitForName(window, startsWith(QStringLiteral("Tunelet - <1> ")), 10000).isEmpty());
    QVERIFY(playerFollowed());
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("s")));
    QVERIFY(!m_x->waitForName(window, is(QStringLiteral("Tunelet")), 10000).isEmpty());
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("v")));
    QTRY_VERIFY_WITH_TIMEOUT(tuneletWindows(icon->id).isEmpty(), 5000);
    QVERIFY(chooseFromTrayMenu(*icon, QStringLiteral("x")));
    QVERIFY(waitForExit());
    QVERIFY(playersGone(home));
}

QTEST_GUILESS_MAIN(DesktopUnderX)
#include "tst_desktop_e2e.moc"
