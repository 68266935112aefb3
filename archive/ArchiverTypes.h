#pragma once

#include "archive/ArchiverApi.h"
#include "platform/core/FileErrors.h"

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>

// Types shared by the archive component, its option set and its back-ends.

using WindowHandle = ArcWindow;  // an owner window, 0 = none
using ArchiveHandle = ArcHandle; // a library's open archive, 0 = failure
using TArchiveEntryInfo = ArcEntryInfo;

// Stored in form files by name; the ordinals are fixed.
enum class TArchiverType : std::uint8_t {
    atLha = 0,
    atZip = 1,
    atCab = 2,
    atArj = 3,
    atTar = 4,
    atTgz = 5,
    atBZ2 = 6,
    atRar = 7,
    atBga = 8,
    atYz1 = 9,
    atNone = 10,
    atAutoDetect = 11,
};

enum class TPackFilter : std::uint8_t { pfArchiver = 0, pfComponent = 1 };

enum class TResFileUse : std::uint8_t {
    ruOnPack = 0,
    ruOnUnpack = 1,
    ruOnRemoveItem = 2,
    ruOnUpdate = 3,
};

// A set of TResFileUse, one bit each (1, 2, 4, 8).
class TResFileUsage final
{
public:
    constexpr TResFileUsage() = default;
    constexpr TResFileUsage(std::initializer_list<TResFileUse> uses)
    {
        for (auto use : uses)
            m_bits |= bit(use);
    }
    static constexpr TResFileUsage fromBits(std::uint8_t bits)
    {
        TResFileUsage usage;
        usage.m_bits = bits & 0x0F;
        return usage;
    }
    constexpr bool contains(TResFileUse use) const { return (m_bits & bit(use)) != 0; }
    constexpr void include(TResFileUse use) { m_bits |= bit(use); }
    constexpr void exclude(TResFileUse use) { m_bits &= static_cast<std::uint8_t>(~bit(use)); }
    constexpr std::uint8_t bits() const { return m_bits; }
    friend constexpr bool operator==(TResFileUsage, TResFileUsage) = default;

private:
    static constexpr std::uint8_t bit(TResFileUse use)
    {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(use));
    }
    std::uint8_t m_bits = 0;
};

// The member path of an entry record: NUL-terminated, at most 513 bytes with the terminator.
QByteArray entryFileName(const TArchiveEntryInfo &info);

// The absent string value of option strings and of the component's file name.
inline QByteArray nulString()
{
    return QByteArray(1, '\0');
}
inline bool isNulString(const QByteArray &s)
{
    return s.size() == 1 && s.at(0) == '\0';
}

// Every error raised by the archive subsystem; carries only its message (UTF-8).
class EArchiver : public std::runtime_error
{
public:
    explicit EArchiver(const QByteArray &message) : std::runtime_error(message.toStdString()) {}
    QByteArray message() const { return QByteArray(what()); }
};

// The class library's error for assigning an object to one of an unrelated class.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The class library's file errors, shared with the rest of the program.
using tunelet::EFCreateError;
using tunelet::EFOpenError;
using tunelet::EInOutError;
