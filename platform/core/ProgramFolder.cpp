#include "platform/core/ProgramFolder.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"

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

} // namespace

QByteArray executablePath()
{
    if (QCoreApplication::instance())
        return QFile::encodeName(QCoreApplication::applicationFilePath());
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

QByteArray executableFolder()
{
    return folderPart(executablePath());
}

QByteArray chooseProgramFolder(const QByteArray &tuneletHome, const QByteArray &exeFolder,
                               bool exeFolderWritable, const QByteArray &xdgConfigHome,
                               const QByteArray &home)
{
    if (!tuneletHome.isEmpty())
        return withTrailingSlash(tuneletHome);
    if (!exeFolder.isEmpty() && exeFolderWritable)
        return withTrailingSlash(exeFolder);
    const QByteArray config =
        xdgConfigHome.startsWith('/') ? xdgConfigHome : withTrailingSlash(home) + ".config";
    return withTrailingSlash(config) + "tunelet/";
}

QByteArray programFolder()
{
    const QByteArray exeFolder = executableFolder();
    const bool writable = !exeFolder.isEmpty() && ::access(exeFolder.constData(), W_OK | X_OK) == 0;
    const QByteArray folder = chooseProgramFolder(qgetenv("TUNELET_HOME"), exeFolder, writable,
                                                  qgetenv("XDG_CONFIG_HOME"), qgetenv("HOME"));
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
    const QByteArray installed = executableFolder() + TUNELET_DATA_FROM_PROGRAM "/tunelet.html";
    if (isExistingFile(installed))
        return installed;
    return local;
}

} // namespace tunelet
