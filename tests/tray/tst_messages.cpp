// The mouse messages from the tray and the events and menus they lead to.

#include "tests/tray/TrayTestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace
{

QString ButtonName(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return "left";
    case Qt::RightButton:
        return "right";
    case Qt::MiddleButton:
        return "middle";
    default:
        return "other";
    }
}

// Records every event of a tray icon as text, and checks each event's
// sender, shift state and position.
struct EventLog {
    QStringList entries;
    QList<QPoint> positions;
    int wrongSender = 0;
    int wrongShift = 0;

    void Attach(TTrayIcon &icon)
    {
        TTrayIcon *expected = &icon;
        auto checkSender = [this, expected](TTrayIcon *sender) {
            if (sender != expected)
                ++wrongSender;
        };
        icon.SetOnMouseMove([=, this](TTrayIcon *sender, TShiftState shift, int x, int y) {
            checkSender(sender);
            if (shift != Qt::NoButton)
                ++wrongShift;
            entries << "move";
            positions << QPoint(x, y);
        });
        icon.SetOnMouseDown(
            [=, this](TTrayIcon *sender, Qt::MouseButton button, TShiftState shift, int x, int y) {
                checkSender(sender);
                if (shift != TShiftState(button))
                    ++wrongShift;
                entries << "down " + ButtonName(button);
                positions << QPoint(x, y);
            });
        icon.SetOnMouseUp(
            [=, this](TTrayIcon *sender, Qt::MouseButton button, TShiftState shift, int x, int y) {
                checkSender(sender);
                if (shift != TShiftState(button))
                    ++wrongShift;
                entries << "up " + ButtonName(button);
                positions << QPoint(x, y);
            });
        icon.SetOnDblClick([=, this](TTrayIcon *sender) {
            checkSender(sender);
            entries << "dblclick";
        });
        icon.SetOnClick([=, this](TTrayIcon *sender) {
            checkSender(sender);
            entries << "click";
        });
    }
};

} // namespace

