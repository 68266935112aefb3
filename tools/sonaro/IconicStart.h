#pragma once
// A window that starts minimized without taking the keyboard.

class QWidget;

namespace sonaro
{

// Prepares the window, before it is first shown, to come up minimized and
// without activation, as a program started minimized: it asks for no
// activation (a user time of 0), and under X11 its WM hints name the iconic
// state as its initial state, so the window manager maps it as an icon from
// the first moment. Elsewhere the window is minimized as the platform does it.
void prepareIconicStart(QWidget &window);

} // namespace sonaro
