#pragma once
// Tells whether anything in the window folder changed since the last look, from the
// system's change notices (inotify), so that a finder need not list the folder again
// while nothing came or went, and an idle program need not look periodically.

#include <string>

namespace windowlink
{

class FolderWatch final
{
public:
    explicit FolderWatch(std::string dir);
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;

    // From now on the folder is made (mode 0700) when it is missing, so that there is
    // something to watch: for a program that waits for windows to appear.
    void makeFolderWhenMissing() { m_makeFolder = true; }
    // Starts watching (changed() also does). False when the folder cannot be watched.
    bool arm();
    // Takes in the notices that came since the last call. True when the folder may
    // have changed since then, and always while it cannot be watched (it is missing,
    // or notices cannot be had): the caller then lists it as if nothing were known.
    bool changed();
    // The descriptor that becomes readable when a notice comes; -1 when notices
    // cannot be had at all.
    int descriptor() const { return m_fd; }

private:
    std::string m_dir;
    bool m_makeFolder = false;
    int m_fd;
    int m_watch = -1;
};

} // namespace windowlink
