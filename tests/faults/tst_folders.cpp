// Folders that cannot be written, a disk that fills up, a folder removed
// under a list, and a list naming 100,000 files of which most are missing.
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/faults/FaultSupport.h"
#include "tests/faults/FaultTests.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/ResourceShortage.h"
#include "playlist/PlaylistModel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

namespace
{
// The second line of a write failure under the file size limit (the full
// disk of these tests).
const QString FileSizeLimit = tunelet::shortageText(EFBIG);
} // namespace

class TestFolderFaults final : public QObject
{
    Q_OBJECT

private slots:
    void unwritableProgramFolder();
    void fullDiskKeepsThePreviousList();
    void fullDiskAtExit();
    void folderRemovedUnderTheList();
    void listOfAHundredThousandMostlyMissingFiles();
};

void TestFolderFaults::unwritableProgramFolder()
{
    // Root writes through any permission bits, so the program folder is put
    // where no folder can be: below a regular file.
    WindowFixture fixture;
    QVERIFY(fixture.isValid());
    const QByteArray blocker = fixture.writeOutside("blocker", "a file, not a folder");
    QVERIFY(!blocker.isEmpty());
    const QByteArray home = blocker + "/home/";
    const QByteArray song = fixture.writeOutside("song.snr", songData("Song"));
    fixture.setHome(home);
    TForm1 &form = fixture.start();
    ScriptedDialogs &dialogs = fixture.dialogs();

    const QString cannotWrite =
        QString::fromUtf8(home) + QStringLiteral("tunelet.ini に書き込めません");
    QCOMPARE(dialogs.texts(What::Message), QStringList{cannotWrite});
    QCOMPARE(dialogs.beeps(), 1);
    // The design defaults, and a window that opens and works.
    QVERIFY(action(form, "MMRepeat")->isChecked());
    QVERIFY(!action(form, "MMSaveList")->isChecked());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.AppendEntry(song);
    QCOMPARE(form.Playlist().caption(0), QByteArray("Song"));

    // Exit still ends the program, after saying what could not be saved.
    action(form, "MMSaveList")->setChecked(true);
    dialogs.clear();
    QSignalSpy closed(&form, &TForm1::Closed);
    form.MMExitClick();
    QCOMPARE(closed.size(), 1);
    QVERIFY(form.IsClosed());
    QVERIFY(!form.isVisible());
    QCOMPARE(dialogs.texts(What::Error),
             QStringList{"ﾌｧｲﾙ " + QString::fromUtf8(home) + "tunelet.ppl を作成できません"});
    QCOMPARE(dialogs.texts(What::Message), QStringList{cannotWrite});
    QCOMPARE(readBytes(blocker), QByteArray("a file, not a folder"));
    QCOMPARE(faults::snapshot(fixture.outsideRoot(), {"home", "run"}).keys(),
             (QByteArrayList{"blocker", "song.snr"}));
}

void TestFolderFaults::fullDiskKeepsThePreviousList()
{
    WindowFixture fixture;
    QVERIFY(fixture.isValid());
    TForm1 &form = fixture.start();
    const QByteArray song = fixture.writeOutside("song.snr", songData("Song"));
    const QByteArray previous = "previous list\r\n";
    const QByteArray list = faults::makeFolder(fixture.outsideRoot() + "lists") + "kept.ppl";
    QVERIFY(writeBytes(list, previous));
    for (int i = 0; i < 200; ++i)
        form.AppendEntry(song);
    form.FileName = list;

    // The overwrite-save runs in a child process that may write no more than
    // 1 KiB into any file: the new list is far larger. The child reports the
    // error boxes it showed.
    fixture.dialogs().answerNext(true);
    const std::optional<QByteArray> report = faults::inChildWithFileSizeLimit(1024, [&] {
        form.Run([&form] { form.StatusBar1DblClick(); });
        return fixture.dialogs().texts(What::Error).join('\n').toUtf8();
    });
    QVERIFY2(report, "the saving process did not end well");

    // The message says what ran out.
    QCOMPARE(QString::fromUtf8(*report),
             "ﾌｧｲﾙ " + QString::fromUtf8(list) + " を作成できません\n" + FileSizeLimit);
    // The previous list is whole, and no piece of the new one is left.
    QCOMPARE(readBytes(list), previous);
    QCOMPARE(faults::snapshot(tunelet::folderPart(list)).keys(), QByteArrayList{"kept.ppl"});

    // Without the limit the same save goes through.
    fixture.dialogs().answerNext(true);
    form.Run([&form] { form.StatusBar1DblClick(); });
    QVERIFY(fixture.dialogs().texts(What::Error).isEmpty());
    QCOMPARE(readBytes(list), QByteArrayList(200, song).join("\r\n") + "\r\n");
}

