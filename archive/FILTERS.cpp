#include "archive/FILTERS.h"

#include "archive/ArchiverPaths.h"
#include "archive/ArchiverTypes.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"

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
    const QByteArray dir = SeparatorsAsSlashes(folder);
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

QByteArray SelfExtractorName(const QByteArray &archive, const QByteArray &destDir)
{
    const QByteArray name = ChangeFileExt(SeparatorsAsSlashes(archive), ".EXE");
    if (destDir.isEmpty() || isNulString(destDir))
        return name;
    return JoinFolderAndName(destDir, ExtractFileName(name));
}

namespace
{
void copyAll(tunelet::SequentialFile &from, tunelet::AtomicFileWriter &to)
{
    char buffer[65536];
    for (;;) {
        const qint64 n = from.read(buffer, sizeof buffer);
        if (n < 0)
            throw EInOutError(QStringLiteral("a read failed"));
        if (n == 0)
            return;
        QString error;
        if (!to.write(QByteArrayView(buffer, n), &error))
            throw EInOutError(error);
    }
}
} // namespace

void WriteSelfExtractor(const QByteArray &stub, const QByteArray &archive, const QByteArray &target)
{
    const QByteArray archiveFile = SeparatorsAsSlashes(archive);
    if (ExpandFileName(archiveFile) == ExpandFileName(target)) {
        throw EArchiver(QStringLiteral("自己解凍書庫 %1 は書庫と同じ名前になるため作成できません。")
                            .arg(tunelet::decodeText(target))
                            .toUtf8());
    }
    tunelet::SequentialFile archiveIn;
    if (!archiveIn.open(archiveFile))
        throw EFOpenError(archive);
    // The new file replaces the old one only once it is whole.
    tunelet::AtomicFileWriter out(target);
    if (!out.open())
        throw EFCreateError(target);
    tunelet::SequentialFile stubIn;
    if (!stubIn.open(stub))
        throw EFOpenError(stub);
    copyAll(stubIn, out);
    copyAll(archiveIn, out);
    QString error;
    if (!out.commit(&error))
        throw EInOutError(error);
}

} // namespace filters
