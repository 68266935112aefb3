#pragma once

#include <QList>
#include <QString>

// The player processes an end-to-end test may have left behind.
namespace tunelet::testkit
{

// Process ids of running sonaro players whose command line mentions `needle`
// (a test's own folder, say).
QList<qint64> playersMentioning(const QString &needle);

} // namespace tunelet::testkit
