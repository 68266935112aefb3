#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What the archive tests share around the archives they make: Debian's archivers (lha,
// bsdtar, arj, cabextract …) run as peers of the project's libraries, and the files they pack.
namespace tunelet::testkit
{

// The locale a tool runs in: the test's own, or C (names pass as bytes, whatever they are).
enum class ToolLocale { Inherited, C };

// Runs `tool` (a name looked up on the PATH, or a full path) in `dir` and waits for it; its
// exit code, -1 when it is not installed or did not end normally. `output` gets what it
// printed.
int runTool(const QString &tool, const QStringList &args, const QString &dir,
            QByteArray *output = nullptr, ToolLocale locale = ToolLocale::Inherited);

// Files by relative byte path below `root`, their folders (ASCII names) made as needed.
using FileTree = QList<QPair<QByteArray, QByteArray>>;
bool writeTree(const QByteArray &root, const FileTree &files);
// One file, its folder made as needed.
bool writeFileIn(const QString &path, const QByteArray &content);
// A file's bytes; "(missing)" when it cannot be read.
QByteArray fileBytes(const QString &path);

// Every file and folder below `root` as relative byte paths, folders ending in '/', sorted;
// names that are not UTF-8 (Shift-JIS) included, which a QDir walk would skip.
QByteArrayList treeBelow(const QByteArray &root);
// Removes `root` and everything below it, whatever the names' encoding.
void removeTree(const QByteArray &root);

// Song data of a title line and `lines` lines of notes: grows with `lines`, compresses well.
QByteArray songText(int lines, const QByteArray &title);
// Bytes no compressor shrinks much, the same on every run.
QByteArray noise(int size);

} // namespace tunelet::testkit
