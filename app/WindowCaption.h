#pragma once

#include <QString>

namespace tunelet
{

// Qt reads "[*]" in a window title as the place of its modified-marker and
// removes it, so a caption naming a path such as "a[*].snr" would lose those
// characters. The title given to Qt doubles each "[*]", which Qt shows as one.
QString titleShowingCaption(const QString &caption);
// The caption a title made by titleShowingCaption shows.
QString captionOfTitle(const QString &title);

} // namespace tunelet
