#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// File access by byte path (the bytes go to the system unchanged, so names in
// any encoding work).
namespace tunelet
{

enum class PathKind { Missing, RegularFile, Directory, Other };

// What the path names, following symbolic links. A relative path is taken
// against the current working folder. A path holding a NUL names nothing.
PathKind pathKind(const QByteArray &path);

// True when the path names an existing regular file (not a folder).
bool isExistingFile(const QByteArray &path);

// The path with symbolic links, "." and ".." resolved; the path unchanged
// when that fails (a path that does not exist, say).
QByteArray realPath(const QByteArray &path);

// Deletes a file; true when it is gone afterwards (also when it was missing).
bool removeFile(const QByteArray &path);

// Removes a folder when it is empty; true when it was removed.
bool removeEmptyFolder(const QByteArray &path);

// The current working folder, as the system's bytes (no trailing '/'); empty when unknown.
QByteArray currentFolder();

// A regular file opened for sequential reading; closed by the destructor.
// Folders, devices and FIFOs fail to open (errno says why).
class SequentialFile final
{
public:
    SequentialFile() = default;
    ~SequentialFile();
    Q_DISABLE_COPY_MOVE(SequentialFile)

    bool open(const QByteArray &path);
    // Reads up to size bytes; 0 at the end of the file, -1 on a read error.
    qint64 read(char *buffer, qint64 size);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // The settledFileStamp of the file as it was opened; 0 when closed.
    quint64 stamp() const { return m_stamp; }

private:
    int m_fd = -1;
    quint64 m_stamp = 0;
};

// The whole content of a file, or nothing when it cannot be opened or read;
// *error then receives the system's reason.
std::optional<QByteArray> readWholeFile(const QByteArray &path, QString *error = nullptr);

// The first maxBytes bytes of a file (all of it when shorter), or nothing as
// readWholeFile; a huge file costs no more memory than maxBytes.
std::optional<QByteArray> readFileStart(const QByteArray &path, qint64 maxBytes);

} // namespace tunelet
