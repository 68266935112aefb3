#include "app/CompactHeights.h"

#include "app/OuterFrame.h"
#include "app/StatusBar.h"
#include "app/Unit1.h"

#include <QFrame>
#include <QMenuBar>

namespace tunelet
{

int menuBarHeight(const QMainWindow &window)
{
    // Until the window is first shown the menu bar has not been laid out; its
    // wanted height is what it will get.
    return window.windowHandle() ? window.menuBar()->height()
                                 : window.menuBar()->sizeHint().height();
}

WindowHeights windowHeights(const TForm1 &form)
{
    const Form1Widgets &widgets = widgetsOf(form);
    return {form.geometry().height() - menuBarHeight(form),
            widgets.Panel1->height() + widgets.StatusBar1->height(),
            form.Frame().geometry().height()};
}

} // namespace tunelet
