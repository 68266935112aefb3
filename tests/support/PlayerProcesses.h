#pragma once

#include <QList>
#include <QString>

// The player processes an end-to-end test may have left behind.
namespace tunelet::testkit
{

// Process ids of running sonaro players whose command line mentions `needle`
// (a test's own folder, say).
QList<qint64> playersMentioning(const QString &needle);

// Players end shortly after Tunelet closes them; true once none that
// mentions `needle` is left (waited for up to five seconds).
bool playersGone(const QString &needle);

// Ends by id, at once, the players a test that failed half-way may have left.
void killPlayersMentioning(const QString &needle);

} // namespace tunelet::testkit
