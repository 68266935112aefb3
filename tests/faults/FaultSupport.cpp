#include "tests/faults/FaultSupport.h"

#include "platform/core/BytePath.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace faults
{

QByteArray binDir()
{
    return qgetenv("TUNELET_BIN_DIR");
}

QByteArray makeFolder(const QByteArray &path)
{
    QDir().mkpath(QFile::decodeName(path));
    return path.endsWith('/') ? path : path + '/';
}

void removeTree(const QByteArray &folder)
{
    ::nftw(
        folder.constData(),
        [](const char *path, const struct stat *, int, struct FTW *) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

bool writeScript(const QByteArray &path, const QByteArray &body)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = "#!/bin/sh\n" + body + "\n";
    if (file.write(text) != text.size())
        return false;
    file.close();
    return ::chmod(path.constData(), 0755) == 0;
}

bool processEnded(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    // "pid (name) S ...": the state follows the last ')'.
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z" || line.mid(close + 2, 1) == "X";
}

void signalProcess(qint64 pid, int signal)
{
    if (pid > 0 && !processEnded(pid))
        ::kill(pid_t(pid), signal);
}

bool CappedLauncher::startDetached(const QByteArray &program, const QString &parameters,
                                   const QByteArray &folder)
{
    return m_real.startDetached(program, parameters, folder);
}

tunelet::RunOutcome CappedLauncher::runAndWait(const QByteArray &program,
                                               const QByteArray &argument, const QByteArray &folder,
                                               std::chrono::milliseconds bound,
                                               const std::function<void()> &whileRunning)
{
    m_askedBound = bound;
    return m_real.runAndWait(program, argument, folder, std::min(bound, m_cap), whileRunning);
}

void CappedLauncher::killStarted()
{
    for (const qint64 pid : m_real.startedIds()) {
        // A stopped player must run again to die of anything but SIGKILL;
        // SIGKILL ends it either way.
        signalProcess(pid, SIGKILL);
    }
}

bool CappedLauncher::endStarted(std::chrono::milliseconds wait)
{
    killStarted();
    const QDeadlineTimer deadline(wait);
    for (const qint64 pid : m_real.startedIds())
        if (!QTest::qWaitFor([pid] { return processEnded(pid); }, int(deadline.remainingTime())))
            return false;
    return true;
}

QMap<QByteArray, QByteArray> snapshot(const QByteArray &root, const QByteArrayList &skip)
{
    QMap<QByteArray, QByteArray> entries;
    const QString base = QFile::decodeName(root.endsWith('/') ? root : root + '/');
    QDirIterator it(base, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QByteArray relative = QFile::encodeName(it.filePath().mid(base.size()));
        const QByteArray top = relative.left(relative.indexOf('/'));
        if (skip.contains(top) || skip.contains(relative))
            continue;
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            entries.insert(relative, "-> " + QFile::encodeName(info.symLinkTarget()));
        } else if (info.isDir()) {
            entries.insert(relative, "/");
        } else {
            QFile file(it.filePath());
            entries.insert(relative, file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
        }
    }
    return entries;
}

std::optional<QByteArray> inChildWithFileSizeLimit(qint64 limitBytes,
                                                   const std::function<QByteArray()> &work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(fds[0]);
        // Past the limit a write fails instead of ending the process.
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
        };
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(limitBytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const QByteArray report = work();
        const ssize_t written = ::write(fds[1], report.constData(), size_t(report.size()));
        // No exit handlers: the parent owns everything else this process shares.
        ::_exit(written == report.size() ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return report;
}

void resetPeak()
{
    // Linux resets VmHWM to the current resident size on "5".
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    struct rusage usage {
    };
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool peakMeterSeesGrowth()
{
    constexpr qint64 Size = 16 * 1024 * 1024;
    resetPeak();
    const qint64 before = peakKiB();
    {
        QByteArray block(Size, 'x');
        volatile char sink = block.at(Size - 1);
        (void)sink;
    }
    return peakKiB() - before >= Size / 1024 / 2;
}

bool writeLargeFile(const QByteArray &path, const QByteArray &head, char fill, qint64 size)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (file.write(head) != head.size())
        return false;
    const QByteArray piece(1024 * 1024, fill);
    for (qint64 left = size - head.size(); left > 0;) {
        const qint64 n = std::min<qint64>(left, piece.size());
        if (file.write(piece.constData(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

} // namespace faults
