// List files with very long lines, NUL bytes, CR-only line ends and paths
// holding quotes, blanks and bytes that are no UTF-8: rows are built byte for
// byte, and saving writes the paths back unchanged.
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/faults/FaultSupport.h"
#include "tests/faults/FaultTests.h"

#include "platform/core/ByteFile.h"
#include "platform/core/TextCodec.h"
#include "platform/process/ArgumentText.h"
#include "platform/windowlink/WindowSystem.h"
#include "playback/PlayerParameters.h"
#include "playlist/PlaylistModel.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class TestHostileLists final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void hostileLists_data();
    void hostileLists();
    void oddPathsSaveUnchanged();
    void oddPathsDropped();
    void namesAListCannotHoldAreRefused();
    void argumentTextKeepsBytes();
    void playerGetsThePathBytes();
    void oddPathsPlay_data();
    void oddPathsPlay();

private:
    TForm1 &form() const { return m_fixture->form(); }
    // Songs in a folder outside the program folder, by file name.
    QByteArray song(const QByteArray &name) const { return m_songs + name; }
    QByteArray load(const QByteArray &listText);

    std::unique_ptr<faults::CappedLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    QByteArray m_songs;
};

namespace
{
// The title each song of the songs' folder was written with.
QByteArray title(const QByteArray &name)
{
    return name == "a.snr"   ? QByteArray("A")
           : name == "b.snr" ? QByteArray("B")
                             : "T " + name.toHex();
}

// File names with a double quote, blanks, a Shift-JIS name, bytes that are
// no valid text at all, a tab and shell characters.
const QByteArrayList OddNames = {
    "qu\"ote\".snr",         "two  blanks .snr", "\x83\x65\x83\x58\x83\x67.snr",
    "bad\xff\xfe\x80.snr",   "tab\there.txt",    "'single' & $dollar.snr",
    "per%25cent #hash?.snr",
};
} // namespace

void TestHostileLists::init()
{
    m_launcher = std::make_unique<faults::CappedLauncher>(std::chrono::seconds(60));
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_fixture->start({.processes = m_launcher.get()});
    m_songs = faults::makeFolder(m_fixture->outsideRoot() + "songs");
    for (const QByteArray &name : OddNames)
        QVERIFY(writeBytes(song(name), songData(title(name))));
    for (const QByteArray name : {"a.snr", "b.snr"})
        QVERIFY(writeBytes(song(name), songData(title(name))));
}

void TestHostileLists::cleanup()
{
    QVERIFY(m_launcher->endStarted());
    // Names that are no valid text stay behind a QTemporaryDir.
    faults::removeTree(m_songs);
    m_fixture.reset();
    m_launcher.reset();
}

QByteArray TestHostileLists::load(const QByteArray &listText)
{
    const QByteArray list = m_songs + "list.ppl";
    if (!writeBytes(list, listText))
        return {};
    form().Run([&] { form().LoadListFile(list); });
    return list;
}

void TestHostileLists::hostileLists_data()
{
    QTest::addColumn<QByteArray>("text");     // "<songs>" stands for the songs' folder
    QTest::addColumn<QByteArrayList>("rows"); // file names in the songs' folder

    const QByteArray megabyte(1024 * 1024, 'x');
    QTest::newRow("1 MB lines") << "<songs>a.snr\r\n" + megabyte + "\r\n/" + megabyte +
                                       ".snr\r\n<songs>" + megabyte + ".snr\r\n<songs>b.snr\r\n"
                                << QByteArrayList{"a.snr", "b.snr"};
    QTest::newRow("1 MB line without an end")
        << "<songs>a.snr\r\n" + megabyte << QByteArrayList{"a.snr"};
    QTest::newRow("NUL ends the text")
        << QByteArray("<songs>a.snr\r\n\0<songs>b.snr\r\n", 30) << QByteArrayList{"a.snr"};
    QTest::newRow("NUL inside a path")
        << QByteArray("<songs>b.snr\r\n<songs>a\0.snr\r\n", 30) << QByteArrayList{"b.snr"};
    QTest::newRow("CR-only ends") << QByteArray("<songs>a.snr\r<songs>b.snr\r<songs>a.snr")
                                  << QByteArrayList{"a.snr", "b.snr", "a.snr"};
    QTest::newRow("empty lines and blanks")
        << QByteArray("\r\n\r\r\n\n <songs>a.snr\r\n<songs>a.snr \r\n\t\r\n<songs>b.snr")
        << QByteArrayList{"b.snr"};
    QByteArray odd;
    for (const QByteArray &name : OddNames)
        odd += "<songs>" + name + "\r\n";
    QTest::newRow("odd names, absolute") << odd << OddNames;
    QTest::newRow("odd names, bare") << OddNames.join("\n") << OddNames;
    QTest::newRow("only a NUL") << QByteArray(1, '\0') << QByteArrayList{};
    QTest::newRow("binary") << QByteArray("\xff\xfe\x01\x02\r\r\n\x7f") << QByteArrayList{};
}

