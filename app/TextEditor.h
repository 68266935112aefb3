#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tunelet
{

class DesktopShell;

// The editor setting that stands for the desktop's own choice of editor.
inline constexpr QByteArrayView DesktopEditor = "NotePad";

// What the editing commands report when the editor setting cannot start one.
QString unusableEditorMessage();

// The editor setting can start an editor: exactly "NotePad" (compared with
// case: "notepad" is a file name like any other), or an existing file.
bool isUsableEditor(const QByteArray &editorPath);

// Opens dataFile in the editor the setting names: the desktop's default
// application for "NotePad", else the program with the file as its one
// argument. Whether the start worked is not reported.
void startEditor(DesktopShell &shell, const QByteArray &editorPath, const QByteArray &dataFile);

} // namespace tunelet
