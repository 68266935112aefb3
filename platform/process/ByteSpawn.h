#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <sys/types.h>

namespace tunelet
{

// Starting programs with arguments, path and folder handed over byte for
// byte, for names that are no UTF-8 text (QProcess passes text). program is
// a path; PATH is not searched. An empty folder is the current one.

// Starts program as a grandchild of this process in a session of its own, so
// it outlives Tunelet and never waits to be reaped by it. True, with its
// process id in *pid, once it has been executed; false with the system's
// reason (errno) in *error. With processDescriptor, a process file
// descriptor (pidfd, close-on-exec) that refers to the started program goes
// there, or -1 when the system gave none; it is opened while the program
// cannot yet have been reaped, so it never refers to another process.
bool spawnDetached(const QByteArray &program, const QByteArrayList &arguments,
                   const QByteArray &folder, qint64 *pid, int *error = nullptr,
                   int *processDescriptor = nullptr);

// Starts program as a child of this process with one argument; its process
// id (to be waited for), or -1 with the system's reason in *error when it
// could not be started.
pid_t spawnChild(const QByteArray &program, const QByteArray &argument, const QByteArray &folder,
                 int *error = nullptr);

// Waits until the child has ended and reaps it.
void reapChild(pid_t child);

} // namespace tunelet
