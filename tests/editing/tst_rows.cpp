// Deleting, clearing and moving rows, and the position display.

#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/PlaylistModel.h"

#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>

using namespace tunelet::testkit;

class RowsTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void deleteSelectedRow();
    void deleteWithoutSelection();
    void clearShowsZeroOfZero();
    void clearEmptyList();
    void move_data();
    void move();
    void positionDisplayFollowsSelection();
    void playIndexAfterCommand_data();
    void playIndexAfterCommand();

private:
    std::unique_ptr<WindowFixture> m_fx;
    TForm1 *m_form = nullptr;
};

void RowsTest::init()
{
    m_fx = std::make_unique<WindowFixture>();
    QVERIFY(m_fx->isValid());
    m_form = &m_fx->start();
}

void RowsTest::cleanup()
{
    m_fx.reset();
    m_form = nullptr;
}

void RowsTest::deleteSelectedRow()
{
    m_fx->addSongs(5);
    m_form->SelectRow(2);
    m_form->Session().setPlayIndex(4);
    m_form->MMDeleteClick();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "Song 4", "Song 5"}));
    QCOMPARE(m_form->focusWidget(), listView(*m_form));
    QCOMPARE(m_fx->keys().keys(), QList<Qt::Key>{Qt::Key_Left});
    // The list selects the row that took the deleted one's place; PlayIndex
    // now points past the last row.
    QCOMPARE(m_form->SelectedRow(), 2);
    QCOMPARE(m_fx->panel(0), QStringLiteral("3/4"));
    QCOMPARE(m_form->Session().playIndex(), 4);

    // Deleting the last row selects the one above it.
    m_form->SelectRow(3);
    m_form->MMDeleteClick();
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "Song 4"}));
    QCOMPARE(m_form->SelectedRow(), 2);
    QCOMPARE(m_fx->panel(0), QStringLiteral("3/3"));
    QCOMPARE(m_fx->keys().keys(), (QList<Qt::Key>{Qt::Key_Left, Qt::Key_Left}));
}

void RowsTest::deleteWithoutSelection()
{
    m_fx->addSongs(3);
    m_form->MMDeleteClick();
    QCOMPARE(m_form->Playlist().count(), 3);
    QVERIFY(m_fx->keys().keys().isEmpty());
    QVERIFY(m_form->focusWidget() != listView(*m_form));

    // Nothing on an empty list either.
    m_form->MMClearClick();
    m_form->MMDeleteClick();
    QVERIFY(m_fx->keys().keys().isEmpty());
}

void RowsTest::clearShowsZeroOfZero()
{
    m_fx->addSongs(4);
    m_form->SelectRow(1);
    QCOMPARE(m_fx->panel(0), QStringLiteral("2/4"));
    m_form->Session().setPlayIndex(2);
    m_form->FileName = m_fx->path("list.ppl");
    action(*m_form, "MMClear")->trigger();
    QCOMPARE(m_form->Playlist().count(), 0);
    QCOMPARE(m_fx->panel(0), QStringLiteral("0/0"));
    QCOMPARE(m_form->Session().playIndex(), 2);
    QCOMPARE(m_form->FileName, m_fx->path("list.ppl"));
    QVERIFY(m_fx->keys().keys().isEmpty());
}

void RowsTest::clearEmptyList()
{
    m_form->MMClearClick();
    QCOMPARE(m_fx->panel(0), QStringLiteral("0/0"));
}

void RowsTest::move_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<QByteArrayList>("captions");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<bool>("keySent");

    const QByteArrayList unchanged{"Song 1", "Song 2", "Song 3", "Song 4"};
    QTest::newRow("up from the middle")
        << true << 2 << QByteArrayList{"Song 1", "Song 3", "Song 2", "Song 4"} << 1 << true;
    QTest::newRow("up at the first row") << true << 0 << unchanged << 0 << false;
    QTest::newRow("up without selection") << true << -1 << unchanged << -1 << false;
    QTest::newRow("down from the middle")
        << false << 1 << QByteArrayList{"Song 1", "Song 3", "Song 2", "Song 4"} << 2 << true;
    QTest::newRow("down at the last row") << false << 3 << unchanged << 3 << false;
}

