#pragma once

#include <Qt>

namespace tunelet
{

// Synthetic key strokes into the program's own input: a press and a release
// that reach whatever widget has the keyboard focus, after the current
// handler has returned.
class KeySynth
{
public:
    virtual ~KeySynth() = default;
    virtual void pressAndRelease(Qt::Key key) = 0;
};

// Queues a press and a release for the widget that has the keyboard focus
// when the queue reaches them; nothing when no window of this program has
// the keyboard then.
class QueuedKeySynth final : public KeySynth
{
public:
    QueuedKeySynth() = default;
    Q_DISABLE_COPY_MOVE(QueuedKeySynth)
    void pressAndRelease(Qt::Key key) override;
};

} // namespace tunelet
