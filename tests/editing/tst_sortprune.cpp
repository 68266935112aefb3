// Sorting, shuffling and pruning the whole list.

#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/playlistmodel.h"
#include "playlist/randomgenerator.h"

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
    void sortByTitleTwiceReverses();
    void pathSortAfterTitleSortStartsAscending();
    void pathSortUsesWholePath();
    void sortKeepsSelectedRow();
    void compareFollowsSortKey();
    void sortEmptyList();
    void shuffleFollowsGenerator();
    void shuffleSharesGeneratorWithRandomPlay();
    void shuffleEmptyList();
    void removeDuplicates();
    void removeDuplicatesIgnoresCase();
    void removeMissingAllPresent();
    void removeMissingCountsFoldersAndMissing();
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

void SortPruneTest::sortByTitleTwiceReverses()
{
    addTitled({"Delta", "Alpha", "Charlie", "Bravo"});
    m_form->PlayIndex = 2;
    QCOMPARE(m_form->SortKey, 0);
    m_form->MMHEADSort->trigger();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Alpha", "Bravo", "Charlie", "Delta"}));
    QCOMPARE(m_form->SortKey, 1);
    QCOMPARE(m_form->PlayIndex, -1);
    m_form->PlayIndex = 0;
    m_form->MMHEADSort->trigger();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Delta", "Charlie", "Bravo", "Alpha"}));
    QCOMPARE(m_form->SortKey, -1);
    QCOMPARE(m_form->PlayIndex, -1);
    // Rows keep their paths and icons.
    QCOMPARE(m_fx->paths().first(), m_fx->path("f0.snr"));
    QVERIFY(m_fx->keys().keys().isEmpty());
    QVERIFY(m_fx->dialogs().shown().isEmpty());
}

void SortPruneTest::pathSortAfterTitleSortStartsAscending()
{
    // Titles run against the file names, so the two orders differ.
    addTitled({"Delta", "Charlie", "Bravo", "Alpha"});
    m_form->MMHEADSortClick();
    m_form->MMHEADSortClick();
    QCOMPARE(m_form->SortKey, -1);
    m_form->MMFileNameSortClick();
    QCOMPARE(m_form->SortKey, 2);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Delta", "Charlie", "Bravo", "Alpha"}));
    m_form->MMFileNameSortClick();
    QCOMPARE(m_form->SortKey, -2);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Alpha", "Bravo", "Charlie", "Delta"}));
    m_form->MMHEADSortClick();
    QCOMPARE(m_form->SortKey, 1);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Alpha", "Bravo", "Charlie", "Delta"}));
}

void SortPruneTest::pathSortUsesWholePath()
{
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_fx->path("A"))));
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_fx->path("B"))));
    m_form->AppendEntry(m_fx->write("B/a.snr", songData("B/a")));
    m_form->AppendEntry(m_fx->write("A/z.snr", songData("A/z")));
    m_form->AppendEntry(m_fx->write("A/b.snr", songData("A/b")));
    m_form->MMFileNameSort->trigger();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"A/b", "A/z", "B/a"}));
}

void SortPruneTest::sortKeepsSelectedRow()
{
    addTitled({"Delta", "Alpha", "Charlie", "Bravo"});
    m_form->SelectRow(0);
    QCOMPARE(m_fx->panel(0), QStringLiteral("1/4"));
    m_form->MMHEADSortClick();
    // The selection went with its row, and the display says where it is now.
    QCOMPARE(m_form->SelectedRow(), 3);
    QCOMPARE(m_fx->panel(0), QStringLiteral("4/4"));
}

void SortPruneTest::compareFollowsSortKey()
{
    addTitled({"Bravo", "Alpha"}); // paths f0 < f1, titles the other way
    m_form->SortKey = 0;
    QCOMPARE(m_form->ListView1Compare(0, 1), 0);
    m_form->SortKey = 1;
    QVERIFY(m_form->ListView1Compare(0, 1) > 0);
    m_form->SortKey = -1;
    QVERIFY(m_form->ListView1Compare(0, 1) < 0);
    m_form->SortKey = 2;
    QVERIFY(m_form->ListView1Compare(0, 1) < 0);
    m_form->SortKey = -2;
    QVERIFY(m_form->ListView1Compare(0, 1) > 0);
    QCOMPARE(m_form->ListView1Compare(1, 1), 0);
}

void SortPruneTest::sortEmptyList()
{
    m_form->PlayIndex = 0;
    m_form->MMHEADSortClick();
    QCOMPARE(m_form->SortKey, 1);
    QCOMPARE(m_form->PlayIndex, -1);
    QCOMPARE(m_form->Playlist().count(), 0);
}

