#pragma once

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>

// Points the library seam at a folder of recording libraries ("all", "lmzip", "unzip",
// "nofindnext") or any folder, forgetting every library loaded before.
void useLibraryFolder(const QByteArray &folder);
QByteArray recorderFolder(const char *set);
void useRecorders(const char *set);
// A folder without any library.
void useNoLibraries();

// The call log of the recording libraries: one row per call, fields split at tabs.
class RecorderLog final
{
public:
    RecorderLog();
    ~RecorderLog();
    QList<QList<QByteArray>> rows() const;
    // "entry" of every row, in order.
    QList<QByteArray> entries() const;
    // The rows of one entry.
    QList<QList<QByteArray>> rowsOf(const QByteArray &entry) const;
    void clear();

private:
    QTemporaryDir dir_;
    QByteArray path_;
};
