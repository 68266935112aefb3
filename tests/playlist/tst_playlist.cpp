#include "playlist/Editing.h"
#include "playlist/EntryBuilder.h"
#include "playlist/EntryKind.h"
#include "playlist/ListFile.h"
#include "playlist/ListPrefetch.h"
#include "playlist/ListableName.h"
#include "playlist/PlayIndex.h"
#include "playlist/PlaylistModel.h"
#include "playlist/Pruning.h"
#include "playlist/RandomGenerator.h"
#include "playlist/ReadTitle.h"
#include "playlist/Sorting.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <sys/stat.h>

using namespace tunelet;

namespace
{
// "テスト" in Shift-JIS.
const QByteArray kSjis("\x83\x65\x83\x58\x83\x67");

class Folder
{
public:
    Folder() { QVERIFY(m_dir.isValid()); }
    QByteArray path() const { return QFile::encodeName(m_dir.path()) + '/'; }
    QByteArray file(const QByteArray &name, const QByteArray &content) const
    {
        const QByteArray full = path() + name;
        if (!writeFileAtomically(full, content))
            qFatal("cannot write test file");
        return full;
    }
    QByteArray song(const QByteArray &name, const QByteArray &title) const
    {
        return file(name, "#comment\r\n*HEAD\"" + title + "\"\r\n*TEMPO 120\r\n");
    }

private:
    QTemporaryDir m_dir;
};

QList<QByteArray> captions(const PlaylistModel &model)
{
    QList<QByteArray> out;
    for (const PlaylistEntry &e : model.entries())
        out.append(e.caption);
    return out;
}

// The same draws as the program's generator, computed independently.
QList<int> predictedShuffle(int n, quint32 seed)
{
    QList<int> remaining;
    for (int i = 0; i < n; ++i)
        remaining.append(i);
    QList<int> order;
    for (int m = n; m > 0; --m) {
        seed = seed * 134775813u + 1u;
        const int j = int((quint64(seed) * quint64(m)) >> 32);
        order.append(remaining.takeAt(j));
    }
    return order;
}
} // namespace

class TestPlaylist final : public QObject
{
    Q_OBJECT

private slots:
    void readTitle_data();
    void readTitle();
    void readTitleFallsBackToFileName();
    void readTitleAcrossChunksAndLongLines();
    void readTitleCutsHugeTitles();
    void readTitleStopsAtTheScanBound();

    void listableNames_data();
    void listableNames();
    void unlistableNameEndsTheCommand();

    void entryKinds_data();
    void entryKinds();
    void buildsRowsByKind();
    void archiveRowsUseTheExtractorOnlyWhenOn();
    void archiveErrorLeavesNoHalfRow();

    void modelShowsColumnsAndRoles();
    void modelBatchOperationsPassTheTester();

    void randomSequence();

    void splitListText_data();
    void splitListText();
    void loadListResolvesAndSkips();
    void loadListKeepsRowsWhenUnreadable();
    void loadListArchiveErrorKeepsEarlierRows();
    void loadListReadsTitlesAroundArchivesInOrder();
    void listReadAheadGivesTheLoadsRowsOnce();
    void saveListWritesCrLfAndRoundTripsBytes();
    void saveListFailureIsReported();
    void emptyListIsZeroBytes();

    void moveKeepsCaptionAndRecomputesIcon();
    void deleteAndClear();
    void insertIndexAndPosition();
    void dropOnRowInsertsBelowInReverseOrder();
    void dropListFileReplacesEarlierRows();
    void dropWithoutRowAppendsAndIgnoresOthers();
    void openedFilesNameTheirFirstRowAndKeepTheFailure();

    void sortByTitleTwiceReverses();
    void pathSortAfterTitleSortStartsAscending();
    void compareFollowsSortKey();
    void sortKeepsSelectionOnItsRow();

    void shuffleFollowsTheGenerator();
    void shuffleDrawsAroundArchivesInOrder();
    void shuffleReadsOnlyChangedTitles();
    void sortInTheCLocaleFollowsTheCompare();
    void removeMissing();
    void removeDuplicates();
    void removeDuplicatesIgnoresCase();
    void removeDuplicatesFoldsOnlyText();
    void prunesAcrossManyScatteredRows();
};

void TestPlaylist::readTitle_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("closed") << QByteArray("*HEAD\"T\"\r\n") << QByteArray("T");
    QTest::newRow("space marker, text after")
        << QByteArray("*HEAD \"T\" more text\r\n") << QByteArray("T");
    QTest::newRow("no closing quote")
        << QByteArray("*HEAD\"T and more\r\nnext\"") << QByteArray("T and more");
    QTest::newRow("empty title") << QByteArray("*HEAD\"\"\r\n") << QByteArray();
    QTest::newRow("no title line") << QByteArray("a\r\nb\r\n") << QByteArray();
    QTest::newRow("lower case skipped")
        << QByteArray("*head\"x\"\r\n*HEAD\"Y\"\r\n") << QByteArray("Y");
    QTest::newRow("mixed case skipped") << QByteArray("*Head\"x\"\r\n") << QByteArray();
    QTest::newRow("tab not a marker") << QByteArray("*HEAD\t\"x\"\r\n") << QByteArray();
    QTest::newRow("two spaces not a marker") << QByteArray("*HEAD  \"x\"\r\n") << QByteArray();
    QTest::newRow("lf only is one line")
        << QByteArray("a\n*HEAD\"T\nmore\"tail\n") << QByteArray("T\nmore");
    QTest::newRow("lf only to end of file")
        << QByteArray("a\n*HEAD\"T\nrest\n") << QByteArray("T\nrest\n");
    QTest::newRow("cr only") << QByteArray("a\r*HEAD\"T\"\r") << QByteArray("T");
    QTest::newRow("cr ends the title") << QByteArray("*HEAD\"T\rX\"") << QByteArray("T");
    QTest::newRow("no-space marker wins in its line")
        << QByteArray("*HEAD \"A\" *HEAD\"B\"\r\n") << QByteArray("B");
    QTest::newRow("no-space marker inside the other's title")
        << QByteArray("*HEAD \"x*HEAD\"y\"\r\n") << QByteArray("y");
    QTest::newRow("first matching line wins")
        << QByteArray("*HEAD \"A\"\r\n*HEAD\"B\"\r\n") << QByteArray("A");
    QTest::newRow("space marker, no closing quote")
        << QByteArray("*HEAD \"A b\r\n*HEAD\"B\"\r\n") << QByteArray("A b");
    QTest::newRow("end of text before title") << QByteArray("x\x1a*HEAD\"T\"\r\n") << QByteArray();
    QTest::newRow("end of text inside title") << QByteArray("*HEAD\"AB\x1a"
                                                            "C\"")
                                              << QByteArray("AB");
    QTest::newRow("nothing trimmed") << QByteArray("*HEAD\"  T  \"") << QByteArray("  T  ");
    QTest::newRow("star restarts match") << QByteArray("**HEAD\"T\"") << QByteArray("T");
    QTest::newRow("partial then full") << QByteArray("*HEAD *HEAD\"X\"") << QByteArray("X");
    QTest::newRow("marker mid-line") << QByteArray("abc*HEAD\"T\"") << QByteArray("T");
    QTest::newRow("shift-jis kept")
        << QByteArray("*HEAD\"" + kSjis + "\\\"\r\n") << QByteArray(kSjis + "\\");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
}

