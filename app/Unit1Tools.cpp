// The small tools of the menus: the editor, the program paths, the volume
// control, help, the about box, the option switches and exit.
#include "app/About.h"
#include "app/ProgramPathDialog.h"
#include "app/TextEditor.h"
#include "app/Unit1.h"

#include "platform/core/ByteFile.h"
#include "platform/core/ProgramFolder.h"
#include "platform/core/TextCodec.h"
#include "platform/shell/DesktopShell.h"
#include "playback/ProgramPath.h"
#include "playlist/EntryKind.h"
#include "playlist/PlaylistModel.h"

#include <QAction>

namespace
{

// The volume controls tried, in order.
const QByteArrayList VolumeControls = {"pavucontrol", "pwvucontrol"};

} // namespace

tunelet::DesktopShell &TForm1::Shell()
{
    return *m_env.shell;
}

// ---- Editing data files ----

bool TForm1::EditorReady()
{
    if (tunelet::isUsableEditor(EditorPath))
        return true;
    Dlg().beep();
    Dlg().message(isVisible() ? this : nullptr, tunelet::unusableEditorMessage());
    return false;
}

void TForm1::MMDataEditClick()
{
    if (!EditorReady())
        return;
    const std::optional<QByteArray> playing = PlayingDataFile();
    if (playing && tunelet::isExistingFile(*playing))
        tunelet::startEditor(Shell(), EditorPath, *playing);
}

void TForm1::PMDataEditClick()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QByteArray path = Playlist().path(row);
    // MIDI files and archives are no text to edit.
    if (tunelet::entryKindOf(path) != tunelet::EntryKind::Data || !EditorReady())
        return;
    tunelet::startEditor(Shell(), EditorPath, path);
}

// ---- Program paths ----

void TForm1::ChooseProgramPath(QByteArray &value, const tunelet::ProgramPathSetting &setting)
{
    tunelet::FileDialogState dialog =
        tunelet::programPathDialog(setting, value, ProgramFolder(), tunelet::executableFolder());
    if (Dlg().execute(this, dialog))
        value = dialog.FileName;
}

void TForm1::MMSonaroPathClick()
{
    ChooseProgramPath(SonaroPath, tunelet::sonaroPathSetting());
}

void TForm1::MMEditorPathClick()
{
    ChooseProgramPath(EditorPath, tunelet::editorPathSetting());
}

void TForm1::MMmid2snrPathClick()
{
    ChooseProgramPath(mid2snrPath, tunelet::mid2snrPathSetting());
}

// ---- Volume, help, about, exit ----

void TForm1::MMVolumeClick()
{
    // Nothing happens on a desktop without a volume control.
    const QByteArray program = Shell().findProgram(VolumeControls);
    if (!program.isEmpty())
        Shell().startProgram(program, {});
}

void TForm1::Contents1Click()
{
    // The help file registered at start, or one installed since.
    const QByteArray help = tunelet::isExistingFile(HelpFile) ? HelpFile : tunelet::helpFilePath();
    if (!tunelet::isExistingFile(help)) {
        Dlg().beep();
        Dlg().message(
            isVisible() ? this : nullptr,
            QStringLiteral("ヘルプファイル %1 が見つかりません。").arg(tunelet::decodeText(help)));
        return;
    }
    Shell().openFile(help);
}

void TForm1::About1Click()
{
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TForm1::MMExitClick()
{
    close();
    // A window hidden in the tray may get no close event: close it anyway.
    CloseOnce();
}

// The check mark is the option; the start-up reads it.
void TForm1::MMListOpenClick() {}
