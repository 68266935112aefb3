#pragma once
// The list the settings open at start-up, read ahead: started before the toolkit,
// so the list's files are read while the windows are built.

#include "playlist/ListPrefetch.h"

#include <QByteArray>

#include <memory>

namespace tunelet
{

// The reading of the list the settings file opens at start-up, or nothing when it
// opens none (or names no existing file).
std::unique_ptr<ListPrefetch> prefetchLastList(const QByteArray &settingsPath);

} // namespace tunelet
