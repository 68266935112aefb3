#pragma once

#include "platform/shell/DesktopShell.h"

namespace tunelet
{

// The desktop of this session: QDesktopServices opens files, QProcess starts
// programs detached, PATH is searched for programs.
class SystemDesktopShell final : public DesktopShell
{
public:
    SystemDesktopShell() = default;
    Q_DISABLE_COPY_MOVE(SystemDesktopShell)

    bool openFile(const QByteArray &path) override;
    bool startProgram(const QByteArray &program, const QByteArrayList &arguments) override;
    QByteArray findProgram(const QByteArrayList &names) const override;
};

} // namespace tunelet
