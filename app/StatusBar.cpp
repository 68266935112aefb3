#include "app/StatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

TStatusBar::TStatusBar(const QList<PanelSpec> &panels, QWidget *parent) : QFrame(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    for (qsizetype i = 0; i < panels.size(); ++i) {
        auto *label = new QLabel(panels[i].text, this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(panels[i].alignment | Qt::AlignVCenter);
        label->setMinimumWidth(panels[i].width);
        const bool last = i == panels.size() - 1;
        if (!last)
            label->setFixedWidth(panels[i].width);
        // A long status text must not widen the window.
        label->setSizePolicy(last ? QSizePolicy::Ignored : QSizePolicy::Fixed,
                             QSizePolicy::Preferred);
        // Double clicks anywhere on the bar count as clicks on the bar.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(label, last ? 1 : 0);
        m_panels << label;
    }
}

QString TStatusBar::panelText(int index) const
{
    const QLabel *label = m_panels.value(index);
    return label ? label->text() : QString();
}

void TStatusBar::setPanelText(int index, const QString &text)
{
    if (QLabel *label = m_panels.value(index))
        label->setText(text);
}

void TStatusBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QFrame::mouseDoubleClickEvent(event);
}
