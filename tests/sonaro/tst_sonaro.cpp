// The real player program, started and steered the way Tunelet does it: through its
// window on the window link.

#include "platform/windowlink/WindowSystem.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>

using namespace windowlink;

namespace
{

QString binDir()
{
    return qEnvironmentVariable("TUNELET_BIN_DIR", QStringLiteral(TUNELET_BIN_FALLBACK));
}

QString example(const QString &name)
{
    return qEnvironmentVariable("TUNELET_SOURCE_DIR", QStringLiteral(TUNELET_SOURCE_FALLBACK)) +
           QStringLiteral("/examples/") + name;
}

struct View {
    HWND window = 0;
    int pos = 0;
    int max = 0;
    QString title;
    QString status;
};

} // namespace

class TestSonaro final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void titleEndsInTotalTime_data();
    void titleEndsInTotalTime();
    void positionFollowsPlayback();
    void pauseHoldsThePosition();
    void leftAndRightMoveThePosition();
    void endLeavesPositionAtMaximum();
    void upPlaysTheEndedSongAgain();
    void closeRemovesTheWindow();
    void minimizeKeepsPlaying();
    void unplayableFilesShowWhy_data();
    void unplayableFilesShowWhy();
    void fifoIsRefusedAtOnce();
    void hostileSongsEndWithinTheStepLimit_data();
    void hostileSongsEndWithinTheStepLimit();
    void subWindowsOpen();
    void audioReachesTheDevice();
    void keepsTimeWithoutAudioDevice();

private:
    bool start(const QStringList &args, const QProcessEnvironment &extra = {});
    View view();
    void send(UINT message, WPARAM wParam);

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<QProcess> m_player;
    std::unique_ptr<WindowSystem> m_ws;
    QProcess::ProcessChannelMode m_channels = QProcess::ForwardedErrorChannel;
};

void TestSonaro::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toLocal8Bit());
    m_ws = makeLinkWindowSystem();
    m_channels = QProcess::ForwardedErrorChannel;
}

void TestSonaro::cleanup()
{
    if (m_player) {
        if (m_player->state() != QProcess::NotRunning) {
            m_player->kill();
            m_player->waitForFinished(5000);
        }
        m_player.reset();
    }
    m_ws.reset();
    m_runtime.reset();
}

bool TestSonaro::start(const QStringList &args, const QProcessEnvironment &extra)
{
    m_player = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_player->setProcessEnvironment(env);
    m_player->setProcessChannelMode(m_channels);
    m_player->start(QDir(binDir()).filePath(QStringLiteral("sonaro")), args);
    if (!m_player->waitForStarted(10000))
        return false;
    // A sanitizer build opening all its sub-windows on a busy machine can take a while.
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (m_ws->FindWindowA("CN_sonaro", nullptr) != 0)
            return true;
        if (m_player->state() == QProcess::NotRunning)
            return false;
        QTest::qWait(10);
    }
    return false;
}

View TestSonaro::view()
{
    View v;
    v.window = m_ws->FindWindowA("CN_sonaro", nullptr);
    const HWND seek = m_ws->FindWindowExA(v.window, 0, "CN_seek", nullptr);
    const HWND status = m_ws->FindWindowExA(v.window, 0, "Static", nullptr);
    int min = 0;
    v.pos = m_ws->GetScrollPos(seek, SB_CTL);
    m_ws->GetScrollRange(seek, SB_CTL, &min, &v.max);
    v.title = QString::fromStdString(windowText(*m_ws, v.window));
    v.status = QString::fromStdString(windowText(*m_ws, status));
    return v;
}

void TestSonaro::send(UINT message, WPARAM wParam)
{
    m_ws->SendMessageA(m_ws->FindWindowA("CN_sonaro", nullptr), message, wParam, 0);
}

void TestSonaro::titleEndsInTotalTime_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("max");
    QTest::newRow("short beat") << "short-beat.snr"
                                << "Sonaro - Short Beat → 0：04" << 32;
    QTest::newRow("short scale") << "short-scale.snr"
                                 << "Sonaro - Short Scale → 0：03" << 22;
    QTest::newRow("japanese title") << "rainy-window.snr"
                                    << "Sonaro - 雨の窓辺 → 0：35" << 343;
}

