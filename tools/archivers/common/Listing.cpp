#include "tools/archivers/common/Listing.h"

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Mask.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>

namespace archivers::listing
{
namespace
{

struct Session {
    Format format;
    std::string path;
    std::unique_ptr<ArchiveReader> reader;
    MemberFilter filter;
    bool started = false;
    int32_t finished = ARC_OK; // once the listing ended (or failed), it keeps that answer
};

struct Table {
    std::mutex mutex;
    std::map<ArcHandle, std::shared_ptr<Session>> sessions;
    ArcHandle nextHandle = 1;
};

Table &table()
{
    static Table t;
    return t;
}

std::shared_ptr<Session> find(ArcHandle handle)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const auto it = t.sessions.find(handle);
    return it == t.sessions.end() ? nullptr : it->second;
}

uint32_t clamp32(int64_t v)
{
    if (v < 0)
        return 0;
    return v > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

void copyField(char *field, size_t fieldSize, const std::string &text)
{
    const size_t n = std::min(text.size(), fieldSize - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

int32_t advance(Session &s, ArcEntryInfo *info)
{
    if (s.finished != ARC_OK)
        return s.finished;
    Member m;
    for (;;) {
        const int rc = s.reader->next(m);
        if (rc != ARC_OK) {
            s.finished = rc;
            return rc;
        }
        if (!m.path.empty() && s.filter.selects(m.path)) {
            fillRecord(m, s.reader->methodName(), *info);
            return ARC_OK;
        }
    }
}

} // namespace

void fillRecord(const Member &m, const std::string &method, ArcEntryInfo &info)
{
    std::memset(&info, 0, sizeof info);
    info.originalSize = clamp32(m.size);
    info.compressedSize = 0; // not told by the reader
    struct tm tm = {};
    if (m.mtime > 0 && ::localtime_r(&m.mtime, &tm) != nullptr && tm.tm_year >= 80) {
        info.date =
            static_cast<uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
        info.time = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    }
    copyField(info.fileName, sizeof info.fileName, m.path);
    const char *attribute = "-a--";
    if (m.kind == MemberKind::Directory)
        attribute = "d---";
    else if (m.kind == MemberKind::Symlink)
        attribute = "l---";
    else if ((m.mode & 0222) == 0)
        attribute = "ra--";
    copyField(info.attribute, sizeof info.attribute, attribute);
    copyField(info.method, sizeof info.method, m.kind == MemberKind::Directory ? "dir" : method);
}

ArcHandle open(Format format, const std::string &path)
{
    auto session = std::make_shared<Session>();
    session->format = format;
    session->path = path;
    session->reader = std::make_unique<ArchiveReader>(format, path);
    if (session->reader->open() != ARC_OK)
        return 0;
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const ArcHandle handle = t.nextHandle++;
    t.sessions.emplace(handle, std::move(session));
    return handle;
}

int32_t close(ArcHandle handle)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    return t.sessions.erase(handle) == 1 ? ARC_OK : ARC_ERROR_HANDLE;
}

int32_t findFirst(ArcHandle handle, const char *wildName, ArcEntryInfo *info)
{
    const std::shared_ptr<Session> s = find(handle);
    if (!s)
        return ARC_ERROR_HANDLE;
    if (info == nullptr)
        return ARC_ERROR_COMMAND_LINE;
    // Each FindFirst starts again from the first member.
    if (s->started && s->reader->open() != ARC_OK)
        return ARC_ERROR_ARCHIVE_OPEN;
    s->started = true;
    s->finished = ARC_OK;
    s->filter = MemberFilter{};
    const std::string wild = wildName != nullptr ? wildName : "";
    if (wild.find('"') != std::string::npos) {
        for (const Token &t : tokenize(wild))
            if (!t.text.empty())
                s->filter.masks.push_back(toSlashes(t.text));
    } else if (!wild.empty()) {
        s->filter.masks.push_back(toSlashes(wild));
    }
    return advance(*s, info);
}

int32_t findNext(ArcHandle handle, ArcEntryInfo *info)
{
    const std::shared_ptr<Session> s = find(handle);
    if (!s)
        return ARC_ERROR_HANDLE;
    if (info == nullptr)
        return ARC_ERROR_COMMAND_LINE;
    if (!s->started)
        return ARC_ERROR_FIND_ORDER;
    return advance(*s, info);
}

} // namespace archivers::listing
