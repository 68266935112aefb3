// Start-up, showing and shut-down of the main window, and the settings file
// they read and write. The keys, their types and defaults and the orders in
// which they are walked are data (SettingsTable), and so is the value each
// key mirrors in the window (SettingBindings).
#include "app/Unit1.h"
#include "app/Unit2.h"

#include "app/OuterFrame.h"
#include "app/SettingBindings.h"
#include "app/StayOnTop.h"
#include "platform/core/ByteFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/ProgramFolder.h"
#include "platform/core/ResourceShortage.h"
#include "platform/core/TextCodec.h"
#include "playlist/ListPrefetch.h"

using tunelet::Setting;

void TForm1::FormCreate()
{
    tunelet::IniFile ini(SettingsPath());
    const bool writable = ini.writeStrings({tunelet::settingEntry(*this, Setting::Version)});
    for (Setting id : tunelet::startReadOrder()) {
        // A file that cannot be written is not read either: the window keeps
        // its design state.
        if (writable)
            tunelet::readSetting(*this, ini, id);
        else
            tunelet::applySetting(*this, id,
                                  tunelet::defaultSetting(*this, tunelet::settingRow(id)));
    }
    if (!writable)
        ReportWriteFailure(ini.errorString());
    else
        Frame().keepOnScreens();

    HelpFile = tunelet::helpFilePath();
    setAcceptDrops(true);
    if (!writable)
        return;

    if (m_options.stayOnTop)
        tunelet::setStaysOnTop(*this, true);
    // A tray that refuses the icon throws: the rest of the start-up is skipped.
    if (m_options.taskTray)
        ShowTrayIconAtStart();
    if (m_options.compactMode)
        EnterCompactHeight();
    if (m_options.listOpen && tunelet::isExistingFile(FileName)) {
        OpenDialog1.FileName = FileName;
        SaveDialog1.FileName = FileName;
        // Read ahead while the window was built, when the entry started that.
        if (m_env.lastList && m_env.lastList->loadInto(Builder(), FileName))
            ListFileLoaded(FileName);
        else
            LoadListFile(FileName);
    }
}

void TForm1::FormShow()
{
    const tunelet::IniFile ini(SettingsPath());
    for (Setting id : tunelet::showReadOrder())
        tunelet::readSetting(*this, ini, id);
    if (m_form2)
        m_form2->Frame().keepOnScreens();
    if (m_options.dataView && m_form2)
        m_form2->show();
}

void TForm1::FormCloseQuery(bool &CanClose)
{
    CanClose = true;
    hide();

    if (m_options.saveList) {
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
    m_compact.detachResize();
    RestoreFullHeight();

    // All keys go to the file in one rewrite: quicker than one synced
    // rewrite per key, and a failure leaves the old file whole.
    QList<tunelet::IniEntry> entries;
    for (Setting id : tunelet::exitWriteOrder())
        entries << tunelet::settingEntry(*this, id);
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
