// Start-up, showing and shut-down of the main window, and the settings file
// they read and write. The keys, their types and defaults and the orders in
// which they are walked are data (SettingsTable); this file binds each key
// to the value it mirrors in the window.
#include "app/Unit1.h"
#include "app/Unit2.h"

#include "app/OuterFrame.h"
#include "platform/core/ByteFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/ProgramFolder.h"
#include "platform/core/ResourceShortage.h"
#include "platform/core/TextCodec.h"

#include <QAction>
#include <QHeaderView>
#include <QTreeView>

using tunelet::Setting;
using tunelet::SettingDefault;
using tunelet::SettingSpec;
using tunelet::SettingType;

void TForm1::FormCreate()
{
    RewindHeld = false;

    tunelet::IniFile ini(SettingsPath());
    const bool writable = WriteSetting(ini, Setting::Version);
    for (Setting id : tunelet::startReadOrder()) {
        // A file that cannot be written is not read either: the window keeps
        // its design state.
        if (writable)
            ReadSetting(ini, id);
        else
            ApplySetting(id, DefaultSetting(tunelet::settingSpec(id)));
    }
    if (!writable)
        ReportWriteFailure(ini.errorString());
    else
        Frame().keepOnScreens();

    HelpFile = tunelet::helpFilePath();
    setAcceptDrops(true);
    if (!writable)
        return;

    if (MMStayOnTop->isChecked())
        ApplyStayOnTop();
    // A tray that refuses the icon throws: the rest of the start-up is skipped.
    if (MMTaskTray->isChecked())
        ShowTrayIconAtStart();
    if (MMCompactMode->isChecked())
        EnterCompactHeight();
    if (MMListOpen->isChecked() && tunelet::isExistingFile(FileName)) {
        OpenDialog1.FileName = FileName;
        SaveDialog1.FileName = FileName;
        LoadListFile(FileName);
    }
}

void TForm1::FormShow()
{
    const tunelet::IniFile ini(SettingsPath());
    for (Setting id : tunelet::showReadOrder())
        ReadSetting(ini, id);
    if (m_form2)
        m_form2->Frame().keepOnScreens();
    if (MMDataView->isChecked() && m_form2)
        m_form2->show();
}

void TForm1::FormCloseQuery(bool &CanClose)
{
    CanClose = true;
    hide();

    if (MMSaveList->isChecked()) {
        const QByteArray savedList = ProgramFolder() + "tunelet.ppl";
        // A list that cannot be written is reported; the settings are still
        // written, and FileName keeps naming the list that does exist.
        try {
            SaveListFile(savedList);
            FileName = savedList;
        } catch (const std::exception &e) {
            ShowError(QString::fromUtf8(e.what()));
        }
    }

    // The next change of height must leave compact mode's check mark alone.
    m_resizeAttached = false;
    RestoreFullHeight();

    // All keys go to the file in one rewrite: quicker than one synced
    // rewrite per key, and a failure leaves the old file whole.
    QList<tunelet::IniEntry> entries;
    for (Setting id : tunelet::exitWriteOrder())
        entries << SettingEntry(id);
    tunelet::IniFile ini(SettingsPath());
    if (!ini.writeStrings(entries))
        ReportWriteFailure(ini.errorString());
}

void TForm1::ReportWriteFailure(const QString &reason)
{
    Dlg().beep();
    // When the system ran out of something (disk space), a second line says what.
    Dlg().message(
        isVisible() ? this : nullptr,
        tunelet::withShortage(
            QStringLiteral("%1 に書き込めません").arg(tunelet::decodeText(SettingsPath())),
            reason));
}

