// The main window's tray icon: its image, tip, menus and double click; shown
// at start with TaskTray on, and what a refusing tray does to the start and to
// the switch; hiding and showing the window; the tip following the playing
// song.
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/modes/ModesTests.h"

#include "app/OuterFrame.h"
#include "tray/TrayIcon.h"

#include "platform/windowlink/Win32.h"
#include "playlist/PlaylistModel.h"

#include <QMenu>
#include <QTest>

#include <algorithm>

using namespace tunelet::testkit;

namespace
{

using What = ScriptedDialogs::Shown::What;

const QString Refused = QStringLiteral("タスクトレイにアイコンを登録できません。");

class TrayTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void trayIconIsSetUp();
    void trayMenuItems();
    void trayMenuCommands();
    void shownAtStartWithTaskTrayOn();
    void refusedAtStartEndsTheStartUp();
    void switchFlipsTheIcon();
    void switchRefusedKeepsTheCheckMark();
    void hideAndShowFromTheTray();
    void doubleClickHidesAndShows();
    void rightButtonPopsUpTheTrayMenu();
    void tipFollowsTheSong();
    void longTitleIsCutInTheTip();
    void refusedTipIsReportedAndTheSongPlaysOn();

private:
    TForm1 &form() const { return m_app->form(); }
    void trayMessage(int mouseMessage) const
    {
        TCallbackWindow::Instance()->TrayMessage(form().TrayIcon1->Number(), mouseMessage);
    }
    std::unique_ptr<WindowFixture> m_app;
};

void TrayTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    m_app->useRecordingSeams();
}

void TrayTest::cleanup()
{
    m_app.reset();
}

void TrayTest::trayIconIsSetUp()
{
    m_app->start();
    TTrayIcon *icon = form().TrayIcon1;
    QVERIFY(icon);
    QCOMPARE(icon->parent(), &form());
    QVERIFY(!icon->Icon().isNull());
    QCOMPARE(icon->TipHelp(), QByteArray("Tunelet"));
    QCOMPARE(icon->RBPopupMenu(), menu(form(), "PopupTray"));
    QVERIFY(!icon->LBPopupMenu());
    QVERIFY(icon->OnDblClick());
    // A single left click does nothing.
    QVERIFY(!icon->OnClick());
    // TaskTray is off by default: nothing in the tray.
    QVERIFY(!icon->Visible());
    QCOMPARE(m_app->recorded().notifyArea.countOf(nmAdd), 0);
    QCOMPARE(action(form(), "PMWindow")->text(), QStringLiteral("ウィンドウを隠す(&V)"));
}

void TrayTest::trayMenuItems()
{
    m_app->start();
    QStringList items;
    for (QAction *action : menu(form(), "PopupTray")->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items, (QStringList{"再生(&P)", "一時停止(&U)", "停止(&S)", "-", "前の曲(&B)",
                                 "次の曲(&N)", "-", "ウィンドウを隠す(&V)", "-", "終了(&X)"}));
}

void TrayTest::trayMenuCommands()
{
    m_app->start();
    const QByteArrayList songs = m_app->addSongs(3);
    const QString playing = QStringLiteral("Tunelet - <%1> ") + QFile::decodeName(m_app->home());

    action(form(), "PMTrayPlay")->trigger();
    QCOMPARE(form().windowTitle(), playing.arg(1) + QStringLiteral("song1.snr"));
    action(form(), "PMTrayNext")->trigger();
    QCOMPARE(form().windowTitle(), playing.arg(2) + QStringLiteral("song2.snr"));
    action(form(), "PMTrayBack")->trigger();
    QCOMPARE(form().windowTitle(), playing.arg(1) + QStringLiteral("song1.snr"));
    QCOMPARE(m_app->recorded().launcher.parameters().size(), 3);

    // Pause goes to the player's window.
    const windowlink::HWND player =
        m_app->recorded().windows.addWindow("CN_sonaro", "song → 1：00");
    action(form(), "PMTrayPause")->trigger();
    const auto &sent = m_app->recorded().windows.sent();
    QVERIFY(std::any_of(sent.begin(), sent.end(), [player](const auto &message) {
        return message.window == player && message.message == windowlink::WM_KEYDOWN;
    }));
    m_app->recorded().windows.removeWindow(player);

    action(form(), "PMTrayStop")->trigger();
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form().Session().progressTimer().isActive());

    action(form(), "PMTrayExit")->trigger();
    QVERIFY(form().IsClosed());
    QVERIFY(m_app->settings().contains("[Setting]"));
}

