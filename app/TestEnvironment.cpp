#include "TestEnvironment.h"

namespace tunelet
{

TForm1::Environment testEnvironment(Dialogs &dialogs, KeySynth &keys,
                                    const QByteArray &programFolder,
                                    const QByteArray &settingsPath)
{
    TForm1::Environment environment;
    environment.dialogs = &dialogs;
    environment.keys = &keys;
    environment.programFolder = programFolder;
    environment.settingsPath =
        settingsPath.isEmpty() ? programFolder + "tunelet.ini" : settingsPath;
    return environment;
}

} // namespace tunelet