void TestPlaylist::readTitle()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, title);
    Folder dir;
    QCOMPARE(ReadTitle(dir.file("song.snr", content)), title);
}

void TestPlaylist::readTitleFallsBackToFileName()
{
    Folder dir;
    QCOMPARE(ReadTitle(dir.path() + "missing.snr"), QByteArray("missing.snr"));
    QVERIFY(QDir().mkdir(QFile::decodeName(dir.path() + "folder.snr")));
    QCOMPARE(ReadTitle(dir.path() + "folder.snr"), QByteArray("folder.snr"));
    QCOMPARE(ReadTitle(QByteArray()), QByteArray());
    // A FIFO never blocks the reader.
    const QByteArray fifo = dir.path() + "pipe.snr";
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QCOMPARE(ReadTitle(fifo), QByteArray("pipe.snr"));
}

void TestPlaylist::readTitleAcrossChunksAndLongLines()
{
    Folder dir;
    // The marker straddles the first 4 KiB read.
    QCOMPARE(ReadTitle(dir.file("a.snr", QByteArray(4093, 'x') + "*HEAD\"T\"")), QByteArray("T"));
    // CR at the end of one read, LF at the start of the next.
    QCOMPARE(ReadTitle(dir.file("b.snr", QByteArray(4095, 'x') + "\r\n*HEAD\"U\"")),
             QByteArray("U"));
    // A 3 MB line before the title line.
    QCOMPARE(ReadTitle(dir.file("c.snr", QByteArray(3 << 20, 'y') + "\r*HEAD \"V\"")),
             QByteArray("V"));
    // A 3 MB line between a space-marker and a no-space marker of one line.
    QCOMPARE(ReadTitle(dir.file("d.snr", "*HEAD \"A\"" + QByteArray(3 << 20, 'z') + "*HEAD\"W\"")),
             QByteArray("W"));
}

void TestPlaylist::readTitleCutsHugeTitles()
{
    Folder dir;
    const QByteArray title = ReadTitle(dir.file("huge.snr", "*HEAD\"" + QByteArray(1 << 20, 't')));
    QCOMPARE(title.size(), MaxTitleLength);
}

void TestPlaylist::readTitleStopsAtTheScanBound()
{
    Folder dir;
    // A 4 GiB sparse file: its title line comes first, its zeros are never read.
    const QByteArray huge = dir.file("huge.snr", "*HEAD\"Big\"\r\n");
    QVERIFY(QFile::resize(QFile::decodeName(huge), qint64(4) << 30));
    QCOMPARE(ReadTitle(huge), QByteArray("Big"));
    // A title line beyond the bound is not read: the file name stands.
    const QByteArray late = dir.file("late.snr", QByteArray());
    QVERIFY(QFile::resize(QFile::decodeName(late), MaxTitleScan));
    QFile file(QFile::decodeName(late));
    QVERIFY(file.open(QIODevice::Append));
    file.write("\r*HEAD\"Late\"\r");
    file.close();
    QCOMPARE(ReadTitle(late), QByteArray());
    // Just inside the bound it is.
    const QByteArray inside = dir.file("inside.snr", QByteArray());
    QVERIFY(QFile::resize(QFile::decodeName(inside), MaxTitleScan - 20));
    QFile near(QFile::decodeName(inside));
    QVERIFY(near.open(QIODevice::Append));
    near.write("\r*HEAD\"In\"\r");
    near.close();
    QCOMPARE(ReadTitle(inside), QByteArray("In"));
}

void TestPlaylist::listableNames_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("listable");
    QTest::newRow("plain") << QByteArray("/m/a.snr") << true;
    QTest::newRow("Shift-JIS") << QByteArray("/m/" + kSjis + ".snr") << true;
    QTest::newRow("tab and quote") << QByteArray("/m/a\t\"b.snr") << true;
    QTest::newRow("LF") << QByteArray("/m/nl\nname.snr") << false;
    QTest::newRow("CR") << QByteArray("/m/cr\rname.snr") << false;
    QTest::newRow("LF in a folder") << QByteArray("/m/x\n/etc/a.snr") << false;
    QTest::newRow("NUL") << QByteArray("/m/a.snr\0.snr", 14) << false;
}

void TestPlaylist::listableNames()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, listable);
    QCOMPARE(isListableName(path), listable);
}

void TestPlaylist::unlistableNameEndsTheCommand()
{
    Folder dir;
    const QByteArray first = dir.song("a.snr", "A");
    const QByteArray broken = dir.song("nl\nname.snr", "Broken");
    const QByteArray last = dir.song("c.snr", "C");
    PlaylistModel model;
    EntryBuilder builder(model);
    // Adding files: the rows before the name stay, none is added after it.
    try {
        appendEntries(builder, {first, broken, last});
        QFAIL("the name was taken");
    } catch (const EUnlistableName &e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(QStringLiteral("nl\\nname.snr")));
    }
    QCOMPARE(captions(model), QList<QByteArray>{"A"});
    // One row at a time (a drop, a handed file).
    QVERIFY_THROWS_EXCEPTION(EUnlistableName,
                             builder.AppendEntry(QByteArray("/m/a.snr\0.snr", 14)));
    QVERIFY_THROWS_EXCEPTION(EUnlistableName, builder.InsertEntry(0, broken));
    QCOMPARE(model.count(), 1);
    // What is saved reads back row for row.
    QVERIFY(SaveListFile(model, dir.path() + "list.ppl").ok());
    QVERIFY(LoadListFile(builder, dir.path() + "list.ppl").ok());
    QCOMPARE(captions(model), QList<QByteArray>{"A"});
}

