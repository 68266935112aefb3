#include "playback/PlayerParameters.h"

#include "platform/core/TextCodec.h"
#include "platform/process/ArgumentText.h"

namespace tunelet
{

QString playerParameters(const QByteArray &path, const SongSwitches &switches)
{
    // A Linux file name may hold a double quote; unescaped it would end the
    // quoted path early and the player would be given another file.
    QString quoted = argumentText(path); // the path's bytes survive the parameter string
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\"\""));
    QString parameters = QLatin1Char('"') + quoted + QStringLiteral("\" *p *x");
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
