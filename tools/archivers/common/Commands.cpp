#include "tools/archivers/common/Commands.h"

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Log.h"
#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>

namespace archivers
{
namespace
{

using Action = Request::Action;

std::string lowered(std::string s)
{
    for (char &c : s) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return s;
}

bool usesBrackets(Library library)
{
    return library == Library::UnZip || library == Library::Zip;
}

void fillExtract(Library library, const ParsedCommand &cmd, Request &r)
{
    r.extract.format = formatOf(library);
    r.extract.archive = cmd.archive;
    r.extract.targetDir = cmd.targetDir;
    r.extract.filter.masks = cmd.files;
    r.responseFiles = cmd.responseFiles;
    r.extract.filter.brackets = usesBrackets(library);
}

// The value of a switch "-<letter><number>" ("-r1", "-x0"), -1 when there is none.
int smallSwitch(const ParsedCommand &cmd, std::string_view prefix)
{
    return switchNumber(cmd, prefix, 3).value_or(-1);
}

// A packing request on the line's archive, base folder and names.
PackJob &startPack(const ParsedCommand &cmd, Container container, Request &r)
{
    r.action = Action::Pack;
    PackJob &p = r.pack;
    p.container = container;
    p.archive = cmd.archive;
    p.baseDir = cmd.targetDir;
    p.files = cmd.files;
    r.responseFiles = cmd.responseFiles;
    return p;
}

// "a" and "u" add (u: a member is replaced by a newer file only), "f" freshens, "d" deletes.
// Switches: -r1 or -r2 take folders with their contents, -x0 stores names without folders,
// -a1 takes hidden files too, -jx<mask> leaves files out, -z1 stores without compression, -o5,
// -o6, -o7 choose the method.
void lhaPack(const ParsedCommand &cmd, const std::string &c, Request &r)
{
    PackJob &p = startPack(cmd, Container::Lzh, r);
    p.excludes = r.extract.filter.excludes;
    p.recurse = smallSwitch(cmd, "-r") > 0;
    p.junkPaths = smallSwitch(cmd, "-x") == 0;
    p.hidden = smallSwitch(cmd, "-a") > 0;
    p.folderEntries = false;
    p.updateOnly = c == "u";
    p.kind = c == "d"   ? PackJob::Kind::Delete
             : c == "f" ? PackJob::Kind::Freshen
                        : PackJob::Kind::Add;
    const int method = smallSwitch(cmd, "-o");
    p.compression = method == 6   ? Compression::Lh6
                    : method == 7 ? Compression::Lh7
                                  : Compression::Lh5;
    if (smallSwitch(cmd, "-z") > 0)
        p.compression = Compression::None;
    if (switchValue(cmd, "-o") && method != 5 && method != 6 && method != 7) {
        r.action = Action::Unsupported;
        r.refusal = "error: this library writes the methods -o5, -o6, -o7 and -z1 (stored) only";
    }
    if (p.kind == PackJob::Kind::Delete && p.files.empty())
        r.action = Action::Invalid; // deleting needs names
}

// LHA's commands; the ARJ library reads the same lines (its back-end builds them with LHA's
// builder) but packs nothing.
Request lha(Library library, const ParsedCommand &cmd, bool memory)
{
    Request r;
    fillExtract(library, cmd, r);
    for (std::string &ex : switchValues(cmd, "-jx"))
        r.extract.filter.excludes.push_back(toSlashes(ex));
    const std::string c = lowered(cmd.command);
    if (c == "x" || c == "e" || (memory && c.empty())) {
        r.action = Action::Extract;
        r.extract.junkPaths = c == "e";
    } else if (c == "l" || c == "v") {
        r.action = Action::List;
    } else if (c == "t") {
        r.action = Action::Test;
    } else if (library == Library::Unarj && c.size() == 1 &&
               std::string_view("aumdfscp").find(c) != std::string_view::npos) {
        r.action = Action::Unsupported; // the ARJ library reads only
    } else if (c == "a" || c == "u" || c == "d" || c == "f") {
        lhaPack(cmd, c, r);
    } else if (c == "s") {
        r.action = Action::Unsupported;
        r.refusal =
            "error: self-extracting archives need a Windows program stub, which this platform "
            "does not have";
    } else if (c == "m" || c == "c" || c == "p") {
        r.action = Action::Unsupported;
    }
    return r;
}

// What the unpackers with "-x" commands (UNZIP, CAB) share: no command or "-x" extracts,
// one of listCommands lists, "-t" tests; "-j" drops folders, "-o" overwrites. Any other
// command is left Invalid for the library to take up.
Request unpackCommand(Library library, const ParsedCommand &cmd,
                      std::initializer_list<std::string_view> listCommands)
{
    Request r;
    fillExtract(library, cmd, r);
    r.extract.junkPaths = hasSwitch(cmd, "-j");
    r.extract.overwrite = hasSwitch(cmd, "-o") ? Overwrite::Always : Overwrite::Never;
    if (cmd.command.empty() || cmd.command == "-x")
        r.action = Action::Extract;
    else if (std::find(listCommands.begin(), listCommands.end(), cmd.command) != listCommands.end())
        r.action = Action::List;
    else if (cmd.command == "-t")
        r.action = Action::Test;
    return r;
}

Request unzip(const ParsedCommand &cmd)
{
    return unpackCommand(Library::UnZip, cmd, {"-l", "-v"});
}

Request zip(const ParsedCommand &cmd)
{
    Request r;
    PackJob &p = startPack(cmd, Container::Zip, r);
    p.brackets = true;
    p.recurse = hasSwitch(cmd, "-r");
    p.junkPaths = hasSwitch(cmd, "-j");
    p.folderEntries = !hasSwitch(cmd, "-D");
    p.hidden = hasSwitch(cmd, "-S");
    p.updateOnly = hasSwitch(cmd, "-u");
    for (int level = 0; level <= 9; ++level) {
        if (hasSwitch(cmd, "-" + std::to_string(level)))
            p.level = level;
    }
    if (cmd.command == "-d")
        p.kind = PackJob::Kind::Delete;
    else if (cmd.command == "-f")
        p.kind = PackJob::Kind::Freshen;
    if (p.kind == PackJob::Kind::Delete && p.files.empty())
        r.action = Action::Invalid; // deleting needs names
    return r;
}

// "-z", "-z9", "-B", "-B5": compression and its level.
bool compressionSwitch(const ParsedCommand &cmd, char letter, int &level)
{
    const std::string bare{'-', letter};
    for (const std::string &s : cmd.switches) {
        if (s == bare) {
            level = -1;
            return true;
        }
        if (const std::optional<int> digit = digitsAfter(s, bare, 1)) {
            level = *digit;
            return true;
        }
    }
    return false;
}

Request tar(const ParsedCommand &cmd)
{
    Request r;
    fillExtract(Library::Tar, cmd, r);
    std::string c = lowered(cmd.command);
    for (const char *sw : {"-x", "-c", "-t"}) {
        if (c.empty() && hasSwitch(cmd, sw))
            c = sw + 1;
    }
    r.extract.junkPaths = hasSwitch(cmd, "--use-directory=0");
    if (c.empty() || c == "x") {
        r.action = Action::Extract;
    } else if (c == "t" || c == "l") {
        r.action = Action::List;
    } else if (c == "c") {
        PackJob &p = startPack(cmd, Container::Tar, r);
        p.recurse = true; // tar takes folders with their contents
        p.replaceArchive = true;
        p.hidden = true;
        int level = -1;
        if (compressionSwitch(cmd, 'z', level))
            p.compression = Compression::Gzip;
        else if (compressionSwitch(cmd, 'B', level))
            p.compression = Compression::Bzip2;
        p.level = level;
    }
    return r;
}

Request cab(const ParsedCommand &cmd)
{
    Request r = unpackCommand(Library::Cab, cmd, {"-l"});
    if (r.action != Action::Invalid)
        return r;
    if (cmd.command == "-a") {
        PackJob &p = startPack(cmd, Container::Cab, r);
        p.recurse = hasSwitch(cmd, "-r");
        p.junkPaths = r.extract.junkPaths;
        p.folderEntries = false; // a cabinet has no folder members
    } else {
        r.action = Action::Unsupported;
        if (cmd.command == "-f")
            r.refusal = "error: a self-extracting cabinet needs a Windows program stub, which "
                        "this platform does not have; the cabinet is left as it is";
    }
    return r;
}

Request unrar(const ParsedCommand &cmd)
{
    Request r;
    fillExtract(Library::Unrar, cmd, r);
    r.extract.junkPaths = cmd.command == "-e";
    r.extract.overwrite = hasSwitch(cmd, "-u") ? Overwrite::IfNewer : Overwrite::Always;
    if (cmd.command.empty() || cmd.command == "-x" || cmd.command == "-e")
        r.action = Action::Extract;
    else if (cmd.command == "-l" || cmd.command == "-v")
        r.action = Action::List;
    else if (cmd.command == "-t")
        r.action = Action::Test;
    return r;
}

// The LMZIP packer writes its switches into the command word: "-ru" packs recursively and
// replaces a member only with a newer file; "-d" and "-f" are as for the other ZIP packer.
// It has no name conversion, so '[' in a mask is an ordinary character.
Request lmzip(const ParsedCommand &cmd)
{
    ParsedCommand packing = cmd;
    if (cmd.command != "-d" && cmd.command != "-f") {
        for (const char letter : std::string_view(cmd.command).substr(cmd.command.empty() ? 0 : 1))
            packing.switches.push_back(std::string("-") + letter);
        packing.command.clear();
    }
    Request r = zip(packing);
    r.pack.brackets = false;
    return r;
}

// BGA: "x" unpacks, "a" adds (the archive's extension picks the compression), "d" removes,
// "l" lists and "t" tests. "-o" overwrites files on unpacking ("-n", the default, keeps them),
// "-j" drops folders, "-r" recurses, "-a" takes dot files, "-l<n>" is the compression level.
Request bgaCommand(const ParsedCommand &cmd, bool memory)
{
    Request r;
    fillExtract(Library::Bga, cmd, r);
    r.extract.junkPaths = hasSwitch(cmd, "-j");
    r.extract.overwrite = hasSwitch(cmd, "-o") ? Overwrite::Always : Overwrite::Never;
    const std::string c = lowered(cmd.command);
    if (memory) {
        r.action = Action::Unsupported;
    } else if (c == "x" || c == "e") {
        r.action = Action::Extract;
        r.extract.junkPaths = r.extract.junkPaths || c == "e";
    } else if (c == "l" || c == "v") {
        r.action = Action::List;
    } else if (c == "t") {
        r.action = Action::Test;
    } else if (c == "a" || c == "d") {
        PackJob &p = startPack(cmd, Container::Bga, r);
        p.kind = c == "d" ? PackJob::Kind::Delete : PackJob::Kind::Add;
        p.recurse = hasSwitch(cmd, "-r");
        p.junkPaths = r.extract.junkPaths;
        p.hidden = hasSwitch(cmd, "-a");
        if (const std::optional<int> level = switchNumber(cmd, "-l", 1))
            p.level = *level;
        if (p.kind == PackJob::Kind::Delete && p.files.empty())
            r.action = Action::Invalid; // removing needs names
    } else if (c == "s") {
        r.action = Action::Unsupported; // self-extractors
    }
    return r;
}

std::string trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return std::string(s);
}

constexpr size_t kMaxResponseFile = 1024 * 1024;

} // namespace

