#pragma once

#include "app/Dialogs.h"

// The main window's three file dialogs as the design sets them up: title,
// filter, default extension and options. Their folders and names then persist.
namespace tunelet
{

FileDialogState listOpenDialog(); // OpenDialog1: open a list
FileDialogState listSaveDialog(); // SaveDialog1: save a list
FileDialogState addFilesDialog(); // OpenDialog2: add or insert files

} // namespace tunelet
