#pragma once

#include "playlist/ListFile.h"

#include <QByteArray>
#include <QList>

#include <exception>
#include <functional>

namespace tunelet
{

class EntryBuilder;
class PlaylistModel;

// The editing commands' work on the rows, free of any window. None of them
// changes PlayIndex (see playindex.h) except a dropped list file.

// Moves the row up (or down) by one: the row keeps its caption and path and
// its icon is recomputed from the path's extension. Returns the row's new
// index, or -1 when nothing moved (no such row, first row up, last row down);
// then the caller must not synthesise its key either.
int moveEntryUp(PlaylistModel &model, int row);
int moveEntryDown(PlaylistModel &model, int row);

// Removes the row; false when there is no such row.
bool deleteEntry(PlaylistModel &model, int row);

// Removes all rows as one batch; the position display then reads "0/0".
void clearEntries(PlaylistModel &model);

// The index at which the insert command places each chosen file: just below
// the selected row. Without a selected row (-1) the files are appended.
int insertIndexAfter(int selectedRow, int rowCount);

// "1/5": the selected row's 1-based position and the row count.
QString positionText(int selectedRow, int rowCount);

enum class DropKind {
    Song,     // ".mid", ".snr", ".txt", ".lzh": inserted or appended
    ListFile, // ".alb", ".ppl": loaded, replacing the playlist
    Ignored,  // anything else
};
DropKind classifyDroppedFile(QByteArrayView path);

// What a drop asks of the window it lands on while it runs.
struct DropTarget {
    // The row under the drop point (-1 for none); asked again for each file,
    // since a loaded list changes the rows.
    std::function<int()> rowAtDropPoint;
    // Told of each list file as soon as it has replaced the playlist, before
    // the next file is handled: the caller sets FileName and PlayIndex there,
    // so that an error later in the same drop leaves them naming the list
    // that is shown.
    std::function<void(const QByteArray &list)> listLoaded;
};

// Handles dropped files in drop order. Songs go just below the row under the
// drop point (so several end up in reverse drop order) or are appended; list
// files replace the playlist; other files are ignored without a test for
// existence. A list that cannot be read ends the drop and its status is
// returned (ok otherwise). An archive error thrown while a row is built ends
// the drop (rows added before stay).
ListFileStatus dropFiles(EntryBuilder &builder, const QList<QByteArray> &paths,
                         const DropTarget &target);

// Files opened from the desktop, in order: songs appended, a list file
// loaded through loadList (it replaces the rows added before it), other files
// ignored. A file that throws ends the adding; what it threw is kept so the
// caller can still play what was added before reporting it.
struct OpenedFiles {
    int firstAdded = -1; // the first row added, or -1
    std::exception_ptr failure;
};
OpenedFiles openFiles(EntryBuilder &builder, const QList<QByteArray> &paths,
                      const std::function<void(const QByteArray &list)> &loadList);

} // namespace tunelet
