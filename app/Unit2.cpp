#include "app/Unit2.h"

#include "resources/TuneletIcons.h"

#include "app/OuterFrame.h"
#include "platform/core/TextCodec.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm2::TForm2(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("データビューア"));
    setWindowIcon(tunelet::programIcon());
    m_frame = new tunelet::OuterFrame(this);
    m_frame->setGeometry(QRect(pos(), QSize(571, 370))); // the design size, frame included

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setWordWrapMode(QTextOption::NoWrap);
    RichEdit1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);
}

namespace
{

// The bytes with every line (ended by CR or LF) cut at maxLine bytes.
QByteArray cutLongLines(QByteArrayView bytes, qsizetype maxLine)
{
    QByteArray cut;
    cut.reserve(bytes.size());
    qsizetype lineSize = 0;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n')
            lineSize = 0;
        else if (++lineSize > maxLine)
            continue;
        cut.append(c);
    }
    return cut;
}

} // namespace

void TForm2::setData(const QByteArray &bytes)
{
    const QByteArrayView shown = QByteArrayView(bytes).first(std::min(bytes.size(), MaxShownBytes));
    RichEdit1->setPlainText(tunelet::decodeText(cutLongLines(shown, MaxShownLine)));
}

void TForm2::clearText()
{
    RichEdit1->clear();
}

QString TForm2::text() const
{
    return RichEdit1->toPlainText();
}

void TForm2::closeEvent(QCloseEvent *event)
{
    emit CloseQuery();
    event->accept();
}
