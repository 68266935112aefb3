// Installs the built project into a temporary prefix, checks that the programs,
// archiver libraries, desktop entry, icons, help and examples are in place,
// starts the installed tunelet once, and plays the installed examples with
// the shipped player and converter under a private X server.
#include "tests/support/XSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>

class InstallTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsEverythingBesideTheProgram_data();
    void installsEverythingBesideTheProgram();
    void desktopEntryNamesTheProgramAndIcon();
    void fileManagersOfferTuneletForItsFiles();
    void installedTuneletStartsAndSavesItsSettings();
    void installedTuneletPlaysEveryKindWithTheShippedPrograms();

private:
    QTemporaryDir m_prefix;
};

void InstallTest::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(qEnvironmentVariable("TUNELET_CMAKE"),
                  {QStringLiteral("--install"), qEnvironmentVariable("TUNELET_BUILD_DIR"),
                   QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void InstallTest::installsEverythingBesideTheProgram_data()
{
    QTest::addColumn<QString>("path");
    for (const char *program : {"tunelet", "sonaro", "mid2snr"}) {
        QTest::newRow(program) << QStringLiteral("libexec/tunelet/") + QLatin1String(program);
        QTest::newRow(QByteArray("bin/").append(program).constData())
            << QStringLiteral("bin/") + QLatin1String(program);
    }
    for (const char *library : {"unlha32", "unzip32", "zip32j", "tar32", "cab32", "unrar32"})
        QTest::newRow(library)
            << QStringLiteral("libexec/tunelet/lib%1.so").arg(QLatin1String(library));
    QTest::newRow("desktop entry") << QStringLiteral("share/applications/tunelet.desktop");
    QTest::newRow("svg icon") << QStringLiteral("share/icons/hicolor/scalable/apps/tunelet.svg");
    QTest::newRow("48 px icon") << QStringLiteral("share/icons/hicolor/48x48/apps/tunelet.png");
    QTest::newRow("256 px icon") << QStringLiteral("share/icons/hicolor/256x256/apps/tunelet.png");
    QTest::newRow("help") << QStringLiteral("share/tunelet/tunelet.html");
    QTest::newRow("metainfo") << QStringLiteral("share/metainfo/org.example.tunelet.metainfo.xml");
    QTest::newRow("manual page") << QStringLiteral("share/man/man1/tunelet.1.gz");
    QTest::newRow("file types") << QStringLiteral("share/mime/packages/tunelet.xml");
    for (const char *example :
         {"examples.ppl", "morning-walk.snr", "evening-waltz.mid", "harbor-lights.lzh"})
        QTest::newRow(example) << QStringLiteral("share/tunelet/examples/") +
                                      QLatin1String(example);
}

void InstallTest::installsEverythingBesideTheProgram()
{
    QFETCH(QString, path);
    const QFileInfo info(m_prefix.filePath(path));
    QVERIFY2(info.exists(), qPrintable(path));
    if (path.startsWith(QLatin1String("bin/"))) {
        QVERIFY(info.isSymLink());
        QCOMPARE(
            QFileInfo(info.canonicalFilePath()).path(),
            QFileInfo(m_prefix.filePath(QStringLiteral("libexec/tunelet"))).canonicalFilePath());
    }
}

void InstallTest::desktopEntryNamesTheProgramAndIcon()
{
    QFile entry(m_prefix.filePath(QStringLiteral("share/applications/tunelet.desktop")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    QVERIFY(text.contains("\nExec=tunelet %F\n"));
    QVERIFY(text.contains("\nIcon=tunelet\n"));
    QVERIFY(text.contains("\nCategories=AudioVideo;Audio;Player;\n"));
}

void InstallTest::fileManagersOfferTuneletForItsFiles()
{
    // What a file manager sees once the desktop's databases know the prefix:
    // GIO (as Nautilus, Thunar or Nemo ask it) names the installed types and
    // offers the desktop entry for them.
    const QString share = m_prefix.filePath(QStringLiteral("share"));
    QTemporaryDir files;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_DIRS"), share + QStringLiteral(":/usr/share"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), files.filePath(QStringLiteral("data")));
    // GIO offers only entries whose program it finds on the PATH.
    env.insert(QStringLiteral("PATH"), m_prefix.filePath(QStringLiteral("bin")) + QLatin1Char(':') +
                                           env.value(QStringLiteral("PATH")));
    auto run = [&env](const QString &program, const QStringList &args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(20000);
        return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    };
    auto gio = [&run](const QStringList &args) { return run(QStringLiteral("gio"), args); };
    // What the package's triggers do on installation.
    run(QStringLiteral("update-mime-database"), {share + QStringLiteral("/mime")});
    run(QStringLiteral("update-desktop-database"), {share + QStringLiteral("/applications")});
    for (const auto &[name, type] : {std::pair{"song.snr", "audio/x-sonaro-song"},
                                     std::pair{"list.ppl", "audio/x-tunelet-playlist"},
                                     std::pair{"list.alb", "audio/x-tunelet-playlist"}}) {
        QFile file(files.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("*HEAD\"x\"\r\n");
        file.close();
        const QString info = gio({QStringLiteral("info"), QStringLiteral("--attributes"),
                                  QStringLiteral("standard::content-type"), file.fileName()});
        QVERIFY2(info.contains(QStringLiteral("standard::content-type: ") + QLatin1String(type)),
                 qPrintable(info));
        const QString apps = gio({QStringLiteral("mime"), QLatin1String(type)});
        QVERIFY2(apps.contains(QStringLiteral("tunelet.desktop")), qPrintable(apps));
    }
}

void InstallTest::installedTuneletStartsAndSavesItsSettings()
{
    QTemporaryDir home;
    QProcess tunelet;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TUNELET_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    tunelet.setProcessEnvironment(env);
    tunelet.start(m_prefix.filePath(QStringLiteral("bin/tunelet")), {});
    QVERIFY(tunelet.waitForStarted(10000));

    const QString ini = home.filePath(QStringLiteral("tunelet.ini"));
    QDeadlineTimer deadline(20000);
    while (!QFileInfo::exists(ini) && !deadline.hasExpired() &&
           tunelet.state() == QProcess::Running)
        QThread::msleep(100);
    QVERIFY2(QFileInfo::exists(ini), "the installed tunelet wrote no settings file");
    QThread::msleep(500);

    // SIGTERM runs the same close query as the close box: settings are saved.
    tunelet.terminate();
    QVERIFY(tunelet.waitForFinished(20000));
    QCOMPARE(tunelet.exitStatus(), QProcess::NormalExit);
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray settings = file.readAll();
    QVERIFY(settings.contains("[Setting]"));
    QVERIFY(settings.contains("Version=105"));
}

namespace
{

struct RunningProcess {
    qint64 pid;
    QByteArrayList arguments;
};

// The running processes started as program (their first argument).
QList<RunningProcess> processesOf(const QByteArray &program)
{
    QList<RunningProcess> found;
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArrayList arguments = file.readAll().split('\0');
        if (arguments.first() == program)
            found.append({entry.toLongLong(), arguments});
    }
    return found;
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

// With settings that never named a player or converter, the installed
// examples' list plays a data file, a MIDI file and an LZH archive through
// the programs installed beside tunelet.
void InstallTest::installedTuneletPlaysEveryKindWithTheShippedPrograms()
{
    XSession x;
    QString error;
    QVERIFY2(x.start(&error), qPrintable(error));
    QTemporaryDir home;
    const QString examples = m_prefix.filePath(QStringLiteral("share/tunelet/examples/"));
    QFile ini(home.filePath(QStringLiteral("tunelet.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    // Players not minimized, so that their windows can be seen.
    ini.write("[Setting]\r\nPlayMinimize=0\r\n[File]\r\nFileName=" + QFile::encodeName(examples) +
              "examples.ppl\r\n");
    ini.close();

    QProcess tunelet;
    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("TUNELET_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    tunelet.setProcessEnvironment(env);
    tunelet.start(m_prefix.filePath(QStringLiteral("bin/tunelet")), {});
    QVERIFY(tunelet.waitForStarted(10000));
    // Started from the executable's real folder, as the system reports it.
    const QByteArray player = QFile::encodeName(
        QFileInfo(m_prefix.filePath(QStringLiteral("libexec/tunelet/sonaro"))).canonicalFilePath());
    // A test that fails half-way ends what it started, by process id.
    auto endAll = qScopeGuard([&] {
        tunelet.kill();
        tunelet.waitForFinished(5000);
        for (const RunningProcess &left : processesOf(player))
            ::kill(pid_t(left.pid), SIGKILL);
    });

    QString id;
    QVERIFY2(
        waitFor(
            [&] { return !(id = x.searchByName(QStringLiteral("^Tunelet$")).value(0)).isEmpty(); },
            20000),
        "the installed tunelet showed no window");
    QThread::msleep(300);
    const QString workFile = home.filePath(QStringLiteral("tunelet.snr"));
    // Each row plays in the shipped player, whose window shows the song's
    // title: the data file's own, the converted MIDI file's, the archive's.
    struct Row {
        QString keys, played, title;
    };
    const QList<Row> rows{
        {QStringLiteral("space"), examples + QStringLiteral("morning-walk.snr"),
         QStringLiteral("Morning Walk")},
        {QStringLiteral("ctrl+Right"), workFile, QStringLiteral("Evening Waltz")},
        {QStringLiteral("ctrl+Right"), workFile, QStringLiteral("Harbor Lights")},
    };
    for (int i = 0; i < rows.size(); ++i) {
        const Row &row = rows[i];
        x.key(id, row.keys);
        const QString caption = QStringLiteral("Tunelet - <%1> %2").arg(i + 1).arg(row.played);
        QString seen;
        QVERIFY2(waitFor([&] { return (seen = x.windowName(id)) == caption; }, 30000),
                 qPrintable(seen + QStringLiteral(" instead of ") + caption));
        QVERIFY2(waitFor(
                     [&] {
                         for (const RunningProcess &process : processesOf(player))
                             if (process.arguments.contains(QFile::encodeName(row.played)))
                                 return true;
                         return false;
                     },
                     20000),
                 "the shipped player was not started on the row's file");
        // As a user would, wait for the player's window before going on.
        const QString window = QStringLiteral("^Sonaro - ") + row.title + QStringLiteral(" → ");
        QVERIFY2(waitFor([&] { return !x.searchByName(window).isEmpty(); }, 30000),
                 qPrintable(row.title));
    }

    // SIGTERM closes as the close box does; the player is closed with it.
    tunelet.terminate();
    QVERIFY(tunelet.waitForFinished(20000));
    QVERIFY(waitFor([&] { return processesOf(player).isEmpty(); }, 10000));
}

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
