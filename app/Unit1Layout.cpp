// The main window's layout: the button bar, the list, the status bar, the
// menus and the dialogs' fixed properties.
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "resources/TuneletIcons.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <array>

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

} // namespace

void TForm1::Wire(QAction *action, void (TForm1::*handler)())
{
    if (!handler)
        return;
    connect(action, &QAction::triggered, this,
            [this, handler] { Run([this, handler] { (this->*handler)(); }); });
}

void TForm1::Wire(QToolButton *button, void (TForm1::*handler)())
{
    if (!handler)
        return;
    connect(button, &QToolButton::clicked, this,
            [this, handler] { Run([this, handler] { (this->*handler)(); }); });
}

QAction *TForm1::AddItem(QMenu *menu, const QString &caption, void (TForm1::*handler)())
{
    QAction *action = menu->addAction(caption);
    Wire(action, handler);
    return action;
}

QAction *TForm1::AddCheckItem(QMenu *menu, const QString &caption, bool checked,
                              void (TForm1::*handler)())
{
    QAction *action = AddItem(menu, caption, handler);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

// A hidden item is never shown in a menu; it lives on its owner widget so that
// its shortcut works.
QAction *TForm1::AddHiddenItem(QWidget *owner, const QString &caption, const QKeySequence &shortcut,
                               void (TForm1::*handler)())
{
    auto *action = new QAction(caption, owner);
    action->setShortcut(shortcut);
    owner->addAction(action);
    Wire(action, handler);
    return action;
}

QToolButton *TForm1::AddButton(int x, const QString &hint, const QString &icon,
                               void (TForm1::*handler)())
{
    auto *button = new QToolButton(Panel1);
    button->setGeometry(x, ButtonTop, ButtonSize, ButtonSize);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setIcon(tunelet::buttonIcon(icon));
    button->setIconSize(QSize(16, 16));
    // Speed buttons never take the focus away from the list.
    button->setFocusPolicy(Qt::NoFocus);
    Wire(button, handler);
    return button;
}

void TForm1::CreatePanel()
{
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setFixedHeight(PanelHeight);
    Panel1->setMinimumWidth(0);
    Panel1->installEventFilter(this);

    auto separator = [this](int x) {
        auto *line = new QFrame(Panel1);
        line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        line->setGeometry(x, ButtonTop, 2, ButtonSize);
        return line;
    };
    SBOpen =
        AddButton(8, QStringLiteral("リストを開く"), QStringLiteral("open"), &TForm1::MMOpenClick);
    SBSave =
        AddButton(32, QStringLiteral("リストを保存"), QStringLiteral("save"), &TForm1::MMSaveClick);
    Bevel1 = separator(64);
    SBAdd =
        AddButton(72, QStringLiteral("ファイルの追加"), QStringLiteral("add"), &TForm1::MMAddClick);
    SBDelete = AddButton(96, QStringLiteral("ファイルの削除"), QStringLiteral("delete"),
                         &TForm1::MMDeleteClick);
    SBUp = AddButton(120, QStringLiteral("上に移動"), QStringLiteral("up"), &TForm1::MMUpClick);
    SBDown =
        AddButton(144, QStringLiteral("下に移動"), QStringLiteral("down"), &TForm1::MMDownClick);
    Bevel2 = separator(176);
    SBPlay = AddButton(184, QStringLiteral("再生"), QStringLiteral("play"), &TForm1::SBPlayClick);
    SBPause =
        AddButton(208, QStringLiteral("一時停止"), QStringLiteral("pause"), &TForm1::SBPauseClick);
    SBStop = AddButton(232, QStringLiteral("停止"), QStringLiteral("stop"), &TForm1::SBStopClick);
    SBBack = AddButton(256, QStringLiteral("前の曲"), QStringLiteral("back"), &TForm1::SBBackClick);
    // Rewind and fast-forward act while held: their mouse presses and releases
    // are watched (eventFilter), not their clicks.
    SBReturn = AddButton(280, QStringLiteral("巻き戻し"), QStringLiteral("return"));
    SBSkip = AddButton(304, QStringLiteral("早送り"), QStringLiteral("skip"));
    SBReturn->installEventFilter(this);
    SBSkip->installEventFilter(this);
    SBNext = AddButton(328, QStringLiteral("次の曲"), QStringLiteral("next"), &TForm1::SBNextClick);

    Label1 = new QLabel(QStringLiteral("00:00/00:00"), Panel1);
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

void TForm1::CreateListView()
{
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_playlist.get());
    // Read once: the list asks for a row's icon at every paint of the row.
    const std::array kinds{tunelet::kindIcon(0), tunelet::kindIcon(1), tunelet::kindIcon(2)};
    m_playlist->setIconProvider([kinds](int imageIndex) {
        return imageIndex >= 0 && imageIndex < int(kinds.size())
                   ? QVariant::fromValue(kinds[size_t(imageIndex)])
                   : QVariant::fromValue(QIcon());
    });
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
    ListView1->viewport()->installEventFilter(this);

    auto change = [this] { Run([this] { ListView1Change(); }); };
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, change);
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this, change);
    connect(m_playlist.get(), &QAbstractItemModel::dataChanged, this, change);
}

