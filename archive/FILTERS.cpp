#include "FILTERS.h"

#include "ArchiverTypes.h"
#include "DoubleByteText.h"

#include <QFile>

namespace filters
{

QByteArray ExtractFileName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray ChangeFileExt(const QByteArray &path, const QByteArray &ext)
{
    const qsizetype nameStart = path.lastIndexOf('/') + 1;
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype end = dot >= nameStart ? dot : path.size();
    return path.left(end) + ext;
}

QByteArray JoinFolderAndName(const QByteArray &folder, const QByteArray &name)
{
    if (folder.endsWith('/') || doublebyte::endsWithBackslash(folder))
        return folder + name;
    return folder + '/' + name;
}

QByteArray SelfExtractorName(const QByteArray &archive, const QByteArray &destDir)
{
    const QByteArray name = ChangeFileExt(archive, ".EXE");
    if (destDir.isEmpty() || isNulString(destDir))
        return name;
    return JoinFolderAndName(destDir, ExtractFileName(name));
}

namespace
{
void copyAll(QFile &from, QFile &to)
{
    char buffer[65536];
    for (;;) {
        const qint64 n = from.read(buffer, sizeof buffer);
        if (n < 0)
            throw EInOutError(from.errorString().toStdString());
        if (n == 0)
            return;
        if (to.write(buffer, n) != n)
            throw EInOutError(to.errorString().toStdString());
    }
}
} // namespace

void WriteSelfExtractor(const QByteArray &stub, const QByteArray &archive, const QByteArray &target)
{
    QFile archiveFile(QFile::decodeName(archive));
    if (!archiveFile.open(QIODevice::ReadOnly))
        throw EFOpenError(archive);
    QFile targetFile(QFile::decodeName(target));
    if (!targetFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFCreateError(target);
    try {
        QFile stubFile(QFile::decodeName(stub));
        if (!stubFile.open(QIODevice::ReadOnly))
            throw EFOpenError(stub);
        copyAll(stubFile, targetFile);
        copyAll(archiveFile, targetFile);
        if (!targetFile.flush())
            throw EInOutError(targetFile.errorString().toStdString());
    } catch (...) {
        targetFile.close();
        targetFile.remove();
        throw;
    }
}

} // namespace filters
