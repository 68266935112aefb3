// List files: reading and writing them, and the commands that open, reload,
// save and overwrite the current list.
#include "app/Unit1.h"
#include "platform/core/FileErrors.h"
#include "platform/input/KeySynth.h"

#include "platform/core/BytePath.h"
#include "playlist/EntryBuilder.h"
#include "playlist/ListFile.h"
#include "playlist/PlayIndex.h"
#include "playlist/PlaylistModel.h"

void TForm1::AppendEntry(const QByteArray &path)
{
    Builder().AppendEntry(path);
}

void TForm1::InsertEntry(int index, const QByteArray &path)
{
    Builder().InsertEntry(index, path);
}

void TForm1::LoadListFile(const QByteArray &path)
{
    const tunelet::ListFileStatus status = tunelet::LoadListFile(Builder(), path);
    if (!status.ok())
        throw tunelet::EInOutError(status.message());
    ListFileLoaded(path);
}

void TForm1::ListFileLoaded(const QByteArray &path)
{
    FileName = path;
    ListBox1.clear();
    Session().setPlayIndex(tunelet::NoPlayIndex);
}

void TForm1::SaveListFile(const QByteArray &path)
{
    const tunelet::ListFileStatus status = tunelet::SaveListFile(Playlist(), path);
    ListBox1.clear();
    if (!status.ok())
        throw tunelet::EInOutError(status.message());
}

void TForm1::MMOpenClick()
{
    if (!Dlg().execute(this, OpenDialog1) || !ChosenNamesUsable({OpenDialog1.FileName}, true))
        return;
    const QByteArray chosen = OpenDialog1.FileName;
    OpenDialog1.InitialDir = tunelet::folderPart(chosen);
    // A following save through the dialog proposes the opened list.
    SaveDialog1.FileName = chosen;
    SaveDialog1.InitialDir = OpenDialog1.InitialDir;
    LoadListFile(chosen);
    // No row has the focus after a load: Down selects the first one.
    Keys().pressAndRelease(Qt::Key_Down);
}

void TForm1::MMReloadClick()
{
    LoadListFile(FileName);
    Keys().pressAndRelease(Qt::Key_Down);
}

void TForm1::MMSaveClick()
{
    if (!Dlg().execute(this, SaveDialog1) || !ChosenNamesUsable({SaveDialog1.FileName}, false))
        return;
    SaveListFile(SaveDialog1.FileName);
}

void TForm1::StatusBar1DblClick()
{
    if (Playlist().isEmpty())
        return;
    if (Dlg().askYesNo(this, tunelet::overwriteQuestion(FileName)))
        SaveListFile(FileName);
}

void TForm1::MMSaveListClick()
{
    // The check mark is the option; the exit save reads it.
}
