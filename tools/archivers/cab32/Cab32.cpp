// Entry points of libcab32.so, the "Cab" archiver library on libarchive.
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Cab, archivers::Library::Cab)
