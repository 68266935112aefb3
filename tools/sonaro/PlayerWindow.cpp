#include "tools/sonaro/PlayerWindow.h"

#include "platform/windowlink/Win32.h"
#include "tools/sonaro/PlaybackTicker.h"
#include "tools/sonaro/Player.h"
#include "tools/sonaro/SeekScale.h"
#include "tools/sonaro/SongFile.h"
#include "tools/sonaro/Transport.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace sonaro
{

namespace
{

QString clockText(double seconds)
{
    const auto s = static_cast<qint64>(std::max(0.0, seconds));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// A long text is cut to the label's width on the screen, so it never widens the window.
void showShortened(QLabel *label, const QString &text)
{
    constexpr int kMaxTextWidth = 480;
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideRight, kMaxTextWidth);
    label->setText(shown);
    if (shown != text)
        label->setToolTip(text);
}

int virtualKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Space:
        return windowlink::VK_SPACE;
    case Qt::Key_Left:
        return windowlink::VK_LEFT;
    case Qt::Key_Right:
        return windowlink::VK_RIGHT;
    case Qt::Key_Up:
        return windowlink::VK_UP;
    default:
        return 0;
    }
}

} // namespace

PlayerWindow::PlayerWindow(const LoadedSong &loaded, Player &player, Transport &transport,
                           QWidget *parent)
    : QWidget(parent), m_loaded(loaded), m_player(player), m_transport(transport),
      m_title(new QLabel(this)), m_time(new QLabel(this)),
      m_seek(new QScrollBar(Qt::Horizontal, this)), m_status(new QLabel(this)),
      m_pause(new QPushButton(this))
{
    setWindowTitle(
        sonaro::windowTitle(loaded.title, loaded.error.isEmpty() ? loaded.song.wholeSeconds() : 0));
    QFont big = m_title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    m_title->setFont(big);
    showShortened(m_title, loaded.title);
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *info = new QLabel(this);
    showShortened(info, decodeText(loaded.song.composer));
    info->setVisible(!loaded.song.composer.empty());
    m_seek->setRange(0, seekMaximum(loaded.song.totalSeconds));
    m_seek->setMinimumWidth(320);
    m_seek->setFocusPolicy(Qt::NoFocus);
    m_pause->setFocusPolicy(Qt::NoFocus);
    m_status->setFrameShape(QFrame::StyledPanel);

    auto *row = new QHBoxLayout;
    row->addWidget(m_pause);
    row->addWidget(m_status, 1);
    row->addWidget(m_time);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(info);
    layout->addWidget(m_seek);
    layout->addLayout(row);
    setFocusPolicy(Qt::StrongFocus);

    connect(m_pause, &QPushButton::clicked, this,
            [this] { m_transport.keyDown(windowlink::VK_SPACE); });
    connect(m_seek, &QScrollBar::sliderMoved, this,
            [this](int value) { m_player.seekTo(value / 10.0); });
    connect(&m_transport, &Transport::acted, this, &PlayerWindow::refresh);
    connect(&m_player, &Player::stateChanged, this, &PlayerWindow::updatePauseButton);
    // The widgets follow the position by whole seconds, when the clock they show
    // changes (the seek bar moves with it), and only while they are on the screen.
    new PlaybackTicker(
        m_player, [this] { updateShown(); }, this, this, 1000);
    updatePauseButton();
    refresh();
}

QString PlayerWindow::statusText() const
{
    if (!m_loaded.error.isEmpty())
        return m_loaded.error;
    if (m_player.isEnded())
        return QStringLiteral("終了");
    if (!m_player.isStarted() || m_player.isPaused())
        return QStringLiteral("一時停止");
    return QStringLiteral("再生中");
}

int PlayerWindow::seekMax() const
{
    return m_seek->maximum();
}

int PlayerWindow::seekPos() const
{
    return seekPosition(m_player.positionSeconds(), m_player.totalSeconds(), m_player.isEnded());
}

void PlayerWindow::refresh()
{
    m_player.update();
    updateShown();
    emit refreshed();
}

void PlayerWindow::updateShown()
{
    if (!isOnScreen(this))
        return;
    if (!m_seek->isSliderDown())
        m_seek->setValue(seekPos());
    m_status->setText(statusText());
    m_time->setText(clockText(m_player.positionSeconds()) + QStringLiteral(" / ") +
                    clockText(m_loaded.error.isEmpty() ? double(m_loaded.song.wholeSeconds()) : 0));
}

void PlayerWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateShown();
}

void PlayerWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateShown();
}

void PlayerWindow::updatePauseButton()
{
    const bool playing = m_player.isStarted() && !m_player.isPaused() && !m_player.isEnded();
    m_pause->setText(playing ? QStringLiteral("一時停止") : QStringLiteral("再生"));
    m_pause->setEnabled(m_loaded.error.isEmpty() && !m_player.isEnded());
}

void PlayerWindow::keyPressEvent(QKeyEvent *event)
{
    const int vk = virtualKey(event->key());
    if (vk == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Auto-repeat only repeats Left and Right, as a held key does.
    if (!event->isAutoRepeat() || vk == windowlink::VK_LEFT || vk == windowlink::VK_RIGHT)
        m_transport.keyDown(vk);
}

void PlayerWindow::keyReleaseEvent(QKeyEvent *event)
{
    const int vk = virtualKey(event->key());
    if (vk != 0 && !event->isAutoRepeat())
        m_transport.keyUp(vk);
    else
        QWidget::keyReleaseEvent(event);
}

} // namespace sonaro
