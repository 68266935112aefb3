// Telling a single click from a double click.

#include "tests/tray/TrayTestSupport.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTest>

class TestTrayClicks final : public QObject
{
    Q_OBJECT

private slots:
    // A short double-click time keeps the waits short.
    void initTestCase()
    {
        m_savedInterval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(150);
        QCOMPARE(TSingleClick::Delay(), 200);
    }

    void cleanupTestCase()
    {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(m_savedInterval);
    }

    void init() { QCOMPARE(TTrayIcon::Count(), 0); }

    void singleClickRaisesOnClickOnceAfterTheDelay()
    {
        TrayFixture tray;
        int clicks = 0;
        TTrayIcon *sender = nullptr;
        QElapsedTimer sinceUp;
        qint64 delay = -1;
        tray.icon->SetOnClick([&](TTrayIcon *from) {
            ++clicks;
            sender = from;
            delay = sinceUp.elapsed();
        });
        tray.Send(WM_LBUTTONDOWN);
        sinceUp.start();
        tray.Send(WM_LBUTTONUP);
        QCOMPARE(clicks, 0);
        QVERIFY(tray.icon->ClickPending());
        QTRY_COMPARE(clicks, 1);
        QCOMPARE(sender, tray.icon.get());
        QVERIFY(!tray.icon->ClickPending());
        // Never before the double-click time plus 50 ms.
        QVERIFY2(delay >= TSingleClick::Delay() - 5, qPrintable(QString::number(delay)));
        QTest::qWait(2 * TSingleClick::Delay());
        QCOMPARE(clicks, 1);
    }

    void doubleClickRaisesOnlyOnDblClick()
    {
        TrayFixture tray;
        int clicks = 0;
        int doubleClicks = 0;
        tray.icon->SetOnClick([&](TTrayIcon *) { ++clicks; });
        tray.icon->SetOnDblClick([&](TTrayIcon *) { ++doubleClicks; });
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        tray.Send(WM_LBUTTONDBLCLK);
        QCOMPARE(doubleClicks, 1);
        tray.Send(WM_LBUTTONUP);
        QVERIFY(!tray.icon->ClickPending());
        QTRY_COMPARE(TCallbackWindow::Instance()->PendingClicks(), 0);
        QCOMPARE(clicks, 0);
        QCOMPARE(doubleClicks, 1);
    }

    void twoSeparateClicksRaiseTwoOnClicks()
    {
        TrayFixture tray;
        int clicks = 0;
        tray.icon->SetOnClick([&](TTrayIcon *) { ++clicks; });
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        QTRY_COMPARE(clicks, 1);
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        QTRY_COMPARE(clicks, 2);
    }

    void onMouseUpSuppressesOnClick()
    {
        TrayFixture tray;
        int clicks = 0;
        int ups = 0;
        tray.icon->SetOnClick([&](TTrayIcon *) { ++clicks; });
        tray.icon->SetOnMouseUp(
            [&](TTrayIcon *, Qt::MouseButton, TShiftState, int, int) { ++ups; });
        for (int i = 0; i < 2; ++i) {
            tray.Send(WM_LBUTTONDOWN);
            tray.Send(WM_LBUTTONUP);
        }
        QCOMPARE(ups, 2);
        QVERIFY(!tray.icon->ClickPending());
        QCOMPARE(TCallbackWindow::Instance()->PendingClicks(), 0);
        QCOMPARE(clicks, 0);
    }

    void disablingBeforeTheTimerCancelsOnClick()
    {
        TrayFixture tray;
        int clicks = 0;
        tray.icon->SetOnClick([&](TTrayIcon *) { ++clicks; });
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        QVERIFY(tray.icon->ClickPending());
        tray.icon->SetEnabled(false);
        QVERIFY(!tray.icon->ClickPending());
        QTRY_COMPARE(TCallbackWindow::Instance()->PendingClicks(), 0);
        QCOMPARE(clicks, 0);
    }

