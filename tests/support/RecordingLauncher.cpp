#include "tests/support/RecordingLauncher.h"

namespace tunelet::testkit
{

QStringList RecordingLauncher::parameters() const
{
    QStringList result;
    for (const Started &start : m_started)
        result << start.parameters;
    return result;
}

bool RecordingLauncher::startDetached(const QByteArray &program, const QString &parameters,
                                      const QByteArray &folder)
{
    m_started.append({program, parameters, folder});
    return m_startSucceeds;
}

tunelet::RunOutcome RecordingLauncher::runAndWait(const QByteArray &program,
                                                  const QByteArray &argument,
                                                  const QByteArray &folder,
                                                  std::chrono::milliseconds,
                                                  const std::function<void()> &whileRunning)
{
    const Run run{program, argument, folder};
    m_runs.append(run);
    if (m_runStatus == tunelet::RunOutcome::Status::FailedToStart)
        return {m_runStatus, -1};
    whileRunning();
    whileRunning();
    if (m_onRun)
        m_onRun(run);
    return {m_runStatus, m_runStatus == tunelet::RunOutcome::Status::Finished ? 0 : -1};
}

} // namespace tunelet::testkit
