#pragma once

#include "desktop/DesktopPlayer.h"
#include "desktop/MprisRules.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QElapsedTimer>
#include <QObject>
#include <QVariantMap>

#include <functional>

namespace tunelet
{

class MprisPlayerAdaptor;

// The jukebox on the session bus as an MPRIS 2 media player
// (org.mpris.MediaPlayer2.tunelet, or ….instance<pid> when another Tunelet
// holds that name), so media keys, panel applets and playerctl drive it.
// Everything runs on the thread that owns the service, the GUI thread.
//
// Qt D-Bus gives the context of a call to an adaptor's method to the object
// the adaptor belongs to, this service, never to the adaptor itself; and it
// gives none to a property's setter, whose reply it makes itself.
class MprisService final : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char *BaseName = "org.mpris.MediaPlayer2.tunelet";

    explicit MprisService(DesktopPlayer &player, QObject *parent = nullptr);
    ~MprisService() override;
    Q_DISABLE_COPY_MOVE(MprisService)

    // Puts the player on the bus; false (and nothing else) when the bus is
    // not there or refuses both names.
    bool start(const QDBusConnection &bus);
    // The name the player holds; empty before a successful start.
    QString busName() const { return m_busName; }

    // Announces the properties that changed since the last look (song,
    // status, modes, what can be done) in one PropertiesChanged signal, and
    // a jump of the position by the Seeked signal.
    void refresh();

    DesktopPlayer &player() const { return m_player; }

    // Answers the D-Bus method call being handled with an error instead of
    // its result. Outside a method call (a property being set) nothing is
    // sent: the request is dropped and Qt answers it as done.
    void refuse(QDBusError::ErrorType error, const QString &text);

    // Runs a command once the D-Bus call that asked for it has been answered:
    // a command may open a message box, and the client is not to wait for it.
    void runLater(const std::function<void(DesktopPlayer &)> &command);

private:
    DesktopPlayer &m_player;
    QDBusConnection m_bus;
    QString m_busName;
    MprisPlayerAdaptor *m_playerAdaptor = nullptr;
    QVariantMap m_announced; // the properties as the desktop last heard them
    QElapsedTimer m_clock;
    mpris::Moment m_lastLook;
};

} // namespace tunelet
