#pragma once

#include <QByteArrayList>
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

#include <functional>

namespace tunelet
{

// One Tunelet per program folder. The first start holds a name on the
// session bus that stands for its folder; a later start that is given files
// hands them to it and ends, so that no second window writes the same
// settings file. Without a bus every start runs on its own, as before.
class FileHandOver final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.tunelet.Files")

public:
    static constexpr const char *ObjectPath = "/org/example/tunelet";
    static constexpr const char *Interface = "org.example.tunelet.Files";

    enum class Outcome {
        Owner,      // this start holds the folder: it runs and takes later files
        HandedOver, // the files went to the Tunelet that holds it: end now
        Alone,      // it runs without holding the folder (no bus, or no files
                    // for the one that holds it)
        Refused,    // the Tunelet holding the folder did not take the files
    };

    explicit FileHandOver(const QByteArray &programFolder, QObject *parent = nullptr);
    ~FileHandOver() override;
    Q_DISABLE_COPY_MOVE(FileHandOver)

    // The bus name that stands for a program folder.
    static QString folderBusName(const QByteArray &programFolder);

    // Claims the folder on the bus. When another Tunelet holds it and files
    // are given, they are handed to it; one that is just closing is waited
    // for (up to waitMs) to let the folder go, and then this start claims it.
    // *why tells why files were refused. Without files the outcome never ends
    // the start, so the claim may wait until the window is up.
    Outcome claim(const QDBusConnection &bus, const QByteArrayList &files, QString *why,
                  int waitMs = 10000);

    // Files handed over go to the receiver, which answers at once whether it
    // takes them (a closing window does not) and opens them once the call
    // has been answered. Files that came before it was set go to it now.
    using Receiver = std::function<bool(const QByteArrayList &paths)>;
    void setReceiver(const Receiver &receiver);
    // The program has closed (its settings are written): the folder is free
    // for the next start, and files still on their way are refused.
    void release();

public slots:
    // The D-Bus method a later start calls: paths as byte arrays ("aay"), so
    // names that are no valid UTF-8 arrive unchanged.
    Q_SCRIPTABLE void Open(const QByteArrayList &paths);

private:
    // What became of files sent to the holder of the folder.
    enum class Sent { Taken, TryAgain, Refused };
    Sent send(const QByteArrayList &files, QString *why) const;

    QDBusConnection m_bus;
    QString m_name;
    bool m_owner = false;
    bool m_released = false;
    Receiver m_receiver;
    QList<QByteArrayList> m_pending;
};

} // namespace tunelet
