#include "archive/ArchiverPaths.h"

#include "archive/ArchiverTypes.h"
#include "archive/DoubleByteText.h"

#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"

#include <QByteArrayList>

namespace
{

// "." and ".." resolved as written, repeated '/' collapsed; an absolute path stays absolute.
QByteArray cleanPath(const QByteArray &path)
{
    const bool absolute = path.startsWith('/');
    QByteArrayList kept;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == ".." && !kept.isEmpty() && kept.last() != "..")
            kept.removeLast();
        else if (part != ".." || !absolute)
            kept.append(part);
    }
    const QByteArray joined = kept.join('/');
    if (absolute)
        return '/' + joined;
    return joined.isEmpty() ? QByteArray(".") : joined;
}

bool endsWithLoneLeadByte(const QByteArray &text)
{
    const bool shiftJis = doublebyte::readsAsShiftJis(text);
    qsizetype last = -1;
    for (qsizetype i = 0; i < text.size(); i += doublebyte::charLength(text, i, shiftJis))
        last = i;
    return shiftJis && last == text.size() - 1 &&
           doublebyte::isLeadByte(static_cast<unsigned char>(text.at(last)));
}

} // namespace

QByteArray ExpandFileName(const QByteArray &path)
{
    if (path.isEmpty())
        return path;
    const QByteArray full = path.startsWith('/') ? path : tunelet::currentFolder() + '/' + path;
    QByteArray result = cleanPath(full);
    if (path.endsWith('/') && !result.endsWith('/'))
        result += '/';
    return result;
}

bool FileExists(const QByteArray &path)
{
    return tunelet::isExistingFile(path);
}

bool HoldsSeparatorBackslash(const QByteArray &path)
{
    return SeparatorsAsSlashes(path) != path;
}

QByteArray SeparatorsAsSlashes(const QByteArray &path)
{
    const bool shiftJis = doublebyte::readsAsShiftJis(path);
    QByteArray result;
    result.reserve(path.size());
    for (qsizetype i = 0; i < path.size();) {
        const qsizetype length = doublebyte::charLength(path, i, shiftJis);
        result += length == 1 && path.at(i) == '\\' ? QByteArray("/") : path.mid(i, length);
        i += length;
    }
    return result;
}

void RequireUnambiguousPath(const QByteArray &path, PathRole role)
{
    const QString shown = tunelet::decodeText(path);
    if (HoldsSeparatorBackslash(path) &&
        (path.startsWith('/') || tunelet::pathKind(path) != tunelet::PathKind::Missing)) {
        throw EArchiver(QStringLiteral("「%1」は名前に \\ を含むため扱えません（\\ "
                                       "はフォルダの区切りとして読まれます）。")
                            .arg(shown)
                            .toUtf8());
    }
    if (role == PathRole::TargetFolder && endsWithLoneLeadByte(path)) {
        throw EArchiver(QStringLiteral("「%1」は名前の終わりが 2 バイト文字の途中のため、"
                                       "展開先のフォルダにできません。")
                            .arg(shown)
                            .toUtf8());
    }
}

QByteArray ExpandArchivePath(const QByteArray &path)
{
    RequireUnambiguousPath(path);
    return ExpandFileName(SeparatorsAsSlashes(path));
}
