#include "desktop/MprisAdaptors.h"

#include "desktop/DesktopPlayer.h"
#include "desktop/MprisService.h"

#include <QDBusError>

namespace tunelet
{

// ---- org.mpris.MediaPlayer2 ----

MprisRootAdaptor::MprisRootAdaptor(MprisService &service)
    : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    // The kinds a drop onto the list takes, as the desktop entry names them.
    return {QStringLiteral("audio/x-sonaro-song"), QStringLiteral("audio/x-tunelet-playlist"),
            QStringLiteral("audio/midi"), QStringLiteral("application/x-lha")};
}

void MprisRootAdaptor::Raise()
{
    m_service.runLater([](DesktopPlayer &player) { player.raiseWindow(); });
}

void MprisRootAdaptor::Quit()
{
    m_service.runLater([](DesktopPlayer &player) { player.quit(); });
}

// ---- org.mpris.MediaPlayer2.Player ----

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService &service)
    : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return mpris::statusText(mpris::playbackStatus(m_service.player().state()));
}

QString MprisPlayerAdaptor::loopStatus() const
{
    const PlayerState state = m_service.player().state();
    return mpris::loopStatus(state.order, state.repeat);
}

void MprisPlayerAdaptor::setLoopStatus(const QString &loop)
{
    const PlayerState state = m_service.player().state();
    const std::optional<mpris::Modes> modes =
        mpris::withLoopStatus(loop, {state.order, state.repeat});
    if (!modes) {
        m_service.refuse(QDBusError::InvalidArgs, QStringLiteral("No such loop status: ") + loop);
        return;
    }
    DesktopPlayer &player = m_service.player();
    if (modes->order != state.order)
        player.setOrder(modes->order);
    if (modes->repeat != state.repeat)
        player.setRepeat(modes->repeat);
    m_service.refresh();
}

bool MprisPlayerAdaptor::shuffle() const
{
    return m_service.player().state().order == PlayOrder::Random;
}

void MprisPlayerAdaptor::setShuffle(bool shuffle)
{
    const PlayOrder now = m_service.player().state().order;
    const PlayOrder order = mpris::withShuffle(shuffle, now);
    if (order != now)
        m_service.player().setOrder(order);
    m_service.refresh();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return mpris::metadata(m_service.player().state());
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service.player().state().positionUs;
}

bool MprisPlayerAdaptor::announced(const char *property) const
{
    return mpris::announcedProperties(m_service.player().state())
        .value(QLatin1String(property))
        .toBool();
}

void MprisPlayerAdaptor::Next()
{
    m_service.runLater([](DesktopPlayer &player) { player.next(); });
}

void MprisPlayerAdaptor::Previous()
{
    m_service.runLater([](DesktopPlayer &player) { player.back(); });
}

void MprisPlayerAdaptor::Stop()
{
    m_service.runLater([](DesktopPlayer &player) { player.stop(); });
}

void MprisPlayerAdaptor::Pause()
{
    press(mpris::Request::Pause);
}

void MprisPlayerAdaptor::PlayPause()
{
    press(mpris::Request::PlayPause);
}

void MprisPlayerAdaptor::Play()
{
    press(mpris::Request::Play);
}

void MprisPlayerAdaptor::press(mpris::Request request)
{
    // The status is taken when the command runs, after any command queued
    // before it: two quick PlayPause presses pause and resume.
    m_service.runLater([request](DesktopPlayer &player) {
        const mpris::Status status = mpris::playbackStatus(player.state());
        switch (mpris::buttonFor(request, status)) {
        case mpris::Button::Play:
            player.play();
            break;
        case mpris::Button::Pause:
            player.pause();
            break;
        case mpris::Button::None:
            break;
        }
    });
}

void MprisPlayerAdaptor::Seek(qlonglong) {}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString &Uri)
{
    const std::optional<QByteArray> path = mpris::pathOfFileUrl(Uri.toUtf8());
    if (!path) {
        m_service.refuse(QDBusError::NotSupported, QStringLiteral("Only local files: ") + Uri);
        return;
    }
    if (path->contains('\0')) {
        m_service.refuse(QDBusError::InvalidArgs,
                         QStringLiteral("A file name holds no NUL byte: ") + Uri);
        return;
    }
    m_service.runLater([file = *path](DesktopPlayer &player) { player.openFiles({file}); });
}

} // namespace tunelet
