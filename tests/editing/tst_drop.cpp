// Files dropped onto the main window: local file URLs in drop order, placed
// by the row under the drop position.

#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "playlist/PlaylistModel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTreeView>
#include <QUrl>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class DropTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void threeFilesOntoSecondRow();
    void filesBelowTheRows();
    void dropOnLastRow();
    void dropOverHeaderIsNoRow();
    void listFileReplacesWhatCameBefore();
    void unreadableListEndsTheDrop();
    void filesOfNoKnownKindAddNothing();
    void longAndNonAsciiPathsKeptWhole();
    void dragEnterAcceptsUrlsOnly();

private:
    // Drops the files at a point in ListView1's viewport.
    void drop(const QByteArrayList &files, const QPoint &viewportPos);
    void dropUrls(const QList<QUrl> &urls, const QPoint &viewportPos);
    QPoint rowPoint(int row) const;

    std::unique_ptr<WindowFixture> m_fx;
    TForm1 *m_form = nullptr;
};

void DropTest::init()
{
    m_fx = std::make_unique<WindowFixture>();
    QVERIFY(m_fx->isValid());
    m_form = &m_fx->start();
    QVERIFY(m_fx->showLaidOut());
    // Keys the window sends itself when it becomes active are not the drop's.
    m_fx->keys().clear();
}

void DropTest::cleanup()
{
    m_fx.reset();
    m_form = nullptr;
}

void DropTest::dropUrls(const QList<QUrl> &urls, const QPoint &viewportPos)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint inWindow = listView(*m_form)->viewport()->mapTo(m_form, viewportPos);
    // As a drag from the desktop arrives: it enters, moves, and is dropped.
    QDragEnterEvent enter(inWindow, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form, &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(inWindow, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form, &move);
    QDropEvent event(QPointF(inWindow), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form, &event);
    QVERIFY(event.isAccepted());
}

void DropTest::drop(const QByteArrayList &files, const QPoint &viewportPos)
{
    QList<QUrl> urls;
    for (const QByteArray &file : files)
        urls << QUrl::fromLocalFile(QFile::decodeName(file));
    dropUrls(urls, viewportPos);
}

QPoint DropTest::rowPoint(int row) const
{
    const QRect rect = listView(*m_form)->visualRect(m_form->Playlist().index(row, 0));
    return rect.center();
}

void DropTest::threeFilesOntoSecondRow()
{
    m_fx->addSongs(5);
    m_form->Session().setPlayIndex(2);
    const QByteArray a = m_fx->write("a.snr", songData("Alpha"));
    const QByteArray b = m_fx->path("b.mid");
    const QByteArray c = m_fx->write("c.txt", songData("Charlie"));
    QVERIFY(!rowPoint(1).isNull());
    drop({a, b, c}, rowPoint(1));

    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "Charlie", "[MIDI] b.mid",
                                               "Alpha", "Song 3", "Song 4", "Song 5"}));
    QCOMPARE(m_fx->paths().mid(2, 3), (QByteArrayList{c, b, a}));
    QCOMPARE(m_form->Session().playIndex(), 2);
    QVERIFY(m_fx->keys().keys().isEmpty());
    QVERIFY(m_fx->dialogs().shown().isEmpty());

    // The same drop onto the fourth row lands below that one instead.
    const QByteArray d = m_fx->write("d.snr", songData("Delta"));
    drop({d}, rowPoint(3));
    QCOMPARE(m_fx->captions().at(4), QByteArray("Delta"));
}

void DropTest::filesBelowTheRows()
{
    m_fx->addSongs(2);
    const QByteArray a = m_fx->write("a.snr", songData("Alpha"));
    const QByteArray b = m_fx->write("b.snr", songData("Beta"));
    const QRect viewport = listView(*m_form)->viewport()->rect();
    QVERIFY(rowPoint(1).y() + 40 < viewport.bottom());
    drop({a, b}, QPoint(viewport.center().x(), viewport.bottom() - 2));
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "Alpha", "Beta"}));
}

void DropTest::dropOnLastRow()
{
    m_fx->addSongs(3);
    const QByteArray a = m_fx->write("a.snr", songData("Alpha"));
    const QByteArray b = m_fx->write("b.snr", songData("Beta"));
    drop({a, b}, rowPoint(2));
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "Song 3", "Beta", "Alpha"}));
}

