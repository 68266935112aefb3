// The list-file commands: open, reload, save, overwrite-save, their dialogs
// and errors, the synthesised key, and byte-exact paths and titles.
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "app/StatusBar.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <sys/stat.h>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class ListsTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openList();
    void openCancelled();
    void openMissingList();
    void reload();
    void reloadWithoutList();
    void saveThroughDialog();
    void saveEmptyPlaylist();
    void saveToUncreatableFile();
    void overwriteSave_data();
    void overwriteSave();
    void overwriteSaveOfEmptyPlaylistAsksNothing();
    void statusBarDoubleClickAsks();
    void downKeySelectsFirstRow();
    void shiftJisTitleAndPath();

private:
    void writeList();

    std::unique_ptr<WindowFixture> m_app;
    TForm1 *m_form = nullptr;
    QByteArray m_list;
};

void ListsTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_app->path("lists"))));
    QVERIFY(writeBytes(m_app->path("a.snr"), songData("Alpha")));
    QVERIFY(writeBytes(m_app->path("lists/b.snr"), songData("Beta")));
    QVERIFY(writeBytes(m_app->path("c.mid"), "MThd"));
    QVERIFY(writeBytes(m_app->path("notes.doc"), "x"));
    m_list = m_app->path("lists/list.ppl");
    writeList();
    m_form = &m_app->start();
}

void ListsTest::cleanup()
{
    m_app.reset();
    m_form = nullptr;
}

void ListsTest::writeList()
{
    // A bare name is found beside the list; missing files, other kinds and
    // empty lines add nothing.
    QVERIFY(writeBytes(m_list, m_app->path("a.snr") + "\r\nb.snr\n" + m_app->path("c.mid") + "\r" +
                                   m_app->path("missing.snr") + "\r\n" + m_app->path("notes.doc") +
                                   "\r\n\r\n" + m_app->path("lists") + "\r\n"));
}

void ListsTest::openList()
{
    m_form->Session().setPlayIndex(3);
    m_app->dialogs().chooseFiles({m_list});
    action(*m_form, "MMOpen")->trigger();

    const tunelet::PlaylistModel &list = m_form->Playlist();
    QCOMPARE(list.paths(), (QList<QByteArray>{m_app->path("a.snr"), m_app->path("lists/b.snr"),
                                              m_app->path("c.mid")}));
    QCOMPARE(list.index(0, 0).data().toString(), QStringLiteral("Alpha"));
    QCOMPARE(list.index(1, 0).data().toString(), QStringLiteral("Beta"));
    QCOMPARE(list.index(2, 0).data().toString(), QStringLiteral("[MIDI] c.mid"));
    QCOMPARE(m_form->FileName, m_list);
    QCOMPARE(m_form->Session().playIndex(), -1);
    QCOMPARE(m_form->OpenDialog1.InitialDir, m_app->path("lists/"));
    QCOMPARE(m_form->SaveDialog1.FileName, m_list);
    QCOMPARE(m_form->SaveDialog1.InitialDir, m_app->path("lists/"));
    QCOMPARE(m_app->keys().keys(), QList<Qt::Key>{Qt::Key_Down});
    QVERIFY(m_form->ListBox1.isEmpty());

    // The dialog as it was shown: its title, filter and starting folder.
    QCOMPARE(m_app->dialogs().shown().size(), 1);
    const tunelet::FileDialogState &shown = m_app->dialogs().shown().first().dialog;
    QCOMPARE(shown.Title, QStringLiteral("リストを開く"));
    QCOMPARE(shown.Filter, QStringLiteral("リストファイル (*.ppl *.alb)"));
    QCOMPARE(shown.DefaultExt, QStringLiteral("ppl"));
    QCOMPARE(shown.InitialDir, m_app->home());
    QCOMPARE(shown.kind, tunelet::FileDialogState::Kind::Open);
}

void ListsTest::openCancelled()
{
    m_form->AppendEntry(m_app->path("a.snr"));
    m_app->dialogs().cancelNextDialog();
    action(*m_form, "MMOpen")->trigger();
    QCOMPARE(m_form->Playlist().count(), 1);
    QVERIFY(m_form->FileName.isEmpty());
    QCOMPARE(m_form->Session().playIndex(), 0);
    QVERIFY(m_app->keys().keys().isEmpty());
    QCOMPARE(m_form->OpenDialog1.InitialDir, m_app->home());
}

