// Sorting, shuffling and pruning the whole list through the window: each
// command reaches its rule (the rules' tables are on the logic, in
// tests/playlist), and PlayIndex, the selection, the position panel, the keys
// and the message boxes follow.

#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/PlaylistModel.h"
#include "playlist/RandomGenerator.h"

#include <QDir>
#include <QTest>
#include <QTreeView>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class SortPruneTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sortCommandsReachTheSorter();
    void sortEmptyList();
    void shuffleUsesTheSharedGenerator();
    void shuffleEmptyList();
    void removeDuplicates();
    void removeMissing();
    void pruneEmptyListShowsNothing_data();
    void pruneEmptyListShowsNothing();

private:
    void addTitled(const QByteArrayList &titles);

    std::unique_ptr<WindowFixture> m_fx;
    TForm1 *m_form = nullptr;
};

void SortPruneTest::init()
{
    m_fx = std::make_unique<WindowFixture>();
    QVERIFY(m_fx->isValid());
    m_form = &m_fx->start();
}

void SortPruneTest::cleanup()
{
    m_fx.reset();
    m_form = nullptr;
}

// Files "f0.snr", "f1.snr", ... with the titles in that order.
void SortPruneTest::addTitled(const QByteArrayList &titles)
{
    for (int i = 0; i < titles.size(); ++i)
        m_form->AppendEntry(m_fx->write("f" + QByteArray::number(i) + ".snr", songData(titles[i])));
}

void SortPruneTest::sortCommandsReachTheSorter()
{
    addTitled({"Delta", "Alpha", "Charlie", "Bravo"});
    m_form->SelectRow(0);
    m_form->Session().setPlayIndex(2);
    QCOMPARE(m_form->SortKey, 0);
    action(*m_form, "MMHEADSort")->trigger();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Alpha", "Bravo", "Charlie", "Delta"}));
    QCOMPARE(m_form->SortKey, 1);
    QCOMPARE(m_form->Session().playIndex(), -1);
    // The selection went with its row, and the display says where it is now.
    QCOMPARE(m_form->SelectedRow(), 3);
    QCOMPARE(m_fx->panel(0), QStringLiteral("4/4"));

    m_form->Session().setPlayIndex(0);
    action(*m_form, "MMHEADSort")->trigger();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Delta", "Charlie", "Bravo", "Alpha"}));
    QCOMPARE(m_form->SortKey, -1);
    QCOMPARE(m_form->Session().playIndex(), -1);

    // Files f0 ... f3 hold the titles in the order they were added.
    action(*m_form, "MMFileNameSort")->trigger();
    QCOMPARE(m_form->SortKey, 2);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Delta", "Alpha", "Charlie", "Bravo"}));
    // The list view compares its rows by the same key.
    QVERIFY(m_form->ListView1Compare(0, 1) < 0);
    m_form->SortKey = 1;
    QVERIFY(m_form->ListView1Compare(0, 1) > 0);
    QVERIFY(m_fx->keys().keys().isEmpty());
    QVERIFY(m_fx->dialogs().shown().isEmpty());
}

void SortPruneTest::sortEmptyList()
{
    m_form->Session().setPlayIndex(0);
    m_form->MMHEADSortClick();
    QCOMPARE(m_form->SortKey, 1);
    QCOMPARE(m_form->Session().playIndex(), -1);
    QCOMPARE(m_form->Playlist().count(), 0);
}

