#include "playlist/Pruning.h"

#include "playlist/PlaylistModel.h"

#include "platform/core/ByteFile.h"
#include "platform/core/LocaleCompare.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <vector>

namespace tunelet
{

int removeMissingEntries(PlaylistModel &model)
{
    QList<int> missing;
    for (int row = model.count() - 1; row >= 0; --row) {
        if (!isExistingFile(model.path(row)))
            missing.append(row);
    }
    model.removeEntries(missing);
    return int(missing.size());
}

namespace
{
char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
}

// A path as a key for duplicate removal. An ASCII path is its own key, hashed
// and compared with its letters lower-cased (as its decoded text folds); any
// other path's key is its case-folded text as UTF-8, taken exactly. So two keys
// are equal exactly when the paths are the same text ignoring case.
struct FoldedPath {
    QByteArrayView bytes;
    bool exact = false; // already folded

    char at(qsizetype i) const { return exact ? bytes[i] : asciiLower(bytes[i]); }

    friend bool operator==(const FoldedPath &a, const FoldedPath &b)
    {
        if (a.bytes.size() != b.bytes.size())
            return false;
        for (qsizetype i = 0; i < a.bytes.size(); ++i)
            if (a.at(i) != b.at(i))
                return false;
        return true;
    }
    friend size_t qHash(const FoldedPath &key, size_t seed)
    {
        if (key.exact)
            return qHashBits(key.bytes.data(), size_t(key.bytes.size()), seed);
        std::array<char, 512> lowered;
        if (key.bytes.size() > qsizetype(lowered.size())) {
            const QByteArray copy = key.bytes.toByteArray().toLower();
            return qHashBits(copy.constData(), size_t(copy.size()), seed);
        }
        std::transform(key.bytes.begin(), key.bytes.end(), lowered.begin(), asciiLower);
        return qHashBits(lowered.data(), size_t(key.bytes.size()), seed);
    }
};

bool isAscii(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; });
}
} // namespace

int removeDuplicateEntries(PlaylistModel &model)
{
    QSet<FoldedPath> seen;
    seen.reserve(model.count());
    std::vector<QByteArray> folded; // the keys of the paths that are not ASCII
    QList<int> duplicates;
    for (int row = 0; row < model.count(); ++row) {
        const QByteArray &path = model.entry(row).path;
        FoldedPath key{path};
        if (!isAscii(path)) {
            folded.push_back(LocaleCompare::caseFoldedKey(path).toUtf8());
            key = {folded.back(), true};
        }
        const qsizetype before = seen.size();
        seen.insert(key);
        if (seen.size() == before)
            duplicates.append(row);
    }
    model.removeEntries(duplicates);
    return int(duplicates.size());
}

QString removedMissingMessage(int count)
{
    return QString::number(count) + QStringLiteral("個の存在しないファイルを削除しました。");
}

QString removedDuplicatesMessage(int count)
{
    return QString::number(count) + QStringLiteral("個の重複ファイルを削除しました。");
}

} // namespace tunelet