void ListsTest::openMissingList()
{
    m_form->AppendEntry(m_app->path("a.snr"));
    m_form->FileName = m_list;
    const QByteArray missing = m_app->path("gone.ppl");
    m_app->dialogs().chooseFiles({missing});
    action(*m_form, "MMOpen")->trigger();

    QCOMPARE(m_app->dialogs().texts(What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(QString::fromUtf8(missing))});
    QCOMPARE(m_form->Playlist().count(), 1);
    QCOMPARE(m_form->FileName, m_list);
    QCOMPARE(m_form->Session().playIndex(), 0);
    QVERIFY(m_app->keys().keys().isEmpty());
}

void ListsTest::reload()
{
    m_app->dialogs().chooseFiles({m_list});
    action(*m_form, "MMOpen")->trigger();
    QVERIFY(writeBytes(m_list, m_app->path("c.mid") + "\r\n"));
    m_form->Session().setPlayIndex(0);
    action(*m_form, "MMReload")->trigger();
    QCOMPARE(m_form->Playlist().paths(), QList<QByteArray>{m_app->path("c.mid")});
    QCOMPARE(m_form->Session().playIndex(), -1);
    QCOMPARE(m_app->keys().keys(), (QList<Qt::Key>{Qt::Key_Down, Qt::Key_Down}));
}

