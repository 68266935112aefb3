#include "playlist/Editing.h"

#include "playlist/EntryBuilder.h"
#include "playlist/EntryKind.h"
#include "playlist/PlaylistModel.h"

#include "platform/core/BytePath.h"

namespace tunelet
{

namespace
{
int moveEntry(PlaylistModel &model, int row, int to)
{
    if (row < 0 || row >= model.count() || to < 0 || to >= model.count())
        return -1;
    model.moveEntry(row, to);
    model.setImageIndex(to, imageIndexOf(entryKindOf(model.path(to))));
    return to;
}
} // namespace

int moveEntryUp(PlaylistModel &model, int row)
{
    return moveEntry(model, row, row - 1);
}

int moveEntryDown(PlaylistModel &model, int row)
{
    return moveEntry(model, row, row + 1);
}

bool deleteEntry(PlaylistModel &model, int row)
{
    if (row < 0 || row >= model.count())
        return false;
    model.removeEntry(row);
    return true;
}

void clearEntries(PlaylistModel &model)
{
    model.clear();
}

int insertIndexAfter(int selectedRow, int rowCount)
{
    if (selectedRow < 0 || selectedRow >= rowCount)
        return rowCount;
    return selectedRow + 1;
}

QString positionText(int selectedRow, int rowCount)
{
    return QString::number(selectedRow + 1) + u'/' + QString::number(rowCount);
}

DropKind classifyDroppedFile(QByteArrayView path)
{
    const QByteArray extension = lowerExtension(path);
    if (extension == ".mid" || extension == ".snr" || extension == ".txt" || extension == ".lzh")
        return DropKind::Song;
    if (extension == ".alb" || extension == ".ppl")
        return DropKind::ListFile;
    return DropKind::Ignored;
}

ListFileStatus dropFiles(EntryBuilder &builder, const QList<QByteArray> &paths,
                         const DropTarget &target)
{
    for (const QByteArray &path : paths) {
        switch (classifyDroppedFile(path)) {
        case DropKind::Song: {
            const int row = target.rowAtDropPoint ? target.rowAtDropPoint() : -1;
            if (row >= 0 && row < builder.model().count())
                builder.InsertEntry(row + 1, path);
            else
                builder.AppendEntry(path);
            break;
        }
        case DropKind::ListFile: {
            const ListFileStatus status = LoadListFile(builder, path);
            if (!status.ok())
                return status;
            if (target.listLoaded)
                target.listLoaded(path);
            break;
        }
        case DropKind::Ignored:
            break;
        }
    }
    return {};
}

OpenedFiles openFiles(EntryBuilder &builder, const QList<QByteArray> &paths,
                      const std::function<void(const QByteArray &list)> &loadList)
{
    OpenedFiles opened;
    try {
        for (const QByteArray &path : paths) {
            switch (classifyDroppedFile(path)) {
            case DropKind::Song: {
                const int row = builder.model().count();
                builder.AppendEntry(path);
                if (opened.firstAdded < 0)
                    opened.firstAdded = row;
                break;
            }
            case DropKind::ListFile:
                loadList(path);
                opened.firstAdded = builder.model().count() > 0 ? 0 : -1;
                break;
            case DropKind::Ignored:
                break;
            }
        }
    } catch (...) {
        opened.failure = std::current_exception();
    }
    return opened;
}

} // namespace tunelet
