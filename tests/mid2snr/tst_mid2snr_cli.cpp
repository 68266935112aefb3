// The built mid2snr program: where it writes, what it prints and what it
// leaves behind, run with a temporary folder as its current folder.
#include "tests/mid2snr/PlayedSong.h"
#include "tests/mid2snr/ReferenceSong.h"
#include "tests/support/SmfWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#ifdef MID2SNR_TEST_WITH_WINDOWLINK
#include "platform/windowlink/WindowSystem.h"
#endif

namespace
{

struct Run {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QByteArray errorOutput;
};

QString binDir()
{
    return qEnvironmentVariable("TUNELET_BIN_DIR");
}

Run runConverter(const QStringList &arguments, const QString &currentFolder)
{
    QProcess process;
    process.setWorkingDirectory(currentFolder);
    process.start(binDir() + "/mid2snr", arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.status = process.exitStatus();
    run.errorOutput = process.readAllStandardError();
    return run;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray smallSong()
{
    RefSong song;
    song.trackName = "Small song";
    song.notes = {{0, 0, 60, 0, 480}, {0, 0, 64, 480, 960}, {0, 9, 36, 0, 60}};
    song.tempos = {{0, 0, 400000}, {0, 480, 600000}};
    return QByteArray::fromStdString(writeMidi(song));
}

} // namespace

class TestMid2snrProgram final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void writesIntoCurrentFolder_data();
    void writesIntoCurrentFolder();
    void replacesEarlierOutput();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void missingFile();
    void folderInsteadOfFile();
    void fifoInsteadOfFile();
    void wrongArgumentCount();
    void unwritableOutputLeavesNoTemporaryFile();
    void playerAcceptsConversion();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_in;  // where the MIDI files are
    QString m_out; // the converter's current folder
};

void TestMid2snrProgram::initTestCase()
{
    QVERIFY2(QFile::exists(binDir() + "/mid2snr"), qPrintable(binDir()));
}

void TestMid2snrProgram::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_in = m_dir->filePath("in");
    m_out = m_dir->filePath("out");
    QVERIFY(QDir().mkpath(m_in) && QDir().mkpath(m_out));
}

void TestMid2snrProgram::writesIntoCurrentFolder_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("plain") << "song.mid"
                           << "song.snr";
    QTest::newRow("upper case extension") << "X.MID"
                                          << "X.snr";
    QTest::newRow("blanks and dots") << "My Song v1.2.mid"
                                     << "My Song v1.2.snr";
    QTest::newRow("Japanese name") << QString::fromUtf8("曲.mid") << QString::fromUtf8("曲.snr");
}

void TestMid2snrProgram::writesIntoCurrentFolder()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QVERIFY(writeFile(m_in + "/" + input, smallSong()));
    const Run run = runConverter({m_in + "/" + input}, m_out);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.errorOutput, QByteArray());
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList{output});
    QCOMPARE(QDir(m_in).entryList(QDir::Files | QDir::Hidden), QStringList{input});

    const QByteArray text = readFile(m_out + "/" + output);
    QVERIFY(text.startsWith("*HEAD\"Small song\"\r\n"));
    const PlayedSong played = playSong(text.toStdString());
    QVERIFY(played.problems.empty());
    QCOMPARE(played.notes.size(), std::size_t(3));
    // A quarter note at 150 bpm, then one at 100 bpm: 0.4 s + 0.6 s.
    QVERIFY(std::abs(played.totalSeconds - 1.0) < 1e-6);
}

void TestMid2snrProgram::replacesEarlierOutput()
{
    QVERIFY(writeFile(m_out + "/song.snr", "old contents"));
    QVERIFY(writeFile(m_in + "/song.mid", smallSong()));
    const Run run = runConverter({m_in + "/song.mid"}, m_out);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(readFile(m_out + "/song.snr").startsWith("*HEAD\"Small song\""));
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList{"song.snr"});
}

void TestMid2snrProgram::badInputWritesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = smallSong();
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file") << QByteArray("A: c d e f g\r\n");
    QTest::newRow("truncated") << good.left(good.size() - 5);
    QTest::newRow("header only") << good.left(14);
    QByteArray moreTracks = good;
    moreTracks[11] = 9;
    QTest::newRow("more tracks claimed") << moreTracks;
    QByteArray noTracks = good.left(14);
    noTracks[11] = 0;
    QTest::newRow("zero tracks") << noTracks;
}

