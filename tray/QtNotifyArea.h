#pragma once

// The notification area of the desktop, carried by QSystemTrayIcon: one
// QSystemTrayIcon per added icon number. Its activations come back to the
// record's callback window as the mouse messages a tray would send.

#include "tray/NotifyArea.h"

#include <QList>
#include <QSystemTrayIcon>

#include <map>
#include <memory>

// The mouse messages that stand for one activation of a QSystemTrayIcon.
QList<int> MouseMessagesFor(QSystemTrayIcon::ActivationReason reason);

// Posts the callback messages for one activation to the callback window.
void PostActivation(QObject *callbackWindow, int callbackMessage, int iconNumber,
                    QSystemTrayIcon::ActivationReason reason);

class TQtNotifyArea final : public TNotifyArea
{
    Q_DISABLE_COPY_MOVE(TQtNotifyArea)

public:
    TQtNotifyArea() = default;
    ~TQtNotifyArea() override;

    bool Notify(TNotifyMessage message, const TNotifyIconData &data) override;

private:
    bool Add(const TNotifyIconData &data);
    bool Modify(const TNotifyIconData &data);
    bool Delete(const TNotifyIconData &data);

    std::map<int, std::unique_ptr<QSystemTrayIcon>> m_icons;
};
