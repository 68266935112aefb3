#pragma once

#include <QByteArrayList>

class QAbstractItemView;
class QMimeData;
class QPoint;

namespace tunelet
{

// The local files among dropped URLs, as byte paths in drop order; other
// URLs are left out.
QByteArrayList droppedLocalFiles(const QMimeData &data);

// The row under a drop position in the view's viewport, or -1. Above or
// beside the rows (the header, the button bar, the status bar) is no row,
// even where the view would map the height onto one.
int rowAtDropPoint(const QAbstractItemView &view, const QPoint &viewportPos);

} // namespace tunelet
