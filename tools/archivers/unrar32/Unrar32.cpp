// Entry points of libunrar32.so, the "Unrar" archiver library on libarchive.
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Unrar, archivers::Library::Unrar)
