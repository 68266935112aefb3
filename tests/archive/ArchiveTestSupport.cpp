#include "tests/archive/ArchiveTestSupport.h"

#include "tests/support/ArchiveLibraries.h"

#include <QFile>

#include <exception>

QByteArray recorderFolder(const char *set)
{
    return QByteArray(ARCHIVE_RECORDERS_DIR) + '/' + set;
}

void useRecorders(const char *set)
{
    tunelet::testkit::useLibraryFolder(recorderFolder(set));
}

void useNoLibraries()
{
    static QTemporaryDir empty;
    tunelet::testkit::useLibraryFolder(QFile::encodeName(empty.path()));
}

QByteArrayList memberNames(TArchiveFile &file, WindowHandle window, const QByteArray &mask)
{
    QByteArrayList names;
    if (file.OpenArchive(window, 0) == 0)
        return {"(not opened)"};
    TArchiveEntryInfo info{};
    for (int result = file.FindFirst(mask, info); result == 0; result = file.FindNext(info))
        names.append(entryFileName(info));
    file.CloseArchive();
    return names;
}

void clearRecorderAnswers()
{
    for (const char *name :
         {"TUNELET_RECORDER_RESULT", "TUNELET_RECORDER_OPEN", "TUNELET_RECORDER_CHECK",
          "TUNELET_RECORDER_OWNER", "TUNELET_RECORDER_TYPE", "TUNELET_RECORDER_MEMBERS",
          "TUNELET_RECORDER_PROGRESS"})
        qunsetenv(name);
}

QByteArray raisedMessage(const std::function<void()> &action)
{
    try {
        action();
    } catch (const std::exception &error) {
        return QByteArray(error.what());
    }
    return "(nothing raised)";
}

RecorderLog::RecorderLog()
{
    m_path = QFile::encodeName(m_dir.filePath("calls.log"));
    qputenv("TUNELET_RECORDER_LOG", m_path);
}

RecorderLog::~RecorderLog()
{
    qunsetenv("TUNELET_RECORDER_LOG");
}

QList<QList<QByteArray>> RecorderLog::rows() const
{
    QFile file(QFile::decodeName(m_path));
    QList<QList<QByteArray>> result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            result.append(line.split('\t'));
    }
    return result;
}

QList<QByteArray> RecorderLog::entries() const
{
    QList<QByteArray> names;
    for (const auto &row : rows())
        names.append(row.value(1));
    return names;
}

QList<QList<QByteArray>> RecorderLog::rowsOf(const QByteArray &entry) const
{
    QList<QList<QByteArray>> result;
    for (const auto &row : rows()) {
        if (row.value(1) == entry)
            result.append(row);
    }
    return result;
}

void RecorderLog::clear()
{
    QFile::remove(QFile::decodeName(m_path));
}