const Syntax &syntaxOf(Library library)
{
    static const Syntax lha{
        {"x", "e", "l", "v", "t", "a", "u", "m", "d", "f", "s", "c", "p"}, false, true, {}, false};
    static const Syntax unzip{{"-x", "-l", "-v", "-t"}, true, false, {}, false};
    static const Syntax zip{{"-d", "-f"}, true, false, {}, false};
    static const Syntax tar{{}, false, true, {"-f", "-o"}, true};
    static const Syntax cab{{"-x", "-a", "-f", "-l", "-t"}, true, false, {}, false};
    static const Syntax rar{{"-x", "-e", "-l", "-v", "-t"}, true, false, {}, false};
    static const Syntax lmzip{{"-ru", "-r", "-u", "-d", "-f"}, true, false, {}, false};
    static const Syntax bgaSyntax{{"x", "e", "l", "v", "t", "a", "d", "s"}, false, true, {}, false};
    switch (library) {
    case Library::Unlha:
    case Library::Unarj:
        return lha;
    case Library::UnZip:
        return unzip;
    case Library::Zip:
        return zip;
    case Library::Tar:
        return tar;
    case Library::Cab:
        return cab;
    case Library::Unrar:
        return rar;
    case Library::Lmzip:
        return lmzip;
    case Library::Bga:
        return bgaSyntax;
    }
    return lha;
}

