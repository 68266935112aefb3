#include "app/Form1Mouse.h"

#include "app/Unit1.h"

#include <QMouseEvent>
#include <QToolButton>
#include <QTreeView>

namespace tunelet
{

Form1Mouse::Form1Mouse(TForm1 &window)
    : QObject(&window), m_window(window), m_form(widgetsOf(window))
{
    for (QObject *watched :
         {static_cast<QObject *>(m_form.Panel1), static_cast<QObject *>(m_form.SBReturn),
          static_cast<QObject *>(m_form.SBSkip),
          static_cast<QObject *>(m_form.ListView1->viewport())})
        watched->installEventFilter(this);
}

bool Form1Mouse::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Double clicks on the time label reach the panel too: a label passes
    // mouse events on to its parent.
    if (type == QEvent::MouseButtonDblClick && watched == m_form.Panel1) {
        m_window.Run([this] { m_window.Panel1DblClick(); });
        // Handled: a label passes unhandled clicks on to Panel1, which would cycle again.
        return true;
    } else if (type == QEvent::MouseButtonDblClick && watched == m_form.ListView1->viewport()) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_window.Run([this] { m_window.ListView1DblClick(); });
    } else if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                type == QEvent::MouseButtonRelease) &&
               (watched == m_form.SBReturn || watched == m_form.SBSkip)) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        // The second press of a quick double press comes as a double click:
        // it is a press all the same, and its release ends a hold.
        const bool press = type != QEvent::MouseButtonRelease;
        m_window.Run([this, watched, button, press] {
            if (watched == m_form.SBReturn)
                press ? m_window.SBReturnMouseDown(button) : m_window.SBReturnMouseUp(button);
            else
                press ? m_window.SBSkipMouseDown(button) : m_window.SBSkipMouseUp(button);
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tunelet
