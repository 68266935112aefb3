// The settings file: first start, values as read, the file after an exit,
// round trips, and files that cannot be written.
#include "tests/support/ByteFiles.h"
#include "tests/support/IniText.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "app/SettingBindings.h"
#include "app/SettingsTable.h"
#include "app/StatusBar.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace tunelet::testkit;

using tunelet::Setting;

class SettingsTest final : public QObject
{
    Q_OBJECT

private slots:
    void tableOrders();
    void everyKeyBindsOneWindowValue();
    void firstStart();
    void valuesAsRead_data();
    void valuesAsRead();
    void fileAfterFirstExit();
    void roundTrip();
    void viewerGeometryDefaultsToMainWindow();
    void saveListAtExit();
    void saveListOffKeepsLastOpenedList();
    void saveListWithEmptyPlaylist();
    void unwritableAtStartKeepsDesignState();
    void unwritableAtExitReportsAndEnds();
};

void SettingsTest::tableOrders()
{
    // Every key but Version is written at exit exactly once; the start reads
    // every key of the table except Version and the viewer's geometry.
    const auto write = tunelet::exitWriteOrder();
    std::set<Setting> written(write.begin(), write.end());
    QCOMPARE(written.size(), write.size());
    QCOMPARE(written.size(), tunelet::settingTable().size() - 1);
    QVERIFY(!written.count(Setting::Version));

    const auto read = tunelet::startReadOrder();
    std::set<Setting> readAtStart(read.begin(), read.end());
    for (Setting shown : tunelet::showReadOrder())
        QVERIFY(readAtStart.insert(shown).second);
    QCOMPARE(readAtStart.size(), tunelet::settingTable().size() - 1);

    // SaveList follows StayOnTop when read and CloseSonaro when written.
    auto position = [](auto order, Setting id) {
        return std::find(order.begin(), order.end(), id) - order.begin();
    };
    QCOMPARE(position(read, Setting::SaveList), position(read, Setting::StayOnTop) + 1);
    QCOMPARE(position(write, Setting::SaveList), position(write, Setting::CloseSonaro) + 1);
}

void SettingsTest::everyKeyBindsOneWindowValue()
{
    // Each key, given a new value through its binding, reads that value back;
    // an option changes the check mark of exactly one menu item.
    WindowFixture app;
    TForm1 &form = app.start();
    auto checkedItems = [&form] {
        QList<QAction *> checked;
        for (QAction *item : form.findChildren<QAction *>())
            if (item->isChecked())
                checked << item;
        return checked;
    };
    for (const tunelet::SettingRow &row : tunelet::settingTable()) {
        if (row.id == Setting::Version)
            continue;
        const QVariant before = tunelet::currentSetting(form, row.id);
        QVariant changed;
        if (row.id == Setting::PlayMode)
            changed = 2;
        else if (row.type == tunelet::SettingType::Integer)
            changed = before.toInt() + 7;
        else if (row.type == tunelet::SettingType::Boolean)
            changed = !before.toBool();
        else
            changed = QByteArray("/changed/") + row.key;
        const QList<QAction *> checkedBefore = checkedItems();
        tunelet::applySetting(form, row.id, changed);
        QCOMPARE(tunelet::currentSetting(form, row.id), changed);
        if (row.type == tunelet::SettingType::Boolean)
            QCOMPARE(std::abs(checkedItems().size() - checkedBefore.size()), 1);
    }
    QVERIFY(action(form, "MMRandomPlay")->isChecked());
    QCOMPARE(form.SonaroPath, QByteArray("/changed/SonaroPath"));
}

