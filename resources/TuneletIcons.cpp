#include "resources/TuneletIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace tunelet
{

namespace
{

// The program's icon, decoded only at the sizes asked for and only when asked.
// The window system takes every size an icon offers as the window's icon, so it
// offers the sizes a title bar, a task bar or a tray shows; the larger pictures
// come from the installed icon theme. (Decoding all of them when each window was
// made was a fifth of the start-up's work.)
class ProgramIconEngine final : public QIconEngine
{
public:
    static constexpr std::array kSides{16, 24, 32, 48, 64};

    QIconEngine *clone() const override { return new ProgramIconEngine; }
    QString key() const override { return QStringLiteral("TuneletProgramIcon"); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : kSides)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return {};
        // The smallest picture at least as large, else the largest; the file's
        // pixmap is shared through the pixmap cache.
        int file = kSides.back();
        for (int candidate : kSides) {
            if (candidate >= side) {
                file = candidate;
                break;
            }
        }
        QPixmap picture(QStringLiteral(":/icons/tunelet-%1.png").arg(file));
        if (picture.width() != side)
            picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return picture;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
};

} // namespace

QIcon programIcon()
{
    return QIcon(new ProgramIconEngine);
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
