#pragma once

#include "app/Form1Widgets.h"

#include <span>

class QAction;
class QToolButton;
class TForm1;

// Which handler of the main window each menu item and button runs: data, one
// row per component, walked once when the window is built.
namespace tunelet
{

using Form1Handler = void (TForm1::*)();

struct ItemWire {
    QAction *Form1Widgets::*item;
    Form1Handler handler;
};

struct ButtonWire {
    QToolButton *Form1Widgets::*button;
    Form1Handler handler;
};

std::span<const ItemWire> itemWires();
std::span<const ButtonWire> buttonWires();

} // namespace tunelet
