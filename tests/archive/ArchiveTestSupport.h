#pragma once

#include "archive/ARCHIVES.h"
#include "tests/support/ArchiveLibraries.h"

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>

#include <functional>

using tunelet::testkit::useLibraryFolder;

// Points the library seam at a folder of recording libraries ("all", "lmzip", "unzip",
// "nofindnext"), forgetting every library loaded before.
QByteArray recorderFolder(const char *set);
void useRecorders(const char *set);
// A folder without any library.
void useNoLibraries();

// The member names the component lists for `mask`, in the archive's order; "(not opened)"
// alone when the archive does not open.
QByteArrayList memberNames(TArchiveFile &file, WindowHandle window, const QByteArray &mask = "*");

// Forgets every answer a test set for the recording libraries (TUNELET_RECORDER_…).
void clearRecorderAnswers();

// The message of what `action` raises; "(nothing raised)" when it returns.
QByteArray raisedMessage(const std::function<void()> &action);

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
    QTemporaryDir m_dir;
    QByteArray m_path;
};
