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
    // Catches the signals from now on, before any Qt object exists: what
    // arrives is kept in the pipe until a notifier delivers it. Meant for the
    // first line of main(), so that a signal during start-up is neither lost
    // nor fatal. False when the pipe or a handler could not be set up.
    static bool catchEarly(const QList<int> &signalNumbers);

    // Catches the signals (if catchEarly has not already) and delivers them,
    // and those kept since catchEarly, from the event loop.
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
    bool m_active = false;
};

} // namespace tunelet
