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

// The same replacement for a file written in pieces: open() creates the temporary file,
// write() appends to it, commit() flushes it and renames it over the target. Until commit()
// succeeds the target is untouched; the destructor removes an uncommitted temporary file.
// Each step returns false with the system's reason in *error.
class AtomicFileWriter final
{
public:
    explicit AtomicFileWriter(const QByteArray &path);
    ~AtomicFileWriter();
    Q_DISABLE_COPY_MOVE(AtomicFileWriter)

    bool open(QString *error = nullptr);
    bool write(QByteArrayView data, QString *error = nullptr);
    bool commit(QString *error = nullptr);
    // Removes the temporary file; the target stays as it was.
    void abandon();

private:
    QByteArray m_target;
    QByteArray m_tempPath;
    int m_fd = -1;
};

} // namespace tunelet
