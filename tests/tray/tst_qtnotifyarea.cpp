// The notification area carried by QSystemTrayIcon.

#include "tests/tray/TrayTestSupport.h"
#include "tray/QtNotifyArea.h"

#include <QTest>

class TestQtNotifyArea final : public QObject
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(TTrayIcon::Count(), 0); }

    void activationMessages_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QList<int>>("messages");
        QTest::newRow("trigger") << int(QSystemTrayIcon::Trigger)
                                 << QList<int>{WM_LBUTTONDOWN, WM_LBUTTONUP};
        QTest::newRow("double click")
            << int(QSystemTrayIcon::DoubleClick) << QList<int>{WM_LBUTTONDBLCLK, WM_LBUTTONUP};
        QTest::newRow("context") << int(QSystemTrayIcon::Context)
                                 << QList<int>{WM_RBUTTONDOWN, WM_RBUTTONUP};
        QTest::newRow("middle click")
            << int(QSystemTrayIcon::MiddleClick) << QList<int>{WM_MBUTTONDOWN, WM_MBUTTONUP};
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << QList<int>{};
    }

    void activationMessages()
    {
        QFETCH(int, reason);
        QFETCH(QList<int>, messages);
        QCOMPARE(MouseMessagesFor(static_cast<QSystemTrayIcon::ActivationReason>(reason)),
                 messages);
    }

    void activationReachesTheIconsEvents()
    {
        TrayFixture tray;
        QStringList events;
        tray.icon->SetOnMouseDown(
            [&](TTrayIcon *, Qt::MouseButton, TShiftState, int, int) { events << "down"; });
        tray.icon->SetOnMouseUp(
            [&](TTrayIcon *, Qt::MouseButton, TShiftState, int, int) { events << "up"; });
        tray.icon->SetOnDblClick([&](TTrayIcon *) { events << "dblclick"; });
        QObject *window = TCallbackWindow::Instance();
        const int number = tray.icon->Number();
        PostActivation(window, WM_TRAYICON, number, QSystemTrayIcon::Context);
        PostActivation(window, WM_TRAYICON, number, QSystemTrayIcon::DoubleClick);
        QVERIFY(events.isEmpty());
        QCoreApplication::sendPostedEvents(window);
        QCOMPARE(events, (QStringList{"down", "up", "dblclick", "up"}));
    }

    void withoutATrayAddingFails()
    {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("This desktop has a system tray");
        TTrayIcon icon(nullptr);
        icon.SetIcon(MakeIcon());
        try {
            icon.SetVisible(true);
            QFAIL("adding without a tray succeeded");
        } catch (const ETrayIcon &error) {
            QCOMPARE(error.Message(), QStringLiteral("タスクトレイにアイコンを登録できません。"));
        }
        QVERIFY(!icon.Visible());
        QVERIFY(!icon.Registered());
    }

    void unknownIconsCannotBeModifiedOrDeleted()
    {
        TQtNotifyArea area;
        TNotifyIconData data;
        data.id = 7;
        data.flags = NIF_MESSAGE | NIF_ICON;
        QVERIFY(!area.Notify(nmModify, data));
        QVERIFY(!area.Notify(nmDelete, data));
    }
};

int RunQtNotifyAreaTests(int argc, char **argv)
{
    TestQtNotifyArea tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_qtnotifyarea.moc"
