// Hostile LZH archives added as rows with titles taken through the real LHA
// library: members climbing out with "..", absolute paths, links leading out
// of the program folder, sizes that lie and data cut short. Nothing is written
// outside the program folder, nothing is left in it, and an archive's song
// data, when it has any, is what gets played.
#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ArchiveWriters.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "FaultSupport.h"
#include "FaultTests.h"

#include "core/bytefile.h"
#include "playlist/playlistmodel.h"
#include "windowlink/windowsystem.h"

#include <QDir>
#include <QTest>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

namespace
{
const QString NoDataFile = QStringLiteral("snrファイルが存在しません。");
constexpr qint64 MemoryBoundKiB = 64 * 1024;
} // namespace

class TestHostileArchives final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void hostileArchive_data();
    void hostileArchive();
    void workFileNameTakenByAFolder();
    void notAnArchive_data();
    void notAnArchive();
    void fullDiskDuringExtraction();
    void songBesideHostileMembersPlays();

private:
    TForm1 &form() const { return m_fixture->form(); }
    // The archive for a case of hostileArchive_data; places outside the
    // program folder are named through root.
    QByteArray archiveBytes(const QString &kind, const QByteArray &root) const;

    std::unique_ptr<faults::CappedLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    QByteArray m_root;
};

namespace
{
QByteArray song(const QByteArray &title)
{
    return songData(title);
}
} // namespace

void TestHostileArchives::initTestCase()
{
    const QByteArray bin = faults::binDir();
    if (bin.isEmpty() || !QFile::exists(QFile::decodeName(bin + "/libunlha32.so")))
        QSKIP("the LHA library is not built");
    useLibraryFolder(bin);
}

void TestHostileArchives::init()
{
    m_launcher = std::make_unique<faults::CappedLauncher>(std::chrono::seconds(60));
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_fixture->start({.processes = m_launcher.get()});
    form().MMLzhHEAD->setChecked(true);
    m_root = m_fixture->outsideRoot();
    // Places a hostile member might aim at.
    QVERIFY(writeBytes(m_root + "victim.snr", "original"));
    faults::makeFolder(m_root + "outside");
}

void TestHostileArchives::cleanup()
{
    if (m_launcher)
        QVERIFY(m_launcher->endStarted());
    m_fixture.reset();
    m_launcher.reset();
}

QByteArray TestHostileArchives::archiveBytes(const QString &kind, const QByteArray &root) const
{
    const QByteArray s = song("Inside");
    if (kind == "climb")
        return archives::lzhLevel0({{"../evil.snr", s}});
    if (kind == "climb far")
        return archives::lzhLevel0({{"..\\..\\..\\..\\evil.snr", s}});
    if (kind == "climb through a folder")
        return archives::lzhLevel0({{"ok.snr", s}, {"sub/../../victim.snr", "overwritten"}});
    if (kind == "absolute")
        return archives::lzhLevel0({{root + "victim.snr", "overwritten"}});
    if (kind == "drive letter")
        return archives::lzhLevel0({{"C:\\evil.snr", s}});
    if (kind == "link to a file outside")
        return archives::lzhSymlink("song.snr", "../victim.snr") + archives::lzhEnd();
    if (kind == "link, then data through it")
        return archives::lzhSymlink("song.snr", root + "victim.snr") +
               archives::lzhLevel0({{"song.snr", "overwritten"}});
    if (kind == "folder link, then data through it")
        // The folder link is no data file and is not taken out; the member
        // below it then lands in a real folder.
        return archives::lzhSymlink("sub", root + "outside") +
               archives::lzhLevel0({{"sub/in.snr", s}});
    if (kind == "huge size claimed")
        return archives::lzhLevel0({archives::Member("song.snr", s, '0', {}, 0xFFFFFFF0)});
    if (kind == "size beyond the data")
        return archives::lzhLevel0({archives::Member("song.snr", s, '0', {}, s.size() + 100000)});
    if (kind == "truncated") {
        const QByteArray whole = archives::lzhLevel0({{"song.snr", s + QByteArray(3000, ';')}});
        return whole.left(whole.size() / 2);
    }
    if (kind == "truncated header")
        return archives::lzhLevel0({{"song.snr", s}}).left(15);
    if (kind == "folder named like the work file")
        return archives::lzhLevel0({{"tunelet.snr/in.snr", s}});
    if (kind == "hostile member of another kind")
        return archives::lzhLevel0({{"../evil.txt", "x"}, {"song.snr", s}});
    return {};
}

