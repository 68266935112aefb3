// The whole list played unattended through the main window with the real
// player and converter.
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/playback/PlaybackTests.h"

#include "platform/process/SystemProcessLauncher.h"
#include "platform/windowlink/WindowSystem.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace tunelet::testkit;

class TestPlaybackIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listPlaysThroughAndStops();
    void repeatWrapsToTheFirstRowAndStopKeepsTheTime();
    void waitsWithoutAPlayerAndFollowsOneThatAppears();

private:
    QStringList playingCaptions() const;
    bool playerRunning();
    void endPlayers();

    QByteArray m_binDir;
    std::unique_ptr<tunelet::SystemProcessLauncher> m_launcher;
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<QSignalSpy> m_captions;
};

void TestPlaybackIntegration::initTestCase()
{
    m_binDir = qgetenv("TUNELET_BIN_DIR");
    if (m_binDir.isEmpty())
        QSKIP("TUNELET_BIN_DIR is not set");
    QVERIFY(QFileInfo(QFile::decodeName(m_binDir + "/sonaro")).isExecutable());
    QVERIFY(QFileInfo(QFile::decodeName(m_binDir + "/mid2snr")).isExecutable());
}

void TestPlaybackIntegration::init()
{
    m_launcher = std::make_unique<tunelet::SystemProcessLauncher>();
    m_fixture = std::make_unique<WindowFixture>();
    TForm1 &form = m_fixture->start({.processes = m_launcher.get()});
    form.SonaroPath = m_binDir + "/sonaro";
    form.mid2snrPath = m_binDir + "/mid2snr";
    m_captions = std::make_unique<QSignalSpy>(&form, &QWidget::windowTitleChanged);
}

void TestPlaybackIntegration::cleanup()
{
    m_captions.reset();
    // Players publish their windows in the fixture's own folder.
    m_fixture->stop(); // closes the player (CloseSonaro is ticked)
    endPlayers();
    m_fixture.reset();
    m_launcher.reset();
}

void TestPlaybackIntegration::endPlayers()
{
    auto windows = windowlink::makeLinkWindowSystem();
    while (const windowlink::HWND player = windows->FindWindowA("CN_sonaro", nullptr))
        windows->SendMessageA(player, windowlink::WM_SYSCOMMAND, windowlink::SC_CLOSE, 0);
    // Whatever is left of them.
    for (const qint64 pid : m_launcher->startedIds())
        ::kill(pid_t(pid), SIGKILL);
}

bool TestPlaybackIntegration::playerRunning()
{
    return windowlink::makeLinkWindowSystem()->FindWindowA("CN_sonaro", nullptr) != 0;
}

QStringList TestPlaybackIntegration::playingCaptions() const
{
    QStringList captions;
    for (const QList<QVariant> &signal : *m_captions) {
        const QString caption = signal[0].toString();
        if (caption.startsWith(QStringLiteral("Tunelet - <")))
            captions << caption;
    }
    return captions;
}

void TestPlaybackIntegration::listPlaysThroughAndStops()
{
    TForm1 &form = m_fixture->form();
    const QByteArray a = m_fixture->write("a.snr", songData("Song A"));
    const QByteArray b = m_fixture->write("b.snr", songData("Song B"));
    const QByteArray c = m_fixture->write("c.mid", midiData());
    m_fixture->setRows({a, b, c});
    form.MMRepeat->setChecked(false);

    form.SBPlayClick();
    QTRY_VERIFY_WITH_TIMEOUT(
        playingCaptions().size() >= 3 && form.windowTitle() == QStringLiteral("Tunelet"), 60000);
    const QString workFile = QFile::decodeName(m_fixture->path("tunelet.snr"));
    QCOMPARE(playingCaptions(),
             (QStringList{"Tunelet - <1> " + QString::fromUtf8(a),
                          "Tunelet - <2> " + QString::fromUtf8(b), "Tunelet - <3> " + workFile}));
    // The converter ran between the second and the third song.
    QVERIFY(m_captions->contains(QList<QVariant>{QStringLiteral("Tunelet - mid2snr実行中...")}));
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.PlayIndex, 2);
    QCOMPARE(m_fixture->label(), QStringLiteral("00:02/0:02 "));
    QVERIFY(!playerRunning());
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
}

void TestPlaybackIntegration::repeatWrapsToTheFirstRowAndStopKeepsTheTime()
{
    TForm1 &form = m_fixture->form();
    const QByteArray a = m_fixture->write("a.snr", songData("Song A"));
    const QByteArray b = m_fixture->write("b.snr", songData("Song B"));
    m_fixture->setRows({a, b});
    QVERIFY(form.MMRepeat->isChecked());

    form.SBPlayClick();
    QTRY_VERIFY_WITH_TIMEOUT(playingCaptions().size() >= 3, 60000);
    QCOMPARE(playingCaptions().mid(0, 3), (QStringList{"Tunelet - <1> " + QString::fromUtf8(a),
                                                       "Tunelet - <2> " + QString::fromUtf8(b),
                                                       "Tunelet - <1> " + QString::fromUtf8(a)}));
    // Let the player show some time, then stop.
    QTRY_VERIFY_WITH_TIMEOUT(
        playerRunning() && m_fixture->label().endsWith(QStringLiteral("/0:02 ")), 20000);
    form.SBStopClick();
    const QString shown = m_fixture->label();
    QCOMPARE(form.windowTitle(), QStringLiteral("Tunelet"));
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(!playerRunning());
    QTest::qWait(3 * TForm1::PlaybackTickMs);
    QCOMPARE(m_fixture->label(), shown);
    QCOMPARE(m_fixture->panel(2), QString());
    QCOMPARE(form.PlayIndex, 0);
}

void TestPlaybackIntegration::waitsWithoutAPlayerAndFollowsOneThatAppears()
{
    TForm1 &form = m_fixture->form();
    // No player window: after a look the timers stop ticking, though Timer2
    // stays on as the window sees it.
    QTRY_VERIFY(!form.PlaybackClock1->isRunning());
    QVERIFY(form.Timer2->isActive());
    int ticks = 0;
    connect(form.Timer2, &tunelet::PacedTimer::timeout, this, [&ticks] { ++ticks; });
    QTest::qWait(10 * TForm1::PlaybackTickMs);
    QCOMPARE(ticks, 0);

    // A player that Tunelet did not start appears: it is followed like its own.
    const QByteArray song = m_fixture->write("other.snr", songData("Other", 3));
    QVERIFY(m_launcher->startDetached(m_binDir + "/sonaro",
                                      "\"" + QString::fromUtf8(song) + "\" *p *x", m_binDir));
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture->label().endsWith(QStringLiteral("/0:03 ")), 30000);
    QVERIFY(form.PlaybackClock1->isRunning());
    QVERIFY(ticks > 0);
    QCOMPARE(form.windowTitle(), QStringLiteral("Tunelet"));

    // Once it has gone, the timers wait again.
    endPlayers();
    QTRY_VERIFY(!form.PlaybackClock1->isRunning());
}

int runIntegrationTests(int argc, char **argv)
{
    TestPlaybackIntegration test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_integration.moc"
