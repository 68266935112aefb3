#pragma once
// The per-user folder where windows are published, and the names of their sockets.

#include "platform/windowlink/WindowSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace windowlink
{

// The folder the options name (without a trailing '/').
std::string runtimeDirPath(const LinkOptions &options);

// Makes the folder when missing (mode 0700) and checks it is a real folder of this
// user that nobody else may enter. Returns an error text, empty when the folder is safe.
std::string ensurePrivateDir(const std::string &dir);
// The same check without creating anything: the client side never makes the folder.
std::string checkPrivateDir(const std::string &dir);

uid_t trustedUid(const LinkOptions &options);

// Socket file name for a window: "<pid>-<serial>-<encoded class>.sock".
std::string socketFileName(const std::string &className, std::uint64_t serial);
// The class a socket file name carries; nothing when the name is not one of ours.
std::optional<std::string> classFromSocketFileName(const std::string &fileName);
// The number of the process that published the socket at path; 0 when the name
// carries none.
pid_t processFromSocketPath(const std::string &path);

struct PublishedEntry {
    std::string path;
    std::string className;
    std::int64_t mtimeNs = 0;
};

// The sockets in the folder owned by uid whose class matches (null: any; ASCII case
// ignored), newest first. Files of other owners or other types are left out.
std::vector<PublishedEntry> listPublished(const std::string &dir, const char *className, uid_t uid);

bool equalsIgnoreCase(const std::string &a, const char *b);

} // namespace windowlink
