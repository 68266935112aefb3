#pragma once
// Publishes the player's main window on the window link as class "CN_sonaro", with a
// "CN_seek" scroll bar and a "Static" status text, and turns messages from other
// programs into the player's keys and window commands.
//
// While the song plays the link follows the position by half seconds, shown or not: a
// watching reader hears from the player well within the age at which it would ask
// again, without waking ten times a second. With an audio device the audio thread
// tells of each half second as it hands the device the block that enters it, so the
// main thread does not wake for it (minimized, it then has nothing to do while a song
// plays); without one, a timer on this thread does. A change of state (pause, seek,
// end) shows at once.

#include "platform/windowlink/PublishedWindow.h"

#include <QObject>

namespace sonaro
{

class Player;
class PlayerWindow;
class Transport;

class LinkBinding final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkBinding)

public:
    static constexpr const char *kClassName = "CN_sonaro";

    LinkBinding(PlayerWindow &window, Player &player, Transport &transport,
                QObject *parent = nullptr);
    ~LinkBinding() override;

    bool publish(QString *error);
    // Copies the window's title, seek bar and status to the link.
    void sync();

private:
    windowlink::LRESULT handle(const windowlink::WindowMessage &message);
    void followPosition();

    PlayerWindow &m_window;
    Player &m_player;
    Transport &m_transport;
    windowlink::PublishedWindow m_link;
    std::uint32_t m_seek;
    std::uint32_t m_status;
};

} // namespace sonaro
