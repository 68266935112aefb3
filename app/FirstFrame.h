#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace tunelet
{

// Runs start-up work that the first frame does not need once a window has
// been shown and its first frame drawn: the desktop's bus, the about box.
// The window is mapped and painted first, so the user sees it as soon as
// the toolkit can draw it. A window that is never exposed (one placed off
// every screen) still gets the work, a moment later.
class FirstFrame final : public QObject
{
    Q_OBJECT

public:
    // Watches `window`, which must have been shown; `work` runs once, on the
    // GUI thread, from the event loop.
    FirstFrame(QWidget &window, std::function<void()> work);
    ~FirstFrame() override;
    Q_DISABLE_COPY_MOVE(FirstFrame)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runSoon();

    std::function<void()> m_work;
    bool m_queued = false;
};

} // namespace tunelet
