#include "playlist/Pruning.h"

#include "playlist/PlaylistModel.h"

#include "platform/core/ByteFile.h"
#include "platform/core/LocaleCompare.h"

#include <QSet>

#include <algorithm>

namespace tunelet
{

int removeMissingEntries(PlaylistModel &model)
{
    QList<int> missing;
    for (int row = model.count() - 1; row >= 0; --row) {
        if (!isExistingFile(model.path(row)))
            missing.append(row);
    }
    model.removeEntries(missing);
    return int(missing.size());
}

namespace
{
// The path as a key equal for exactly the paths that are the same text
// ignoring case: an ASCII path folds byte by byte (as its decoded text would),
// any other is case-folded as text.
QByteArray duplicateKey(const QByteArray &path)
{
    const bool ascii =
        std::all_of(path.cbegin(), path.cend(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii)
        return LocaleCompare::caseFoldedKey(path).toUtf8();
    const bool lower =
        std::none_of(path.cbegin(), path.cend(), [](char c) { return c >= 'A' && c <= 'Z'; });
    return lower ? path : path.toLower();
}
} // namespace

int removeDuplicateEntries(PlaylistModel &model)
{
    QSet<QByteArray> seen;
    seen.reserve(model.count());
    QList<int> duplicates;
    for (int row = 0; row < model.count(); ++row) {
        const qsizetype before = seen.size();
        seen.insert(duplicateKey(model.entry(row).path));
        if (seen.size() == before)
            duplicates.append(row);
    }
    model.removeEntries(duplicates);
    return int(duplicates.size());
}

QString removedMissingMessage(int count)
{
    return QString::number(count) + QStringLiteral("個の存在しないファイルを削除しました。");
}

QString removedDuplicatesMessage(int count)
{
    return QString::number(count) + QStringLiteral("個の重複ファイルを削除しました。");
}

} // namespace tunelet
