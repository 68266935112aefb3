// A day of music in one process: hundreds of short songs, MIDI rows and
// archive rows played through the main window with the real player, the real
// converter, the real LHA library and the real window link. What Tunelet
// holds is counted after the first few songs and at the end; nothing may
// grow with the number of songs played. Counts, not timings.
#include "tests/longplay/LongPlayTests.h"
#include "tests/longplay/ProcessUsage.h"
#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ArchiveWriters.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/SmfWriter.h"
#include "tests/support/WindowFixture.h"

#include "platform/core/ResourceShortage.h"
#include "platform/process/SystemProcessLauncher.h"
#include "platform/windowlink/WindowSystem.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using longplay::ProcessUsage;
using namespace tunelet::testkit;
using What = ScriptedDialogs::Shown::What;

namespace
{

constexpr int SongsInADay = 300;
constexpr int ConvertedRows = 100;
constexpr int ArchiveRows = 100;
// A song counts as stuck when the next has not started after this long.
constexpr int StallMs = 60000;
// Heap and resident memory may move a little as allocators settle; a leak
// of a few hundred bytes a song would exceed both.
constexpr qint64 HeapAllowanceBytes = 64 * 1024;
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer holds freed memory back for a while (its quarantine), so
// resident memory grows with what was allocated at all; the heap count
// above is the measure there.
constexpr qint64 ResidentAllowanceKiB = 300 * 1024;
#else
constexpr qint64 ResidentAllowanceKiB = 2 * 1024;
#endif

// What Tunelet holds at one moment.
struct Holdings {
    ProcessUsage usage;
    qint64 heapBytes = 0;
    windowlink::LinkUsage link;
    int linkFolderEntries = 0;
    int playersRunning = 0;
    QByteArrayList programFolder;

    QString toString() const
    {
        return QStringLiteral("%1, heap %2 B, link %3 connections / %4 windows, link folder %5, "
                              "players %6, program folder [%7]")
            .arg(usage.toString())
            .arg(heapBytes)
            .arg(link.connections)
            .arg(link.windows)
            .arg(linkFolderEntries)
            .arg(playersRunning)
            .arg(QString::fromUtf8(programFolder.join(' ')));
    }
};

// Song data of one sixteenth note at 240 bpm: 62.5 ms.
QByteArray blip(const QByteArray &title)
{
    return "*HEAD\"" + title + "\"\r\n*TEMPO 240\r\nA: @3 v100 o4 l16 c\r\n";
}

// Song data of two quarter notes at 240 bpm: half a second.
QByteArray halfSecond(const QByteArray &title)
{
    return "*HEAD\"" + title + "\"\r\n*TEMPO 240\r\nA: @3 v100 o4 l4 c e\r\n";
}

// A Standard MIDI File of one sixteenth note at 120 bpm: an eighth of a second.
QByteArray shortMidi()
{
    constexpr int ticksPerQuarter = 96;
    smf::Track track;
    track.tempo(0, 500000).noteOn(0, 0, 60, 100).noteOff(ticksPerQuarter / 4, 0, 60).end();
    const std::string bytes = smf::file(0, ticksPerQuarter, {track});
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QByteArray numbered(const char *pattern, int n)
{
    return QByteArray(pattern).replace("%", QByteArray::number(n).rightJustified(3, '0'));
}

} // namespace

class TestLongPlay final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aDayOfShortSongsLeavesNothingBehind();
    void aPlayerPlayingAgainHoldsNothingMore();
    void convertedRowsLeaveNothingBehind();
    void archiveRowsLeaveNothingInTheProgramFolder();
    void descriptorsRunningOutAreNamedAndTheStateIsSaved();
    void processesRunningOutAreNamed();

private:
    TForm1 &form() const { return m_fixture->form(); }
    QByteArray linkFolder() const;
    Holdings holdingsNow() const;
    int playersRunning() const;
    static bool playerWindowIsUp();
    // Runs the event loop until `songs` have started; false when one got stuck.
    bool waitForSongs(int songs);
    // Runs the event loop until the list has played through and stopped.
    bool waitForTheEnd();
    // The counts of the same moment of two songs: the first few, the last.
    void compare(const Holdings &first, const Holdings &last);
    void takeHoldingsAtSongs(int early, int late);
    QByteArrayList writeRows(const char *pattern, int count,
                             const std::function<QByteArray(int)> &content);

    QByteArray m_binDir;
    std::unique_ptr<tunelet::SystemProcessLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    int m_started = 0;
    QMap<int, Holdings> m_atSong; // taken as song n starts
    QList<int> m_takeAt;
};