void TForm1::CreateStatusBar()
{
    StatusBar1 = new TStatusBar({{50, Qt::AlignHCenter, QString()},
                                 {50, Qt::AlignHCenter, QStringLiteral("List")},
                                 {50, Qt::AlignLeft, QString()}},
                                this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    connect(StatusBar1, &TStatusBar::doubleClicked, this,
            [this] { Run([this] { StatusBar1DblClick(); }); });

    auto *client = new ClientArea(
        [this] {
            if (m_compact.resizeAttached())
                Run([this] { FormResize(); });
        },
        this);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(ListView1, 1);
    layout->addWidget(StatusBar1);
    setCentralWidget(client);
}

void TForm1::CreateMainMenu()
{
    const auto isOn = [](tunelet::Setting id) { return tunelet::settingRow(id).intDefault != 0; };
    using S = tunelet::Setting;
    QMenuBar *bar = menuBar();

    MMFile = bar->addMenu(QStringLiteral("ファイル(&F)"));
    MMAdd = AddItem(MMFile, QStringLiteral("ファイルの追加(&A)"), &TForm1::MMAddClick);
    MMDelete = AddItem(MMFile, QStringLiteral("ファイルの削除(&D)"), &TForm1::MMDeleteClick);
    MMDelete2 = AddHiddenItem(this, QStringLiteral("ファイルの削除"), QKeySequence(Qt::Key_Delete),
                              &TForm1::MMDeleteClick);
    BarMM01 = MMFile->addSeparator();
    MMOpen = AddItem(MMFile, QStringLiteral("リストを開く(&O)"), &TForm1::MMOpenClick);
    MMReload = AddItem(MMFile, QStringLiteral("リストをリロード(&R)"), &TForm1::MMReloadClick);
    MMSave = AddItem(MMFile, QStringLiteral("リストを保存(&S)"), &TForm1::MMSaveClick);
    MMClear = AddItem(MMFile, QStringLiteral("リストをクリア(&C)"), &TForm1::MMClearClick);
    BarMM02 = MMFile->addSeparator();
    MMExit = AddItem(MMFile, QStringLiteral("終了(&X)"), &TForm1::MMExitClick);

    MMEdit = bar->addMenu(QStringLiteral("編集(&E)"));
    MMUp = AddItem(MMEdit, QStringLiteral("上に移動(&U)"), &TForm1::MMUpClick);
    MMDown = AddItem(MMEdit, QStringLiteral("下に移動(&W)"), &TForm1::MMDownClick);
    MMUp2 = AddHiddenItem(this, QStringLiteral("上に移動"), QKeySequence(Qt::SHIFT | Qt::Key_Up),
                          &TForm1::MMUpClick);
    MMDown2 = AddHiddenItem(this, QStringLiteral("下に移動"),
                            QKeySequence(Qt::SHIFT | Qt::Key_Down), &TForm1::MMDownClick);
    BarMM03 = MMEdit->addSeparator();
    MMHEADSort = AddItem(MMEdit, QStringLiteral("HEADでソート(&H)"), &TForm1::MMHEADSortClick);
    MMFileNameSort =
        AddItem(MMEdit, QStringLiteral("ファイル名でソート(&N)"), &TForm1::MMFileNameSortClick);
    MMRandomSort =
        AddItem(MMEdit, QStringLiteral("ランダムにソート(&R)"), &TForm1::MMRandomSortClick);
    BarMM04 = MMEdit->addSeparator();
    MMExistsDelete = AddItem(MMEdit, QStringLiteral("存在しないファイルを削除(&D)"),
                             &TForm1::MMExistsDeleteClick);
    MMWFileDelete =
        AddItem(MMEdit, QStringLiteral("重複ファイルの削除(&C)"), &TForm1::MMWFileDeleteClick);
    BarMM05 = MMEdit->addSeparator();
    MMDataEdit =
        AddItem(MMEdit, QStringLiteral("再生中のデータの編集(&E)"), &TForm1::MMDataEditClick);

    MMSetting = bar->addMenu(QStringLiteral("設定(&S)"));
    MMPlayMode = MMSetting->addMenu(QStringLiteral("プレイモード(&M)"));
    PlayModeGroup = new QActionGroup(this);
    PlayModeGroup->setExclusive(true);
    MMListPlay =
        AddCheckItem(MMPlayMode, QStringLiteral("リスト再生(&L)"), true, &TForm1::MMListPlayClick);
    MMSinglePlay = AddCheckItem(MMPlayMode, QStringLiteral("シングル再生(&S)"), false,
                                &TForm1::MMSinglePlayClick);
    MMRandomPlay = AddCheckItem(MMPlayMode, QStringLiteral("ランダム再生(&R)"), false,
                                &TForm1::MMRandomPlayClick);
    for (QAction *item : {MMListPlay, MMSinglePlay, MMRandomPlay})
        PlayModeGroup->addAction(item);
    MMListPlay->setData(0);
    MMSinglePlay->setData(1);
    MMRandomPlay->setData(2);
    BarMM06 = MMSetting->addSeparator();
    MMStayOnTop = AddCheckItem(MMSetting, QStringLiteral("常に手前に表示(&A)"), isOn(S::StayOnTop),
                               &TForm1::MMStayOnTopClick);
    MMCompactMode = AddCheckItem(MMSetting, QStringLiteral("コンパクトモード(&C)"),
                                 isOn(S::CompactMode), &TForm1::MMCompactModeClick);
    MMDataView = AddCheckItem(MMSetting, QStringLiteral("データビューア(&D)"), isOn(S::DataView),
                              &TForm1::MMDataViewClick);
    BarMM07 = MMSetting->addSeparator();
    MMRepeat = AddCheckItem(MMSetting, QStringLiteral("リピートを行う(&R)"), isOn(S::RepeatPlay),
                            &TForm1::MMRepeatClick);
    MMPlayMinimize = AddCheckItem(MMSetting, QStringLiteral("最小化状態で再生(&M)"),
                                  isOn(S::PlayMinimize), &TForm1::MMPlayMinimizeClick);
    MMCloseSonaro = AddCheckItem(MMSetting, QStringLiteral("終了と同時にSonaroも終了(&X)"),
                                 isOn(S::CloseSonaro), &TForm1::MMCloseSonaroClick);
    MMListOpen = AddCheckItem(MMSetting, QStringLiteral("前回のリストを開く(&O)"),
                              isOn(S::ListOpen), &TForm1::MMListOpenClick);
    MMSaveList = AddCheckItem(MMSetting, QStringLiteral("終了時のリストを保存(&S)"),
                              isOn(S::SaveList), &TForm1::MMSaveListClick);
    MMTaskTray = AddCheckItem(MMSetting, QStringLiteral("タスクトレイにアイコンを表示(&T)"),
                              isOn(S::TaskTray), &TForm1::MMTaskTrayClick);
    MMLzhHEAD = AddCheckItem(MMSetting, QStringLiteral("LZHファイルもHEAD取得(&L)"),
                             isOn(S::LzhHEAD), &TForm1::MMLzhHEADClick);
    BarMM08 = MMSetting->addSeparator();
    MMSubWindow = MMSetting->addMenu(QStringLiteral("サブウィンドウの表示(&W)"));
    MMSWMember = AddCheckItem(MMSubWindow, QStringLiteral("メンバー色一覧の表示(&M)"),
                              isOn(S::PlayMember), &TForm1::MMSWMemberClick);
    MMSWFinger = AddCheckItem(MMSubWindow, QStringLiteral("フィンガー拍数の表示(&F)"),
                              isOn(S::PlayFinger), &TForm1::MMSWFingerClick);
    MMSWScore = AddCheckItem(MMSubWindow, QStringLiteral("譜面モニタの表示(&S)"),
                             isOn(S::PlayScore), &TForm1::MMSWScoreClick);
    BarMM09 = MMSetting->addSeparator();
    MMSonaroPath =
        AddItem(MMSetting, QStringLiteral("Sonaro本体のパス(&P)"), &TForm1::MMSonaroPathClick);
    MMEditorPath = AddItem(MMSetting, QStringLiteral("テキストエディタのパス(&E)"),
                           &TForm1::MMEditorPathClick);
    MMmid2snrPath =
        AddItem(MMSetting, QStringLiteral("mid2snrのパス(&I)"), &TForm1::MMmid2snrPathClick);
    BarMM10 = MMSetting->addSeparator();
    MMVolume = AddItem(MMSetting, QStringLiteral("音量の調節(&V)"), &TForm1::MMVolumeClick);

    MMHelp = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    Contents1 = AddItem(MMHelp, QStringLiteral("目次(&C)"), &TForm1::Contents1Click);
    About1 = AddItem(MMHelp, QStringLiteral("バージョン情報(&A)"), &TForm1::About1Click);
}

void TForm1::CreateHiddenItems()
{
    // "操作(&C)" is an invisible menu: it never joins the menu bar, and its
    // items sit on the window so that their shortcuts work.
    N1 = new QMenu(QStringLiteral("操作(&C)"), this);
    N2 = AddHiddenItem(this, QStringLiteral("再生(&P)"), QKeySequence(Qt::Key_Space),
                       &TForm1::N2Click);
    N3 = AddHiddenItem(this, QStringLiteral("一時停止(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Space),
                       &TForm1::SBPauseClick);
    N7 = AddHiddenItem(this, QStringLiteral("次の曲(&N)"), QKeySequence(Qt::CTRL | Qt::Key_Right),
                       &TForm1::SBNextClick);
    N8 = AddHiddenItem(this, QStringLiteral("前の曲(&B)"), QKeySequence(Qt::CTRL | Qt::Key_Left),
                       &TForm1::SBBackClick);
    N1->addActions({N2, N3, N7, N8});
    N1->menuAction()->setVisible(false);
}

void TForm1::CreatePopupMenus()
{
    PopupMenu1 = new QMenu(this);
    PMPlay = AddItem(PopupMenu1, QStringLiteral("この曲を再生(&P)"), &TForm1::ListView1DblClick);
    // The hidden pop-up item works while the list has the focus.
    PMPlay2 = AddHiddenItem(ListView1, QStringLiteral("この曲を再生"), QKeySequence(Qt::Key_Return),
                            &TForm1::ListView1DblClick);
    PMPlay2->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    PMPlay2->setShortcutContext(Qt::WidgetShortcut);
    BarPM01 = PopupMenu1->addSeparator();
    PMUp = AddItem(PopupMenu1, QStringLiteral("上に移動(&U)"), &TForm1::MMUpClick);
    PMDown = AddItem(PopupMenu1, QStringLiteral("下に移動(&W)"), &TForm1::MMDownClick);
    BarPM02 = PopupMenu1->addSeparator();
    PMInsert = AddItem(PopupMenu1, QStringLiteral("ファイルの挿入(&I)"), &TForm1::PMInsertClick);
    PMDelete = AddItem(PopupMenu1, QStringLiteral("ファイルの削除(&D)"), &TForm1::MMDeleteClick);
    BarPM03 = PopupMenu1->addSeparator();
    PMDataEdit = AddItem(PopupMenu1, QStringLiteral("データの編集(&E)"), &TForm1::PMDataEditClick);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
    });

    PopupTray = new QMenu(this);
    PMTrayPlay = AddItem(PopupTray, QStringLiteral("再生(&P)"), &TForm1::SBPlayClick);
    PMTrayPause = AddItem(PopupTray, QStringLiteral("一時停止(&U)"), &TForm1::SBPauseClick);
    PMTrayStop = AddItem(PopupTray, QStringLiteral("停止(&S)"), &TForm1::SBStopClick);
    BarPM04 = PopupTray->addSeparator();
    PMTrayBack = AddItem(PopupTray, QStringLiteral("前の曲(&B)"), &TForm1::SBBackClick);
    PMTrayNext = AddItem(PopupTray, QStringLiteral("次の曲(&N)"), &TForm1::SBNextClick);
    BarPM05 = PopupTray->addSeparator();
    PMWindow = AddItem(PopupTray, QStringLiteral("ウィンドウを隠す(&V)"), &TForm1::PMWindowClick);
    BarPM06 = PopupTray->addSeparator();
    PMTrayExit = AddItem(PopupTray, QStringLiteral("終了(&X)"), &TForm1::MMExitClick);
}

