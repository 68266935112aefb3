// Entry points of libunzip32.so, the "UnZip" archiver library on libarchive.
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(UnZip, archivers::Library::UnZip)
