#include "desktop/MprisService.h"

#include "desktop/MprisAdaptors.h"
#include "desktop/MprisRules.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QPointer>
#include <QTimer>

namespace tunelet
{

MprisService::MprisService(DesktopPlayer &player, QObject *parent)
    : QObject(parent), m_player(player), m_bus(QString())
{
    // The adaptors are children: registering this object exports them.
    new MprisRootAdaptor(*this);
    m_playerAdaptor = new MprisPlayerAdaptor(*this);
    m_clock.start();
}

MprisService::~MprisService()
{
    if (m_busName.isEmpty())
        return;
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
    m_bus.unregisterService(m_busName);
}

bool MprisService::start(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !m_busName.isEmpty())
        return false;
    m_bus = bus;
    if (!m_bus.registerObject(QString::fromLatin1(ObjectPath), this,
                              QDBusConnection::ExportAdaptors))
        return false;
    const QString base = QString::fromLatin1(BaseName);
    const QString instance =
        base + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    for (const QString &name : {base, instance}) {
        if (m_bus.registerService(name)) {
            m_busName = name;
            break;
        }
    }
    if (m_busName.isEmpty()) {
        m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
        return false;
    }
    m_lastLook = {m_player.state(), m_clock.elapsed()};
    m_announced = mpris::announcedProperties(m_lastLook.state);
    return true;
}

void MprisService::refresh()
{
    if (m_busName.isEmpty())
        return;
    const mpris::Moment look{m_player.state(), m_clock.elapsed()};
    if (mpris::positionJumped(m_lastLook, look))
        emit m_playerAdaptor->Seeked(look.state.positionUs);
    m_lastLook = look;
    const QVariantMap now = mpris::announcedProperties(look.state);
    const QVariantMap changed = mpris::changedProperties(m_announced, now);
    m_announced = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(MprisPlayerAdaptor::Interface) << changed << QStringList();
    m_bus.send(signal);
}

void MprisService::refuse(QDBusError::ErrorType error, const QString &text)
{
    if (calledFromDBus())
        sendErrorReply(error, text);
}

void MprisService::runLater(const std::function<void(DesktopPlayer &)> &command)
{
    QTimer::singleShot(0, this, [this, command] {
        command(m_player);
        refresh();
    });
}

} // namespace tunelet
