#include "app/FirstFrame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tunelet
{

namespace
{

// How long a window that gets no expose (it lies off every screen) waits for
// the work; an exposed window gets it right after its first frame.
constexpr int UnexposedWaitMs = 250;

} // namespace

FirstFrame::FirstFrame(QWidget &window, std::function<void()> work) : m_work(std::move(work))
{
    QWindow *handle = window.windowHandle();
    if (handle && !handle->isExposed())
        handle->installEventFilter(this);
    else
        runSoon(); // already drawn, or no native window to wait for
    QTimer::singleShot(UnexposedWaitMs, this, [this] { runSoon(); });
}

FirstFrame::~FirstFrame() = default;

bool FirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    // The widget draws its frame while the expose is delivered; work queued
    // now runs after it.
    if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
        runSoon();
    return QObject::eventFilter(watched, event);
}

void FirstFrame::runSoon()
{
    if (m_queued)
        return;
    m_queued = true;
    QTimer::singleShot(0, this, [this] { m_work(); });
}

} // namespace tunelet
