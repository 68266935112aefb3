#include "playback/ProgressPoll.h"

#include <algorithm>
#include <limits>

namespace tunelet
{

namespace
{

// "→ " and the full-width colon of the player's title.
const QString TotalMarker = QStringLiteral("\u2192 ");
const QChar TotalColon = QChar(0xFF1A);
// The player's status text while it pauses (or has not begun).
const QString PausedStatus = QStringLiteral("一時停止");
// The player's status text once a song has played to its end.
const QString EndedStatus = QStringLiteral("終了");

struct TotalTime {
    QString text; // minutes + ":" + seconds, the player's digits unchanged
    qint64 seconds = 0;
};

std::optional<TotalTime> totalFromTitle(const QString &title)
{
    const qsizetype marker = title.indexOf(TotalMarker);
    if (marker < 0)
        return std::nullopt;
    const QString rest = title.mid(marker + TotalMarker.size());
    const qsizetype colon = rest.indexOf(TotalColon);
    if (colon < 0)
        return std::nullopt;
    const QString minutes = rest.left(colon);
    const QString seconds = rest.mid(colon + 1);
    TotalTime total;
    total.text = minutes + QLatin1Char(':') + seconds;
    total.seconds = decimalOrZero(seconds) + 60 * decimalOrZero(minutes);
    return total;
}

} // namespace

qint64 decimalOrZero(const QString &text)
{
    // An integer of the 32-bit range, as the player writes its numbers.
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return 0;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return 0;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint32>::max())
        return 0;
    return value;
}

QString elapsedText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    const qint64 minutes = (seconds / 60) % 60;
    return QStringLiteral("%1:%2")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

ProgressView progressView(const ProgressReading &reading)
{
    const qint64 position = reading.hasSeekBar ? reading.position : 0;
    const qint64 maximum = reading.hasSeekBar && reading.maximum >= 1 ? reading.maximum : -1;

    ProgressView view;
    view.windowFound = reading.windowFound;
    view.status = reading.status;
    view.ended = position == maximum;
    const bool running = maximum >= 1 && position < maximum;
    view.played = running || (view.ended && reading.status == EndedStatus);
    view.paused = reading.status == PausedStatus;
    if (const std::optional<TotalTime> total = totalFromTitle(reading.title)) {
        qint64 elapsed = 0;
        if (total->seconds != 0) {
            // Wide enough for any total and position; truncated toward zero.
            const __int128 product = static_cast<__int128>(total->seconds) * position;
            const __int128 quotient = product / maximum;
            const __int128 limit = std::numeric_limits<qint64>::max();
            elapsed = static_cast<qint64>(quotient > limit ? limit : quotient);
        }
        view.label = elapsedText(elapsed) + QLatin1Char('/') + total->text + QLatin1Char(' ');
        if (total->seconds > 0) {
            view.totalUs = total->seconds * 1000000;
            const __int128 part = static_cast<__int128>(view.totalUs) * position / maximum;
            view.elapsedUs = static_cast<qint64>(std::clamp<__int128>(part, 0, view.totalUs));
        }
    }
    return view;
}

} // namespace tunelet
