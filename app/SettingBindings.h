#pragma once

#include "app/SettingsTable.h"

#include <QVariant>

class TForm1;

// Each key of the settings file bound to the value it mirrors in the main
// window: an option to its menu item's check mark, the play mode to its
// three items, a path to its string, a position or size to a window frame or
// a list column. One row per key; reading, writing and applying all go
// through it.
namespace tunelet
{

// The value the window holds now for a key.
QVariant currentSetting(const TForm1 &form, Setting id);

// Gives the window a key's value (read from the file, or its default).
void applySetting(TForm1 &form, Setting id, const QVariant &value);

} // namespace tunelet
