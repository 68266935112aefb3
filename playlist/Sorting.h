#pragma once

#include "playlist/PlaylistEntry.h"

#include "platform/core/LocaleCompare.h"

namespace tunelet
{

class EntryBuilder;
class PlaylistModel;
class RandomGenerator;

// SortKey values: +1/-1 caption ascending/descending, +2/-2 path
// ascending/descending, 0 no order yet.
enum SortKeyValue : int { NoSortKey = 0, TitleSortKey = 1, PathSortKey = 2 };

// The key after a click on a sort command: the same command again reverses the
// direction, any other starts ascending.
int toggledSortKey(int current, int column);

// Sorting by title or path, with the last sort's key (SortKey). Both sorts
// set PlayIndex to NoPlayIndex.
class PlaylistSorter final
{
public:
    explicit PlaylistSorter(const QLocale &locale = QLocale());

    int sortKey() const { return m_sortKey; }
    void setSortKey(int key) { m_sortKey = key; }

    // MMHEADSortClick / MMFileNameSortClick: toggle SortKey, then sort.
    void sortByTitle(PlaylistModel &model);
    void sortByPath(PlaylistModel &model);

    // Reorders all rows by the current key. The sort is stable: rows whose
    // keys compare equal keep their order. Captions, icons and paths stay.
    void sort(PlaylistModel &model) const;

    // Negative, zero or positive as row a sorts before, with or after row b:
    // 0 for key 0; captions for ±1; paths for ±2 (sub-items beyond the path
    // are empty); case-sensitive locale order; negated for negative keys.
    int ListView1Compare(const PlaylistEntry &a, const PlaylistEntry &b) const;

private:
    LocaleCompare m_compare;
    bool m_codePointOrder; // the C locale: plain code-point order
    int m_sortKey = NoSortKey;
};

// MMRandomSortClick: takes every row's path, removes all rows, then rebuilds
// the rows one by one in the order the program's random generator draws them
// from the remaining paths. A data file's title is read again when the file
// changed since the row's title was read; an unchanged file keeps its caption. PlayIndex becomes
// NoPlayIndex. An archive error ends the shuffle and the list goes back to
// what it was, instead of keeping only the rows rebuilt before the error.
void shuffleEntries(EntryBuilder &builder, RandomGenerator &random);

} // namespace tunelet
