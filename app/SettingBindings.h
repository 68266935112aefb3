#pragma once

#include "app/SettingsTable.h"

#include <QVariant>

class TForm1;

namespace tunelet
{
class IniFile;
struct IniEntry;
} // namespace tunelet

// Each key of the settings file bound to the value it mirrors in the main
// window: an option and the play mode to the options value (and their menu
// items' check marks), a path to its string, a position or size to a window frame or
// a list column. One row per key; reading, writing and applying all go
// through it.
namespace tunelet
{

// The value the window holds now for a key.
QVariant currentSetting(const TForm1 &form, Setting id);

// Gives the window a key's value (read from the file, or its default).
void applySetting(TForm1 &form, Setting id, const QVariant &value);

// A key's default: fixed, the window's current value, its frame's size or
// the program folder, as the key's row says.
QVariant defaultSetting(const TForm1 &form, const SettingRow &setting);

// A key with the window's value now, ready to be written.
IniEntry settingEntry(const TForm1 &form, Setting id);

// Reads a key from the file (its default when absent) into the window.
void readSetting(TForm1 &form, const IniFile &ini, Setting id);

// The options follow their menu items' check marks (the thirteen switches and
// the play mode): a click on one updates the value.
void bindOptionItems(TForm1 &form);

} // namespace tunelet
