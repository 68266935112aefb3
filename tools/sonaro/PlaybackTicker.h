#pragma once
// Calls back while a song plays, only at the moments what a window shows can change,
// instead of polling: whenever the song's position reaches a whole step (with the
// default step every tenth of a second, the seek bar's step; whole seconds are whole
// steps too) and at the song's end, and once at every change of the player's state
// (play, pause, seek, end). Nothing runs while the song is paused or has ended. With a
// watched window, the ticks run only while that window is on the screen (shown and
// not minimized), and the callback runs once more when it comes back.

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace sonaro
{

class Player;

// Shown and not minimized.
bool isOnScreen(const QWidget *window);

class PlaybackTicker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackTicker)

public:
    // stepMs divides a second (a tenth: 100, a quarter: 250, …).
    PlaybackTicker(Player &player, std::function<void()> onTick, QObject *parent,
                   QWidget *watched = nullptr, int stepMs = 100);

    // The timed ticks run only while wanted() holds, looked at on every change of the
    // player's state; the tick at a change of state runs regardless.
    void setWanted(std::function<bool()> wanted);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tick();
    void schedule();
    int msToNextStep() const;

    Player &m_player;
    std::function<void()> m_onTick;
    std::function<bool()> m_wanted;
    QWidget *m_watched;
    int m_stepMs;
    QTimer m_timer;
};

} // namespace sonaro
