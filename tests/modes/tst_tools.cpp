// The main window's tools: the editor check and the two editing commands,
// the three program-path dialogs, the volume control, help, the about box,
// the option switches and exit.

#include "tests/support/WindowFixture.h"

#include "tests/modes/ModesTests.h"

#include "platform/core/ProgramFolder.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tunelet::testkit;

namespace
{

using What = ScriptedDialogs::Shown::What;

const QString EditorMessage = QStringLiteral("エディタのパスを正しく設定してください。");

// Runs with the current folder set to a folder, and puts the old one back.
class CurrentFolder final
{
public:
    explicit CurrentFolder(const QString &folder) : m_old(QDir::currentPath())
    {
        QDir::setCurrent(folder);
    }
    ~CurrentFolder() { QDir::setCurrent(m_old); }
    Q_DISABLE_COPY_MOVE(CurrentFolder)

private:
    QString m_old;
};

class ToolsTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lowerCaseNotepadFailsTheCheck();
    void editPlayingDataWithTheDesktopEditor();
    void editPlayingDataWithAnotherEditor();
    void editPlayingDataWhileIdleDoesNothing();
    void editRowSkipsMidiAndArchives_data();
    void editRowSkipsMidiAndArchives();
    void editRowWithUnusableEditor();
    void editRowStartsTheEditor();
    void pathDialogs_data();
    void pathDialogs();
    void editorDialogStartsWithNotePad();
    void programDialogsStartAtTheShippedProgram();
    void volumeControl_data();
    void volumeControl();
    void helpOpensTheHelpFile();
    void missingHelpFileIsReported();
    void aboutBox();
    void optionSwitches_data();
    void optionSwitches();
    void exitRunsTheCloseQuery();

private:
    TForm1 &form() const { return m_app->form(); }
    RecordingShell &shell() const { return m_app->recorded().shell; }
    std::unique_ptr<WindowFixture> m_app;
};

void ToolsTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    m_app->useRecordingSeams();
    m_app->start();
}

void ToolsTest::cleanup()
{
    m_app.reset();
}

void ToolsTest::lowerCaseNotepadFailsTheCheck()
{
    const CurrentFolder here(QFile::decodeName(m_app->home()));
    m_app->addSongs(1);
    form().SBPlayClick();
    form().EditorPath = "notepad";
    form().MMDataEditClick();
    QCOMPARE(m_app->dialogs().beeps(), 1);
    QCOMPARE(m_app->dialogs().texts(What::Message), QStringList{EditorMessage});
    QVERIFY(shell().opened().isEmpty());
    QVERIFY(shell().started().isEmpty());

    // A file of that name in the current folder is an editor like any other.
    m_app->write("notepad", "#!/bin/sh\n");
    form().MMDataEditClick();
    QCOMPARE(shell().started().size(), 1);
    QCOMPARE(shell().started()[0].program, QByteArray("notepad"));
}

void ToolsTest::editPlayingDataWithTheDesktopEditor()
{
    const QByteArrayList songs = m_app->addSongs(2);
    form().SelectRow(1);
    form().ListView1DblClick();
    QCOMPARE(form().EditorPath, QByteArray("NotePad"));
    action(form(), "MMDataEdit")->trigger();
    QCOMPARE(shell().opened(), QByteArrayList{songs[1]});
    QVERIFY(shell().started().isEmpty());
    QVERIFY(m_app->dialogs().shown().isEmpty());
}

void ToolsTest::editPlayingDataWithAnotherEditor()
{
    const QByteArrayList songs = m_app->addSongs(1);
    form().EditorPath = m_app->write("myeditor", "#!/bin/sh\n");
    form().SBPlayClick();
    action(form(), "MMDataEdit")->trigger();
    QCOMPARE(shell().started().size(), 1);
    QCOMPARE(shell().started()[0].program, form().EditorPath);
    // The data file is the one argument, as it is: no quotes added.
    QCOMPARE(shell().started()[0].arguments, QByteArrayList{songs[0]});
    QVERIFY(shell().opened().isEmpty());
}

