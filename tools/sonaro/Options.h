#pragma once
// The player's command line: the data file first, then switches written with '*'.

#include <QString>
#include <QStringList>

namespace sonaro
{

struct Options {
    QString file;
    bool playAtOnce = false; // *p
    bool exclusive = false;  // *x: accepted; this player always runs one window per song
    bool minimized = false;  // *i
    bool members = false;    // *m: the tracks and their colours
    bool finger = false;     // *f: the beat counter
    bool score = false;      // *s: the note view
    bool autoScroll = false; // *a: the note view follows the playback
};

// arguments without the program name. Unknown switches are ignored.
Options parseOptions(const QStringList &arguments);

} // namespace sonaro
