#pragma once

#include "app/CompactMode.h"

class QMainWindow;
class TForm1;

// The heights compact mode works with, read from the main window. The client
// area is everything below the menu bar: button bar, list and status bar. The
// heights are taken from the window's geometry, which is current also while
// the window is hidden (at start and at exit), whereas its children are laid
// out only while it is shown.
namespace tunelet
{

int menuBarHeight(const QMainWindow &window);
WindowHeights windowHeights(const TForm1 &form);

} // namespace tunelet
