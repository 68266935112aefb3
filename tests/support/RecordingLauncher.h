#pragma once

#include "platform/process/ProcessLauncher.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tunelet::testkit
{

// Starts nothing: records the programs that would be started detached and the
// runs that would be waited for, and answers as told.
class RecordingLauncher final : public tunelet::ProcessLauncher
{
public:
    struct Started {
        QByteArray program;
        QString parameters;
        QByteArray folder;
    };
    struct Run {
        QByteArray program;
        QByteArray argument;
        QByteArray folder;
    };
    using RunHandler = std::function<void(const Run &)>;

    void setStartSucceeds(bool succeeds) { m_startSucceeds = succeeds; }
    // What lastStartError() tells after a failed start.
    void setStartError(int error) { m_startError = error; }
    void setRunStatus(tunelet::RunOutcome::Status status) { m_runStatus = status; }
    // Called while a run "runs", e.g. to write the converter's output.
    void setOnRun(RunHandler handler) { m_onRun = std::move(handler); }
    // The process the next detached start hands back (none by default).
    void setNextProcess(std::unique_ptr<tunelet::ProcessHandle> process)
    {
        m_nextProcess = std::move(process);
    }

    const QList<Started> &started() const { return m_started; }
    // The parameters of every detached start, in order.
    QStringList parameters() const;
    const QList<Run> &runs() const { return m_runs; }

    bool startDetached(const QByteArray &program, const QString &parameters,
                       const QByteArray &folder) override;
    // Waits two slices (whileRunning twice), then runs the handler.
    tunelet::RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                                   const QByteArray &folder, std::chrono::milliseconds bound,
                                   const std::function<void()> &whileRunning) override;
    int lastStartError() const override { return m_startError; }
    std::unique_ptr<tunelet::ProcessHandle> takeStarted() override
    {
        return std::move(m_nextProcess);
    }

private:
    bool m_startSucceeds = true;
    int m_startError = 0;
    tunelet::RunOutcome::Status m_runStatus = tunelet::RunOutcome::Status::Finished;
    RunHandler m_onRun;
    QList<Started> m_started;
    QList<Run> m_runs;
    std::unique_ptr<tunelet::ProcessHandle> m_nextProcess;
};

} // namespace tunelet::testkit
