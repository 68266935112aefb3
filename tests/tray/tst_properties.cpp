// Property defaults and setters, and the add / modify / delete rules.

#include "tests/tray/TrayTestSupport.h"

#include <QMenu>
#include <QTest>

class TestTrayProperties final : public QObject
{
    Q_OBJECT

private slots:
    void init() { QCOMPARE(TTrayIcon::Count(), 0); }

    void defaults()
    {
        TrayFixture tray;
        const TTrayIcon &icon = *tray.icon;
        QCOMPARE(icon.AnimateIcons(), nullptr);
        QCOMPARE(icon.AnimateRate(), 500);
        QVERIFY(icon.AutoPopup());
        QVERIFY(icon.Enabled());
        QVERIFY(icon.Icon().isNull());
        QCOMPARE(icon.LBPopupMenu(), nullptr);
        QCOMPARE(icon.RBPopupMenu(), nullptr);
        QCOMPARE(icon.TipHelp(), QByteArray("TipHelp"));
        QVERIFY(!icon.Visible());
        QVERIFY(!icon.OnClick());
        QVERIFY(!icon.OnDblClick());
        QVERIFY(!icon.OnMouseDown());
        QVERIFY(!icon.OnMouseMove());
        QVERIFY(!icon.OnMouseUp());
        QVERIFY(!icon.Registered());
        QVERIFY(!icon.ClickPending());
        QVERIFY(!icon.Animating());
        QCOMPARE(icon.NotifyIconData().size, 88u);
        QCOMPARE(icon.NotifyIconData().callbackMessage, 1224);
        QCOMPARE(icon.NotifyIconData().id, icon.Number());
        QVERIFY(tray.area.calls().isEmpty());
    }

