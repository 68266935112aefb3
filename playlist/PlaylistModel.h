#pragma once

#include "playlist/PlaylistEntry.h"

#include <QAbstractTableModel>
#include <QList>

#include <functional>
#include <vector>

namespace tunelet
{

// The rows of the playlist, shown by the main window's list view: column 0
// "HEAD" (the caption, with the kind icon) and column 1 "FileName" (the path).
// Texts are decoded for display only; the entries keep their bytes.
class PlaylistModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { HeadColumn = 0, FileNameColumn = 1, ColumnCount = 2 };
    enum Role {
        ImageIndexRole = Qt::UserRole + 1, // int: the EntryKind
        CaptionBytesRole,                  // QByteArray: the caption's bytes
        PathBytesRole,                     // QByteArray: the path's bytes
    };
    // Gives the icon (a QIcon in a QVariant) for an image index; set by the
    // window so this model needs no GUI library.
    using IconProvider = std::function<QVariant(int imageIndex)>;

    explicit PlaylistModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    void setIconProvider(IconProvider provider);

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const PlaylistEntry &entry(int row) const { return m_entries.at(row); }
    const QList<PlaylistEntry> &entries() const { return m_entries; }
    QByteArray path(int row) const { return m_entries.at(row).path; }
    QByteArray caption(int row) const { return m_entries.at(row).caption; }
    // All paths in row order.
    QList<QByteArray> paths() const;

    // Row changes, each announced to views the usual way.
    void insertEntry(int row, PlaylistEntry entry); // 0 <= row <= count()
    void appendEntry(PlaylistEntry entry);
    void appendEntries(QList<PlaylistEntry> entries); // one batch
    void removeEntry(int row);
    // Removes the given rows (any order, duplicates ignored) as few batches.
    void removeEntries(QList<int> rows);
    void clear();                                  // one batch
    void setEntries(QList<PlaylistEntry> entries); // replaces all, one batch
    // Moves one row so that it ends at index to (as after removing it and
    // inserting it at to); selection and persistent indexes follow the row.
    void moveEntry(int from, int to);
    void setImageIndex(int row, int imageIndex);
    // Reorders all rows: row i becomes the old row order[i]. order must be a
    // permutation of 0..count()-1. Persistent indexes follow their rows.
    void reorder(const std::vector<int> &order);

private:
    QList<PlaylistEntry> m_entries;
    IconProvider m_iconProvider;
};

} // namespace tunelet
