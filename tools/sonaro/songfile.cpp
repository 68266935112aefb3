#include "songfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace sonaro
{

QString decodeText(const std::string &bytes)
{
    const QByteArray raw = QByteArray::fromStdString(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(raw);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis("Shift_JIS");
    return sjis.isValid() ? sjis(raw) : QString::fromLatin1(raw);
}

QString windowTitle(const QString &title, qint64 wholeSeconds)
{
    // The total time is found after the first "→ " and the first "：" after it, so the
    // song's own title must hold neither.
    QString shown = title;
    shown.replace(QChar(0x2192), QLatin1String("->"));
    shown.replace(QChar(0xFF1A), QLatin1Char(':'));
    return QStringLiteral("Sonaro - %1 \u2192 %2")
        .arg(shown, QString::fromStdString(songdata::formatMinutesSeconds(wholeSeconds)));
}

LoadedSong loadSongFile(const QString &path)
{
    LoadedSong loaded;
    const QFileInfo info(path);
    loaded.title = info.fileName();
    if (path.isEmpty()) {
        loaded.error = QStringLiteral("ファイルが指定されていません");
        return loaded;
    }
    if (!info.exists()) {
        loaded.error = QStringLiteral("ファイルが見つかりません: %1").arg(info.fileName());
        return loaded;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        loaded.error = QStringLiteral("ファイルを読めません: %1").arg(info.fileName());
        return loaded;
    }
    if (file.size() > kMaxSongFileBytes) {
        loaded.error = QStringLiteral("ファイルが大きすぎます: %1").arg(info.fileName());
        return loaded;
    }
    const QByteArray bytes = file.read(kMaxSongFileBytes + 1);
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (songdata::looksBinary(view)) {
        loaded.error = QStringLiteral("曲データではありません: %1").arg(info.fileName());
        return loaded;
    }
    loaded.song = songdata::parseSong(view);
    if (loaded.song.hasTitle && !loaded.song.title.empty())
        loaded.title = decodeText(loaded.song.title);
    return loaded;
}

} // namespace sonaro