    void animateRateHasAFloor_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("20") << 20 << 100;
        QTest::newRow("negative") << -5 << 100;
        QTest::newRow("99") << 99 << 100;
        QTest::newRow("100") << 100 << 100;
        QTest::newRow("250") << 250 << 250;
    }

    void animateRateHasAFloor()
    {
        QFETCH(int, value);
        QFETCH(int, stored);
        TrayFixture tray;
        tray.icon->SetAnimateRate(value);
        QCOMPARE(tray.icon->AnimateRate(), stored);
    }

    void visibleWithoutIconStaysFalse()
    {
        TrayFixture tray;
        tray.icon->SetVisible(true);
        QVERIFY(!tray.icon->Visible());
        QVERIFY(!tray.icon->Registered());
        QVERIFY(tray.area.calls().isEmpty());
    }

    void visibleAddsAndRemoves()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        QVERIFY(tray.area.calls().isEmpty());
        tray.icon->SetVisible(true);
        QVERIFY(tray.icon->Visible());
        QVERIFY(tray.icon->Registered());
        QCOMPARE(tray.area.calls().size(), 1);
        const auto &add = tray.area.calls().first();
        QCOMPARE(add.message, nmAdd);
        QCOMPARE(add.data.size, 88u);
        QCOMPARE(add.data.id, tray.icon->Number());
        QCOMPARE(add.data.callbackMessage, WM_TRAYICON);
        QCOMPARE(add.data.flags, 7u);
        QCOMPARE(add.data.Tip(), QByteArray("TipHelp"));
        QCOMPARE(add.data.icon.cacheKey(), tray.icon->Icon().cacheKey());
        QCOMPARE(add.data.window.data(), TCallbackWindow::Instance());

        tray.icon->SetVisible(true);
        QCOMPARE(tray.area.calls().size(), 1);

        tray.icon->SetVisible(false);
        QVERIFY(!tray.icon->Registered());
        QCOMPARE(tray.area.calls().size(), 2);
        QCOMPARE(tray.area.calls().last().message, nmDelete);
        QCOMPARE(tray.area.calls().last().data.id, tray.icon->Number());
    }

    void flagsFollowTheTip_data()
    {
        QTest::addColumn<QByteArray>("tip");
        QTest::addColumn<uint>("flags");
        QTest::newRow("with tip") << QByteArray("Tunelet") << 7u;
        QTest::newRow("without tip") << QByteArray() << 3u;
    }

    void flagsFollowTheTip()
    {
        QFETCH(QByteArray, tip);
        QFETCH(uint, flags);
        TrayFixture tray;
        tray.icon->SetTipHelp(tip);
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        QCOMPARE(tray.area.calls().last().data.flags, flags);
        QCOMPARE(tray.area.calls().last().data.Tip(), tip);
    }

    void refusedAddRaisesAndStaysHidden()
    {
        TrayFixture tray;
        tray.area.setRefuseAdd(true);
        tray.icon->SetIcon(MakeIcon());
        try {
            tray.icon->SetVisible(true);
            QFAIL("a refused add was not reported");
        } catch (const ETrayIcon &error) {
            QCOMPARE(error.Message(), QStringLiteral("タスクトレイにアイコンを登録できません。"));
        }
        QVERIFY(!tray.icon->Visible());
        QVERIFY(!tray.icon->Registered());
        // Setting it again tries again.
        tray.area.setRefuseAdd(false);
        tray.icon->SetVisible(true);
        QVERIFY(tray.icon->Registered());
        QCOMPARE(tray.area.countOf(nmAdd), 2);
    }

    void refusedModifyRaises()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        tray.area.setRefuseModify(true);
        QVERIFY_THROWS_EXCEPTION(ETrayIcon, tray.icon->SetTipHelp("Song"));
        QVERIFY_THROWS_EXCEPTION(ETrayIcon, tray.icon->SetIcon(MakeIcon(Qt::blue)));
        QVERIFY(tray.icon->Registered());
    }

    void refusedDeleteIsIgnored()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        tray.area.setRefuseDelete(true);
        tray.icon->SetVisible(false);
        QVERIFY(!tray.icon->Registered());
        QCOMPARE(tray.area.countOf(nmDelete), 1);
    }

    void iconChangeModifiesOnlyWhileRegistered()
    {
        TrayFixture tray;
        const QIcon first = MakeIcon(Qt::red);
        tray.icon->SetIcon(first);
        tray.icon->SetIcon(MakeIcon(Qt::green));
        QVERIFY(tray.area.calls().isEmpty());
        tray.icon->SetVisible(true);
        const QIcon second = MakeIcon(Qt::blue);
        tray.icon->SetIcon(second);
        QCOMPARE(tray.area.countOf(nmModify), 1);
        QCOMPARE(tray.area.calls().last().data.icon.cacheKey(), second.cacheKey());
        tray.icon->SetIcon(second);
        QCOMPARE(tray.area.countOf(nmModify), 1);
    }

    void clearingTheIconHidesIt()
    {
        TrayFixture tray;
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        tray.icon->SetIcon(QIcon());
        QVERIFY(tray.icon->Icon().isNull());
        QVERIFY(!tray.icon->Visible());
        QVERIFY(!tray.icon->Registered());
        QCOMPARE(tray.area.calls().last().message, nmDelete);
        QCOMPARE(tray.area.countOf(nmModify), 0);
    }

    void loadingDefersTheAdd()
    {
        TrayFixture tray;
        tray.icon->BeginLoading();
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        QVERIFY(tray.icon->Visible());
        QVERIFY(tray.area.calls().isEmpty());
        tray.icon->Loaded();
        QVERIFY(tray.icon->Registered());
        QCOMPARE(tray.area.countOf(nmAdd), 1);
    }

    void loadedWithoutVisibleAddsNothing()
    {
        TrayFixture tray;
        tray.icon->BeginLoading();
        tray.icon->SetIcon(MakeIcon());
        tray.icon->Loaded();
        QVERIFY(!tray.icon->Registered());
        QVERIFY(tray.area.calls().isEmpty());
    }

    void removedMenusBecomeNone()
    {
        TrayFixture tray;
        auto *left = new QMenu;
        auto *right = new QMenu;
        tray.icon->SetLBPopupMenu(left);
        tray.icon->SetRBPopupMenu(right);
        QCOMPARE(tray.icon->LBPopupMenu(), left);
        QCOMPARE(tray.icon->RBPopupMenu(), right);
        delete right;
        QCOMPARE(tray.icon->RBPopupMenu(), nullptr);
        QCOMPARE(tray.icon->LBPopupMenu(), left);
        delete left;
        QCOMPARE(tray.icon->LBPopupMenu(), nullptr);
    }

    void removedImageListBecomesNone()
    {
        TrayFixture tray;
        auto list = std::make_unique<TIconList>();
        tray.icon->SetAnimateIcons(list.get());
        QCOMPARE(tray.icon->AnimateIcons(), list.get());
        list.reset();
        QCOMPARE(tray.icon->AnimateIcons(), nullptr);
    }

    void animationShowsFramesInPlaceOfIcon()
    {
        TrayFixture tray;
        TIconList frames;
        const QIcon frame0 = MakeIcon(Qt::green);
        const QIcon frame1 = MakeIcon(Qt::blue);
        frames.Add(frame0);
        frames.Add(frame1);
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        tray.icon->SetAnimateIcons(&frames);
        tray.icon->SetAnimateRate(100);
        tray.icon->StartAnimation();
        QVERIFY(tray.icon->Animating());
        QCOMPARE(tray.area.calls().last().message, nmModify);
        QCOMPARE(tray.area.calls().last().data.icon.cacheKey(), frame0.cacheKey());
        QTRY_COMPARE(tray.area.calls().last().data.icon.cacheKey(), frame1.cacheKey());

        TIconList other;
        tray.icon->SetAnimateIcons(&other);
        QCOMPARE(tray.icon->AnimateIcons(), &frames);

        tray.icon->StopAnimation();
        QVERIFY(!tray.icon->Animating());
        QCOMPARE(tray.area.calls().last().data.icon.cacheKey(), tray.icon->Icon().cacheKey());
        tray.icon->SetAnimateIcons(&other);
        QCOMPARE(tray.icon->AnimateIcons(), &other);
    }

    void refusedAnimationFrameEndsTheAnimation()
    {
        TrayFixture tray;
        TIconList frames;
        frames.Add(MakeIcon(Qt::green));
        frames.Add(MakeIcon(Qt::blue));
        tray.icon->SetIcon(MakeIcon());
        tray.icon->SetVisible(true);
        tray.icon->SetAnimateIcons(&frames);
        tray.icon->StartAnimation();
        tray.area.setRefuseModify(true);
        tray.icon->SetAnimateRate(100);
        QTRY_VERIFY(!tray.icon->Animating());
    }

    void destructionStopsTheAnimation()
    {
        TrayFixture tray;
        TIconList frames;
        frames.Add(MakeIcon(Qt::green));
        tray.icon->SetAnimateIcons(&frames);
        tray.icon->StartAnimation();
        QVERIFY(tray.icon->Animating());
        tray.icon.reset();
        QTest::qWait(150);
        QVERIFY(tray.area.calls().isEmpty());
    }
};

int RunPropertyTests(int argc, char **argv)
{
    TestTrayProperties tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_properties.moc"
