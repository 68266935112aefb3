#include "XSession.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

namespace {

void endProcess(QProcess *process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    endProcess(m_wm.get());
    endProcess(m_xvfb.get());
}

bool XSession::start(QString *error)
{
    // Take the first display number whose socket is free.
    for (int n = 90; n < 140; ++n) {
        if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
            QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        m_display = QStringLiteral(":%1").arg(n);
        m_xvfb = std::make_unique<QProcess>();
        m_xvfb->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_xvfb->start(QStringLiteral("Xvfb"), {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp")});
        if (!m_xvfb->waitForStarted(5000)) {
            *error = QStringLiteral("Xvfb did not start: ") + m_xvfb->errorString();
            return false;
        }
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() &&
               !QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
               m_xvfb->state() == QProcess::Running)
            QThread::msleep(50);
        if (m_xvfb->state() != QProcess::Running) {
            m_xvfb.reset();
            continue; // lost a race for that display; try the next one
        }
        break;
    }
    if (!m_xvfb) {
        *error = QStringLiteral("no free X display");
        return false;
    }
    m_wm = std::make_unique<QProcess>();
    m_wm->setProcessEnvironment(environment());
    m_wm->setStandardErrorFile(QProcess::nullDevice());
    m_wm->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_wm->waitForStarted(5000)) {
        *error = QStringLiteral("openbox did not start");
        return false;
    }
    // The window manager is ready once it has claimed the root window.
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id")))
            return true;
        QThread::msleep(100);
    }
    *error = QStringLiteral("openbox did not come up");
    return false;
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

QString XSession::run(const QString &program, const QStringList &args, int timeoutMs) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QStringList XSession::searchByName(const QString &regex) const
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                           QStringLiteral("--name"), regex})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString XSession::windowName(const QString &id) const
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
}

void XSession::activate(const QString &id) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
}

void XSession::key(const QString &id, const QString &keys) const
{
    // Keys go through XTEST to the focused window, as a user's would.
    activate(id);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

bool XSession::screenshot(const QString &id, const QString &pngPath) const
{
    run(QStringLiteral("import"), {QStringLiteral("-window"), id, pngPath}, 20000);
    return QFileInfo(pngPath).size() > 0;
}