void TestPlaylist::entryKinds_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("kind");
    QTest::newRow("snr") << QByteArray("/a/b.snr") << 0;
    QTest::newRow("txt") << QByteArray("/a/b.TXT") << 0;
    QTest::newRow("none") << QByteArray("/a.mid/b") << 0;
    QTest::newRow("mid") << QByteArray("X.MID") << 1;
    QTest::newRow("Mid") << QByteArray("/q/x.Mid") << 1;
    QTest::newRow("lzh") << QByteArray("/q/Y.Lzh") << 2;
}

void TestPlaylist::entryKinds()
{
    QFETCH(QByteArray, path);
    QFETCH(int, kind);
    QCOMPARE(int(entryKindOf(path)), kind);
}

void TestPlaylist::buildsRowsByKind()
{
    Folder dir;
    PlaylistModel model;
    EntryBuilder builder(model);
    const QByteArray midi = dir.file("X.MID", "*HEAD\"not read\"");
    builder.AppendEntry(midi);
    builder.AppendEntry(dir.song("song.snr", "Title"));
    builder.AppendEntry(dir.file("untitled.txt", "no title\r\n"));
    builder.AppendEntry(dir.path() + "missing.snr");
    builder.InsertEntry(0, dir.path() + "first.snr");
    QCOMPARE(captions(model), (QList<QByteArray>{"first.snr", "[MIDI] X.MID", "Title",
                                                 "untitled.txt", "missing.snr"}));
    QCOMPARE(model.entry(1).imageIndex, 1);
    QCOMPARE(model.entry(2).imageIndex, 0);
    QCOMPARE(model.path(1), midi);
}

void TestPlaylist::archiveRowsUseTheExtractorOnlyWhenOn()
{
    Folder dir;
    PlaylistModel model;
    EntryBuilder builder(model);
    bool lzhHead = false;
    int calls = 0;
    QByteArray extracted = dir.song("tunelet.snr", "Inner");
    std::optional<QByteArray> result = extracted;
    builder.setLzhHeadOption([&] { return lzhHead; });
    builder.setLzhExtractor([&](const QByteArray &) {
        ++calls;
        return result;
    });
    const QByteArray archive = dir.path() + "pack.LZH";
    builder.AppendEntry(archive);
    QCOMPARE(model.caption(0), QByteArray("[LZH] pack.LZH"));
    QCOMPARE(model.entry(0).imageIndex, 2);
    QCOMPARE(calls, 0);

    lzhHead = true;
    builder.AppendEntry(archive);
    QCOMPARE(model.caption(1), QByteArray("[LZH] Inner"));
    result = std::nullopt; // no data file in the archive
    builder.AppendEntry(archive);
    QCOMPARE(model.caption(2), QByteArray("[LZH] pack.LZH"));
    result = dir.file("tunelet.snr", "no title");
    builder.AppendEntry(archive);
    QCOMPARE(model.caption(3), QByteArray("[LZH] pack.LZH"));
    QCOMPARE(calls, 3);
}

void TestPlaylist::archiveErrorLeavesNoHalfRow()
{
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.setLzhHeadOption([] { return true; });
    builder.setLzhExtractor(
        [](const QByteArray &) -> std::optional<QByteArray> { throw std::runtime_error("dll"); });
    builder.AppendEntry("/x/a.snr");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, builder.InsertEntry(0, "/x/b.lzh"));
    QCOMPARE(model.count(), 1);
}

void TestPlaylist::modelShowsColumnsAndRoles()
{
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setIconProvider([](int index) { return QVariant(index * 10); });
    model.appendEntry({kSjis, 2, "/m/" + kSjis + ".lzh"});
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("HEAD"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("FileName"));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("テスト"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("/m/テスト.lzh"));
    QCOMPARE(model.index(0, 0).data(Qt::DecorationRole).toInt(), 20);
    QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).isValid());
    QCOMPARE(model.index(0, 1).data(PlaylistModel::ImageIndexRole).toInt(), 2);
    QCOMPARE(model.index(0, 1).data(PlaylistModel::PathBytesRole).toByteArray(),
             "/m/" + kSjis + ".lzh");
    QCOMPARE(model.index(0, 0).data(PlaylistModel::CaptionBytesRole).toByteArray(), kSjis);
    QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
}

void TestPlaylist::modelBatchOperationsPassTheTester()
{
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QList<PlaylistEntry> rows;
    for (int i = 0; i < 200; ++i)
        rows.append({QByteArray::number(i), 0, "/p/" + QByteArray::number(i)});
    model.setEntries(rows);
    QCOMPARE(resets.size(), 1);
    model.insertEntry(5, {"new", 1, "/p/new.mid"});
    QCOMPARE(model.caption(5), QByteArray("new"));
    model.moveEntry(5, 0);
    model.moveEntry(0, 7);
    QCOMPARE(model.caption(7), QByteArray("new"));
    model.removeEntries({7, 0, 1, 2, 199, 200, -1});
    QCOMPARE(model.count(), 195);
    QCOMPARE(model.caption(0), QByteArray("3"));
    QList<int> scattered;
    for (int i = 0; i < model.count(); i += 2)
        scattered.append(i);
    model.removeEntries(scattered); // many runs: compacted in one pass
    QCOMPARE(model.count(), 97);
    QCOMPARE(model.caption(0), QByteArray("4"));
    std::vector<int> reversed(size_t(model.count()));
    for (int i = 0; i < model.count(); ++i)
        reversed[size_t(i)] = model.count() - 1 - i;
    const QByteArray last = model.caption(model.count() - 1);
    model.reorder(reversed);
    QCOMPARE(model.caption(0), last);
    model.appendEntries({{"a", 0, "a"}, {"b", 0, "b"}});
    QCOMPARE(model.count(), 99);
    model.clear();
    QCOMPARE(model.count(), 0);
    QVERIFY(!model.removeRows(0, 1));
}

