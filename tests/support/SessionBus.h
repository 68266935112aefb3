#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private D-Bus session bus for one test, started with dbus-run-session and
// a configuration of its own: no service is ever started on demand, so only
// the programs the test starts are on it. The bus ends with this object (and
// with the test process: the session waits on the test's pipe).
class SessionBus final
{
public:
    SessionBus();
    ~SessionBus();
    Q_DISABLE_COPY_MOVE(SessionBus)

    bool start(QString *error);
    // The value for DBUS_SESSION_BUS_ADDRESS.
    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_session;
    QString m_address;
};
