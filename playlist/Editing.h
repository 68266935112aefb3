#pragma once

#include "playlist/ListFile.h"

#include <QByteArray>
#include <QList>

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

struct DropOutcome {
    // True when at least one list file was loaded: the caller sets FileName to
    // loadedList and PlayIndex to NoPlayIndex.
    bool listLoaded = false;
    QByteArray loadedList;
    // A list that could not be read ends the drop; its message is shown.
    ListFileStatus status;
};

// Handles dropped files in drop order. rowAtDropPoint gives the row under the
// drop point (-1 for none) and is asked again for each file, since a loaded
// list changes the rows. Songs go just below that row (so several end up in
// reverse drop order) or are appended; list files replace the playlist; other
// files are ignored without a test for existence. An archive error thrown
// while a row is built ends the drop (rows added before stay).
DropOutcome dropFiles(EntryBuilder &builder, const QList<QByteArray> &paths,
                      const std::function<int()> &rowAtDropPoint);

} // namespace tunelet
