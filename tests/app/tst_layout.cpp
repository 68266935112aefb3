// The main window's layout: menus, hidden items, buttons, list, status bar,
// and the data viewer and about box.
#include "tests/support/WindowFixture.h"

#include "app/Dialogs.h"
#include "app/StatusBar.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

using namespace tunelet::testkit;

namespace
{

// A menu's items as captions, "-" for a separator.
QStringList captions(const QWidget *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result;
}

} // namespace

class LayoutTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menuBar();
    void menus_data();
    void menus();
    void separatorsKeepTheirNames();
    void playModeIsOneRadioGroup();
    void hiddenItems_data();
    void hiddenItems();
    void hiddenShortcutReachesItsHandler();
    void buttons_data();
    void buttons();
    void panelAndTimeLabel();
    void listView();
    void windowIcon();
    void statusBar();
    void playModeCycle();
    void dataViewer();
    void aboutBox();
    void fileFilters_data();
    void fileFilters();

private:
    std::unique_ptr<WindowFixture> m_app;
    TForm1 *m_form = nullptr;
};

void LayoutTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    m_form = &m_app->start();
}

void LayoutTest::cleanup()
{
    m_app.reset();
    m_form = nullptr;
}

void LayoutTest::menuBar()
{
    QCOMPARE(captions(m_form->menuBar()),
             (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"),
                          QStringLiteral("設定(&S)"), QStringLiteral("ヘルプ(&H)")}));
    QCOMPARE(menu(*m_form, "N1")->title(), QStringLiteral("操作(&C)"));
    QVERIFY(!m_form->menuBar()->actions().contains(menu(*m_form, "N1")->menuAction()));
}

void LayoutTest::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("file") << "MMFile" << QStringList{"ファイルの追加(&A)",
                                                     "ファイルの削除(&D)",
                                                     "-",
                                                     "リストを開く(&O)",
                                                     "リストをリロード(&R)",
                                                     "リストを保存(&S)",
                                                     "リストをクリア(&C)",
                                                     "-",
                                                     "終了(&X)"};
    QTest::newRow("edit") << "MMEdit"
                          << QStringList{"上に移動(&U)",
                                         "下に移動(&W)",
                                         "-",
                                         "HEADでソート(&H)",
                                         "ファイル名でソート(&N)",
                                         "ランダムにソート(&R)",
                                         "-",
                                         "存在しないファイルを削除(&D)",
                                         "重複ファイルの削除(&C)",
                                         "-",
                                         "再生中のデータの編集(&E)"};
    QTest::newRow("settings") << "MMSetting"
                              << QStringList{"プレイモード(&M)",
                                             "-",
                                             "常に手前に表示(&A)",
                                             "コンパクトモード(&C)",
                                             "データビューア(&D)",
                                             "-",
                                             "リピートを行う(&R)",
                                             "最小化状態で再生(&M)",
                                             "終了と同時にSonaroも終了(&X)",
                                             "前回のリストを開く(&O)",
                                             "終了時のリストを保存(&S)",
                                             "タスクトレイにアイコンを表示(&T)",
                                             "LZHファイルもHEAD取得(&L)",
                                             "-",
                                             "サブウィンドウの表示(&W)",
                                             "-",
                                             "Sonaro本体のパス(&P)",
                                             "テキストエディタのパス(&E)",
                                             "mid2snrのパス(&I)",
                                             "-",
                                             "音量の調節(&V)"};
    QTest::newRow("play mode") << "MMPlayMode"
                               << QStringList{"リスト再生(&L)", "シングル再生(&S)",
                                              "ランダム再生(&R)"};
    QTest::newRow("sub windows") << "MMSubWindow"
                                 << QStringList{"メンバー色一覧の表示(&M)",
                                                "フィンガー拍数の表示(&F)", "譜面モニタの表示(&S)"};
    QTest::newRow("help") << "MMHelp" << QStringList{"目次(&C)", "バージョン情報(&A)"};
    QTest::newRow("hidden operations")
        << "N1" << QStringList{"再生(&P)", "一時停止(&U)", "次の曲(&N)", "前の曲(&B)"};
    QTest::newRow("list pop-up") << "PopupMenu1"
                                 << QStringList{"この曲を再生(&P)",   "-", "上に移動(&U)",
                                                "下に移動(&W)",       "-", "ファイルの挿入(&I)",
                                                "ファイルの削除(&D)", "-", "データの編集(&E)"};
    QTest::newRow("tray") << "PopupTray"
                          << QStringList{"再生(&P)", "一時停止(&U)",         "停止(&S)",
                                         "-",        "前の曲(&B)",           "次の曲(&N)",
                                         "-",        "ウィンドウを隠す(&V)", "-",
                                         "終了(&X)"};
}

