// Entry points of libunarj32j.so, the "Unarj" archiver library: ARJ archives, read by the
// project's own ARJ reader.
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Unarj, archivers::Library::Unarj)