void TestPlaylist::randomSequence()
{
    RandomGenerator random;
    QList<quint32> draws;
    for (int i = 0; i < 8; ++i)
        draws.append(random.draw(10));
    QCOMPARE(draws, (QList<quint32>{0, 0, 8, 2, 2, 6, 3, 1}));
    RandomGenerator other;
    QCOMPARE(other.draw(1), 0u);
    QCOMPARE(other.seed(), 1u);
    QCOMPARE(other.draw(0xFFFFFFFFu), quint32((quint64(134775814u) * 0xFFFFFFFFull) >> 32));
}

void TestPlaylist::splitListText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("cr") << QByteArray("a\rb\r") << QList<QByteArray>{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\r\nb\rc\nd") << QList<QByteArray>{"a", "b", "c", "d"};
    QTest::newRow("no final end") << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
    QTest::newRow("empty lines") << QByteArray("\r\n\n\r") << QList<QByteArray>{"", "", ""};
    QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("nul ends text")
        << QByteArray("a\r\nb\0c\r\nd", 10) << QList<QByteArray>{"a", "b"};
    QTest::newRow("empty") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("spaces kept") << QByteArray(" a \r\n") << QList<QByteArray>{" a "};
}

void TestPlaylist::splitListText()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, lines);
    QCOMPARE(tunelet::splitListText(text), lines);
}

void TestPlaylist::loadListResolvesAndSkips()
{
    Folder dir;
    dir.song("bare.snr", "Bare");
    const QByteArray absolute = dir.song("abs.TXT", "Abs");
    const QByteArray midi = dir.file("m.mid", "MThd");
    dir.file("other.wav", "RIFF");
    QVERIFY(QDir().mkdir(QFile::decodeName(dir.path() + "dir.snr")));
    const QByteArray list = dir.file("list.alb", "bare.snr\r\n" + absolute + "\r\n\r\nother.wav\n" +
                                                     "dir.snr\rmissing.snr\r\n" + "just text\r\n" +
                                                     midi + "\r\n" + "bare.snr");
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    EntryBuilder builder(model);
    builder.AppendEntry("/old/row.snr");
    const ListFileStatus status = LoadListFile(builder, list);
    QVERIFY(status.ok());
    QCOMPARE(model.paths(),
             (QList<QByteArray>{dir.path() + "bare.snr", absolute, midi, dir.path() + "bare.snr"}));
    QCOMPARE(captions(model), (QList<QByteArray>{"Bare", "Abs", "[MIDI] m.mid", "Bare"}));
}

void TestPlaylist::loadListKeepsRowsWhenUnreadable()
{
    Folder dir;
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.AppendEntry("/old/row.snr");
    const ListFileStatus status = LoadListFile(builder, dir.path() + "gone.ppl");
    QCOMPARE(status.error, ListFileStatus::Error::CannotOpen);
    QCOMPARE(status.message(), "ﾌｧｲﾙ " + QFile::decodeName(dir.path()) + "gone.ppl は開けません");
    QCOMPARE(model.count(), 1);
    QCOMPARE(LoadListFile(builder, QByteArray()).error, ListFileStatus::Error::CannotOpen);
}

void TestPlaylist::loadListArchiveErrorKeepsEarlierRows()
{
    Folder dir;
    const QByteArray a = dir.song("a.snr", "A");
    const QByteArray pack = dir.file("p.lzh", "not really");
    const QByteArray c = dir.song("c.snr", "C");
    const QByteArray list = dir.file("l.ppl", a + "\r\n" + pack + "\r\n" + c + "\r\n");
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.setLzhHeadOption([] { return true; });
    builder.setLzhExtractor(
        [](const QByteArray &) -> std::optional<QByteArray> { throw std::runtime_error("dll"); });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, LoadListFile(builder, list));
    QCOMPARE(model.paths(), QList<QByteArray>{a});
}

// The list read ahead at start-up: the rows a load gives, for that list only, and
// none where the load itself must run (an unreadable list, archives to take out).
void TestPlaylist::listReadAheadGivesTheLoadsRowsOnce()
{
    Folder dir;
    const QByteArray a = dir.song("a.snr", "A");
    const QByteArray midi = dir.file("m.mid", "MThd");
    const QByteArray pack = dir.file("p.lzh", "not really");
    const QByteArray list = dir.file("l.ppl", a + "\r\nmissing.snr\r\n" + midi + "\r\n");
    const QByteArray withArchive = dir.file("z.ppl", a + "\r\n" + pack + "\r\n");
    PlaylistModel loaded;
    EntryBuilder loader(loaded);
    QVERIFY(LoadListFile(loader, list).ok());

    PlaylistModel model;
    EntryBuilder builder(model);
    builder.AppendEntry("/old/row.snr");
    ListPrefetch ahead(list);
    QVERIFY(!ahead.loadInto(builder, withArchive)); // another list
    QCOMPARE(model.paths(), QList<QByteArray>{"/old/row.snr"});
    QVERIFY(ahead.loadInto(builder, list));
    QCOMPARE(model.entries(), loaded.entries());
    QVERIFY(!ahead.loadInto(builder, list)); // once

    QVERIFY(!ListPrefetch(dir.path() + "gone.ppl").loadInto(builder, dir.path() + "gone.ppl"));
    // Archives read ahead show their file names; a builder that takes their data
    // files out builds other rows.
    builder.setLzhHeadOption([] { return true; });
    builder.setLzhExtractor([](const QByteArray &) { return std::optional<QByteArray>(); });
    QVERIFY(!ListPrefetch(withArchive).loadInto(builder, withArchive));
    QCOMPARE(model.entries(), loaded.entries());
    builder.setLzhHeadOption([] { return false; });
    QVERIFY(ListPrefetch(withArchive).loadInto(builder, withArchive));
    QCOMPARE(captions(model), (QList<QByteArray>{"A", "[LZH] p.lzh"}));
}

