#pragma once

// A notification area that records every operation and can refuse them.

#include "NotifyArea.h"

#include <QList>

class FakeNotifyArea final : public TNotifyArea
{
public:
    struct Call {
        TNotifyMessage message;
        TNotifyIconData data;
    };

    bool Notify(TNotifyMessage message, const TNotifyIconData &data) override
    {
        calls.append({message, data});
        switch (message) {
        case nmAdd:
            return !refuseAdd;
        case nmModify:
            return !refuseModify;
        case nmDelete:
            return !refuseDelete;
        }
        return false;
    }

    int CountOf(TNotifyMessage message) const
    {
        int count = 0;
        for (const Call &call : calls)
            count += call.message == message ? 1 : 0;
        return count;
    }

    QList<Call> calls;
    bool refuseAdd = false;
    bool refuseModify = false;
    bool refuseDelete = false;
};
