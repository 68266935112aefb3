#include "playlist/ReadTitle.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"

#include <algorithm>
#include <optional>

namespace tunelet
{

namespace
{
constexpr char EndOfText = 0x1A;

// Finds a fixed marker in a stream of bytes fed one at a time. The markers
// start with '*' and hold no other '*', so a failed partial match can only
// restart at the current byte.
class MarkerMatcher
{
public:
    explicit MarkerMatcher(QByteArrayView marker) : m_marker(marker) {}
    // True when this byte completes the marker.
    bool feed(char c)
    {
        if (c == m_marker[m_matched]) {
            if (++m_matched == m_marker.size()) {
                m_matched = 0;
                return true;
            }
            return false;
        }
        m_matched = c == m_marker[0] ? 1 : 0;
        return false;
    }
    void reset() { m_matched = 0; }

private:
    QByteArrayView m_marker;
    qsizetype m_matched = 0;
};

// The text after a marker, up to the closing quote or the line end.
struct Capture {
    QByteArray text;
    bool open = false;  // still collecting
    bool found = false; // the marker was seen on this line

    void start()
    {
        found = open = true;
        text.clear();
    }
    void feed(char c)
    {
        if (c == '"')
            open = false;
        else if (text.size() < MaxTitleLength)
            text.append(c);
    }
};

// Scans lines for the title; a `*HEAD"` anywhere on a line wins over an earlier
// `*HEAD "` on that line, so the latter is only kept as a fallback until the
// line ends.
class TitleScanner
{
public:
    // Feeds one chunk; returns the title once it is known.
    std::optional<QByteArray> feed(const char *data, qint64 size)
    {
        for (qint64 i = 0; i < size; ++i) {
            const char c = data[i];
            if (m_afterCr) {
                m_afterCr = false;
                if (c == '\n')
                    continue;
            }
            if (c == EndOfText) {
                m_ended = true;
                return endLine().value_or(QByteArray());
            }
            if (c == '\r') {
                m_afterCr = true;
                if (auto title = endLine())
                    return title;
                continue;
            }
            if (m_primary.open) {
                m_primary.feed(c);
                if (!m_primary.open)
                    return m_primary.text;
                continue;
            }
            if (m_secondary.open)
                m_secondary.feed(c);
            if (m_primaryMarker.feed(c)) {
                m_primary.start();
                continue;
            }
            if (!m_secondary.found && m_secondaryMarker.feed(c))
                m_secondary.start();
        }
        return std::nullopt;
    }
    // At the end of the file.
    QByteArray finish() { return endLine().value_or(QByteArray()); }
    bool ended() const { return m_ended; }

private:
    std::optional<QByteArray> endLine()
    {
        if (m_primary.found)
            return m_primary.text;
        if (m_secondary.found)
            return m_secondary.text;
        m_primaryMarker.reset();
        m_secondaryMarker.reset();
        return std::nullopt;
    }

    MarkerMatcher m_primaryMarker{"*HEAD\""};
    MarkerMatcher m_secondaryMarker{"*HEAD \""};
    Capture m_primary;
    Capture m_secondary;
    bool m_afterCr = false;
    bool m_ended = false;
};
} // namespace

QByteArray ReadTitle(const QByteArray &path)
{
    SequentialFile file;
    if (!file.open(path))
        return fileNamePart(path);
    return ReadTitle(file, path);
}

QByteArray ReadTitle(SequentialFile &file, const QByteArray &path)
{
    TitleScanner scanner;
    // Title lines sit near the top: a small first read, larger ones after.
    qint64 chunk = 4096;
    char buffer[64 * 1024];
    for (qint64 scanned = 0; scanned < MaxTitleScan;) {
        const qint64 n = file.read(buffer, std::min(chunk, MaxTitleScan - scanned));
        if (n < 0)
            return fileNamePart(path);
        if (n == 0)
            return scanner.finish();
        if (auto title = scanner.feed(buffer, n))
            return *title;
        if (scanner.ended())
            return QByteArray();
        scanned += n;
        chunk = qint64(sizeof buffer);
    }
    return scanner.finish();
}

} // namespace tunelet
