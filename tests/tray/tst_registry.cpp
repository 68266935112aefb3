// Icon numbers, the limit of live icons, destruction and the callback
// window's lookup.

#include "tests/tray/TrayTestSupport.h"

#include <QPointer>
#include <QTest>

#include <vector>

namespace
{

std::vector<std::unique_ptr<TTrayIcon>> MakeIcons(RecordingNotifyArea &area, int count)
{
    std::vector<std::unique_ptr<TTrayIcon>> icons;
    for (int i = 0; i < count; ++i)
        icons.push_back(std::make_unique<TTrayIcon>(nullptr, &area));
    return icons;
}

} // namespace

class TestTrayRegistry final : public QObject
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(TTrayIcon::Count(), 0); }

    void firstIconIsNumberOne()
    {
        RecordingNotifyArea area;
        TTrayIcon icon(nullptr, &area);
        QCOMPARE(icon.Number(), 1);
        QCOMPARE(TTrayIcon::Count(), 1);
        QCOMPARE(TTrayIcon::Find(1), &icon);
        QVERIFY(TCallbackWindow::Instance() != nullptr);
    }

    void numbersFollowTheLastLiveIcon_data()
    {
        QTest::addColumn<int>("destroyed");
        QTest::addColumn<int>("next");
        QTest::newRow("last destroyed") << 3 << 3;
        QTest::newRow("middle destroyed") << 2 << 4;
        QTest::newRow("first destroyed") << 1 << 4;
    }

    void numbersFollowTheLastLiveIcon()
    {
        QFETCH(int, destroyed);
        QFETCH(int, next);
        RecordingNotifyArea area;
        auto icons = MakeIcons(area, 3);
        QCOMPARE(icons[0]->Number(), 1);
        QCOMPARE(icons[1]->Number(), 2);
        QCOMPARE(icons[2]->Number(), 3);
        icons[destroyed - 1].reset();
        QCOMPARE(TTrayIcon::Find(destroyed), nullptr);
        TTrayIcon added(nullptr, &area);
        QCOMPARE(added.Number(), next);
    }

    void hundredAndFirstIconFails()
    {
        RecordingNotifyArea area;
        auto icons = MakeIcons(area, TTrayIcon::MaxIcons);
        QCOMPARE(TTrayIcon::Count(), 100);
        QCOMPARE(icons.back()->Number(), 100);
        try {
            TTrayIcon extra(nullptr, &area);
            QFAIL("a 101st tray icon was created");
        } catch (const ETrayIcon &error) {
            QCOMPARE(error.Message(), QStringLiteral("タスクトレイにアイコンを登録できません。"));
        }
        QCOMPARE(TTrayIcon::Count(), 100);
        icons[50].reset();
        TTrayIcon replacement(nullptr, &area);
        QCOMPARE(replacement.Number(), 101);
    }

    void failedCreationLeavesOwnerClean()
    {
        RecordingNotifyArea area;
        QObject owner;
        auto icons = MakeIcons(area, TTrayIcon::MaxIcons);
        QVERIFY_THROWS_EXCEPTION(ETrayIcon, new TTrayIcon(&owner, &area));
        QVERIFY(owner.children().isEmpty());
    }

    void destructionRemovesFromTrayAndRegistry()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        QVERIFY(tray.icon->Registered());
        const int number = tray.icon->Number();
        tray.icon.reset();
        QCOMPARE(tray.area.calls().last().message, nmDelete);
        QCOMPARE(tray.area.calls().last().data.id, number);
        QCOMPARE(TTrayIcon::Find(number), nullptr);
    }

    void destructionWithoutRegistrationTouchesNoTray()
    {
        TrayFixture tray;
        tray.icon.reset();
        QVERIFY(tray.area.calls().isEmpty());
    }

    void ownerDestroysItsIcon()
    {
        RecordingNotifyArea area;
        auto owner = std::make_unique<QObject>();
        QPointer<TTrayIcon> icon = new TTrayIcon(owner.get(), &area);
        QCOMPARE(TTrayIcon::Count(), 1);
        owner.reset();
        QVERIFY(icon.isNull());
        QCOMPARE(TTrayIcon::Count(), 0);
    }

    void callbackWindowLivesWithTheIcons()
    {
        QCOMPARE(TCallbackWindow::Instance(), nullptr);
        RecordingNotifyArea area;
        auto icons = MakeIcons(area, 2);
        TCallbackWindow *window = TCallbackWindow::Instance();
        QVERIFY(window != nullptr);
        icons[0].reset();
        QCOMPARE(TCallbackWindow::Instance(), window);
        icons.clear();
        QCOMPARE(TCallbackWindow::Instance(), nullptr);
    }

    void messageForUnknownNumberIsIgnored()
    {
        TrayFixture tray;
        int events = 0;
        tray.icon->SetOnMouseMove([&](TTrayIcon *, TShiftState, int, int) { ++events; });
        tray.icon->SetOnMouseDown(
            [&](TTrayIcon *, Qt::MouseButton, TShiftState, int, int) { ++events; });
        TCallbackWindow *window = TCallbackWindow::Instance();
        window->TrayMessage(tray.icon->Number() + 1, WM_MOUSEMOVE);
        window->TrayMessage(0, WM_LBUTTONDOWN);
        QCOMPARE(events, 0);
        QCOMPARE(window->CurrentIcon(), nullptr);
        tray.Send(WM_MOUSEMOVE);
        QCOMPARE(events, 1);
        QCOMPARE(window->CurrentIcon(), tray.icon.get());
    }

    void messageForDestroyedIconIsIgnored()
    {
        RecordingNotifyArea area;
        auto icons = MakeIcons(area, 2);
        int events = 0;
        icons[0]->SetOnMouseMove([&](TTrayIcon *, TShiftState, int, int) { ++events; });
        icons[0].reset();
        TCallbackWindow::Instance()->TrayMessage(1, WM_MOUSEMOVE);
        QCOMPARE(events, 0);
    }

    void postedCallbackMessageReachesTheIcon()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        int moves = 0;
        tray.icon->SetOnMouseMove([&](TTrayIcon *, TShiftState, int, int) { ++moves; });
        QObject *window = tray.area.calls().last().data.window;
        QCOMPARE(window, TCallbackWindow::Instance());
        QCoreApplication::postEvent(
            window, new TTrayMessageEvent(WM_TRAYICON, tray.icon->Number(), WM_MOUSEMOVE));
        QCoreApplication::postEvent(
            window, new TTrayMessageEvent(WM_USER + 1, tray.icon->Number(), WM_MOUSEMOVE));
        QCoreApplication::sendPostedEvents(window);
        QCOMPARE(moves, 1);
    }

    void handlerMayDestroyTheLastIcon()
    {
        auto tray = std::make_unique<TrayFixture>();
        QPointer<TCallbackWindow> window = TCallbackWindow::Instance();
        tray->icon->SetOnDblClick([&](TTrayIcon *) { tray->icon.reset(); });
        tray->Send(WM_LBUTTONDBLCLK);
        QCOMPARE(TTrayIcon::Count(), 0);
        QCOMPARE(TCallbackWindow::Instance(), nullptr);
        QTRY_VERIFY(window.isNull());
    }
};

int RunRegistryTests(int argc, char **argv)
{
    TestTrayRegistry tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_registry.moc"