void SortPruneTest::shuffleUsesTheSharedGenerator()
{
    // The shuffle draws from the generator random play draws from: one draw
    // per row, over the rows still left.
    addTitled({"A", "B", "C"});
    m_form->SelectRow(1);
    m_form->Session().setPlayIndex(2);
    m_form->Random().setSeed(12345);
    action(*m_form, "MMRandomSort")->trigger();
    tunelet::RandomGenerator expected;
    expected.setSeed(12345);
    for (quint32 n = 3; n > 0; --n)
        expected.draw(n);
    QCOMPARE(m_form->Random().seed(), expected.seed());
    QCOMPARE(m_form->Playlist().count(), 3);
    QCOMPARE(m_form->Session().playIndex(), -1);
    QVERIFY(m_form->ListBox1.isEmpty());
    QCOMPARE(m_fx->keys().keys(), QList<Qt::Key>{Qt::Key_Down});

    // No row is selected; the key, once it reaches the list, selects the first.
    QCOMPARE(m_form->SelectedRow(), -1);
    QTest::keyClick(listView(*m_form), Qt::Key_Down);
    QCOMPARE(m_form->SelectedRow(), 0);
    QCOMPARE(m_fx->panel(0), QStringLiteral("1/3"));
}

void SortPruneTest::shuffleEmptyList()
{
    m_form->Session().setPlayIndex(2);
    m_form->MMRandomSortClick();
    QCOMPARE(m_form->Playlist().count(), 0);
    QCOMPARE(m_form->Session().playIndex(), -1);
}

void SortPruneTest::removeDuplicates()
{
    m_fx->addSongs(2);
    const QByteArray same = m_fx->write("same.snr", songData("Same"));
    m_form->InsertEntry(1, same);
    m_form->AppendEntry(same);
    m_form->AppendEntry(same);
    m_form->Session().setPlayIndex(4);
    action(*m_form, "MMWFileDelete")->trigger();

    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Same", "Song 2"}));
    QCOMPARE(m_fx->dialogs().beeps(), 1);
    QCOMPARE(m_fx->dialogs().texts(What::Message),
             QStringList{QStringLiteral("2個の重複ファイルを削除しました。")});
    QCOMPARE(m_form->Session().playIndex(), 4);
    QVERIFY(m_form->ListBox1.isEmpty());
    QVERIFY(m_fx->keys().keys().isEmpty());

    // Nothing left to remove: still the beep and the count 0.
    m_form->MMWFileDeleteClick();
    QCOMPARE(m_fx->dialogs().beeps(), 2);
    QCOMPARE(m_fx->dialogs().texts(What::Message).last(),
             QStringLiteral("0個の重複ファイルを削除しました。"));
}

void SortPruneTest::removeMissing()
{
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_fx->path("dir.snr"))));
    const QByteArrayList files = m_fx->addSongs(2);
    m_form->InsertEntry(1, m_fx->path("dir.snr"));
    m_form->AppendEntry(m_fx->path("gone.mid"));
    m_form->Session().setPlayIndex(3);
    action(*m_form, "MMExistsDelete")->trigger();
    QCOMPARE(m_fx->paths(), files);
    QCOMPARE(m_fx->dialogs().beeps(), 1);
    QCOMPARE(m_fx->dialogs().texts(What::Message),
             QStringList{QStringLiteral("2個の存在しないファイルを削除しました。")});
    QCOMPARE(m_form->Session().playIndex(), 3);

    // All present: still the beep and the count 0, and nothing else.
    m_form->MMExistsDeleteClick();
    QCOMPARE(m_form->Playlist().count(), 2);
    QCOMPARE(m_fx->dialogs().beeps(), 2);
    QCOMPARE(m_fx->dialogs().texts(What::Message).last(),
             QStringLiteral("0個の存在しないファイルを削除しました。"));
    QCOMPARE(m_fx->dialogs().shown().size(), 2);
    QCOMPARE(m_form->Session().playIndex(), 3);
}

void SortPruneTest::pruneEmptyListShowsNothing_data()
{
    QTest::addColumn<bool>("duplicates");
    QTest::newRow("remove missing") << false;
    QTest::newRow("remove duplicates") << true;
}

void SortPruneTest::pruneEmptyListShowsNothing()
{
    QFETCH(bool, duplicates);
    duplicates ? m_form->MMWFileDeleteClick() : m_form->MMExistsDeleteClick();
    QCOMPARE(m_fx->dialogs().beeps(), 0);
    QVERIFY(m_fx->dialogs().shown().isEmpty());
}

int runSortPruneTests(int argc, char **argv)
{
    SortPruneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sortprune.moc"
