#pragma once

#include "platform/input/KeySynth.h"

#include <QList>

namespace tunelet::testkit
{

// Records the keys instead of sending them.
class RecordingKeySynth final : public tunelet::KeySynth
{
public:
    RecordingKeySynth() = default;
    Q_DISABLE_COPY_MOVE(RecordingKeySynth)

    void pressAndRelease(Qt::Key key) override { m_keys << key; }
    const QList<Qt::Key> &keys() const { return m_keys; }
    void clear() { m_keys.clear(); }

private:
    QList<Qt::Key> m_keys;
};

} // namespace tunelet::testkit
