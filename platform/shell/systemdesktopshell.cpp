#include "systemdesktopshell.h"

#include "programsearch.h"

#include "core/bytefile.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace tunelet
{

bool SystemDesktopShell::openFile(const QByteArray &path)
{
    // A relative path is taken against the current folder, as the desktop
    // would not know where it is relative to.
    const QString absolute = QFileInfo(QFile::decodeName(path)).absoluteFilePath();
    return QDesktopServices::openUrl(QUrl::fromLocalFile(absolute));
}

bool SystemDesktopShell::startProgram(const QByteArray &program, const QByteArrayList &arguments)
{
    QStringList args;
    for (const QByteArray &argument : arguments)
        args << QFile::decodeName(argument);
    // A bare name that is a file here means that file, not a search of PATH.
    const QByteArray local =
        !program.contains('/') && isExistingFile(program) ? "./" + program : program;
    return QProcess::startDetached(QFile::decodeName(local), args);
}

QByteArray SystemDesktopShell::findProgram(const QByteArrayList &names) const
{
    return findFirstProgramOnPath(names);
}

} // namespace tunelet
