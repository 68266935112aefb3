#pragma once

#include <QByteArray>

// Paths as the archive component hands them to the libraries: bytes from end to end, never
// decoded, so names in any encoding reach the library as they are.

// The full path of a file name: a relative one is taken against the current folder; "." and
// ".." and repeated separators are resolved as written (no link is followed); a trailing '/'
// stays.
QByteArray ExpandFileName(const QByteArray &path);

// Whether the path names an existing regular file.
bool FileExists(const QByteArray &path);

// Whether the path holds a backslash, which the libraries read as a separator. In text that
// is not valid UTF-8, a backslash that is the second byte of a Shift-JIS character is part of
// that character and does not count.
bool HoldsSeparatorBackslash(const QByteArray &path);

// The path as the libraries read it: every separator backslash (see above) becomes '/'.
QByteArray SeparatorsAsSlashes(const QByteArray &path);

// What a path names for the library: an archive (or any file), or the target folder, to
// which the command line adds a backslash.
enum class PathRole { File, TargetFolder };

// Raises EArchiver when the library would read the path as another one: a backslash that is
// a character of a Linux name (the path begins with '/', or names an existing file or folder
// as it is written) cannot be told from a separator; and a target folder whose last byte is a
// Shift-JIS lead byte would make one character of it and the backslash added after it. Paths
// in the Windows form ("C:\dir\a.lzh", "sub\x") are read with '\' as separator and pass.
void RequireUnambiguousPath(const QByteArray &path, PathRole role = PathRole::File);

// The full path of an archive as the libraries are to read it: refused as
// RequireUnambiguousPath refuses it, judged as the caller wrote it (once
// expanded, a relative path in the Windows form would begin with '/' and read
// as a Linux name); then expanded with its separator backslashes read as '/'.
QByteArray ExpandArchivePath(const QByteArray &path);