void SettingsTest::firstStart()
{
    WindowFixture app;
    TForm1 &form = app.start();

    QCOMPARE(form.geometry(), QRect(100, 100, 423, 290));
    QCOMPARE(listView(form)->header()->sectionSize(0), 251);
    QCOMPARE(listView(form)->header()->sectionSize(1), 144);
    const QList<QAction *> on{action(form, "MMRepeat"), action(form, "MMListOpen"),
                              action(form, "MMPlayMinimize"), action(form, "MMCloseSonaro")};
    const QList<QAction *> off{
        action(form, "MMStayOnTop"), action(form, "MMSaveList"), action(form, "MMCompactMode"),
        action(form, "MMTaskTray"),  action(form, "MMDataView"), action(form, "MMLzhHEAD"),
        action(form, "MMSWMember"),  action(form, "MMSWFinger"), action(form, "MMSWScore")};
    for (QAction *option : on)
        QVERIFY2(option->isChecked(), qPrintable(option->text()));
    for (QAction *option : off)
        QVERIFY2(!option->isChecked(), qPrintable(option->text()));
    QVERIFY(action(form, "MMListPlay")->isChecked());
    QCOMPARE(statusBar(form)->panelText(1), QStringLiteral("List"));
    QCOMPARE(form.EditorPath, QByteArray("NotePad"));
    QVERIFY(form.SonaroPath.isEmpty());
    QVERIFY(form.mid2snrPath.isEmpty());
    QVERIFY(form.FileName.isEmpty());
    QCOMPARE(form.OpenDialog1.InitialDir, app.home());
    QCOMPARE(form.OpenDialog2.InitialDir, app.home());
    QCOMPARE(form.Playlist().count(), 0);
    QVERIFY(app.dialogs().shown().isEmpty());
    QCOMPARE(form.windowTitle(), QStringLiteral("Tunelet"));

    const QByteArray ini = readBytes(app.settingsPath());
    QCOMPARE(sectionsOf(ini), QStringList{QStringLiteral("Software")});
    QCOMPARE(entriesOf(ini, "Software"),
             (QList<QPair<QByteArray, QByteArray>>{{"Version", "105"}}));
}

void SettingsTest::valuesAsRead_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("expected");

    QTest::newRow("PlayMode 7 keeps list play")
        << QByteArray("[Setting]\r\nPlayMode=7\r\n") << "mode"
        << "List";
    QTest::newRow("PlayMode 1") << QByteArray("[Setting]\r\nPlayMode=1\r\n") << "mode"
                                << "Single";
    QTest::newRow("PlayMode 2") << QByteArray("[Setting]\r\nPlayMode=2\r\n") << "mode"
                                << "Random";
    QTest::newRow("PlayMode -1") << QByteArray("[Setting]\r\nPlayMode=-1\r\n") << "mode"
                                 << "List";
    QTest::newRow("RepeatPlay 2 is on") << QByteArray("[Setting]\r\nRepeatPlay=2\r\n") << "repeat"
                                        << "on";
    QTest::newRow("RepeatPlay abc is the default")
        << QByteArray("[Setting]\r\nRepeatPlay=abc\r\n") << "repeat"
        << "on";
    QTest::newRow("RepeatPlay 0 is off") << QByteArray("[Setting]\r\nRepeatPlay=0\r\n") << "repeat"
                                         << "off";
    QTest::newRow("Top 0x20") << QByteArray("[Window]\r\nTop=0x20\r\n") << "top"
                              << "32";
    QTest::newRow("Top $40") << QByteArray("[Window]\r\nTop=$40\r\n") << "top"
                             << "64";
    QTest::newRow("Top off every screen is brought back")
        << QByteArray("[Window]\r\nTop=-5000\r\n") << "top"
        << "0";
    QTest::newRow("empty EditorPath") << QByteArray("[Setting]\r\nEditorPath=\r\n") << "editor"
                                      << "";
    QTest::newRow("missing EditorPath")
        << QByteArray("[Setting]\r\nSonaroPath=/x/sonaro\r\n") << "editor"
        << "NotePad";
    QTest::newRow("section and key case")
        << QByteArray("[setting]\r\neditorpath=vi\r\n") << "editor"
        << "vi";
    QTest::newRow("column width") << QByteArray("[Window]\r\nColumnHEAD=300\r\n") << "column"
                                  << "300";
    QTest::newRow("Version rewritten") << QByteArray("[Software]\r\nVersion=3\r\n") << "version"
                                       << "105";
}