    void clickAfterReenablingWaitsItsOwnDelay()
    {
        TrayFixture tray;
        int clicks = 0;
        int doubleClicks = 0;
        tray.icon->SetOnClick([&](TTrayIcon *) { ++clicks; });
        tray.icon->SetOnDblClick([&](TTrayIcon *) { ++doubleClicks; });
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        tray.icon->SetEnabled(false);
        tray.icon->SetEnabled(true);
        // A new double click right away: the first timer must not turn its
        // first half into a single click, so the new click replaces it.
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        QCOMPARE(TCallbackWindow::Instance()->PendingClicks(), 1);
        tray.Send(WM_LBUTTONDBLCLK);
        tray.Send(WM_LBUTTONUP);
        QCOMPARE(doubleClicks, 1);
        QTRY_COMPARE(TCallbackWindow::Instance()->PendingClicks(), 0);
        QCOMPARE(clicks, 0);
    }

    void withoutOnClickNothingIsTimed()
    {
        TrayFixture tray;
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_LBUTTONUP);
        QVERIFY(!tray.icon->ClickPending());
        QCOMPARE(TCallbackWindow::Instance()->PendingClicks(), 0);
    }

    void clickOfADestroyedIconIsDropped()
    {
        RecordingNotifyArea area;
        auto keeper = std::make_unique<TTrayIcon>(nullptr, &area);
        auto icon = std::make_unique<TTrayIcon>(nullptr, &area);
        int clicks = 0;
        icon->SetOnClick([&](TTrayIcon *) { ++clicks; });
        TCallbackWindow *window = TCallbackWindow::Instance();
        window->TrayMessage(icon->Number(), WM_LBUTTONDOWN);
        window->TrayMessage(icon->Number(), WM_LBUTTONUP);
        QCOMPARE(window->PendingClicks(), 1);
        icon.reset();
        QCOMPARE(window->PendingClicks(), 0);
        // A new icon that takes the same number does not inherit the click.
        auto successor = std::make_unique<TTrayIcon>(nullptr, &area);
        QCOMPARE(successor->Number(), 2);
        successor->SetOnClick([&](TTrayIcon *) { ++clicks; });
        QTest::qWait(TSingleClick::Delay() + 100);
        QCOMPARE(clicks, 0);
    }

    void clickBelongsToItsIcon()
    {
        RecordingNotifyArea area;
        auto first = std::make_unique<TTrayIcon>(nullptr, &area);
        auto second = std::make_unique<TTrayIcon>(nullptr, &area);
        int firstClicks = 0;
        int secondMoves = 0;
        first->SetOnClick([&](TTrayIcon *) { ++firstClicks; });
        second->SetOnMouseMove([&](TTrayIcon *, TShiftState, int, int) { ++secondMoves; });
        TCallbackWindow *window = TCallbackWindow::Instance();
        window->TrayMessage(first->Number(), WM_LBUTTONDOWN);
        window->TrayMessage(first->Number(), WM_LBUTTONUP);
        // The mouse passes over the other icon before the timer ends.
        window->TrayMessage(second->Number(), WM_MOUSEMOVE);
        QCOMPARE(window->CurrentIcon(), second.get());
        QCOMPARE(secondMoves, 1);
        QTRY_COMPARE(firstClicks, 1);
    }

    void onClickHandlerMayDestroyItsIcon()
    {
        auto tray = std::make_unique<TrayFixture>();
        tray->icon->SetOnClick([&](TTrayIcon *) { tray->icon.reset(); });
        tray->Send(WM_LBUTTONDOWN);
        tray->Send(WM_LBUTTONUP);
        QTRY_COMPARE(TTrayIcon::Count(), 0);
        QCOMPARE(TCallbackWindow::Instance(), nullptr);
    }

private:
    int m_savedInterval = 400;
};

int RunClickTests(int argc, char **argv)
{
    TestTrayClicks tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_clicks.moc"
