#include "TuneletIcons.h"

#include <array>

namespace tunelet
{

QIcon programIcon()
{
    static const std::array sizes{16, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QStringLiteral(":/icons/tunelet-%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon kindIcon(int kind)
{
    static const std::array names{"data", "midi", "lzh"};
    if (kind < 0 || kind >= int(names.size()))
        return {};
    return QIcon(QStringLiteral(":/icons/kind-%1.png").arg(QLatin1String(names[size_t(kind)])));
}

QIcon buttonIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/sb-%1.png").arg(name));
}

} // namespace tunelet
