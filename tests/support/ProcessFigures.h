#pragma once
// Figures of a running process as the kernel counts them, for benchmarks that start
// the programs they measure, and the shared form of a printed figure.

#include <QtGlobal>

#include <optional>
#include <vector>

namespace tunelet::testkit
{

// CPU time (user and system) of all threads of a process, in nanoseconds: the sum of
// /proc/<pid>/task/*/schedstat. Threads that have already ended are not counted.
qint64 processCpuNanos(qint64 pid);

// Context switches (voluntary and not) of all threads of a process, as counted in
// /proc/<pid>/task/*/status: about how often its threads woke up.
qint64 processContextSwitches(qint64 pid);

// Memory of a process from /proc/<pid>/smaps_rollup, in KiB.
struct MemoryFigures {
    double pss = 0;        // proportional set size: shared pages divided among their users
    double privateKiB = 0; // pages no other process maps (clean and dirty)
    double rss = 0;
};
std::optional<MemoryFigures> processMemory(qint64 pid);

double median(std::vector<double> values);

// Prints "name: value unit" and flushes, so figures appear while the program runs.
void report(const char *name, double value, const char *unit);

} // namespace tunelet::testkit
