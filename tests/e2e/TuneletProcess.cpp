#include "tests/e2e/TuneletProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

TuneletProcess::~TuneletProcess()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(3000);
    }
}

bool TuneletProcess::start(const QString &home)
{
    m_process = std::make_unique<QProcess>();
    QProcessEnvironment env = m_x.environment();
    env.insert(QStringLiteral("TUNELET_HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->start(qEnvironmentVariable("TUNELET_BIN_DIR") + QStringLiteral("/tunelet"), {});
    if (!m_process->waitForStarted(10000))
        return false;
    m_window = waitForWindow(QStringLiteral("^Tunelet"));
    return !m_window.isEmpty();
}

bool TuneletProcess::close()
{
    // Alt+F4 asks the window to close through the window manager, as the
    // close box does; a key press missed while it settles is pressed again.
    for (int attempt = 0; attempt < 4 && m_process->state() != QProcess::NotRunning; ++attempt) {
        if (m_x.windowName(m_window).isEmpty())
            break;
        m_x.key(m_window, QStringLiteral("alt+F4"));
        if (m_process->waitForFinished(5000))
            break;
    }
    m_process->waitForFinished(20000);
    return m_process->state() == QProcess::NotRunning &&
           m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

QString TuneletProcess::waitForWindow(const QString &regex, int timeoutMs) const
{
    return m_x.waitForWindow(regex, timeoutMs);
}

QString TuneletProcess::waitForTitle(const std::function<bool(const QString &)> &accept,
                                     int timeoutMs) const
{
    return m_x.waitForName(m_window, accept, timeoutMs);
}

bool TuneletProcess::activate(const QString &id) const
{
    const auto active = [this] {
        return m_x.run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
    };
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && active() != id) {
        m_x.activate(id);
        QThread::msleep(100);
    }
    // Active, and it stays so: a window that was just mapped may still be
    // given the focus by the window manager a moment later.
    for (int check = 0; check < 5; ++check) {
        QThread::msleep(100);
        if (active() != id)
            return false;
    }
    return true;
}

QRect TuneletProcess::clientGeometry(const QString &id) const
{
    const QString info = m_x.run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    const auto number = [&info](const char *label) {
        const QRegularExpression pattern(QString::fromLatin1(label) +
                                         QStringLiteral(":\\s+(-?\\d+)"));
        return pattern.match(info).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                 number("Height"));
}

QRect TuneletProcess::frameGeometry(const QString &id) const
{
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QString extents = m_x.run(
        QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList parts = extents.section(QLatin1Char('='), 1).split(QLatin1Char(','));
    const QRect client = clientGeometry(id);
    if (parts.size() != 4)
        return client;
    return client.adjusted(-parts[0].trimmed().toInt(), -parts[2].trimmed().toInt(),
                           parts[1].trimmed().toInt(), parts[3].trimmed().toInt());
}
