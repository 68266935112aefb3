#include "process/systemprocesslauncher.h"

#include "core/textcodec.h"

#include <QElapsedTimer>
#include <QProcess>

namespace tunelet
{

bool SystemProcessLauncher::startDetached(const QByteArray &program, const QString &parameters,
                                          const QByteArray &folder)
{
    const QStringList arguments = QProcess::splitCommand(parameters);
    qint64 pid = 0;
    const bool started =
        QProcess::startDetached(pathToQString(program), arguments, pathToQString(folder), &pid);
    if (started)
        m_started << pid;
    return started;
}

RunOutcome SystemProcessLauncher::runAndWait(const QByteArray &program, const QByteArray &argument,
                                             const QByteArray &folder,
                                             std::chrono::milliseconds bound,
                                             const std::function<void()> &whileRunning)
{
    QProcess process;
    process.setProgram(pathToQString(program));
    process.setArguments({pathToQString(argument)});
    process.setWorkingDirectory(pathToQString(folder));
    // The converter's messages go where Tunelet's own go.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1))
        return {RunOutcome::Status::FailedToStart, -1};

    // waitForFinished blocks in the system's wait without running the event
    // loop: no timer or input is handled until the program has ended.
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        if (whileRunning)
            whileRunning();
        if (process.waitForFinished(WaitSliceMs))
            break;
        if (clock.elapsed() >= bound.count()) {
            process.kill();
            process.waitForFinished(-1);
            return {RunOutcome::Status::TimedOut, -1};
        }
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {RunOutcome::Status::Crashed, -1};
    return {RunOutcome::Status::Finished, process.exitCode()};
}

} // namespace tunelet