// Titles are read on all cores, but every row sees the files as a load one row
// at a time would: an archive row's extraction changes the work file and makes
// a new file, and only the rows after it see that.
void TestPlaylist::loadListReadsTitlesAroundArchivesInOrder()
{
    Folder dir;
    const QByteArray work = dir.song("work.snr", "Old");
    const QByteArray made = dir.path() + "made.snr";
    const QByteArray pack = dir.file("p.lzh", "archive");
    QVERIFY(::mkfifo(dir.path() + "fifo.snr", 0600) == 0);
    QByteArray lines = work + "\r\nfifo.snr\r\n" + made + "\r\n";
    QList<QByteArray> expected{"Old"};
    for (int i = 0; i < 300; ++i) {
        const QByteArray name = "s" + QByteArray::number(i) + ".snr";
        dir.song(name, "S" + QByteArray::number(i));
        lines += (i == 150 ? pack + "\r\n" : QByteArray()) + name + "\r\n";
        expected += (i == 150 ? QList<QByteArray>{"[LZH] New"} : QList<QByteArray>{}) +
                    QList<QByteArray>{"S" + QByteArray::number(i)};
    }
    lines += work + "\r\n" + made + "\r\n";
    expected += {"New", "Made"};
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.setLzhHeadOption([] { return true; });
    int extractions = 0;
    builder.setLzhExtractor([&](const QByteArray &) -> std::optional<QByteArray> {
        ++extractions;
        dir.song("work.snr", "New");
        dir.song("made.snr", "Made");
        return work;
    });
    QVERIFY(LoadListFile(builder, dir.file("l.ppl", lines)).ok());
    QCOMPARE(extractions, 1);
    QCOMPARE(captions(model), expected);
    QCOMPARE(model.path(0), work);
    QCOMPARE(model.path(151), pack);
}

void TestPlaylist::saveListWritesCrLfAndRoundTripsBytes()
{
    Folder dir;
    const QByteArray sjisSong = dir.song(kSjis + ".snr", "\x83\x5c" + kSjis); // 0x5C trail byte
    const QByteArray other = dir.file("x.wav", "RIFF");
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.AppendEntry(sjisSong);
    builder.AppendEntry(other);
    builder.AppendEntry(dir.path() + "m.MID");
    QCOMPARE(model.caption(0), "\x83\x5c" + kSjis);
    const QByteArray list = dir.path() + "saved.ppl";
    QVERIFY(SaveListFile(model, list).ok());
    QCOMPARE(readWholeFile(list).value(),
             sjisSong + "\r\n" + other + "\r\n" + dir.path() + "m.MID\r\n");
    PlaylistModel reloaded;
    EntryBuilder again(reloaded);
    QVERIFY(LoadListFile(again, list).ok());
    // The other extension and the missing MIDI file are skipped on reading.
    QCOMPARE(reloaded.paths(), QList<QByteArray>{sjisSong});
    QCOMPARE(reloaded.caption(0), "\x83\x5c" + kSjis);
    // QTemporaryDir removes by decoded names, which cannot reach these bytes.
    QVERIFY(removeFile(sjisSong));
}

void TestPlaylist::saveListFailureIsReported()
{
    Folder dir;
    PlaylistModel model;
    model.appendEntry({"a", 0, "/a.snr"});
    const ListFileStatus empty = SaveListFile(model, QByteArray());
    QCOMPARE(empty.error, ListFileStatus::Error::CannotCreate);
    QCOMPARE(empty.message(), QStringLiteral("ﾌｧｲﾙ  を作成できません"));
    const ListFileStatus noFolder = SaveListFile(model, dir.path() + "none/x.ppl");
    QCOMPARE(noFolder.error, ListFileStatus::Error::CannotCreate);
    QVERIFY(noFolder.message().startsWith("ﾌｧｲﾙ "));
    QVERIFY(noFolder.message().endsWith("none/x.ppl を作成できません"));
}

void TestPlaylist::emptyListIsZeroBytes()
{
    Folder dir;
    PlaylistModel model;
    const QByteArray list = dir.path() + "tunelet.ppl";
    QVERIFY(SaveListFile(model, list).ok());
    QCOMPARE(readWholeFile(list).value(), QByteArray());
    EntryBuilder builder(model);
    builder.AppendEntry("/x.snr");
    QVERIFY(LoadListFile(builder, list).ok());
    QCOMPARE(model.count(), 0);
}

void TestPlaylist::moveKeepsCaptionAndRecomputesIcon()
{
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setEntries({{"A", 0, "/a.snr"}, {"kept caption", 0, "/b.MID"}, {"C", 2, "/c.txt"}});
    QCOMPARE(moveEntryUp(model, 1), 0);
    QCOMPARE(model.entry(0), (PlaylistEntry{"kept caption", 1, "/b.MID"}));
    QCOMPARE(moveEntryUp(model, 0), -1);
    QCOMPARE(moveEntryDown(model, 2), -1);
    QCOMPARE(moveEntryDown(model, 1), 2);
    QCOMPARE(model.entry(2), (PlaylistEntry{"A", 0, "/a.snr"}));
    QCOMPARE(model.entry(1), (PlaylistEntry{"C", 2, "/c.txt"})); // not moved: unchanged
    QCOMPARE(moveEntryUp(model, 1), 0);
    QCOMPARE(model.entry(0), (PlaylistEntry{"C", 0, "/c.txt"}));
    QCOMPARE(moveEntryUp(model, -1), -1);
    QCOMPARE(moveEntryDown(model, 3), -1);
}

void TestPlaylist::deleteAndClear()
{
    PlaylistModel model;
    model.setEntries({{"A", 0, "/a"}, {"B", 0, "/b"}});
    QVERIFY(!deleteEntry(model, -1));
    QVERIFY(!deleteEntry(model, 2));
    QVERIFY(deleteEntry(model, 0));
    QCOMPARE(model.paths(), QList<QByteArray>{"/b"});
    clearEntries(model);
    QCOMPARE(model.count(), 0);
    QCOMPARE(positionText(-1, 0), QStringLiteral("0/0"));
}

