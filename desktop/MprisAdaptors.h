#pragma once

#include "desktop/MprisRules.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace tunelet
{

class MprisService;

// org.mpris.MediaPlayer2: who the player is, Raise and Quit.
class MprisRootAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    explicit MprisRootAdaptor(MprisService &service);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Tunelet"); }
    QString desktopEntry() const { return QStringLiteral("tunelet"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    MprisService &m_service;
};

// org.mpris.MediaPlayer2.Player: the transport, the song, the modes.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(qlonglong Position READ position)
    // The player has one speed and no volume control of its own.
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ one)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    static constexpr const char *Interface = "org.mpris.MediaPlayer2.Player";

    explicit MprisPlayerAdaptor(MprisService &service);

    QString playbackStatus() const;
    QString loopStatus() const;
    // A name MPRIS does not define changes nothing (Qt answers a property's
    // setting itself, with no way to refuse it).
    void setLoopStatus(const QString &loop);
    bool shuffle() const;
    void setShuffle(bool shuffle);
    QVariantMap metadata() const;
    qlonglong position() const;
    double one() const { return 1.0; }
    bool canGoNext() const { return announced("CanGoNext"); }
    bool canGoPrevious() const { return announced("CanGoPrevious"); }
    bool canPlay() const { return announced("CanPlay"); }
    bool canPause() const { return announced("CanPause"); }
    // The player moves only while a key is held; there is no jump to a place.
    bool canSeek() const { return false; }
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position);
    void OpenUri(const QString &Uri);

signals:
    void Seeked(qlonglong Position);

private:
    bool announced(const char *property) const;
    void press(mpris::Request request);

    MprisService &m_service;
};

} // namespace tunelet