void LayoutTest::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    QCOMPARE(captions(tunelet::testkit::menu(*m_form, qPrintable(menu))), items);
}

void LayoutTest::separatorsKeepTheirNames()
{
    QStringList names;
    for (int i = 1; i <= 10; ++i)
        names << QStringLiteral("BarMM%1").arg(i, 2, 10, QLatin1Char('0'));
    for (int i = 1; i <= 6; ++i)
        names << QStringLiteral("BarPM%1").arg(i, 2, 10, QLatin1Char('0'));
    for (const QString &name : names)
        QVERIFY2(action(*m_form, qPrintable(name))->isSeparator(), qPrintable(name));
    // Each sits where its number says: the second of the file menu's two.
    const QList<QAction *> file = menu(*m_form, "MMFile")->actions();
    QCOMPARE(file.indexOf(action(*m_form, "BarMM02")), 7);
    const QList<QAction *> tray = menu(*m_form, "PopupTray")->actions();
    QCOMPARE(tray.indexOf(action(*m_form, "BarPM06")), 8);
}

void LayoutTest::playModeIsOneRadioGroup()
{
    QVERIFY(actionGroup(*m_form, "PlayModeGroup")->isExclusive());
    QCOMPARE(actionGroup(*m_form, "PlayModeGroup")->actions(),
             (QList<QAction *>{action(*m_form, "MMListPlay"), action(*m_form, "MMSinglePlay"),
                               action(*m_form, "MMRandomPlay")}));
    action(*m_form, "MMSinglePlay")->trigger();
    QVERIFY(action(*m_form, "MMSinglePlay")->isChecked());
    QVERIFY(!action(*m_form, "MMListPlay")->isChecked());
    QCOMPARE(tunelet::testkit::statusBar(*m_form)->panelText(1), QStringLiteral("Single"));
    action(*m_form, "MMListPlay")->trigger();
    QCOMPARE(tunelet::testkit::statusBar(*m_form)->panelText(1), QStringLiteral("List"));
}

void LayoutTest::hiddenItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("MMDelete2") << "MMDelete2"
                               << "ファイルの削除" << QKeySequence(Qt::Key_Delete);
    QTest::newRow("MMUp2") << "MMUp2"
                           << "上に移動" << QKeySequence(Qt::SHIFT | Qt::Key_Up);
    QTest::newRow("MMDown2") << "MMDown2"
                             << "下に移動" << QKeySequence(Qt::SHIFT | Qt::Key_Down);
    QTest::newRow("N2") << "N2"
                        << "再生(&P)" << QKeySequence(Qt::Key_Space);
    QTest::newRow("N3") << "N3"
                        << "一時停止(&U)" << QKeySequence(Qt::CTRL | Qt::Key_Space);
    QTest::newRow("N7") << "N7"
                        << "次の曲(&N)" << QKeySequence(Qt::CTRL | Qt::Key_Right);
    QTest::newRow("N8") << "N8"
                        << "前の曲(&B)" << QKeySequence(Qt::CTRL | Qt::Key_Left);
    QTest::newRow("PMPlay2") << "PMPlay2"
                             << "この曲を再生" << QKeySequence(Qt::Key_Return);
}

void LayoutTest::hiddenItems()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QAction *item = action(*m_form, qPrintable(name));
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), shortcut);
    // Not shown in any visible menu, but live on the window (or the list).
    for (const QMenu *menu :
         {menu(*m_form, "MMFile"), menu(*m_form, "MMEdit"), menu(*m_form, "MMSetting"),
          menu(*m_form, "MMHelp"), menu(*m_form, "PopupMenu1")})
        QVERIFY(!menu->actions().contains(item));
    QWidget *owner = name == QLatin1String("PMPlay2")
                         ? static_cast<QWidget *>(tunelet::testkit::listView(*m_form))
                         : m_form;
    QVERIFY(owner->actions().contains(item));
    QVERIFY(!m_form->menuBar()->actions().contains(item));
}

void LayoutTest::hiddenShortcutReachesItsHandler()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QSignalSpy deleted(action(*m_form, "MMDelete2"), &QAction::triggered);
    QSignalSpy next(action(*m_form, "N7"), &QAction::triggered);
    QTest::keyClick(m_form, Qt::Key_Delete);
    QTest::keyClick(m_form, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(next.count(), 1);
}

