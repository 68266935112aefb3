#include "tests/longplay/ProcessUsage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's runtime count of live heap bytes (its allocator's
// interface; GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace longplay
{

namespace
{

QByteArray procFile(pid_t pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A "Name:   value" line of /proc/<pid>/status.
qint64 statusField(const QByteArray &status, const QByteArray &name)
{
    for (const QByteArray &line : status.split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The fields of /proc/<pid>/stat after the command name: state, parent, ….
QList<QByteArray> statFields(const QByteArray &stat)
{
    const qsizetype end = stat.lastIndexOf(')');
    return end < 0 ? QList<QByteArray>() : stat.mid(end + 2).split(' ');
}

int childrenOf(pid_t pid)
{
    int children = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const int other = entry.toInt(&isNumber);
        if (isNumber && statFields(procFile(other, "stat")).value(1).toInt() == pid)
            ++children;
    }
    return children;
}

} // namespace

QString ProcessUsage::toString() const
{
    return QStringLiteral("%1 descriptors, %2 threads, %3 children, %4 KiB resident")
        .arg(descriptors)
        .arg(threads)
        .arg(children)
        .arg(residentKiB);
}

ProcessUsage usageOf(pid_t pid)
{
    ProcessUsage usage;
    usage.descriptors = int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                                .entryList(QDir::NoDotAndDotDot | QDir::System)
                                .size());
    const QByteArray status = procFile(pid, "status");
    usage.threads = int(statusField(status, "Threads"));
    usage.residentKiB = statusField(status, "VmRSS");
    usage.children = childrenOf(pid);
    return usage;
}

qint64 liveHeapBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}

int entriesIn(const QByteArray &folder)
{
    int entries = 0;
    QDirIterator it(QFile::decodeName(folder),
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++entries;
    }
    return entries;
}

bool processRuns(qint64 pid)
{
    const QList<QByteArray> fields = statFields(procFile(pid_t(pid), "stat"));
    return !fields.isEmpty() && fields[0] != "Z" && fields[0] != "X";
}

} // namespace longplay
