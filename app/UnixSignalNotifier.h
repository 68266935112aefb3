#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

namespace tunelet
{

// Turns Unix signals (SIGTERM, SIGINT, SIGHUP...) into a Qt signal on the GUI
// thread. The handler only writes the signal number into a pipe (the
// self-pipe trick); a socket notifier reads it back in the event loop, where
// any code may run. One instance per process.
class UnixSignalNotifier final : public QObject
{
    Q_OBJECT

public:
    explicit UnixSignalNotifier(const QList<int> &signalNumbers, QObject *parent = nullptr);
    ~UnixSignalNotifier() override;
    Q_DISABLE_COPY_MOVE(UnixSignalNotifier)

    // False when the pipe or a handler could not be set up.
    bool isActive() const { return m_active; }

signals:
    void signalReceived(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
    QList<int> m_signals;
    bool m_active = false;
    bool m_ownsPipe = false;
};

} // namespace tunelet