void LayoutTest::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("hint");
    QTest::newRow("SBOpen") << "SBOpen" << 8 << "リストを開く";
    QTest::newRow("SBSave") << "SBSave" << 32 << "リストを保存";
    QTest::newRow("SBAdd") << "SBAdd" << 72 << "ファイルの追加";
    QTest::newRow("SBDelete") << "SBDelete" << 96 << "ファイルの削除";
    QTest::newRow("SBUp") << "SBUp" << 120 << "上に移動";
    QTest::newRow("SBDown") << "SBDown" << 144 << "下に移動";
    QTest::newRow("SBPlay") << "SBPlay" << 184 << "再生";
    QTest::newRow("SBPause") << "SBPause" << 208 << "一時停止";
    QTest::newRow("SBStop") << "SBStop" << 232 << "停止";
    QTest::newRow("SBBack") << "SBBack" << 256 << "前の曲";
    QTest::newRow("SBReturn") << "SBReturn" << 280 << "巻き戻し";
    QTest::newRow("SBSkip") << "SBSkip" << 304 << "早送り";
    QTest::newRow("SBNext") << "SBNext" << 328 << "次の曲";
}

void LayoutTest::buttons()
{
    QFETCH(QString, name);
    QFETCH(int, x);
    QFETCH(QString, hint);
    QToolButton *button = tunelet::testkit::button(*m_form, qPrintable(name));
    QCOMPARE(button->parentWidget(), frame(*m_form, "Panel1"));
    QCOMPARE(button->geometry(), QRect(x, 4, 25, 25));
    QCOMPARE(button->toolTip(), hint);
    QVERIFY(button->autoRaise());
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
}

void LayoutTest::panelAndTimeLabel()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QCOMPARE(frame(*m_form, "Panel1")->height(), 33);
    QCOMPARE(frame(*m_form, "Panel1")->y(), 0);
    QCOMPARE(frame(*m_form, "Bevel1")->x(), 64);
    QCOMPARE(frame(*m_form, "Bevel2")->x(), 176);
    QCOMPARE(timeLabel(*m_form)->text(), QStringLiteral("00:00/00:00"));
    QCOMPARE(timeLabel(*m_form)->toolTip(), QStringLiteral("経過時間/合計時間"));
    QCOMPARE(timeLabel(*m_form)->geometry().right() + 1, frame(*m_form, "Panel1")->width() - 2);
    m_form->resize(600, 290);
    QTRY_COMPARE(timeLabel(*m_form)->geometry().right() + 1, frame(*m_form, "Panel1")->width() - 2);
    QCOMPARE(frame(*m_form, "Panel1")->width(), 600);
}

// The sizes title bars, task bars and trays show, each drawn at its own size;
// larger ones come from the installed icon theme.
void LayoutTest::windowIcon()
{
    const QIcon icon = m_form->windowIcon();
    QCOMPARE(icon.availableSizes(),
             (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    for (const QSize &size : {QSize(16, 16), QSize(20, 20), QSize(64, 64), QSize(128, 128)}) {
        const QImage image = icon.pixmap(size).toImage();
        QCOMPARE(image.size(), size);
        QVERIFY(image.pixelColor(size.width() / 2, size.height() / 2).alpha() > 0);
    }
}

void LayoutTest::listView()
{
    QTreeView *view = tunelet::testkit::listView(*m_form);
    QCOMPARE(view->model(), &m_form->Playlist());
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("HEAD"));
    QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("FileName"));
    QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!view->isSortingEnabled());
    QVERIFY(!view->header()->sectionsClickable());
    QVERIFY(view->uniformRowHeights());
    QVERIFY(!view->rootIsDecorated());

    // Kind icons: data, MIDI and archive rows each get their own picture.
    m_form->AppendEntry(m_app->path("a.snr"));
    m_form->AppendEntry(m_app->path("b.MID"));
    m_form->AppendEntry(m_app->path("c.lzh"));
    for (int row = 0; row < 3; ++row) {
        const QIcon icon = view->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
        QVERIFY(!icon.pixmap(16, 16).toImage().isNull());
    }
    const QImage data =
        view->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
    const QImage midi =
        view->model()->index(1, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
    const QImage lzh =
        view->model()->index(2, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
    QVERIFY(data != midi && midi != lzh && data != lzh);
    QCOMPARE(view->model()->index(1, 0).data().toString(), QStringLiteral("[MIDI] b.MID"));
    QCOMPARE(view->model()->index(2, 0).data().toString(), QStringLiteral("[LZH] c.lzh"));
    QCOMPARE(view->model()->index(2, 1).data().toString(), QString::fromUtf8(m_app->path("c.lzh")));
}

void LayoutTest::statusBar()
{
    TStatusBar *bar = tunelet::testkit::statusBar(*m_form);
    QCOMPARE(bar->height(), 19);
    QCOMPARE(bar->panelCount(), 3);
    QCOMPARE(bar->panel(0)->width(), 50);
    QCOMPARE(bar->panel(1)->width(), 50);
    QVERIFY(bar->panel(0)->alignment() & Qt::AlignHCenter);
    QVERIFY(bar->panel(1)->alignment() & Qt::AlignHCenter);
    QCOMPARE(bar->panelText(1), QStringLiteral("List"));
}

void LayoutTest::playModeCycle()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QTest::mouseDClick(frame(*m_form, "Panel1"), Qt::LeftButton, {}, QPoint(360, 15));
    QCOMPARE(tunelet::testkit::statusBar(*m_form)->panelText(1), QStringLiteral("Single"));
    QTest::mouseDClick(timeLabel(*m_form), Qt::LeftButton);
    QCOMPARE(tunelet::testkit::statusBar(*m_form)->panelText(1), QStringLiteral("Random"));
    m_form->Panel1DblClick();
    QCOMPARE(tunelet::testkit::statusBar(*m_form)->panelText(1), QStringLiteral("List"));
    QVERIFY(action(*m_form, "MMListPlay")->isChecked());
}

