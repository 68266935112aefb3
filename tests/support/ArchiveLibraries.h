#pragma once

#include <QByteArray>

namespace tunelet::testkit
{

// The archiver libraries are loaded from this folder from now on (empty: beside
// the executable); every library loaded before is let go.
void useLibraryFolder(const QByteArray &folder);

} // namespace tunelet::testkit
