// The small tools of the menus: the editor, the program paths, the volume
// control, help, the about box, the option switches and exit.
#include "About.h"
#include "Unit1.h"

void TForm1::MMDataEditClick() {}
void TForm1::PMDataEditClick() {}
void TForm1::MMSonaroPathClick() {}
void TForm1::MMEditorPathClick() {}
void TForm1::MMmid2snrPathClick() {}
void TForm1::MMVolumeClick() {}
void TForm1::Contents1Click() {}

void TForm1::About1Click()
{
    if (m_aboutBox)
        m_aboutBox->exec();
}

void TForm1::MMExitClick()
{
    close();
    // A window hidden in the tray may get no close event: close it anyway.
    CloseOnce();
}

// The check mark is the option; the start-up reads it.
void TForm1::MMListOpenClick() {}
