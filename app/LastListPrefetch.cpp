#include "app/LastListPrefetch.h"

#include "app/SettingsTable.h"
#include "platform/core/ByteFile.h"
#include "platform/core/IniFile.h"

namespace tunelet
{

std::unique_ptr<ListPrefetch> prefetchLastList(const QByteArray &settingsPath)
{
    const IniFile ini(settingsPath);
    const auto read = [&ini](Setting id) {
        const SettingRow &row = settingRow(id);
        return readSetting(ini, row, fixedDefault(row));
    };
    const QByteArray list = read(Setting::FileName).toByteArray();
    if (!read(Setting::ListOpen).toBool() || !isExistingFile(list))
        return nullptr;
    return std::make_unique<ListPrefetch>(list);
}

} // namespace tunelet
