#include "tests/support/XSession.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace
{

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
    // A loaded machine may be slow to bring up the server; a server that
    // fails is ended and started afresh.
    QStringList failures;
    for (int attempt = 0; attempt < 3 && m_display.isEmpty(); ++attempt) {
        QString why;
        if (startServer(&why))
            break;
        failures << QStringLiteral("attempt %1: %2").arg(attempt + 1).arg(why);
        endProcess(m_xvfb.get());
        m_xvfb.reset();
    }
    if (m_display.isEmpty()) {
        *error = failures.join(QStringLiteral("; "));
        return false;
    }
    // Without a window manager the session still works: windows are focused
    // directly, and closing must go through the program's own menu.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString why;
        if (startWindowManager(&why)) {
            m_windowManagerProblem.clear();
            break;
        }
        m_windowManagerProblem +=
            (m_windowManagerProblem.isEmpty() ? QString() : QStringLiteral("; ")) + why;
        endProcess(m_wm.get());
        m_wm.reset();
    }
    if (!hasWindowManager())
        qWarning("running without a window manager: %s", qPrintable(m_windowManagerProblem));
    return true;
}

bool XSession::startServer(QString *error)
{
    // Xvfb picks the first display it can really listen on (its lock file and
    // both of its sockets free) and writes the number to its standard output,
    // so the session never talks to somebody else's server.
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setProcessChannelMode(QProcess::SeparateChannels);
    m_xvfb->setStandardErrorFile(m_logDir.filePath(QStringLiteral("xvfb.log")));
    m_xvfb->start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    if (!m_xvfb->waitForStarted(5000)) {
        *error = QStringLiteral("Xvfb did not start: ") + m_xvfb->errorString();
        return false;
    }
    QByteArray out;
    QDeadlineTimer deadline(20000);
    while (!out.contains('\n') && !deadline.hasExpired() && m_xvfb->state() == QProcess::Running) {
        m_xvfb->waitForReadyRead(200);
        out += m_xvfb->readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        *error = QStringLiteral("Xvfb named no display (%1): %2")
                     .arg(describe(m_xvfb.get()), log("xvfb.log"));
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

bool XSession::startWindowManager(QString *error)
{
    m_wm = std::make_unique<QProcess>();
    m_wm->setProcessEnvironment(environment());
    m_wm->setStandardOutputFile(QProcess::nullDevice());
    m_wm->setStandardErrorFile(m_logDir.filePath(QStringLiteral("openbox.log")));
    m_wm->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_wm->waitForStarted(5000)) {
        *error = QStringLiteral("openbox did not start: ") + m_wm->errorString();
        return false;
    }
    // The window manager is ready once it has claimed the root window.
    QString probe, probeErrors;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        probe = run(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")}, 10000,
                    &probeErrors);
        if (probe.contains(QStringLiteral("window id")))
            return true;
        if (m_wm->waitForFinished(100)) // gone: no point in waiting on
            break;
    }
    *error = QStringLiteral("openbox did not come up on %1 (%2; xprop said \"%3\"): %4")
                 .arg(m_display, describe(m_wm.get()), probe + probeErrors, log("openbox.log"));
    return false;
}

QString XSession::log(const char *name) const
{
    QFile file(m_logDir.filePath(QString::fromLatin1(name)));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no log)");
    return QString::fromLocal8Bit(file.readAll().right(2000)).trimmed();
}

QString XSession::describe(QProcess *process)
{
    if (process->state() != QProcess::NotRunning)
        return QStringLiteral("still running");
    return process->exitStatus() == QProcess::CrashExit
               ? QStringLiteral("crashed")
               : QStringLiteral("exited with %1").arg(process->exitCode());
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

QString XSession::run(const QString &program, const QStringList &args, int timeoutMs,
                      QString *errors) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    if (errors)
        *errors = QString::fromUtf8(p.readAllStandardError()).trimmed();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QStringList XSession::searchByName(const QString &regex) const
{
    return search({QStringLiteral("--name"), regex});
}

QStringList XSession::searchByClass(const QString &regex) const
{
    return search({QStringLiteral("--class"), regex});
}

QStringList XSession::search(const QStringList &criteria) const
{
    // A window that goes away while xdotool walks the tree (a player
    // closing, a menu) makes the whole search fail with BadWindow and find
    // nothing; the search is then made again.
    QString out, errors;
    for (int attempt = 0; attempt < 10; ++attempt) {
        out = run(QStringLiteral("xdotool"),
                  QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible")} + criteria,
                  10000, &errors);
        if (!errors.contains(QStringLiteral("BadWindow")))
            break;
    }
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString XSession::windowName(const QString &id) const
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
}

void XSession::activate(const QString &id) const
{
    // Activation is a request to the window manager; without one the input
    // focus is set directly.
    run(QStringLiteral("xdotool"),
        {hasWindowManager() ? QStringLiteral("windowactivate") : QStringLiteral("windowfocus"),
         QStringLiteral("--sync"), id});
}

void XSession::key(const QString &id, const QString &keys) const
{
    // Keys go through XTEST to the focused window, as a user's would.
    activate(id);
    run(QStringLiteral("xdotool"),
        {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

bool XSession::screenshot(const QString &id, const QString &pngPath) const
{
    run(QStringLiteral("import"), {QStringLiteral("-window"), id, pngPath}, 20000);
    return QFileInfo(pngPath).size() > 0;
}

QString XSession::waitForWindow(const QString &regex, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QStringList ids = searchByName(regex);
        if (!ids.isEmpty())
            return ids.first();
        QTest::qWait(100);
    }
    return {};
}

QString XSession::waitForName(const QString &id, const std::function<bool(const QString &)> &accept,
                              int timeoutMs, QStringList *seen) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString name = windowName(id);
        if (seen && (seen->isEmpty() || seen->last() != name))
            seen->append(name);
        if (accept(name))
            return name;
        QTest::qWait(40);
    }
    return {};
}
