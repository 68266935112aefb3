#include "tools/sonaro/Options.h"

namespace sonaro
{

Options parseOptions(const QStringList &arguments)
{
    Options o;
    bool haveFile = false;
    for (const QString &arg : arguments) {
        if (!arg.startsWith(QLatin1Char('*'))) {
            if (!haveFile) {
                o.file = arg;
                haveFile = true;
            }
            continue;
        }
        const QString sw = arg.mid(1).toLower();
        if (sw == QLatin1String("p"))
            o.playAtOnce = true;
        else if (sw == QLatin1String("x"))
            o.exclusive = true;
        else if (sw == QLatin1String("i"))
            o.minimized = true;
        else if (sw == QLatin1String("m"))
            o.members = true;
        else if (sw == QLatin1String("f"))
            o.finger = true;
        else if (sw == QLatin1String("s"))
            o.score = true;
        else if (sw == QLatin1String("a"))
            o.autoScroll = true;
    }
    return o;
}

} // namespace sonaro
