#include "tray/NotifyArea.h"

#include <algorithm>
#include <cstring>

QByteArray TNotifyIconData::Tip() const
{
    return QByteArray(tip.data(), qstrnlen(tip.data(), tip.size()));
}

void TNotifyIconData::SetTip(const QByteArray &text)
{
    tip.fill('\0');
    const auto length = std::min<qsizetype>(text.size(), tip.size() - 1);
    std::memcpy(tip.data(), text.constData(), static_cast<std::size_t>(length));
}

TTrayMessageEvent::TTrayMessageEvent(int message, int iconNumber, int mouseMessage)
    : QEvent(EventType()), m_message(message), m_iconNumber(iconNumber),
      m_mouseMessage(mouseMessage)
{
}

QEvent::Type TTrayMessageEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
