#include "app/DroppedFiles.h"

#include <QAbstractItemView>
#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace tunelet
{
namespace
{

// A dropped file's path, byte for byte. The URL's percent-encoding carries
// the bytes exactly, also those of a name that is no valid UTF-8 (a
// Shift-JIS name, say), which the decoded local path would replace.
QByteArray localFileBytes(const QUrl &url)
{
    if (!url.host().isEmpty())
        return QFile::encodeName(url.toLocalFile()); // a share: "//host/path"
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

} // namespace

QByteArrayList droppedLocalFiles(const QMimeData &data)
{
    QByteArrayList paths;
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            paths << localFileBytes(url);
    return paths;
}

int rowAtDropPoint(const QAbstractItemView &view, const QPoint &viewportPos)
{
    if (!view.viewport()->rect().contains(viewportPos))
        return -1;
    return view.indexAt(viewportPos).row();
}

} // namespace tunelet
