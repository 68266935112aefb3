#pragma once

#include <QString>

namespace tunelet
{

class PlaylistModel;

// Both removals leave PlayIndex unchanged. On an empty list the commands show
// nothing, so callers check PlaylistModel::isEmpty() first.

// Removes, from the last row up, every row whose path names no existing
// regular file (a folder counts as missing; a relative path is taken against
// the current working folder). Returns the number removed.
int removeMissingEntries(PlaylistModel &model);

// Of each group of rows whose paths are the same text ignoring letter case,
// keeps only the topmost; the others keep their order. Returns the number
// removed. Linear time: one hash of a case-folded key per row.
int removeDuplicateEntries(PlaylistModel &model);

// "<count>個の存在しないファイルを削除しました。"
QString removedMissingMessage(int count);
// "<count>個の重複ファイルを削除しました。"
QString removedDuplicatesMessage(int count);

} // namespace tunelet
