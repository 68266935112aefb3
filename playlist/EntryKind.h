#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tunelet
{

// A row's kind, decided by its path's extension; the value is also the row's
// icon index and is what is stored, so the numbers never change.
enum class EntryKind : int {
    Data = 0, // ".snr", ".txt", any other extension or none
    Midi = 1, // ".mid"
    Lzh = 2,  // ".lzh"
};

// The kind of a path by its lower-cased extension (lowerExtension).
EntryKind entryKindOf(QByteArrayView path);

inline int imageIndexOf(EntryKind kind)
{
    return static_cast<int>(kind);
}

} // namespace tunelet
