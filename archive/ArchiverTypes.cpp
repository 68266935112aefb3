#include "archive/ArchiverTypes.h"

#include <cstring>

QByteArray entryFileName(const TArchiveEntryInfo &info)
{
    const char *name = info.fileName;
    const auto length = ::strnlen(name, ARC_ENTRY_NAME_SIZE - 1);
    return QByteArray(name, static_cast<qsizetype>(length));
}