void TestLongPlay::initTestCase()
{
    m_binDir = qgetenv("TUNELET_BIN_DIR");
    if (m_binDir.isEmpty())
        QSKIP("TUNELET_BIN_DIR is not set");
    for (const char *program : {"/sonaro", "/mid2snr", "/libunlha32.so"})
        QVERIFY2(QFile::exists(QFile::decodeName(m_binDir + program)), program);
    // The test runs from <build>/tests; the libraries are in <build>/bin.
    useLibraryFolder(m_binDir);
}

void TestLongPlay::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_launcher = std::make_unique<tunelet::SystemProcessLauncher>();
    WindowFixture::Seams seams;
    seams.processes = m_launcher.get();
    m_fixture->start(seams);
    form().SonaroPath = m_binDir + "/sonaro";
    form().mid2snrPath = m_binDir + "/mid2snr";
    m_started = 0;
    m_atSong.clear();
    m_takeAt.clear();
    // Each start of a song is counted, and the counts are taken at chosen
    // starts: the moment the next player has been started, by which the
    // link must have let go of the one before.
    connect(&form(), &QWidget::windowTitleChanged, this, [this](const QString &title) {
        if (!title.startsWith(QStringLiteral("Tunelet - <")))
            return;
        ++m_started;
        if (m_takeAt.contains(m_started))
            m_atSong.insert(m_started, holdingsNow());
    });
}

void TestLongPlay::cleanup()
{
    if (m_fixture && m_fixture->isValid())
        form().SBStopClick();
    m_fixture.reset();
    // Whatever is left of the players, by id, when it is still one of them.
    if (m_launcher)
        for (const qint64 pid : m_launcher->startedIds())
            if (longplay::processRuns(pid))
                ::kill(pid_t(pid), SIGKILL);
    m_launcher.reset();
}

QByteArray TestLongPlay::linkFolder() const
{
    return qgetenv("XDG_RUNTIME_DIR") + "/tunelet-windows";
}

int TestLongPlay::playersRunning() const
{
    int running = 0;
    for (const qint64 pid : m_launcher->startedIds())
        running += longplay::processRuns(pid) ? 1 : 0;
    return running;
}

bool TestLongPlay::playerWindowIsUp()
{
    return windowlink::makeLinkWindowSystem()->FindWindowA("CN_sonaro", nullptr) != 0;
}

Holdings TestLongPlay::holdingsNow() const
{
    Holdings h;
    h.usage = longplay::usageOf(::getpid());
    h.heapBytes = longplay::liveHeapBytes();
    h.link = windowlink::linkUsage();
    h.linkFolderEntries = longplay::entriesIn(linkFolder());
    h.playersRunning = playersRunning();
    h.programFolder = m_fixture->leftInHome();
    return h;
}

bool TestLongPlay::waitForSongs(int songs)
{
    int seen = m_started;
    QElapsedTimer sinceLast;
    sinceLast.start();
    while (m_started < songs) {
        QTest::qWait(20);
        if (m_started != seen) {
            seen = m_started;
            sinceLast.restart();
        } else if (sinceLast.elapsed() > StallMs) {
            qWarning("no song started for %d s after song %d", StallMs / 1000, m_started);
            return false;
        }
    }
    return true;
}

