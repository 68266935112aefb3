// The main window's wiring: each component to its handler. The components
// themselves are built by Form1Widgets.
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "resources/TuneletIcons.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>

#include <array>

namespace
{

using Handler = void (TForm1::*)();

struct ItemWire {
    QAction *Form1Widgets::*item;
    Handler handler;
};

struct ButtonWire {
    QToolButton *Form1Widgets::*button;
    Handler handler;
};

using W = Form1Widgets;
using F = TForm1;

// Rewind and fast-forward act while held: their mouse presses and releases
// are watched (eventFilter), not their clicks.
constexpr ButtonWire kButtonWires[]{
    {&W::SBOpen, &F::MMOpenClick}, {&W::SBSave, &F::MMSaveClick},
    {&W::SBAdd, &F::MMAddClick},   {&W::SBDelete, &F::MMDeleteClick},
    {&W::SBUp, &F::MMUpClick},     {&W::SBDown, &F::MMDownClick},
    {&W::SBPlay, &F::SBPlayClick}, {&W::SBPause, &F::SBPauseClick},
    {&W::SBStop, &F::SBStopClick}, {&W::SBBack, &F::SBBackClick},
    {&W::SBNext, &F::SBNextClick}};

constexpr ItemWire kItemWires[]{{&W::MMAdd, &F::MMAddClick},
                                {&W::MMDelete, &F::MMDeleteClick},
                                {&W::MMDelete2, &F::MMDeleteClick},
                                {&W::MMOpen, &F::MMOpenClick},
                                {&W::MMReload, &F::MMReloadClick},
                                {&W::MMSave, &F::MMSaveClick},
                                {&W::MMClear, &F::MMClearClick},
                                {&W::MMExit, &F::MMExitClick},
                                {&W::MMUp, &F::MMUpClick},
                                {&W::MMDown, &F::MMDownClick},
                                {&W::MMUp2, &F::MMUpClick},
                                {&W::MMDown2, &F::MMDownClick},
                                {&W::MMHEADSort, &F::MMHEADSortClick},
                                {&W::MMFileNameSort, &F::MMFileNameSortClick},
                                {&W::MMRandomSort, &F::MMRandomSortClick},
                                {&W::MMExistsDelete, &F::MMExistsDeleteClick},
                                {&W::MMWFileDelete, &F::MMWFileDeleteClick},
                                {&W::MMDataEdit, &F::MMDataEditClick},
                                {&W::MMListPlay, &F::MMListPlayClick},
                                {&W::MMSinglePlay, &F::MMSinglePlayClick},
                                {&W::MMRandomPlay, &F::MMRandomPlayClick},
                                {&W::MMStayOnTop, &F::MMStayOnTopClick},
                                {&W::MMCompactMode, &F::MMCompactModeClick},
                                {&W::MMDataView, &F::MMDataViewClick},
                                {&W::MMRepeat, &F::MMRepeatClick},
                                {&W::MMPlayMinimize, &F::MMPlayMinimizeClick},
                                {&W::MMCloseSonaro, &F::MMCloseSonaroClick},
                                {&W::MMListOpen, &F::MMListOpenClick},
                                {&W::MMSaveList, &F::MMSaveListClick},
                                {&W::MMTaskTray, &F::MMTaskTrayClick},
                                {&W::MMLzhHEAD, &F::MMLzhHEADClick},
                                {&W::MMSWMember, &F::MMSWMemberClick},
                                {&W::MMSWFinger, &F::MMSWFingerClick},
                                {&W::MMSWScore, &F::MMSWScoreClick},
                                {&W::MMSonaroPath, &F::MMSonaroPathClick},
                                {&W::MMEditorPath, &F::MMEditorPathClick},
                                {&W::MMmid2snrPath, &F::MMmid2snrPathClick},
                                {&W::MMVolume, &F::MMVolumeClick},
                                {&W::Contents1, &F::Contents1Click},
                                {&W::About1, &F::About1Click},
                                {&W::N2, &F::N2Click},
                                {&W::N3, &F::SBPauseClick},
                                {&W::N7, &F::SBNextClick},
                                {&W::N8, &F::SBBackClick},
                                {&W::PMPlay, &F::ListView1DblClick},
                                {&W::PMPlay2, &F::ListView1DblClick},
                                {&W::PMUp, &F::MMUpClick},
                                {&W::PMDown, &F::MMDownClick},
                                {&W::PMInsert, &F::PMInsertClick},
                                {&W::PMDelete, &F::MMDeleteClick},
                                {&W::PMDataEdit, &F::PMDataEditClick},
                                {&W::PMTrayPlay, &F::SBPlayClick},
                                {&W::PMTrayPause, &F::SBPauseClick},
                                {&W::PMTrayStop, &F::SBStopClick},
                                {&W::PMTrayBack, &F::SBBackClick},
                                {&W::PMTrayNext, &F::SBNextClick},
                                {&W::PMWindow, &F::PMWindowClick},
                                {&W::PMTrayExit, &F::MMExitClick}};

} // namespace

const Form1Widgets &tunelet::widgetsOf(const TForm1 &form)
{
    return form;
}

void TForm1::CreateWidgets()
{
    Form1Widgets &widgets = *this;
    widgets.build(this, m_playlist.get(), [this] {
        if (m_compact.resizeAttached())
            Run([this] { FormResize(); });
    });
    for (const ButtonWire &wire : kButtonWires)
        connect(widgets.*wire.button, &QToolButton::clicked, this,
                [this, handler = wire.handler] { Run([this, handler] { (this->*handler)(); }); });
    for (const ItemWire &wire : kItemWires)
        connect(widgets.*wire.item, &QAction::triggered, this,
                [this, handler = wire.handler] { Run([this, handler] { (this->*handler)(); }); });
    WatchWidgetEvents();
    ShowKindIcons();
}

void TForm1::WatchWidgetEvents()
{
    // The double click on the button bar, the held rewind and fast-forward
    // buttons and the double click on a row (eventFilter).
    for (QObject *watched :
         {static_cast<QObject *>(Panel1), static_cast<QObject *>(SBReturn),
          static_cast<QObject *>(SBSkip), static_cast<QObject *>(ListView1->viewport())})
        watched->installEventFilter(this);

    auto change = [this] { Run([this] { ListView1Change(); }); };
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, change);
    connect(ListView1->selectionModel(), &QItemSelectionModel::currentChanged, this, change);
    connect(m_playlist.get(), &QAbstractItemModel::dataChanged, this, change);
    connect(StatusBar1, &TStatusBar::doubleClicked, this,
            [this] { Run([this] { StatusBar1DblClick(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
    });
}

void TForm1::ShowKindIcons()
{
    // Read once: the list asks for a row's icon at every paint of the row.
    const std::array kinds{tunelet::kindIcon(0), tunelet::kindIcon(1), tunelet::kindIcon(2)};
    m_playlist->setIconProvider([kinds](int imageIndex) {
        return imageIndex >= 0 && imageIndex < int(kinds.size())
                   ? QVariant::fromValue(kinds[size_t(imageIndex)])
                   : QVariant::fromValue(QIcon());
    });
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
