#pragma once

#include "platform/process/ProcessHandle.h"

#include <functional>

namespace tunelet::testkit
{

// A started program's process for unit tests: it runs until the test says it
// has ended or it is ended through the handle, and what was done to it is
// recorded in a record the test keeps, which outlives the handle.
class FakeProcess final : public tunelet::ProcessHandle
{
public:
    struct Record {
        qint64 id = 4242;
        bool running = true;
        int waits = 0;                // waitForEnd calls, a look for its end each
        int ends = 0;                 // end() calls: signals sent to it
        bool letGo = false;           // the handle was destroyed
        std::function<void()> onWait; // runs on each wait (to show a window, say)
    };

    explicit FakeProcess(Record &record) : m_record(record) {}
    ~FakeProcess() override { m_record.letGo = true; }
    Q_DISABLE_COPY_MOVE(FakeProcess)

    qint64 processId() const override { return m_record.id; }
    bool waitForEnd(std::chrono::milliseconds) override
    {
        ++m_record.waits;
        if (m_record.onWait)
            m_record.onWait();
        return !m_record.running;
    }
    bool end(std::chrono::milliseconds) override
    {
        ++m_record.ends;
        m_record.running = false;
        return true;
    }

private:
    Record &m_record;
};

} // namespace tunelet::testkit