void TestPlaylist::insertIndexAndPosition()
{
    QCOMPARE(insertIndexAfter(1, 5), 2);
    QCOMPARE(insertIndexAfter(4, 5), 5);
    QCOMPARE(insertIndexAfter(-1, 5), 5);
    QCOMPARE(positionText(0, 5), QStringLiteral("1/5"));
    QCOMPARE(playIndexAfter(PlayIndexEffect::Unchanged, 7), 7);
    QCOMPARE(playIndexAfter(PlayIndexEffect::Reset, 7), NoPlayIndex);
}

void TestPlaylist::dropOnRowInsertsBelowInReverseOrder()
{
    Folder dir;
    PlaylistModel model;
    EntryBuilder builder(model);
    for (const char *name : {"r1.snr", "r2.snr", "r3.snr", "r4.snr", "r5.snr"})
        builder.AppendEntry(dir.song(name, name));
    const QList<QByteArray> dropped{dir.song("d1.snr", "D1"), dir.path() + "d2.MID",
                                    dir.path() + "d3.lzh"};
    int listsLoaded = 0;
    const ListFileStatus status =
        dropFiles(builder, dropped, {[] { return 1; }, [&](const QByteArray &) { ++listsLoaded; }});
    QCOMPARE(listsLoaded, 0);
    QVERIFY(status.ok());
    QCOMPARE(captions(model),
             (QList<QByteArray>{"r1.snr", "r2.snr", "[LZH] d3.lzh", "[MIDI] d2.MID", "D1", "r3.snr",
                                "r4.snr", "r5.snr"}));
}

void TestPlaylist::dropListFileReplacesEarlierRows()
{
    Folder dir;
    const QByteArray a = dir.song("a.snr", "A");
    const QByteArray list = dir.file("list.PPL", "a.snr\r\n");
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.AppendEntry("/before.snr");
    QList<QByteArray> loaded;
    // Told of the list while the rows are the list's own, before the next file.
    const DropTarget target{[] { return -1; },
                            [&](const QByteArray &path) {
                                loaded << path;
                                QCOMPARE(model.paths(), QList<QByteArray>{a});
                            }};
    QVERIFY(
        dropFiles(builder, {dir.path() + "x.snr", list, dir.path() + "after.txt"}, target).ok());
    QCOMPARE(loaded, QList<QByteArray>{list});
    QCOMPARE(model.paths(), (QList<QByteArray>{a, dir.path() + "after.txt"}));

    const ListFileStatus failed =
        dropFiles(builder, {dir.path() + "gone.alb", dir.path() + "y.snr"}, target);
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(failed.error, ListFileStatus::Error::CannotOpen);
    QCOMPARE(model.count(), 2); // the drop ended at the unreadable list
}

void TestPlaylist::dropWithoutRowAppendsAndIgnoresOthers()
{
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.AppendEntry("/a/first.snr");
    dropFiles(builder, {"/x/1.snr", "/x/2.wav", "/x/3.TXT", "/x/noext"}, {[] { return -1; }, {}});
    QCOMPARE(model.paths(), (QList<QByteArray>{"/a/first.snr", "/x/1.snr", "/x/3.TXT"}));
    QCOMPARE(classifyDroppedFile("/a.Alb"), DropKind::ListFile);
    QCOMPARE(classifyDroppedFile("/a.ppl"), DropKind::ListFile);
    QCOMPARE(classifyDroppedFile("/a.lzh"), DropKind::Song);
    QCOMPARE(classifyDroppedFile("/a.zip"), DropKind::Ignored);
}

void TestPlaylist::openedFilesNameTheirFirstRowAndKeepTheFailure()
{
    PlaylistModel model;
    EntryBuilder builder(model);
    builder.AppendEntry("/a/first.snr");
    OpenedFiles opened = openFiles(builder, {"/x/1.wav", "/x/2.snr", "/x/3.mid"}, {});
    QCOMPARE(opened.firstAdded, 1);
    QVERIFY(!opened.failure);
    QCOMPARE(model.count(), 3);

    // A list replaces the rows: its first row plays. A list that throws ends
    // the adding and is kept for the caller.
    const auto loadList = [&](const QByteArray &list) {
        if (list.endsWith("bad.ppl"))
            throw std::runtime_error("unreadable");
        model.clear();
        builder.AppendEntry("/l/listed.snr");
    };
    opened = openFiles(builder, {"/x/4.snr", "/l/good.ppl", "/l/bad.ppl", "/x/5.snr"}, loadList);
    QCOMPARE(opened.firstAdded, 0);
    QVERIFY(opened.failure);
    QCOMPARE(model.paths(), QList<QByteArray>{"/l/listed.snr"});
}

