#pragma once

#include <QByteArray>

namespace tunelet
{

// The programs Tunelet ships and starts: the player and the MIDI converter.
inline constexpr char PlayerProgramName[] = "sonaro";
inline constexpr char ConverterProgramName[] = "mid2snr";

// The program a SonaroPath or mid2snrPath setting names, as one path that is
// both checked for and started:
// - empty: the program shipped with Tunelet, shippedName in shippedFolder
//   (the folder of the tunelet executable, where it is installed);
// - relative: taken from the program folder, where the settings file that
//   holds it lives, whatever the current folder happens to be;
// - absolute: the setting as it is.
// Both folders carry their trailing '/'.
QByteArray programPath(const QByteArray &setting, const char *shippedName,
                       const QByteArray &programFolder, const QByteArray &shippedFolder);

} // namespace tunelet
