#pragma once
// Reads the rows of a list file on a thread of its own, so that the list opened at
// start-up is read while the program builds its windows. The rows are the ones
// LoadListFile builds with a builder that takes no data file out of an archive.

#include "playlist/PlaylistEntry.h"

#include <QByteArray>
#include <QList>

#include <thread>

namespace tunelet
{

class EntryBuilder;

class ListPrefetch final
{
public:
    // Starts reading the list at once.
    explicit ListPrefetch(QByteArray listPath);
    ~ListPrefetch();
    Q_DISABLE_COPY_MOVE(ListPrefetch)

    // Replaces the builder's rows by the rows read for listPath, as LoadListFile
    // would, once the reading is done. False, with the rows untouched, when they
    // were read for another list, the list could not be read, or this builder
    // would build other rows (it takes data files out of archives and the list
    // has archives): the caller then loads the list itself. Answers true once.
    bool loadInto(EntryBuilder &builder, const QByteArray &listPath);

private:
    void read();

    const QByteArray m_path;
    QList<PlaylistEntry> m_rows;
    bool m_read = false; // the rows are there
    bool m_hasArchives = false;
    std::thread m_thread;
};

} // namespace tunelet