void LayoutTest::dataViewer()
{
    TForm2 &viewer = m_app->viewer();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("データビューア"));
    QCOMPARE(viewer.size(), QSize(571, 370));
    QVERIFY(viewer.RichEdit1->isReadOnly());
    QCOMPARE(viewer.RichEdit1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(viewer.RichEdit1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(viewer.RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(QFontInfo(viewer.RichEdit1->font()).fixedPitch());
    // Shift-JIS data shows decoded.
    viewer.setData("*HEAD\"\x83\x65\x83\x58\x83\x67\"");
    QCOMPARE(viewer.text(), QStringLiteral("*HEAD\"テスト\""));

    // Its close box unchecks the menu item and empties it.
    action(*m_form, "MMDataView")->setChecked(true);
    viewer.show();
    viewer.close();
    QVERIFY(!action(*m_form, "MMDataView")->isChecked());
    QVERIFY(viewer.text().isEmpty());
    QVERIFY(!viewer.isVisible());
}

void LayoutTest::aboutBox()
{
    TAboutBox &about = m_app->about();
    QCOMPARE(about.windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(about.size(), QSize(322, 108));
    QCOMPARE(about.ProgramIcon->geometry(), QRect(8, 8, 32, 32));
    QCOMPARE(about.ProductName->text(), QStringLiteral("Tunelet Ver1.05"));
    QCOMPARE(about.ProductName->pos(), QPoint(48, 16));
    QVERIFY(about.ProductName->font().bold());
    QCOMPARE(about.Comments->pos(), QPoint(48, 32));
    QCOMPARE(about.Bevel1->y(), 48);
    QCOMPARE(about.HomePage->pos(), QPoint(48, 56));
    QCOMPARE(about.EMail->pos(), QPoint(48, 72));
    QVERIFY(about.HomePage->isReadOnly() && about.EMail->isReadOnly());
    QVERIFY(!about.HomePage->text().isEmpty() && !about.EMail->text().isEmpty());
    QCOMPARE(about.OKButton->text(), QStringLiteral("OK"));
    QCOMPARE(about.OKButton->geometry(), QRect(248, 12, 66, 25));
    QVERIFY(about.OKButton->isDefault());
    QCOMPARE(about.Panel1->geometry(), QRect(0, 90, 322, 18));

    // "バージョン情報(&A)" shows it modally; OK closes it.
    QTimer::singleShot(0, &about, [&about] {
        QVERIFY(about.isVisible() && about.isModal());
        about.OKButton->click();
    });
    action(*m_form, "About1")->trigger();
    QVERIFY(!about.isVisible());
}

void LayoutTest::fileFilters_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("qt");
    QTest::newRow("list open") << "リストファイル (*.ppl *.alb)|*.ppl;*.alb"
                               << "リストファイル (*.ppl *.alb)";
    QTest::newRow("list save") << "リストファイル (*.ppl)|*.ppl"
                               << "リストファイル (*.ppl)";
    QTest::newRow("no patterns in text") << "Programs|*.exe;*.com"
                                         << "Programs (*.exe *.com)";
    QTest::newRow("two filters") << "A (*.a)|*.a|B|*.b"
                                 << "A (*.a);;B (*.b)";
}

void LayoutTest::fileFilters()
{
    QFETCH(QString, windows);
    QFETCH(QString, qt);
    QCOMPARE(tunelet::qtFileFilter(windows), qt);
}

int runLayoutTests(int argc, char **argv)
{
    LayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_layout.moc"
