#pragma once

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Extractor.h"
#include "tools/archivers/common/Packer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace archivers
{

// The stand-in libraries, each with its own command syntax.
// Lmzip: the packing command "Zip" of LMZIP32 (its unpacking command reads as UnZip).
enum class Library { Unlha, UnZip, Zip, Tar, Cab, Unrar, Lmzip, Bga, Unarj };

Format formatOf(Library library);

// How the library reads its command lines.
const Syntax &syntaxOf(Library library);

// What a command line asks of a library.
struct Request {
    enum class Action {
        Invalid,     // no archive, unknown command
        Unsupported, // a command this library cannot do
        Extract,
        List,
        Test,
        Pack,   // Add, Freshen and Delete: see pack.kind
        Adjust, // self-extractor offsets: nothing to change
    } action = Action::Invalid;
    ExtractJob extract; // Extract, List, Test: archive, filter, target, overwrite
    PackJob pack;       // Pack
    // Indexes into the file names (extract.filter.masks or pack.files) of those that name
    // response files ("@path").
    std::vector<size_t> responseFiles;
    std::string adjustPath;
    std::string refusal; // Unsupported: why, when more can be said than "not supported"
};

// Reads a command function's line. Pure: no file is touched ("@file" masks stay as they are).
// `memory`: the ExtractMem line, where no command word means "extract".
Request interpret(Library library, std::string_view line, bool memory = false);

// Replaces the names at the given indexes ("@file") by the names in those files; false when
// one cannot be read (a regular file of at most 1 MiB).
bool expandResponseFiles(std::vector<std::string> &names, const std::vector<size_t> &responseFiles);

// The command function: interpret, read response files, carry out. Messages go to `log`.
int32_t runCommand(Library library, std::string_view line, std::string &log);

// ExtractMem: the line names the archive and the member (no command word, no folder).
int32_t runExtractMem(Library library, std::string_view line, unsigned char *buffer,
                      uint32_t bufferSize, int64_t *timeStamp, uint16_t *attributes,
                      uint32_t *written);

// Copies a command's messages into the caller's output area, cut to fit, NUL-terminated.
void copyOutput(const std::string &log, char *output, uint32_t outputSize);

} // namespace archivers
