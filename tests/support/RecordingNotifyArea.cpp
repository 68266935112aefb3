#include "tests/support/RecordingNotifyArea.h"

namespace tunelet::testkit
{

bool RecordingNotifyArea::Notify(TNotifyMessage message, const TNotifyIconData &data)
{
    m_calls.append({message, data});
    switch (message) {
    case nmAdd:
        return !m_refuseAdd;
    case nmModify:
        return !m_refuseModify;
    case nmDelete:
        return !m_refuseDelete;
    }
    return false;
}

int RecordingNotifyArea::countOf(TNotifyMessage message) const
{
    int count = 0;
    for (const Call &call : m_calls)
        count += call.message == message ? 1 : 0;
    return count;
}

QByteArray RecordingNotifyArea::lastTip() const
{
    for (auto it = m_calls.crbegin(); it != m_calls.crend(); ++it)
        if (it->message != nmDelete)
            return it->data.Tip();
    return "<none>";
}

} // namespace tunelet::testkit
