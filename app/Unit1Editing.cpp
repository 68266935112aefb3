// Editing the playlist: adding, inserting, deleting, clearing and moving rows,
// sorting, shuffling and pruning, dropped files and the position display.
// The work on the rows is the playlist library's; this file binds it to the
// window's selection, dialogs, keys and status bar.
#include "app/DroppedFiles.h"
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "platform/core/FileErrors.h"
#include "platform/input/KeySynth.h"

#include "platform/core/BytePath.h"
#include "playlist/Editing.h"
#include "playlist/EntryBuilder.h"
#include "playlist/PlayIndex.h"
#include "playlist/PlaylistModel.h"
#include "playlist/Pruning.h"
#include "playlist/Sorting.h"

#include <QTreeView>

namespace
{
constexpr int PositionPanel = 0;
} // namespace

// ---- Adding and inserting ----

bool TForm1::ChooseFilesToAdd()
{
    OpenDialog2.FileName.clear();
    if (!Dlg().execute(this, OpenDialog2) || OpenDialog2.Files.isEmpty())
        return false;
    // Nothing is added when one of the names came back altered.
    if (!ChosenNamesUsable(OpenDialog2.Files, true))
        return false;
    // The next run of the dialog starts where the user just was.
    OpenDialog2.InitialDir = tunelet::folderPart(OpenDialog2.Files.first());
    return true;
}

void TForm1::MMAddClick()
{
    if (!ChooseFilesToAdd())
        return;
    // One batch: the view is told once, however many files were chosen. An
    // archive error ends the command; the rows built before it are added.
    tunelet::appendEntries(Builder(), OpenDialog2.Files);
}

void TForm1::PMInsertClick()
{
    if (!ChooseFilesToAdd())
        return;
    // The selected row stays where it is, so each file lands directly below
    // it and several end up in the reverse of the dialog's order. The index
    // is read again for each file: building an archive's row lets queued
    // events run. Without a selected row the files are appended.
    for (const QByteArray &path : std::as_const(OpenDialog2.Files))
        InsertEntry(tunelet::insertIndexAfter(SelectedRow(), Playlist().count()), path);
}

// ---- Deleting, clearing, moving ----

void TForm1::MMDeleteClick()
{
    if (!tunelet::deleteEntry(Playlist(), SelectedRow()))
        return;
    // The list selects the row that took the deleted one's place while the
    // row is still counted; the display shows it against the new count.
    ListView1Change();
    FocusListWithLeftKey();
}

void TForm1::MMClearClick()
{
    tunelet::clearEntries(Playlist());
    StatusBar1->setPanelText(PositionPanel, QStringLiteral("0/0"));
}

void TForm1::MMUpClick()
{
    SelectMovedRow(tunelet::moveEntryUp(Playlist(), SelectedRow()));
}

void TForm1::MMDownClick()
{
    SelectMovedRow(tunelet::moveEntryDown(Playlist(), SelectedRow()));
}

void TForm1::SelectMovedRow(int row)
{
    // Nothing moved (no selection, or the first row up, the last row down):
    // nothing at all happens, not even the key.
    if (row < 0)
        return;
    SelectRow(row);
    // The selection followed the row, so the view may report no change;
    // the display shows the row's new place all the same.
    ListView1Change();
    FocusListWithLeftKey();
}

void TForm1::FocusListWithLeftKey()
{
    // The key reaches the list as an ordinary key press once the command has
    // returned; in the report view it moves no row.
    ListView1->setFocus(Qt::OtherFocusReason);
    Keys().pressAndRelease(Qt::Key_Left);
}

// ---- Position display ----

void TForm1::WatchRowsForPositionDisplay()
{
    // Building a row is a change of that row, and rows built or removed
    // above the selected one move it: the display follows in both cases.
    const auto change = [this] { Run([this] { ListView1Change(); }); };
    connect(&Playlist(), &QAbstractItemModel::rowsInserted, this, change);
    connect(&Playlist(), &QAbstractItemModel::rowsRemoved, this, change);
}

void TForm1::ListView1Change()
{
    const int row = SelectedRow();
    if (row < 0)
        return; // without a selected row the display keeps its text
    StatusBar1->setPanelText(PositionPanel, tunelet::positionText(row, Playlist().count()));
}

// ---- Sorting and shuffling ----

int TForm1::ListView1Compare(int rowA, int rowB) const
{
    tunelet::PlaylistSorter sorter;
    sorter.setSortKey(SortKey);
    return sorter.ListView1Compare(Playlist().entry(rowA), Playlist().entry(rowB));
}

void TForm1::MMHEADSortClick()
{
    SortRows(&tunelet::PlaylistSorter::sortByTitle);
}

void TForm1::MMFileNameSortClick()
{
    SortRows(&tunelet::PlaylistSorter::sortByPath);
}

void TForm1::SortRows(void (tunelet::PlaylistSorter::*sortBy)(tunelet::PlaylistModel &))
{
    tunelet::PlaylistSorter sorter;
    sorter.setSortKey(SortKey);
    (sorter.*sortBy)(Playlist());
    SortKey = sorter.sortKey();
    Session().setPlayIndex(tunelet::NoPlayIndex);
    // The selection followed its row to its new place.
    ListView1Change();
}

void TForm1::MMRandomSortClick()
{
    // An archive error leaves the list as it was.
    tunelet::shuffleEntries(Builder(), Random());
    ListBox1.clear();
    Session().setPlayIndex(tunelet::NoPlayIndex);
    // No row has the focus after the rebuild: Down selects the first one.
    Keys().pressAndRelease(Qt::Key_Down);
}

// ---- Pruning ----

void TForm1::MMExistsDeleteClick()
{
    if (Playlist().isEmpty())
        return;
    const int removed = tunelet::removeMissingEntries(Playlist());
    Dlg().beep();
    Dlg().message(this, tunelet::removedMissingMessage(removed));
}

void TForm1::MMWFileDeleteClick()
{
    if (Playlist().isEmpty())
        return;
    const int removed = tunelet::removeDuplicateEntries(Playlist());
    ListBox1.clear();
    Dlg().beep();
    Dlg().message(this, tunelet::removedDuplicatesMessage(removed));
}

// ---- Dropped files ----

void TForm1::FilesDropped(const QByteArrayList &paths, const QPoint &viewportPos)
{
    const tunelet::ListFileStatus status =
        tunelet::dropFiles(Builder(), paths,
                           {[&] { return tunelet::rowAtDropPoint(*ListView1, viewportPos); },
                            [this](const QByteArray &list) { ListFileLoaded(list); }});
    if (!status.ok())
        throw tunelet::EInOutError(status.message());
}

// ---- Options ----

void TForm1::MMLzhHEADClick()
{
    // The checkable item has flipped its own check mark, which is the option
    // that building an archive's row reads; nothing else to do.
}