void TForm1::CreateDialogs()
{
    using tunelet::FileDialogState;
    using tunelet::qtFileFilter;
    OpenDialog1.kind = FileDialogState::Kind::Open;
    OpenDialog1.Title = QStringLiteral("リストを開く");
    OpenDialog1.Filter = qtFileFilter(QStringLiteral("リストファイル (*.ppl *.alb)|*.ppl;*.alb"));
    OpenDialog1.DefaultExt = QStringLiteral("ppl");

    SaveDialog1.kind = FileDialogState::Kind::Save;
    SaveDialog1.Title = QStringLiteral("リストを保存");
    SaveDialog1.Filter = qtFileFilter(QStringLiteral("リストファイル (*.ppl)|*.ppl"));
    SaveDialog1.DefaultExt = QStringLiteral("ppl");
    SaveDialog1.OverwritePrompt = true;

    OpenDialog2.kind = FileDialogState::Kind::Open;
    OpenDialog2.Title = QStringLiteral("ファイルの追加");
    OpenDialog2.Filter = qtFileFilter(QStringLiteral(
        "読み込み可能なファイル (*.snr *.txt *.mid *.lzh)|*.snr;*.txt;*.mid;*.lzh|snrファイル "
        "(*.snr)|*.snr|テキストファイル (*.txt)|*.txt|MIDIファイル (*.mid)|*.mid|LZHファイル "
        "(*.lzh)|*.lzh|すべてのファイル (*)|*"));
    OpenDialog2.DefaultExt = QStringLiteral("snr");
    OpenDialog2.AllowMultiSelect = true;
}
