#include "tests/support/SessionBus.h"

#include <QDeadlineTimer>
#include <QFile>

namespace
{

// A session bus that only lets the user's own programs talk to each other.
// Its socket is an abstract one: nothing is left in the folder when it ends.
const char *const Config =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

SessionBus::SessionBus() = default;

SessionBus::~SessionBus()
{
    if (!m_session || m_session->state() == QProcess::NotRunning)
        return;
    // The end of the pipe ends the session's command, and the session then
    // ends its bus.
    m_session->closeWriteChannel();
    if (!m_session->waitForFinished(5000)) {
        m_session->kill();
        m_session->waitForFinished(3000);
    }
}

bool SessionBus::start(QString *error)
{
    const QString configPath = m_dir.filePath(QStringLiteral("session.conf"));
    QFile config(configPath);
    if (!m_dir.isValid() || !config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(Config).arg(m_dir.path()).toUtf8()) < 0) {
        *error = QStringLiteral("cannot write the bus configuration");
        return false;
    }
    config.close();

    m_session = std::make_unique<QProcess>();
    m_session->setProcessChannelMode(QProcess::SeparateChannels);
    m_session->start(QStringLiteral("dbus-run-session"),
                     {QStringLiteral("--config-file=") + configPath, QStringLiteral("--"),
                      QStringLiteral("sh"), QStringLiteral("-c"),
                      QStringLiteral("echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat >/dev/null")});
    if (!m_session->waitForStarted(5000)) {
        *error = QStringLiteral("dbus-run-session did not start: ") + m_session->errorString();
        return false;
    }
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!out.contains('\n') && !deadline.hasExpired() &&
           m_session->state() == QProcess::Running) {
        m_session->waitForReadyRead(200);
        out += m_session->readAllStandardOutput();
    }
    m_address = QString::fromUtf8(out).trimmed();
    if (m_address.isEmpty()) {
        *error = QStringLiteral("the session bus told no address: ") +
                 QString::fromUtf8(m_session->readAllStandardError());
        return false;
    }
    return true;
}
