// Entry points of libunlha32.so, the "Unlha" archiver library on libarchive.
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Unlha, archivers::Library::Unlha)