void DropTest::dropOverHeaderIsNoRow()
{
    m_fx->addSongs(3);
    const QByteArray a = m_fx->write("a.snr", songData("Alpha"));
    drop({a}, QPoint(rowPoint(0).x(), -5));
    QCOMPARE(m_fx->captions().last(), QByteArray("Alpha"));
}

void DropTest::listFileReplacesWhatCameBefore()
{
    m_fx->addSongs(3);
    m_form->Session().setPlayIndex(1);
    const QByteArray x = m_fx->write("x.snr", songData("X"));
    const QByteArray y = m_fx->write("y.snr", songData("Y"));
    const QByteArray z = m_fx->write("z.snr", songData("Z"));
    const QByteArray listed1 = m_fx->write("l1.snr", songData("Listed 1"));
    const QByteArray listed2 = m_fx->write("l2.snr", songData("Listed 2"));
    const QByteArray list = m_fx->path("my.PPL");
    QVERIFY(writeBytes(list, listed1 + "\r\n" + listed2 + "\r\n" + listed1 + "\r\n"));

    // Dropped onto the second row: x before the list is lost with the rows it
    // replaced; y and z after it go below the second row of the loaded list.
    drop({x, list, y, z}, rowPoint(1));
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Listed 1", "Listed 2", "Z", "Y", "Listed 1"}));
    QCOMPARE(m_form->FileName, list);
    QCOMPARE(m_form->Session().playIndex(), -1);
    QVERIFY(m_fx->keys().keys().isEmpty());
    QVERIFY(m_fx->dialogs().shown().isEmpty());
}

void DropTest::unreadableListEndsTheDrop()
{
    m_fx->addSongs(2);
    m_form->Session().setPlayIndex(1);
    m_form->FileName = "old.ppl";
    const QByteArray x = m_fx->write("x.snr", songData("X"));
    const QByteArray y = m_fx->write("y.snr", songData("Y"));
    const QByteArray gone = m_fx->path("gone.alb");
    drop({x, gone, y}, QPoint(-1, -1));
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 2", "X"}));
    QCOMPARE(m_fx->dialogs().texts(What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(QString::fromUtf8(gone))});
    QCOMPARE(m_form->FileName, QByteArray("old.ppl"));
    QCOMPARE(m_form->Session().playIndex(), 1);
}

void DropTest::filesOfNoKnownKindAddNothing()
{
    m_fx->addSongs(2);
    const QByteArray doc = m_fx->path("notes.doc");
    QVERIFY(writeBytes(doc, "*HEAD\"Doc\"\r\n"));
    QVERIFY(QDir().mkpath(QString::fromUtf8(m_fx->path("folder.d"))));
    QList<QUrl> urls{QUrl(QStringLiteral("https://example.org/x.snr"))};
    for (const QByteArray &file : {doc, m_fx->path("noext"), m_fx->path("folder.d")})
        urls << QUrl::fromLocalFile(QFile::decodeName(file));
    dropUrls(urls, rowPoint(0));
    QCOMPARE(m_form->Playlist().count(), 2);
    QVERIFY(m_fx->dialogs().shown().isEmpty());

    // A song file need not exist: it gets its file name as caption.
    drop({m_fx->path("missing.SNR")}, rowPoint(0));
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "missing.SNR", "Song 2"}));
}

void DropTest::longAndNonAsciiPathsKeptWhole()
{
    QByteArray folder = m_fx->home();
    while (folder.size() < 300)
        folder += QByteArray(60, 'd') + '/';
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    const QByteArray longPath = folder + "long.snr";
    QVERIFY(writeBytes(longPath, songData("Long")));
    const QByteArray japanese = m_fx->path("曲.snr");
    QVERIFY(writeBytes(japanese, songData("Kyoku")));
    drop({longPath, japanese}, QPoint(-1, -1));
    QCOMPARE(m_fx->paths(), (QByteArrayList{longPath, japanese}));
    QVERIFY(longPath.size() > 300);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Long", "Kyoku"}));
}

void DropTest::dragEnterAcceptsUrlsOnly()
{
    QVERIFY(m_form->acceptDrops());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.snr"))});
    QDragEnterEvent enter(QPoint(10, 60), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(m_form, &enter);
    QVERIFY(enter.isAccepted());

    QMimeData text;
    text.setText(QStringLiteral("a.snr"));
    QDragEnterEvent plain(QPoint(10, 60), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    plain.ignore();
    QCoreApplication::sendEvent(m_form, &plain);
    QVERIFY(!plain.isAccepted());
}

int runDropTests(int argc, char **argv)
{
    DropTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drop.moc"
