#pragma once

#include <QObject>

struct Form1Widgets;
class TForm1;

namespace tunelet
{

// The main window's mouse events that are no clicks: the double click on the
// button bar, the held rewind and fast-forward buttons and the double click on
// a row, each run through the window's error box. Owned by the window.
class Form1Mouse final : public QObject
{
public:
    explicit Form1Mouse(TForm1 &window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TForm1 &m_window;
    const Form1Widgets &m_form;
};

} // namespace tunelet
