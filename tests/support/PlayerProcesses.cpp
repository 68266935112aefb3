#include "tests/support/PlayerProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>

namespace tunelet::testkit
{

QList<qint64> playersMentioning(const QString &needle)
{
    QList<qint64> pids;
    const QStringList entries =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!isPid || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray cmdline = file.readAll();
        const QByteArray program = cmdline.left(cmdline.indexOf('\0'));
        if (program.endsWith("sonaro") && cmdline.contains(needle.toUtf8()))
            pids << pid;
    }
    return pids;
}

bool playersGone(const QString &needle)
{
    const QDeadlineTimer deadline(5000);
    while (!playersMentioning(needle).isEmpty() && !deadline.hasExpired())
        QTest::qWait(100);
    return playersMentioning(needle).isEmpty();
}

void killPlayersMentioning(const QString &needle)
{
    for (const qint64 pid : playersMentioning(needle))
        ::kill(pid_t(pid), SIGKILL);
}

} // namespace tunelet::testkit