void SortPruneTest::shuffleFollowsGenerator()
{
    const QByteArrayList titles{"T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7"};
    addTitled(titles);
    m_form->AppendEntry(m_fx->path("x.mid"));
    m_form->PlayIndex = 4;
    // Every title changes on disk: the shuffle reads them again.
    QByteArrayList newTitles;
    for (int i = 0; i < titles.size(); ++i) {
        newTitles << "New " + titles[i];
        QVERIFY(writeBytes(m_fx->path("f" + QByteArray::number(i) + ".snr"),
                           songData(newTitles.back())));
    }
    newTitles << "[MIDI] x.mid";
    const QByteArrayList pathsBefore = m_fx->paths();

    // What the generator predicts: draw over the paths still left, take that
    // one out, append its row.
    m_form->Random().setSeed(12345);
    tunelet::RandomGenerator predictor;
    predictor.setSeed(12345);
    QByteArrayList left = pathsBefore;
    QByteArrayList titlesLeft = newTitles;
    QByteArrayList expectedPaths, expectedCaptions;
    while (!left.isEmpty()) {
        const int j = int(predictor.draw(quint32(left.size())));
        expectedPaths << left.takeAt(j);
        expectedCaptions << titlesLeft.takeAt(j);
    }
    QVERIFY(expectedPaths != pathsBefore);

    m_form->MMRandomSort->trigger();
    QCOMPARE(m_fx->paths(), expectedPaths);
    QCOMPARE(m_fx->captions(), expectedCaptions);
    QCOMPARE(m_form->Random().seed(), predictor.seed());
    QCOMPARE(m_form->PlayIndex, -1);
    QVERIFY(m_form->ListBox1.isEmpty());
    QCOMPARE(m_fx->keys().keys(), QList<Qt::Key>{Qt::Key_Down});

    // The key, once it reaches the list, selects the first row.
    QCOMPARE(m_form->SelectedRow(), -1);
    QTest::keyClick(m_form->ListView1, Qt::Key_Down);
    QCOMPARE(m_form->SelectedRow(), 0);
    QCOMPARE(m_fx->panel(0), QStringLiteral("1/9"));
}

void SortPruneTest::shuffleSharesGeneratorWithRandomPlay()
{
    // Two windows' generators start alike; one shuffle advances the shared
    // one by a draw per row.
    addTitled({"A", "B", "C"});
    const quint32 before = m_form->Random().seed();
    m_form->MMRandomSortClick();
    tunelet::RandomGenerator expected;
    expected.setSeed(before);
    for (quint32 n = 3; n > 0; --n)
        expected.draw(n);
    QCOMPARE(m_form->Random().seed(), expected.seed());
}

void SortPruneTest::shuffleEmptyList()
{
    m_form->PlayIndex = 2;
    m_form->MMRandomSortClick();
    QCOMPARE(m_form->Playlist().count(), 0);
    QCOMPARE(m_form->PlayIndex, -1);
}

void SortPruneTest::removeDuplicates()
{
    // The same path at rows 2, 5 and 9 (1-based) of ten.
    QByteArrayList titles;
    for (int i = 0; i < 10; ++i)
        titles << "T" + QByteArray::number(i);
    const QByteArray same = m_fx->write("same.snr", songData("Same"));
    for (int i = 0; i < 10; ++i)
        m_form->AppendEntry(
            i == 1 || i == 4 || i == 8
                ? same
                : m_fx->write("f" + QByteArray::number(i) + ".snr", songData(titles[i])));
    m_form->PlayIndex = 7;
    m_form->MMWFileDelete->trigger();

    QCOMPARE(m_fx->captions(), (QByteArrayList{"T0", "Same", "T2", "T3", "T5", "T6", "T7", "T9"}));
    QCOMPARE(m_fx->dialogs().beeps(), 1);
    QCOMPARE(m_fx->dialogs().texts(What::Message),
             QStringList{QStringLiteral("2個の重複ファイルを削除しました。")});
    QCOMPARE(m_form->PlayIndex, 7);
    QVERIFY(m_form->ListBox1.isEmpty());
    QVERIFY(m_fx->keys().keys().isEmpty());

    // Nothing left to remove: still the beep and the count 0.
    m_form->MMWFileDeleteClick();
    QCOMPARE(m_fx->dialogs().beeps(), 2);
    QCOMPARE(m_fx->dialogs().texts(What::Message).last(),
             QStringLiteral("0個の重複ファイルを削除しました。"));
}

void SortPruneTest::removeDuplicatesIgnoresCase()
{
    m_form->AppendEntry(m_fx->write("song.snr", songData("Upper")));
    m_form->AppendEntry(m_fx->path("SONG.snr"));
    m_form->AppendEntry(m_fx->path("Song.SNR"));
    m_form->MMWFileDeleteClick();
    QCOMPARE(m_fx->paths(), QByteArrayList{m_fx->path("song.snr")});
    QCOMPARE(m_fx->dialogs().texts(What::Message),
             QStringList{QStringLiteral("2個の重複ファイルを削除しました。")});
}

void SortPruneTest::removeMissingAllPresent()
{
    m_fx->addSongs(3);
    m_form->PlayIndex = 2;
    m_form->MMExistsDelete->trigger();
    QCOMPARE(m_form->Playlist().count(), 3);
    QCOMPARE(m_fx->dialogs().beeps(), 1);
    QCOMPARE(m_fx->dialogs().texts(What::Message),
             QStringList{QStringLiteral("0個の存在しないファイルを削除しました。")});
    QCOMPARE(m_fx->dialogs().shown().size(), 1);
    QCOMPARE(m_form->PlayIndex, 2);
}

void SortPruneTest::removeMissingCountsFoldersAndMissing()
{
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_fx->path("dir.snr"))));
    const QByteArrayList files = m_fx->addSongs(2);
    m_form->InsertEntry(1, m_fx->path("dir.snr"));
    m_form->AppendEntry(m_fx->path("gone.mid"));
    m_form->PlayIndex = 3;
    m_form->MMExistsDeleteClick();
    QCOMPARE(m_fx->paths(), files);
    QCOMPARE(m_fx->dialogs().texts(What::Message),
             QStringList{QStringLiteral("2個の存在しないファイルを削除しました。")});
    QCOMPARE(m_form->PlayIndex, 3);
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
