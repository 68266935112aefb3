#pragma once

#include "desktop/DesktopPlayer.h"

#include <QString>
#include <QVariantMap>

#include <optional>

// How the jukebox's state and commands map onto the MPRIS 2 player
// interface. Plain values in and out; the D-Bus adaptors only carry them.
namespace tunelet::mpris
{

enum class Status { Stopped, Paused, Playing };

// Stopped while no song plays; Paused while the player says so; else Playing.
Status playbackStatus(const PlayerState &state);
QString statusText(Status status);

// The repeat item and the mode as MPRIS's loop status: "None" without
// repeat, "Track" for single play with repeat (one song again and again),
// "Playlist" for list or random play with repeat.
QString loopStatus(PlayOrder order, bool repeat);

struct Modes {
    PlayOrder order = PlayOrder::List;
    bool repeat = true;
    friend bool operator==(const Modes &, const Modes &) = default;
};

// The modes after a client sets the loop status; nothing for a value MPRIS
// does not define. "Track" selects single play, "Playlist" leaves single
// play for list play; "None" only turns repeat off.
std::optional<Modes> withLoopStatus(const QString &loop, Modes now);

// Shuffle is random play. Turning it off returns to list play; turning it
// off while not in random play changes nothing.
PlayOrder withShuffle(bool shuffle, PlayOrder now);

enum class Request { Play, Pause, PlayPause };
enum class Button { None, Play, Pause };

// Which tool button a transport request presses. The Pause button toggles,
// so it both pauses and resumes; the Play button starts the list afresh,
// which MPRIS's Play must not do to a song already playing.
Button buttonFor(Request request, Status status);

// A file URL of a path, every byte kept: bytes that are not plain ASCII
// letters, digits or "-._~/" are percent-encoded.
QString fileUrl(const QByteArray &path);

// The path of a local file URL ("file:///…" or "file://localhost/…"), byte
// for byte; nothing for any other URL.
std::optional<QByteArray> pathOfFileUrl(QByteArrayView url);

// The object path that names a track for the desktop.
QString trackId(quint64 serial);

// The Metadata map: empty while stopped; else mpris:trackid, xesam:title,
// xesam:url and, once the player has told it, mpris:length.
QVariantMap metadata(const PlayerState &state);

// Every player property that is announced with PropertiesChanged when it
// changes, by its MPRIS name. Position is not among them: clients ask for it.
QVariantMap announcedProperties(const PlayerState &state);

// The entries of `now` whose values differ from `before`.
QVariantMap changedProperties(const QVariantMap &before, const QVariantMap &now);

// The state of playback at a moment of a steady clock.
struct Moment {
    PlayerState state;
    qint64 atMs = 0;
};

// True when the position of one song moved otherwise than by playing on: a
// playing song moves with the clock and a paused one stands, so a difference
// of more than a second (rewind or fast-forward held, a song played again)
// is a seek, which clients hear of by the Seeked signal.
bool positionJumped(const Moment &before, const Moment &now);

} // namespace tunelet::mpris
