#include "platform/core/ResourceShortage.h"

#include <cerrno>
#include <cstring>

namespace tunelet
{

QString shortageText(int errorNumber)
{
    switch (errorNumber) {
    case EMFILE:
    case ENFILE:
        return QStringLiteral("ファイル記述子が足りません（同時に開けるファイルの数が上限です）");
    case EAGAIN:
        return QStringLiteral("プロセスを作れません（プロセスの数が上限です）");
    case ENOMEM:
        return QStringLiteral("メモリが足りません");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空きが足りません");
    case EFBIG:
        return QStringLiteral("ファイルの大きさが上限を超えます");
    default:
        return {};
    }
}

QString shortageText(const QString &systemReason)
{
    if (systemReason.isEmpty())
        return {};
    for (const int code : {EMFILE, ENFILE, EAGAIN, ENOMEM, ENOSPC, EDQUOT, EFBIG})
        if (systemReason.endsWith(QString::fromLocal8Bit(std::strerror(code))))
            return shortageText(code);
    return {};
}

namespace
{

QString withLine(const QString &message, const QString &line)
{
    return line.isEmpty() ? message : message + QLatin1Char('\n') + line;
}

} // namespace

QString withShortage(const QString &message, int errorNumber)
{
    return withLine(message, shortageText(errorNumber));
}

QString withShortage(const QString &message, const QString &systemReason)
{
    return withLine(message, shortageText(systemReason));
}

} // namespace tunelet
