#pragma once

#include <QList>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace tunelet
{

// Where a window whose outer frame is `frame` goes so that the user can reach
// it: where it is while it overlaps one of the screens, even in part; a
// window wholly off every screen is moved onto `fallbackScreen` (the primary
// screen's available area) as near to where it was as it fits.
QRect placedOnScreens(const QRect &frame, const QList<QRect> &screens, const QRect &fallbackScreen);

// A top-level window's outer frame: its position and size with the window
// manager's title bar and borders, as window positions and sizes are stored.
// Qt places a window by its frame but sizes it by its client area, and
// learns the frame's margins only once the window manager has framed the
// shown window; until then a size given as the outer size is the client's,
// and it is corrected as soon as the margins are known.
class OuterFrame final : public QObject
{
    Q_OBJECT

public:
    explicit OuterFrame(QWidget *window);
    Q_DISABLE_COPY_MOVE(OuterFrame)

    // The frame as it stands. While a framed window is hidden its position is
    // the last one it had on the screen (or was given) and its size follows
    // the client area.
    QRect geometry() const;
    void setGeometry(const QRect &frame);
    // Brings a window wholly off the screens back onto one (placedOnScreens).
    void keepOnScreens();
    // The frame's margins as last seen; none before the window was framed.
    QMargins margins() const { return m_margins; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void learnFrame();

    QWidget *m_window;
    QPoint m_topLeft; // of the framed window, where it was last seen
    QMargins m_margins;
    bool m_framed = false; // the margins come from a framed window
    // An outer size given before the margins were known, waiting for them.
    std::optional<QSize> m_pendingSize;
};

} // namespace tunelet
