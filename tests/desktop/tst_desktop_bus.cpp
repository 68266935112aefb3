// The MPRIS player on a private session bus, driven by a client of its own
// over the bus, with the main window behind it: what a client may send that
// names nothing is answered with an error, and the jukebox goes on.
#include "tests/support/SessionBus.h"
#include "tests/support/WindowFixture.h"

#include "desktop/MprisRules.h"
#include "desktop/MprisService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTest>

#include <memory>

using tunelet::MprisService;
using tunelet::testkit::ScriptedDialogs;
using tunelet::testkit::WindowFixture;

namespace
{
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int AnswerMs = 30000;
} // namespace

class TestDesktopBus final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void unknownLoopStatusChangesNothing_data();
    void unknownLoopStatusChangesNothing();
    void openUriRefusesWhatNamesNoFile_data();
    void openUriRefusesWhatNamesNoFile();
    void openUriRefusesALineBreakAndGoesOn();

private:
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &args);
    QDBusMessage setLoopStatus(const QString &loop);
    QString loopStatus();

    std::unique_ptr<SessionBus> m_bus;
    std::unique_ptr<QDBusConnection> m_serviceBus;
    std::unique_ptr<QDBusConnection> m_client;
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<MprisService> m_service;
};

void TestDesktopBus::initTestCase()
{
    m_bus = std::make_unique<SessionBus>();
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_serviceBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("service")));
    m_client = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("client")));
    QVERIFY(m_serviceBus->isConnected() && m_client->isConnected());
}

void TestDesktopBus::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->useRecordingSeams();
    TForm1 &form = m_fixture->start();
    m_service = std::make_unique<MprisService>(form.Desktop());
    QVERIFY(m_service->start(*m_serviceBus));
}

void TestDesktopBus::cleanup()
{
    m_service.reset();
    m_fixture.reset();
}

void TestDesktopBus::cleanupTestCase()
{
    m_client.reset();
    m_serviceBus.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
}

QDBusMessage TestDesktopBus::call(const QString &interface, const QString &method,
                                  const QVariantList &args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        m_service->busName(), QString::fromLatin1(MprisService::ObjectPath), interface, method);
    message.setArguments(args);
    // The service answers on this thread's event loop.
    const QDBusPendingCall pending = m_client->asyncCall(message, AnswerMs);
    // Unanswered, the reply stays invalid, which no check here takes.
    (void)QTest::qWaitFor([&pending] { return pending.isFinished(); }, AnswerMs);
    return pending.reply();
}

QDBusMessage TestDesktopBus::setLoopStatus(const QString &loop)
{
    return call(
        PropertiesInterface, QStringLiteral("Set"),
        {PlayerInterface, QStringLiteral("LoopStatus"), QVariant::fromValue(QDBusVariant(loop))});
}

QString TestDesktopBus::loopStatus()
{
    const QDBusMessage reply = call(PropertiesInterface, QStringLiteral("Get"),
                                    {PlayerInterface, QStringLiteral("LoopStatus")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QStringLiteral("(no answer)");
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toString();
}

void TestDesktopBus::unknownLoopStatusChangesNothing_data()
{
    QTest::addColumn<QString>("loop");
    QTest::newRow("Bogus") << QStringLiteral("Bogus");
    QTest::newRow("lower case") << QStringLiteral("track");
    QTest::newRow("empty") << QString();
}

void TestDesktopBus::unknownLoopStatusChangesNothing()
{
    QFETCH(QString, loop);
    TForm1 &form = m_fixture->form();
    const QString before = loopStatus();
    const bool single = tunelet::testkit::action(form, "MMSinglePlay")->isChecked();
    const bool repeat = tunelet::testkit::action(form, "MMRepeat")->isChecked();
    // Qt answers a property's setting itself; the setter leaves the modes.
    QCOMPARE(setLoopStatus(loop).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(loopStatus(), before);
    QCOMPARE(tunelet::testkit::action(form, "MMSinglePlay")->isChecked(), single);
    QCOMPARE(tunelet::testkit::action(form, "MMRepeat")->isChecked(), repeat);
    // The player is still there and still takes the names it knows.
    QCOMPARE(setLoopStatus(QStringLiteral("Track")).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(loopStatus(), QStringLiteral("Track"));
    QVERIFY(tunelet::testkit::action(form, "MMSinglePlay")->isChecked());
}

void TestDesktopBus::openUriRefusesWhatNamesNoFile_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<QString>("error");
    const QString notSupported = QStringLiteral("org.freedesktop.DBus.Error.NotSupported");
    QTest::newRow("https") << QStringLiteral("https://example.org/a.snr") << notSupported;
    QTest::newRow("empty") << QString() << notSupported;
    QTest::newRow("NUL") << QStringLiteral("file:///m/a.snr%00.snr")
                         << QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
}

void TestDesktopBus::openUriRefusesWhatNamesNoFile()
{
    QFETCH(QString, uri);
    QFETCH(QString, error);
    const QDBusMessage reply = call(PlayerInterface, QStringLiteral("OpenUri"), {uri});
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), error);
    // The player goes on answering.
    QCOMPARE(loopStatus(), QStringLiteral("Playlist"));
    QVERIFY(m_fixture->paths().isEmpty());
}

void TestDesktopBus::openUriRefusesALineBreakAndGoesOn()
{
    // A name a list file cannot hold is refused by the window with a
    // message naming it; a file handed after it is added and played.
    const QByteArray broken = m_fixture->write("nl\nname.snr", "*HEAD\"Broken\"\r\n");
    const QByteArray good = m_fixture->write("good.snr", "*HEAD\"Good\"\r\n");
    const auto openUri = [this](const QByteArray &path) {
        return call(PlayerInterface, QStringLiteral("OpenUri"), {tunelet::mpris::fileUrl(path)});
    };
    QCOMPARE(openUri(broken).type(), QDBusMessage::ReplyMessage);
    const auto errors = [this] {
        return m_fixture->dialogs().texts(ScriptedDialogs::Shown::What::Error);
    };
    QTRY_COMPARE_WITH_TIMEOUT(errors().size(), 1, AnswerMs);
    QVERIFY2(errors().first().contains(QStringLiteral("nl\\nname.snr")),
             qPrintable(errors().first()));
    QVERIFY(m_fixture->paths().isEmpty());
    QCOMPARE(openUri(good).type(), QDBusMessage::ReplyMessage);
    QTRY_COMPARE_WITH_TIMEOUT(m_fixture->paths(), QByteArrayList{good}, AnswerMs);
}

QTEST_MAIN(TestDesktopBus)
#include "tst_desktop_bus.moc"
