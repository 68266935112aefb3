#pragma once

#include "playlist/PlaylistEntry.h"

#include <QByteArray>
#include <QList>

namespace tunelet
{

class EntryBuilder;

// Builds the rows for many paths, in the order the paths are added, with the
// titles read on all cores. Rows whose building has no side effect (data files,
// MIDI files, archives whose data file is not taken out) wait in a batch that is
// built in parallel; an archive row that takes its data file out (and lets queued
// events run) is built alone on the caller's thread, after every row added before
// it and before any row added after it. So every row sees the files as a build one
// by one would, and the archives' side effects keep their order.
class RowBatch final
{
public:
    enum class Paths {
        All,          // every path gives a row (adding files, the shuffle)
        ExistingOnly, // a path that names no existing regular file gives none (lists)
    };

    RowBatch(const EntryBuilder &builder, Paths paths);
    Q_DISABLE_COPY_MOVE(RowBatch)

    // Adds the next path. May throw what building an archive's row throws, and
    // EUnlistableName for a name no list file can hold; the rows
    // of the paths added before it are built by then.
    void add(const QByteArray &path);
    // Adds the path of a row to build again: a data file that did not change
    // since the row's title was read keeps the row (rebuildPlainEntry).
    void addAgain(const PlaylistEntry &previous);
    // Builds every waiting row.
    void finish();
    // The rows built so far, in order; the batch is empty afterwards.
    QList<PlaylistEntry> takeBuilt();

private:
    void buildWaiting();

    const EntryBuilder &m_builder;
    const Paths m_paths;
    const bool m_extracts;
    QList<PlaylistEntry> m_waiting; // the path, with the earlier row when rebuilt
    QList<PlaylistEntry> m_built;
};

} // namespace tunelet
