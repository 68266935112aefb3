#include "tray/TrayIcon.h"

#include "tray/QtNotifyArea.h"
#include "tray/TipText.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScopeGuard>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

const char *const TrayRegistrationMessage = "タスクトレイにアイコンを登録できません。";

ETrayIcon::ETrayIcon() : std::runtime_error(TrayRegistrationMessage) {}

namespace
{

// The process-wide state: the live tray icons in creation order and the
// callback window they share.
struct TTrayRegistry {
    std::vector<std::pair<int, TTrayIcon *>> entries;
    TCallbackWindow *window = nullptr;
};

TTrayRegistry &Registry()
{
    static TTrayRegistry registry;
    return registry;
}

// Calls a handler through a copy, so that a handler that replaces itself
// does not destroy the function that runs.
template <typename Handler, typename... Args> void Raise(const Handler &handler, Args &&...args)
{
    if (!handler)
        return;
    Handler copy = handler;
    copy(std::forward<Args>(args)...);
}

} // namespace

// ---------------------------------------------------------------------------
// TTrayIcon

TTrayIcon::TTrayIcon(QObject *owner, TNotifyArea *area) : QObject(owner)
{
    auto &registry = Registry();
    const int number = registry.entries.empty() ? 1 : registry.entries.back().first + 1;
    if (static_cast<int>(registry.entries.size()) >= MaxIcons)
        throw ETrayIcon();
    number_ = number;
    registry.entries.emplace_back(number_, this);

    if (area == nullptr) {
        ownArea_ = std::make_unique<TQtNotifyArea>();
        area = ownArea_.get();
    }
    area_ = area;
    TCallbackWindow::Acquire();
    record_.size = 88;
    record_.callbackMessage = WM_TRAYICON;
    record_.id = number_;

    animation_.setTimerType(Qt::PreciseTimer);
    animation_.setInterval(animateRate_);
    connect(&animation_, &QTimer::timeout, this, &TTrayIcon::AnimationStep);
}

TTrayIcon::~TTrayIcon()
{
    StopAnimationQuietly();
    if (registered_)
        DeleteFromTray();

    auto &entries = Registry().entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [this](const auto &entry) { return entry.second == this; }),
                  entries.end());
    if (auto *window = Registry().window)
        window->CancelSingleClick(number_);
    TCallbackWindow::ReleaseIfUnused();
}

TTrayIcon *TTrayIcon::Find(int number)
{
    for (const auto &[entryNumber, icon] : Registry().entries)
        if (entryNumber == number)
            return icon;
    return nullptr;
}

int TTrayIcon::Count()
{
    return static_cast<int>(Registry().entries.size());
}

void TTrayIcon::Loaded()
{
    loading_ = false;
    if (visible_)
        AddToTray();
}

void TTrayIcon::SetAnimateIcons(TIconList *icons)
{
    if (icons == animateIcons_ || animating_)
        return;
    animateIcons_ = icons;
}

void TTrayIcon::SetAnimateRate(int milliseconds)
{
    animateRate_ = std::max(milliseconds, MinAnimateRate);
    animation_.setInterval(animateRate_);
}

void TTrayIcon::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    if (!enabled_)
        clickPending_ = false;
}

void TTrayIcon::SetIcon(const QIcon &icon)
{
    if (icon.isNull()) {
        SetVisible(false);
        icon_ = QIcon();
        return;
    }
    if (icon.cacheKey() == icon_.cacheKey())
        return;
    icon_ = icon;
    if (registered_)
        ModifyTray();
}

void TTrayIcon::SetTipHelp(const QByteArray &tip)
{
    const QByteArray cut = CutTipBytes(tip, MaxTipBytes);
    if (cut == tipHelp_)
        return;
    tipHelp_ = cut;
    if (registered_)
        ModifyTray();
}

QString TTrayIcon::TipText() const
{
    return DecodeTipText(tipHelp_);
}

void TTrayIcon::SetVisible(bool value)
{
    if (value == visible_)
        return;
    visible_ = value && !icon_.isNull();
    if (loading_)
        return;
    if (visible_)
        AddToTray();
    else if (registered_)
        DeleteFromTray();
}

