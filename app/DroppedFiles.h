#pragma once

#include <QByteArrayList>

class QMimeData;

namespace tunelet
{

// The local files among dropped URLs, as byte paths in drop order; other
// URLs are left out.
QByteArrayList droppedLocalFiles(const QMimeData &data);

} // namespace tunelet
