#pragma once

// The notification-area (tray) icon component.
//
// TTrayIcon puts one icon with a tip into the notification area, turns the
// mouse messages the area sends back into events, pops up a menu for the
// left or right button and tells a single click from a double click.
// TCallbackWindow is the one receiver of the area's messages for all tray
// icons of the process; TSingleClick times one pending single click.
//
// Typical use by a main window:
//
//   auto *tray = new TTrayIcon(this);          // owned by the window
//   tray->SetIcon(windowIcon());
//   tray->SetTipHelp("Tunelet");
//   tray->SetRBPopupMenu(popupTray);
//   tray->SetOnDblClick([this](TTrayIcon *) { PMWindowClick(); });
//   tray->SetVisible(true);                    // may throw ETrayIcon
//
// Adding the icon, modifying its tip or image while it is in the tray, and
// creating a 101st tray icon throw ETrayIcon; everything runs on the GUI
// thread.

#include "tray/IconList.h"
#include "tray/NotifyArea.h"

#include <QByteArray>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

class TTrayIcon;

// The tray icon's registration error.
class ETrayIcon final : public std::runtime_error
{
public:
    ETrayIcon();
    // The message for display.
    QString Message() const { return QString::fromUtf8(what()); }
};

// "タスクトレイにアイコンを登録できません。"
extern const char *const TrayRegistrationMessage;

// The mouse buttons held, as the shift state of the mouse events.
using TShiftState = Qt::MouseButtons;
using TNotifyEvent = std::function<void(TTrayIcon *sender)>;
using TMouseEvent =
    std::function<void(TTrayIcon *sender, Qt::MouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TTrayIcon *sender, TShiftState shift, int x, int y)>;

class TTrayIcon final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TTrayIcon)

public:
    // The largest number of tray icons alive at once.
    static constexpr int MaxIcons = 100;
    static constexpr int MinAnimateRate = 100;

    // Takes the next icon number; throws ETrayIcon when MaxIcons icons are
    // alive. Without an area the icon lives in the desktop's system tray;
    // a given area must outlive the icon.
    explicit TTrayIcon(QObject *owner, TNotifyArea *area = nullptr);
    ~TTrayIcon() override;

    // The registry of live tray icons, in creation order.
    static TTrayIcon *Find(int number);
    static int Count();

    // Unique among the live tray icons: 1 for the first, else the number of
    // the latest created live icon plus 1.
    int Number() const { return m_number; }
    // Whether the icon is in the tray now.
    bool Registered() const { return m_registered; }
    bool ClickPending() const { return m_clickPending; }
    const TNotifyIconData &NotifyIconData() const { return m_record; }

    // Between these two, setting Visible does not touch the tray; Loaded adds
    // the icon when Visible is true (may throw ETrayIcon).
    void BeginLoading() { m_loading = true; }
    void Loaded();

    TIconList *AnimateIcons() const { return m_animateIcons; }
    // Ignored while an animation runs.
    void SetAnimateIcons(TIconList *icons);
    int AnimateRate() const { return m_animateRate; }
    // Stores at least MinAnimateRate milliseconds.
    void SetAnimateRate(int milliseconds);
    bool AutoPopup() const { return m_autoPopup; }
    void SetAutoPopup(bool value) { m_autoPopup = value; }
    bool Enabled() const { return m_enabled; }
    // When false, the tray's mouse messages are ignored and a pending
    // single click is dropped.
    void SetEnabled(bool value);
    QIcon Icon() const { return m_icon; }
    // A null icon removes the icon from the tray and sets Visible false;
    // another image modifies the tray entry while registered.
    void SetIcon(const QIcon &icon);
    QMenu *LBPopupMenu() const { return m_lbPopupMenu; }
    void SetLBPopupMenu(QMenu *menu) { m_lbPopupMenu = menu; }
    QMenu *RBPopupMenu() const { return m_rbPopupMenu; }
    void SetRBPopupMenu(QMenu *menu) { m_rbPopupMenu = menu; }
    // The tip as bytes (UTF-8 or Shift-JIS), at most 62 of them.
    QByteArray TipHelp() const { return m_tipHelp; }
    // Keeps the first 62 bytes, never cutting a character; modifies the
    // tray entry while registered when the tip changes.
    void SetTipHelp(const QByteArray &tip);
    // The tip decoded for display.
    QString TipText() const;
    bool Visible() const { return m_visible; }
    // Stays false without an image; true adds the icon to the tray, false
    // removes it.
    void SetVisible(bool value);

    const TNotifyEvent &OnClick() const { return m_onClick; }
    void SetOnClick(TNotifyEvent handler) { m_onClick = std::move(handler); }
    const TNotifyEvent &OnDblClick() const { return m_onDblClick; }
    void SetOnDblClick(TNotifyEvent handler) { m_onDblClick = std::move(handler); }
    const TMouseEvent &OnMouseDown() const { return m_onMouseDown; }
    void SetOnMouseDown(TMouseEvent handler) { m_onMouseDown = std::move(handler); }
    const TMouseMoveEvent &OnMouseMove() const { return m_onMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent handler) { m_onMouseMove = std::move(handler); }
    const TMouseEvent &OnMouseUp() const { return m_onMouseUp; }
    void SetOnMouseUp(TMouseEvent handler) { m_onMouseUp = std::move(handler); }

    // Shows the frames of AnimateIcons in turn, one per AnimateRate
    // milliseconds, in place of Icon.
    void StartAnimation();
    void StopAnimation();
    bool Animating() const { return m_animating; }

