#include "programfolder.h"

#include "bytefile.h"
#include "bytepath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

namespace tunelet
{

namespace
{
QByteArray withTrailingSlash(QByteArray folder)
{
    if (!folder.endsWith('/'))
        folder.append('/');
    return folder;
}

bool ensureFolder(const QByteArray &folder)
{
    return pathKind(folder) == PathKind::Directory || QDir().mkpath(QFile::decodeName(folder));
}

QByteArray configFolder()
{
    QByteArray base = qgetenv("XDG_CONFIG_HOME");
    if (base.isEmpty() || !base.startsWith('/'))
        base = withTrailingSlash(qgetenv("HOME")) + ".config";
    return withTrailingSlash(base) + "tunelet/";
}
} // namespace

QByteArray executablePath()
{
    if (QCoreApplication::instance())
        return QFile::encodeName(QCoreApplication::applicationFilePath());
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

QByteArray programFolder()
{
    const QByteArray home = qgetenv("TUNELET_HOME");
    if (!home.isEmpty()) {
        const QByteArray folder = withTrailingSlash(home);
        ensureFolder(folder);
        return folder;
    }
    const QByteArray exeFolder = folderPart(executablePath());
    if (!exeFolder.isEmpty() && ::access(exeFolder.constData(), W_OK | X_OK) == 0)
        return exeFolder;
    const QByteArray folder = configFolder();
    ensureFolder(folder);
    return folder;
}

QByteArray programFilePath(const QByteArray &name)
{
    return programFolder() + name;
}

QByteArray settingsFilePath()
{
    return programFolder() + replaceExtension(fileNamePart(executablePath()), ".ini");
}

QByteArray helpFilePath()
{
    const QByteArray local = programFilePath("tunelet.html");
    if (isExistingFile(local))
        return local;
    const QByteArray installed = QByteArray(TUNELET_INSTALL_DATADIR) + "/tunelet.html";
    if (isExistingFile(installed))
        return installed;
    return local;
}

} // namespace tunelet
