#include "fuzz/checks/TitlesCheck.h"

#include "fuzz/checks/Scratch.h"

#include "platform/core/BytePath.h"
#include "playlist/ReadTitle.h"

#include <string_view>

namespace fuzzcheck
{

namespace
{

// The title-line rule on the whole text at once, written as plainly as possible.
std::string referenceTitle(std::string_view text)
{
    text = text.substr(0, text.find('\x1A'));
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\r', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        for (const std::string_view marker :
             {std::string_view("*HEAD\""), std::string_view("*HEAD \"")}) {
            const std::size_t at = line.find(marker);
            if (at == std::string_view::npos)
                continue;
            std::string_view title = line.substr(at + marker.size());
            title = title.substr(0, title.find('"'));
            return std::string(title.substr(0, std::size_t(tunelet::MaxTitleLength)));
        }
        if (last)
            break;
        start = end + 1;
        if (start < text.size() && text[start] == '\n')
            ++start;
        if (start == text.size())
            break;
    }
    return {};
}

// The bytes as they are, or, after a first byte of 0xF0 or more, the rest with its
// last byte repeated 4 KiB times per step over 0xEF (up to 64 KiB more, past the
// 64 KiB cap with the input's own bytes, and across the chunk borders).
std::string expand(std::span<const std::uint8_t> data)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data.data()), data.size());
    if (data.empty() || data[0] < 0xF0)
        return std::string(bytes);
    std::string text(bytes.substr(1));
    if (!text.empty())
        text.append(std::size_t(data[0] - 0xEF) * 4 * 1024, text.back());
    return text;
}

std::string show(const QByteArray &bytes)
{
    return bytes.left(80).toPercentEncoding().toStdString();
}

} // namespace

std::string checkTitles(std::span<const std::uint8_t> data)
{
    const std::string text = expand(data);
    const std::string path = scratchFolder() + "/song.snr";
    if (!writeBytes(path,
                    std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size())))
        return "cannot write the scratch file " + path;

    const QByteArray title = tunelet::ReadTitle(QByteArray::fromStdString(path));
    const QByteArray expected = QByteArray::fromStdString(referenceTitle(text));
    if (title != expected)
        return "title " + show(title) + " (" + std::to_string(title.size()) + " bytes), expected " +
               show(expected) + " (" + std::to_string(expected.size()) + " bytes)";
    if (title.size() > tunelet::MaxTitleLength)
        return "title longer than the cap";

    // A file that cannot be read gives its file name.
    const QByteArray missing = QByteArray::fromStdString(scratchFolder() + "/missing/x.snr");
    if (tunelet::ReadTitle(missing) != "x.snr")
        return "a missing file does not give its file name";
    const QByteArray folder = QByteArray::fromStdString(scratchFolder());
    if (tunelet::ReadTitle(folder) != tunelet::fileNamePart(folder))
        return "a folder does not give its file name";
    return {};
}

} // namespace fuzzcheck
