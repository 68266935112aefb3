#include "ArchiveTestSupport.h"

#include "ARJ32.h"
#include "BGA32.h"
#include "CAB32.h"
#include "DynamicLibrary.h"
#include "LHA32.h"
#include "LibraryUnit.h"
#include "RAR32.h"
#include "TAR32.h"
#include "ZIP32.h"

#include <QFile>

void useLibraryFolder(const QByteArray &folder)
{
    for (LibraryUnit *unit :
         {&TLha32::Library(), &TArj32::Library(), &TBGA32::Library(), &TCab32::Library(),
          &TTar32::Library(), &TRar32::Library(), &TZip32::UnzipLibrary(), &TZip32::Zip32jLibrary(),
          &TZip32::LmzipLibrary()})
        unit->Free();
    tunelet::dynlib::setLibraryFolderOverride(folder.toStdString());
}

QByteArray recorderFolder(const char *set)
{
    return QByteArray(ARCHIVE_RECORDERS_DIR) + '/' + set;
}

void useRecorders(const char *set)
{
    useLibraryFolder(recorderFolder(set));
}

void useNoLibraries()
{
    static QTemporaryDir empty;
    useLibraryFolder(QFile::encodeName(empty.path()));
}

RecorderLog::RecorderLog()
{
    path_ = QFile::encodeName(dir_.filePath("calls.log"));
    qputenv("TUNELET_RECORDER_LOG", path_);
}

RecorderLog::~RecorderLog()
{
    qunsetenv("TUNELET_RECORDER_LOG");
}

QList<QList<QByteArray>> RecorderLog::rows() const
{
    QFile file(QFile::decodeName(path_));
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
    QFile::remove(QFile::decodeName(path_));
}
