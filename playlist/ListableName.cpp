#include "playlist/ListableName.h"

#include "platform/core/TextCodec.h"

namespace tunelet
{

bool isListableName(QByteArrayView path)
{
    for (const char c : path)
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
    return true;
}

QString unlistableNameMessage(const QByteArray &path)
{
    QByteArray shown = path;
    shown.replace('\r', "\\r").replace('\n', "\\n").replace('\0', "\\0");
    return QStringLiteral("ファイル %1 は名前に改行または NUL 文字を含むため、"
                          "リストに追加できません。")
        .arg(decodeText(shown));
}

EUnlistableName::EUnlistableName(const QByteArray &path) : EInOutError(unlistableNameMessage(path))
{
}

void requireListableName(const QByteArray &path)
{
    if (!isListableName(path))
        throw EUnlistableName(path);
}

} // namespace tunelet
