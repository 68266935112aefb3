#pragma once

#include "platform/process/ProcessLauncher.h"

#include <QList>

namespace tunelet
{

// The real launcher. The player is started by a fork and exec of its own:
// arguments, path and folder are handed over byte for byte (QProcess passes
// text), and a start that fails says why. The converter runs on QProcess,
// or the same fork and exec when its names are no UTF-8.
class SystemProcessLauncher final : public ProcessLauncher
{
public:
    // How long one slice of a wait lasts; whileRunning runs between slices.
    static constexpr int WaitSliceMs = 100;

    // recordStarted: keep the ids of the programs started detached (for a
    // test harness that must end them); a jukebox playing for days keeps none.
    explicit SystemProcessLauncher(bool recordStarted = true) : m_recordStarted(recordStarted) {}
    Q_DISABLE_COPY_MOVE(SystemProcessLauncher)

    bool startDetached(const QByteArray &program, const QString &parameters,
                       const QByteArray &folder) override;
    RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                          const QByteArray &folder, std::chrono::milliseconds bound,
                          const std::function<void()> &whileRunning) override;
    std::unique_ptr<ProcessHandle> takeStarted() override { return std::move(m_lastStarted); }
    int lastStartError() const override { return m_lastStartError; }

    // The process ids of the programs started detached, in order (so that a
    // test harness can end them).
    const QList<qint64> &startedIds() const { return m_started; }

private:
    RunOutcome runAndWaitBytes(const QByteArray &program, const QByteArray &argument,
                               const QByteArray &folder, std::chrono::milliseconds bound,
                               const std::function<void()> &whileRunning);

    bool m_recordStarted;
    int m_lastStartError = 0;
    QList<qint64> m_started;
    std::unique_ptr<ProcessHandle> m_lastStarted;
};

} // namespace tunelet
