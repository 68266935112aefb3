// The window on the desktop: what media keys, panel applets and playerctl
// reach through MPRIS, and files opened from the desktop. The D-Bus side is
// the desktop library's; this file binds it to the window's own commands.
#include "app/Unit1.h"

#include "desktop/FileHandOver.h"
#include "desktop/MprisService.h"
#include "playback/PlaybackSession.h"
#include "playlist/Editing.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QTimer>

#include <exception>

namespace
{

// The desktop's play orders are the window's play modes under other names.
tunelet::PlayMode playMode(tunelet::PlayOrder order)
{
    switch (order) {
    case tunelet::PlayOrder::Single:
        return tunelet::PlayMode::Single;
    case tunelet::PlayOrder::Random:
        return tunelet::PlayMode::Random;
    case tunelet::PlayOrder::List:
        break;
    }
    return tunelet::PlayMode::List;
}

tunelet::PlayOrder playOrder(tunelet::PlayMode mode)
{
    switch (mode) {
    case tunelet::PlayMode::Single:
        return tunelet::PlayOrder::Single;
    case tunelet::PlayMode::Random:
        return tunelet::PlayOrder::Random;
    case tunelet::PlayMode::List:
        break;
    }
    return tunelet::PlayOrder::List;
}

} // namespace

// Every command is one the window already has: the tool buttons, the mode
// and repeat items, the tray's show item and the exit. None runs once the
// window has closed.
class TForm1::DesktopAdapter final : public tunelet::DesktopPlayer
{
public:
    explicit DesktopAdapter(TForm1 &form) : m_form(form) {}
    Q_DISABLE_COPY_MOVE(DesktopAdapter)

    tunelet::PlayerState state() const override { return m_form.DesktopState(); }

    // The transport buttons' commands, waiting for a player that is starting
    // (a burst of them from a client that does not wait starts one player).
    void play() override { transport(Transport::Play); }
    void pause() override { transport(Transport::Pause); }
    void stop() override { transport(Transport::Stop); }
    void next() override { transport(Transport::Next); }
    void back() override { transport(Transport::Back); }

    void setOrder(tunelet::PlayOrder order) override
    {
        if (m_form.IsClosed())
            return;
        m_form.SelectPlayMode(playMode(order));
    }

    void setRepeat(bool repeat) override
    {
        if (m_form.IsClosed())
            return;
        m_form.MMRepeat->setChecked(repeat);
        command(&TForm1::MMRepeatClick);
    }

    void raiseWindow() override
    {
        if (m_form.IsClosed())
            return;
        // Hidden in the tray: shown as the tray's item shows it.
        if (!m_form.isVisible()) {
            command(&TForm1::PMWindowClick);
            return;
        }
        if (m_form.isMinimized())
            m_form.setWindowState(m_form.windowState() & ~Qt::WindowMinimized);
        m_form.raise();
        m_form.activateWindow();
    }

    void quit() override { command(&TForm1::MMExitClick); }

    void openFiles(const QByteArrayList &paths) override
    {
        TForm1 &form = m_form;
        if (!form.IsClosed())
            form.Run([&form, &paths] { form.OpenFiles(paths); });
    }

private:
    void transport(Transport command)
    {
        TForm1 &form = m_form;
        if (!form.IsClosed())
            form.Run([&form, command] { form.Session().queue(command); });
    }

    void command(void (TForm1::*handler)())
    {
        // The window is captured, not this adapter: GCC's vptr check (UBSan)
        // misreads a captured this beside a member-function pointer.
        TForm1 &form = m_form;
        if (!form.IsClosed())
            form.Run([&form, handler] { (form.*handler)(); });
    }

    TForm1 &m_form;
};

tunelet::DesktopPlayer &TForm1::Desktop()
{
    if (!m_desktop)
        m_desktop = std::make_shared<DesktopAdapter>(*this);
    return *m_desktop;
}

tunelet::PlayerState TForm1::DesktopState() const
{
    const tunelet::PlaybackSession &session = Session();
    tunelet::PlayerState state;
    // Playing from a successful start until the player is closed.
    if (!session.playingPath().isEmpty()) {
        const tunelet::StartedSong &song = session.startedSong();
        state.song = {song.serial, song.title, song.path};
    }
    state.paused = session.reading().paused;
    state.lengthUs = session.reading().totalUs;
    state.positionUs = session.reading().elapsedUs;
    state.rowCount = Playlist().count();
    state.order = playOrder(m_options.playMode);
    state.repeat = m_options.repeatPlay;
    return state;
}

void TForm1::OpenFiles(const QByteArrayList &paths)
{
    int firstAdded = -1;
    std::exception_ptr failure;
    try {
        for (const QByteArray &path : paths) {
            switch (tunelet::classifyDroppedFile(path)) {
            case tunelet::DropKind::Song: {
                const int row = Playlist().count();
                AppendEntry(path);
                if (firstAdded < 0)
                    firstAdded = row;
                break;
            }
            case tunelet::DropKind::ListFile:
                // The loaded list replaces the rows added before it.
                LoadListFile(path);
                firstAdded = Playlist().count() > 0 ? 0 : -1;
                break;
            case tunelet::DropKind::Ignored:
                break;
            }
        }
    } catch (...) {
        // A file that could not be added ends the adding, as in a drop; what
        // was added before it still plays, then the error is shown.
        failure = std::current_exception();
    }
    // Played as a double click on it plays it, so the list shows which.
    if (firstAdded >= 0 && firstAdded < Playlist().count()) {
        SelectRow(firstAdded);
        ListView1DblClick();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::ConnectDesktop(tunelet::MprisService &mpris, tunelet::FileHandOver &handOver)
{
    // Each Timer2 tick has just polled the player: the desktop hears of a new
    // song, status or mode within a tick.
    connect(&Session().keyTimer(), &tunelet::PacedTimer::timeout, &mpris,
            &tunelet::MprisService::refresh);

    handOver.setReceiver([this](const QByteArrayList &paths) {
        if (IsClosed())
            return false;
        QTimer::singleShot(0, this, [this, paths] { Desktop().openFiles(paths); });
        return true;
    });
    // Once the settings are written the next start may have the folder.
    connect(this, &TForm1::Closed, &handOver, &tunelet::FileHandOver::release);
}
