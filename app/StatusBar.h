#pragma once

#include <QFrame>
#include <QList>

class QLabel;

// The main window's status bar: a row of fixed-width sunken panels (the last
// one takes the rest of the width) and a double-click signal.
class TStatusBar final : public QFrame
{
    Q_OBJECT

public:
    struct PanelSpec {
        int width;
        Qt::Alignment alignment;
        QString text;
    };

    explicit TStatusBar(const QList<PanelSpec> &panels, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TStatusBar)

    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    QLabel *panel(int index) const { return m_panels.value(index); }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QList<QLabel *> m_panels;
};