void SettingsTest::valuesAsRead()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, check);
    QFETCH(QString, expected);
    WindowFixture app;
    QVERIFY(writeBytes(app.settingsPath(), ini));
    TForm1 &form = app.start();

    QString actual;
    if (check == QLatin1String("mode")) {
        actual = statusBar(form)->panelText(1);
        const QAction *item = expected == QLatin1String("List")     ? action(form, "MMListPlay")
                              : expected == QLatin1String("Single") ? action(form, "MMSinglePlay")
                                                                    : action(form, "MMRandomPlay");
        QVERIFY(item->isChecked());
    } else if (check == QLatin1String("repeat")) {
        actual =
            action(form, "MMRepeat")->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    } else if (check == QLatin1String("top")) {
        actual = QString::number(form.geometry().top());
    } else if (check == QLatin1String("editor")) {
        actual = QString::fromUtf8(form.EditorPath);
    } else if (check == QLatin1String("column")) {
        actual = QString::number(listView(form)->header()->sectionSize(0));
    } else if (check == QLatin1String("version")) {
        actual = QString::fromUtf8(iniValue(readBytes(app.settingsPath()), "Software", "Version"));
    }
    QCOMPARE(actual, expected);
}

void SettingsTest::fileAfterFirstExit()
{
    WindowFixture app;
    app.start();
    app.stop();

    const QByteArray ini = readBytes(app.settingsPath());
    QCOMPARE(sectionsOf(ini), (QStringList{QStringLiteral("Software"), QStringLiteral("Window"),
                                           QStringLiteral("File"), QStringLiteral("Setting")}));
    QList<QByteArray> windowKeys, fileKeys, settingKeys;
    for (const auto &entry : entriesOf(ini, "Window"))
        windowKeys << entry.first;
    for (const auto &entry : entriesOf(ini, "File"))
        fileKeys << entry.first;
    for (const auto &entry : entriesOf(ini, "Setting"))
        settingKeys << entry.first;
    QCOMPARE(windowKeys, (QList<QByteArray>{"Top", "Left", "Height", "Width", "Top2", "Left2",
                                            "Height2", "Width2", "ColumnHEAD", "ColumnFileName"}));
    QCOMPARE(fileKeys, (QList<QByteArray>{"IniDir", "IniDir2", "FileName"}));
    QCOMPARE(settingKeys,
             (QList<QByteArray>{"SonaroPath", "EditorPath", "mid2snrPath", "RepeatPlay", "ListOpen",
                                "StayOnTop", "PlayMinimize", "CloseSonaro", "SaveList",
                                "CompactMode", "TaskTray", "DataView", "LzhHEAD", "PlayMember",
                                "PlayFinger", "PlayScore", "PlayMode"}));

    QCOMPARE(iniValue(ini, "Window", "Top"), QByteArray("100"));
    QCOMPARE(iniValue(ini, "Window", "Left"), QByteArray("100"));
    QCOMPARE(iniValue(ini, "Window", "Height"), QByteArray("290"));
    QCOMPARE(iniValue(ini, "Window", "Width"), QByteArray("423"));
    QCOMPARE(iniValue(ini, "Window", "ColumnHEAD"), QByteArray("251"));
    QCOMPARE(iniValue(ini, "Window", "ColumnFileName"), QByteArray("144"));
    QCOMPARE(iniValue(ini, "File", "IniDir"), app.home());
    QCOMPARE(iniValue(ini, "File", "IniDir2"), app.home());
    QCOMPARE(iniValue(ini, "File", "FileName"), QByteArray());
    QCOMPARE(iniValue(ini, "Setting", "EditorPath"), QByteArray("NotePad"));
    QCOMPARE(iniValue(ini, "Setting", "RepeatPlay"), QByteArray("1"));
    QCOMPARE(iniValue(ini, "Setting", "SaveList"), QByteArray("0"));
    QCOMPARE(iniValue(ini, "Setting", "PlayMode"), QByteArray("0"));
    QCOMPARE(iniValue(ini, "Software", "Version"), QByteArray("105"));
}