void TTrayIcon::StartAnimation()
{
    if (animating_ || !animateIcons_ || animateIcons_->Count() == 0)
        return;
    animating_ = true;
    frame_ = 0;
    animation_.start();
    if (!registered_)
        return;
    try {
        ModifyTray();
    } catch (const ETrayIcon &) {
        StopAnimationQuietly();
        throw;
    }
}

void TTrayIcon::StopAnimation()
{
    if (!animating_)
        return;
    StopAnimationQuietly();
    if (registered_)
        ModifyTray();
}

void TTrayIcon::StopAnimationQuietly()
{
    animation_.stop();
    animating_ = false;
}

// Runs from the animation timer, where no error may escape: a refused frame
// ends the animation.
void TTrayIcon::AnimationStep()
{
    if (!animateIcons_ || animateIcons_->Count() == 0) {
        StopAnimationQuietly();
        return;
    }
    frame_ = (frame_ + 1) % animateIcons_->Count();
    if (!registered_)
        return;
    RefreshRecord();
    if (!area_->Notify(nmModify, record_))
        StopAnimationQuietly();
}

// ---------------------------------------------------------------------------
// Tray operations

void TTrayIcon::RefreshRecord()
{
    if (animating_ && animateIcons_ && animateIcons_->Count() > 0)
        record_.icon = animateIcons_->Icon(frame_ % animateIcons_->Count());
    else
        record_.icon = icon_;
    record_.SetTip(tipHelp_);
    record_.flags = NIF_MESSAGE | NIF_ICON;
    if (!tipHelp_.isEmpty())
        record_.flags |= NIF_TIP;
}

// A refused add leaves Visible false, so that Visible tells whether the icon
// is shown and setting it true again tries again.
void TTrayIcon::AddToTray()
{
    if (!visible_)
        return;
    RefreshRecord();
    record_.window = TCallbackWindow::Acquire();
    if (!area_->Notify(nmAdd, record_)) {
        visible_ = false;
        throw ETrayIcon();
    }
    registered_ = true;
}

void TTrayIcon::ModifyTray()
{
    RefreshRecord();
    if (!area_->Notify(nmModify, record_))
        throw ETrayIcon();
}

// A refused delete is ignored: the icon counts as gone all the same.
void TTrayIcon::DeleteFromTray()
{
    RefreshRecord();
    area_->Notify(nmDelete, record_);
    registered_ = false;
}

// ---------------------------------------------------------------------------
// Mouse messages

void TTrayIcon::HandleMouseMessage(int mouseMessage)
{
    if (!enabled_)
        return;
    const QPoint at = QCursor::pos();
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        Raise(onMouseMove_, this, TShiftState(), at.x(), at.y());
        break;
    case WM_LBUTTONDOWN:
        ButtonDown(Qt::LeftButton, lbPopupMenu_, at);
        break;
    case WM_LBUTTONUP:
        if (onMouseUp_)
            RaiseMouseUp(Qt::LeftButton, at);
        else
            LeftButtonUp(at);
        break;
    case WM_LBUTTONDBLCLK:
        // The button up that follows belongs to the double click.
        clickPending_ = true;
        Raise(onDblClick_, this);
        break;
    case WM_RBUTTONDOWN:
        ButtonDown(Qt::RightButton, rbPopupMenu_, at);
        break;
    case WM_RBUTTONUP:
        RaiseMouseUp(Qt::RightButton, at);
        break;
    case WM_MBUTTONDOWN:
        ButtonDown(Qt::MiddleButton, nullptr, at);
        break;
    case WM_MBUTTONUP:
        RaiseMouseUp(Qt::MiddleButton, at);
        break;
    default:
        break;
    }
}

void TTrayIcon::ButtonDown(Qt::MouseButton button, QMenu *menu, QPoint at)
{
    if (menu != nullptr && autoPopup_) {
        Popup(menu, at);
        return;
    }
    Raise(onMouseDown_, this, button, TShiftState(button), at.x(), at.y());
}

void TTrayIcon::RaiseMouseUp(Qt::MouseButton button, QPoint at)
{
    Raise(onMouseUp_, this, button, TShiftState(button), at.x(), at.y());
}

