#include "app/WindowCaption.h"

namespace tunelet
{

namespace
{
const QString marker = QStringLiteral("[*]");
const QString doubledMarker = QStringLiteral("[*][*]");
} // namespace

QString titleShowingCaption(const QString &caption)
{
    return QString(caption).replace(marker, doubledMarker);
}

QString captionOfTitle(const QString &title)
{
    return QString(title).replace(doubledMarker, marker);
}

} // namespace tunelet
