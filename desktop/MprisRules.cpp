#include "desktop/MprisRules.h"

#include <QDBusObjectPath>

namespace tunelet::mpris
{

Status playbackStatus(const PlayerState &state)
{
    if (!state.song)
        return Status::Stopped;
    return state.paused ? Status::Paused : Status::Playing;
}

QString statusText(Status status)
{
    switch (status) {
    case Status::Stopped:
        return QStringLiteral("Stopped");
    case Status::Paused:
        return QStringLiteral("Paused");
    case Status::Playing:
        break;
    }
    return QStringLiteral("Playing");
}

QString loopStatus(PlayOrder order, bool repeat)
{
    if (!repeat)
        return QStringLiteral("None");
    return order == PlayOrder::Single ? QStringLiteral("Track") : QStringLiteral("Playlist");
}

std::optional<Modes> withLoopStatus(const QString &loop, Modes now)
{
    if (loop == QLatin1String("None"))
        return Modes{now.order, false};
    if (loop == QLatin1String("Track"))
        return Modes{PlayOrder::Single, true};
    if (loop == QLatin1String("Playlist"))
        return Modes{now.order == PlayOrder::Single ? PlayOrder::List : now.order, true};
    return std::nullopt;
}

PlayOrder withShuffle(bool shuffle, PlayOrder now)
{
    if (shuffle)
        return PlayOrder::Random;
    return now == PlayOrder::Random ? PlayOrder::List : now;
}

Button buttonFor(Request request, Status status)
{
    switch (request) {
    case Request::Play:
        return status == Status::Stopped  ? Button::Play
               : status == Status::Paused ? Button::Pause
                                          : Button::None;
    case Request::Pause:
        return status == Status::Playing ? Button::Pause : Button::None;
    case Request::PlayPause:
        return status == Status::Stopped ? Button::Play : Button::Pause;
    }
    return Button::None;
}

QString fileUrl(const QByteArray &path)
{
    return QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/"));
}

std::optional<QByteArray> pathOfFileUrl(QByteArrayView url)
{
    QByteArrayView rest;
    if (url.startsWith("file:///"))
        rest = url.sliced(7);
    else if (url.startsWith("file://localhost/"))
        rest = url.sliced(16);
    else
        return std::nullopt;
    return QByteArray::fromPercentEncoding(rest.toByteArray());
}

QString trackId(quint64 serial)
{
    return QStringLiteral("/tunelet/track/%1").arg(serial);
}

QVariantMap metadata(const PlayerState &state)
{
    QVariantMap map;
    if (!state.song)
        return map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(trackId(state.song->serial))));
    map.insert(QStringLiteral("xesam:title"), state.song->title);
    map.insert(QStringLiteral("xesam:url"), fileUrl(state.song->path));
    if (state.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), state.lengthUs);
    return map;
}

QVariantMap announcedProperties(const PlayerState &state)
{
    const bool hasRows = state.rowCount > 0;
    return {
        {QStringLiteral("PlaybackStatus"), statusText(playbackStatus(state))},
        {QStringLiteral("LoopStatus"), loopStatus(state.order, state.repeat)},
        {QStringLiteral("Shuffle"), state.order == PlayOrder::Random},
        {QStringLiteral("Metadata"), metadata(state)},
        {QStringLiteral("CanGoNext"), hasRows},
        {QStringLiteral("CanGoPrevious"), hasRows},
        {QStringLiteral("CanPlay"), hasRows || state.song.has_value()},
        {QStringLiteral("CanPause"), state.song.has_value()},
    };
}

QVariantMap changedProperties(const QVariantMap &before, const QVariantMap &now)
{
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    return changed;
}

bool positionJumped(const Moment &before, const Moment &now)
{
    constexpr qint64 toleranceUs = 1'000'000;
    const Status was = playbackStatus(before.state);
    if (was == Status::Stopped || playbackStatus(now.state) == Status::Stopped ||
        before.state.song->serial != now.state.song->serial)
        return false;
    const qint64 played = was == Status::Playing ? (now.atMs - before.atMs) * 1000 : 0;
    return qAbs(now.state.positionUs - (before.state.positionUs + played)) > toleranceUs;
}

} // namespace tunelet::mpris
