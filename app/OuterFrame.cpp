#include "app/OuterFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tunelet
{

QRect placedOnScreens(const QRect &frame, const QList<QRect> &screens, const QRect &fallbackScreen)
{
    for (const QRect &screen : screens)
        if (screen.intersects(frame))
            return frame;
    // As near as it fits: inside the screen, its top left corner first when
    // it is larger than the screen.
    const auto fit = [](int start, int length, int areaStart, int areaLength) {
        return std::max(areaStart, std::min(start, areaStart + areaLength - length));
    };
    QRect placed = frame;
    placed.moveTo(fit(frame.x(), frame.width(), fallbackScreen.x(), fallbackScreen.width()),
                  fit(frame.y(), frame.height(), fallbackScreen.y(), fallbackScreen.height()));
    return placed;
}

OuterFrame::OuterFrame(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

QRect OuterFrame::geometry() const
{
    if (!m_framed)
        return QRect(m_window->pos(), m_window->size());
    if (m_window->isVisible())
        return m_window->geometry().marginsAdded(m_margins);
    // A hidden window stays where it was last seen: the window manager's
    // handing the window back on hiding is no move of the user's.
    return QRect(m_topLeft, m_window->size().grownBy(m_margins));
}

void OuterFrame::setGeometry(const QRect &frame)
{
    m_topLeft = frame.topLeft();
    // A window's position is that of its frame.
    m_window->move(frame.topLeft());
    m_window->resize(frame.size().shrunkBy(m_margins));
    if (m_framed)
        m_pendingSize.reset();
    else
        m_pendingSize = frame.size();
}

void OuterFrame::keepOnScreens()
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->geometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    const QRect frame = geometry();
    const QRect placed = placedOnScreens(frame, screens, primary->availableGeometry());
    if (placed != frame)
        setGeometry(placed);
}

bool OuterFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            learnFrame();
            break;
        case QEvent::Paint:
            // The first paint follows the window manager's framing, which
            // may move nothing (a frame without a top or left border).
            if (!m_framed)
                learnFrame();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void OuterFrame::learnFrame()
{
    // Only a window on the screen tells where it is and how it is framed.
    const QWindow *window = m_window->windowHandle();
    if (!m_window->isVisible() || !window)
        return;
    const QMargins margins = window->frameMargins();
    const QPoint client = m_window->geometry().topLeft();
    if (margins.isNull())
        return; // not framed: no window manager, or it has not framed the window yet
    m_topLeft = client - QPoint(margins.left(), margins.top());
    m_margins = margins;
    m_framed = true;
    if (!m_pendingSize)
        return;
    // The outer size given before: the client shrinks by the frame, in each
    // direction the window kept since (compact mode may have changed the
    // height meanwhile, which then stays).
    const QSize pending = *m_pendingSize;
    m_pendingSize.reset();
    QSize size = m_window->size();
    if (size.width() == pending.width())
        size.setWidth(pending.width() - margins.left() - margins.right());
    if (size.height() == pending.height())
        size.setHeight(pending.height() - margins.top() - margins.bottom());
    m_window->resize(size);
}

} // namespace tunelet
