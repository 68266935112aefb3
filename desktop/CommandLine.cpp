#include "desktop/CommandLine.h"

#include "desktop/MprisRules.h"

namespace tunelet
{

namespace
{

// An absolute path without "." and ".." steps and doubled slashes, worked out
// on the text alone: the name stays as the user wrote it, links included.
QByteArray cleanAbsolute(const QByteArray &path)
{
    QByteArrayList steps;
    for (const QByteArray &step : path.split('/')) {
        if (step.isEmpty() || step == ".")
            continue;
        if (step == "..") {
            if (!steps.isEmpty())
                steps.removeLast();
            continue;
        }
        steps << step;
    }
    return '/' + steps.join('/');
}

} // namespace

QByteArrayList filesFromArguments(const QByteArrayList &arguments, const QByteArray &currentFolder)
{
    QByteArrayList files;
    bool optionsEnded = false;
    for (const QByteArray &argument : arguments) {
        if (argument == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (argument.isEmpty())
            continue;
        if (const std::optional<QByteArray> path = mpris::pathOfFileUrl(argument))
            files << *path;
        else if (argument.startsWith('/'))
            files << argument;
        else
            files << cleanAbsolute(currentFolder + '/' + argument);
    }
    return files;
}

QByteArrayList argumentsOf(int argc, const char *const *argv)
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

} // namespace tunelet
