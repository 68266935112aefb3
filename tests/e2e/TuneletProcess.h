#pragma once

#include "tests/support/XSession.h"

#include <QProcess>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

// The real tunelet of the build, started in a program folder of its own under
// an X session, with the window-system reads the end-to-end tests make of it.
// The process is ended by its id when this goes away.
class TuneletProcess final
{
public:
    explicit TuneletProcess(const XSession &x) : m_x(x) {}
    ~TuneletProcess();
    Q_DISABLE_COPY_MOVE(TuneletProcess)

    // Starts tunelet with TUNELET_HOME and XDG_RUNTIME_DIR at home (ending in
    // '/') and waits for its main window; false when none came up.
    bool start(const QString &home);
    QString window() const { return m_window; }
    // Closes the window as a user does and waits for the program to end;
    // true when it ended normally.
    bool close();

    // The first visible window whose title matches, waited for; empty when none.
    QString waitForWindow(const QString &regex, int timeoutMs = 20000) const;
    // Waits until the window's title is accepted; the title, or empty.
    QString waitForTitle(const std::function<bool(const QString &)> &accept,
                         int timeoutMs = 20000) const;
    // Activates a window through the window manager and waits until it is
    // the active one; false when it could not be activated or did not stay
    // active for half a second.
    bool activate(const QString &id) const;
    // The window's outer frame: the client area as the X server places it,
    // grown by the frame the window manager reports (_NET_FRAME_EXTENTS).
    QRect frameGeometry(const QString &id) const;
    QRect clientGeometry(const QString &id) const;

private:
    const XSession &m_x;
    std::unique_ptr<QProcess> m_process;
    QString m_window;
};
