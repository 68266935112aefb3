#pragma once
// A private scratch folder for checks that need real files: created once per
// process (in /dev/shm when it exists, so no disk is touched), removed with
// everything in it when the process ends.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <span>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fuzzcheck
{

// Deletes path and everything below it; symbolic links are removed, never followed.
inline void removeTree(const std::string &path)
{
    ::nftw(
        path.c_str(),
        [](const char *p, const struct stat *, int, struct FTW *) {
            ::remove(p);
            return 0; // go on with the rest whatever happened
        },
        16, FTW_DEPTH | FTW_PHYS);
}

class ScratchFolder final
{
public:
    ScratchFolder()
    {
        struct stat st = {};
        const char *tmp = std::getenv("TMPDIR");
        std::string base =
            (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0)
                ? "/dev/shm"
                : (tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
        std::string pattern = base + "/tunelet-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        m_path = pattern;
    }
    ~ScratchFolder() { removeTree(m_path); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

inline const std::string &scratchFolder()
{
    static const ScratchFolder folder;
    return folder.path();
}

// Replaces the file's content; false when it cannot be written.
inline bool writeBytes(const std::string &path, std::span<const std::uint8_t> bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace fuzzcheck
