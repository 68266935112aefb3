// The main window's modes: compact mode, stay on top, the tray icon and
// hiding, and the data viewer.
#include "StatusBar.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QTreeView>

// The client area is everything below the menu bar: button bar, list and
// status bar.
int TForm1::ClientHeight() const
{
    return centralWidget()->height();
}

void TForm1::SetClientHeight(int clientHeight)
{
    const int menuHeight =
        menuBar()->isVisible() ? menuBar()->height() : menuBar()->sizeHint().height();
    QRect g = geometry();
    g.setHeight(clientHeight + menuHeight);
    setGeometry(g);
}

void TForm1::EnterCompactHeight()
{
    if (ListView1->height() > 0)
        m_listHeightBeforeCompact = ListView1->height();
    SetClientHeight(Panel1->height() + StatusBar1->height());
}

void TForm1::RestoreFullHeight()
{
    // The list gets back the height it had before compact mode was entered;
    // a window started in compact mode gets the list height of its design size.
    if (ListView1->height() > 0)
        return;
    const int designList =
        290 - menuBar()->sizeHint().height() - Panel1->height() - StatusBar1->height();
    const int list = m_listHeightBeforeCompact > 0 ? m_listHeightBeforeCompact : designList;
    SetClientHeight(Panel1->height() + StatusBar1->height() + list);
}

void TForm1::FormResize()
{
    Label1->move(Panel1->width() - Label1->width() - 2, Label1->y());
    if (MMCompactMode->isChecked() && ClientHeight() > Panel1->height() + StatusBar1->height())
        MMCompactMode->setChecked(false);
}

void TForm1::ApplyStayOnTop()
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, MMStayOnTop->isChecked());
    if (wasVisible)
        show();
}

void TForm1::ShowTrayIconAtStart() {}

void TForm1::MMCompactModeClick() {}
void TForm1::MMStayOnTopClick() {}
void TForm1::MMTaskTrayClick() {}
void TForm1::PMWindowClick() {}
void TForm1::MMDataViewClick() {}

void TForm1::Form2CloseQuery()
{
    MMDataView->setChecked(false);
    if (m_form2)
        m_form2->clearText();
}
