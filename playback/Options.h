#pragma once

#include "playback/PlaySequencer.h"

#include <QByteArray>

namespace tunelet
{

// The options of the settings menus as one value: the thirteen switches (the
// menu items' check marks show them), the play mode and the program paths.
// The window and the playback session read it; the settings file stores it.
// The defaults are the window's design state.
struct Options {
    bool repeatPlay = true;
    bool listOpen = true;
    bool stayOnTop = false;
    bool saveList = false;
    bool playMinimize = true;
    bool closeSonaro = true;
    bool compactMode = false;
    bool taskTray = false;
    bool dataView = false;
    bool lzhHead = false;
    bool playMember = false;
    bool playFinger = false;
    bool playScore = false;
    PlayMode playMode = PlayMode::List;
    QByteArray sonaroPath;             // the player program
    QByteArray editorPath = "NotePad"; // the text editor ("NotePad": the desktop's default)
    QByteArray mid2snrPath;            // the MIDI converter
};

} // namespace tunelet
