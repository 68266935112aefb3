#pragma once

#include <QVariant>

#include <array>
#include <span>

// The settings file's keys as data: each key's section, name, type and
// default, and the orders in which start-up, showing and exit walk them.
namespace tunelet
{

class IniFile;
struct IniEntry;

enum class SettingType { Integer, Boolean, String };

// Where a key's default comes from when it is not a fixed value.
enum class SettingDefault {
    Fixed,         // intDefault / textDefault
    CurrentValue,  // the value the window has now (so a missing key changes nothing)
    MainHeight,    // the main window's current height
    MainWidth,     // the main window's current width
    ProgramFolder, // the program folder, with its trailing '/'
};

enum class Setting {
    Version,
    Top,
    Left,
    Height,
    Width,
    Top2,
    Left2,
    Height2,
    Width2,
    ColumnHEAD,
    ColumnFileName,
    SonaroPath,
    EditorPath,
    mid2snrPath,
    RepeatPlay,
    ListOpen,
    StayOnTop,
    SaveList,
    PlayMinimize,
    CloseSonaro,
    CompactMode,
    TaskTray,
    DataView,
    LzhHEAD,
    PlayMember,
    PlayFinger,
    PlayScore,
    PlayMode,
    FileName,
    IniDir,
    IniDir2,
};

struct SettingRow {
    Setting id;
    const char *section;
    const char *key;
    SettingType type;
    SettingDefault from;
    int intDefault;
    const char *textDefault;
};

// The row of one key.
const SettingRow &settingRow(Setting id);

// Every row, in the order of the table.
std::span<const SettingRow> settingTable();

// Keys read while the main window is created, in reading order.
std::span<const Setting> startReadOrder();
// Keys read each time the main window is shown.
std::span<const Setting> showReadOrder();
// Keys written while the main window closes, in writing order.
std::span<const Setting> exitWriteOrder();

// A key's fixed default (intDefault or textDefault, as its type has it).
QVariant fixedDefault(const SettingRow &row);
// A key and its value as the file stores it: integers in decimal, booleans
// as "1" or "0", strings as they are.
IniEntry settingEntry(const SettingRow &row, const QVariant &value);
// A key's value read from the file as its type has it; fallback when absent.
QVariant readSetting(const IniFile &ini, const SettingRow &row, const QVariant &fallback);

// The value written to Version at every start.
inline constexpr int SettingsVersion = 105;

} // namespace tunelet