void TestPlaylist::sortByTitleTwiceReverses()
{
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setEntries(
        {{"banana", 0, "/1"}, {"apple", 0, "/2"}, {"cherry", 0, "/3"}, {"apple", 0, "/4"}});
    PlaylistSorter sorter(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(sorter.sortKey(), 0);
    sorter.sortByTitle(model);
    QCOMPARE(sorter.sortKey(), 1);
    QCOMPARE(model.paths(), (QList<QByteArray>{"/2", "/4", "/1", "/3"}));
    sorter.sortByTitle(model);
    QCOMPARE(sorter.sortKey(), -1);
    QCOMPARE(model.paths(), (QList<QByteArray>{"/3", "/1", "/2", "/4"}));
}

void TestPlaylist::pathSortAfterTitleSortStartsAscending()
{
    PlaylistModel model;
    model.setEntries({{"a", 0, "/z/a.snr"}, {"b", 0, "/b/z.snr"}, {"c", 0, "/m/m.snr"}});
    PlaylistSorter sorter(QLocale(QLocale::English, QLocale::UnitedStates));
    sorter.sortByTitle(model);
    sorter.sortByTitle(model);
    QCOMPARE(sorter.sortKey(), -1);
    sorter.sortByPath(model);
    QCOMPARE(sorter.sortKey(), 2);
    // The whole path decides, folder first, not the file name.
    QCOMPARE(model.paths(), (QList<QByteArray>{"/b/z.snr", "/m/m.snr", "/z/a.snr"}));
    sorter.sortByPath(model);
    QCOMPARE(sorter.sortKey(), -2);
    QCOMPARE(model.paths(), (QList<QByteArray>{"/z/a.snr", "/m/m.snr", "/b/z.snr"}));
    QCOMPARE(toggledSortKey(-2, 1), 1);
    QCOMPARE(toggledSortKey(1, 2), 2);
}

// The C locale orders by code points, whatever encoding a title's bytes have;
// the sort's keys give the same order as the comparison.
void TestPlaylist::sortInTheCLocaleFollowsTheCompare()
{
    PlaylistModel model;
    model.setEntries({{kSjis, 0, "/1"},
                      {"b", 0, "/2"},
                      {"\xc3\xa9", 0, "/3"},
                      {"B", 0, "/4"},
                      {"a", 0, "/5"},
                      {"b", 0, "/6"}});
    PlaylistSorter sorter(QLocale::c());
    sorter.sortByTitle(model);
    QCOMPARE(model.paths(), (QList<QByteArray>{"/4", "/5", "/2", "/6", "/3", "/1"}));
    for (int row = 1; row < model.count(); ++row)
        QVERIFY(sorter.ListView1Compare(model.entry(row - 1), model.entry(row)) <= 0);
    sorter.sortByTitle(model);
    QCOMPARE(model.paths(), (QList<QByteArray>{"/1", "/3", "/2", "/6", "/5", "/4"}));
}

void TestPlaylist::compareFollowsSortKey()
{
    PlaylistSorter sorter(QLocale(QLocale::English, QLocale::UnitedStates));
    const PlaylistEntry a{"Alpha", 0, "/z"};
    const PlaylistEntry b{"beta", 0, "/a"};
    QCOMPARE(sorter.ListView1Compare(a, b), 0);
    sorter.setSortKey(1);
    QVERIFY(sorter.ListView1Compare(a, b) < 0);
    sorter.setSortKey(-1);
    QVERIFY(sorter.ListView1Compare(a, b) > 0);
    sorter.setSortKey(2);
    QVERIFY(sorter.ListView1Compare(a, b) > 0);
    sorter.setSortKey(3); // a sub-item rows do not have
    QCOMPARE(sorter.ListView1Compare(a, b), 0);
    sorter.setSortKey(1);
    QVERIFY(sorter.ListView1Compare({"a", 0, ""}, {"A", 0, ""}) != 0); // case-sensitive
}

void TestPlaylist::sortKeepsSelectionOnItsRow()
{
    PlaylistModel model;
    model.setEntries({{"c", 0, "/c"}, {"a", 0, "/a"}, {"b", 0, "/b"}});
    const QPersistentModelIndex selected = model.index(0, 1);
    PlaylistSorter sorter(QLocale(QLocale::English, QLocale::UnitedStates));
    sorter.sortByTitle(model);
    QCOMPARE(selected.row(), 2);
    QCOMPARE(selected.data(PlaylistModel::PathBytesRole).toByteArray(), QByteArray("/c"));
}

void TestPlaylist::shuffleFollowsTheGenerator()
{
    Folder dir;
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    EntryBuilder builder(model);
    QList<QByteArray> paths;
    for (int i = 0; i < 10; ++i) {
        paths.append(dir.song("s" + QByteArray::number(i) + ".snr", "Old" + QByteArray::number(i)));
        builder.AppendEntry(paths.back());
    }
    // Titles change on disk; the shuffle reads them again.
    for (int i = 0; i < 10; ++i)
        dir.song("s" + QByteArray::number(i) + ".snr", "New" + QByteArray::number(i));
    RandomGenerator random;
    random.draw(7); // the shared generator is not reseeded by the shuffle
    const quint32 seed = random.seed();
    shuffleEntries(builder, random);
    const QList<int> order = predictedShuffle(10, seed);
    QCOMPARE(model.count(), 10);
    for (int row = 0; row < 10; ++row) {
        QCOMPARE(model.path(row), paths[order[row]]);
        QCOMPARE(model.caption(row), "New" + QByteArray::number(order[row]));
    }
    QCOMPARE(order.first(), 0); // the first draws over 10 and 9 rows are 0
}

// A queued random-play tick may draw from the shared generator while an archive
// is taken out; the shuffle's own draws stay interleaved with it as one by one.
void TestPlaylist::shuffleDrawsAroundArchivesInOrder()
{
    Folder dir;
    PlaylistModel model;
    EntryBuilder builder(model);
    QList<QByteArray> paths;
    for (int i = 0; i < 200; ++i)
        paths.append(dir.song("s" + QByteArray::number(i) + ".snr", "S"));
    paths[70] = dir.file("p.lzh", "archive");
    const QByteArray work = dir.song("work.snr", "W");
    model.appendEntries([&] {
        QList<PlaylistEntry> rows;
        for (const QByteArray &p : paths)
            rows.append({"x", 0, p});
        return rows;
    }());
    RandomGenerator random;
    bool failing = false;
    builder.setLzhHeadOption([] { return true; });
    builder.setLzhExtractor([&](const QByteArray &) -> std::optional<QByteArray> {
        random.draw(3);
        if (failing)
            throw std::runtime_error("dll");
        return work;
    });
    // The rows in the order of draws made one at a time, and the seed after them.
    auto predicted = [](QList<QByteArray> left, quint32 seed, int *archiveAt) {
        QList<QByteArray> order;
        RandomGenerator r;
        r.setSeed(seed);
        while (!left.isEmpty()) {
            order.append(left.takeAt(int(r.draw(quint32(left.size())))));
            if (order.back().endsWith(".lzh")) {
                *archiveAt = int(order.size()) - 1;
                r.draw(3);
            }
        }
        return std::pair{order, r.seed()};
    };
    int archiveAt = -1;
    const auto [order, seedAfter] = predicted(paths, random.seed(), &archiveAt);
    shuffleEntries(builder, random);
    QCOMPARE(model.paths(), order);
    QCOMPARE(model.caption(archiveAt), QByteArray("[LZH] W"));
    QCOMPARE(random.seed(), seedAfter);

    // An archive error: the list is as it was, and the generator has made
    // exactly the draws up to the archive's own.
    failing = true;
    const quint32 before = random.seed();
    const QList<PlaylistEntry> entriesBefore = model.entries();
    predicted(model.paths(), before, &archiveAt);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, shuffleEntries(builder, random));
    QCOMPARE(model.entries(), entriesBefore);
    RandomGenerator expected;
    expected.setSeed(before);
    for (int i = 0; i <= archiveAt; ++i)
        expected.draw(quint32(order.size() - i));
    expected.draw(3);
    QCOMPARE(random.seed(), expected.seed());
}

