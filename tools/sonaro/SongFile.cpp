#include "tools/sonaro/SongFile.h"

#include <QFile>
#include <QStringDecoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

LoadedSong loadSongFile(const QByteArray &path)
{
    LoadedSong loaded;
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    const QString shownName = decodeText(name.toStdString());
    loaded.title = shownName;
    if (path.isEmpty()) {
        loaded.error = QStringLiteral("ファイルが指定されていません");
        return loaded;
    }
    struct stat st {
    };
    if (::stat(path.constData(), &st) != 0) {
        loaded.error = QStringLiteral("ファイルが見つかりません: %1").arg(shownName);
        return loaded;
    }
    // Opened by its bytes: Qt's file names are text, which such a name is not.
    const int fd = S_ISDIR(st.st_mode) ? -1 : ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        loaded.error = QStringLiteral("ファイルを読めません: %1").arg(shownName);
        return loaded;
    }
    if (file.size() > kMaxSongFileBytes) {
        loaded.error = QStringLiteral("ファイルが大きすぎます: %1").arg(shownName);
        return loaded;
    }
    const QByteArray bytes = file.read(kMaxSongFileBytes + 1);
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (songdata::looksBinary(view)) {
        loaded.error = QStringLiteral("曲データではありません: %1").arg(shownName);
        return loaded;
    }
    loaded.song = songdata::parseSong(view);
    if (loaded.song.hasTitle && !loaded.song.title.empty())
        loaded.title = decodeText(loaded.song.title);
    return loaded;
}

LoadedSong loadSongFile(const QString &path)
{
    return loadSongFile(QFile::encodeName(path));
}

QByteArray fileArgument(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '*')
            return QByteArray(argv[i]);
    }
    return {};
}

} // namespace sonaro