void TestSonaro::titleEndsInTotalTime()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(int, max);
    QVERIFY(start({example(file), QStringLiteral("*p"), QStringLiteral("*x")}));
    const View v = view();
    QCOMPARE(v.title, title);
    QCOMPARE(v.max, max);
    QCOMPARE(v.status, QStringLiteral("再生中"));
}

void TestSonaro::positionFollowsPlayback()
{
    QVERIFY(start(
        {example(QStringLiteral("morning-walk.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    const int first = view().pos;
    QTRY_VERIFY_WITH_TIMEOUT(view().pos >= first + 5, 10000);
    QVERIFY(view().pos < view().max);
}

void TestSonaro::pauseHoldsThePosition()
{
    QVERIFY(start(
        {example(QStringLiteral("morning-walk.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    send(WM_KEYDOWN, VK_SPACE);
    send(WM_KEYUP, VK_SPACE);
    const View paused = view();
    QCOMPARE(paused.status, QStringLiteral("一時停止"));
    QTest::qWait(700);
    QCOMPARE(view().pos, paused.pos);
    send(WM_KEYDOWN, VK_SPACE);
    send(WM_KEYUP, VK_SPACE);
    QCOMPARE(view().status, QStringLiteral("再生中"));
    QTRY_VERIFY_WITH_TIMEOUT(view().pos > paused.pos, 10000);
}

void TestSonaro::leftAndRightMoveThePosition()
{
    QVERIFY(start(
        {example(QStringLiteral("morning-walk.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    send(WM_KEYDOWN, VK_SPACE); // paused, so only the keys move the position
    const int start = view().pos;
    send(WM_KEYDOWN, VK_RIGHT);
    send(WM_KEYUP, VK_RIGHT);
    QCOMPARE(view().pos, start + 20); // one tap: two seconds
    send(WM_KEYDOWN, VK_RIGHT);
    send(WM_KEYUP, VK_RIGHT);
    send(WM_KEYDOWN, VK_LEFT);
    send(WM_KEYUP, VK_LEFT);
    QCOMPARE(view().pos, start + 20);
    // Held: key-downs keep coming and keep moving it, never past the start.
    for (int i = 0; i < 40; ++i) {
        send(WM_KEYDOWN, VK_LEFT);
        QTest::qWait(5);
    }
    send(WM_KEYUP, VK_LEFT);
    QCOMPARE(view().pos, 0);
    QCOMPARE(view().status, QStringLiteral("一時停止"));
}

void TestSonaro::endLeavesPositionAtMaximum()
{
    QVERIFY(start(
        {example(QStringLiteral("short-chime.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    QTRY_VERIFY_WITH_TIMEOUT(view().status == QStringLiteral("終了"), 15000);
    View v = view();
    QCOMPARE(v.pos, v.max);
    QCOMPARE(v.max, 20);
    QTest::qWait(300);
    v = view();
    QVERIFY(v.window != 0); // stays open
    QCOMPARE(v.pos, v.max);
    QCOMPARE(m_player->state(), QProcess::Running);
}

void TestSonaro::upPlaysTheEndedSongAgain()
{
    QVERIFY(start(
        {example(QStringLiteral("short-chime.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    // Up before the end changes nothing.
    send(WM_KEYDOWN, VK_UP);
    send(WM_KEYUP, VK_UP);
    QCOMPARE(view().status, QStringLiteral("再生中"));
    // Fast-forward to the end.
    send(WM_KEYDOWN, VK_RIGHT);
    send(WM_KEYUP, VK_RIGHT);
    QTRY_VERIFY_WITH_TIMEOUT(view().status == QStringLiteral("終了"), 15000);
    send(WM_KEYDOWN, VK_UP);
    send(WM_KEYUP, VK_UP);
    const View again = view();
    QCOMPARE(again.status, QStringLiteral("再生中"));
    QVERIFY(again.pos < 5);
    QTRY_VERIFY_WITH_TIMEOUT(view().pos == view().max, 15000);
}

void TestSonaro::closeRemovesTheWindow()
{
    QVERIFY(start(
        {example(QStringLiteral("morning-walk.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    send(WM_SYSCOMMAND, SC_CLOSE);
    // Gone as soon as the send returns.
    QCOMPARE(m_ws->FindWindowA("CN_sonaro", nullptr), HWND(0));
    QVERIFY(m_player->waitForFinished(10000));
    QCOMPARE(m_player->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_player->exitCode(), 0);
}

void TestSonaro::minimizeKeepsPlaying()
{
    QVERIFY(start(
        {example(QStringLiteral("morning-walk.snr")), QStringLiteral("*p"), QStringLiteral("*x")}));
    send(WM_SYSCOMMAND, SC_MINIMIZE);
    const int pos = view().pos;
    QCOMPARE(view().status, QStringLiteral("再生中"));
    QTRY_VERIFY_WITH_TIMEOUT(view().pos > pos, 10000);
}

void TestSonaro::unplayableFilesShowWhy_data()
{
    QTest::addColumn<QByteArray>("content"); // null: the file does not exist
    QTest::addColumn<QString>("status");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("ファイルが見つかりません: bad.snr");
    QTest::newRow("binary") << QByteArray("MThd\0\0\0\x06\0\x01\0\x02", 12)
                            << QStringLiteral("曲データではありません: bad.snr");
    QTest::newRow("no tracks") << QByteArray("just some words\r\n") << QStringLiteral("終了");
}

void TestSonaro::unplayableFilesShowWhy()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, status);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.snr"));
    if (!content.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QVERIFY(start({path, QStringLiteral("*p"), QStringLiteral("*x")}));
    const View v = view();
    QCOMPARE(v.status, status);
    QCOMPARE(v.title, QStringLiteral("Sonaro - bad.snr → 0：00"));
    // Ended at once, so a jukebox moves on.
    QCOMPARE(v.max, 1);
    QCOMPARE(v.pos, 1);
    QCOMPARE(m_player->state(), QProcess::Running);
}

// A FIFO with no writer would block a plain open for good.
void TestSonaro::fifoIsRefusedAtOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe.snr"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QVERIFY(start({path, QStringLiteral("*p"), QStringLiteral("*x")}));
    const View v = view();
    QCOMPARE(v.status, QStringLiteral("通常のファイルではありません: pipe.snr"));
    QCOMPARE(v.title, QStringLiteral("Sonaro - pipe.snr → 0：00"));
    QCOMPARE(v.pos, v.max);
}

// The player's work on a song is bounded by the parser's steps, which it reports
// when a limit cut the song short: every song ends within 20,000,000 of them.
void TestSonaro::hostileSongsEndWithinTheStepLimit_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("status"); // a song of no length ends at once
    const QByteArray repeated = "]255]255]255\n";
    const QString ended = QStringLiteral("終了");
    const QString playing = QStringLiteral("再生中");
    QTest::newRow("long numbers in repeats")
        << "A:[[[o" + QByteArray(10'000, '0') + repeated << true << ended;
    QTest::newRow("tempo changes at one tick")
        << "A:[[[" + QByteArray("t1").repeated(40) + repeated << true << ended;
    QTest::newRow("tempo changes with rests")
        << "A:[[[" + QByteArray("t1r%1t2r%1").repeated(20) + repeated << true << playing;
    QTest::newRow("very long title") << "*HEAD\"" + QByteArray(1 << 20, 'x') + "\"\nA:c\n"
                                     << false << playing;
}

void TestSonaro::hostileSongsEndWithinTheStepLimit()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, cut);
    QFETCH(QString, status);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("hostile.snr")));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    f.close();
    m_channels = QProcess::SeparateChannels;
    QVERIFY(start({f.fileName(), QStringLiteral("*p"), QStringLiteral("*x")}));
    const View v = view();
    QCOMPARE(v.status, status);
    QVERIFY2(v.title.size() <= 255, qPrintable(v.title));
    static const QRegularExpression total(QStringLiteral("^Sonaro - [^→]* → \\d+：\\d\\d$"));
    QVERIFY2(total.match(v.title).hasMatch(), qPrintable(v.title));
    // Written before the window was published.
    QByteArray said;
    const QByteArray marker = "a limit was reached after ";
    m_player->setReadChannel(QProcess::StandardError);
    if (m_player->bytesAvailable() == 0)
        m_player->waitForReadyRead(cut ? 30000 : 500);
    said += m_player->readAllStandardError();
    QCOMPARE(said.contains(marker), cut);
    if (cut) {
        const qsizetype at = said.indexOf(marker) + marker.size();
        const qint64 steps = said.mid(at, said.indexOf(' ', at) - at).toLongLong();
        QVERIFY2(steps > 0 && steps <= 20'000'008, said.constData());
    }
}

void TestSonaro::subWindowsOpen()
{
    QVERIFY(start({example(QStringLiteral("morning-walk.snr")), QStringLiteral("*p"),
                   QStringLiteral("*x"), QStringLiteral("*i"), QStringLiteral("*m"),
                   QStringLiteral("*f"), QStringLiteral("*s"), QStringLiteral("*a")}));
    const int pos = view().pos;
    QCOMPARE(view().status, QStringLiteral("再生中"));
    QTRY_VERIFY_WITH_TIMEOUT(view().pos > pos, 10000);
    send(WM_SYSCOMMAND, SC_CLOSE);
    QVERIFY(m_player->waitForFinished(10000));
    QCOMPARE(m_player->exitCode(), 0);
}

void TestSonaro::audioReachesTheDevice()
{
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("out.raw"));
    QProcessEnvironment env;
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), raw);
    QVERIFY(start(
        {example(QStringLiteral("short-beat.snr")), QStringLiteral("*p"), QStringLiteral("*x")},
        env));
    QTRY_VERIFY_WITH_TIMEOUT(view().status == QStringLiteral("終了"), 20000);
    send(WM_SYSCOMMAND, SC_CLOSE);
    QVERIFY(m_player->waitForFinished(10000));

    QFile f(raw);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    // 16-bit stereo at 44,100 frames a second. The song lasts 3.2 s; the
    // device may take a buffer or two of silence more before it is paused
    // (more when the machine is busy), but the sound itself ends on time.
    const double seconds = bytes.size() / 4.0 / 44100.0;
    QVERIFY2(seconds >= 3.2 * 0.98 && seconds <= 3.2 + 0.5, qPrintable(QString::number(seconds)));
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
    int loud = 0;
    qsizetype lastSound = 0;
    for (qsizetype i = 0; i < bytes.size() / 2; ++i) {
        if (std::abs(int(samples[i])) > 2000)
            ++loud;
        if (std::abs(int(samples[i])) > 100)
            lastSound = i;
    }
    QVERIFY2(loud > 10000, qPrintable(QString::number(loud)));
    const double soundEnds = lastSound / 2.0 / 44100.0;
    QVERIFY2(soundEnds >= 3.0 && soundEnds <= 3.2 * 1.02, qPrintable(QString::number(soundEnds)));
}

void TestSonaro::keepsTimeWithoutAudioDevice()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("no-such-driver"));
    QVERIFY(start(
        {example(QStringLiteral("short-chime.snr")), QStringLiteral("*p"), QStringLiteral("*x")},
        env));
    QCOMPARE(view().status, QStringLiteral("再生中"));
    const int first = view().pos;
    QTRY_VERIFY_WITH_TIMEOUT(view().pos > first, 10000);
    send(WM_KEYDOWN, VK_SPACE);
    const int paused = view().pos;
    QTest::qWait(400);
    QCOMPARE(view().pos, paused);
    send(WM_KEYDOWN, VK_SPACE);
    QTRY_VERIFY_WITH_TIMEOUT(view().status == QStringLiteral("終了"), 15000);
    QCOMPARE(view().pos, view().max);
}

QTEST_GUILESS_MAIN(TestSonaro)
#include "tst_sonaro.moc"
