#include "playerparameters.h"

#include "core/textcodec.h"

namespace tunelet
{

QString playerParameters(const QByteArray &path, const SongSwitches &switches)
{
    QString parameters = QLatin1Char('"') + pathToQString(path) + QStringLiteral("\" *p *x");
    if (switches.minimized)
        parameters += QStringLiteral(" *i");
    if (switches.members)
        parameters += QStringLiteral(" *m");
    if (switches.finger)
        parameters += QStringLiteral(" *f");
    if (switches.score)
        parameters += QStringLiteral(" *s *a");
    return parameters;
}

QString converterCaption()
{
    return QStringLiteral("Tunelet - mid2snr実行中...");
}

QString playingCaption(int playIndex, const QByteArray &path)
{
    return QStringLiteral("Tunelet - <%1> ").arg(qint64(playIndex) + 1) + decodeText(path);
}

} // namespace tunelet
