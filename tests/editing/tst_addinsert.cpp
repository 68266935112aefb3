// Adding and inserting files through the files dialog.

#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/PlaylistModel.h"

#include <QDir>
#include <QTest>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class AddInsertTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void addAppendsInDialogOrder();
    void dialogAsShown();
    void startingFolderComesFromSettings();
    void addCancelled();
    void insertBelowSelectedRowInReverseOrder();
    void insertWithoutSelectionAppends();
    void missingFileStillGivesRow();

private:
    std::unique_ptr<WindowFixture> m_fx;
    TForm1 *m_form = nullptr;
};

void AddInsertTest::init()
{
    m_fx = std::make_unique<WindowFixture>();
    QVERIFY(m_fx->isValid());
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_fx->path("new"))));
    m_form = &m_fx->start();
}

void AddInsertTest::cleanup()
{
    m_fx.reset();
    m_form = nullptr;
}

void AddInsertTest::addAppendsInDialogOrder()
{
    m_fx->addSongs(2);
    m_form->SelectRow(1);
    m_form->Session().setPlayIndex(1);
    const QByteArray c = m_fx->write("new/c.snr", songData("Charlie"));
    const QByteArray a = m_fx->write("new/a.snr", songData("Alpha"));
    const QByteArray m = m_fx->path("new/tune.MID");
    m_fx->dialogs().chooseFiles({c, a, m});
    m_form->MMAddClick();

    QCOMPARE(m_fx->captions(),
             (QByteArrayList{"Song 1", "Song 2", "Charlie", "Alpha", "[MIDI] tune.MID"}));
    QCOMPARE(m_fx->paths().mid(2), (QByteArrayList{c, a, m}));
    QCOMPARE(m_form->Playlist().entry(4).imageIndex, 1);
    // The folder of the first chosen file is where the dialog starts next.
    QCOMPARE(m_form->OpenDialog2.InitialDir, m_fx->path("new/"));
    QCOMPARE(m_form->Session().playIndex(), 1);
    // Building rows is a change the position display follows.
    QCOMPARE(m_fx->panel(0), QStringLiteral("2/5"));
    QVERIFY(m_fx->keys().keys().isEmpty());
    QCOMPARE(m_fx->dialogs().texts(What::Error), QStringList());
}

void AddInsertTest::dialogAsShown()
{
    m_form->OpenDialog2.FileName = "left over";
    m_fx->dialogs().chooseFiles({m_fx->write("new/a.snr", songData("Alpha"))});
    m_form->MMAddClick();
    m_fx->dialogs().cancelNextDialog();
    m_form->MMAddClick();

    QCOMPARE(m_fx->dialogs().shown().size(), 2);
    const tunelet::FileDialogState &first = m_fx->dialogs().shown().at(0).dialog;
    QCOMPARE(first.Title, QStringLiteral("ファイルの追加"));
    QCOMPARE(first.Filter,
             QStringLiteral("読み込み可能なファイル (*.snr *.txt *.mid *.lzh);;snrファイル "
                            "(*.snr);;テキストファイル (*.txt);;MIDIファイル (*.mid);;LZHファイル "
                            "(*.lzh);;すべてのファイル (*)"));
    QCOMPARE(first.DefaultExt, QStringLiteral("snr"));
    QCOMPARE(first.kind, tunelet::FileDialogState::Kind::Open);
    QVERIFY(first.AllowMultiSelect);
    QVERIFY(!first.OverwritePrompt);
    // The file name is cleared before the dialog opens.
    QVERIFY(first.FileName.isEmpty());
    QCOMPARE(first.InitialDir, m_fx->home());
    // The second run starts in the folder chosen in the first.
    QCOMPARE(m_fx->dialogs().shown().at(1).dialog.InitialDir, m_fx->path("new/"));
    QCOMPARE(m_fx->dialogs().shown().at(1).what, What::FileDialog);
}

void AddInsertTest::startingFolderComesFromSettings()
{
    m_fx.reset();
    m_fx = std::make_unique<WindowFixture>();
    const QByteArray folder = m_fx->path("music/");
    QVERIFY(QDir().mkpath(QString::fromUtf8(folder)));
    QVERIFY(writeBytes(m_fx->path("tunelet.ini"), "[File]\r\nIniDir2=" + folder + "\r\n"));
    m_form = &m_fx->start();
    m_fx->dialogs().cancelNextDialog();
    action(*m_form, "MMAdd")->trigger();
    QCOMPARE(m_fx->dialogs().shown().size(), 1);
    QCOMPARE(m_fx->dialogs().shown().first().dialog.InitialDir, folder);
    // A cancelled dialog moves nothing.
    QCOMPARE(m_form->OpenDialog2.InitialDir, folder);
}

void AddInsertTest::addCancelled()
{
    m_fx->addSongs(1);
    m_fx->dialogs().cancelNextDialog();
    m_form->MMAddClick();
    QCOMPARE(m_form->Playlist().count(), 1);
    QCOMPARE(m_form->OpenDialog2.InitialDir, m_fx->home());
    m_fx->dialogs().cancelNextDialog();
    m_form->PMInsertClick();
    QCOMPARE(m_form->Playlist().count(), 1);
}

void AddInsertTest::insertBelowSelectedRowInReverseOrder()
{
    m_fx->addSongs(4);
    m_form->SelectRow(1);
    m_form->Session().setPlayIndex(3);
    const QByteArray x = m_fx->write("new/x.snr", songData("X"));
    const QByteArray y = m_fx->path("new/y.mid");
    const QByteArray z = m_fx->write("new/z.txt", songData("Z"));
    m_fx->dialogs().chooseFiles({x, y, z});
    m_form->PMInsertClick();

    QCOMPARE(m_fx->captions(),
             (QByteArrayList{"Song 1", "Song 2", "Z", "[MIDI] y.mid", "X", "Song 3", "Song 4"}));
    // The selected row stays selected; PlayIndex stays, now on another row.
    QCOMPARE(m_form->SelectedRow(), 1);
    QCOMPARE(m_fx->panel(0), QStringLiteral("2/7"));
    QCOMPARE(m_form->Session().playIndex(), 3);
    QCOMPARE(m_form->OpenDialog2.InitialDir, m_fx->path("new/"));
    QCOMPARE(m_fx->dialogs().shown().first().dialog.Title, QStringLiteral("ファイルの追加"));
    QVERIFY(m_fx->keys().keys().isEmpty());
}

void AddInsertTest::insertWithoutSelectionAppends()
{
    m_fx->addSongs(2);
    const QByteArray x = m_fx->write("new/x.snr", songData("X"));
    const QByteArray y = m_fx->write("new/y.snr", songData("Y"));
    m_fx->dialogs().chooseFiles({x, y});
    action(*m_form, "PMInsert")->trigger();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "X", "Y"}));
}

void AddInsertTest::missingFileStillGivesRow()
{
    const QByteArray gone = m_fx->path("new/gone.snr");
    m_fx->dialogs().chooseFiles({gone});
    m_form->MMAddClick();
    QCOMPARE(m_fx->captions(), QByteArrayList{"gone.snr"});
    QCOMPARE(m_fx->paths(), QByteArrayList{gone});
}

int runAddInsertTests(int argc, char **argv)
{
    AddInsertTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_addinsert.moc"
