// A termination signal at any moment of a run of the real program: one that
// arrives while the program is still starting (reading a long list) neither
// kills it nor is lost; it runs the close query once start-up is done.
#include "tests/longplay/LongPlayTests.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <dirent.h>
#include <unistd.h>

namespace
{

constexpr int Rows = 10000;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The process has one of the files under folder open.
bool hasFileOpenIn(qint64 pid, const QByteArray &folder)
{
    const QByteArray fdFolder = "/proc/" + QByteArray::number(pid) + "/fd";
    DIR *dir = ::opendir(fdFolder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        char target[4096];
        const QByteArray link = fdFolder + '/' + entry->d_name;
        const ssize_t n = ::readlink(link.constData(), target, sizeof target);
        if (n > 0 && QByteArray(target, n).startsWith(folder)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

class TestTermination final : public QObject
{
    Q_OBJECT

private slots:
    void signalDuringStartUpIsHonouredAfterIt();
};

void TestTermination::signalDuringStartUpIsHonouredAfterIt()
{
    const QByteArray binDir = qgetenv("TUNELET_BIN_DIR");
    if (binDir.isEmpty())
        QSKIP("TUNELET_BIN_DIR is not set");
    QTemporaryDir home;
    QVERIFY(home.isValid());
    // A list of many titled files, opened at start and saved at exit.
    const QByteArray rows = QFile::encodeName(home.filePath(QStringLiteral("rows"))) + '/';
    QVERIFY(QDir().mkpath(QFile::decodeName(rows)));
    QByteArray list;
    for (int i = 0; i < Rows; ++i) {
        const QByteArray row = rows + QByteArray::number(i) + ".snr";
        QFile file(QFile::decodeName(row));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("*HEAD\"Row " + QByteArray::number(i) + "\"\r\n");
        list += row + "\r\n";
    }
    const QString listPath = home.filePath(QStringLiteral("day.ppl"));
    QFile listFile(listPath);
    QVERIFY(listFile.open(QIODevice::WriteOnly));
    listFile.write(list);
    listFile.close();
    QFile settings(home.filePath(QStringLiteral("tunelet.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Setting]\r\nListOpen=1\r\nSaveList=1\r\n[File]\r\nFileName=" +
                   QFile::encodeName(listPath) + "\r\n");
    settings.close();

    QProcess tunelet;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TUNELET_HOME"), home.path());
    tunelet.setProcessEnvironment(env);
    tunelet.setProcessChannelMode(QProcess::ForwardedChannels);
    tunelet.start(QFile::decodeName(binDir + "/tunelet"), {});
    QVERIFY(tunelet.waitForStarted(10000));

    // The signal goes while the rows are being read, in the middle of start-up.
    QElapsedTimer clock;
    clock.start();
    bool reading = false;
    while (!reading && tunelet.state() == QProcess::Running && clock.elapsed() < 60000)
        reading = hasFileOpenIn(tunelet.processId(), rows);
    QVERIFY2(reading, "the program was never seen reading its list");
    QVERIFY(::kill(pid_t(tunelet.processId()), SIGTERM) == 0);

    QVERIFY(tunelet.waitForFinished(60000));
    QCOMPARE(tunelet.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tunelet.exitCode(), 0);
    // The close query ran after the whole list had been read: every row was
    // saved, and the settings were written at exit.
    QCOMPARE(readAll(home.filePath(QStringLiteral("tunelet.ppl"))), list);
    const QByteArray written = readAll(home.filePath(QStringLiteral("tunelet.ini")));
    QVERIFY(written.contains("[Window]"));
    QVERIFY(written.contains("SaveList=1"));
}

int runTerminationTests(int argc, char **argv)
{
    TestTermination test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_termination.moc"
