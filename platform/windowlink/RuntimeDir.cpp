#include "platform/windowlink/RuntimeDir.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace windowlink
{

namespace
{

// An absolute path from the environment; empty when unset or relative.
std::string absoluteFromEnvironment(const char *name)
{
    const char *value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string homeFolder()
{
    std::string home = absoluteFromEnvironment("HOME");
    if (home.empty())
        if (const passwd *user = ::getpwuid(geteuid());
            user && user->pw_dir && user->pw_dir[0] == '/')
            home = user->pw_dir;
    return home;
}

// Without a runtime folder: the user's cache folder, which lies in the home and so
// cannot be made first by another user, as a shared /tmp name could.
std::string cacheFolder()
{
    std::string cache = absoluteFromEnvironment("XDG_CACHE_HOME");
    if (cache.empty())
        if (const std::string home = homeFolder(); !home.empty())
            cache = home + "/.cache";
    return cache;
}

// Makes every missing folder on the way to dir (mode 0700); dir itself is left to
// the caller.
void makeParents(const std::string &dir)
{
    for (std::size_t slash = dir.find('/', 1); slash != std::string::npos;
         slash = dir.find('/', slash + 1))
        ::mkdir(dir.substr(0, slash).c_str(), 0700);
}

} // namespace

std::string runtimeDirPath(const LinkOptions &options)
{
    std::string dir = options.runtimeDir;
    if (dir.empty()) {
        if (const std::string runtime = absoluteFromEnvironment("XDG_RUNTIME_DIR");
            !runtime.empty())
            dir = runtime + "/tunelet-windows";
        else if (const std::string cache = cacheFolder(); !cache.empty())
            dir = cache + "/tunelet-windows";
        else
            dir = "/tmp/tunelet-windows-" + std::to_string(geteuid());
    }
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string ensurePrivateDir(const std::string &dir)
{
    makeParents(dir);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot create " + dir + ": " + std::strerror(errno);
    return checkPrivateDir(dir);
}

std::string checkPrivateDir(const std::string &dir)
{
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0)
        return "cannot inspect " + dir + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return dir + " is not a folder";
    if (st.st_uid != geteuid())
        return dir + " belongs to another user";
    if ((st.st_mode & 0077) != 0)
        return dir + " is open to other users";
    return {};
}

uid_t trustedUid(const LinkOptions &options)
{
    return options.trustedUid == static_cast<uid_t>(-1) ? geteuid() : options.trustedUid;
}

namespace
{

bool plainClassChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string socketFileName(const std::string &className, std::uint64_t serial)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string name = std::to_string(getpid()) + "-" + std::to_string(serial) + "-";
    for (unsigned char c : className) {
        if (plainClassChar(c)) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
    }
    return name + ".sock";
}

std::optional<std::string> classFromSocketFileName(const std::string &fileName)
{
    static const std::string suffix = ".sock";
    if (fileName.size() <= suffix.size() ||
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string stem = fileName.substr(0, fileName.size() - suffix.size());
    const auto dash1 = stem.find('-');
    const auto dash2 = dash1 == std::string::npos ? dash1 : stem.find('-', dash1 + 1);
    if (dash2 == std::string::npos)
        return std::nullopt;
    std::string cls;
    for (std::size_t i = dash2 + 1; i < stem.size(); ++i) {
        if (stem[i] != '%') {
            cls += stem[i];
            continue;
        }
        if (i + 2 >= stem.size())
            return std::nullopt;
        const int hi = hexValue(stem[i + 1]);
        const int lo = hexValue(stem[i + 2]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        cls += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return cls;
}

pid_t processFromSocketPath(const std::string &path)
{
    // "<pid>-<serial>-<class>.sock": the digits before the first '-'.
    const std::size_t start = path.rfind('/') + 1; // npos + 1 is 0
    pid_t pid = 0;
    std::size_t i = start;
    for (; i < path.size() && path[i] >= '0' && path[i] <= '9' && pid < 100000000; ++i)
        pid = pid * 10 + (path[i] - '0');
    return i > start && i < path.size() && path[i] == '-' ? pid : 0;
}

bool equalsIgnoreCase(const std::string &a, const char *b)
{
    const std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::vector<PublishedEntry> listPublished(const std::string &dir, const char *className, uid_t uid)
{
    std::vector<PublishedEntry> found;
    DIR *d = ::opendir(dir.c_str());
    if (!d)
        return found;
    while (const dirent *e = ::readdir(d)) {
        const auto cls = classFromSocketFileName(e->d_name);
        if (!cls || (className && !equalsIgnoreCase(*cls, className)))
            continue;
        PublishedEntry entry{dir + "/" + e->d_name, *cls, 0};
        struct stat st;
        if (::lstat(entry.path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != uid)
            continue;
        entry.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        found.push_back(std::move(entry));
    }
    ::closedir(d);
    std::sort(found.begin(), found.end(), [](const PublishedEntry &a, const PublishedEntry &b) {
        return a.mtimeNs != b.mtimeNs ? a.mtimeNs > b.mtimeNs : a.path > b.path;
    });
    return found;
}

} // namespace windowlink
