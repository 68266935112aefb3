#pragma once

#include "app/SettingsTable.h"

#include <QVariant>

class TForm1;

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

// The options follow their menu items' check marks (the thirteen switches and
// the play mode): a click on one updates the value.
void bindOptionItems(TForm1 &form);

} // namespace tunelet