Format formatOf(Library library)
{
    switch (library) {
    case Library::Unlha:
        return Format::Lha;
    case Library::UnZip:
    case Library::Zip:
    case Library::Lmzip:
        return Format::Zip;
    case Library::Bga:
        return Format::Bga;
    case Library::Tar:
        return Format::Tar;
    case Library::Cab:
        return Format::Cab;
    case Library::Unrar:
        return Format::Rar;
    case Library::Unarj:
        return Format::Arj;
    }
    return Format::Lha;
}

Request interpret(Library library, std::string_view line, bool memory)
{
    if (library == Library::Zip) {
        const std::string rest = trimmed(line);
        if (rest.size() >= 2 && rest.compare(0, 2, "-A") == 0 &&
            (rest.size() == 2 || rest[2] == ' ')) {
            Request r;
            r.adjustPath = toSlashes(trimmed(std::string_view(rest).substr(2)));
            r.action = r.adjustPath.empty() ? Action::Invalid : Action::Adjust;
            return r;
        }
    }
    const std::optional<ParsedCommand> cmd = parseCommandLine(line, syntaxOf(library));
    if (!cmd)
        return Request{};
    switch (library) {
    case Library::Unlha:
    case Library::Unarj:
        return lha(library, *cmd, memory);
    case Library::UnZip:
        return unzip(*cmd);
    case Library::Zip:
        return zip(*cmd);
    case Library::Tar:
        return tar(*cmd);
    case Library::Cab:
        return cab(*cmd);
    case Library::Unrar:
        return unrar(*cmd);
    case Library::Lmzip:
        return lmzip(*cmd);
    case Library::Bga:
        return bgaCommand(*cmd, memory);
    }
    return Request{};
}

