// The small tools of the menus: the editor, the program paths, the volume
// control, help, the about box, the option switches and exit.
#include "app/About.h"
#include "app/Unit1.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/ProgramFolder.h"
#include "platform/core/TextCodec.h"
#include "platform/shell/DesktopShell.h"
#include "playback/ProgramPath.h"
#include "playlist/EntryKind.h"
#include "playlist/PlaylistModel.h"

#include <QAction>

namespace
{

// The editor name that stands for the desktop's own choice of editor.
constexpr QByteArrayView DesktopEditor = "NotePad";

// The volume controls tried, in order.
const QByteArrayList VolumeControls = {"pavucontrol", "pwvucontrol"};

} // namespace

tunelet::DesktopShell &TForm1::Shell()
{
    return *m_env.shell;
}

// ---- Editing data files ----

bool TForm1::EditorUsable() const
{
    // Compared with case: "notepad" is a file name like any other.
    return EditorPath == DesktopEditor || tunelet::isExistingFile(EditorPath);
}

void TForm1::StartEditor(const QByteArray &dataFile)
{
    // Whether the start worked is not reported.
    if (EditorPath == DesktopEditor)
        Shell().openFile(dataFile);
    else
        Shell().startProgram(EditorPath, {dataFile});
}

void TForm1::MMDataEditClick()
{
    if (!EditorUsable()) {
        Dlg().beep();
        Dlg().message(isVisible() ? this : nullptr,
                      QStringLiteral("エディタのパスを正しく設定してください。"));
        return;
    }
    const std::optional<QByteArray> playing = PlayingDataFile();
    if (playing && tunelet::isExistingFile(*playing))
        StartEditor(*playing);
}

void TForm1::PMDataEditClick()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QByteArray path = Playlist().path(row);
    // MIDI files and archives are no text to edit.
    if (tunelet::entryKindOf(path) != tunelet::EntryKind::Data)
        return;
    if (!EditorUsable()) {
        Dlg().beep();
        Dlg().message(isVisible() ? this : nullptr,
                      QStringLiteral("エディタのパスを正しく設定してください。"));
        return;
    }
    StartEditor(path);
}

// ---- Program paths ----

void TForm1::ChooseProgramPath(QByteArray &value, const QString &title, const QString &filter,
                               const char *shippedName)
{
    // The player's and the converter's dialogs open at the program a start
    // would use: for an empty setting the one shipped with Tunelet.
    const QByteArray shown = shippedName ? tunelet::programPath(value, shippedName, ProgramFolder(),
                                                                tunelet::executableFolder())
                                         : value;
    tunelet::FileDialogState dialog;
    dialog.kind = tunelet::FileDialogState::Kind::Open;
    dialog.Title = title;
    dialog.Filter = filter;
    // Linux programs have no extension to add.
    dialog.DefaultExt.clear();
    dialog.FileName = shown;
    dialog.InitialDir = tunelet::folderPart(shown);
    if (Dlg().execute(this, dialog))
        value = dialog.FileName;
}

void TForm1::MMSonaroPathClick()
{
    ChooseProgramPath(SonaroPath, QStringLiteral("Sonaroのパス"),
                      QStringLiteral("Sonaro本体 (sonaro)"), tunelet::PlayerProgramName);
}

void TForm1::MMEditorPathClick()
{
    ChooseProgramPath(EditorPath, QStringLiteral("エディタのパス"),
                      QStringLiteral("テキストエディタ (*)"));
}

void TForm1::MMmid2snrPathClick()
{
    ChooseProgramPath(mid2snrPath, QStringLiteral("mid2snrのパス"),
                      QStringLiteral("mid2snr (mid2snr)"), tunelet::ConverterProgramName);
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
