#pragma once

#include <QByteArray>

// File-name helpers for self-extracting archives.
namespace filters
{

// The file-name part: the text after the last '/'.
QByteArray ExtractFileName(const QByteArray &path);

// The path with its extension (from the last '.' of the file-name part) replaced by ext.
QByteArray ChangeFileExt(const QByteArray &path, const QByteArray &ext);

// The folder and a file name joined with a separator, unless the folder already ends in one.
QByteArray JoinFolderAndName(const QByteArray &folder, const QByteArray &name);

// The self-extractor's name: the archive path with ".EXE", moved into destDir when one is
// given.
QByteArray SelfExtractorName(const QByteArray &archive, const QByteArray &destDir);

// Writes target (replacing it) as the whole stub followed by the whole archive. Opens the
// archive, then the target, then the stub; raises EFOpenError, EFCreateError or EInOutError,
// closing every file and removing the unfinished target.
void WriteSelfExtractor(const QByteArray &stub, const QByteArray &archive,
                        const QByteArray &target);

} // namespace filters
