#include "tests/support/RecordingShell.h"

namespace tunelet::testkit
{

bool RecordingShell::openFile(const QByteArray &path)
{
    m_opened << path;
    return true;
}

bool RecordingShell::startProgram(const QByteArray &program, const QByteArrayList &arguments)
{
    m_started.append({program, arguments});
    return true;
}

QByteArray RecordingShell::findProgram(const QByteArrayList &names) const
{
    for (const QByteArray &name : names)
        if (m_onPath.contains(name))
            return "/usr/bin/" + name;
    return {};
}

} // namespace tunelet::testkit
