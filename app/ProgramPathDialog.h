#pragma once

#include "app/Dialogs.h"

#include <QByteArray>
#include <QString>

namespace tunelet
{

// One of the path settings the settings menu lets the user choose a program
// for: the player, the editor or the converter.
struct ProgramPathSetting {
    QString title;
    QString filter;
    // The program shipped with Tunelet that an empty setting stands for;
    // null for the editor, which has none.
    const char *shippedName = nullptr;
};

// The open dialog that chooses a new value for a path setting. It opens at
// the program a start would use (for an empty player or converter setting
// the shipped one), in that program's folder; a value without a folder
// ("NotePad") gives no starting folder. Linux programs have no extension to
// add. Both folders carry their trailing '/'.
FileDialogState programPathDialog(const ProgramPathSetting &setting, const QByteArray &value,
                                  const QByteArray &programFolder, const QByteArray &shippedFolder);

// The settings menu's three path settings.
ProgramPathSetting sonaroPathSetting();
ProgramPathSetting editorPathSetting();
ProgramPathSetting mid2snrPathSetting();

} // namespace tunelet
