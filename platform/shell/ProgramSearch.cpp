#include "platform/shell/ProgramSearch.h"

#include "platform/core/ByteFile.h"

#include <unistd.h>

namespace tunelet
{

namespace
{

bool isExecutableFile(const QByteArray &path)
{
    return isExistingFile(path) && ::access(path.constData(), X_OK) == 0;
}

} // namespace

QByteArray findFirstProgram(const QByteArrayList &names, const QByteArray &pathVariable)
{
    const QByteArrayList folders = pathVariable.split(':');
    for (const QByteArray &name : names) {
        if (name.isEmpty())
            continue;
        if (name.contains('/')) {
            if (isExecutableFile(name))
                return name;
            continue;
        }
        for (const QByteArray &folder : folders) {
            const QByteArray base = folder.isEmpty() ? QByteArray(".") : folder;
            const QByteArray candidate = base.endsWith('/') ? base + name : base + '/' + name;
            if (isExecutableFile(candidate))
                return candidate;
        }
    }
    return {};
}

QByteArray findFirstProgramOnPath(const QByteArrayList &names)
{
    return findFirstProgram(names, qgetenv("PATH"));
}

} // namespace tunelet
