#pragma once
// Publishes the player's main window on the window link as class "CN_sonaro", with a
// "CN_seek" scroll bar and a "Static" status text, and turns messages from other
// programs into the player's keys and window commands.

#include "platform/windowlink/PublishedWindow.h"

#include <QObject>

namespace sonaro
{

class PlayerWindow;
class Transport;

class LinkBinding final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkBinding)

public:
    static constexpr const char *kClassName = "CN_sonaro";

    LinkBinding(PlayerWindow &window, Transport &transport, QObject *parent = nullptr);

    bool publish(QString *error);
    // Copies the window's title, seek bar and status to the link.
    void sync();

private:
    windowlink::LRESULT handle(const windowlink::WindowMessage &message);

    PlayerWindow &m_window;
    Transport &m_transport;
    windowlink::PublishedWindow m_link;
    std::uint32_t m_seek;
    std::uint32_t m_status;
};

} // namespace sonaro
