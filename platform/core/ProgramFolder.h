#pragma once

#include <QByteArray>

// Where Tunelet keeps its own files: settings, help, the work file
// "tunelet.snr" and the saved list "tunelet.ppl".
namespace tunelet
{

// The program folder, always with a trailing '/':
// $TUNELET_HOME when set; else the executable's folder when it is writable;
// else $XDG_CONFIG_HOME/tunelet/ (default ~/.config/tunelet/). The chosen
// folder is created when it does not exist yet.
QByteArray programFolder();

// The rule behind programFolder(), without looking at the system: tuneletHome
// when non-empty; else exeFolder when writable; else xdgConfigHome + "/tunelet/"
// when it is absolute; else home + "/.config/tunelet/". With a trailing '/'.
QByteArray chooseProgramFolder(const QByteArray &tuneletHome, const QByteArray &exeFolder,
                               bool exeFolderWritable, const QByteArray &xdgConfigHome,
                               const QByteArray &home);

// programFolder() followed by name.
QByteArray programFilePath(const QByteArray &name);

// The executable's path (its real file, as the system reports it).
QByteArray executablePath();

// The folder of executablePath(), with its trailing '/': where the programs
// and libraries shipped with Tunelet are installed.
QByteArray executableFolder();

// The settings file: program folder + the executable's file name with its
// extension replaced by ".ini" (so "tunelet.ini").
QByteArray settingsFilePath();

// The help file "tunelet.html": in the program folder when it is there, else
// in the data folder installed with the executable (<prefix>/share/tunelet
// beside <prefix>/libexec/tunelet) when it is there, else the program-folder
// path (which then does not exist; the caller reports it).
QByteArray helpFilePath();

} // namespace tunelet
