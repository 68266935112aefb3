#include "fuzz/checks/LzhWriteCheck.h"

#include "tools/archivers/common/Lh5Encoder.h"
#include "tools/archivers/common/LzhCrc16.h"
#include "tools/archivers/common/LzhHeader.h"

#include <archive.h>
#include <archive_entry.h>
#include <memory>
#include <vector>

namespace fuzzcheck
{

namespace
{

using namespace archivers;

struct ReadDeleter {
    void operator()(archive *a) const { archive_read_free(a); }
};

std::string archiveOf(const std::vector<std::uint8_t> &data,
                      const std::vector<std::uint8_t> &packed, const char *method)
{
    LzhEntry entry;
    entry.method = method;
    entry.path = "dir/member.snr";
    entry.originalSize = std::uint32_t(data.size());
    entry.packedSize = std::uint32_t(packed.size());
    entry.crc = lzhCrc16(data.data(), data.size());
    entry.mtime = 1700000000;
    entry.mode = 0100644;
    std::string bytes = lzhHeader(entry);
    bytes.append(reinterpret_cast<const char *>(packed.data()), packed.size());
    bytes.push_back('\0');
    return bytes;
}

std::string readBack(const std::string &bytes, const std::vector<std::uint8_t> &data)
{
    std::unique_ptr<archive, ReadDeleter> a(archive_read_new());
    archive_read_support_format_lha(a.get());
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK)
        return "libarchive does not open the archive";
    archive_entry *entry = nullptr;
    if (archive_read_next_header(a.get(), &entry) != ARCHIVE_OK)
        return std::string("libarchive reads no header: ") + archive_error_string(a.get());
    if (std::string(archive_entry_pathname(entry)) != "dir/member.snr")
        return "the member's name changed";
    if (archive_entry_size(entry) != la_int64_t(data.size()))
        return "the member's size changed";
    std::vector<std::uint8_t> out(data.size() + 1);
    size_t done = 0;
    for (;;) {
        const la_ssize_t n = archive_read_data(a.get(), out.data() + done, out.size() - done);
        if (n < 0)
            return std::string("libarchive fails on the data: ") + archive_error_string(a.get());
        if (n == 0)
            break;
        done += size_t(n);
        if (done > data.size())
            return "more data read than packed";
    }
    out.resize(done);
    if (out != data)
        return "the data read back differs from the data packed";
    if (archive_read_next_header(a.get(), &entry) != ARCHIVE_EOF)
        return "a second member appeared";
    return {};
}

} // namespace

std::string checkLzhWrite(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return {};
    const std::uint8_t how = input[0];
    std::vector<std::uint8_t> data(input.begin() + 1, input.end());
    if ((how & 4) != 0) {
        const std::vector<std::uint8_t> once = data;
        for (int i = 0; i < 3; ++i)
            data.insert(data.end(), once.begin(), once.end());
    }
    static const struct {
        int bits;
        const char *method;
    } methods[] = {{13, "-lh5-"}, {15, "-lh6-"}, {16, "-lh7-"}, {13, "-lh5-"}};
    const auto &m = methods[how & 3];
    const std::vector<std::uint8_t> packed = lhEncode(data, m.bits);
    // What the library would store: the compressed data, or the data itself.
    const std::string bytes = lhPackedIsUsable(packed.size(), data.size())
                                  ? archiveOf(data, packed, m.method)
                                  : archiveOf(data, data, "-lh0-");
    std::vector<LzhStoredMember> members;
    std::string why;
    if (!scanLzhMembers(bytes, members, why))
        return "the header walk fails: " + why;
    if (members.size() != 1 || members[0].path != "dir/member.snr" ||
        members[0].length + 1 != bytes.size())
        return "the header walk does not find the one member whole";
    return readBack(bytes, data);
}

} // namespace fuzzcheck
