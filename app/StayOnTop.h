#pragma once

class QWidget;

namespace tunelet
{

// Keeps a top-level window above the others, or no longer; a window already
// on the screen keeps its place, size and contents.
void setStaysOnTop(QWidget &window, bool onTop);

} // namespace tunelet
