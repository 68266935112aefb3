// Data files that are binary, empty, a single huge line or hold NUL bytes
// become rows with their file name or title, without a crash and within a
// bounded amount of memory.
#include "tests/support/WindowFixture.h"

#include "app/Unit2.h"
#include "tests/faults/FaultSupport.h"
#include "tests/faults/FaultTests.h"

#include "playlist/PlaylistModel.h"
#include "playlist/ReadTitle.h"

#include <QElapsedTimer>
#include <QTest>

#include <sys/stat.h>

using namespace tunelet::testkit;

namespace
{
constexpr qint64 HugeSize = 100 * 1024 * 1024;
// What reading the titles of two 100 MB files may add to the process's peak.
constexpr qint64 MemoryBoundKiB = 64 * 1024;
// What showing a 40 MB file in the data viewer may add: the viewer reads no
// more than it shows (16 MiB). The address sanitizer keeps freed blocks for a
// while, among them each smaller buffer the file was read into before: it
// gets twice as much.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 ViewerBoundKiB = 2 * MemoryBoundKiB;
#else
constexpr qint64 ViewerBoundKiB = MemoryBoundKiB;
#endif
} // namespace

class TestHostileData final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    // First: its memory is measured before anything else has grown the process.
    void hugeSingleLinesStayWithinMemory();
    void oddDataFiles_data();
    void oddDataFiles();
    void specialFilesNamedLikeData();
    void dataViewerShowsHugeDataCut();

private:
    TForm1 &form() const { return m_fixture->form(); }
    std::unique_ptr<faults::CappedLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<TForm2> m_viewer; // outlives the main window that shows data in it
};

void TestHostileData::init()
{
    m_launcher = std::make_unique<faults::CappedLauncher>(std::chrono::seconds(60));
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_fixture->start({.processes = m_launcher.get()});
}

void TestHostileData::cleanup()
{
    // A player still starting when the song was stopped has no window to close.
    QVERIFY(m_launcher->endStarted());
    m_fixture.reset();
    m_viewer.reset();
    m_launcher.reset();
}

void TestHostileData::hugeSingleLinesStayWithinMemory()
{
    const QByteArray root = m_fixture->outsideRoot();
    const QByteArray untitled = root + "huge-untitled.snr";
    const QByteArray titled = root + "huge-titled.snr";
    // One line of 100 MB without a CR: no title line at all, and a title
    // line whose title never closes.
    QVERIFY(faults::writeLargeFile(untitled, "A: c d e f ", 'a', HugeSize));
    QVERIFY(faults::writeLargeFile(titled, "*HEAD\"", 'x', HugeSize));

    QVERIFY(faults::peakMeterSeesGrowth());
    faults::resetPeak();
    const qint64 before = faults::peakKiB();
    form().AppendEntry(untitled);
    form().AppendEntry(titled);
    const qint64 growth = faults::peakKiB() - before;
    qInfo("two rows from 100 MB single-line files: peak memory grew by %lld KiB (bound %lld KiB)",
          growth, MemoryBoundKiB);
    QVERIFY2(growth < MemoryBoundKiB, "reading the titles took too much memory");

    QCOMPARE(form().Playlist().caption(0), QByteArray("huge-untitled.snr"));
    // The title is cut at its bound.
    QCOMPARE(form().Playlist().caption(1), QByteArray(tunelet::MaxTitleLength, 'x'));
    QCOMPARE(form().Playlist().paths(), (QByteArrayList{untitled, titled}));
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestHostileData::oddDataFiles_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("caption");

    QByteArray binary;
    for (int i = 0; i < 64 * 1024; ++i)
        binary.append(char((i * 7 + i / 256) & 0xFF));
    QTest::newRow("binary") << QByteArray("binary.snr") << binary << QByteArray("binary.snr");
    QTest::newRow("empty") << QByteArray("empty.snr") << QByteArray() << QByteArray("empty.snr");
    QTest::newRow("NUL bytes only")
        << QByteArray("nul.txt") << QByteArray(4096, '\0') << QByteArray("nul.txt");
    QTest::newRow("NUL inside the title")
        << QByteArray("nul-title.snr") << QByteArray("*HEAD\"A\0B\"\r\nA: c\r\n", 18)
        << QByteArray("A\0B", 3);
    QTest::newRow("NUL lines before the title")
        << QByteArray("nul-lines.snr") << QByteArray("\0\0\0\r\n\0\r\n*HEAD\"T\"\r\n", 18)
        << QByteArray("T");
    QTest::newRow("binary after an open title")
        << QByteArray("open-title.snr") << "*HEAD\"" + binary.left(200) << QByteArray();
    QTest::newRow("title of only a quote")
        << QByteArray("quote.snr") << QByteArray("*HEAD\"\"\r\n") << QByteArray("quote.snr");
    QTest::newRow("end-of-text byte first")
        << QByteArray("eot.snr") << QByteArray("\x1A*HEAD\"T\"\r\n") << QByteArray("eot.snr");
}

