// Closing: every way of asking the program to end runs the close query once.
#include "tests/support/ByteFiles.h"
#include "tests/support/IniText.h"
#include "tests/support/WindowFixture.h"

#include "platform/process/UnixSignalNotifier.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QCloseEvent>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace tunelet::testkit;

class ClosingTest final : public QObject
{
    Q_OBJECT

private slots:
    void closeBoxRunsCloseQueryOnce();
    void exitCommand();
    void exitFromTrayWhileHidden();
    void unixSignalArrivesOnGuiThread();
    void signalCaughtEarlyWaitsForTheNotifier();

private:
    // SaveList on, one row: each close query writes tunelet.ppl.
    TForm1 &startWithSaveList(WindowFixture &app);
};

TForm1 &ClosingTest::startWithSaveList(WindowFixture &app)
{
    writeBytes(app.settingsPath(), "[Setting]\r\nSaveList=1\r\nListOpen=0\r\n");
    TForm1 &form = app.start();
    form.AppendEntry(app.path("a.snr"));
    return form;
}

void ClosingTest::closeBoxRunsCloseQueryOnce()
{
    WindowFixture app;
    TForm1 &form = startWithSaveList(app);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSignalSpy closed(&form, &TForm1::Closed);

    QVERIFY(form.close());
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(readBytes(app.path("tunelet.ppl")), app.path("a.snr") + "\r\n");

    // Later requests (a signal, the session's end) do nothing more.
    QVERIFY(::remove(app.path("tunelet.ppl").constData()) == 0);
    form.CloseOnce();
    form.MMExitClick();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!QFile::exists(QString::fromUtf8(app.path("tunelet.ppl"))));
}

void ClosingTest::exitCommand()
{
    WindowFixture app;
    TForm1 &form = startWithSaveList(app);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSignalSpy closed(&form, &TForm1::Closed);
    action(form, "MMExit")->trigger();
    QCOMPARE(closed.count(), 1);
    QVERIFY(form.IsClosed());
    QVERIFY(!form.isVisible());
    QCOMPARE(iniValue(readBytes(app.settingsPath()), "File", "FileName"), app.path("tunelet.ppl"));
}

void ClosingTest::exitFromTrayWhileHidden()
{
    WindowFixture app;
    TForm1 &form = startWithSaveList(app);
    QSignalSpy closed(&form, &TForm1::Closed);
    QVERIFY(!form.isVisible());
    action(form, "PMTrayExit")->trigger();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(readBytes(app.path("tunelet.ppl")), app.path("a.snr") + "\r\n");
}

void ClosingTest::unixSignalArrivesOnGuiThread()
{
    tunelet::UnixSignalNotifier notifier({SIGUSR1});
    QVERIFY(notifier.isActive());
    QSignalSpy received(&notifier, &tunelet::UnixSignalNotifier::signalReceived);
    QVERIFY(::raise(SIGUSR1) == 0);
    QVERIFY(received.wait(5000));
    QCOMPARE(received.first().first().toInt(), SIGUSR1);

    // One instance per process.
    tunelet::UnixSignalNotifier second({SIGUSR2});
    QVERIFY(!second.isActive());
}

void ClosingTest::signalCaughtEarlyWaitsForTheNotifier()
{
    // Caught before any notifier exists (as during start-up): kept, not fatal.
    QVERIFY(tunelet::UnixSignalNotifier::catchEarly({SIGUSR2}));
    QVERIFY(::raise(SIGUSR2) == 0);
    QCoreApplication::processEvents();

    // Delivered once, when the notifier has come and the event loop runs.
    tunelet::UnixSignalNotifier notifier({SIGUSR2});
    QVERIFY(notifier.isActive());
    QSignalSpy received(&notifier, &tunelet::UnixSignalNotifier::signalReceived);
    QVERIFY(received.wait(5000));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first().toInt(), SIGUSR2);
}

int runClosingTests(int argc, char **argv)
{
    ClosingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_closing.moc"
