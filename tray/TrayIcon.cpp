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
    m_number = number;
    registry.entries.emplace_back(m_number, this);

    if (area == nullptr) {
        m_ownArea = std::make_unique<TQtNotifyArea>();
        area = m_ownArea.get();
    }
    m_area = area;
    TCallbackWindow::Acquire();
    m_record.size = 88;
    m_record.callbackMessage = WM_TRAYICON;
    m_record.id = m_number;

    m_animation.setTimerType(Qt::PreciseTimer);
    m_animation.setInterval(m_animateRate);
    connect(&m_animation, &QTimer::timeout, this, &TTrayIcon::AnimationStep);
}

TTrayIcon::~TTrayIcon()
{
    StopAnimationQuietly();
    if (m_registered)
        DeleteFromTray();

    auto &entries = Registry().entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [this](const auto &entry) { return entry.second == this; }),
                  entries.end());
    if (auto *window = Registry().window)
        window->CancelSingleClick(m_number);
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
    m_loading = false;
    if (m_visible)
        AddToTray();
}

void TTrayIcon::SetAnimateIcons(TIconList *icons)
{
    if (icons == m_animateIcons || m_animating)
        return;
    m_animateIcons = icons;
}

void TTrayIcon::SetAnimateRate(int milliseconds)
{
    m_animateRate = std::max(milliseconds, MinAnimateRate);
    m_animation.setInterval(m_animateRate);
}

void TTrayIcon::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    if (!m_enabled)
        m_clickPending = false;
}

void TTrayIcon::SetIcon(const QIcon &icon)
{
    if (icon.isNull()) {
        SetVisible(false);
        m_icon = QIcon();
        return;
    }
    if (icon.cacheKey() == m_icon.cacheKey())
        return;
    m_icon = icon;
    if (m_registered)
        ModifyTray();
}

void TTrayIcon::SetTipHelp(const QByteArray &tip)
{
    const QByteArray cut = CutTipBytes(tip, MaxTipBytes);
    if (cut == m_tipHelp)
        return;
    m_tipHelp = cut;
    if (m_registered)
        ModifyTray();
}

QString TTrayIcon::TipText() const
{
    return DecodeTipText(m_tipHelp);
}

void TTrayIcon::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    m_visible = value && !m_icon.isNull();
    if (m_loading)
        return;
    if (m_visible)
        AddToTray();
    else if (m_registered)
        DeleteFromTray();
}

void TTrayIcon::StartAnimation()
{
    if (m_animating || !m_animateIcons || m_animateIcons->Count() == 0)
        return;
    m_animating = true;
    m_frame = 0;
    m_animation.start();
    if (!m_registered)
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
    if (!m_animating)
        return;
    StopAnimationQuietly();
    if (m_registered)
        ModifyTray();
}

void TTrayIcon::StopAnimationQuietly()
{
    m_animation.stop();
    m_animating = false;
}

// Runs from the animation timer, where no error may escape: a refused frame
// ends the animation.
void TTrayIcon::AnimationStep()
{
    if (!m_animateIcons || m_animateIcons->Count() == 0) {
        StopAnimationQuietly();
        return;
    }
    m_frame = (m_frame + 1) % m_animateIcons->Count();
    if (!m_registered)
        return;
    RefreshRecord();
    if (!m_area->Notify(nmModify, m_record))
        StopAnimationQuietly();
}

// ---------------------------------------------------------------------------
// Tray operations

void TTrayIcon::RefreshRecord()
{
    if (m_animating && m_animateIcons && m_animateIcons->Count() > 0)
        m_record.icon = m_animateIcons->Icon(m_frame % m_animateIcons->Count());
    else
        m_record.icon = m_icon;
    m_record.SetTip(m_tipHelp);
    m_record.flags = NIF_MESSAGE | NIF_ICON;
    if (!m_tipHelp.isEmpty())
        m_record.flags |= NIF_TIP;
}