bool TestLongPlay::waitForTheEnd()
{
    QElapsedTimer clock;
    clock.start();
    while (form().Session().progressTimer().isActive() ||
           form().windowTitle() != QStringLiteral("Tunelet")) {
        if (clock.elapsed() > StallMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

void TestLongPlay::takeHoldingsAtSongs(int early, int late)
{
    m_takeAt = {early, late};
}

void TestLongPlay::compare(const Holdings &first, const Holdings &last)
{
    qInfo("after %d songs: %s", m_takeAt.value(0), qPrintable(first.toString()));
    qInfo("after %d songs: %s", m_takeAt.value(1), qPrintable(last.toString()));
    QCOMPARE(last.usage.descriptors, first.usage.descriptors);
    QCOMPARE(last.usage.threads, first.usage.threads);
    QCOMPARE(last.usage.children, 0);
    QVERIFY2(
        last.heapBytes - first.heapBytes <= HeapAllowanceBytes,
        qPrintable(QStringLiteral("heap grew by %1 bytes").arg(last.heapBytes - first.heapBytes)));
    QVERIFY2(last.usage.residentKiB - first.usage.residentKiB <= ResidentAllowanceKiB,
             qPrintable(QStringLiteral("resident memory grew by %1 KiB")
                            .arg(last.usage.residentKiB - first.usage.residentKiB)));
    QCOMPARE(last.link.connections, first.link.connections);
    QCOMPARE(last.link.windows, first.link.windows);
    // The new player may have published its window already; the old one has
    // taken its own away before its close was answered.
    QVERIFY(last.linkFolderEntries <= 1);
    QCOMPARE(last.programFolder, first.programFolder);
}

QByteArrayList TestLongPlay::writeRows(const char *pattern, int count,
                                       const std::function<QByteArray(int)> &content)
{
    QByteArrayList rows;
    for (int i = 0; i < count; ++i) {
        const QByteArray name = numbered(pattern, i);
        if (i == 0 && name.contains('/'))
            QDir(QFile::decodeName(m_fixture->outsideRoot()))
                .mkpath(QFile::decodeName(name.left(name.lastIndexOf('/'))));
        const QByteArray path = m_fixture->writeOutside(name, content(i));
        if (path.isEmpty())
            return {};
        rows.append(path);
        form().AppendEntry(path);
    }
    return rows;
}

void TestLongPlay::aDayOfShortSongsLeavesNothingBehind()
{
    // Three short songs over and over, as a list with repeat plays all day.
    QVERIFY(!writeRows("blip%.snr", 3, [](int i) {
                 return blip("Blip " + QByteArray::number(i));
             }).isEmpty());
    QVERIFY(action(form(), "MMRepeat")->isChecked());
    takeHoldingsAtSongs(5, SongsInADay);

    form().SBPlayClick();
    QVERIFY(waitForSongs(SongsInADay));
    compare(m_atSong.value(5), m_atSong.value(SongsInADay));
    if (QTest::currentTestFailed())
        return;
    // No more than the player that ends and the one that starts.
    QVERIFY(m_atSong.value(SongsInADay).playersRunning <= 2);

    // Stop with the last player's window up: closed by its window, the player
    // takes its socket away.
    QTRY_VERIFY_WITH_TIMEOUT(playerWindowIsUp(), 20000);
    form().SBStopClick();
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 0, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(longplay::entriesIn(linkFolder()), 0, 20000);
    QCOMPARE(longplay::usageOf(::getpid()).children, 0);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestLongPlay::aPlayerPlayingAgainHoldsNothingMore()
{
    // Single mode with repeat: one player plays its song again and again.
    QVERIFY(!writeRows("again%.snr", 1, [](int) { return halfSecond("Again"); }).isEmpty());
    form().MMSinglePlayClick();
    form().SBPlayClick();
    QCOMPARE(m_launcher->startedIds().size(), 1);
    const pid_t player = pid_t(m_launcher->startedIds().first());

    // The test's own link counts the ends: the position at its maximum, then
    // away from it again once the play-again keys have arrived.
    const auto windows = windowlink::makeLinkWindowSystem();
    int replays = 0;
    bool atEnd = false;
    QMap<int, ProcessUsage> atReplay;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, this, [&] {
        const windowlink::HWND w = windows->FindWindowA("CN_sonaro", nullptr);
        const windowlink::HWND seek = windows->FindWindowExA(w, 0, "CN_seek", nullptr);
        int minPos = 0;
        int maxPos = 0;
        const int pos = windows->GetScrollPos(seek, windowlink::SB_CTL);
        if (!windows->GetScrollRange(seek, windowlink::SB_CTL, &minPos, &maxPos) || maxPos < 1)
            return;
        if (!atEnd && pos == maxPos) {
            atEnd = true;
        } else if (atEnd && pos < maxPos) {
            atEnd = false;
            if (++replays == 3 || replays == 30)
                atReplay.insert(replays, longplay::usageOf(player));
        }
    });
    watch.start();
    QTRY_VERIFY_WITH_TIMEOUT(replays >= 30, 120000);
    watch.stop();

    const ProcessUsage first = atReplay.value(3);
    const ProcessUsage last = atReplay.value(30);
    qInfo("player after 3 plays: %s", qPrintable(first.toString()));
    qInfo("player after 30 plays: %s", qPrintable(last.toString()));
    QCOMPARE(m_launcher->startedIds().size(), 1);
    // Nothing may grow; a thread or descriptor the player (or the sanitizer
    // runtime) held only for a moment at the early sample may be gone later.
    QVERIFY2(last.descriptors <= first.descriptors, qPrintable(last.toString()));
    QVERIFY2(last.threads <= first.threads, qPrintable(last.toString()));
    QCOMPARE(last.children, 0);
    QVERIFY2(last.residentKiB - first.residentKiB <= ResidentAllowanceKiB,
             qPrintable(QStringLiteral("the player's resident memory grew by %1 KiB")
                            .arg(last.residentKiB - first.residentKiB)));
}

void TestLongPlay::convertedRowsLeaveNothingBehind()
{
    const QByteArrayList rows =
        writeRows("midi/%.mid", ConvertedRows, [](int) { return shortMidi(); });
    QCOMPARE(rows.size(), ConvertedRows);
    action(form(), "MMRepeat")->setChecked(false);
    takeHoldingsAtSongs(3, ConvertedRows);

    form().SBPlayClick();
    QVERIFY(waitForSongs(ConvertedRows));
    QVERIFY(waitForTheEnd());
    compare(m_atSong.value(3), m_atSong.value(ConvertedRows));
    if (QTest::currentTestFailed())
        return;
    // The converter's output became the work file each time; nothing else
    // is left in the program folder or beside the MIDI files.
    QCOMPARE(m_atSong.value(ConvertedRows).programFolder, QByteArrayList{"tunelet.snr"});
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    const QString midiFolder = QFileInfo(QFile::decodeName(rows.first())).path();
    QCOMPARE(
        QDir(midiFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
        ConvertedRows);
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 0, 20000);
    QCOMPARE(longplay::usageOf(::getpid()).children, 0);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestLongPlay::archiveRowsLeaveNothingInTheProgramFolder()
{
    const QByteArrayList rows = writeRows("lzh/%.lzh", ArchiveRows, [](int i) {
        return archives::lzhLevel0({{"blip.snr", blip("Archived " + QByteArray::number(i))}});
    });
    QCOMPARE(rows.size(), ArchiveRows);
    action(form(), "MMRepeat")->setChecked(false);
    takeHoldingsAtSongs(3, ArchiveRows);

    form().SBPlayClick();
    QVERIFY(waitForSongs(ArchiveRows));
    QVERIFY(waitForTheEnd());
    compare(m_atSong.value(3), m_atSong.value(ArchiveRows));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QTRY_COMPARE_WITH_TIMEOUT(playersRunning(), 0, 20000);
    QCOMPARE(longplay::usageOf(::getpid()).children, 0);
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestLongPlay::descriptorsRunningOutAreNamedAndTheStateIsSaved()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers check memory through a pipe of their own: with every
    // descriptor taken, that check fails and reports good objects as bad.
    QSKIP("the sanitizers need descriptors of their own");
#endif
    const QByteArrayList rows = writeRows("song%.snr", 2, [](int) { return blip("Song"); });
    QCOMPARE(rows.size(), 2);
    action(form(), "MMSaveList")->setChecked(true);

    // Every descriptor the process may have is taken.
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(longplay::usageOf(::getpid()).descriptors + 64);
    QVERIFY(tight.rlim_cur <= saved.rlim_cur);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
    QList<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken << fd;
    const int why = errno;

    // The player cannot be started, and the message says why; the exit
    // still saves the list and the settings.
    form().SBPlayClick();
    const QStringList messages = m_fixture->dialogs().texts(What::Message);
    form().MMExitClick();
    for (const int fd : std::as_const(taken))
        ::close(fd);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);

    QCOMPARE(why, EMFILE);
    QCOMPARE(messages, QStringList{"Sonaro起動エラー。\n" + tunelet::shortageText(EMFILE)});
    QCOMPARE(m_fixture->dialogs().texts(What::Error), QStringList());
    QCOMPARE(readBytes(m_fixture->path("tunelet.ppl")), rows.join("\r\n") + "\r\n");
    const QByteArray settings = readBytes(m_fixture->path("tunelet.ini"));
    QVERIFY(settings.contains("[Window]"));
    QVERIFY(settings.contains("SaveList=1"));
}

void TestLongPlay::processesRunningOutAreNamed()
{
    if (::geteuid() == 0)
        QSKIP("the process limit does not bind the superuser");
    QVERIFY(!writeRows("song%.snr", 1, [](int) { return blip("Song"); }).isEmpty());
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NPROC, &saved) == 0);
    rlimit tight = saved;
    tight.rlim_cur = 1; // this user runs more already
    QVERIFY(::setrlimit(RLIMIT_NPROC, &tight) == 0);
    form().SBPlayClick();
    QVERIFY(::setrlimit(RLIMIT_NPROC, &saved) == 0);
    QCOMPARE(m_fixture->dialogs().texts(What::Message),
             QStringList{"Sonaro起動エラー。\n" + tunelet::shortageText(EAGAIN)});
    QCOMPARE(form().windowTitle(), QStringLiteral("Tunelet"));
}

int runLongPlayTests(int argc, char **argv)
{
    TestLongPlay test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_longplay.moc"
