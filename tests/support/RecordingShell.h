#pragma once

#include "platform/shell/DesktopShell.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

namespace tunelet::testkit
{

// Records what the window asks the desktop to open or start. Programs put on its
// PATH are found under /usr/bin.
class RecordingShell final : public tunelet::DesktopShell
{
public:
    struct Start {
        QByteArray program;
        QByteArrayList arguments;
    };

    void putOnPath(const QByteArray &name) { m_onPath << name; }
    const QByteArrayList &opened() const { return m_opened; }
    const QList<Start> &started() const { return m_started; }

    bool openFile(const QByteArray &path) override;
    bool startProgram(const QByteArray &program, const QByteArrayList &arguments) override;
    QByteArray findProgram(const QByteArrayList &names) const override;

private:
    QByteArrayList m_opened;
    QList<Start> m_started;
    QByteArrayList m_onPath;
};

} // namespace tunelet::testkit
