#include "desktop/FileHandOver.h"

#include "platform/core/ByteFile.h"

#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDeadlineTimer>
#include <QThread>

namespace tunelet
{

namespace
{

constexpr int CallTimeoutMs = 10000;
constexpr int RetryPauseMs = 100;

const QString closingError = QStringLiteral("org.example.tunelet.Error.Closing");

} // namespace

FileHandOver::FileHandOver(const QByteArray &programFolder, QObject *parent)
    : QObject(parent), m_bus(QString()), m_name(folderBusName(realPath(programFolder)))
{
    qDBusRegisterMetaType<QByteArrayList>();
}

FileHandOver::~FileHandOver()
{
    if (!m_owner)
        return;
    m_bus.unregisterObject(QString::fromLatin1(ObjectPath));
    m_bus.unregisterService(m_name);
}

QString FileHandOver::folderBusName(const QByteArray &programFolder)
{
    QByteArray folder = programFolder;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    const QByteArray hash = QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex();
    // A name's elements may not begin with a digit.
    return QStringLiteral("org.example.tunelet.Folder.F") + QString::fromLatin1(hash);
}

FileHandOver::Outcome FileHandOver::claim(const QDBusConnection &bus, const QByteArrayList &files,
                                          QString *why, int waitMs)
{
    if (m_released)
        return Outcome::Alone; // the program has closed before it came to claim
    m_bus = bus;
    if (!m_bus.isConnected())
        return Outcome::Alone;
    // The object is there before the name, so a call never finds the name
    // without it; calls wait in the event queue until the window is ready.
    const QString path = QString::fromLatin1(ObjectPath);
    if (!m_bus.registerObject(path, this, QDBusConnection::ExportScriptableSlots))
        return Outcome::Alone;
    const QDeadlineTimer deadline(waitMs);
    Outcome outcome = Outcome::Alone;
    for (;;) {
        if (m_bus.registerService(m_name)) {
            m_owner = true;
            return Outcome::Owner;
        }
        if (files.isEmpty())
            break; // another Tunelet has the folder; this one runs as before
        const Sent sent = send(files, why);
        if (sent == Sent::Taken) {
            outcome = Outcome::HandedOver;
            break;
        }
        if (sent == Sent::Refused || deadline.hasExpired()) {
            outcome = Outcome::Refused;
            break;
        }
        // The holder is closing, or has just gone: claim again once it has.
        QThread::msleep(RetryPauseMs);
    }
    m_bus.unregisterObject(path);
    return outcome;
}

FileHandOver::Sent FileHandOver::send(const QByteArrayList &files, QString *why) const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_name, QString::fromLatin1(ObjectPath),
                                       QString::fromLatin1(Interface), QStringLiteral("Open"));
    call << QVariant::fromValue(files);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Sent::Taken;
    if (why)
        *why = reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    const QString error = reply.errorName();
    if (error == closingError || error == QDBusError::errorString(QDBusError::ServiceUnknown) ||
        error == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return Sent::TryAgain;
    return Sent::Refused;
}

void FileHandOver::Open(const QByteArrayList &paths)
{
    if (!m_released && !m_receiver) {
        // The window is not there yet: it takes them when it is.
        m_pending << paths;
        return;
    }
    if ((m_released || !m_receiver(paths)) && calledFromDBus())
        sendErrorReply(closingError, QStringLiteral("Tunelet is closing"));
}

void FileHandOver::setReceiver(const Receiver &receiver)
{
    m_receiver = receiver;
    const QList<QByteArrayList> pending = std::exchange(m_pending, {});
    for (const QByteArrayList &paths : pending)
        m_receiver(paths);
}

void FileHandOver::release()
{
    m_released = true;
    if (m_owner)
        m_bus.unregisterService(m_name);
}

} // namespace tunelet
