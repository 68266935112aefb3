#pragma once

#include <QByteArray>
#include <QString>

namespace tunelet
{

// The player's optional windows and ways of showing, each a menu item's tick.
struct SongSwitches {
    bool minimized = false; // " *i"
    bool members = false;   // " *m"
    bool finger = false;    // " *f"
    bool score = false;     // " *s *a"
};

// The player's parameter string: the data file's full path in double quotes,
// " *p *x", then the ticked switches in the order of SongSwitches. A double
// quote inside the path is written as three, which the splitting of the
// string into arguments reads as one literal quote.
QString playerParameters(const QByteArray &path, const SongSwitches &switches);

// The caption while nothing plays.
inline QString idleCaption()
{
    return QStringLiteral("Tunelet");
}
// The caption while the converter runs.
QString converterCaption();
// The caption while row playIndex plays path: "Tunelet - <n> path", n 1-based.
QString playingCaption(int playIndex, const QByteArray &path);

} // namespace tunelet