void TestFolderFaults::fullDiskAtExit()
{
    WindowFixture fixture;
    QVERIFY(fixture.isValid());
    TForm1 &form = fixture.start();
    const QByteArray song = fixture.writeOutside("song.snr", songData("Song"));
    const QByteArray oldList = "previous list\r\n";
    QVERIFY(writeBytes(fixture.path("tunelet.ppl"), oldList));
    const QByteArray oldSettings = readBytes(fixture.path("tunelet.ini"));
    QVERIFY(oldSettings.contains("Version=105"));
    for (int i = 0; i < 200; ++i)
        form.AppendEntry(song);
    action(form, "MMSaveList")->setChecked(true);

    // Exit on a disk with no room for the list (many rows) nor the settings.
    const qint64 limit = std::min(oldSettings.size(), oldList.size());
    const std::optional<QByteArray> report = faults::inChildWithFileSizeLimit(limit, [&] {
        QSignalSpy closed(&form, &TForm1::Closed);
        form.MMExitClick();
        return QByteArray::number(closed.size()) + '\n' +
               fixture.dialogs().texts(What::Error).join('\n').toUtf8() + '\n' +
               fixture.dialogs().texts(What::Message).join('\n').toUtf8();
    });
    QVERIFY2(report, "the exiting process did not end well");
    // The program ended, after saying what it could not save; both files are
    // as they were, and no piece of a new one is left.
    QCOMPARE(QString::fromUtf8(*report),
             "1\nﾌｧｲﾙ " + QString::fromUtf8(fixture.path("tunelet.ppl")) + " を作成できません\n" +
                 FileSizeLimit + '\n' + QString::fromUtf8(fixture.path("tunelet.ini")) +
                 " に書き込めません\n" + FileSizeLimit);
    QCOMPARE(readBytes(fixture.path("tunelet.ppl")), oldList);
    QCOMPARE(readBytes(fixture.path("tunelet.ini")), oldSettings);
    QCOMPARE(fixture.leftInHome(), QByteArrayList{"tunelet.ppl"});
}

void TestFolderFaults::folderRemovedUnderTheList()
{
    WindowFixture fixture;
    QVERIFY(fixture.isValid());
    TForm1 &form = fixture.start();
    const QByteArray song = fixture.writeOutside("song.snr", songData("Song"));
    const QByteArray list = faults::makeFolder(fixture.outsideRoot() + "lists") + "gone.ppl";
    QVERIFY(writeBytes(list, song + "\r\n"));
    form.Run([&] { form.LoadListFile(list); });
    QCOMPARE(form.Playlist().count(), 1);
    const QByteArray folder = tunelet::folderPart(list);
    QVERIFY(QDir(QFile::decodeName(folder)).removeRecursively());

    fixture.dialogs().answerNext(true);
    form.Run([&form] { form.StatusBar1DblClick(); });
    QCOMPARE(fixture.dialogs().texts(What::Error),
             QStringList{"ﾌｧｲﾙ " + QString::fromUtf8(list) + " を作成できません"});
    // Nothing else changed, and the folder was not made again.
    QCOMPARE(form.Playlist().count(), 1);
    QCOMPARE(form.FileName, list);
    QCOMPARE(tunelet::pathKind(folder), tunelet::PathKind::Missing);
}

void TestFolderFaults::listOfAHundredThousandMostlyMissingFiles()
{
    WindowFixture fixture;
    QVERIFY(fixture.isValid());
    TForm1 &form = fixture.start();
    const QByteArray songs = faults::makeFolder(fixture.outsideRoot() + "songs");
    const QByteArray other = songs + "other.dat";
    QVERIFY(writeBytes(other, "not a song"));

    constexpr int Lines = 100000;
    QByteArrayList lines;
    QByteArrayList expected;
    lines.reserve(Lines);
    for (int i = 0; i < Lines; ++i) {
        const QByteArray n = QByteArray::number(i);
        switch (i % 100) {
        case 0: { // an existing song, one in a hundred
            const QByteArray path = songs + "s" + n + ".snr";
            QVERIFY(writeBytes(path, songData("Title " + n)));
            lines.append(path);
            expected.append(path);
            break;
        }
        case 1:
            lines.append(other); // exists, but no song
            break;
        case 2:
            lines.append(songs + "missing-folder/" + n + ".snr");
            break;
        case 3:
            lines.append("m" + n + ".snr"); // a bare name, missing beside the list
            break;
        default:
            lines.append(songs + "missing" + n + (i % 2 ? ".snr" : ".mid"));
            break;
        }
    }
    const QByteArray list = fixture.writeOutside("huge.ppl", lines.join("\r\n") + "\r\n");

    fixture.dialogs().chooseFiles({list});
    QElapsedTimer clock;
    clock.start();
    form.Run([&form] { form.MMOpenClick(); });
    qInfo("list of %lld lines, %lld existing: loaded in %lld ms", qint64(Lines),
          qint64(expected.size()), clock.elapsed());
    QVERIFY(fixture.dialogs().texts(What::Error).isEmpty());
    QCOMPARE(form.Playlist().paths(), expected);
    QCOMPARE(form.Playlist().caption(0), QByteArray("Title 0"));
    QCOMPARE(form.Playlist().caption(expected.size() - 1), QByteArray("Title 99900"));
    QCOMPARE(form.FileName, list);
    QCOMPARE(form.Session().playIndex(), -1);
}

int runFolderFaultTests(int argc, char **argv)
{
    TestFolderFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_folders.moc"
