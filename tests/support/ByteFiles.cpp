#include "tests/support/ByteFiles.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"

#include <QDirIterator>
#include <QFile>

#include <algorithm>

namespace tunelet::testkit
{

bool writeBytes(const QByteArray &path, const QByteArray &content)
{
    return tunelet::writeFileAtomically(path, content);
}

QByteArray readBytes(const QByteArray &path)
{
    return tunelet::readWholeFile(path).value_or(QByteArray("(missing)"));
}

QByteArrayList entriesBelow(const QByteArray &folder)
{
    QByteArrayList entries;
    const QString root = QFile::decodeName(folder);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        entries.append(QFile::encodeName(it.filePath().mid(root.size())) +
                       (it.fileInfo().isDir() ? "/" : ""));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace tunelet::testkit
