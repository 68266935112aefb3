#pragma once

#include "tray/NotifyArea.h"

#include <QByteArray>
#include <QList>

namespace tunelet::testkit
{

// A notification area that records every operation and can refuse them.
class RecordingNotifyArea final : public TNotifyArea
{
public:
    struct Call {
        TNotifyMessage message;
        TNotifyIconData data;
    };

    void setRefuseAdd(bool refuse) { m_refuseAdd = refuse; }
    void setRefuseModify(bool refuse) { m_refuseModify = refuse; }
    void setRefuseDelete(bool refuse) { m_refuseDelete = refuse; }

    const QList<Call> &calls() const { return m_calls; }
    int countOf(TNotifyMessage message) const;
    // The tip of the latest add or modify, or "<none>".
    QByteArray lastTip() const;

    bool Notify(TNotifyMessage message, const TNotifyIconData &data) override;

private:
    QList<Call> m_calls;
    bool m_refuseAdd = false;
    bool m_refuseModify = false;
    bool m_refuseDelete = false;
};

} // namespace tunelet::testkit
