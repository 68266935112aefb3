#include "fuzz/checks/ArchiveDataCheck.h"

#include "fuzz/checks/Scratch.h"

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/Extractor.h"
#include "tools/archivers/common/Listing.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <climits>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fuzzcheck
{

namespace
{

using namespace archivers;

bool knownCode(int rc)
{
    switch (rc) {
    case ARC_OK:
    case ARC_NO_MORE_MEMBERS:
    case ARC_ERROR_ARCHIVE_OPEN:
    case ARC_ERROR_ARCHIVE_DAMAGED:
    case ARC_ERROR_UNSAFE_MEMBER:
    case ARC_ERROR_MEMBER_TOO_LARGE:
    case ARC_ERROR_TOTAL_TOO_LARGE:
    case ARC_ERROR_NOT_FOUND:
    case ARC_ERROR_BUFFER_TOO_SMALL:
    case ARC_ERROR_WRITE:
    case ARC_ERROR_NOT_SUPPORTED: // extracting GZA and BZA members to memory
        return true;
    default:
        return false;
    }
}

std::set<std::string> entriesOf(const std::string &dir)
{
    std::set<std::string> names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (const dirent *e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.insert(e->d_name);
        }
        ::closedir(d);
    }
    return names;
}

// The lexical form of a path relative to the target folder; nothing when ".." climbs out.
std::optional<std::string> lexicalInside(const std::string &relDir, const std::string &target)
{
    std::vector<std::string> parts;
    const std::string joined = relDir + "/" + target;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string &p : parts)
        out += "/" + p;
    return out;
}

// Every component of every member path the archive holds (a member may itself be named
// like a temporary file).
std::set<std::string> memberComponents(Format format, const std::string &archive)
{
    std::set<std::string> components;
    ArchiveReader reader(format, archive);
    if (reader.open() != ARC_OK)
        return components;
    Member m;
    while (reader.next(m) == ARC_OK) {
        std::size_t start = 0;
        while (start <= m.path.size()) {
            std::size_t end = m.path.find('/', start);
            if (end == std::string::npos)
                end = m.path.size();
            components.insert(m.path.substr(start, end - start));
            start = end + 1;
        }
    }
    return components;
}

// Walks the target folder: no leftover temporary files (unless the archive itself names
// one so), only files, folders and links, every link stays inside (resolved when it
// resolves, lexically otherwise), and the files add up to no more than one command may write
// (`bytes` counts them).
std::string treeProblem(const std::string &root, const std::string &realRoot,
                        const std::string &rel, int depth, std::uint64_t &bytes,
                        const std::set<std::string> &memberNames)
{
    if (depth > 64)
        return "target tree deeper than 64 folders";
    const std::string dir = rel.empty() ? root : root + "/" + rel;
    for (const std::string &name : entriesOf(dir)) {
        const std::string relPath = rel.empty() ? name : rel + "/" + name;
        const std::string path = root + "/" + relPath;
        if (name.starts_with(".tunelet-part-") && !memberNames.contains(name))
            return "temporary file left behind: " + relPath;
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (std::string p = treeProblem(root, realRoot, relPath, depth + 1, bytes, memberNames);
                !p.empty())
                return p;
        } else if (S_ISLNK(st.st_mode)) {
            char target[PATH_MAX + 1];
            const ssize_t n = ::readlink(path.c_str(), target, PATH_MAX);
            if (n < 0)
                continue;
            const std::string t(target, std::size_t(n));
            if (t.starts_with("/"))
                return "absolute link " + relPath + " -> " + t;
            if (!lexicalInside(rel, t))
                return "link climbs out: " + relPath + " -> " + t;
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved) != nullptr) {
                const std::string r = resolved;
                if (r != realRoot && !r.starts_with(realRoot + "/"))
                    return "link resolves outside the target folder: " + relPath + " -> " + t;
            }
        } else if (!S_ISREG(st.st_mode)) {
            return "extracted something that is neither file, folder nor link: " + relPath;
        } else if (st.st_size >= kMaxMemberSize) {
            return "extracted a file over the member size limit: " + relPath;
        } else if ((bytes += std::uint64_t(st.st_size)) > ARC_MAX_TOTAL_BYTES) {
            return "extracted files add up to more than one command writes";
        }
    }
    return {};
}

std::string listingProblem(Format format, const std::string &archive)
{
    const ArcHandle handle = listing::open(format, archive);
    if (handle == 0)
        return {};
    ArcEntryInfo info;
    std::memset(&info, 0x55, sizeof info);
    int rc = listing::findFirst(handle, "*", &info);
    std::string problem;
    for (int count = 0; rc == ARC_OK; ++count) {
        if (std::memchr(info.fileName, 0, sizeof info.fileName) == nullptr ||
            std::memchr(info.method, 0, sizeof info.method) == nullptr ||
            std::memchr(info.attribute, 0, sizeof info.attribute) == nullptr) {
            problem = "a listing record field is not terminated";
            break;
        }
        if (count > 100000) {
            problem = "listing does not end";
            break;
        }
        rc = listing::findNext(handle, &info);
    }
    if (problem.empty() && !knownCode(rc))
        problem = "listing ended with unknown code " + std::to_string(rc);
    if (listing::close(handle) != ARC_OK && problem.empty())
        problem = "closing a listing handle failed";
    if (problem.empty() && listing::findNext(handle, &info) == ARC_OK)
        problem = "a closed listing handle still lists";
    return problem;
}

