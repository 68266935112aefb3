#include "tray/QtNotifyArea.h"

#include "tray/TipText.h"

#include <QCoreApplication>
#include <QPointer>

namespace
{

void Apply(QSystemTrayIcon &icon, const TNotifyIconData &data)
{
    if (data.flags & NIF_ICON)
        icon.setIcon(data.icon);
    icon.setToolTip((data.flags & NIF_TIP) ? DecodeTipText(data.Tip()) : QString());
}

} // namespace

QList<int> MouseMessagesFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return {WM_LBUTTONDOWN, WM_LBUTTONUP};
    case QSystemTrayIcon::DoubleClick:
        return {WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    case QSystemTrayIcon::Context:
        return {WM_RBUTTONDOWN, WM_RBUTTONUP};
    case QSystemTrayIcon::MiddleClick:
        return {WM_MBUTTONDOWN, WM_MBUTTONUP};
    case QSystemTrayIcon::Unknown:
        break;
    }
    return {};
}

void PostActivation(QObject *callbackWindow, int callbackMessage, int iconNumber,
                    QSystemTrayIcon::ActivationReason reason)
{
    if (callbackWindow == nullptr)
        return;
    for (const int mouseMessage : MouseMessagesFor(reason))
        QCoreApplication::postEvent(
            callbackWindow, new TTrayMessageEvent(callbackMessage, iconNumber, mouseMessage));
}

TQtNotifyArea::~TQtNotifyArea() = default;

bool TQtNotifyArea::Notify(TNotifyMessage message, const TNotifyIconData &data)
{
    switch (message) {
    case nmAdd:
        return Add(data);
    case nmModify:
        return Modify(data);
    case nmDelete:
        return Delete(data);
    }
    return false;
}

bool TQtNotifyArea::Add(const TNotifyIconData &data)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() || m_icons.count(data.id) != 0)
        return false;
    auto icon = std::make_unique<QSystemTrayIcon>();
    Apply(*icon, data);
    if (data.flags & NIF_MESSAGE) {
        QPointer<QObject> window = data.window;
        const int callbackMessage = data.callbackMessage;
        const int number = data.id;
        QObject::connect(
            icon.get(), &QSystemTrayIcon::activated, icon.get(),
            [window, callbackMessage, number](QSystemTrayIcon::ActivationReason reason) {
                PostActivation(window, callbackMessage, number, reason);
            });
    }
    icon->show();
    m_icons.emplace(data.id, std::move(icon));
    return true;
}

// An icon the tray has lost (no tray any more) cannot be modified.
bool TQtNotifyArea::Modify(const TNotifyIconData &data)
{
    const auto found = m_icons.find(data.id);
    if (found == m_icons.end() || !QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    Apply(*found->second, data);
    return true;
}

bool TQtNotifyArea::Delete(const TNotifyIconData &data)
{
    const auto found = m_icons.find(data.id);
    if (found == m_icons.end())
        return false;
    found->second->hide();
    m_icons.erase(found);
    return true;
}
