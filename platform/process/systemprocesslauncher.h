#pragma once

#include "process/processlauncher.h"

#include <QList>

namespace tunelet
{

// The real launcher on QProcess; a program whose arguments (or path or
// folder) hold bytes that are no UTF-8 is started by a fork and exec of its
// own, as QProcess passes arguments as text.
class SystemProcessLauncher final : public ProcessLauncher
{
public:
    // How long one slice of a wait lasts; whileRunning runs between slices.
    static constexpr int WaitSliceMs = 100;

    SystemProcessLauncher() = default;
    Q_DISABLE_COPY_MOVE(SystemProcessLauncher)

    bool startDetached(const QByteArray &program, const QString &parameters,
                       const QByteArray &folder) override;
    RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                          const QByteArray &folder, std::chrono::milliseconds bound,
                          const std::function<void()> &whileRunning) override;

    // The process ids of the programs started detached, in order (so that a
    // test harness can end them).
    const QList<qint64> &startedIds() const { return m_started; }

private:
    QList<qint64> m_started;
};

} // namespace tunelet
