#include "platform/shell/SystemDesktopShell.h"

#include "platform/shell/ProgramSearch.h"

#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"
#include "platform/process/ByteSpawn.h"

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
    // A bare name that is a file here means that file, not a search of PATH.
    const bool here = !program.contains('/') && isExistingFile(program);
    const QByteArray local = here ? "./" + program : program;
    bool plainText = isValidUtf8(local);
    QStringList args;
    for (const QByteArray &argument : arguments) {
        plainText = plainText && isValidUtf8(argument);
        args << QString::fromUtf8(argument);
    }
    if (plainText)
        return QProcess::startDetached(QString::fromUtf8(local), args);
    // QProcess passes text: a data file named in Shift-JIS, say, is handed
    // over byte for byte by a start of our own (which needs a path).
    const QByteArray path = local.contains('/') ? local : findFirstProgramOnPath({local});
    qint64 pid = 0;
    return !path.isEmpty() && spawnDetached(path, arguments, {}, &pid);
}

QByteArray SystemDesktopShell::findProgram(const QByteArrayList &names) const
{
    return findFirstProgramOnPath(names);
}

} // namespace tunelet