// A refused add leaves Visible false, so that Visible tells whether the icon
// is shown and setting it true again tries again.
void TTrayIcon::AddToTray()
{
    if (!m_visible)
        return;
    RefreshRecord();
    m_record.window = TCallbackWindow::Acquire();
    if (!m_area->Notify(nmAdd, m_record)) {
        m_visible = false;
        throw ETrayIcon();
    }
    m_registered = true;
}

void TTrayIcon::ModifyTray()
{
    RefreshRecord();
    if (!m_area->Notify(nmModify, m_record))
        throw ETrayIcon();
}

// A refused delete is ignored: the icon counts as gone all the same.
void TTrayIcon::DeleteFromTray()
{
    RefreshRecord();
    m_area->Notify(nmDelete, m_record);
    m_registered = false;
}

// ---------------------------------------------------------------------------
// Mouse messages

void TTrayIcon::HandleMouseMessage(int mouseMessage)
{
    if (!m_enabled)
        return;
    const QPoint at = QCursor::pos();
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        Raise(m_onMouseMove, this, TShiftState(), at.x(), at.y());
        break;
    case WM_LBUTTONDOWN:
        ButtonDown(Qt::LeftButton, m_lbPopupMenu, at);
        break;
    case WM_LBUTTONUP:
        if (m_onMouseUp)
            RaiseMouseUp(Qt::LeftButton, at);
        else
            LeftButtonUp(at);
        break;
    case WM_LBUTTONDBLCLK:
        // The button up that follows belongs to the double click.
        m_clickPending = true;
        Raise(m_onDblClick, this);
        break;
    case WM_RBUTTONDOWN:
        ButtonDown(Qt::RightButton, m_rbPopupMenu, at);
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
    if (menu != nullptr && m_autoPopup) {
        Popup(menu, at);
        return;
    }
    Raise(m_onMouseDown, this, button, TShiftState(button), at.x(), at.y());
}

void TTrayIcon::RaiseMouseUp(Qt::MouseButton button, QPoint at)
{
    Raise(m_onMouseUp, this, button, TShiftState(button), at.x(), at.y());
}

// A single click is raised only after the double-click time has passed
// without the button up that ends a double click.
void TTrayIcon::LeftButtonUp(QPoint)
{
    if (!m_onClick) {
        m_clickPending = false;
        return;
    }
    if (m_clickPending) {
        m_clickPending = false;
        return;
    }
    m_clickPending = true;
    if (auto *window = TCallbackWindow::Instance())
        window->StartSingleClick(m_number);
}

void TTrayIcon::SingleClickDone()
{
    const bool raise = m_onClick && m_clickPending;
    m_clickPending = false;
    if (raise)
        Raise(m_onClick, this);
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
    : QObject(parent), m_iconNumber(iconNumber)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { emit Finished(m_iconNumber); });
    m_timer.start(Delay());
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
    if (window->m_dispatching > 0)
        window->deleteLater();
    else
        delete window;
}

// Runs an icon's handling while marking the window busy, so that an event
// handler that destroys the last tray icon does not delete the window under
// the running call.
void TCallbackWindow::Dispatch(const std::function<void()> &handle)
{
    ++m_dispatching;
    const auto restore = qScopeGuard([this] { --m_dispatching; });
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
    m_current = icon;
    Dispatch([icon, mouseMessage] { icon->HandleMouseMessage(mouseMessage); });
}

void TCallbackWindow::StartSingleClick(int iconNumber)
{
    CancelSingleClick(iconNumber);
    auto *worker = new TSingleClick(iconNumber, this);
    m_workers[iconNumber] = worker;
    connect(worker, &TSingleClick::Finished, this, &TCallbackWindow::SingleClickDone);
}

void TCallbackWindow::CancelSingleClick(int iconNumber)
{
    const auto found = m_workers.find(iconNumber);
    if (found == m_workers.end())
        return;
    found->second->Stop();
    found->second->deleteLater();
    m_workers.erase(found);
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
