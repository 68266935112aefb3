#include "playlist/Pruning.h"

#include "playlist/PlaylistModel.h"

#include "platform/core/ByteFile.h"
#include "platform/core/LocaleCompare.h"

#include <QHash>

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

int removeDuplicateEntries(PlaylistModel &model)
{
    QSet<QString> seen;
    seen.reserve(model.count());
    QList<int> duplicates;
    for (int row = 0; row < model.count(); ++row) {
        const QString key = LocaleCompare::caseFoldedKey(model.path(row));
        if (seen.contains(key))
            duplicates.append(row);
        else
            seen.insert(key);
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
