#include "app/ChosenNames.h"

#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"

namespace tunelet
{

namespace
{
// U+FFFD REPLACEMENT CHARACTER in UTF-8.
constexpr char replacementCharacter[] = "\xEF\xBF\xBD";
} // namespace

std::optional<QByteArray> firstAlteredName(const QByteArrayList &names)
{
    for (const QByteArray &name : names) {
        // A name that really holds the character names an existing file.
        if (name.contains(replacementCharacter) && pathKind(name) == PathKind::Missing)
            return name;
    }
    return std::nullopt;
}

QString alteredNameMessage(const QByteArray &name, bool dropHint)
{
    QString text = QStringLiteral("%1\nこのファイル名には表示できない文字が含まれているため、"
                                  "ダイアログからは扱えません。")
                       .arg(decodeText(name));
    if (dropHint)
        text += QStringLiteral("\nファイルをウィンドウにドロップしてください。");
    return text;
}

} // namespace tunelet
