// The main window's wiring: each component to its handler. The components
// themselves are built by Form1Widgets.
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "resources/TuneletIcons.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
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
constexpr std::array kButtonWires{
    ButtonWire{&W::SBOpen, &F::MMOpenClick}, ButtonWire{&W::SBSave, &F::MMSaveClick},
    ButtonWire{&W::SBAdd, &F::MMAddClick},   ButtonWire{&W::SBDelete, &F::MMDeleteClick},
    ButtonWire{&W::SBUp, &F::MMUpClick},     ButtonWire{&W::SBDown, &F::MMDownClick},
    ButtonWire{&W::SBPlay, &F::SBPlayClick}, ButtonWire{&W::SBPause, &F::SBPauseClick},
    ButtonWire{&W::SBStop, &F::SBStopClick}, ButtonWire{&W::SBBack, &F::SBBackClick},
    ButtonWire{&W::SBNext, &F::SBNextClick},
};

constexpr std::array kItemWires{
    ItemWire{&W::MMAdd, &F::MMAddClick},
    ItemWire{&W::MMDelete, &F::MMDeleteClick},
    ItemWire{&W::MMDelete2, &F::MMDeleteClick},
    ItemWire{&W::MMOpen, &F::MMOpenClick},
    ItemWire{&W::MMReload, &F::MMReloadClick},
    ItemWire{&W::MMSave, &F::MMSaveClick},
    ItemWire{&W::MMClear, &F::MMClearClick},
    ItemWire{&W::MMExit, &F::MMExitClick},
    ItemWire{&W::MMUp, &F::MMUpClick},
    ItemWire{&W::MMDown, &F::MMDownClick},
    ItemWire{&W::MMUp2, &F::MMUpClick},
    ItemWire{&W::MMDown2, &F::MMDownClick},
    ItemWire{&W::MMHEADSort, &F::MMHEADSortClick},
    ItemWire{&W::MMFileNameSort, &F::MMFileNameSortClick},
    ItemWire{&W::MMRandomSort, &F::MMRandomSortClick},
    ItemWire{&W::MMExistsDelete, &F::MMExistsDeleteClick},
    ItemWire{&W::MMWFileDelete, &F::MMWFileDeleteClick},
    ItemWire{&W::MMDataEdit, &F::MMDataEditClick},
    ItemWire{&W::MMListPlay, &F::MMListPlayClick},
    ItemWire{&W::MMSinglePlay, &F::MMSinglePlayClick},
    ItemWire{&W::MMRandomPlay, &F::MMRandomPlayClick},
    ItemWire{&W::MMStayOnTop, &F::MMStayOnTopClick},
    ItemWire{&W::MMCompactMode, &F::MMCompactModeClick},
    ItemWire{&W::MMDataView, &F::MMDataViewClick},
    ItemWire{&W::MMRepeat, &F::MMRepeatClick},
    ItemWire{&W::MMPlayMinimize, &F::MMPlayMinimizeClick},
    ItemWire{&W::MMCloseSonaro, &F::MMCloseSonaroClick},
    ItemWire{&W::MMListOpen, &F::MMListOpenClick},
    ItemWire{&W::MMSaveList, &F::MMSaveListClick},
    ItemWire{&W::MMTaskTray, &F::MMTaskTrayClick},
    ItemWire{&W::MMLzhHEAD, &F::MMLzhHEADClick},
    ItemWire{&W::MMSWMember, &F::MMSWMemberClick},
    ItemWire{&W::MMSWFinger, &F::MMSWFingerClick},
    ItemWire{&W::MMSWScore, &F::MMSWScoreClick},
    ItemWire{&W::MMSonaroPath, &F::MMSonaroPathClick},
    ItemWire{&W::MMEditorPath, &F::MMEditorPathClick},
    ItemWire{&W::MMmid2snrPath, &F::MMmid2snrPathClick},
    ItemWire{&W::MMVolume, &F::MMVolumeClick},
    ItemWire{&W::Contents1, &F::Contents1Click},
    ItemWire{&W::About1, &F::About1Click},
    ItemWire{&W::N2, &F::N2Click},
    ItemWire{&W::N3, &F::SBPauseClick},
    ItemWire{&W::N7, &F::SBNextClick},
    ItemWire{&W::N8, &F::SBBackClick},
    ItemWire{&W::PMPlay, &F::ListView1DblClick},
    ItemWire{&W::PMPlay2, &F::ListView1DblClick},
    ItemWire{&W::PMUp, &F::MMUpClick},
    ItemWire{&W::PMDown, &F::MMDownClick},
    ItemWire{&W::PMInsert, &F::PMInsertClick},
    ItemWire{&W::PMDelete, &F::MMDeleteClick},
    ItemWire{&W::PMDataEdit, &F::PMDataEditClick},
    ItemWire{&W::PMTrayPlay, &F::SBPlayClick},
    ItemWire{&W::PMTrayPause, &F::SBPauseClick},
    ItemWire{&W::PMTrayStop, &F::SBStopClick},
    ItemWire{&W::PMTrayBack, &F::SBBackClick},
    ItemWire{&W::PMTrayNext, &F::SBNextClick},
    ItemWire{&W::PMWindow, &F::PMWindowClick},
    ItemWire{&W::PMTrayExit, &F::MMExitClick},
};

} // namespace

const Form1Widgets &tunelet::widgetsOf(const TForm1 &form)
{
    return form;
}

void TForm1::CreateWidgets()
{
    Form1Widgets &widgets = *this;
    widgets.build(this, m_playlist.get(), [this] {
        if (m_resizeAttached)
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

void TForm1::CreateTimers()
{
    // Both tick as often as the platform allows. Timer2 runs from creation to
    // the end once the playback code starts it; Timer1 only while a song plays.
    // Timer2 is made first: while both run it takes the clock's ticks, as its
    // tick polls too.
    PlaybackClock1 = new tunelet::PlaybackClock(this);
    Timer2 = new tunelet::PacedTimer(*PlaybackClock1, this);
    Timer2->setInterval(1);
    connect(Timer2, &tunelet::PacedTimer::timeout, this,
            [this] { Run([this] { Timer2Timer(); }); });
    Timer1 = new tunelet::PacedTimer(*PlaybackClock1, this);
    Timer1->setInterval(1);
    connect(Timer1, &tunelet::PacedTimer::timeout, this,
            [this] { Run([this] { Timer1Timer(); }); });
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