void ToolsTest::editPlayingDataWhileIdleDoesNothing()
{
    const QByteArrayList songs = m_app->addSongs(1);
    action(form(), "MMDataEdit")->trigger();
    QVERIFY(shell().opened().isEmpty());

    // A playing file that is gone: nothing, and no message.
    form().SBPlayClick();
    QVERIFY(QFile::remove(QFile::decodeName(songs[0])));
    action(form(), "MMDataEdit")->trigger();
    QVERIFY(shell().opened().isEmpty());
    QVERIFY(m_app->dialogs().shown().isEmpty());
    QCOMPARE(m_app->dialogs().beeps(), 0);
}

void ToolsTest::editRowSkipsMidiAndArchives_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("mid") << QByteArray("tune.mid");
    QTest::newRow("MID") << QByteArray("TUNE.MID");
    QTest::newRow("lzh") << QByteArray("pack.lzh");
    QTest::newRow("Lzh") << QByteArray("pack.Lzh");
}

void ToolsTest::editRowSkipsMidiAndArchives()
{
    QFETCH(QByteArray, name);
    form().AppendEntry(m_app->write(name, "MThd"));
    form().SelectRow(0);
    // Even with an unusable editor setting: nothing at all.
    for (const QByteArray &editor : {QByteArray("NotePad"), QByteArray("bad")}) {
        form().EditorPath = editor;
        action(form(), "PMDataEdit")->trigger();
    }
    QVERIFY(m_app->dialogs().shown().isEmpty());
    QCOMPARE(m_app->dialogs().beeps(), 0);
    QVERIFY(shell().opened().isEmpty());
    QVERIFY(shell().started().isEmpty());
}

void ToolsTest::editRowWithUnusableEditor()
{
    m_app->addSongs(1);
    form().EditorPath = "bad";
    // No row selected: nothing.
    action(form(), "PMDataEdit")->trigger();
    QCOMPARE(m_app->dialogs().beeps(), 0);

    form().SelectRow(0);
    action(form(), "PMDataEdit")->trigger();
    QCOMPARE(m_app->dialogs().beeps(), 1);
    QCOMPARE(m_app->dialogs().texts(What::Message), QStringList{EditorMessage});
    QVERIFY(shell().opened().isEmpty());
    QVERIFY(shell().started().isEmpty());
}

void ToolsTest::editRowStartsTheEditor()
{
    const QByteArrayList songs = m_app->addSongs(2);
    form().SelectRow(1);
    action(form(), "PMDataEdit")->trigger();
    QCOMPARE(shell().opened(), QByteArrayList{songs[1]});

    // A row's text file with another extension is data too.
    form().AppendEntry(m_app->write("notes.txt", "text"));
    form().SelectRow(2);
    form().EditorPath = m_app->write("myeditor", "#!/bin/sh\n");
    action(form(), "PMDataEdit")->trigger();
    QCOMPARE(shell().started().size(), 1);
    QCOMPARE(shell().started()[0].arguments, QByteArrayList{m_app->path("notes.txt")});
}

enum class PathSetting { Sonaro, Editor, Converter };

void ToolsTest::pathDialogs_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::newRow("Sonaro") << int(PathSetting::Sonaro) << QStringLiteral("Sonaroのパス")
                            << QStringLiteral("Sonaro本体 (sonaro)");
    QTest::newRow("editor") << int(PathSetting::Editor) << QStringLiteral("エディタのパス")
                            << QStringLiteral("テキストエディタ (*)");
    QTest::newRow("mid2snr") << int(PathSetting::Converter) << QStringLiteral("mid2snrのパス")
                             << QStringLiteral("mid2snr (mid2snr)");
}

