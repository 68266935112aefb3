#include "archive/RegisteredMessages.h"

#include <QHash>
#include <mutex>

std::uint32_t registerWindowMessage(const QByteArray &name)
{
    if (name.isEmpty())
        return 0;
    static std::mutex mutex;
    static QHash<QByteArray, std::uint32_t> numbers;
    const std::lock_guard lock(mutex);
    const QByteArray key = name.toLower();
    auto it = numbers.constFind(key);
    if (it != numbers.constEnd())
        return it.value();
    const auto number = static_cast<std::uint32_t>(0xC000 + numbers.size());
    numbers.insert(key, number);
    return number;
}
