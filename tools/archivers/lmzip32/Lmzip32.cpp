// Entry points of liblmzip32.so, the LMZIP32 ZIP library: the "Zip" packing command and the
// unpacking, listing, check and extract-to-memory entries under the small-z prefix "Unzip".
#include "tools/archivers/common/EntryPoints.h"

ARCHIVERS_DEFINE_ENTRY_POINTS(Unzip, archivers::Library::UnZip)

extern "C" {
ARC_DECLARE_ZIP_COMMAND();

int32_t Zip(ArcWindow window, const char *cmdLine, char *output, uint32_t outputSize)
{
    return archivers::entry::command(archivers::Library::Lmzip, window, cmdLine, output,
                                     outputSize);
}
}
