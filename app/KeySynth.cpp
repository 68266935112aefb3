#include "KeySynth.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tunelet
{

void QueuedKeySynth::pressAndRelease(Qt::Key key)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return;
    // Posted, not sent: the keys are handled after the command that made them
    // has returned, as keys from the keyboard would be.
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

} // namespace tunelet
