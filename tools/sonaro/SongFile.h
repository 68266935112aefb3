#pragma once
// Loading a song file for the player: the parsed song, its display title, or what is
// wrong with the file.

#include "tools/sonaro/songdata/Song.h"

#include <QString>

namespace sonaro
{

struct LoadedSong {
    songdata::Song song;
    QString title; // for display: the *HEAD title, else the file name
    QString error; // empty when the song can be played
};

inline constexpr qint64 kMaxSongFileBytes = 16 * 1024 * 1024;

// A reader of another program's window text takes at most this many characters.
inline constexpr qsizetype kMaxWindowTitleCharacters = 255;

// The path as the bytes the file system uses: a name that is no UTF-8 (a
// Shift-JIS name) is opened as it is and shown decoded like the title.
LoadedSong loadSongFile(const QByteArray &path);
LoadedSong loadSongFile(const QString &path);

// The first argument that is no switch, as the bytes of the command line
// (argv after QApplication has taken its own options out).
QByteArray fileArgument(int argc, char **argv);

// Bytes shown as UTF-8 when valid, else as Shift-JIS.
QString decodeText(const std::string &bytes);

// Characters (code points) of a text.
qsizetype characterCount(const QString &text);

// At most maxCharacters characters of text; a longer one is cut to end in "…".
QString elided(const QString &text, qsizetype maxCharacters);

// "Sonaro - <title> → 3：05", at most kMaxWindowTitleCharacters characters: a long
// title is shortened so the total time stays in them.
QString windowTitle(const QString &title, qint64 wholeSeconds);

} // namespace sonaro