class TestTrayMessages final : public QObject
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(TTrayIcon::Count(), 0); }

    void cleanup()
    {
        const auto popups = QApplication::topLevelWidgets();
        for (QWidget *widget : popups)
            if (qobject_cast<QMenu *>(widget) != nullptr)
                widget->close();
    }

    void mouseMessageTable_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("event");
        QTest::newRow("WM_MOUSEMOVE") << WM_MOUSEMOVE << "move";
        QTest::newRow("WM_LBUTTONDOWN") << WM_LBUTTONDOWN << "down left";
        QTest::newRow("WM_LBUTTONUP") << WM_LBUTTONUP << "up left";
        QTest::newRow("WM_LBUTTONDBLCLK") << WM_LBUTTONDBLCLK << "dblclick";
        QTest::newRow("WM_RBUTTONDOWN") << WM_RBUTTONDOWN << "down right";
        QTest::newRow("WM_RBUTTONUP") << WM_RBUTTONUP << "up right";
        QTest::newRow("WM_RBUTTONDBLCLK") << WM_RBUTTONDBLCLK << "";
        QTest::newRow("WM_MBUTTONDOWN") << WM_MBUTTONDOWN << "down middle";
        QTest::newRow("WM_MBUTTONUP") << WM_MBUTTONUP << "up middle";
        QTest::newRow("WM_MBUTTONDBLCLK") << 0x209 << "";
        QTest::newRow("other") << 0x100 << "";
    }

    void mouseMessageTable()
    {
        QFETCH(int, message);
        QFETCH(QString, event);
        TrayFixture tray;
        EventLog log;
        log.Attach(*tray.icon);
        QCursor::setPos(QPoint(37, 41));
        tray.Send(message);
        const QStringList expected = event.isEmpty() ? QStringList() : QStringList{event};
        QCOMPARE(log.entries, expected);
        QCOMPARE(log.wrongSender, 0);
        QCOMPARE(log.wrongShift, 0);
        for (const QPoint &position : log.positions)
            QCOMPARE(position, QCursor::pos());
    }

    void eventsWithoutHandlersAreSkipped()
    {
        TrayFixture tray;
        for (int message = WM_MOUSEMOVE; message <= WM_MBUTTONUP; ++message)
            tray.Send(message);
        // The double click left the flag set; a button up without OnClick clears it.
        QVERIFY(tray.icon->ClickPending());
        tray.Send(WM_LBUTTONUP);
        QVERIFY(!tray.icon->ClickPending());
        QCOMPARE(TCallbackWindow::Instance()->PendingClicks(), 0);
    }

    void disabledIconIgnoresMessages()
    {
        TrayFixture tray;
        EventLog log;
        log.Attach(*tray.icon);
        tray.icon->SetEnabled(false);
        for (int message = WM_MOUSEMOVE; message <= WM_MBUTTONUP; ++message)
            tray.Send(message);
        QVERIFY(log.entries.isEmpty());
        tray.icon->SetEnabled(true);
        tray.Send(WM_MOUSEMOVE);
        QCOMPARE(log.entries, QStringList{"move"});
    }

    void popupMenuForButton_data()
    {
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("autoPopup");
        QTest::newRow("right, auto pop-up") << true << true;
        QTest::newRow("right, no auto pop-up") << true << false;
        QTest::newRow("left, auto pop-up") << false << true;
        QTest::newRow("left, no auto pop-up") << false << false;
    }

    void popupMenuForButton()
    {
        QFETCH(bool, right);
        QFETCH(bool, autoPopup);
        TrayFixture tray;
        EventLog log;
        log.Attach(*tray.icon);
        QMenu menu;
        menu.addAction("Play");
        QSignalSpy shown(&menu, &QMenu::aboutToShow);
        if (right)
            tray.icon->SetRBPopupMenu(&menu);
        else
            tray.icon->SetLBPopupMenu(&menu);
        tray.icon->SetAutoPopup(autoPopup);
        QCursor::setPos(QPoint(120, 90));

        tray.Send(right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);

        if (autoPopup) {
            QCOMPARE(shown.count(), 1);
            QVERIFY(menu.isVisible());
            QCOMPARE(menu.pos(), QPoint(120, 90));
            QVERIFY(log.entries.isEmpty());
        } else {
            QCOMPARE(shown.count(), 0);
            QVERIFY(!menu.isVisible());
            QCOMPARE(log.entries, QStringList{right ? "down right" : "down left"});
        }
    }

    void menuOfTheOtherButtonIsNotShown()
    {
        TrayFixture tray;
        EventLog log;
        log.Attach(*tray.icon);
        QMenu menu;
        menu.addAction("Play");
        QSignalSpy shown(&menu, &QMenu::aboutToShow);
        tray.icon->SetRBPopupMenu(&menu);
        tray.Send(WM_LBUTTONDOWN);
        tray.Send(WM_MBUTTONDOWN);
        QCOMPARE(shown.count(), 0);
        QCOMPARE(log.entries, (QStringList{"down left", "down middle"}));
    }

    void popupBringsTheOwnerToTheFront()
    {
        QWidget owner;
        owner.resize(200, 100);
        owner.show();
        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        RecordingNotifyArea area;
        auto *icon = new TTrayIcon(&owner, &area);
        QMenu menu;
        menu.addAction("Play");
        QSignalSpy shown(&menu, &QMenu::aboutToShow);
        icon->SetRBPopupMenu(&menu);
        TCallbackWindow::Instance()->TrayMessage(icon->Number(), WM_RBUTTONDOWN);
        QCOMPARE(shown.count(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), &owner);
        menu.close();
        delete icon;
    }

    void popupWithHiddenOwnerStillShowsTheMenu()
    {
        QWidget owner;
        RecordingNotifyArea area;
        auto *icon = new TTrayIcon(&owner, &area);
        QMenu menu;
        menu.addAction("Play");
        QSignalSpy shown(&menu, &QMenu::aboutToShow);
        icon->SetRBPopupMenu(&menu);
        TCallbackWindow::Instance()->TrayMessage(icon->Number(), WM_RBUTTONDOWN);
        QCOMPARE(shown.count(), 1);
        QVERIFY(!owner.isVisible());
        menu.close();
        delete icon;
    }
};

int RunMessageTests(int argc, char **argv)
{
    TestTrayMessages tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_messages.moc"