void TrayTest::shownAtStartWithTaskTrayOn()
{
    m_app->write("tunelet.ini", "[Setting]\r\nTaskTray=1\r\n");
    m_app->start();
    QVERIFY(action(form(), "MMTaskTray")->isChecked());
    QVERIFY(form().TrayIcon1->Visible());
    QVERIFY(form().TrayIcon1->Registered());
    QCOMPARE(m_app->recorded().notifyArea.countOf(nmAdd), 1);
    QCOMPARE(m_app->recorded().notifyArea.calls().first().data.Tip(), QByteArray("Tunelet"));
    QVERIFY(!m_app->recorded().notifyArea.calls().first().data.icon.isNull());
    QVERIFY(m_app->dialogs().shown().isEmpty());

    // Stored at exit; the icon leaves the tray with the window.
    m_app->stop();
    QVERIFY(m_app->settings().contains("TaskTray=1\r\n"));
    QCOMPARE(m_app->recorded().notifyArea.countOf(nmDelete), 1);
}

void TrayTest::refusedAtStartEndsTheStartUp()
{
    const QByteArray list = m_app->write("last.ppl", m_app->write("a.snr", songData("A")) + "\r\n");
    m_app->write("tunelet.ini", "[Window]\r\nHeight=290\r\n[Setting]\r\nTaskTray=1\r\n"
                                "CompactMode=1\r\nListOpen=1\r\n[File]\r\nFileName=" +
                                    list + "\r\n");
    m_app->recorded().notifyArea.setRefuseAdd(true);
    m_app->start();

    QCOMPARE(m_app->dialogs().texts(What::Error), QStringList{Refused});
    // The rest of the start-up is skipped: no list, no compact height.
    QCOMPARE(form().Playlist().count(), 0);
    QCOMPARE(form().height(), 290);
    // The settings read so far stand.
    QVERIFY(action(form(), "MMTaskTray")->isChecked());
    QVERIFY(action(form(), "MMCompactMode")->isChecked());
    QVERIFY(!form().TrayIcon1->Registered());
    QVERIFY(m_app->show());
}

void TrayTest::switchFlipsTheIcon()
{
    m_app->start();
    action(form(), "MMTaskTray")->trigger();
    QVERIFY(action(form(), "MMTaskTray")->isChecked());
    QVERIFY(form().TrayIcon1->Registered());
    QCOMPARE(m_app->recorded().notifyArea.countOf(nmAdd), 1);

    action(form(), "MMTaskTray")->trigger();
    QVERIFY(!action(form(), "MMTaskTray")->isChecked());
    QVERIFY(!form().TrayIcon1->Visible());
    QVERIFY(!form().TrayIcon1->Registered());
    QCOMPARE(m_app->recorded().notifyArea.countOf(nmDelete), 1);
    QVERIFY(m_app->dialogs().shown().isEmpty());
}

void TrayTest::switchRefusedKeepsTheCheckMark()
{
    m_app->start();
    m_app->recorded().notifyArea.setRefuseAdd(true);
    action(form(), "MMTaskTray")->trigger();
    QCOMPARE(m_app->dialogs().texts(What::Error), QStringList{Refused});
    QVERIFY(action(form(), "MMTaskTray")->isChecked());
    QVERIFY(!form().TrayIcon1->Registered());

    // Switching off does nothing more; switching on again tries again.
    action(form(), "MMTaskTray")->trigger();
    QVERIFY(!action(form(), "MMTaskTray")->isChecked());
    m_app->recorded().notifyArea.setRefuseAdd(false);
    action(form(), "MMTaskTray")->trigger();
    QVERIFY(form().TrayIcon1->Registered());
    QCOMPARE(m_app->dialogs().texts(What::Error).size(), 1);
}

