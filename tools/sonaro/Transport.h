#pragma once
// What the player's keys do, whether they come from its own window or from another
// program over the window link: Space pauses and resumes, Left and Right move the
// position while held, Up plays an ended song again.

#include <QElapsedTimer>
#include <QObject>

namespace sonaro
{

class Player;

class Transport final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Transport)

public:
    // The first key-down of a hold moves by this much; while held, the position moves
    // at kHeldSpeed times real time however often key-downs repeat, at most this much each.
    static constexpr double kStepSeconds = 2.0;
    static constexpr double kHeldSpeed = 8.0;

    explicit Transport(Player &player, QObject *parent = nullptr);

    // Virtual-key codes (VK_SPACE, VK_LEFT, VK_UP, VK_RIGHT).
    void keyDown(int virtualKey);
    void keyUp(int virtualKey);

signals:
    void acted();

private:
    struct Hold {
        bool held = false;
        QElapsedTimer since;
    };
    double stepFor(Hold &hold);

    Player &m_player;
    Hold m_left;
    Hold m_right;
};

} // namespace sonaro