void TestHostileLists::hostileLists()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, rows);
    const QByteArray list = load(text.replace("<songs>", m_songs));
    QVERIFY(!list.isEmpty());
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QByteArrayList expected;
    for (const QByteArray &name : rows)
        expected.append(song(name));
    QCOMPARE(form().Playlist().paths(), expected);
    for (int row = 0; row < rows.size(); ++row)
        QCOMPARE(form().Playlist().caption(row), title(rows[row]));
    QCOMPARE(form().FileName, list);
}

void TestHostileLists::oddPathsSaveUnchanged()
{
    QByteArray text;
    for (const QByteArray &name : OddNames)
        text += song(name) + "\r\n";
    const QByteArray list = load(text);
    QVERIFY(!list.isEmpty());
    QCOMPARE(form().Playlist().count(), OddNames.size());

    // Saved through the dialog under another name: the same bytes.
    const QByteArray saved = m_songs + "saved \"copy\" \xff.ppl";
    m_fixture->dialogs().chooseFiles({saved});
    form().Run([this] { form().MMSaveClick(); });
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    QCOMPARE(readBytes(saved), text);

    // Read back, the rows are the same.
    const QByteArrayList before = form().Playlist().paths();
    form().Run([&] { form().LoadListFile(saved); });
    QCOMPARE(form().Playlist().paths(), before);
    QCOMPARE(form().FileName, saved);
}

void TestHostileLists::oddPathsDropped()
{
    // As the desktop hands dropped files over: a URI list, each path's bytes
    // percent-encoded.
    QByteArray uriList;
    QByteArrayList expected;
    for (const QByteArray &name : OddNames) {
        uriList += "file://" + song(name).toPercentEncoding("/") + "\r\n";
        expected.append(song(name));
    }
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), uriList);
    const QPoint inWindow = form().rect().center();
    QDragEnterEvent enter(inWindow, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(inWindow), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form(), &drop);

    QCOMPARE(form().Playlist().paths(), expected);
    for (int row = 0; row < OddNames.size(); ++row)
        QCOMPARE(form().Playlist().caption(row), title(OddNames[row]));
}

