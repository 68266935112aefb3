// The main window's wiring: each component to its handler. The components
// themselves are built by Form1Widgets.
#include "app/Form1Mouse.h"
#include "app/Form1Wires.h"
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "resources/TuneletIcons.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>

#include <array>

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
    for (const tunelet::ButtonWire &wire : tunelet::buttonWires())
        connect(widgets.*wire.button, &QToolButton::clicked, this,
                [this, handler = wire.handler] { Run([this, handler] { (this->*handler)(); }); });
    for (const tunelet::ItemWire &wire : tunelet::itemWires())
        connect(widgets.*wire.item, &QAction::triggered, this,
                [this, handler = wire.handler] { Run([this, handler] { (this->*handler)(); }); });
    WatchWidgetEvents();
    ShowKindIcons();
}

void TForm1::WatchWidgetEvents()
{
    new tunelet::Form1Mouse(*this); // owned by the window

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