void TestHostileArchives::hostileArchive_data()
{
    QTest::addColumn<QString>("kind");
    // The song data that ends up in the work file; empty: no work file.
    QTest::addColumn<QByteArray>("played");

    // A hostile member that is a data file makes the library refuse the
    // whole archive: no data file is taken out.
    for (const char *refused :
         {"climb", "climb far", "climb through a folder", "absolute", "drive letter",
          "link to a file outside", "link, then data through it", "huge size claimed",
          "size beyond the data", "truncated", "truncated header"})
        QTest::newRow(refused) << QString::fromLatin1(refused) << QByteArray();
    QTest::newRow("folder link, then data through it")
        << QStringLiteral("folder link, then data through it") << song("Inside");
    QTest::newRow("folder named like the work file")
        << QStringLiteral("folder named like the work file") << song("Inside");
    QTest::newRow("hostile member of another kind")
        << QStringLiteral("hostile member of another kind") << song("Inside");
}

void TestHostileArchives::hostileArchive()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, played);
    const QByteArray bytes = archiveBytes(kind, m_root);
    QVERIFY(!bytes.isEmpty());
    const QByteArray lzh = m_fixture->writeOutside("hostile.lzh", bytes);
    QVERIFY(!lzh.isEmpty());
    const auto before = faults::snapshot(m_root, {"home", "run"});

    faults::resetPeak();
    const qint64 peakBefore = faults::peakKiB();
    form().Run([&] { form().AppendEntry(lzh); });
    const qint64 growth = faults::peakKiB() - peakBefore;
    if (kind.contains(QStringLiteral("size")))
        qInfo("%s: peak memory grew by %lld KiB", qPrintable(kind), growth);
    QVERIFY2(growth < MemoryBoundKiB, "taking the archive apart took too much memory");

    // Nothing outside the program folder changed.
    QCOMPARE(faults::snapshot(m_root, {"home", "run"}), before);
    QCOMPARE(form().Playlist().count(), 1);
    QCOMPARE(form().Playlist().path(0), lzh);
    QCOMPARE(form().Playlist().entry(0).imageIndex, 2);
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    if (played.isEmpty()) {
        QCOMPARE(form().Playlist().caption(0), QByteArray("[LZH] hostile.lzh"));
        QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
        QCOMPARE(m_fixture->leftInHome(), QByteArrayList{});
    } else {
        QCOMPARE(form().Playlist().caption(0), QByteArray("[LZH] Inside"));
        QVERIFY(m_fixture->dialogs().shown().isEmpty());
        QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
        QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), played);
    }
}

