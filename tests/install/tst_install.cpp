// Installs the built project into a temporary prefix, checks that the programs,
// archiver libraries, desktop entry, icons, help and examples are in place, and
// starts the installed tunelet once.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class InstallTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsEverythingBesideTheProgram_data();
    void installsEverythingBesideTheProgram();
    void desktopEntryNamesTheProgramAndIcon();
    void installedTuneletStartsAndSavesItsSettings();

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
        QTest::newRow(library) << QStringLiteral("libexec/tunelet/lib%1.so").arg(QLatin1String(library));
    QTest::newRow("desktop entry") << QStringLiteral("share/applications/tunelet.desktop");
    QTest::newRow("svg icon") << QStringLiteral("share/icons/hicolor/scalable/apps/tunelet.svg");
    QTest::newRow("48 px icon") << QStringLiteral("share/icons/hicolor/48x48/apps/tunelet.png");
    QTest::newRow("256 px icon") << QStringLiteral("share/icons/hicolor/256x256/apps/tunelet.png");
    QTest::newRow("help") << QStringLiteral("share/tunelet/tunelet.html");
    QTest::newRow("examples") << QStringLiteral("share/tunelet/examples");
}

void InstallTest::installsEverythingBesideTheProgram()
{
    QFETCH(QString, path);
    const QFileInfo info(m_prefix.filePath(path));
    QVERIFY2(info.exists(), qPrintable(path));
    if (path.startsWith(QLatin1String("bin/"))) {
        QVERIFY(info.isSymLink());
        QCOMPARE(QFileInfo(info.canonicalFilePath()).path(),
                 QFileInfo(m_prefix.filePath(QStringLiteral("libexec/tunelet"))).canonicalFilePath());
    }
    if (path.endsWith(QLatin1String("examples")))
        QVERIFY(!QDir(info.filePath()).entryList({QStringLiteral("*.snr")}).isEmpty());
}

void InstallTest::desktopEntryNamesTheProgramAndIcon()
{
    QFile entry(m_prefix.filePath(QStringLiteral("share/applications/tunelet.desktop")));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    QVERIFY(text.contains("\nExec=tunelet"));
    QVERIFY(text.contains("\nIcon=tunelet\n"));
    QVERIFY(text.contains("\nCategories=AudioVideo;Audio;Player;\n"));
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
    while (!QFileInfo::exists(ini) && !deadline.hasExpired() && tunelet.state() == QProcess::Running)
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

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"