void SettingsTest::roundTrip()
{
    WindowFixture app;
    TForm1 &form = app.start();
    form.setGeometry(40, 50, 500, 320);
    listView(form)->header()->resizeSection(0, 180);
    action(form, "MMLzhHEAD")->trigger();
    action(form, "MMRepeat")->trigger();
    action(form, "MMSWScore")->trigger();
    action(form, "MMRandomPlay")->trigger();
    form.SonaroPath = "/opt/sonaro/sonaro";
    form.EditorPath = "/usr/bin/vi";
    form.OpenDialog1.InitialDir = "/lists/";
    form.OpenDialog2.InitialDir = "/songs/";
    app.viewer().setGeometry(300, 310, 200, 150);

    TForm1 &again = app.restart();
    QCOMPARE(again.geometry(), QRect(40, 50, 500, 320));
    QCOMPARE(listView(again)->header()->sectionSize(0), 180);
    QVERIFY(action(again, "MMLzhHEAD")->isChecked());
    QVERIFY(!action(again, "MMRepeat")->isChecked());
    QVERIFY(action(again, "MMSWScore")->isChecked());
    QVERIFY(action(again, "MMRandomPlay")->isChecked());
    QCOMPARE(statusBar(again)->panelText(1), QStringLiteral("Random"));
    QCOMPARE(again.SonaroPath, QByteArray("/opt/sonaro/sonaro"));
    QCOMPARE(again.EditorPath, QByteArray("/usr/bin/vi"));
    QCOMPARE(again.OpenDialog1.InitialDir, QByteArray("/lists/"));
    QCOMPARE(again.OpenDialog2.InitialDir, QByteArray("/songs/"));
    // The viewer's place is read when the main window is shown.
    again.FormShow();
    QCOMPARE(app.viewer().geometry(), QRect(300, 310, 200, 150));
    QVERIFY(!app.viewer().isVisible());
}

void SettingsTest::viewerGeometryDefaultsToMainWindow()
{
    WindowFixture app;
    QVERIFY(writeBytes(app.settingsPath(), "[Window]\r\nHeight=333\r\nWidth=444\r\n"));
    TForm1 &form = app.start();
    form.FormShow();
    QCOMPARE(app.viewer().geometry(), QRect(100, 100, 444, 333));
    app.stop();
    const QByteArray ini = readBytes(app.settingsPath());
    QCOMPARE(iniValue(ini, "Window", "Height2"), QByteArray("333"));
    QCOMPARE(iniValue(ini, "Window", "Width2"), QByteArray("444"));
}

void SettingsTest::saveListAtExit()
{
    WindowFixture app;
    QVERIFY(writeBytes(app.path("a.snr"), songData("A")));
    QVERIFY(writeBytes(app.path("b.snr"), songData("B")));
    QVERIFY(writeBytes(app.settingsPath(), "[Setting]\r\nSaveList=1\r\n"));
    TForm1 &form = app.start();
    form.AppendEntry(app.path("a.snr"));
    form.AppendEntry(app.path("b.snr"));
    // Saving through the menus before does not change what the exit saves.
    app.dialogs().chooseFiles({app.path("other.ppl")});
    action(form, "MMSave")->trigger();
    form.AppendEntry(app.path("a.snr"));
    app.stop();

    const QByteArray expected =
        app.path("a.snr") + "\r\n" + app.path("b.snr") + "\r\n" + app.path("a.snr") + "\r\n";
    QCOMPARE(readBytes(app.path("tunelet.ppl")), expected);
    QCOMPARE(iniValue(readBytes(app.settingsPath()), "File", "FileName"), app.path("tunelet.ppl"));

    // The next start with ListOpen on opens the saved list.
    TForm1 &again = app.start();
    QCOMPARE(again.Playlist().count(), 3);
    QCOMPARE(again.FileName, app.path("tunelet.ppl"));
    QCOMPARE(again.OpenDialog1.FileName, app.path("tunelet.ppl"));
    QCOMPARE(again.SaveDialog1.FileName, app.path("tunelet.ppl"));
    QCOMPARE(again.Session().playIndex(), -1);
}

