#include "playlist/Sorting.h"

#include "playlist/EntryBuilder.h"
#include "playlist/PlaylistModel.h"
#include "playlist/RandomGenerator.h"

#include "playlist/RowBatch.h"

#include "platform/core/TextCodec.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace tunelet
{

namespace
{
// The text a key compares: the caption for ±1, the path for ±2, nothing for
// other sub-items (rows have no sub-item after the path).
const QByteArray *sortField(const PlaylistEntry &e, int key)
{
    const int column = std::abs(key);
    if (column == TitleSortKey)
        return &e.caption;
    if (column == PathSortKey)
        return &e.path;
    return nullptr;
}

// Counts of remaining items over positions 1..n, answering "the k-th remaining"
// in O(log n) so the shuffle stays fast for large lists.
class RemainingIndex
{
public:
    explicit RemainingIndex(int n) : m_tree(size_t(n) + 1, 0)
    {
        for (int i = 1; i <= n; ++i) {
            m_tree[size_t(i)] += 1;
            const int parent = i + (i & -i);
            if (parent <= n)
                m_tree[size_t(parent)] += m_tree[size_t(i)];
        }
        m_top = 1;
        while (m_top * 2 <= n)
            m_top *= 2;
    }
    // Removes and returns the 0-based position of the k-th (0-based) remaining item.
    int take(int k)
    {
        int pos = 0;
        int left = k + 1;
        for (int step = m_top; step > 0; step /= 2) {
            const int next = pos + step;
            if (next < int(m_tree.size()) && m_tree[size_t(next)] < left) {
                pos = next;
                left -= m_tree[size_t(next)];
            }
        }
        for (int i = pos + 1; i < int(m_tree.size()); i += i & -i)
            m_tree[size_t(i)] -= 1;
        return pos;
    }

private:
    std::vector<int> m_tree;
    int m_top = 1;
};
} // namespace

int toggledSortKey(int current, int column)
{
    return std::abs(current) == column ? -current : column;
}

PlaylistSorter::PlaylistSorter(const QLocale &locale)
    : m_compare(locale), m_codePointOrder(locale.language() == QLocale::C)
{
}

void PlaylistSorter::sortByTitle(PlaylistModel &model)
{
    m_sortKey = toggledSortKey(m_sortKey, TitleSortKey);
    sort(model);
}

void PlaylistSorter::sortByPath(PlaylistModel &model)
{
    m_sortKey = toggledSortKey(m_sortKey, PathSortKey);
    sort(model);
}

int PlaylistSorter::ListView1Compare(const PlaylistEntry &a, const PlaylistEntry &b) const
{
    if (m_sortKey == NoSortKey)
        return 0;
    const QByteArray *fa = sortField(a, m_sortKey);
    const QByteArray *fb = sortField(b, m_sortKey);
    const int result = fa && fb ? m_compare.compare(*fa, *fb) : 0;
    return m_sortKey < 0 ? -result : result;
}

namespace
{
// The row order of an ascending (or descending) stable sort by the given keys.
template <typename Key> std::vector<int> sortedOrder(const std::vector<Key> &keys, bool descending)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return descending ? c > 0 : c < 0;
    });
    return order;
}

// In the C locale texts order by code points, which is the byte order of their
// UTF-8: a valid UTF-8 field is its own key, anything else is decoded first.
struct CodePointKey {
    QByteArrayView bytes;
    int row;
};

std::vector<int> codePointOrder(const QList<PlaylistEntry> &entries, int sortKey)
{
    std::vector<QByteArray> decoded; // the keys of fields that are not UTF-8
    std::vector<CodePointKey> keys;
    keys.reserve(size_t(entries.size()));
    for (const PlaylistEntry &e : entries) {
        const QByteArray &field = *sortField(e, sortKey);
        if (isValidUtf8(field)) {
            keys.push_back({field, int(keys.size())});
        } else {
            decoded.push_back(decodeText(field).toUtf8());
            keys.push_back({decoded.back(), int(keys.size())});
        }
    }
    // Equal keys keep their rows' order, as the stable sort does.
    const bool descending = sortKey < 0;
    std::sort(keys.begin(), keys.end(), [descending](const CodePointKey &a, const CodePointKey &b) {
        const int c = a.bytes.compare(b.bytes);
        if (c == 0)
            return a.row < b.row;
        return descending ? c > 0 : c < 0;
    });
    std::vector<int> order;
    order.reserve(keys.size());
    for (const CodePointKey &k : keys)
        order.push_back(k.row);
    return order;
}
} // namespace

void PlaylistSorter::sort(PlaylistModel &model) const
{
    const int n = model.count();
    if (n < 2 || m_sortKey == NoSortKey || std::abs(m_sortKey) > PathSortKey)
        return;
    // One key per row instead of decoding and collating per comparison.
    const bool descending = m_sortKey < 0;
    if (m_codePointOrder) {
        model.reorder(codePointOrder(model.entries(), m_sortKey));
        return;
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(n));
    for (const PlaylistEntry &e : model.entries())
        keys.push_back(m_compare.sortKey(*sortField(e, m_sortKey)));
    model.reorder(sortedOrder(keys, descending));
}

void shuffleEntries(EntryBuilder &builder, RandomGenerator &random)
{
    PlaylistModel &model = builder.model();
    const QList<PlaylistEntry> scratch = model.entries();
    model.clear();
    const int n = int(scratch.size());
    RemainingIndex remaining(n);
    // Each draw picks the next row; an archive row that is taken out is built
    // (and lets queued events run) right after its own draw, as one by one. A
    // data file that did not change since its title was read keeps its row.
    RowBatch batch(builder, RowBatch::Paths::All);
    try {
        for (int left = n; left > 0; --left) {
            const int j = int(random.draw(quint32(left)));
            batch.addAgain(scratch[remaining.take(j)]);
        }
        batch.finish();
    } catch (...) {
        model.setEntries(scratch);
        throw;
    }
    model.appendEntries(batch.takeBuilt());
}

} // namespace tunelet
