#pragma once

#include "playback/PlaybackSession.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <optional>

namespace tunelet::testkit
{

// A song start's and a playback session's window side, recording what it was
// asked to do.
class RecordingSongHost final : public tunelet::PlaybackHost
{
public:
    using Extractor = std::function<std::optional<QByteArray>(const QByteArray &)>;

    void setExtractor(Extractor extractor) { m_extractor = std::move(extractor); }
    // The data view fails to load, as on an unreadable file.
    void setFailDataView(bool fail) { m_failDataView = fail; }
    // "lzh <path>", "converter", "view <path>", "beep", "message <text>", in order.
    const QStringList &calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    // The window has begun to close.
    void setClosed(bool closed) { m_closed = closed; }

    std::optional<QByteArray> extractLzhData(const QByteArray &archivePath) override;
    void showConverterRunning() override { m_calls << QStringLiteral("converter"); }
    void loadDataView(const QByteArray &path) override;
    void beep() override { m_calls << QStringLiteral("beep"); }
    void message(const QString &text) override { m_calls << QStringLiteral("message ") + text; }
    bool closed() const override { return m_closed; }

private:
    Extractor m_extractor;
    bool m_failDataView = false;
    bool m_closed = false;
    QStringList m_calls;
};

} // namespace tunelet::testkit