void SettingsTest::saveListOffKeepsLastOpenedList()
{
    WindowFixture app;
    QVERIFY(writeBytes(app.path("a.snr"), songData("A")));
    QVERIFY(writeBytes(app.path("list.ppl"), app.path("a.snr") + "\r\n"));
    TForm1 &form = app.start();
    app.dialogs().chooseFiles({app.path("list.ppl")});
    action(form, "MMOpen")->trigger();
    app.dialogs().chooseFiles({app.path("elsewhere.ppl")});
    action(form, "MMSave")->trigger();
    app.stop();
    QCOMPARE(iniValue(readBytes(app.settingsPath()), "File", "FileName"), app.path("list.ppl"));
    QVERIFY(!QFile::exists(QString::fromUtf8(app.path("tunelet.ppl"))));

    // ListOpen off: nothing is opened at the next start.
    QVERIFY(writeBytes(app.settingsPath(),
                       readBytes(app.settingsPath()).replace("ListOpen=1", "ListOpen=0")));
    QCOMPARE(app.start().Playlist().count(), 0);
}

void SettingsTest::saveListWithEmptyPlaylist()
{
    WindowFixture app;
    QVERIFY(writeBytes(app.settingsPath(), "[Setting]\r\nSaveList=1\r\n"));
    app.start();
    app.stop();
    QVERIFY(QFile::exists(QString::fromUtf8(app.path("tunelet.ppl"))));
    QCOMPARE(readBytes(app.path("tunelet.ppl")), QByteArray());
    QCOMPARE(iniValue(readBytes(app.settingsPath()), "File", "FileName"), app.path("tunelet.ppl"));
}

void SettingsTest::unwritableAtStartKeepsDesignState()
{
    WindowFixture app;
    // A settings path below a regular file can be neither read nor written.
    QVERIFY(writeBytes(app.path("blocker"), "x"));
    app.setSettingsPath(app.path("blocker/tunelet.ini"));
    TForm1 &form = app.start();

    QCOMPARE(app.dialogs().texts(ScriptedDialogs::Shown::What::Message),
             QStringList{QString::fromUtf8(app.path("blocker/tunelet.ini")) +
                         QStringLiteral(" に書き込めません")});
    QCOMPARE(app.dialogs().beeps(), 1);
    QCOMPARE(form.geometry(), QRect(100, 100, 423, 290));
    QCOMPARE(form.EditorPath, QByteArray("NotePad"));
    QVERIFY(action(form, "MMRepeat")->isChecked());
    QVERIFY(action(form, "MMListPlay")->isChecked());
    QCOMPARE(form.OpenDialog1.InitialDir, app.home());
    QCOMPARE(form.Playlist().count(), 0);
}

void SettingsTest::unwritableAtExitReportsAndEnds()
{
    WindowFixture app;
    QVERIFY(QDir().mkpath(QString::fromUtf8(app.path("cfg"))));
    app.setSettingsPath(app.path("cfg/tunelet.ini"));
    TForm1 &form = app.start();
    QVERIFY(app.dialogs().shown().isEmpty());
    QSignalSpy closed(&form, &TForm1::Closed);

    // The folder is replaced by a file: every write fails now.
    QVERIFY(QDir(QString::fromUtf8(app.path("cfg"))).removeRecursively());
    QVERIFY(writeBytes(app.path("cfg"), "x"));
    form.CloseOnce();

    QCOMPARE(app.dialogs().texts(ScriptedDialogs::Shown::What::Message),
             QStringList{QString::fromUtf8(app.path("cfg/tunelet.ini")) +
                         QStringLiteral(" に書き込めません")});
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form.isVisible());
}

int runSettingsTests(int argc, char **argv)
{
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"