void TestHostileArchives::workFileNameTakenByAFolder()
{
    // A folder stands where the work file goes: the archive's data cannot
    // become the work file. The error ends the command, and what was taken
    // out is removed again; the folder is left alone.
    const QByteArray blocking = faults::makeFolder(m_fixture->path("tunelet.snr"));
    QVERIFY(writeBytes(blocking + "mine.txt", "kept"));
    const QByteArray lzh =
        m_fixture->writeOutside("song.lzh", archives::lzhLevel0({{"song.snr", song("Inside")}}));
    form().Run([&] { form().AppendEntry(lzh); });
    QCOMPARE(m_fixture->dialogs().texts(What::Error),
             QStringList{"ﾌｧｲﾙ " + QString::fromUtf8(m_fixture->path("tunelet.snr")) +
                         " を作成できません"});
    QCOMPARE(m_fixture->leftInHome(), (QByteArrayList{"tunelet.snr/", "tunelet.snr/mine.txt"}));

    // Once the folder is gone, the same archive gives its row.
    QVERIFY(QDir(QFile::decodeName(blocking)).removeRecursively());
    m_fixture->dialogs().clear();
    form().Run([&] { form().AppendEntry(lzh); });
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QCOMPARE(m_fixture->captions().last(), QByteArray("[LZH] Inside"));
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestHostileArchives::notAnArchive_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 13) & 0xFF));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << binary;
    QTest::newRow("song data") << song("Not packed");
    QTest::newRow("header only") << QByteArray("\x1a\x00-lh0-", 7);
}

void TestHostileArchives::notAnArchive()
{
    QFETCH(QByteArray, content);
    const QByteArray lzh = m_fixture->writeOutside("fake.lzh", content);
    const auto before = faults::snapshot(m_root, {"home", "run"});
    form().Run([&] { form().AppendEntry(lzh); });
    QCOMPARE(faults::snapshot(m_root, {"home", "run"}), before);
    QVERIFY(m_fixture->leftInHome().isEmpty());
    // The row shows the archive's name and says it holds no data file.
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    QCOMPARE(m_fixture->captions(), QByteArrayList{"[LZH] fake.lzh"});
    QCOMPARE(m_fixture->dialogs().texts(What::Message), QStringList{NoDataFile});
}

void TestHostileArchives::fullDiskDuringExtraction()
{
    // The data member does not fit: the extraction fails, the work file of
    // before stays whole and nothing half-written is left.
    QVERIFY(writeBytes(m_fixture->path("tunelet.snr"), song("Old")));
    const QByteArray big = song("Big") + QByteArray(64 * 1024, ';');
    const QByteArray lzh =
        m_fixture->writeOutside("big.lzh", archives::lzhLevel0({{"sub/big.snr", big}}));
    const std::optional<QByteArray> report = faults::inChildWithFileSizeLimit(16 * 1024, [&] {
        form().Run([&] { form().AppendEntry(lzh); });
        return m_fixture->captions().join('\n') + '\n' +
               m_fixture->dialogs().texts(What::Message).join('\n').toUtf8() +
               m_fixture->dialogs().texts(What::Error).join('\n').toUtf8();
    });
    QVERIFY2(report, "the process did not end well");
    QCOMPARE(QString::fromUtf8(*report), "[LZH] big.lzh\n" + NoDataFile);
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), song("Old"));
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
}

void TestHostileArchives::songBesideHostileMembersPlays()
{
    const QByteArray lzh = m_fixture->writeOutside(
        "mixed.lzh",
        archives::lzhSymlink("sub", m_root + "outside") +
            archives::lzhLevel0({{"../evil.txt", "x"}, {"sub/in.snr", song("Inside")}}));
    form().SonaroPath = faults::binDir() + "/sonaro";
    form().AppendEntry(lzh);
    QCOMPARE(form().Playlist().caption(0), QByteArray("[LZH] Inside"));

    form().Run([this] { form().SBPlayClick(); });
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QCOMPARE(form().windowTitle(),
             "Tunelet - <1> " + QString::fromUtf8(m_fixture->path("tunelet.snr")));
    // The player shows the archive's song.
    auto windows = windowlink::makeLinkWindowSystem();
    QTRY_VERIFY_WITH_TIMEOUT(
        QString::fromStdString(
            windowlink::windowText(*windows, windows->FindWindowA("CN_sonaro", nullptr)))
            .startsWith(QStringLiteral("Sonaro - Inside")),
        20000);
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), song("Inside"));
    QVERIFY(faults::snapshot(m_root + "outside").isEmpty());
}

int runHostileArchiveTests(int argc, char **argv)
{
    TestHostileArchives test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile_archives.moc"
