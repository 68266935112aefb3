#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <optional>

// What the desktop (media keys, panel applets, the file manager) sees of the
// jukebox and may ask of it. The main window implements DesktopPlayer; the
// D-Bus side only talks to this interface, so it runs without a window.
namespace tunelet
{

// The play order of the mode menu.
enum class PlayOrder { List, Single, Random };

// The song a successful start began, as it was when it began: later edits of
// the list do not change what is playing.
struct NowPlaying {
    quint64 serial = 0; // counts the starts of this run; each start is a new track
    QString title;      // the row's caption as shown
    QByteArray path;    // the row's file, bytes as in the list
};

struct PlayerState {
    std::optional<NowPlaying> song; // nothing while stopped
    bool paused = false;            // the player says it pauses
    qint64 lengthUs = 0;            // the player's total; 0 until it is known
    qint64 positionUs = 0;
    int rowCount = 0;
    PlayOrder order = PlayOrder::List;
    bool repeat = true;
};

class DesktopPlayer
{
public:
    virtual ~DesktopPlayer() = default;

    virtual PlayerState state() const = 0;

    // The commands of the tool buttons, exactly as they are.
    virtual void play() = 0;  // starts the list from its start (or a random row)
    virtual void pause() = 0; // pauses a playing song, resumes a paused one
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void back() = 0;

    // The mode menu's items and the repeat item.
    virtual void setOrder(PlayOrder order) = 0;
    virtual void setRepeat(bool repeat) = 0;

    // Shows the window (also when hidden in the tray) and brings it forward.
    virtual void raiseWindow() = 0;
    // Closes as the close box does.
    virtual void quit() = 0;
    // Adds the files as a drop onto the list would and plays the first added.
    virtual void openFiles(const QByteArrayList &paths) = 0;
};

} // namespace tunelet
