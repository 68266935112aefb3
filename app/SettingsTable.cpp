#include "app/SettingsTable.h"

#include "platform/core/IniFile.h"

#include <algorithm>
#include <cstddef>

namespace tunelet
{

namespace
{

using S = Setting;
using T = SettingType;
using D = SettingDefault;

constexpr std::array kTable{
    SettingRow{S::Version, "Software", "Version", T::Integer, D::Fixed, SettingsVersion, nullptr},
    SettingRow{S::Top, "Window", "Top", T::Integer, D::Fixed, 100, nullptr},
    SettingRow{S::Left, "Window", "Left", T::Integer, D::Fixed, 100, nullptr},
    SettingRow{S::Height, "Window", "Height", T::Integer, D::CurrentValue, 290, nullptr},
    SettingRow{S::Width, "Window", "Width", T::Integer, D::CurrentValue, 423, nullptr},
    SettingRow{S::Top2, "Window", "Top2", T::Integer, D::Fixed, 100, nullptr},
    SettingRow{S::Left2, "Window", "Left2", T::Integer, D::Fixed, 100, nullptr},
    SettingRow{S::Height2, "Window", "Height2", T::Integer, D::MainHeight, 0, nullptr},
    SettingRow{S::Width2, "Window", "Width2", T::Integer, D::MainWidth, 0, nullptr},
    SettingRow{S::ColumnHEAD, "Window", "ColumnHEAD", T::Integer, D::Fixed, 251, nullptr},
    SettingRow{S::ColumnFileName, "Window", "ColumnFileName", T::Integer, D::Fixed, 144, nullptr},
    SettingRow{S::SonaroPath, "Setting", "SonaroPath", T::String, D::Fixed, 0, ""},
    SettingRow{S::EditorPath, "Setting", "EditorPath", T::String, D::Fixed, 0, "NotePad"},
    SettingRow{S::mid2snrPath, "Setting", "mid2snrPath", T::String, D::Fixed, 0, ""},
    SettingRow{S::RepeatPlay, "Setting", "RepeatPlay", T::Boolean, D::Fixed, 1, nullptr},
    SettingRow{S::ListOpen, "Setting", "ListOpen", T::Boolean, D::Fixed, 1, nullptr},
    SettingRow{S::StayOnTop, "Setting", "StayOnTop", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::SaveList, "Setting", "SaveList", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::PlayMinimize, "Setting", "PlayMinimize", T::Boolean, D::Fixed, 1, nullptr},
    SettingRow{S::CloseSonaro, "Setting", "CloseSonaro", T::Boolean, D::Fixed, 1, nullptr},
    SettingRow{S::CompactMode, "Setting", "CompactMode", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::TaskTray, "Setting", "TaskTray", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::DataView, "Setting", "DataView", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::LzhHEAD, "Setting", "LzhHEAD", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::PlayMember, "Setting", "PlayMember", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::PlayFinger, "Setting", "PlayFinger", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::PlayScore, "Setting", "PlayScore", T::Boolean, D::Fixed, 0, nullptr},
    SettingRow{S::PlayMode, "Setting", "PlayMode", T::Integer, D::Fixed, 0, nullptr},
    SettingRow{S::FileName, "File", "FileName", T::String, D::Fixed, 0, ""},
    SettingRow{S::IniDir, "File", "IniDir", T::String, D::ProgramFolder, 0, nullptr},
    SettingRow{S::IniDir2, "File", "IniDir2", T::String, D::ProgramFolder, 0, nullptr},
};

constexpr std::array kStartRead{
    S::Top,         S::Left,           S::Height,       S::Width,
    S::ColumnHEAD,  S::ColumnFileName, S::SonaroPath,   S::EditorPath,
    S::mid2snrPath, S::FileName,       S::RepeatPlay,   S::ListOpen,
    S::StayOnTop,   S::SaveList,       S::PlayMinimize, S::CloseSonaro,
    S::CompactMode, S::TaskTray,       S::DataView,     S::LzhHEAD,
    S::PlayMember,  S::PlayFinger,     S::PlayScore,    S::IniDir,
    S::IniDir2,     S::PlayMode,
};

constexpr std::array kShowRead{S::Top2, S::Left2, S::Height2, S::Width2};

// SaveList follows CloseSonaro here, unlike the reading order.
constexpr std::array kExitWrite{
    S::Top,        S::Left,         S::Height,      S::Width,          S::Top2,        S::Left2,
    S::Height2,    S::Width2,       S::ColumnHEAD,  S::ColumnFileName, S::IniDir,      S::IniDir2,
    S::SonaroPath, S::EditorPath,   S::mid2snrPath, S::FileName,       S::RepeatPlay,  S::ListOpen,
    S::StayOnTop,  S::PlayMinimize, S::CloseSonaro, S::SaveList,       S::CompactMode, S::TaskTray,
    S::DataView,   S::LzhHEAD,      S::PlayMember,  S::PlayFinger,     S::PlayScore,   S::PlayMode,
};

constexpr bool tableIsIndexedById()
{
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (static_cast<std::size_t>(kTable[i].id) != i)
            return false;
    return true;
}
static_assert(tableIsIndexedById(), "rows must follow the order of the Setting enumeration");

} // namespace

const SettingRow &settingRow(Setting id)
{
    return kTable[static_cast<std::size_t>(id)];
}

std::span<const SettingRow> settingTable()
{
    return kTable;
}

std::span<const Setting> startReadOrder()
{
    return kStartRead;
}

std::span<const Setting> showReadOrder()
{
    return kShowRead;
}

std::span<const Setting> exitWriteOrder()
{
    return kExitWrite;
}

QVariant fixedDefault(const SettingRow &row)
{
    switch (row.type) {
    case SettingType::Integer:
        break;
    case SettingType::Boolean:
        return row.intDefault != 0;
    case SettingType::String:
        return QByteArray(row.textDefault);
    }
    return row.intDefault;
}

IniEntry settingEntry(const SettingRow &row, const QVariant &value)
{
    QByteArray text;
    switch (row.type) {
    case SettingType::Integer:
        text = QByteArray::number(value.toInt());
        break;
    case SettingType::Boolean:
        text = value.toBool() ? "1" : "0";
        break;
    case SettingType::String:
        text = value.toByteArray();
        break;
    }
    return {row.section, row.key, text};
}

QVariant readSetting(const IniFile &ini, const SettingRow &row, const QVariant &fallback)
{
    switch (row.type) {
    case SettingType::Integer:
        break;
    case SettingType::Boolean:
        return ini.readBool(row.section, row.key, fallback.toBool());
    case SettingType::String:
        return ini.readString(row.section, row.key, fallback.toByteArray());
    }
    return ini.readInteger(row.section, row.key, fallback.toInt());
}

} // namespace tunelet