void RowsTest::move()
{
    QFETCH(bool, up);
    QFETCH(int, selected);
    QFETCH(QByteArrayList, captions);
    QFETCH(int, selectedAfter);
    QFETCH(bool, keySent);

    m_fx->addSongs(4);
    if (selected >= 0)
        m_form->SelectRow(selected);
    const QString positionBefore = m_fx->panel(0);
    m_form->Session().setPlayIndex(2);
    up ? m_form->MMUpClick() : m_form->MMDownClick();

    QCOMPARE(m_fx->captions(), captions);
    QCOMPARE(m_form->SelectedRow(), selectedAfter);
    QCOMPARE(listView(*m_form)->currentIndex().row(), selectedAfter);
    QCOMPARE(m_form->Session().playIndex(), 2);
    QCOMPARE(m_fx->keys().keys(), keySent ? QList<Qt::Key>{Qt::Key_Left} : QList<Qt::Key>{});
    QCOMPARE(m_form->focusWidget() == listView(*m_form), keySent);
    if (keySent)
        QCOMPARE(m_fx->panel(0), QStringLiteral("%1/4").arg(selectedAfter + 1));
    else
        QCOMPARE(m_fx->panel(0), positionBefore);
}

void RowsTest::positionDisplayFollowsSelection()
{
    m_fx->addSongs(5);
    QCOMPARE(m_fx->panel(0), QString());
    QItemSelectionModel *selection = listView(*m_form)->selectionModel();
    selection->select(m_form->Playlist().index(2, 0),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCOMPARE(m_fx->panel(0), QStringLiteral("3/5"));
    listView(*m_form)->setCurrentIndex(m_form->Playlist().index(4, 1));
    QCOMPARE(m_fx->panel(0), QStringLiteral("5/5"));
    // Without a selected row the display keeps its text.
    selection->clearSelection();
    QCOMPARE(m_fx->panel(0), QStringLiteral("5/5"));
    m_form->ListView1Change();
    QCOMPARE(m_fx->panel(0), QStringLiteral("5/5"));
    // Through the keyboard as well.
    listView(*m_form)->setCurrentIndex(m_form->Playlist().index(0, 0));
    QTest::keyClick(listView(*m_form), Qt::Key_Down);
    QCOMPARE(m_fx->panel(0), QStringLiteral("2/5"));
}

void RowsTest::playIndexAfterCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("expected");
    QTest::newRow("add") << "add" << 3;
    QTest::newRow("insert") << "insert" << 3;
    QTest::newRow("delete") << "delete" << 3;
    QTest::newRow("clear") << "clear" << 3;
    QTest::newRow("up") << "up" << 3;
    QTest::newRow("down") << "down" << 3;
    QTest::newRow("sort by title") << "title" << -1;
    QTest::newRow("sort by path") << "path" << -1;
    QTest::newRow("shuffle") << "shuffle" << -1;
    QTest::newRow("remove missing") << "missing" << 3;
    QTest::newRow("remove duplicates") << "duplicates" << 3;
    QTest::newRow("drop songs") << "drop songs" << 3;
    QTest::newRow("drop list") << "drop list" << -1;
}

void RowsTest::playIndexAfterCommand()
{
    QFETCH(QString, command);
    QFETCH(int, expected);
    const QByteArrayList files = m_fx->addSongs(5);
    m_form->AppendEntry(m_fx->path("missing.snr"));
    m_form->AppendEntry(files.first());
    m_form->SelectRow(2);
    m_form->Session().setPlayIndex(3);
    const QByteArray list = m_fx->path("list.ppl");
    QVERIFY(writeBytes(list, files.last() + "\r\n"));
    m_fx->dialogs().chooseFiles({files.first()});

    const QHash<QString, std::function<void()>> commands{
        {"add", [&] { m_form->MMAddClick(); }},
        {"insert", [&] { m_form->PMInsertClick(); }},
        {"delete", [&] { m_form->MMDeleteClick(); }},
        {"clear", [&] { m_form->MMClearClick(); }},
        {"up", [&] { m_form->MMUpClick(); }},
        {"down", [&] { m_form->MMDownClick(); }},
        {"title", [&] { m_form->MMHEADSortClick(); }},
        {"path", [&] { m_form->MMFileNameSortClick(); }},
        {"shuffle", [&] { m_form->MMRandomSortClick(); }},
        {"missing", [&] { m_form->MMExistsDeleteClick(); }},
        {"duplicates", [&] { m_form->MMWFileDeleteClick(); }},
        {"drop songs", [&] { m_form->FilesDropped({files.first()}, QPoint(-1, -1)); }},
        {"drop list", [&] { m_form->FilesDropped({list}, QPoint(-1, -1)); }},
    };
    const int countBefore = m_form->Playlist().count();
    commands.value(command)();
    QCOMPARE(m_form->Session().playIndex(), expected);
    // Every command did something (so the check above means something).
    QVERIFY(m_form->Playlist().count() != countBefore || !m_fx->keys().keys().isEmpty() ||
            command == "title" || command == "path" || command == "drop list");
}

int runRowsTests(int argc, char **argv)
{
    RowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rows.moc"
