#pragma once

#include "platform/process/ProcessLauncher.h"
#include "platform/process/SystemProcessLauncher.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QMap>

#include <chrono>
#include <functional>
#include <optional>

// Helpers shared by the fault and hostile-input tests.
namespace faults
{

// The folder of the built programs and libraries (TUNELET_BIN_DIR), without
// a trailing '/'; empty when unset.
QByteArray binDir();

// Makes the folder (and those above it); returns it with a trailing '/'.
QByteArray makeFolder(const QByteArray &path);

// Removes a folder and everything in it, whatever bytes the names hold (a
// name that is no valid text defeats QDir and QTemporaryDir).
void removeTree(const QByteArray &folder);

// Writes an executable shell script.
bool writeScript(const QByteArray &path, const QByteArray &body);

// The process has ended (gone, or a zombie nobody reaps).
bool processEnded(qint64 pid);
// Sends the signal when the process still runs.
void signalProcess(qint64 pid, int signal);

// The real launcher, with every converter run bounded by at most `cap`, so a
// converter that never ends costs the test seconds rather than a minute. The
// bound Tunelet asked for is recorded.
class CappedLauncher final : public tunelet::ProcessLauncher
{
public:
    explicit CappedLauncher(std::chrono::milliseconds cap) : m_cap(cap) {}
    Q_DISABLE_COPY_MOVE(CappedLauncher)

    bool startDetached(const QByteArray &program, const QString &parameters,
                       const QByteArray &folder) override;
    tunelet::RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                                   const QByteArray &folder, std::chrono::milliseconds bound,
                                   const std::function<void()> &whileRunning) override;
    std::unique_ptr<tunelet::ProcessHandle> takeStarted() override { return m_real.takeStarted(); }

    const QList<qint64> &startedIds() const { return m_real.startedIds(); }
    std::chrono::milliseconds askedBound() const { return m_askedBound; }
    // Ends every program started detached, by its id.
    void killStarted();
    // Ends them and waits, events running, until each has ended; false when one
    // outlived the wait.
    bool endStarted(std::chrono::milliseconds wait = std::chrono::seconds(10));

private:
    tunelet::SystemProcessLauncher m_real;
    std::chrono::milliseconds m_cap;
    std::chrono::milliseconds m_askedBound{0};
};

// Every file under root, by path relative to root, with its content (a
// symbolic link as "-> target", a folder as "/"); `skip` names top-level
// entries left out.
QMap<QByteArray, QByteArray> snapshot(const QByteArray &root, const QByteArrayList &skip = {});

// Runs work in a forked child that may write no more than limitBytes into
// any file (a write past it fails with EFBIG, as on a full disk) and returns
// what work returned; nothing when the child did not end normally.
std::optional<QByteArray> inChildWithFileSizeLimit(qint64 limitBytes,
                                                   const std::function<QByteArray()> &work);

// Peak memory of this process in KiB. resetPeak() starts a new peak where
// the system allows it (else the peak so far stays).
void resetPeak();
qint64 peakKiB();
// The peak follows a fresh 16 MiB that is touched and let go: the meter can
// see growth (a check of the measurement itself).
bool peakMeterSeesGrowth();

// Writes `size` bytes made of `head` followed by repeats of `fill`, in
// pieces, so that the test itself never holds the whole file.
bool writeLargeFile(const QByteArray &path, const QByteArray &head, char fill, qint64 size);

} // namespace faults
