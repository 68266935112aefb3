#pragma once
// The player's main window: title, time, seek bar, status and a play/pause button.

#include <QWidget>

class QLabel;
class QPushButton;
class QScrollBar;

namespace sonaro
{

class Player;
class Transport;
struct LoadedSong;

class PlayerWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerWindow)

public:
    PlayerWindow(const LoadedSong &loaded, Player &player, Transport &transport,
                 QWidget *parent = nullptr);

    QString statusText() const;
    int seekMax() const;
    int seekPos() const;

    // Brings the state up to date with the player: notices the song's end, tells
    // the link (refreshed()), and updates the widgets while they are on the screen.
    void refresh();

signals:
    // The shown state changed: title, seek position or status.
    void refreshed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updatePauseButton();
    // The widgets that follow the position; only while the window is on the screen.
    void updateShown();

    const LoadedSong &m_loaded;
    Player &m_player;
    Transport &m_transport;
    QLabel *m_title;
    QLabel *m_time;
    QScrollBar *m_seek;
    QLabel *m_status;
    QPushButton *m_pause;
};

} // namespace sonaro