void TestHostileData::oddDataFiles()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, caption);
    const QByteArray path = m_fixture->writeOutside(name, content);
    QVERIFY(!path.isEmpty());
    QByteArray expected = caption;
    if (expected.isEmpty()) {
        // The title runs to the end of the line: the text after the marker,
        // up to the first CR or quote.
        const QByteArray rest = content.mid(6);
        qsizetype end = rest.size();
        for (qsizetype i = 0; i < rest.size(); ++i) {
            if (rest[i] == '\r' || rest[i] == '"' || rest[i] == '\x1A') {
                end = i;
                break;
            }
        }
        expected = rest.left(end);
        if (expected.isEmpty())
            expected = name;
    }
    form().AppendEntry(path);
    QCOMPARE(form().Playlist().count(), 1);
    QCOMPARE(form().Playlist().caption(0), expected);
    QCOMPARE(form().Playlist().path(0), path);
    QCOMPARE(form().Playlist().entry(0).imageIndex, 0);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestHostileData::specialFilesNamedLikeData()
{
    // A pipe nobody writes to, a folder and a device that never ends: none blocks nor fails; each
    // row shows its file name.
    const QByteArray root = m_fixture->outsideRoot();
    const QByteArray fifo = root + "pipe.snr";
    QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
    const QByteArray folder = faults::makeFolder(root + "folder.snr");
    form().AppendEntry(fifo);
    form().AppendEntry(folder.chopped(1));
    form().AppendEntry("/dev/zero");
    QCOMPARE(form().Playlist().count(), 3);
    QCOMPARE(form().Playlist().caption(0), QByteArray("pipe.snr"));
    QCOMPARE(form().Playlist().caption(1), QByteArray("folder.snr"));
    QCOMPARE(form().Playlist().caption(2), QByteArray("zero"));
}

void TestHostileData::dataViewerShowsHugeDataCut()
{
    // A title line, then one line of 40 MB without a CR, played with the
    // data viewer on.
    const QByteArray huge = m_fixture->outsideRoot() + "huge-viewed.snr";
    QVERIFY(faults::writeLargeFile(huge, "*HEAD\"T\"\r\n", 'x', 40 * 1024 * 1024));
    m_viewer = std::make_unique<TForm2>();
    TForm2 &viewer = *m_viewer;
    form().SetSiblings(nullptr, &viewer);
    form().SonaroPath = faults::binDir() + "/sonaro";
    action(form(), "MMRepeat")->setChecked(false);
    action(form(), "MMDataView")->setChecked(true);
    form().AppendEntry(huge);

    faults::resetPeak();
    const qint64 before = faults::peakKiB();
    QElapsedTimer clock;
    clock.start();
    form().Run([this] { form().SBPlayClick(); });
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const qint64 growth = faults::peakKiB() - before;
    qInfo("40 MB single line in the data viewer: shown after %lld ms, peak memory grew by %lld KiB",
          clock.elapsed(), growth);
    // Only what is shown is read. A viewer reading the whole file and laying
    // out the whole line takes many times the file's size.
    QVERIFY2(growth < ViewerBoundKiB, "showing the data took too much memory");

    // The viewer shows the start of the data, each line cut at its bound.
    const QString text = viewer.text();
    QVERIFY(text.startsWith(QStringLiteral("*HEAD\"T\"\n")));
    QVERIFY(text.size() <= TForm2::MaxShownBytes);
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1], QString(TForm2::MaxShownLine, QLatin1Char('x')));
    QVERIFY(m_fixture->dialogs().texts(ScriptedDialogs::Shown::What::Error).isEmpty());
    form().SBStopClick();
}

int runHostileDataTests(int argc, char **argv)
{
    TestHostileData test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile_data.moc"
