#include "platform/core/ResourceShortage.h"

#include <cerrno>

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

QString withShortage(const QString &message, int errorNumber)
{
    const QString shortage = shortageText(errorNumber);
    return shortage.isEmpty() ? message : message + QLatin1Char('\n') + shortage;
}

} // namespace tunelet