std::vector<std::uint8_t> fileBytes(const std::string &path)
{
    std::vector<std::uint8_t> bytes;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        std::uint8_t buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    return bytes;
}

} // namespace

std::string checkArchiveData(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return {};
    const bool zip = (data[0] & 1) != 0;
    return checkArchiveBytes(zip ? Format::Zip : Format::Lha, zip ? "in.zip" : "in.lzh", data[0],
                             data.subspan(1));
}

std::string checkArchiveBytes(archivers::Format format, const std::string &name, std::uint8_t how,
                              std::span<const std::uint8_t> bytes)
{
    // The sandbox: box/work/in.xxx and the target box/work/out.
    const std::string box = scratchFolder() + "/box";
    removeTree(box);
    const std::string work = box + "/work";
    const std::string out = work + "/out";
    const std::string archive = work + "/" + name;
    if (::mkdir(box.c_str(), 0700) != 0 || ::mkdir(work.c_str(), 0700) != 0 ||
        ::mkdir(out.c_str(), 0700) != 0 || !writeBytes(archive, bytes))
        return "cannot set up the sandbox";
    std::set<std::string> before;
    if ((how & 16) != 0) {
        writeBytes(out + "/song.snr", std::span<const std::uint8_t>());
        ::mkdir((out + "/a").c_str(), 0700);
        before = {"song.snr", "a"};
    }

    MemberFilter filter;
    if ((how & 32) != 0)
        filter.masks = {"*.snr"};
    filter.brackets = (how & 64) != 0;

    std::string log;
    int rc = listArchive(format, archive, filter, log);
    if (!knownCode(rc))
        return "listing gave unknown code " + std::to_string(rc);
    rc = testArchive(format, archive, log);
    if (!knownCode(rc))
        return "testing gave unknown code " + std::to_string(rc);

    std::vector<unsigned char> buffer(64 * 1024);
    std::uint32_t written = 0xFFFFFFFF;
    std::int64_t stamp = 0;
    std::uint16_t attributes = 0;
    rc = extractToMemory(format, archive, filter, buffer.data(), std::uint32_t(buffer.size()),
                         &written, &stamp, &attributes);
    if (!knownCode(rc))
        return "memory extraction gave unknown code " + std::to_string(rc);
    if (written > buffer.size())
        return "memory extraction claims more bytes than the buffer holds";

    if (std::string p = listingProblem(format, archive); !p.empty())
        return p;

    ExtractJob job;
    job.format = format;
    job.archive = archive;
    job.targetDir = out;
    job.filter = filter;
    job.junkPaths = (how & 2) != 0;
    job.overwrite = static_cast<Overwrite>(((how >> 2) & 3) % 3);
    log.clear();
    rc = extractToDisk(job, log);
    if (!knownCode(rc))
        return "extraction gave unknown code " + std::to_string(rc);

    if (entriesOf(box) != std::set<std::string>{"work"})
        return "extraction wrote beside the work folder";
    if (entriesOf(work) != std::set<std::string>{archive.substr(work.size() + 1), "out"})
        return "extraction wrote beside the target folder";
    if (fileBytes(archive) != std::vector<std::uint8_t>(bytes.begin(), bytes.end()))
        return "extraction changed the archive";
    struct stat st = {};
    if (::lstat(archive.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1)
        return "the archive gained a hard link";
    char realOut[PATH_MAX];
    if (::realpath(out.c_str(), realOut) == nullptr)
        return "the target folder is gone";
    std::uint64_t extracted = 0;
    if (std::string p =
            treeProblem(out, realOut, "", 0, extracted, memberComponents(format, archive));
        !p.empty())
        return p;
    // A refusal by the first pass is the log's first line; member names are in the log
    // too, so only its start tells.
    const bool refusedFirst = (rc == ARC_ERROR_UNSAFE_MEMBER || rc == ARC_ERROR_MEMBER_TOO_LARGE ||
                               rc == ARC_ERROR_TOTAL_TOO_LARGE) &&
                              (log.starts_with("error: member leaves the target folder: ") ||
                               log.starts_with("error: member too large: ") ||
                               log.starts_with("error: archive too large: "));
    if (refusedFirst && entriesOf(out) != before)
        return "a refused archive still wrote members";
    // Member names are in the log too; an error is a line of its own.
    if (rc == ARC_OK && (log.starts_with("error:") || log.find("\nerror:") != std::string::npos))
        return "extraction reported success with an error in its log";
    return {};
}

std::string checkArjData(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return {};
    return checkArchiveBytes(Format::Arj, "in.arj", data[0], data.subspan(1));
}

} // namespace fuzzcheck