bool expandResponseFiles(std::vector<std::string> &names, const std::vector<size_t> &responseFiles)
{
    std::vector<std::string> expanded;
    size_t nextResponseFile = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        if (nextResponseFile >= responseFiles.size() || responseFiles[nextResponseFile] != i) {
            expanded.push_back(std::move(names[i]));
            continue;
        }
        ++nextResponseFile;
        const std::optional<std::string> content =
            readRegularFile(names[i].substr(1), kMaxResponseFile);
        if (!content)
            return false;
        for (std::string &n : parseResponseFile(*content))
            expanded.push_back(std::move(n));
    }
    names = std::move(expanded);
    return true;
}

int32_t runCommand(Library library, std::string_view line, std::string &log)
{
    Request r = interpret(library, line);
    switch (r.action) {
    case Action::Invalid:
        log += "error: cannot read the command line\n";
        return ARC_ERROR_COMMAND_LINE;
    case Action::Unsupported:
        appendLine(log, r.refusal.empty() ? "error: this command is not supported" : r.refusal);
        return ARC_ERROR_NOT_SUPPORTED;
    case Action::Adjust: {
        struct stat st = {};
        return ::stat(r.adjustPath.c_str(), &st) == 0 ? ARC_OK : ARC_ERROR_ARCHIVE_OPEN;
    }
    case Action::Pack:
        if (!expandResponseFiles(r.pack.files, r.responseFiles))
            return ARC_ERROR_RESPONSE_FILE;
        return pack(r.pack, log);
    case Action::Extract:
    case Action::List:
    case Action::Test:
        break;
    }
    if (!expandResponseFiles(r.extract.filter.masks, r.responseFiles))
        return ARC_ERROR_RESPONSE_FILE;
    if (r.action == Action::List)
        return listArchive(r.extract.format, r.extract.archive, r.extract.filter, log);
    if (r.action == Action::Test)
        return testArchive(r.extract.format, r.extract.archive, log);
    return extractToDisk(r.extract, log);
}

int32_t runExtractMem(Library library, std::string_view line, unsigned char *buffer,
                      uint32_t bufferSize, int64_t *timeStamp, uint16_t *attributes,
                      uint32_t *written)
{
    if (written != nullptr)
        *written = 0;
    Request r = interpret(library, line, true);
    if (r.action != Action::Extract)
        return r.action == Action::Invalid ? ARC_ERROR_COMMAND_LINE : ARC_ERROR_NOT_SUPPORTED;
    if (!expandResponseFiles(r.extract.filter.masks, r.responseFiles))
        return ARC_ERROR_RESPONSE_FILE;
    return extractToMemory(r.extract.format, r.extract.archive, r.extract.filter, buffer,
                           bufferSize, written, timeStamp, attributes);
}

void copyOutput(const std::string &log, char *output, uint32_t outputSize)
{
    if (output == nullptr || outputSize == 0)
        return;
    const size_t n = std::min<size_t>(log.size(), outputSize - 1);
    std::memcpy(output, log.data(), n);
    output[n] = '\0';
}

} // namespace archivers
