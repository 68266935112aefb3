#include "playback/ProgramPath.h"

namespace tunelet
{

QByteArray programPath(const QByteArray &setting, const char *shippedName,
                       const QByteArray &programFolder, const QByteArray &shippedFolder)
{
    if (setting.isEmpty())
        return shippedFolder + shippedName;
    if (setting.startsWith('/'))
        return setting;
    return programFolder + setting;
}

} // namespace tunelet
