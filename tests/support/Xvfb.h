#pragma once
// A private X server for benchmarks that time real windows. Xvfb picks a free
// display itself and names it once it listens; no window manager runs.

#include <QProcess>
#include <QString>

namespace tunelet::testkit
{

class Xvfb final
{
public:
    Xvfb() = default;
    ~Xvfb();
    Q_DISABLE_COPY_MOVE(Xvfb)

    // The display name (":N"), or empty when no server could be started.
    QString start();

private:
    QProcess m_server;
};

} // namespace tunelet::testkit