tunelet::IniEntry TForm1::SettingEntry(Setting id) const
{
    const SettingSpec &setting = tunelet::settingSpec(id);
    const QVariant value = CurrentSetting(id);
    QByteArray text;
    switch (setting.type) {
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
    return {setting.section, setting.key, text};
}

bool TForm1::WriteSetting(tunelet::IniFile &ini, Setting id)
{
    return ini.writeStrings({SettingEntry(id)});
}

void TForm1::ReadSetting(const tunelet::IniFile &ini, Setting id)
{
    const SettingSpec &setting = tunelet::settingSpec(id);
    const QVariant fallback = DefaultSetting(setting);
    switch (setting.type) {
    case SettingType::Integer:
        ApplySetting(id, ini.readInteger(setting.section, setting.key, fallback.toInt()));
        break;
    case SettingType::Boolean:
        ApplySetting(id, ini.readBool(setting.section, setting.key, fallback.toBool()));
        break;
    case SettingType::String:
        ApplySetting(id, ini.readString(setting.section, setting.key, fallback.toByteArray()));
        break;
    }
}

QVariant TForm1::DefaultSetting(const SettingSpec &setting) const
{
    switch (setting.from) {
    case SettingDefault::Fixed:
        if (setting.type == SettingType::String)
            return QByteArray(setting.textDefault);
        if (setting.type == SettingType::Boolean)
            return setting.intDefault != 0;
        return setting.intDefault;
    case SettingDefault::CurrentValue:
        return CurrentSetting(setting.id);
    case SettingDefault::MainHeight:
        return Frame().geometry().height();
    case SettingDefault::MainWidth:
        return Frame().geometry().width();
    case SettingDefault::ProgramFolder:
        return ProgramFolder();
    }
    return {};
}

QAction *TForm1::OptionAction(Setting id) const
{
    switch (id) {
    case Setting::RepeatPlay:
        return MMRepeat;
    case Setting::ListOpen:
        return MMListOpen;
    case Setting::StayOnTop:
        return MMStayOnTop;
    case Setting::SaveList:
        return MMSaveList;
    case Setting::PlayMinimize:
        return MMPlayMinimize;
    case Setting::CloseSonaro:
        return MMCloseSonaro;
    case Setting::CompactMode:
        return MMCompactMode;
    case Setting::TaskTray:
        return MMTaskTray;
    case Setting::DataView:
        return MMDataView;
    case Setting::LzhHEAD:
        return MMLzhHEAD;
    case Setting::PlayMember:
        return MMSWMember;
    case Setting::PlayFinger:
        return MMSWFinger;
    case Setting::PlayScore:
        return MMSWScore;
    default:
        return nullptr;
    }
}

QVariant TForm1::CurrentSetting(Setting id) const
{
    if (const QAction *option = OptionAction(id))
        return option->isChecked();
    // Positions and sizes are those of the outer frames.
    const QRect main = Frame().geometry();
    const QRect viewer =
        m_form2 ? m_form2->Frame().geometry() : QRect(QPoint(100, 100), main.size());
    switch (id) {
    case Setting::Version:
        return tunelet::SettingsVersion;
    case Setting::Top:
        return main.top();
    case Setting::Left:
        return main.left();
    case Setting::Height:
        return main.height();
    case Setting::Width:
        return main.width();
    case Setting::Top2:
        return viewer.top();
    case Setting::Left2:
        return viewer.left();
    case Setting::Height2:
        return viewer.height();
    case Setting::Width2:
        return viewer.width();
    case Setting::ColumnHEAD:
        return ListView1->header()->sectionSize(0);
    case Setting::ColumnFileName:
        return ListView1->header()->sectionSize(1);
    case Setting::SonaroPath:
        return SonaroPath;
    case Setting::EditorPath:
        return EditorPath;
    case Setting::mid2snrPath:
        return mid2snrPath;
    case Setting::FileName:
        return FileName;
    case Setting::IniDir:
        return OpenDialog1.InitialDir;
    case Setting::IniDir2:
        return OpenDialog2.InitialDir;
    case Setting::PlayMode: {
        // The index of the first checked item, walking them in order.
        const QAction *items[] = {MMListPlay, MMSinglePlay, MMRandomPlay};
        for (int i = 0; i < 3; ++i)
            if (items[i]->isChecked())
                return i;
        return 0;
    }
    default:
        return {};
    }
}

void TForm1::ApplySetting(Setting id, const QVariant &value)
{
    if (QAction *option = OptionAction(id)) {
        option->setChecked(value.toBool());
        return;
    }
    const int number = value.toInt();
    auto placeMain = [this](auto change) {
        QRect g = Frame().geometry();
        change(g);
        Frame().setGeometry(g);
    };
    auto placeViewer = [this](auto change) {
        if (!m_form2)
            return;
        QRect g = m_form2->Frame().geometry();
        change(g);
        m_form2->Frame().setGeometry(g);
    };
    switch (id) {
    case Setting::Top:
        placeMain([number](QRect &g) { g.moveTop(number); });
        break;
    case Setting::Left:
        placeMain([number](QRect &g) { g.moveLeft(number); });
        break;
    case Setting::Height:
        placeMain([number](QRect &g) { g.setHeight(number); });
        break;
    case Setting::Width:
        placeMain([number](QRect &g) { g.setWidth(number); });
        break;
    case Setting::Top2:
        placeViewer([number](QRect &g) { g.moveTop(number); });
        break;
    case Setting::Left2:
        placeViewer([number](QRect &g) { g.moveLeft(number); });
        break;
    case Setting::Height2:
        placeViewer([number](QRect &g) { g.setHeight(number); });
        break;
    case Setting::Width2:
        placeViewer([number](QRect &g) { g.setWidth(number); });
        break;
    case Setting::ColumnHEAD:
        ListView1->header()->resizeSection(0, number);
        break;
    case Setting::ColumnFileName:
        ListView1->header()->resizeSection(1, number);
        break;
    case Setting::SonaroPath:
        SonaroPath = value.toByteArray();
        break;
    case Setting::EditorPath:
        EditorPath = value.toByteArray();
        break;
    case Setting::mid2snrPath:
        mid2snrPath = value.toByteArray();
        break;
    case Setting::FileName:
        FileName = value.toByteArray();
        break;
    case Setting::IniDir:
        OpenDialog1.InitialDir = value.toByteArray();
        break;
    case Setting::IniDir2:
        OpenDialog2.InitialDir = value.toByteArray();
        break;
    case Setting::PlayMode:
        // Other values leave the design state: list play.
        if (number == 0)
            MMListPlayClick();
        else if (number == 1)
            MMSinglePlayClick();
        else if (number == 2)
            MMRandomPlayClick();
        break;
    default:
        break;
    }
}
