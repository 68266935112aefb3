#include "playlist/Pruning.h"

#include "playlist/PlaylistModel.h"

#include "platform/core/ByteFile.h"
#include "platform/core/LocaleCompare.h"

#include <QSet>

#include <algorithm>
#include <cstring>
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
constexpr quint64 kOnes = 0x0101010101010101;
constexpr quint64 kHighBits = 0x8080808080808080;

// Up to eight bytes of a key as one word (missing bytes zero).
quint64 wordAt(QByteArrayView bytes, qsizetype i)
{
    quint64 word = 0;
    if (bytes.size() - i >= 8)
        std::memcpy(&word, bytes.data() + i, 8); // a single load
    else
        std::memcpy(&word, bytes.data() + i, size_t(bytes.size() - i));
    return word;
}

// The eight bytes with A-Z lower-cased, for bytes below 0x80.
quint64 asciiLowerWord(quint64 word)
{
    const quint64 atLeastA = word + (0x80 - 'A') * kOnes;
    const quint64 aboveZ = word + (0x80 - 'Z' - 1) * kOnes;
    return word | (((atLeastA & ~aboveZ) & kHighBits) >> 2);
}

bool isAscii(QByteArrayView bytes)
{
    quint64 any = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 8)
        any |= wordAt(bytes, i);
    return (any & kHighBits) == 0;
}

// A path as a key for duplicate removal. An ASCII path is its own key, hashed
// and compared with its letters lower-cased (as its decoded text folds); any
// other path's key is its case-folded text as UTF-8, taken exactly. So two keys
// are equal exactly when the paths are the same text ignoring case.
struct FoldedPath {
    QByteArrayView bytes;
    bool exact = false; // already folded

    quint64 word(qsizetype i) const
    {
        const quint64 w = wordAt(bytes, i);
        return exact ? w : asciiLowerWord(w);
    }

    friend bool operator==(const FoldedPath &a, const FoldedPath &b)
    {
        if (a.bytes.size() != b.bytes.size())
            return false;
        for (qsizetype i = 0; i < a.bytes.size(); i += 8)
            if (a.word(i) != b.word(i))
                return false;
        return true;
    }
    // Word by word over the lower-cased bytes, so an ASCII key and an exact
    // key with the same bytes after lower-casing hash alike.
    friend size_t qHash(const FoldedPath &key, size_t seed)
    {
        quint64 h = quint64(seed) ^ quint64(key.bytes.size());
        for (qsizetype i = 0; i < key.bytes.size(); i += 8) {
            h = (h ^ key.word(i)) * 0x9e3779b97f4a7c15;
            h ^= h >> 32;
        }
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccd;
        h ^= h >> 33;
        return size_t(h);
    }
};
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
