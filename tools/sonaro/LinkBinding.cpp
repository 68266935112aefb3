#include "tools/sonaro/LinkBinding.h"

#include "tools/sonaro/PlaybackTicker.h"
#include "tools/sonaro/Player.h"
#include "tools/sonaro/PlayerWindow.h"
#include "tools/sonaro/SeekScale.h"
#include "tools/sonaro/Transport.h"

#include <QCoreApplication>
#include <QTimer>

namespace sonaro
{

using namespace windowlink;

namespace
{
constexpr int kFollowStepMs = 500;
}

LinkBinding::LinkBinding(PlayerWindow &window, Player &player, Transport &transport,
                         QObject *parent)
    : QObject(parent), m_window(window), m_player(player), m_transport(transport),
      m_link(QString::fromLatin1(kClassName), this),
      m_seek(m_link.addChild(QStringLiteral("CN_seek"))),
      m_status(m_link.addChild(QStringLiteral("Static")))
{
    m_link.setMessageHandler([this](const WindowMessage &m) { return handle(m); });
    connect(&m_link, &PublishedWindow::foregroundRequested, &m_window, [this] {
        m_window.raise();
        m_window.activateWindow();
    });
    connect(&m_window, &PlayerWindow::refreshed, this, &LinkBinding::sync);
    followPosition();
    sync();
}

LinkBinding::~LinkBinding()
{
    m_player.setStepListener(0, {});
}

void LinkBinding::followPosition()
{
    const double total = m_player.totalSeconds();
    const int seekMax = seekMaximum(total);
    m_player.setStepListener(std::int64_t(Player::kSampleRate) * kFollowStepMs / 1000,
                             [this, seekMax, total](std::int64_t frame) {
                                 // On the audio thread: only the link, which guards its state
                                 // itself.
                                 const double seconds = double(frame) / Player::kSampleRate;
                                 m_link.setChildScroll(m_seek, seekPosition(seconds, total, false),
                                                       0, seekMax);
                             });
    auto *ticker = new PlaybackTicker(
        m_player, [this] { sync(); }, this, nullptr, kFollowStepMs);
    ticker->setWanted([this] { return !m_player.hasAudio(); });
}

bool LinkBinding::publish(QString *error)
{
    sync();
    return m_link.publish(error);
}

void LinkBinding::sync()
{
    m_link.setTitle(m_window.windowTitle());
    m_link.setChildScroll(m_seek, m_window.seekPos(), 0, m_window.seekMax());
    m_link.setChildText(m_status, m_window.statusText());
}

LRESULT LinkBinding::handle(const WindowMessage &m)
{
    switch (m.message) {
    case WM_KEYDOWN:
        m_transport.keyDown(static_cast<int>(m.wParam));
        break;
    case WM_KEYUP:
        m_transport.keyUp(static_cast<int>(m.wParam));
        break;
    case WM_SYSCOMMAND:
        if ((m.wParam & 0xFFF0) == SC_CLOSE) {
            // Gone from the link before the sender hears back, so it may start the next
            // player at once; the process ends right after.
            m_link.unpublish();
            m_window.hide();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        } else if ((m.wParam & 0xFFF0) == SC_MINIMIZE) {
            m_window.showMinimized();
        }
        break;
    default:
        break;
    }
    sync();
    return 0;
}

} // namespace sonaro