void ToolsTest::pathDialogs()
{
    QFETCH(int, which);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    QAction *item = nullptr;
    QByteArray *value = nullptr;
    switch (PathSetting(which)) {
    case PathSetting::Sonaro:
        item = action(form(), "MMSonaroPath");
        value = &form().SonaroPath;
        break;
    case PathSetting::Editor:
        item = action(form(), "MMEditorPath");
        value = &form().EditorPath;
        break;
    case PathSetting::Converter:
        item = action(form(), "MMmid2snrPath");
        value = &form().mid2snrPath;
        break;
    }
    *value = "/opt/tools/program";

    // Cancelled: the value stays.
    m_app->dialogs().cancelNextDialog();
    item->trigger();
    QCOMPARE(*value, QByteArray("/opt/tools/program"));
    QCOMPARE(m_app->dialogs().shown().size(), 1);
    const tunelet::FileDialogState &opened = m_app->dialogs().shown()[0].dialog;
    QCOMPARE(opened.Title, title);
    QCOMPARE(opened.Filter, filter);
    QCOMPARE(opened.kind, tunelet::FileDialogState::Kind::Open);
    QVERIFY(!opened.AllowMultiSelect);
    QVERIFY(opened.DefaultExt.isEmpty());
    QCOMPARE(opened.FileName, QByteArray("/opt/tools/program"));
    QCOMPARE(opened.InitialDir, QByteArray("/opt/tools/"));

    // Confirmed: the chosen path, stored at exit.
    m_app->dialogs().chooseFiles({"/usr/local/bin/chosen"});
    item->trigger();
    QCOMPARE(*value, QByteArray("/usr/local/bin/chosen"));
    m_app->stop();
    QVERIFY(m_app->settings().contains("=/usr/local/bin/chosen\r\n"));
}

void ToolsTest::editorDialogStartsWithNotePad()
{
    QCOMPARE(form().EditorPath, QByteArray("NotePad"));
    action(form(), "MMEditorPath")->trigger();
    QCOMPARE(m_app->dialogs().shown().size(), 1);
    QCOMPARE(m_app->dialogs().shown()[0].dialog.FileName, QByteArray("NotePad"));
    QVERIFY(m_app->dialogs().shown()[0].dialog.InitialDir.isEmpty());
    QCOMPARE(form().EditorPath, QByteArray("NotePad"));
}

void ToolsTest::programDialogsStartAtTheShippedProgram()
{
    form().SonaroPath.clear();
    form().mid2snrPath.clear();
    const QByteArray shipped = tunelet::executableFolder();
    action(form(), "MMSonaroPath")->trigger();
    action(form(), "MMmid2snrPath")->trigger();
    QCOMPARE(m_app->dialogs().shown().size(), 2);
    QCOMPARE(m_app->dialogs().shown()[0].dialog.FileName, shipped + "sonaro");
    QCOMPARE(m_app->dialogs().shown()[0].dialog.InitialDir, shipped);
    QCOMPARE(m_app->dialogs().shown()[1].dialog.FileName, shipped + "mid2snr");

    // Cancelled, the settings stay empty, in the window and in the file.
    QVERIFY(form().SonaroPath.isEmpty());
    QVERIFY(form().mid2snrPath.isEmpty());
    m_app->stop();
    QVERIFY(m_app->settings().contains("\nSonaroPath=\r\n"));
    QVERIFY(m_app->settings().contains("\nmid2snrPath=\r\n"));
}

void ToolsTest::volumeControl_data()
{
    QTest::addColumn<QByteArrayList>("installed");
    QTest::addColumn<QByteArray>("started");
    QTest::newRow("none") << QByteArrayList() << QByteArray();
    QTest::newRow("pavucontrol") << QByteArrayList{"pavucontrol"}
                                 << QByteArray("/usr/bin/pavucontrol");
    QTest::newRow("pwvucontrol") << QByteArrayList{"pwvucontrol"}
                                 << QByteArray("/usr/bin/pwvucontrol");
    QTest::newRow("both") << QByteArrayList{"pwvucontrol", "pavucontrol"}
                          << QByteArray("/usr/bin/pavucontrol");
}

void ToolsTest::volumeControl()
{
    QFETCH(QByteArrayList, installed);
    QFETCH(QByteArray, started);
    for (const QByteArray &name : installed)
        shell().putOnPath(name);
    action(form(), "MMVolume")->trigger();
    if (started.isEmpty()) {
        QVERIFY(shell().started().isEmpty());
    } else {
        QCOMPARE(shell().started().size(), 1);
        QCOMPARE(shell().started()[0].program, started);
        QVERIFY(shell().started()[0].arguments.isEmpty());
    }
    QVERIFY(m_app->dialogs().shown().isEmpty());
}

