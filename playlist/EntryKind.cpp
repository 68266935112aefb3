#include "playlist/EntryKind.h"

#include "platform/core/BytePath.h"

namespace tunelet
{

EntryKind entryKindOf(QByteArrayView path)
{
    const QByteArray extension = lowerExtension(path);
    if (extension == ".mid")
        return EntryKind::Midi;
    if (extension == ".lzh")
        return EntryKind::Lzh;
    return EntryKind::Data;
}

} // namespace tunelet
