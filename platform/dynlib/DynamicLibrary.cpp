#include "platform/dynlib/DynamicLibrary.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tunelet::dynlib
{
namespace
{

std::string &folderOverride()
{
    static std::string folder;
    return folder;
}

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool isRegularFile(const std::string &path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string selfPath()
{
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return {};
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}

std::string searchFolder()
{
    return folderOverride().empty() ? executableFolder() : folderOverride();
}

} // namespace

std::string executableFolder()
{
    const std::string self = selfPath();
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string("./") : self.substr(0, slash + 1);
}

void setLibraryFolderOverride(const std::string &folder)
{
    folderOverride() = folder.empty() ? std::string() : withSlash(folder);
}

std::string libraryFileName(const std::string &windowsName)
{
    std::string base = windowsName;
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::string_view dll = ".dll";
    if (base.size() > dll.size() && base.compare(base.size() - dll.size(), dll.size(), dll) == 0)
        base.resize(base.size() - dll.size());
    return "lib" + base + ".so";
}

LibraryHandle loadLibrary(const std::string &windowsName)
{
    const std::string file = libraryFileName(windowsName);
    const std::string beside = searchFolder() + file;
    if (isRegularFile(beside)) {
        if (void *handle = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
    }
    return ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *procAddress(LibraryHandle library, const char *name)
{
    if (library == nullptr || name == nullptr)
        return nullptr;
    return ::dlsym(library, name);
}

bool freeLibrary(LibraryHandle library)
{
    return library != nullptr && ::dlclose(library) == 0;
}

std::string moduleFileName(LibraryHandle library, std::size_t maxChars)
{
    std::string path;
    if (library == nullptr) {
        path = selfPath();
    } else {
        struct link_map *map = nullptr;
        if (::dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name)
            path = map->l_name;
    }
    if (maxChars == 0)
        return {};
    if (path.size() > maxChars - 1)
        path.resize(maxChars - 1);
    return path;
}

std::string searchPath(const std::string &fileName)
{
    if (fileName.empty())
        return {};
    if (fileName.front() == '/')
        return isRegularFile(fileName) ? fileName : std::string();
    std::string folders[] = {searchFolder(), ""};
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) != nullptr)
        folders[1] = withSlash(cwd);
    for (const auto &folder : folders) {
        if (!folder.empty() && isRegularFile(folder + fileName))
            return folder + fileName;
    }
    const char *path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (!folder.empty() && isRegularFile(withSlash(folder) + fileName))
            return withSlash(folder) + fileName;
    }
    return {};
}

} // namespace tunelet::dynlib
