#include "playlist/LzhDataExtraction.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/TextCodec.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace tunelet
{
namespace
{

// The data files of an archive, in the three spellings its members use.
FileItems dataFileMasks()
{
    return FileItems{TStringList{"*.SNR", "*.snr", "*.Snr"}};
}

// A member path that stays inside the target folder. The library writes nothing else, so
// other paths name no file of the extraction and are never touched.
bool staysInside(const QByteArray &memberPath)
{
    if (memberPath.isEmpty() || memberPath.startsWith('/'))
        return false;
    const QByteArrayList parts = memberPath.split('/');
    return std::none_of(parts.cbegin(), parts.cend(),
                        [](const QByteArray &part) { return part == ".."; });
}

// The folders on the members' paths ("sub", "sub/inner" for "sub/inner/a.snr"), relative to
// the program folder.
QSet<QByteArray> memberFolders(const QByteArrayList &memberPaths)
{
    QSet<QByteArray> folders;
    for (const QByteArray &memberPath : memberPaths) {
        if (!staysInside(memberPath))
            continue;
        for (qsizetype slash = memberPath.lastIndexOf('/'); slash > 0;
             slash = memberPath.lastIndexOf('/', slash - 1))
            folders.insert(memberPath.left(slash));
    }
    return folders;
}

// Those of the members' folders that exist in the program folder.
QSet<QByteArray> existingFolders(const QByteArray &folder, const QByteArrayList &memberPaths)
{
    QSet<QByteArray> existing;
    for (const QByteArray &relative : memberFolders(memberPaths)) {
        if (pathKind(folder + relative) != PathKind::Missing)
            existing.insert(relative);
    }
    return existing;
}

// The extracted file of a member: its path as the library reported it (on a case-sensitive
// file system "SONG.SNR" stays "SONG.SNR"), else the same path ending in ".snr". Empty when
// neither is a file.
QByteArray extractedFile(const QByteArray &folder, const QByteArray &memberPath)
{
    if (!staysInside(memberPath))
        return {};
    const QByteArray asReported = folder + memberPath;
    if (isExistingFile(asReported))
        return asReported;
    const QByteArray withExtension = folder + replaceExtension(memberPath, ".snr");
    return isExistingFile(withExtension) ? withExtension : QByteArray();
}

// Removes the folders on the members' paths that were not there before the extraction,
// deepest first, each only when it is empty.
void removeCreatedFolders(const QByteArray &folder, const QByteArrayList &memberPaths,
                          const QSet<QByteArray> &foldersBefore)
{
    QByteArrayList created;
    for (const QByteArray &relative : memberFolders(memberPaths)) {
        if (!foldersBefore.contains(relative))
            created.append(relative);
    }
    std::sort(created.begin(), created.end(), [](const QByteArray &a, const QByteArray &b) {
        return a.count('/') != b.count('/') ? a.count('/') > b.count('/') : a < b;
    });
    for (const QByteArray &relative : std::as_const(created))
        removeEmptyFolder(folder + relative); // fails, as wanted, when not empty
}

// Moves an extracted data file to a name of its own in the program folder itself; the path
// it ends at (the old one when the move fails).
QByteArray stageInFolder(const QByteArray &dataFile, const QByteArray &folder)
{
    const QByteArray staged = folder + ".tunelet-extracted.snr";
    return std::rename(dataFile.constData(), staged.constData()) == 0 ? staged : dataFile;
}

// Replaces the work file with the extracted data file.
void moveToWorkFile(const QByteArray &dataFile, const QByteArray &workFile)
{
    // A member named like the work file was extracted right into it.
    if (dataFile == workFile)
        return;
    removeFile(workFile);
    if (std::rename(dataFile.constData(), workFile.constData()) != 0)
        throw EFCreateError(workFile);
}

} // namespace

QString noDataFileMessage()
{
    return QStringLiteral("snrファイルが存在しません。");
}

QString archiveTooLargeMessage(const QByteArray &archivePath)
{
    return QStringLiteral("書庫 %1 は展開すると %2 MiB を超えるため、展開しませんでした。")
        .arg(decodeText(fileNamePart(archivePath)))
        .arg(ARC_MAX_TOTAL_BYTES / (1024 * 1024));
}

LzhDataExtraction::LzhDataExtraction(TArchiveFile &archive, Places places, Seams seams)
    : m_archive(archive), m_places(std::move(places)), m_seams(std::move(seams))
{
}

bool LzhDataExtraction::extract(const QByteArray &archivePath)
{
    const QByteArray &folder = m_places.programFolder;
    m_archive.SetFileName(archivePath);
    // The folders the extraction will need that are there already: only the others are its
    // own to remove afterwards.
    const QSet<QByteArray> foldersBefore = existingFolders(folder, listDataFiles());
    // An archive that unpacks to more than the library takes out in one command is refused
    // as a whole: said so, and whatever it left is removed.
    const bool tooLarge = unpackDataFiles(archivePath) == ARC_ERROR_TOTAL_TOO_LARGE;
    const QByteArrayList members = listDataFiles();

    // The first member in the archive's order that was taken out becomes the work file; the
    // copies of the others are deleted.
    QByteArray dataFile;
    for (const QByteArray &member : members) {
        dataFile = tooLarge ? QByteArray() : extractedFile(folder, member);
        if (!dataFile.isEmpty())
            break;
    }
    for (const QByteArray &member : members) {
        const QByteArray copy = extractedFile(folder, member);
        if (!copy.isEmpty() && copy != dataFile)
            removeFile(copy);
    }

    // The data file leaves the members' folders before they are removed: one of them may be
    // named like the work file.
    if (!dataFile.isEmpty() && dataFile != m_places.workFile && folderPart(dataFile) != folder)
        dataFile = stageInFolder(dataFile, folder);
    removeCreatedFolders(folder, members, foldersBefore);
    if (tooLarge || dataFile.isEmpty()) {
        m_seams.tell(tooLarge ? archiveTooLargeMessage(archivePath) : noDataFileMessage());
        return false;
    }
    try {
        moveToWorkFile(dataFile, m_places.workFile);
    } catch (...) {
        // Nothing taken out is left behind when it cannot become the work file.
        removeFile(dataFile);
        removeCreatedFolders(folder, members, foldersBefore);
        throw;
    }
    return true;
}

int LzhDataExtraction::unpackDataFiles(const QByteArray &archivePath)
{
    const quint64 extraction = ++m_extractions;
    const auto unpack = [this] {
        return m_archive.Unpack(m_seams.ownerWindow(), nullptr, m_places.programFolder,
                                dataFileMasks());
    };
    int result = unpack();
    // Pending events run before the listing. CommandLine is set once Unpack has returned,
    // so this is one pass.
    do
        QCoreApplication::processEvents();
    while (m_archive.CommandLine().isEmpty());
    // An event of that pass may have taken another archive's data file out (a song start, a
    // row added): it has moved or deleted files of the same names and changed the
    // component's archive. Take ours out again, without another pass.
    if (m_extractions != extraction) {
        m_archive.SetFileName(archivePath);
        result = unpack();
    }
    return result;
}

QByteArrayList LzhDataExtraction::listDataFiles()
{
    QByteArrayList members;
    m_archive.OpenArchive(m_seams.ownerWindow(), 0);
    try {
        TArchiveEntryInfo info{};
        for (int result = m_archive.FindFirst("*.snr", info); result == 0;
             result = m_archive.FindNext(info))
            members.append(entryFileName(info));
    } catch (...) {
        m_archive.CloseArchive();
        throw;
    }
    m_archive.CloseArchive();
    return members;
}

} // namespace tunelet
