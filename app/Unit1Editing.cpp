// Editing the playlist: adding, inserting, deleting, clearing and moving rows,
// sorting and pruning, dropped files and the position display. Hooks that
// the editing code fills.
#include "Unit1.h"

void TForm1::MMAddClick() {}
void TForm1::PMInsertClick() {}
void TForm1::MMDeleteClick() {}
void TForm1::MMClearClick() {}
void TForm1::MMUpClick() {}
void TForm1::MMDownClick() {}
void TForm1::MMHEADSortClick() {}
void TForm1::MMFileNameSortClick() {}
void TForm1::MMRandomSortClick() {}
void TForm1::MMExistsDeleteClick() {}
void TForm1::MMWFileDeleteClick() {}
void TForm1::ListView1Change() {}

void TForm1::FilesDropped(const QByteArrayList &paths, const QPoint &viewportPos)
{
    Q_UNUSED(paths);
    Q_UNUSED(viewportPos);
}

// The check mark is the option; building rows reads it.
void TForm1::MMLzhHEADClick() {}
