#include "platform/input/KeySynth.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace tunelet
{

namespace
{

// A press and a release to the widget that has the keyboard focus now, as
// keys from the keyboard reach it.
void pressAndReleaseOnFocus(Qt::Key key)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return; // no window of this program has the keyboard
    const QPointer<QWidget> guard(target);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    if (!guard)
        return;
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

} // namespace

void QueuedKeySynth::pressAndRelease(Qt::Key key)
{
    // The target is chosen when the keys are delivered, not now: a window
    // that is being activated gets the focus back only after its activation
    // has been reported, and keys from the keyboard go where the focus is
    // once the command that made them has returned.
    QMetaObject::invokeMethod(
        qApp, [key] { pressAndReleaseOnFocus(key); }, Qt::QueuedConnection);
}

} // namespace tunelet
