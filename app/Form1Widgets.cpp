// The main window's layout: the button bar, the list, the status bar and the
// menus, as the design places and names them.
#include "app/Form1Widgets.h"

#include "app/SettingsTable.h"
#include "app/StatusBar.h"
#include "resources/TuneletIcons.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace
{

constexpr int PanelHeight = 33;
constexpr int StatusBarHeight = 19;
constexpr int ButtonSize = 25;
constexpr int ButtonTop = 4;

// The client area below the menu bar. Its resize event comes after its layout
// has placed the children, so a handler sees the new sizes of all regions.
class ClientArea final : public QWidget
{
public:
    ClientArea(std::function<void()> resized, QWidget *parent)
        : QWidget(parent), m_resized(std::move(resized))
    {
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        m_resized();
    }

private:
    std::function<void()> m_resized;
};

template <class Object> Object *named(Object *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

QMenu *addMenu(QMenuBar *bar, const char *name, const QString &title)
{
    return named(bar->addMenu(title), name);
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption)
{
    return named(menu->addAction(caption), name);
}

QAction *addCheckItem(QMenu *menu, const char *name, const QString &caption, bool checked)
{
    QAction *action = addItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

// An option's item, checked as the settings table's default has it.
QAction *addOption(QMenu *menu, const char *name, const QString &caption, tunelet::Setting id)
{
    return addCheckItem(menu, name, caption, tunelet::settingRow(id).intDefault != 0);
}

void addSeparator(QMenu *menu, const char *name)
{
    named(menu->addSeparator(), name);
}

// A hidden item is never shown in a menu; it lives on its owner widget so that
// its shortcut works.
QAction *addHiddenItem(QWidget *owner, const char *name, const QString &caption,
                       const QKeySequence &shortcut)
{
    auto *action = named(new QAction(caption, owner), name);
    action->setShortcut(shortcut);
    owner->addAction(action);
    return action;
}

QToolButton *addButton(QFrame *panel, const char *name, int x, const QString &hint,
                       const QString &icon)
{
    auto *button = named(new QToolButton(panel), name);
    button->setGeometry(x, ButtonTop, ButtonSize, ButtonSize);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setIcon(tunelet::buttonIcon(icon));
    button->setIconSize(QSize(16, 16));
    // Speed buttons never take the focus away from the list.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void addBevel(QFrame *panel, const char *name, int x)
{
    auto *line = named(new QFrame(panel), name);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    line->setGeometry(x, ButtonTop, 2, ButtonSize);
}

} // namespace

void Form1Widgets::build(QMainWindow *window, QAbstractItemModel *rows,
                         std::function<void()> clientResized)
{
    buildPanel(window);
    buildListView(window, rows);
    buildClientArea(window, std::move(clientResized));
    buildFileAndEditMenus(window);
    buildSettingMenu(window);
    buildHiddenItems(window);
    buildPopupMenus(window);
}

void Form1Widgets::buildPanel(QMainWindow *window)
{
    Panel1 = named(new QFrame(window), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(PanelHeight);
    Panel1->setMinimumWidth(0);

    SBOpen = addButton(Panel1, "SBOpen", 8, QStringLiteral("リストを開く"), QStringLiteral("open"));
    SBSave =
        addButton(Panel1, "SBSave", 32, QStringLiteral("リストを保存"), QStringLiteral("save"));
    addBevel(Panel1, "Bevel1", 64);
    SBAdd = addButton(Panel1, "SBAdd", 72, QStringLiteral("ファイルの追加"), QStringLiteral("add"));
    SBDelete = addButton(Panel1, "SBDelete", 96, QStringLiteral("ファイルの削除"),
                         QStringLiteral("delete"));
    SBUp = addButton(Panel1, "SBUp", 120, QStringLiteral("上に移動"), QStringLiteral("up"));
    SBDown = addButton(Panel1, "SBDown", 144, QStringLiteral("下に移動"), QStringLiteral("down"));
    addBevel(Panel1, "Bevel2", 176);
    SBPlay = addButton(Panel1, "SBPlay", 184, QStringLiteral("再生"), QStringLiteral("play"));
    SBPause =
        addButton(Panel1, "SBPause", 208, QStringLiteral("一時停止"), QStringLiteral("pause"));
    SBStop = addButton(Panel1, "SBStop", 232, QStringLiteral("停止"), QStringLiteral("stop"));
    SBBack = addButton(Panel1, "SBBack", 256, QStringLiteral("前の曲"), QStringLiteral("back"));
    SBReturn =
        addButton(Panel1, "SBReturn", 280, QStringLiteral("巻き戻し"), QStringLiteral("return"));
    SBSkip = addButton(Panel1, "SBSkip", 304, QStringLiteral("早送り"), QStringLiteral("skip"));
    SBNext = addButton(Panel1, "SBNext", 328, QStringLiteral("次の曲"), QStringLiteral("next"));

    Label1 = named(new QLabel(QStringLiteral("00:00/00:00"), Panel1), "Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setToolTip(QStringLiteral("経過時間/合計時間"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Small enough that the time stays clear of the last button at the
    // design width, as the design's 12-pixel proportional font does.
    QFont timeFont = Label1->font();
    timeFont.setPixelSize(11);
    Label1->setFont(timeFont);
    const int width = Label1->fontMetrics().horizontalAdvance(Label1->text()) + 2;
    Label1->setGeometry(0, ButtonTop, width, ButtonSize);
}

void Form1Widgets::buildListView(QMainWindow *window, QAbstractItemModel *rows)
{
    ListView1 = named(new QTreeView(window), "ListView1");
    ListView1->setModel(rows);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSortingEnabled(false);
    ListView1->setIconSize(QSize(16, 16));
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->setSectionsMovable(false);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->resizeSection(tunelet::PlaylistModel::HeadColumn, 251);
    ListView1->header()->resizeSection(tunelet::PlaylistModel::FileNameColumn, 144);
    // The list may shrink to nothing (compact mode).
    ListView1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
}

void Form1Widgets::buildClientArea(QMainWindow *window, std::function<void()> clientResized)
{
    StatusBar1 = named(new TStatusBar({{50, Qt::AlignHCenter, QString()},
                                       {50, Qt::AlignHCenter, QStringLiteral("List")},
                                       {50, Qt::AlignLeft, QString()}},
                                      window),
                       "StatusBar1");
    StatusBar1->setFixedHeight(StatusBarHeight);

    auto *client = new ClientArea(std::move(clientResized), window);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ListView1, 1);
    layout->addWidget(StatusBar1);
    window->setCentralWidget(client);
}

void Form1Widgets::buildFileAndEditMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    MMFile = addMenu(bar, "MMFile", QStringLiteral("ファイル(&F)"));
    MMAdd = addItem(MMFile, "MMAdd", QStringLiteral("ファイルの追加(&A)"));
    MMDelete = addItem(MMFile, "MMDelete", QStringLiteral("ファイルの削除(&D)"));
    MMDelete2 = addHiddenItem(window, "MMDelete2", QStringLiteral("ファイルの削除"),
                              QKeySequence(Qt::Key_Delete));
    addSeparator(MMFile, "BarMM01");
    MMOpen = addItem(MMFile, "MMOpen", QStringLiteral("リストを開く(&O)"));
    MMReload = addItem(MMFile, "MMReload", QStringLiteral("リストをリロード(&R)"));
    MMSave = addItem(MMFile, "MMSave", QStringLiteral("リストを保存(&S)"));
    MMClear = addItem(MMFile, "MMClear", QStringLiteral("リストをクリア(&C)"));
    addSeparator(MMFile, "BarMM02");
    MMExit = addItem(MMFile, "MMExit", QStringLiteral("終了(&X)"));

    MMEdit = addMenu(bar, "MMEdit", QStringLiteral("編集(&E)"));
    MMUp = addItem(MMEdit, "MMUp", QStringLiteral("上に移動(&U)"));
    MMDown = addItem(MMEdit, "MMDown", QStringLiteral("下に移動(&W)"));
    MMUp2 = addHiddenItem(window, "MMUp2", QStringLiteral("上に移動"),
                          QKeySequence(Qt::SHIFT | Qt::Key_Up));
    MMDown2 = addHiddenItem(window, "MMDown2", QStringLiteral("下に移動"),
                            QKeySequence(Qt::SHIFT | Qt::Key_Down));
    addSeparator(MMEdit, "BarMM03");
    MMHEADSort = addItem(MMEdit, "MMHEADSort", QStringLiteral("HEADでソート(&H)"));
    MMFileNameSort = addItem(MMEdit, "MMFileNameSort", QStringLiteral("ファイル名でソート(&N)"));
    MMRandomSort = addItem(MMEdit, "MMRandomSort", QStringLiteral("ランダムにソート(&R)"));
    addSeparator(MMEdit, "BarMM04");
    MMExistsDelete =
        addItem(MMEdit, "MMExistsDelete", QStringLiteral("存在しないファイルを削除(&D)"));
    MMWFileDelete = addItem(MMEdit, "MMWFileDelete", QStringLiteral("重複ファイルの削除(&C)"));
    addSeparator(MMEdit, "BarMM05");
    MMDataEdit = addItem(MMEdit, "MMDataEdit", QStringLiteral("再生中のデータの編集(&E)"));
}

void Form1Widgets::buildSettingMenu(QMainWindow *window)
{
    using S = tunelet::Setting;
    QMenuBar *bar = window->menuBar();
    MMSetting = addMenu(bar, "MMSetting", QStringLiteral("設定(&S)"));
    MMPlayMode = named(MMSetting->addMenu(QStringLiteral("プレイモード(&M)")), "MMPlayMode");
    auto *playModes = named(new QActionGroup(window), "PlayModeGroup");
    playModes->setExclusive(true);
    MMListPlay = addCheckItem(MMPlayMode, "MMListPlay", QStringLiteral("リスト再生(&L)"), true);
    MMSinglePlay =
        addCheckItem(MMPlayMode, "MMSinglePlay", QStringLiteral("シングル再生(&S)"), false);
    MMRandomPlay =
        addCheckItem(MMPlayMode, "MMRandomPlay", QStringLiteral("ランダム再生(&R)"), false);
    for (QAction *item : {MMListPlay, MMSinglePlay, MMRandomPlay})
        playModes->addAction(item);
    MMListPlay->setData(0);
    MMSinglePlay->setData(1);
    MMRandomPlay->setData(2);
    addSeparator(MMSetting, "BarMM06");
    MMStayOnTop =
        addOption(MMSetting, "MMStayOnTop", QStringLiteral("常に手前に表示(&A)"), S::StayOnTop);
    MMCompactMode = addOption(MMSetting, "MMCompactMode", QStringLiteral("コンパクトモード(&C)"),
                              S::CompactMode);
    MMDataView =
        addOption(MMSetting, "MMDataView", QStringLiteral("データビューア(&D)"), S::DataView);
    addSeparator(MMSetting, "BarMM07");
    MMRepeat =
        addOption(MMSetting, "MMRepeat", QStringLiteral("リピートを行う(&R)"), S::RepeatPlay);
    MMPlayMinimize = addOption(MMSetting, "MMPlayMinimize", QStringLiteral("最小化状態で再生(&M)"),
                               S::PlayMinimize);
    MMCloseSonaro = addOption(MMSetting, "MMCloseSonaro",
                              QStringLiteral("終了と同時にSonaroも終了(&X)"), S::CloseSonaro);
    MMListOpen =
        addOption(MMSetting, "MMListOpen", QStringLiteral("前回のリストを開く(&O)"), S::ListOpen);
    MMSaveList =
        addOption(MMSetting, "MMSaveList", QStringLiteral("終了時のリストを保存(&S)"), S::SaveList);
    MMTaskTray = addOption(MMSetting, "MMTaskTray",
                           QStringLiteral("タスクトレイにアイコンを表示(&T)"), S::TaskTray);
    MMLzhHEAD =
        addOption(MMSetting, "MMLzhHEAD", QStringLiteral("LZHファイルもHEAD取得(&L)"), S::LzhHEAD);
    addSeparator(MMSetting, "BarMM08");
    MMSubWindow =
        named(MMSetting->addMenu(QStringLiteral("サブウィンドウの表示(&W)")), "MMSubWindow");
    MMSWMember = addOption(MMSubWindow, "MMSWMember", QStringLiteral("メンバー色一覧の表示(&M)"),
                           S::PlayMember);
    MMSWFinger = addOption(MMSubWindow, "MMSWFinger", QStringLiteral("フィンガー拍数の表示(&F)"),
                           S::PlayFinger);
    MMSWScore =
        addOption(MMSubWindow, "MMSWScore", QStringLiteral("譜面モニタの表示(&S)"), S::PlayScore);
    addSeparator(MMSetting, "BarMM09");
    MMSonaroPath = addItem(MMSetting, "MMSonaroPath", QStringLiteral("Sonaro本体のパス(&P)"));
    MMEditorPath = addItem(MMSetting, "MMEditorPath", QStringLiteral("テキストエディタのパス(&E)"));
    MMmid2snrPath = addItem(MMSetting, "MMmid2snrPath", QStringLiteral("mid2snrのパス(&I)"));
    addSeparator(MMSetting, "BarMM10");
    MMVolume = addItem(MMSetting, "MMVolume", QStringLiteral("音量の調節(&V)"));

    MMHelp = addMenu(bar, "MMHelp", QStringLiteral("ヘルプ(&H)"));
    Contents1 = addItem(MMHelp, "Contents1", QStringLiteral("目次(&C)"));
    About1 = addItem(MMHelp, "About1", QStringLiteral("バージョン情報(&A)"));
}

void Form1Widgets::buildHiddenItems(QMainWindow *window)
{
    // "操作(&C)" is an invisible menu: it never joins the menu bar, and its
    // items sit on the window so that their shortcuts work.
    N1 = named(new QMenu(QStringLiteral("操作(&C)"), window), "N1");
    N2 = addHiddenItem(window, "N2", QStringLiteral("再生(&P)"), QKeySequence(Qt::Key_Space));
    N3 = addHiddenItem(window, "N3", QStringLiteral("一時停止(&U)"),
                       QKeySequence(Qt::CTRL | Qt::Key_Space));
    N7 = addHiddenItem(window, "N7", QStringLiteral("次の曲(&N)"),
                       QKeySequence(Qt::CTRL | Qt::Key_Right));
    N8 = addHiddenItem(window, "N8", QStringLiteral("前の曲(&B)"),
                       QKeySequence(Qt::CTRL | Qt::Key_Left));
    N1->addActions({N2, N3, N7, N8});
    N1->menuAction()->setVisible(false);
}

void Form1Widgets::buildPopupMenus(QMainWindow *window)
{
    PopupMenu1 = named(new QMenu(window), "PopupMenu1");
    PMPlay = addItem(PopupMenu1, "PMPlay", QStringLiteral("この曲を再生(&P)"));
    // The hidden pop-up item works while the list has the focus.
    PMPlay2 = addHiddenItem(ListView1, "PMPlay2", QStringLiteral("この曲を再生"),
                            QKeySequence(Qt::Key_Return));
    PMPlay2->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    PMPlay2->setShortcutContext(Qt::WidgetShortcut);
    addSeparator(PopupMenu1, "BarPM01");
    PMUp = addItem(PopupMenu1, "PMUp", QStringLiteral("上に移動(&U)"));
    PMDown = addItem(PopupMenu1, "PMDown", QStringLiteral("下に移動(&W)"));
    addSeparator(PopupMenu1, "BarPM02");
    PMInsert = addItem(PopupMenu1, "PMInsert", QStringLiteral("ファイルの挿入(&I)"));
    PMDelete = addItem(PopupMenu1, "PMDelete", QStringLiteral("ファイルの削除(&D)"));
    addSeparator(PopupMenu1, "BarPM03");
    PMDataEdit = addItem(PopupMenu1, "PMDataEdit", QStringLiteral("データの編集(&E)"));

    PopupTray = named(new QMenu(window), "PopupTray");
    PMTrayPlay = addItem(PopupTray, "PMTrayPlay", QStringLiteral("再生(&P)"));
    PMTrayPause = addItem(PopupTray, "PMTrayPause", QStringLiteral("一時停止(&U)"));
    PMTrayStop = addItem(PopupTray, "PMTrayStop", QStringLiteral("停止(&S)"));
    addSeparator(PopupTray, "BarPM04");
    PMTrayBack = addItem(PopupTray, "PMTrayBack", QStringLiteral("前の曲(&B)"));
    PMTrayNext = addItem(PopupTray, "PMTrayNext", QStringLiteral("次の曲(&N)"));
    addSeparator(PopupTray, "BarPM05");
    PMWindow = addItem(PopupTray, "PMWindow", QStringLiteral("ウィンドウを隠す(&V)"));
    addSeparator(PopupTray, "BarPM06");
    PMTrayExit = addItem(PopupTray, "PMTrayExit", QStringLiteral("終了(&X)"));
}
