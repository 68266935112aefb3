#include "fuzz/checks/CabWriteCheck.h"

#include "fuzz/checks/Scratch.h"

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/EntryPoints.h"
#include "tools/archivers/common/LocaleScope.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <atomic>
#include <cstring>
#include <dirent.h>
#include <map>
#include <set>
#include <vector>

namespace fuzzcheck
{

namespace
{

using namespace archivers;

// Name pieces: plain ASCII, then "曲" and "歌" in UTF-8 and the same in Shift-JIS.
constexpr const char *kAscii[] = {"a", "B", "z9", "_", "-", " ", "x.y", "snr"};
constexpr const char *kUtf8[] = {"\xe6\x9b\xb2", "\xe6\xad\x8c"};
constexpr const char *kShiftJis[] = {"\x8b\xc8", "\x89\xcc"};

struct SourceFile {
    std::string path;     // relative, '/' separated, as written to disk
    std::string readName; // the name the reader gives back
    std::string content;
};

class InputReader final
{
public:
    explicit InputReader(std::span<const std::uint8_t> data) : m_data(data) {}
    bool atEnd() const { return m_pos >= m_data.size(); }
    std::uint8_t byte() { return atEnd() ? 0 : m_data[m_pos++]; }

private:
    std::span<const std::uint8_t> m_data;
    size_t m_pos = 0;
};

SourceFile readFile(InputReader &in, int index)
{
    const int pieces = in.byte() % 8;
    std::vector<std::uint8_t> choices;
    for (int i = 0; i < pieces; ++i)
        choices.push_back(in.byte());
    const std::uint8_t flags = in.byte();
    const bool shiftJis = (flags & 1) != 0;
    SourceFile f;
    // Every name starts with "f" and its number: never hidden, never the same twice.
    std::string name = "f" + std::to_string(index);
    std::string readName = name;
    for (const std::uint8_t c : choices) {
        if (c % 3 != 0) {
            name += kAscii[c % 8];
            readName += kAscii[c % 8];
        } else {
            name += shiftJis ? kShiftJis[c / 3 % 2] : kUtf8[c / 3 % 2];
            readName += kUtf8[c / 3 % 2];
        }
    }
    const int folder = (flags >> 1) & 3;
    const std::string prefix = folder == 0 ? "" : "d" + std::to_string(folder) + "/";
    f.path = prefix + name;
    f.readName = prefix + readName;
    size_t size = size_t(in.byte()) | size_t(in.byte()) << 8;
    if (flags & 8)
        size *= 37;
    std::string pattern;
    for (int i = in.byte() % 17; i > 0; --i)
        pattern.push_back(char(in.byte()));
    if (pattern.empty())
        pattern = "*";
    f.content.resize(size);
    for (size_t i = 0; i < size; ++i)
        f.content[i] = char(pattern[i % pattern.size()] ^ char((i * 131) >> 9));
    return f;
}

std::string quoted(const std::string &s)
{
    return " \"" + s + "\"";
}

int pack(const std::string &archive, const std::string &base, const std::string &switches,
         const std::vector<std::string> &names)
{
    std::string line = "-a" + switches + " " + quoted(archive) + quoted(base + "\\");
    for (const std::string &n : names)
        line += quoted(n);
    return entry::command(Library::Cab, 0, (line + " ").c_str(), nullptr, 0);
}

// Member name -> content, as libarchive reads the cabinet; an error text when it cannot.
std::string readBack(const std::string &archive, std::map<std::string, std::string> &members)
{
    const LocaleScope utf8Names; // as the libraries read names, whatever the process locale
    ArchiveReader reader(Format::Cab, archive);
    if (reader.open() != ARC_OK)
        return "the cabinet does not open";
    Member m;
    for (;;) {
        const int rc = reader.next(m);
        if (rc == ARC_NO_MORE_MEMBERS)
            return {};
        if (rc != ARC_OK)
            return "a member header does not read: " + std::to_string(rc);
        std::string content;
        for (;;) {
            const void *data = nullptr;
            size_t size = 0;
            int64_t offset = 0;
            if (reader.readBlock(data, size, offset) != ARC_OK)
                return "the data of " + m.path + " does not read";
            if (size == 0)
                break;
            content.append(static_cast<const char *>(data), size);
        }
        if (!members.emplace(m.path, content).second)
            return "two members named " + m.path;
    }
}

bool leftovers(const std::string &dir)
{
    bool found = false;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (const dirent *e = ::readdir(d))
            found = found || std::strstr(e->d_name, ".tunelet-new-") != nullptr;
        ::closedir(d);
    }
    return found;
}

std::string baseName(const std::string &path)
{
    return path.substr(path.rfind('/') + 1);
}

} // namespace

std::string checkCabWrite(std::span<const std::uint8_t> data)
{
    static std::atomic<unsigned> runs{0};
    const std::string root = scratchFolder() + "/cab" + std::to_string(runs++);
    const std::string base = root + "/src";
    ::mkdir(root.c_str(), 0700);
    ::mkdir(base.c_str(), 0700);
    struct Cleanup {
        std::string path;
        ~Cleanup() { removeTree(path); }
    } cleanup{root};

    InputReader in(data);
    const std::uint8_t mode = in.byte();
    const bool recurse = (mode & 1) != 0, junk = (mode & 2) != 0, twoSteps = (mode & 4) != 0;
    std::vector<SourceFile> files;
    while (!in.atEnd() && files.size() < 16) {
        SourceFile f = readFile(in, int(files.size()));
        const size_t slash = f.path.find('/');
        if (slash != std::string::npos)
            ::mkdir((base + "/" + f.path.substr(0, slash)).c_str(), 0700);
        const std::string full = base + "/" + f.path;
        if (!writeBytes(full, std::span(reinterpret_cast<const std::uint8_t *>(f.content.data()),
                                        f.content.size())))
            return "cannot write the source file " + full;
        files.push_back(std::move(f));
    }
    if (files.empty())
        return {};

    const std::string archive = root + "/out.cab";
    const std::string switches = std::string(recurse ? " -r" : "") + (junk ? " -j" : "");
    std::vector<std::string> names;
    for (const SourceFile &f : files)
        names.push_back(f.path);
    int rc = ARC_OK;
    if (recurse) {
        rc = pack(archive, base, switches, {"*"});
    } else if (twoSteps && names.size() > 1) {
        const std::vector<std::string> first(names.begin(), names.begin() + names.size() / 2);
        const std::vector<std::string> second(names.begin() + names.size() / 2, names.end());
        rc = pack(archive, base, switches, first);
        if (rc == ARC_OK)
            rc = pack(archive, base, switches, second);
    } else {
        rc = pack(archive, base, switches, names);
    }
    if (rc != ARC_OK)
        return "packing failed: " + std::to_string(rc);
    if (leftovers(root))
        return "a temporary file is left";

    std::map<std::string, std::string> members;
    if (std::string why = readBack(archive, members); !why.empty())
        return why;
    // Expected: every file under its name; with junked paths, one file of each base name.
    std::map<std::string, std::set<std::string>> expected;
    for (const SourceFile &f : files)
        expected[junk ? baseName(f.readName) : f.readName].insert(f.content);
    if (members.size() != expected.size())
        return "the cabinet holds " + std::to_string(members.size()) + " members, not " +
               std::to_string(expected.size());
    for (const auto &[name, content] : members) {
        const auto it = expected.find(name);
        if (it == expected.end())
            return "an unexpected member " + name;
        if (it->second.count(content) == 0)
            return "the content of " + name + " differs";
    }
    return {};
}

} // namespace fuzzcheck
