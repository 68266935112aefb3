#include "archive/FILTERS.h"

#include "archive/ArchiverPaths.h"
#include "archive/ArchiverTypes.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"

namespace filters
{

namespace
{
// Where the file-name part begins: after the last separator, '/' or a
// backslash the libraries read as one. Reading backslashes as '/' keeps every
// byte in its place, so the position holds for the path as written.
qsizetype nameStart(const QByteArray &path)
{
    return SeparatorsAsSlashes(path).lastIndexOf('/') + 1;
}
} // namespace

QByteArray ExtractFileName(const QByteArray &path)
{
    return path.mid(nameStart(path));
}

QByteArray ChangeFileExt(const QByteArray &path, const QByteArray &ext)
{
    const qsizetype dot = path.lastIndexOf('.');
    const qsizetype end = dot >= nameStart(path) ? dot : path.size();
    return path.left(end) + ext;
}

QByteArray JoinFolderAndName(const QByteArray &folder, const QByteArray &name)
{
    // A folder in the Windows form is joined as Windows joins it.
    const QByteArray slashed = SeparatorsAsSlashes(folder);
    if (slashed.endsWith('/'))
        return folder + name;
    return folder + (slashed != folder ? '\\' : '/') + name;
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
    const QByteArray targetFile = SeparatorsAsSlashes(target);
    if (ExpandFileName(archiveFile) == ExpandFileName(targetFile)) {
        throw EArchiver(QStringLiteral("自己解凍書庫 %1 は書庫と同じ名前になるため作成できません。")
                            .arg(tunelet::decodeText(target))
                            .toUtf8());
    }
    tunelet::SequentialFile archiveIn;
    if (!archiveIn.open(archiveFile))
        throw EFOpenError(archive);
    // The new file replaces the old one only once it is whole.
    tunelet::AtomicFileWriter out(targetFile);
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
