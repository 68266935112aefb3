#pragma once

#include <QByteArray>

struct stat;

namespace tunelet
{

// A digest of the file a path names now: its device, inode, size and
// modification time. Two equal stamps of one path mean the file was not rewritten in
// between, so what was read from it then still holds.
//
// Zero (no stamp) when the path names no regular file, and also when the file
// was modified so recently that a further change within the file system's clock
// tick could leave all four the same; such a file is read again next time.
quint64 settledFileStamp(const QByteArray &path);

// The same from a file's status as fstat or stat gives it (an open
// SequentialFile keeps its own: SequentialFile::stamp).
quint64 settledFileStamp(const struct ::stat &status);

} // namespace tunelet
