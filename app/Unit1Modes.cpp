// The main window's modes: compact mode, stay on top, the tray icon and
// hiding, and the data viewer.
#include "app/OuterFrame.h"
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/core/FileErrors.h"
#include "resources/TuneletIcons.h"
#include "tray/TrayIcon.h"

#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <QWindow>

namespace
{

// The design height of the main window, frame included; a window started in
// compact mode with no height of its own gets it when it leaves.
constexpr int DesignHeight = 290;

} // namespace

// ---- Heights ----
// The client area is everything below the menu bar: button bar, list and
// status bar. The heights are taken from the window's geometry, which is
// current also while the window is hidden (at start and at exit), whereas its
// children are laid out only while it is shown.

int TForm1::MenuBarHeight() const
{
    // Until the window is first shown the menu bar has not been laid out; its
    // wanted height is what it will get.
    return windowHandle() ? menuBar()->height() : menuBar()->sizeHint().height();
}

int TForm1::ClientHeight() const
{
    return geometry().height() - MenuBarHeight();
}

int TForm1::ListAreaHeight() const
{
    return ClientHeight() - Panel1->height() - StatusBar1->height();
}

void TForm1::SetClientHeight(int clientHeight)
{
    // A resize: the window stays where its frame is.
    resize(width(), clientHeight + MenuBarHeight());
}

// ---- Compact mode ----

void TForm1::EnterCompactHeight()
{
    // Kept so that leaving compact mode gives the window, and so the list,
    // this height back. It is the outer height: at start-up the window manager
    // has not framed the window yet, and the frame's height is still unknown.
    if (ListAreaHeight() > 0)
        m_heightBeforeCompact = Frame().geometry().height();
    SetClientHeight(Panel1->height() + StatusBar1->height());
}

void TForm1::RestoreFullHeight()
{
    // The window gets back the height it had before compact mode was
    // entered; one started in compact mode with no list height of its own
    // gets its design height. A list that has a height keeps it.
    if (ListAreaHeight() > 0)
        return;
    QRect frame = Frame().geometry();
    frame.setHeight(m_heightBeforeCompact > 0 ? m_heightBeforeCompact : DesignHeight);
    Frame().setGeometry(frame);
}

void TForm1::MMCompactModeClick()
{
    // The item has flipped its check mark already.
    if (MMCompactMode->isChecked())
        EnterCompactHeight();
    else
        RestoreFullHeight();
}

void TForm1::FormResize()
{
    Label1->move(Panel1->width() - Label1->width() - 2, Label1->y());
    // Enlarging the window by hand leaves compact mode.
    if (MMCompactMode->isChecked() && ClientHeight() > Panel1->height() + StatusBar1->height())
        MMCompactMode->setChecked(false);
}

// ---- Stay on top ----

void TForm1::ApplyStayOnTop()
{
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, MMStayOnTop->isChecked());
    if (!windowHandle()) {
        // Not on the screen yet: the window is made with the flag.
        setWindowFlags(flags);
        return;
    }
    // A widget given new flags hides and re-creates its window. The window
    // system is told directly instead, which changes only the stacking: the
    // window stays where and as it is, the list keeps its scroll position.
    overrideWindowFlags(flags);
    windowHandle()->setFlags(flags);
}

void TForm1::MMStayOnTopClick()
{
    ApplyStayOnTop();
}

// ---- Tray icon, hiding and showing ----

void TForm1::CreateTrayIcon()
{
    TrayIcon1 = new TTrayIcon(this, m_env.notifyArea);
    TrayIcon1->SetIcon(tunelet::programIcon());
    TrayIcon1->SetTipHelp("Tunelet");
    TrayIcon1->SetRBPopupMenu(PopupTray);
    // A single left click does nothing.
    TrayIcon1->SetOnDblClick([this](TTrayIcon *) { Run([this] { PMWindowClick(); }); });
    // Playback sets the tip as songs start and stop. A tray that refuses the
    // new tip is reported; the song plays on.
    connect(this, &TForm1::TrayTipChanged, TrayIcon1,
            [this](const QByteArray &tip) { Run([this, tip] { TrayIcon1->SetTipHelp(tip); }); });
}

void TForm1::ShowTrayIconAtStart()
{
    if (TrayIcon1)
        TrayIcon1->SetVisible(true);
}

void TForm1::MMTaskTrayClick()
{
    // A refusal throws; the check mark stays as the user set it.
    if (TrayIcon1)
        TrayIcon1->SetVisible(MMTaskTray->isChecked());
}

void TForm1::PMWindowClick()
{
    if (isVisible()) {
        hide();
        PMWindow->setText(QStringLiteral("ウィンドウを表示(&V)"));
        return;
    }
    // Showing runs FormShow again: the data viewer goes back to its stored
    // place and shows when it is on.
    show();
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    PMWindow->setText(QStringLiteral("ウィンドウを隠す(&V)"));
}

// ---- Data viewer ----

std::optional<QByteArray> TForm1::PlayingDataFile() const
{
    const QString caption = Caption();
    const qsizetype mark = caption.indexOf(QStringLiteral("> "));
    if (mark < 0)
        return std::nullopt;
    // The caption shows the path decoded; the bytes handed to the player are
    // the exact name.
    const QString shown = caption.mid(mark + 2);
    if (!PlayingPath().isEmpty() && tunelet::decodeText(PlayingPath()) == shown)
        return PlayingPath();
    return tunelet::encodeText(shown);
}

void TForm1::MMDataViewClick()
{
    if (!m_form2)
        return;
    // The item has flipped its check mark already.
    if (!MMDataView->isChecked()) {
        m_form2->hide();
        m_form2->clearText();
        return;
    }
    const std::optional<QByteArray> playing = PlayingDataFile();
    if (playing && tunelet::isExistingFile(*playing)) {
        const std::optional<QByteArray> data =
            tunelet::readFileStart(*playing, TForm2::MaxShownBytes);
        if (!data) {
            // The error ends the command before the viewer is shown; the
            // check mark stays as the item set it, so choosing the item
            // again hides the viewer as usual.
            throw tunelet::EFOpenError(*playing);
        }
        m_form2->setData(*data);
    } else {
        m_form2->clearText();
    }
    m_form2->show();
}

void TForm1::Form2CloseQuery()
{
    MMDataView->setChecked(false);
    if (m_form2)
        m_form2->clearText();
}