void TestHostileLists::namesAListCannotHoldAreRefused()
{
    // A line break or a NUL in a name: the file is refused with a message
    // naming it, wherever it comes from; the rows before it stay, and what
    // is saved reads back row for row.
    const QByteArray broken = song("nl\nname.snr");
    QVERIFY(writeBytes(broken, songData("Broken")));
    QVERIFY(writeBytes(song("cr\rname.snr"), songData("Broken")));
    const auto errors = [this] { return m_fixture->dialogs().texts(What::Error); };

    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), "file://" + song("a.snr").toPercentEncoding("/") +
                                                      "\r\nfile://" +
                                                      broken.toPercentEncoding("/") + "\r\n");
    const QPoint inWindow = form().rect().center();
    QDragEnterEvent enter(inWindow, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form(), &enter);
    QDropEvent drop(QPointF(inWindow), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form(), &drop);
    QCOMPARE(errors().size(), 1);
    QVERIFY2(errors().last().contains(QStringLiteral("nl\\nname.snr")),
             qPrintable(errors().last()));

    m_fixture->dialogs().chooseFiles({song("b.snr"), song("cr\rname.snr")});
    form().Run([this] { form().MMAddClick(); });
    QCOMPARE(errors().size(), 2);
    QVERIFY(errors().last().contains(QStringLiteral("cr\\rname.snr")));

    // From the command line or a later start: a file URL with %00.
    form().Desktop().openFiles({song("a.snr") + QByteArray(1, '\0') + ".snr"});
    QCOMPARE(errors().size(), 3);
    QVERIFY(errors().last().contains(QStringLiteral("a.snr\\0.snr")));

    const QByteArrayList rows{song("a.snr"), song("b.snr")};
    QCOMPARE(form().Playlist().paths(), rows);
    const QByteArray list = m_songs + "saved.ppl";
    form().Run([&] { form().SaveListFile(list); });
    form().Run([&] { form().LoadListFile(list); });
    QCOMPARE(form().Playlist().paths(), rows);
}

void TestHostileLists::argumentTextKeepsBytes()
{
    // Paths survive the player's parameter string byte for byte.
    QByteArrayList samples = OddNames;
    samples << QByteArray("\xed\xa0\x80 surrogate") << QByteArray("\xc0\xaf overlong")
            << QByteArray("\xf4\x90\x80\x80 too high") << QByteArray("cut \xe3\x81")
            << QByteArray("\xe3\x81\x82 valid") << QByteArray("\xf0\x9f\x8e\xb5 emoji");
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    samples << all;
    for (const QByteArray &bytes : std::as_const(samples)) {
        const QString text = tunelet::argumentText(bytes);
        QCOMPARE(tunelet::argumentBytes(text), bytes);
        if (tunelet::isValidUtf8(bytes))
            QCOMPARE(text, QString::fromUtf8(bytes));
    }
}

void TestHostileLists::playerGetsThePathBytes()
{
    // A stand-in for the player records the first argument it was given.
    const QByteArray recorder = m_fixture->outsideRoot() + "record.sh";
    QVERIFY(faults::writeScript(recorder, "printf '%s' \"$1\" > recorded.tmp\n"
                                          "mv recorded.tmp recorded"));
    for (const QByteArray &name : OddNames) {
        const QByteArray recorded = m_songs + "recorded";
        QVERIFY(tunelet::removeFile(recorded));
        QVERIFY(m_launcher->startDetached(
            recorder, tunelet::playerParameters(song(name), tunelet::SongSwitches{}), m_songs));
        QTRY_VERIFY_WITH_TIMEOUT(tunelet::isExistingFile(recorded), 10000);
        QCOMPARE(readBytes(recorded), song(name));
    }
}

void TestHostileLists::oddPathsPlay_data()
{
    QTest::addColumn<QByteArray>("name");
    for (const QByteArray &name : OddNames)
        QTest::newRow(name.toHex().constData()) << name;
}

void TestHostileLists::oddPathsPlay()
{
    QFETCH(QByteArray, name);
    form().SonaroPath = faults::binDir() + "/sonaro";
    // A long song: one player stays up while the test looks at it.
    QVERIFY(writeBytes(song(name), longSong(title(name))));
    form().AppendEntry(song(name));
    form().Run([this] { form().SBPlayClick(); });
    QCOMPARE(m_launcher->startedIds().size(), 1);
    // The player shows the song's title once it has read the file.
    auto windows = windowlink::makeLinkWindowSystem();
    QString shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = QString::fromStdString(windowlink::windowText(
                                   *windows, windows->FindWindowA("CN_sonaro", nullptr))))
                                  .isEmpty(),
                             30000);
    QVERIFY2(shown.startsWith("Sonaro - " + QString::fromLatin1(title(name))), qPrintable(shown));
}

int runHostileListTests(int argc, char **argv)
{
    TestHostileLists test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile_lists.moc"
