#include "playlist/PlaylistModel.h"

#include "platform/core/TextCodec.h"

#include <algorithm>

namespace tunelet
{

PlaylistModel::PlaylistModel(QObject *parent) : QAbstractTableModel(parent) {}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int PlaylistModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PlaylistEntry &e = m_entries.at(index.row());
    const bool head = index.column() == HeadColumn;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return decodeText(head ? e.caption : e.path);
    case Qt::DecorationRole:
        return head && m_iconProvider ? m_iconProvider(e.imageIndex) : QVariant();
    case ImageIndexRole:
        return e.imageIndex;
    case CaptionBytesRole:
        return e.caption;
    case PathBytesRole:
        return e.path;
    default:
        return {};
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == HeadColumn)
        return QStringLiteral("HEAD");
    if (section == FileNameColumn)
        return QStringLiteral("FileName");
    return {};
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool PlaylistModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > this->count())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_entries.remove(row, count);
    endRemoveRows();
    return true;
}

void PlaylistModel::setIconProvider(IconProvider provider)
{
    m_iconProvider = std::move(provider);
    if (!m_entries.isEmpty())
        emit dataChanged(index(0, HeadColumn), index(count() - 1, HeadColumn),
                         {Qt::DecorationRole});
}

QList<QByteArray> PlaylistModel::paths() const
{
    QList<QByteArray> out;
    out.reserve(m_entries.size());
    for (const PlaylistEntry &e : m_entries)
        out.append(e.path);
    return out;
}

void PlaylistModel::insertEntry(int row, PlaylistEntry entry)
{
    row = std::clamp(row, 0, count());
    beginInsertRows(QModelIndex(), row, row);
    m_entries.insert(row, std::move(entry));
    endInsertRows();
}

void PlaylistModel::appendEntry(PlaylistEntry entry)
{
    insertEntry(count(), std::move(entry));
}

void PlaylistModel::appendEntries(QList<PlaylistEntry> entries)
{
    if (entries.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(entries.size()) - 1);
    if (m_entries.isEmpty())
        m_entries = std::move(entries);
    else
        m_entries.append(std::move(entries));
    endInsertRows();
}

void PlaylistModel::removeEntry(int row)
{
    removeRows(row, 1);
}

void PlaylistModel::removeEntries(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    while (!rows.isEmpty() && rows.back() >= count())
        rows.removeLast();
    while (!rows.isEmpty() && rows.front() < 0)
        rows.removeFirst();
    if (rows.isEmpty())
        return;

    // Contiguous runs from the bottom up, so earlier rows keep their indexes.
    QList<std::pair<int, int>> runs; // first, last
    for (int r : rows) {
        if (!runs.isEmpty() && runs.back().second + 1 == r)
            runs.back().second = r;
        else
            runs.append({r, r});
    }
    // Each run shifts the rows below it; many scattered runs would make that
    // quadratic, so then compact in one pass and reset instead.
    constexpr int maxRunsForIncrementalRemoval = 64;
    if (runs.size() <= maxRunsForIncrementalRemoval) {
        for (auto it = runs.crbegin(); it != runs.crend(); ++it)
            removeRows(it->first, it->second - it->first + 1);
        return;
    }
    beginResetModel();
    QList<PlaylistEntry> kept;
    kept.reserve(m_entries.size() - rows.size());
    qsizetype next = 0;
    for (int r = 0; r < count(); ++r) {
        if (next < rows.size() && rows[next] == r) {
            ++next;
            continue;
        }
        kept.append(std::move(m_entries[r]));
    }
    m_entries = std::move(kept);
    endResetModel();
}

void PlaylistModel::clear()
{
    if (m_entries.isEmpty())
        return;
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void PlaylistModel::setEntries(QList<PlaylistEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void PlaylistModel::moveEntry(int from, int to)
{
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    // Qt's destination is the row before which the moved row is placed,
    // counted before the move.
    const int destination = to > from ? to + 1 : to;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination);
    m_entries.move(from, to);
    endMoveRows();
}

void PlaylistModel::setImageIndex(int row, int imageIndex)
{
    if (row < 0 || row >= count() || m_entries[row].imageIndex == imageIndex)
        return;
    m_entries[row].imageIndex = imageIndex;
    const QModelIndex changed = index(row, HeadColumn);
    emit dataChanged(changed, changed, {Qt::DecorationRole, ImageIndexRole});
}

void PlaylistModel::reorder(const std::vector<int> &order)
{
    Q_ASSERT(order.size() == size_t(count()));
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    QList<PlaylistEntry> sorted;
    sorted.reserve(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRowOf[size_t(order[i])] = int(i);
        sorted.append(std::move(m_entries[order[i]]));
    }
    m_entries = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before)
        after.append(index(newRowOf[size_t(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace tunelet
