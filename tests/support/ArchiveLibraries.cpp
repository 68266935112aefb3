#include "tests/support/ArchiveLibraries.h"

#include "archive/ARJ32.h"
#include "archive/BGA32.h"
#include "archive/CAB32.h"
#include "archive/LHA32.h"
#include "archive/LibraryUnit.h"
#include "archive/RAR32.h"
#include "archive/TAR32.h"
#include "archive/ZIP32.h"
#include "platform/dynlib/DynamicLibrary.h"

namespace tunelet::testkit
{

void useLibraryFolder(const QByteArray &folder)
{
    for (LibraryUnit *unit :
         {&TLha32::Library(), &TArj32::Library(), &TBGA32::Library(), &TCab32::Library(),
          &TTar32::Library(), &TRar32::Library(), &TZip32::UnzipLibrary(), &TZip32::Zip32jLibrary(),
          &TZip32::LmzipLibrary()})
        unit->Free();
    tunelet::dynlib::setLibraryFolderOverride(folder.toStdString());
}

} // namespace tunelet::testkit