// A single click is raised only after the double-click time has passed
// without the button up that ends a double click.
void TTrayIcon::LeftButtonUp(QPoint)
{
    if (!onClick_) {
        clickPending_ = false;
        return;
    }
    if (clickPending_) {
        clickPending_ = false;
        return;
    }
    clickPending_ = true;
    if (auto *window = TCallbackWindow::Instance())
        window->StartSingleClick(number_);
}

void TTrayIcon::SingleClickDone()
{
    const bool raise = onClick_ && clickPending_;
    clickPending_ = false;
    if (raise)
        Raise(onClick_, this);
}

// The owner comes to the front first so that the menu closes when the user
// clicks elsewhere.
void TTrayIcon::Popup(QMenu *menu, QPoint at)
{
    QPointer<QMenu> target(menu);
    auto *form = qobject_cast<QWidget *>(parent());
    if (form != nullptr && form->isWindow()) {
        if (form->isVisible()) {
            form->raise();
            form->activateWindow();
        }
        QCoreApplication::processEvents();
    }
    if (target)
        target->popup(at);
}

// ---------------------------------------------------------------------------
// TSingleClick

TSingleClick::TSingleClick(int iconNumber, QObject *parent)
    : QObject(parent), iconNumber_(iconNumber)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { emit Finished(iconNumber_); });
    timer_.start(Delay());
}

int TSingleClick::Delay()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval() + ExtraDelay;
}

// ---------------------------------------------------------------------------
// TCallbackWindow

TCallbackWindow *TCallbackWindow::Instance()
{
    return Registry().window;
}

TCallbackWindow *TCallbackWindow::Acquire()
{
    auto &registry = Registry();
    if (registry.window == nullptr)
        registry.window = new TCallbackWindow();
    return registry.window;
}

// The window goes with the last tray icon; when that icon is destroyed by
// one of its own event handlers, the window is still handling the message
// and is deleted once control is back in the event loop.
void TCallbackWindow::ReleaseIfUnused()
{
    auto &registry = Registry();
    if (!registry.entries.empty() || registry.window == nullptr)
        return;
    TCallbackWindow *window = std::exchange(registry.window, nullptr);
    if (window->dispatching_ > 0)
        window->deleteLater();
    else
        delete window;
}

// Runs an icon's handling while marking the window busy, so that an event
// handler that destroys the last tray icon does not delete the window under
// the running call.
void TCallbackWindow::Dispatch(const std::function<void()> &handle)
{
    ++dispatching_;
    const auto restore = qScopeGuard([this] { --dispatching_; });
    handle();
}

bool TCallbackWindow::event(QEvent *event)
{
    if (event->type() != TTrayMessageEvent::EventType())
        return QObject::event(event);
    const auto *message = static_cast<TTrayMessageEvent *>(event);
    if (message->Message() == WM_TRAYICON)
        TrayMessage(message->IconNumber(), message->MouseMessage());
    return true;
}

void TCallbackWindow::TrayMessage(int iconNumber, int mouseMessage)
{
    TTrayIcon *icon = TTrayIcon::Find(iconNumber);
    if (icon == nullptr)
        return;
    current_ = icon;
    Dispatch([icon, mouseMessage] { icon->HandleMouseMessage(mouseMessage); });
}

void TCallbackWindow::StartSingleClick(int iconNumber)
{
    CancelSingleClick(iconNumber);
    auto *worker = new TSingleClick(iconNumber, this);
    workers_[iconNumber] = worker;
    connect(worker, &TSingleClick::Finished, this, &TCallbackWindow::SingleClickDone);
}

void TCallbackWindow::CancelSingleClick(int iconNumber)
{
    const auto found = workers_.find(iconNumber);
    if (found == workers_.end())
        return;
    found->second->Stop();
    found->second->deleteLater();
    workers_.erase(found);
}

// The worker's completion acts on the icon that started it, if that icon is
// still alive.
void TCallbackWindow::SingleClickDone(int iconNumber)
{
    CancelSingleClick(iconNumber);
    TTrayIcon *icon = TTrayIcon::Find(iconNumber);
    if (icon == nullptr)
        return;
    Dispatch([icon] { icon->SingleClickDone(); });
}
