#pragma once

#include "Unit1.h"

namespace tunelet
{

// The environment of a main window under test or measurement: the given
// dialogs and key synthesis, programFolder as the program folder and the
// settings file in it (or at settingsPath). The other seams stay the real
// ones until the caller sets them.
TForm1::Environment testEnvironment(Dialogs &dialogs, KeySynth &keys,
                                    const QByteArray &programFolder,
                                    const QByteArray &settingsPath = {});

} // namespace tunelet
