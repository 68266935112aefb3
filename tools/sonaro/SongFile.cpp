#include "tools/sonaro/SongFile.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

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

qsizetype characterCount(const QString &text)
{
    return text.size() -
           std::count_if(text.cbegin(), text.cend(), [](QChar c) { return c.isLowSurrogate(); });
}

QString elided(const QString &text, qsizetype maxCharacters)
{
    if (characterCount(text) <= maxCharacters)
        return text;
    qsizetype units = 0;
    for (qsizetype kept = 0; kept < maxCharacters - 1 && units < text.size(); ++kept)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units) + QChar(0x2026);
}

QString windowTitle(const QString &title, qint64 wholeSeconds)
{
    // The total time is found after the first "→ " and the first "：" after it, so the
    // song's own title must hold neither, and a reader takes the first 255 characters
    // of a window's text, so a long title is shortened to leave the total in them.
    QString shown = title;
    shown.replace(QChar(0x2192), QLatin1String("->"));
    shown.replace(QChar(0xFF1A), QLatin1Char(':'));
    const QString total = QString::fromStdString(songdata::formatMinutesSeconds(wholeSeconds));
    const QString prefix = QStringLiteral("Sonaro - ");
    const QString arrow = QStringLiteral(" \u2192 ");
    const qsizetype room = kMaxWindowTitleCharacters - prefix.size() - arrow.size() - total.size();
    return prefix + elided(shown, room) + arrow + total;
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
    // Opened by its bytes: Qt's file names are text, which such a name is not. Opened
    // without waiting, so a FIFO or a device cannot hold the player up before it is
    // refused as no regular file.
    const int fd = S_ISDIR(st.st_mode)
                       ? -1
                       : ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        loaded.error = QStringLiteral("通常のファイルではありません: %1").arg(shownName);
        return loaded;
    }
    QFile file;
    if (fd < 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
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
    loaded.title = elided(loaded.title, kMaxWindowTitleCharacters);
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
