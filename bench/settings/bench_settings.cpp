// Settings-file benchmark: storing a whole set of keys at exit, one synced
// rewrite per key against one rewrite for all of them.
#include "platform/core/IniFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace tunelet;

namespace
{
constexpr int kKeys = 31; // as many keys as the main window stores at exit
constexpr int kRuns = 7;

QList<IniEntry> exitEntries()
{
    static const char *const sections[] = {"Window", "File", "Setting"};
    QList<IniEntry> entries;
    for (int i = 0; i < kKeys; ++i)
        entries << IniEntry{sections[i % 3], "Key" + QByteArray::number(i),
                            QByteArray::number(i * 37)};
    return entries;
}

// The median of kRuns timings, each on a fresh file, in milliseconds.
double medianMillis(const std::function<void(IniFile &)> &work)
{
    QList<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QTemporaryDir dir;
        IniFile ini(QFile::encodeName(dir.filePath(QStringLiteral("tunelet.ini"))));
        ini.writeInteger("Software", "Version", 105);
        QElapsedTimer timer;
        timer.start();
        work(ini);
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times[kRuns / 2];
}

void report(const char *name, double value, const char *unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QList<IniEntry> entries = exitEntries();
    const double single = medianMillis([&](IniFile &ini) {
        for (const IniEntry &e : entries)
            ini.writeString(e.section, e.key, e.value);
    });
    const double batch = medianMillis([&](IniFile &ini) { ini.writeStrings(entries); });
    report("settings_exit_write_key_by_key", single, "ms");
    report("settings_exit_write_batch", batch, "ms");
    report("settings_exit_write_batch_speedup", single / std::max(batch, 1e-6), "x");
    return 0;
}
