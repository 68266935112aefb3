#include "tests/support/ProcessFigures.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace tunelet::testkit
{

namespace
{

QByteArray readProcFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The value of a "Name:   123 kB" line.
double kibField(const QByteArray &text, const QByteArray &name)
{
    const qsizetype at = text.indexOf('\n' + name + ':');
    if (at < 0)
        return 0;
    const qsizetype start = at + name.size() + 2;
    const qsizetype end = text.indexOf('\n', start);
    return text.mid(start, end - start).trimmed().split(' ').value(0).toDouble();
}

// The sum of `value` over the given file of every thread of a process.
qint64 sumOverThreads(qint64 pid, const QString &file,
                      const std::function<qint64(const QByteArray &)> &value)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    qint64 total = 0;
    const QStringList ids = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &id : ids)
        total += value(readProcFile(tasks + QLatin1Char('/') + id + QLatin1Char('/') + file));
    return total;
}

} // namespace

qint64 processCpuNanos(qint64 pid)
{
    return sumOverThreads(pid, QStringLiteral("schedstat"), [](const QByteArray &line) {
        return line.split(' ').value(0).toLongLong();
    });
}

qint64 processContextSwitches(qint64 pid)
{
    return sumOverThreads(pid, QStringLiteral("status"), [](const QByteArray &text) {
        return qint64(kibField(text, "voluntary_ctxt_switches") +
                      kibField(text, "nonvoluntary_ctxt_switches"));
    });
}

std::optional<MemoryFigures> processMemory(qint64 pid)
{
    // The first line names the range, so every field follows a newline.
    const QByteArray text = readProcFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (text.isEmpty())
        return std::nullopt;
    MemoryFigures m;
    m.pss = kibField(text, "Pss");
    m.privateKiB = kibField(text, "Private_Clean") + kibField(text, "Private_Dirty");
    m.rss = kibField(text, "Rss");
    return m;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void report(const char *name, double value, const char *unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace tunelet::testkit
