#include "app/WindowDesktopPlayer.h"

#include "app/Unit1.h"
#include "desktop/FileHandOver.h"
#include "desktop/MprisService.h"
#include "playback/PlaybackSession.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QTimer>

#include <utility>

namespace tunelet
{

namespace
{

// The desktop's play orders are the window's play modes under other names.
constexpr std::pair<PlayMode, PlayOrder> kPlayOrders[] = {
    {PlayMode::List, PlayOrder::List},
    {PlayMode::Single, PlayOrder::Single},
    {PlayMode::Random, PlayOrder::Random},
};

PlayMode playMode(PlayOrder order)
{
    for (const auto &[mode, named] : kPlayOrders)
        if (named == order)
            return mode;
    return PlayMode::List;
}

PlayOrder playOrder(PlayMode mode)
{
    for (const auto &[named, order] : kPlayOrders)
        if (named == mode)
            return order;
    return PlayOrder::List;
}

using Transport = PlaybackSession::Transport;

// Every command is one the window already has: the tool buttons, the mode
// and repeat items, the tray's show item and the exit. None runs once the
// window has closed.
class WindowDesktopPlayer final : public DesktopPlayer
{
public:
    explicit WindowDesktopPlayer(TForm1 &form) : m_form(form) {}
    Q_DISABLE_COPY_MOVE(WindowDesktopPlayer)

    PlayerState state() const override
    {
        const PlaybackSession &session = m_form.Session();
        PlayerState state;
        // Playing from a successful start until the player is closed.
        if (!session.playingPath().isEmpty()) {
            const StartedSong &song = session.startedSong();
            state.song = {song.serial, song.title, song.path};
        }
        state.paused = session.reading().paused;
        state.lengthUs = session.reading().totalUs;
        state.positionUs = session.reading().elapsedUs;
        state.rowCount = m_form.Playlist().count();
        state.order = playOrder(m_form.Opts().playMode);
        state.repeat = m_form.Opts().repeatPlay;
        return state;
    }

    // The transport buttons' commands, waiting for a player that is starting
    // (a burst of them from a client that does not wait starts one player).
    void play() override { transport(Transport::Play); }
    void pause() override { transport(Transport::Pause); }
    void stop() override { transport(Transport::Stop); }
    void next() override { transport(Transport::Next); }
    void back() override { transport(Transport::Back); }

    void setOrder(PlayOrder order) override
    {
        if (m_form.IsClosed())
            return;
        m_form.SelectPlayMode(playMode(order));
    }

    void setRepeat(bool repeat) override
    {
        if (m_form.IsClosed())
            return;
        m_form.CheckRepeat(repeat);
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

} // namespace

std::shared_ptr<DesktopPlayer> makeWindowDesktopPlayer(TForm1 &form)
{
    return std::make_shared<WindowDesktopPlayer>(form);
}

void connectDesktop(TForm1 &form, MprisService &mpris, FileHandOver &handOver)
{
    // Each Timer2 tick has just polled the player: the desktop hears of a new
    // song, status or mode within a tick.
    QObject::connect(&form.Session().keyTimer(), &PacedTimer::timeout, &mpris,
                     &MprisService::refresh);

    handOver.setReceiver([&form](const QByteArrayList &paths) {
        if (form.IsClosed())
            return false;
        QTimer::singleShot(0, &form, [&form, paths] { form.Desktop().openFiles(paths); });
        return true;
    });
    // Once the settings are written the next start may have the folder.
    QObject::connect(&form, &TForm1::Closed, &handOver, &FileHandOver::release);
}

} // namespace tunelet
