#pragma once

#include <string>

// Loading the archiver libraries by their Windows names: "UNLHA32.DLL" is the file
// libunlha32.so, looked for in the executable's folder first, then along the system's
// library search.
namespace tunelet::dynlib
{

using LibraryHandle = void *;

// "UNLHA32.DLL" -> "libunlha32.so" (lower-cased, "lib" prefix, ".so" for a ".dll" suffix).
std::string libraryFileName(const std::string &windowsName);

// nullptr when the library cannot be found or loaded.
LibraryHandle loadLibrary(const std::string &windowsName);

// nullptr when the handle is nullptr or the library lacks the entry.
void *procAddress(LibraryHandle library, const char *name);

bool freeLibrary(LibraryHandle library);

// The loaded file's path (the executable's for nullptr), cut to maxChars - 1 bytes.
std::string moduleFileName(LibraryHandle library, std::size_t maxChars);

// A helper file (e.g. a self-extractor stub): the executable's folder, the current folder,
// then each folder of PATH. Empty when not found.
std::string searchPath(const std::string &fileName);

// The executable's folder, with a trailing '/'.
std::string executableFolder();

// Tests only: look in this folder instead of the executable's folder (empty restores it).
void setLibraryFolderOverride(const std::string &folder);

} // namespace tunelet::dynlib
