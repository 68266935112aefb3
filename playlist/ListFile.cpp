#include "playlist/ListFile.h"

#include "playlist/EntryBuilder.h"
#include "playlist/PlaylistModel.h"

#include "playlist/RowBatch.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/FileErrors.h"
#include "platform/core/ResourceShortage.h"
#include "platform/core/TextCodec.h"
#include "platform/core/TextLines.h"

namespace tunelet
{

QString ListFileStatus::message() const
{
    switch (error) {
    case Error::None:
        return {};
    // When the system ran out of something (descriptors, disk space), a
    // second line says what.
    case Error::CannotOpen:
        return withShortage(fileOpenMessage(path), reason);
    case Error::CannotCreate:
        return withShortage(fileCreateMessage(path), reason);
    }
    return {};
}

QList<QByteArray> splitListText(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text = text.first(nul);
    QList<QByteArray> lines;
    for (const TextLine &line : splitTextLines(text))
        lines.append(line.text.toByteArray());
    return lines;
}

QByteArray joinListLines(const QList<QByteArray> &lines)
{
    qsizetype total = 0;
    for (const QByteArray &line : lines)
        total += line.size() + 2;
    QByteArray text;
    text.reserve(total);
    for (const QByteArray &line : lines) {
        text.append(line);
        text.append("\r\n");
    }
    return text;
}

ListFileStatus readListFile(const QByteArray &path, QList<QByteArray> *lines)
{
    ListFileStatus status;
    status.path = path;
    const std::optional<QByteArray> text = readWholeFile(path, &status.reason);
    if (!text) {
        status.error = ListFileStatus::Error::CannotOpen;
        return status;
    }
    status.reason.clear();
    *lines = splitListText(*text);
    return status;
}

ListFileStatus writeListFile(const QByteArray &path, const QList<QByteArray> &lines)
{
    ListFileStatus status;
    status.path = path;
    if (!writeFileAtomically(path, joinListLines(lines), &status.reason))
        status.error = ListFileStatus::Error::CannotCreate;
    return status;
}

QByteArray resolveListLine(QByteArrayView listFolder, const QByteArray &line)
{
    if (folderPart(line).isEmpty())
        return listFolder.toByteArray() + line;
    return line;
}

bool isListableExtension(QByteArrayView path)
{
    const QByteArray extension = lowerExtension(path);
    return extension == ".snr" || extension == ".txt" || extension == ".mid" || extension == ".lzh";
}

ListFileStatus LoadListFile(EntryBuilder &builder, const QByteArray &listPath)
{
    QList<QByteArray> lines;
    ListFileStatus status = readListFile(listPath, &lines);
    if (!status.ok())
        return status;
    builder.model().clear();
    const QByteArray folder = folderPart(listPath);
    // Each line is checked and its row built in order; the batch reads titles on
    // all cores and opens each data file once to learn that it exists.
    RowBatch batch(builder, RowBatch::Paths::ExistingOnly);
    try {
        for (const QByteArray &line : lines) {
            const QByteArray candidate = resolveListLine(folder, line);
            if (isListableExtension(candidate))
                batch.add(candidate);
        }
        batch.finish();
    } catch (...) {
        builder.model().appendEntries(batch.takeBuilt());
        throw;
    }
    builder.model().appendEntries(batch.takeBuilt());
    return status;
}

ListFileStatus SaveListFile(const PlaylistModel &model, const QByteArray &listPath)
{
    return writeListFile(listPath, model.paths());
}

QString overwriteQuestion(const QByteArray &listPath)
{
    return QLatin1Char('"') + decodeText(fileNamePart(listPath)) +
           QStringLiteral("\"に上書き保存？");
}

} // namespace tunelet
