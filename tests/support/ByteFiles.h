#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace tunelet::testkit
{

// Files by byte path (names may be in any encoding). A write replaces the file
// whole; a file that cannot be read reads as "(missing)", so that a missing file
// never passes for an empty one.
bool writeBytes(const QByteArray &path, const QByteArray &content);
QByteArray readBytes(const QByteArray &path);

// Every file and folder below folder (hidden ones too), as names relative to
// it, folders ending in '/', sorted: what a test left behind.
QByteArrayList entriesBelow(const QByteArray &folder);

} // namespace tunelet::testkit
