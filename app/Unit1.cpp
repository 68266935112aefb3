// The main window's construction, its event plumbing, the error box and the
// one way it closes.
#include "app/Unit1.h"

#include "app/Unit2.h"
#include "platform/input/KeySynth.h"
#include "resources/TuneletIcons.h"

#include "app/ChosenNames.h"
#include "app/DroppedFiles.h"
#include "app/FileDialogDesigns.h"
#include "app/OuterFrame.h"
#include "app/TrayIconWiring.h"
#include "app/WindowCaption.h"
#include "platform/core/SpareDescriptors.h"
#include "playlist/EntryBuilder.h"
#include "playlist/LzhDataExtraction.h"
#include "playlist/PlaylistModel.h"
#include "playlist/RandomGenerator.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTreeView>

#include <exception>

TForm1::TForm1(const Environment &environment, QWidget *parent)
    : QMainWindow(parent), m_env(environment),
      m_playlist(std::make_unique<tunelet::PlaylistModel>()),
      m_builder(std::make_unique<tunelet::EntryBuilder>(*m_playlist)),
      m_random(std::make_unique<tunelet::RandomGenerator>()),
      m_spareDescriptors(std::make_unique<tunelet::SpareDescriptors>(SpareDescriptorCount))
{
    Q_ASSERT(m_env.dialogs && m_env.keys);
    setObjectName(QStringLiteral("Form1"));
    SetCaption(QStringLiteral("Tunelet"));
    setWindowIcon(tunelet::programIcon());
    m_frame = new tunelet::OuterFrame(this);
    m_frame->setGeometry(QRect(pos(), QSize(423, 290))); // the design size, frame included

    OpenDialog1 = tunelet::listOpenDialog();
    SaveDialog1 = tunelet::listSaveDialog();
    OpenDialog2 = tunelet::addFilesDialog();
    CreateWidgets();
    WatchRowsForPositionDisplay();
    KeepListWithoutFocusedRow();
    CreatePlayback();
    m_builder->setLzhHeadOption([this] { return MMLzhHEAD->isChecked(); });
    CreateArchiveFile();
    Run([this] { TrayIcon1 = tunelet::makeTrayIcon(*this, m_env.notifyArea); });

    Run([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::SetSiblings(TAboutBox *aboutBox, TForm2 *dataViewer)
{
    // The about box may come later than the viewer: the viewer is wired once.
    m_aboutBox = aboutBox;
    if (dataViewer == m_form2)
        return;
    if (m_form2)
        disconnect(m_form2, nullptr, this, nullptr);
    m_form2 = dataViewer;
    if (m_form2)
        connect(m_form2, &TForm2::CloseQuery, this, [this] { Run([this] { Form2CloseQuery(); }); });
}

QString TForm1::Caption() const
{
    return tunelet::captionOfTitle(windowTitle());
}

void TForm1::SetCaption(const QString &caption)
{
    setWindowTitle(tunelet::titleShowingCaption(caption));
}

void TForm1::KeepListWithoutFocusedRow()
{
    // Qt's view makes its first row the current one when it gets the keyboard
    // focus without one, so the Down key of the window's activation would
    // select the second row. The list has no focused row until a key or a
    // click gives it one, and Down then selects the first: a current index
    // set (to none) on the view keeps it from choosing one itself. A new
    // list (model reset) resets that, so it is set again.
    const auto noFocusedRow = [this] { ListView1->setCurrentIndex(QModelIndex()); };
    noFocusedRow();
    connect(m_playlist.get(), &QAbstractItemModel::modelReset, this, noFocusedRow);
}

int TForm1::SelectedRow() const
{
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TForm1::SelectRow(int row)
{
    const QModelIndex index = m_playlist->index(row, 0);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
}

void TForm1::Run(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &e) {
        ShowError(QString::fromUtf8(e.what()));
    }
}

void TForm1::ShowError(const QString &text)
{
    m_env.dialogs->error(isVisible() ? this : nullptr, text);
}

bool TForm1::ChosenNamesUsable(const QByteArrayList &names, bool dropHint)
{
    const std::optional<QByteArray> altered = tunelet::firstAlteredName(names);
    if (!altered)
        return true;
    Dlg().beep();
    Dlg().message(this, tunelet::alteredNameMessage(*altered, dropHint));
    return false;
}

void TForm1::CloseOnce()
{
    if (m_closed)
        return;
    m_closed = true;
    m_spareDescriptors->release();
    Run([this] {
        bool canClose = true;
        FormCloseQuery(canClose);
    });
    Run([this] { FormClose(); });
    emit Closed();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    CloseOnce();
    event->accept();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A window restored from the task bar is no new show.
    if (!event->spontaneous())
        Run([this] { FormShow(); });
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Run([this] { FormActivate(); });
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    const QByteArrayList paths = tunelet::droppedLocalFiles(*event->mimeData());
    const QPoint pos = ListView1->viewport()->mapFrom(this, event->position().toPoint());
    event->acceptProposedAction();
    Run([this, paths, pos] { FilesDropped(paths, pos); });
}
