#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// What a process holds, read from /proc: the counts a long run must not grow.
namespace longplay
{

struct ProcessUsage {
    int descriptors = 0;
    int threads = 0;
    int children = 0; // running or ended but not reaped
    qint64 residentKiB = 0;

    QString toString() const;
};

ProcessUsage usageOf(pid_t pid);

// Bytes the allocator has handed out and not taken back in this process
// (under AddressSanitizer its own count, which leaves its quarantine out).
qint64 liveHeapBytes();

// Entries in a folder (recursively, folders counted too); 0 when missing.
int entriesIn(const QByteArray &folder);

// The process runs (it exists and is no zombie).
bool processRuns(qint64 pid);

} // namespace longplay
