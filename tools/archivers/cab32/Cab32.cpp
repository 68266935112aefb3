// Entry points of libcab32.so, the "Cab" archiver library on libarchive.
#include "EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Cab, archivers::Library::Cab)
