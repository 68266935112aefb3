#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tunelet
{

// Replaces (or creates) the file at path with data so that a reader sees either
// the old or the new content, never a part: the data goes to a temporary file
// in the same folder, is flushed to disk, and is renamed over the target. A
// symbolic link is followed, so the file it points to is replaced. An existing
// file keeps its permission bits.
// Returns false, with the system's reason in *error, when any step fails; the
// old file is then left as it was and no temporary file remains.
bool writeFileAtomically(const QByteArray &path, QByteArrayView data, QString *error = nullptr);

} // namespace tunelet
