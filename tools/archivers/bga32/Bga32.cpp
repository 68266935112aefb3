// Entry points of libbga32.so, the "Bga" archiver library: GZA (deflate) and BZA (bzip2)
// archives, read and written by this project's own code (docs/archivers.md).
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Bga, archivers::Library::Bga)