void TestMid2snrProgram::badInputWritesNothing()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(m_in + "/bad.mid", bytes));
    const Run run = runConverter({m_in + "/bad.mid"}, m_out);
    QCOMPARE(run.status, QProcess::NormalExit);
    QVERIFY(run.exitCode != 0);
    QVERIFY(run.errorOutput.startsWith("mid2snr: "));
    QCOMPARE(run.errorOutput.count('\n'), 1);
    QVERIFY(run.errorOutput.endsWith('\n'));
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestMid2snrProgram::missingFile()
{
    const Run run = runConverter({m_in + "/nothing here.mid"}, m_out);
    QVERIFY(run.exitCode != 0);
    QCOMPARE(run.errorOutput.count('\n'), 1);
    QVERIFY(run.errorOutput.contains("nothing here.mid"));
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestMid2snrProgram::folderInsteadOfFile()
{
    QVERIFY(QDir().mkpath(m_in + "/folder.mid"));
    const Run run = runConverter({m_in + "/folder.mid"}, m_out);
    QVERIFY(run.exitCode != 0);
    QCOMPARE(run.errorOutput.count('\n'), 1);
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A FIFO with no writer would block a plain open for good.
void TestMid2snrProgram::fifoInsteadOfFile()
{
    const QByteArray fifo = QFile::encodeName(m_in + "/pipe.mid");
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const Run run = runConverter({m_in + "/pipe.mid"}, m_out);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.errorOutput.count('\n'), 1);
    QVERIFY(run.errorOutput.contains("pipe.mid: not a regular file"));
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestMid2snrProgram::wrongArgumentCount()
{
    QVERIFY(writeFile(m_in + "/song.mid", smallSong()));
    for (const QStringList &arguments : {QStringList{}, QStringList{m_in + "/song.mid", "extra"}}) {
        const Run run = runConverter(arguments, m_out);
        QVERIFY(run.exitCode != 0);
        QCOMPARE(run.errorOutput.count('\n'), 1);
    }
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// A folder in the way of the output: the rename fails, and the temporary file
// written before it is removed again.
void TestMid2snrProgram::unwritableOutputLeavesNoTemporaryFile()
{
    QVERIFY(QDir().mkpath(m_out + "/song.snr/inside"));
    QVERIFY(writeFile(m_in + "/song.mid", smallSong()));
    const Run run = runConverter({m_in + "/song.mid"}, m_out);
    QVERIFY(run.exitCode != 0);
    QCOMPARE(run.errorOutput.count('\n'), 1);
    QCOMPARE(QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"song.snr"});
    QVERIFY(QFileInfo(m_out + "/song.snr").isDir());
}

// The player opens the converted file and shows the MIDI file's length (62.5 s
// through two tempos, shown rounded up) in its title.
void TestMid2snrProgram::playerAcceptsConversion()
{
#ifndef MID2SNR_TEST_WITH_WINDOWLINK
    QSKIP("the window link is not built");
#else
    if (!QFile::exists(binDir() + "/sonaro"))
        QSKIP("the player is not built");
    RefSong song;
    song.division = 96;
    song.tempos = {{0, 0, 500000}, {0, 96 * 100, 250000}}; // 50 s, then 12.5 s
    song.notes = {{0, 0, 60, 0, 96 * 50}, {0, 0, 67, 96 * 50, 96 * 150}};
    QVERIFY(writeFile(m_in + "/long.mid", QByteArray::fromStdString(writeMidi(song))));
    QCOMPARE(runConverter({m_in + "/long.mid"}, m_out).exitCode, 0);

    const QString runtime = m_dir->filePath("run");
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess player;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime);
    player.setProcessEnvironment(environment);
    player.start(binDir() + "/sonaro", {m_out + "/long.snr", "*p", "*x"});
    QVERIFY(player.waitForStarted());

    windowlink::LinkOptions options;
    options.runtimeDir = (runtime + "/tunelet-windows/").toStdString();
    const auto windows = windowlink::makeLinkWindowSystem(options);
    windowlink::HWND window = 0;
    std::string title;
    for (int i = 0; i < 400 && title.find("\u2192 ") == std::string::npos; ++i) {
        QTest::qWait(50);
        window = windows->FindWindowA("CN_sonaro", nullptr);
        title = window ? windowlink::windowText(*windows, window) : std::string();
    }
    if (window)
        windows->SendMessageA(window, windowlink::WM_SYSCOMMAND, windowlink::SC_CLOSE, 0);
    if (!player.waitForFinished(10000)) {
        player.kill();
        player.waitForFinished();
    }
    QVERIFY2(window != 0, "the player published no window");
    QVERIFY2(QByteArray::fromStdString(title).endsWith("\u2192 1\uFF1A03"), title.c_str());
#endif
}

QTEST_GUILESS_MAIN(TestMid2snrProgram)
#include "tst_mid2snr_cli.moc"
