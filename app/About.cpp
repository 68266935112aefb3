#include "app/About.h"

#include "resources/TuneletIcons.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace
{

QLineEdit *addressField(const QString &text, int x, int y, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setReadOnly(true);
    field->setFrame(false);
    // The dialog's own colour, so it reads as a label that can be copied from.
    field->setAutoFillBackground(false);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    field->setGeometry(x, y, 190, 16);
    field->setCursorPosition(0);
    return field;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(322, 108);
    // A fixed dialog border: a title and a close button, nothing to resize,
    // minimize or maximize.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setGeometry(8, 8, 32, 32);
    ProgramIcon->setPixmap(tunelet::programIcon().pixmap(32, 32));
    ProgramIcon->setScaledContents(true);

    ProductName = new QLabel(QStringLiteral("Tunelet Ver1.05"), this);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    ProductName->move(48, 16);
    ProductName->adjustSize();

    Comments = new QLabel(QStringLiteral("Sonaro のためのジュークボックス"), this);
    Comments->move(48, 32);
    Comments->adjustSize();

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(0, 48, 322, 2);

    HomePage = addressField(QStringLiteral("https://tunelet.example.org/"), 48, 56, this);
    EMail = addressField(QStringLiteral("tunelet@example.org"), 48, 72, this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(248, 12, 66, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 108 - 18, 322, 18);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    // Centred on the screen, not on the main window.
    if (const QScreen *screen = this->screen()) {
        QRect box = frameGeometry();
        box.moveCenter(screen->availableGeometry().center());
        move(box.topLeft());
    }
    QDialog::showEvent(event);
    OKButton->setFocus();
}