void ToolsTest::helpOpensTheHelpFile()
{
    const QByteArray help = m_app->write("tunelet.html", "<html></html>");
    action(form(), "Contents1")->trigger();
    QCOMPARE(shell().opened(), QByteArrayList{help});
    QVERIFY(m_app->dialogs().shown().isEmpty());
}

void ToolsTest::missingHelpFileIsReported()
{
    action(form(), "Contents1")->trigger();
    QVERIFY(shell().opened().isEmpty());
    QCOMPARE(m_app->dialogs().beeps(), 1);
    QCOMPARE(m_app->dialogs().texts(What::Message),
             QStringList{QStringLiteral("ヘルプファイル %1 が見つかりません。")
                             .arg(QFile::decodeName(m_app->path("tunelet.html")))});
}

void ToolsTest::aboutBox()
{
    TAboutBox &about = m_app->about();
    bool shownModal = false;
    QTimer::singleShot(0, &about, [&] {
        shownModal = about.isVisible() && about.isModal();
        about.OKButton->click();
    });
    action(form(), "About1")->trigger();
    QVERIFY(shownModal);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.ProductName->text(), QStringLiteral("Tunelet Ver1.05"));
    QVERIFY(!about.Comments->text().isEmpty());
    QVERIFY(about.OKButton->isDefault());
}

void ToolsTest::optionSwitches_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("initially");
    QTest::newRow("repeat") << "リピートを行う(&R)" << QByteArray("RepeatPlay") << true;
    QTest::newRow("minimize") << "最小化状態で再生(&M)" << QByteArray("PlayMinimize") << true;
    QTest::newRow("close player") << "終了と同時にSonaroも終了(&X)" << QByteArray("CloseSonaro")
                                  << true;
    QTest::newRow("list open") << "前回のリストを開く(&O)" << QByteArray("ListOpen") << true;
    QTest::newRow("save list") << "終了時のリストを保存(&S)" << QByteArray("SaveList") << false;
    QTest::newRow("lzh head") << "LZHファイルもHEAD取得(&L)" << QByteArray("LzhHEAD") << false;
    QTest::newRow("members") << "メンバー色一覧の表示(&M)" << QByteArray("PlayMember") << false;
    QTest::newRow("finger") << "フィンガー拍数の表示(&F)" << QByteArray("PlayFinger") << false;
    QTest::newRow("score") << "譜面モニタの表示(&S)" << QByteArray("PlayScore") << false;
}

void ToolsTest::optionSwitches()
{
    QFETCH(QString, caption);
    QFETCH(QByteArray, key);
    QFETCH(bool, initially);
    QAction *item = nullptr;
    for (QMenu *menu : {menu(form(), "MMSetting"), menu(form(), "MMSubWindow")})
        for (QAction *action : menu->actions())
            if (action->text() == caption)
                item = action;
    QVERIFY(item);
    QVERIFY(item->isCheckable());
    QCOMPARE(item->isChecked(), initially);
    item->trigger();
    QCOMPARE(item->isChecked(), !initially);
    // Flipping does nothing else.
    QVERIFY(m_app->dialogs().shown().isEmpty());
    QVERIFY(m_app->recorded().launcher.parameters().isEmpty());
    m_app->stop();
    QVERIFY(m_app->settings().contains(key + '=' + (initially ? '0' : '1') + "\r\n"));
}

void ToolsTest::exitRunsTheCloseQuery()
{
    QVERIFY(m_app->show());
    QSignalSpy closed(&form(), &TForm1::Closed);
    action(form(), "MMExit")->trigger();
    QCOMPARE(closed.size(), 1);
    QVERIFY(form().IsClosed());
    QVERIFY(!form().isVisible());
    QVERIFY(m_app->settings().contains("[Setting]"));

    // Also from a window hidden in the tray.
    m_app->stop();
    m_app->start();
    QVERIFY(m_app->show());
    form().PMWindowClick();
    QSignalSpy closedHidden(&form(), &TForm1::Closed);
    action(form(), "PMTrayExit")->trigger();
    QCOMPARE(closedHidden.size(), 1);
}

} // namespace

int runToolsTests(int argc, char **argv)
{
    ToolsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tools.moc"
