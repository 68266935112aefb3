#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A private X server (Xvfb) with a small window manager (openbox), and the
// xdotool/ImageMagick calls the end-to-end tests drive it with. Everything it
// starts is ended again by process id when it goes away.
class XSession final
{
public:
    XSession();
    ~XSession();
    Q_DISABLE_COPY_MOVE(XSession)

    // False when no X server could be started. A window manager that would
    // not come up leaves a session without one, with a warning on the test's
    // output; windowManagerProblem() says why.
    bool start(QString *error);
    bool hasWindowManager() const { return m_windowManagerProblem.isEmpty(); }
    QString windowManagerProblem() const { return m_windowManagerProblem; }
    QString display() const { return m_display; }
    QProcessEnvironment environment() const;

    // xdotool helpers; window ids are X window ids in decimal.
    QString run(const QString &program, const QStringList &args, int timeoutMs = 10000,
                QString *errors = nullptr) const;
    // Visible windows by name or by class (regular expressions).
    QStringList searchByName(const QString &regex) const;
    QStringList searchByClass(const QString &regex) const;
    QString windowName(const QString &id) const;
    void activate(const QString &id) const;
    void key(const QString &id, const QString &keys) const;
    bool screenshot(const QString &id, const QString &pngPath) const;

    // The first visible window whose name matches, waited for; empty when
    // none came up in time.
    QString waitForWindow(const QString &regex, int timeoutMs = 20000) const;
    // Waits until the window's name is accepted and returns it (empty after
    // the time-out); *seen collects the names it went through.
    QString waitForName(const QString &id, const std::function<bool(const QString &)> &accept,
                        int timeoutMs, QStringList *seen = nullptr) const;

private:
    QStringList search(const QStringList &criteria) const;
    bool startServer(QString *error);
    bool startWindowManager(QString *error);
    QString log(const char *name) const;
    static QString describe(QProcess *process);

    QTemporaryDir m_logDir; // the server's and window manager's own messages
    QString m_display;
    QString m_windowManagerProblem;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_wm;
};
