#pragma once

#include <QByteArray>

// File-name helpers for self-extracting archives.
namespace filters
{

// The file-name part: the text after the last '/' or separator backslash.
QByteArray ExtractFileName(const QByteArray &path);

// The path with its extension (from the last '.' of the file-name part) replaced by ext.
QByteArray ChangeFileExt(const QByteArray &path, const QByteArray &ext);

// The folder and a file name joined with a separator, unless the folder already ends in one:
// a backslash for a folder in the Windows form (holding a backslash, which the libraries read
// as a separator), else '/'.
QByteArray JoinFolderAndName(const QByteArray &folder, const QByteArray &name);

// The self-extractor's name: the archive path with ".EXE", moved into destDir when one is
// given; backslashes kept as written (the libraries read them as '/').
QByteArray SelfExtractorName(const QByteArray &archive, const QByteArray &destDir);

// Writes target (a backslash in it read as '/'; replacing it once complete) as the whole stub
// followed by the whole archive. Opens the archive, then the target, then the stub (regular files
// only); raises EFOpenError, EFCreateError or EInOutError, closing every file and leaving the old
// target as it was; raises EArchiver when the target is the archive itself.
void WriteSelfExtractor(const QByteArray &stub, const QByteArray &archive,
                        const QByteArray &target);

} // namespace filters
