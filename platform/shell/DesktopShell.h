#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace tunelet
{

// What the main window asks of the desktop: open a file with the application
// the desktop chooses for it, start another program, find a program. An
// interface so that tests can record what would be opened or started.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;

    // Opens a local file (a text file, an HTML page) with the desktop's
    // default application for its type. True when the desktop took it.
    virtual bool openFile(const QByteArray &path) = 0;
    // Starts program detached, with exactly these arguments (no shell, no
    // splitting), in the current working folder. True when it was started.
    virtual bool startProgram(const QByteArray &program, const QByteArrayList &arguments) = 0;
    // The full path of the first of names that is an executable on PATH, or
    // empty when none is.
    virtual QByteArray findProgram(const QByteArrayList &names) const = 0;
};

} // namespace tunelet