namespace
{
// Rewrites a file in place (same inode) and sets its modification time.
void rewriteInPlace(const QByteArray &path, const QByteArray &content, const QDateTime &modified)
{
    QFile file(QFile::decodeName(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}
} // namespace

// A file's title is read again by a shuffle only when the file changed since the
// row's title was read. An unchanged file is told by its content swapped behind
// an unchanged inode, size and time: its row keeps the old title.
void TestPlaylist::shuffleReadsOnlyChangedTitles()
{
    Folder dir;
    const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-3600);
    auto text = [](const QByteArray &title) { return "*HEAD\"" + title + "\"\r\n"; };
    const QByteArray same = dir.path() + "same.snr";
    const QByteArray changed = dir.path() + "changed.snr";
    const QByteArray recent = dir.path() + "recent.snr";
    const QByteArray midi = dir.path() + "m.mid";
    for (const QByteArray &path : {same, changed, recent})
        rewriteInPlace(path, text("Old"), past);
    PlaylistModel model;
    EntryBuilder builder(model);
    for (const QByteArray &path : {same, changed, recent, midi})
        builder.AppendEntry(path);
    rewriteInPlace(same, text("New"), past);
    rewriteInPlace(changed, text("New"), past.addSecs(1));
    rewriteInPlace(recent, text("New"), QDateTime::currentDateTimeUtc());
    RandomGenerator random;
    shuffleEntries(builder, random);
    QCOMPARE(model.count(), 4);
    QMap<QByteArray, QByteArray> captionOf;
    for (const PlaylistEntry &e : model.entries())
        captionOf[e.path] = e.caption;
    QCOMPARE(captionOf[same], QByteArray("Old"));
    QCOMPARE(captionOf[changed], QByteArray("New"));
    QCOMPARE(captionOf[recent], QByteArray("New"));
    QCOMPARE(captionOf[midi], QByteArray("[MIDI] m.mid"));
    // A file gone since gives its file name, as any unreadable file.
    QVERIFY(QFile::remove(QFile::decodeName(same)));
    shuffleEntries(builder, random);
    QVERIFY(model.paths().contains(same));
    QCOMPARE(model.caption(int(model.paths().indexOf(same))), QByteArray("same.snr"));
}

void TestPlaylist::removeMissing()
{
    Folder dir;
    PlaylistModel model;
    EntryBuilder builder(model);
    const QByteArray a = dir.song("a.snr", "A");
    QVERIFY(QDir().mkdir(QFile::decodeName(dir.path() + "folder.snr")));
    builder.AppendEntry(dir.path() + "gone1.snr");
    builder.AppendEntry(a);
    builder.AppendEntry(dir.path() + "folder.snr");
    builder.AppendEntry(a);
    builder.AppendEntry(dir.path() + "gone2.mid");
    QCOMPARE(removeMissingEntries(model), 3);
    QCOMPARE(model.paths(), (QList<QByteArray>{a, a}));
    QCOMPARE(removeMissingEntries(model), 0);
    QCOMPARE(removedMissingMessage(0), QStringLiteral("0個の存在しないファイルを削除しました。"));
    PlaylistModel empty;
    QCOMPARE(removeMissingEntries(empty), 0);
}

void TestPlaylist::removeDuplicates()
{
    PlaylistModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QList<PlaylistEntry> rows;
    for (int i = 1; i <= 10; ++i) {
        const bool same = i == 2 || i == 5 || i == 9;
        const QByteArray path = same ? QByteArray("/dup.snr") : "/u" + QByteArray::number(i);
        rows.append({"row" + QByteArray::number(i), 0, path});
    }
    model.setEntries(rows);
    QCOMPARE(removeDuplicateEntries(model), 2);
    QCOMPARE(captions(model),
             (QList<QByteArray>{"row1", "row2", "row3", "row4", "row6", "row7", "row8", "row10"}));
    QCOMPARE(removeDuplicateEntries(model), 0);
    QCOMPARE(removedDuplicatesMessage(2), QStringLiteral("2個の重複ファイルを削除しました。"));
}

void TestPlaylist::removeDuplicatesIgnoresCase()
{
    PlaylistModel model;
    model.setEntries({{"upper", 0, "/Music/Song.SNR"},
                      {"other", 0, "/music/song2.snr"},
                      {"lower", 0, "/music/song.snr"},
                      {"sjis", 0, "/" + kSjis},
                      {"utf8", 0, "/\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88"}});
    QCOMPARE(removeDuplicateEntries(model), 2);
    QCOMPARE(captions(model), (QList<QByteArray>{"upper", "other", "sjis"}));
}

// Letters outside ASCII fold as text; bytes that decode to no text are kept as
// they are, so names differing only there stay apart.
void TestPlaylist::removeDuplicatesFoldsOnlyText()
{
    const QByteArray undecodable("/\xff\xfe");
    PlaylistModel model;
    model.setEntries({{"1", 0, "/\xc3\x89t\xc3\xa9.snr"},
                      {"2", 0, "/\xc3\xa9T\xc3\x89.SNR"},
                      {"3", 0, undecodable + "ABC"},
                      {"4", 0, undecodable + "abc"},
                      {"5", 0, undecodable + "ABC"}});
    QCOMPARE(removeDuplicateEntries(model), 2);
    QCOMPARE(captions(model), (QList<QByteArray>{"1", "3", "4"}));
}

void TestPlaylist::prunesAcrossManyScatteredRows()
{
    Folder dir;
    const QByteArray a = dir.song("a.snr", "A");
    PlaylistModel model;
    QList<PlaylistEntry> rows;
    for (int i = 0; i < 1000; ++i)
        rows.append({"x", 0, i % 3 == 0 ? a : dir.path() + "gone" + QByteArray::number(i)});
    model.setEntries(rows);
    QCOMPARE(removeMissingEntries(model), 666);
    QCOMPARE(model.count(), 334);
    QCOMPARE(removeDuplicateEntries(model), 333);
    QCOMPARE(model.paths(), QList<QByteArray>{a});
}

QTEST_GUILESS_MAIN(TestPlaylist)
#include "tst_playlist.moc"