void ListsTest::reloadWithoutList()
{
    m_form->AppendEntry(m_app->path("a.snr"));
    action(*m_form, "MMReload")->trigger();
    QCOMPARE(m_app->dialogs().texts(What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ  は開けません")});
    QCOMPARE(m_form->Playlist().count(), 1);
    QVERIFY(m_app->keys().keys().isEmpty());
}

void ListsTest::saveThroughDialog()
{
    m_app->dialogs().chooseFiles({m_list});
    action(*m_form, "MMOpen")->trigger();
    m_form->AppendEntry(m_app->path("notes.doc"));
    const QByteArray out = m_app->path("out.ppl");
    m_app->dialogs().chooseFiles({out});
    action(*m_form, "MMSave")->trigger();

    QCOMPARE(readBytes(out), m_app->path("a.snr") + "\r\n" + m_app->path("lists/b.snr") + "\r\n" +
                                 m_app->path("c.mid") + "\r\n" + m_app->path("notes.doc") + "\r\n");
    // The save dialog proposed the opened list; FileName stays on it.
    const tunelet::FileDialogState &shown = m_app->dialogs().shown().last().dialog;
    QCOMPARE(shown.Title, QStringLiteral("リストを保存"));
    QCOMPARE(shown.Filter, QStringLiteral("リストファイル (*.ppl)"));
    QCOMPARE(shown.FileName, m_list);
    QCOMPARE(shown.kind, tunelet::FileDialogState::Kind::Save);
    QVERIFY(shown.OverwritePrompt);
    QCOMPARE(m_form->FileName, m_list);
    QCOMPARE(m_form->OpenDialog1.InitialDir, m_app->path("lists/"));

    // Reading the saved list back skips the row of another kind.
    m_app->dialogs().chooseFiles({out});
    action(*m_form, "MMOpen")->trigger();
    QCOMPARE(m_form->Playlist().count(), 3);
}

void ListsTest::saveEmptyPlaylist()
{
    const QByteArray out = m_app->path("empty.ppl");
    QVERIFY(writeBytes(out, "old content"));
    m_app->dialogs().chooseFiles({out});
    action(*m_form, "MMSave")->trigger();
    QVERIFY(QFile::exists(QString::fromUtf8(out)));
    QCOMPARE(readBytes(out), QByteArray());
}

void ListsTest::saveToUncreatableFile()
{
    m_form->AppendEntry(m_app->path("a.snr"));
    const QByteArray out = m_app->path("no/such/folder/x.ppl");
    m_app->dialogs().chooseFiles({out});
    action(*m_form, "MMSave")->trigger();
    QCOMPARE(m_app->dialogs().texts(What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ %1 を作成できません").arg(QString::fromUtf8(out))});
}

void ListsTest::overwriteSave_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void ListsTest::overwriteSave()
{
    QFETCH(bool, yes);
    m_app->dialogs().chooseFiles({m_list});
    action(*m_form, "MMOpen")->trigger();
    const QByteArray before = readBytes(m_list);
    m_app->dialogs().answerNext(yes);
    m_form->StatusBar1DblClick();

    QCOMPARE(m_app->dialogs().texts(What::Question),
             QStringList{QStringLiteral("\"list.ppl\"に上書き保存？")});
    const QByteArray saved = m_app->path("a.snr") + "\r\n" + m_app->path("lists/b.snr") + "\r\n" +
                             m_app->path("c.mid") + "\r\n";
    QCOMPARE(readBytes(m_list), yes ? saved : before);
}

void ListsTest::overwriteSaveOfEmptyPlaylistAsksNothing()
{
    m_form->FileName = m_list;
    const QByteArray before = readBytes(m_list);
    m_app->dialogs().answerNext(true);
    emit statusBar(*m_form)->doubleClicked();
    QVERIFY(m_app->dialogs().shown().isEmpty());
    QCOMPARE(readBytes(m_list), before);

    // With rows but no current list, the save fails with the framework's error.
    m_form->AppendEntry(m_app->path("a.snr"));
    m_form->FileName.clear();
    m_app->dialogs().answerNext(true);
    emit statusBar(*m_form)->doubleClicked();
    QCOMPARE(m_app->dialogs().texts(What::Question),
             QStringList{QStringLiteral("\"\"に上書き保存？")});
    QCOMPARE(m_app->dialogs().texts(What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ  を作成できません")});
}

void ListsTest::statusBarDoubleClickAsks()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->AppendEntry(m_app->path("a.snr"));
    m_form->FileName = m_list;
    QTest::mouseDClick(statusBar(*m_form), Qt::LeftButton, {}, QPoint(120, 8));
    QCOMPARE(m_app->dialogs().texts(What::Question),
             QStringList{QStringLiteral("\"list.ppl\"に上書き保存？")});
}

void ListsTest::downKeySelectsFirstRow()
{
    // The real key synthesis: Down reaches the focused list once the command
    // has returned, and selects the first row.
    tunelet::QueuedKeySynth keys;
    WindowFixture other;
    TForm1 &form = other.start({.keys = &keys});
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    listView(form)->setFocus();
    QTRY_VERIFY(listView(form)->hasFocus());
    // The activation's own Down key reaches the still empty list first.
    QCoreApplication::processEvents();

    other.dialogs().chooseFiles({m_list});
    action(form, "MMOpen")->trigger();
    QCOMPARE(form.SelectedRow(), -1); // not yet: the keys are queued
    QTRY_COMPARE(form.SelectedRow(), 0);
}

void ListsTest::shiftJisTitleAndPath()
{
    // "曲" (Shift-JIS 0x8B 0xC8) in the folder and file name, "テスト" in the title.
    const QByteArray folder = m_app->path("\x8b\xc8/");
    const QByteArray song = folder + "\x8b\xc8.snr";
    QVERIFY(::mkdir(folder.constData(), 0700) == 0);
    QVERIFY(writeBytes(song, songData("\x83\x65\x83\x58\x83\x67")));
    m_app->stop();
    QVERIFY(writeBytes(m_app->settingsPath(), "[Setting]\r\nSaveList=1\r\n"));
    TForm1 &form = m_app->start();
    form.AppendEntry(song);

    const QModelIndex caption = form.Playlist().index(0, 0);
    const QModelIndex path = form.Playlist().index(0, 1);
    QCOMPARE(caption.data().toString(), QStringLiteral("テスト"));
    QCOMPARE(path.data().toString(),
             QString::fromUtf8(m_app->home()) + QStringLiteral("曲/曲.snr"));
    m_app->stop();

    // Written back byte for byte, and found again by those bytes.
    QCOMPARE(readBytes(m_app->path("tunelet.ppl")), song + "\r\n");
    TForm1 &again = m_app->start();
    QCOMPARE(again.Playlist().paths(), QList<QByteArray>{song});
    QCOMPARE(again.Playlist().caption(0), QByteArray("\x83\x65\x83\x58\x83\x67"));
}

int runListsTests(int argc, char **argv)
{
    ListsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lists.moc"