void TrayTest::hideAndShowFromTheTray()
{
    m_app->write("tunelet.ini", "[Window]\r\nTop2=40\r\nLeft2=30\r\nHeight2=200\r\nWidth2=300\r\n"
                                "[Setting]\r\nTaskTray=1\r\nDataView=1\r\n");
    m_app->start();
    QVERIFY(m_app->show());
    TForm2 &viewer = m_app->viewer();
    QVERIFY(viewer.isVisible());
    const QRect stored = viewer.Frame().geometry();
    QCOMPARE(stored, QRect(30, 40, 300, 200));

    action(form(), "PMWindow")->trigger();
    QVERIFY(!form().isVisible());
    QCOMPARE(action(form(), "PMWindow")->text(), QStringLiteral("ウィンドウを表示(&V)"));
    // Hiding leaves the tray icon alone.
    QVERIFY(form().TrayIcon1->Registered());

    viewer.Frame().setGeometry(QRect(250, 260, 320, 220));
    QCOMPARE(viewer.Frame().geometry(), QRect(250, 260, 320, 220));

    action(form(), "PMWindow")->trigger();
    QVERIFY(form().isVisible());
    QCOMPARE(action(form(), "PMWindow")->text(), QStringLiteral("ウィンドウを隠す(&V)"));
    // Showing ran the show step again: the viewer is back where the
    // settings file last stored it.
    QCOMPARE(viewer.Frame().geometry(), stored);
    QVERIFY(viewer.isVisible());
}

void TrayTest::doubleClickHidesAndShows()
{
    m_app->write("tunelet.ini", "[Setting]\r\nTaskTray=1\r\n");
    m_app->start();
    QVERIFY(m_app->show());
    trayMessage(WM_LBUTTONDOWN);
    trayMessage(WM_LBUTTONUP);
    trayMessage(WM_LBUTTONDBLCLK);
    trayMessage(WM_LBUTTONUP);
    QVERIFY(!form().isVisible());
    QCOMPARE(action(form(), "PMWindow")->text(), QStringLiteral("ウィンドウを表示(&V)"));

    trayMessage(WM_LBUTTONDBLCLK);
    QVERIFY(form().isVisible());
    QCOMPARE(action(form(), "PMWindow")->text(), QStringLiteral("ウィンドウを隠す(&V)"));
}

void TrayTest::rightButtonPopsUpTheTrayMenu()
{
    m_app->write("tunelet.ini", "[Setting]\r\nTaskTray=1\r\n");
    m_app->start();
    QVERIFY(m_app->show());
    trayMessage(WM_RBUTTONDOWN);
    QTRY_VERIFY(menu(form(), "PopupTray")->isVisible());
    menu(form(), "PopupTray")->hide();
}

void TrayTest::tipFollowsTheSong()
{
    m_app->write("tunelet.ini", "[Setting]\r\nTaskTray=1\r\n");
    m_app->start();
    m_app->addSongs(2);

    form().SelectRow(1);
    form().ListView1DblClick();
    QCOMPARE(form().TrayIcon1->TipHelp(), QByteArray("Song 2"));
    QCOMPARE(m_app->recorded().notifyArea.lastTip(), QByteArray("Song 2"));

    form().SBStopClick();
    QCOMPARE(form().TrayIcon1->TipHelp(), QByteArray("Tunelet"));
    QCOMPARE(m_app->recorded().notifyArea.lastTip(), QByteArray("Tunelet"));

    // Without the icon in the tray the tip follows all the same.
    action(form(), "MMTaskTray")->trigger();
    form().SBPlayClick();
    QCOMPARE(form().TrayIcon1->TipHelp(), QByteArray("Song 1"));
}

void TrayTest::longTitleIsCutInTheTip()
{
    m_app->start();
    const QByteArray title(70, 'x');
    form().AppendEntry(m_app->write("long.snr", songData(title)));
    form().SBPlayClick();
    QCOMPARE(form().TrayIcon1->TipHelp(), QByteArray(62, 'x'));
}

void TrayTest::refusedTipIsReportedAndTheSongPlaysOn()
{
    m_app->write("tunelet.ini", "[Setting]\r\nTaskTray=1\r\n");
    m_app->start();
    m_app->addSongs(1);
    m_app->recorded().notifyArea.setRefuseModify(true);
    form().SBPlayClick();
    QVERIFY(m_app->dialogs().texts(What::Error).contains(Refused));
    QVERIFY(form().windowTitle().startsWith(QStringLiteral("Tunelet - <1> ")));
    QVERIFY(form().Session().progressTimer().isActive());
}

} // namespace

int runTrayTests(int argc, char **argv)
{
    TrayTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"