private:
    friend class TCallbackWindow;

    void HandleMouseMessage(int mouseMessage);
    void ButtonDown(Qt::MouseButton button, QMenu *menu, QPoint at);
    void RaiseMouseUp(Qt::MouseButton button, QPoint at);
    void LeftButtonUp(QPoint at);
    void SingleClickDone();
    void Popup(QMenu *menu, QPoint at);

    void RefreshRecord();
    void AddToTray();
    void ModifyTray();
    void DeleteFromTray();
    void AnimationStep();
    void StopAnimationQuietly();

    bool m_animating = false;
    QPointer<TIconList> m_animateIcons;
    int m_animateRate = 500;
    bool m_autoPopup = true;
    bool m_enabled = true;
    QIcon m_icon;
    QPointer<QMenu> m_lbPopupMenu;
    QPointer<QMenu> m_rbPopupMenu;
    QByteArray m_tipHelp = "TipHelp";
    bool m_visible = false;
    TNotifyEvent m_onClick;
    TNotifyEvent m_onDblClick;
    TMouseEvent m_onMouseDown;
    TMouseMoveEvent m_onMouseMove;
    TMouseEvent m_onMouseUp;

    QTimer m_animation;
    qsizetype m_frame = 0;
    int m_number = 0;
    bool m_registered = false;
    TNotifyIconData m_record;
    bool m_clickPending = false;
    bool m_loading = false;

    std::unique_ptr<TNotifyArea> m_ownArea;
    TNotifyArea *m_area = nullptr;
};

// Times one single click: finishes the double-click time plus 50 ms after
// it was started, unless stopped.
class TSingleClick final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSingleClick)

public:
    static constexpr int ExtraDelay = 50;

    TSingleClick(int iconNumber, QObject *parent);

    int IconNumber() const { return m_iconNumber; }
    // The desktop's double-click time plus ExtraDelay, in milliseconds.
    static int Delay();
    void Stop() { m_timer.stop(); }

signals:
    void Finished(int iconNumber);

private:
    int m_iconNumber;
    QTimer m_timer;
};

// Receives the notification area's callback messages for all tray icons of
// the process and dispatches each to its icon. It exists while any tray icon
// exists.
class TCallbackWindow final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TCallbackWindow)

public:
    // Null while no tray icon exists.
    static TCallbackWindow *Instance();

    // The icon of the latest message handled.
    TTrayIcon *CurrentIcon() const { return m_current; }
    // Handles one callback message: the icon number and the mouse message.
    void TrayMessage(int iconNumber, int mouseMessage);
    // Single-click timers alive now.
    int PendingClicks() const { return static_cast<int>(m_workers.size()); }

protected:
    bool event(QEvent *event) override;

private:
    friend class TTrayIcon;

    TCallbackWindow() = default;
    static TCallbackWindow *Acquire();
    static void ReleaseIfUnused();

    void Dispatch(const std::function<void()> &handle);
    void StartSingleClick(int iconNumber);
    void CancelSingleClick(int iconNumber);
    void SingleClickDone(int iconNumber);

    QPointer<TTrayIcon> m_current;
    std::map<int, TSingleClick *> m_workers;
    int m_dispatching = 0;
};
