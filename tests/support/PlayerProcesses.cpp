#include "tests/support/PlayerProcesses.h"

#include <QDir>
#include <QFile>

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

} // namespace tunelet::testkit
