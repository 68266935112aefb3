// The main window's modes: compact mode, stay on top, the tray icon and
// hiding, and the data viewer.
#include "app/CompactHeights.h"
#include "app/OuterFrame.h"
#include "app/PlayingDataFile.h"
#include "app/StatusBar.h"
#include "app/StayOnTop.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "resources/TuneletIcons.h"
#include "tray/TrayIcon.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>
#include <QWindow>

// ---- Compact mode ----

void TForm1::EnterCompactHeight()
{
    // A resize: the window stays where its frame is.
    resize(width(), m_compact.enter(tunelet::windowHeights(*this)) + tunelet::menuBarHeight(*this));
}

void TForm1::RestoreFullHeight()
{
    const std::optional<int> outer = m_compact.leave(tunelet::windowHeights(*this));
    if (!outer)
        return;
    QRect frame = Frame().geometry();
    frame.setHeight(*outer);
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
    if (MMCompactMode->isChecked() && tunelet::CompactMode::enlarged(tunelet::windowHeights(*this)))
        MMCompactMode->setChecked(false);
}

// ---- Stay on top ----

void TForm1::MMStayOnTopClick()
{
    tunelet::setStaysOnTop(*this, MMStayOnTop->isChecked());
}

// ---- Tray icon, hiding and showing ----

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
    return tunelet::playingDataFile(Caption(), PlayingPath());
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
    // A file that cannot be read ends the command before the viewer is
    // shown; the check mark stays as the item set it, so choosing the item
    // again hides the viewer as usual.
    m_form2->setData(tunelet::playingDataText(PlayingDataFile(), TForm2::MaxShownBytes));
    m_form2->show();
}

void TForm1::Form2CloseQuery()
{
    MMDataView->setChecked(false);
    if (m_form2)
        m_form2->clearText();
}
