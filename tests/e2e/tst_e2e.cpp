// End-to-end tests: the real tunelet, sonaro and mid2snr binaries under a
// private X server, driven with key strokes and window-manager requests, with
// the window title read as the playback state.
#include "tests/support/ByteFiles.h"
#include "tests/support/IniText.h"
#include "tests/support/PlayerProcesses.h"
#include "tests/support/SongFiles.h"
#include "tests/support/XSession.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tunelet::testkit;

namespace
{

using tunelet::testkit::playersMentioning;

QString binDir()
{
    return qEnvironmentVariable("TUNELET_BIN_DIR");
}

QByteArray readFile(const QString &path)
{
    return tunelet::testkit::readBytes(QFile::encodeName(path));
}

// How many pixels of the image differ from its most common colour.
int inkPixels(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    int most = 0;
    for (int c : std::as_const(counts))
        most = std::max(most, c);
    return image.width() * image.height() - most;
}

} // namespace

class TuneletUnderX final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void firstStartWritesVersionThenFullFileAtExit();
    void playsWholeListUnattended();
    void skipPauseAndCloseWithPlayer();
    void screenshotShowsJapaneseMenu();

private:
    bool startTunelet(const QString &home);
    bool closeAndWait(const QString &id);
    void writeSettings(const QString &home, const QByteArray &extra);

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<QProcess> m_tunelet;
    QString m_home;
};

void TuneletUnderX::initTestCase()
{
    QVERIFY2(QFileInfo::exists(binDir() + QStringLiteral("/tunelet")), "tunelet was not built");
    m_x = std::make_unique<XSession>();
    QString error;
    QVERIFY2(m_x->start(&error), qPrintable(error));
}

void TuneletUnderX::cleanup()
{
    if (m_tunelet && m_tunelet->state() != QProcess::NotRunning) {
        m_tunelet->kill();
        m_tunelet->waitForFinished(3000);
    }
    m_tunelet.reset();
    // A test that failed half-way may leave the players it started; they are
    // found by the test's own folder in their command line and ended by id.
    if (!m_home.isEmpty())
        killPlayersMentioning(m_home);
    m_home.clear();
}

bool TuneletUnderX::startTunelet(const QString &home)
{
    m_home = home;
    m_tunelet = std::make_unique<QProcess>();
    QProcessEnvironment env = m_x->environment();
    env.insert(QStringLiteral("TUNELET_HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    m_tunelet->setProcessEnvironment(env);
    m_tunelet->setProcessChannelMode(QProcess::ForwardedChannels);
    m_tunelet->start(binDir() + QStringLiteral("/tunelet"), {});
    return m_tunelet->waitForStarted(10000);
}

bool TuneletUnderX::closeAndWait(const QString &id)
{
    // Alt+F4 makes the window manager ask the window to close, as the close box does;
    // without a window manager the File menu's exit item does the same.
    // A key press the window manager missed (it may still be settling) is pressed
    // again, as a user would.
    for (int attempt = 0; attempt < 4 && m_tunelet->state() != QProcess::NotRunning; ++attempt) {
        if (m_x->windowName(id).isEmpty())
            break; // the window is gone: the program is ending
        if (m_x->hasWindowManager()) {
            m_x->key(id, QStringLiteral("alt+F4"));
        } else {
            m_x->key(id, QStringLiteral("Escape"));
            m_x->key(id, QStringLiteral("alt+f"));
            QThread::msleep(300);
            m_x->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("x")});
        }
        if (m_tunelet->waitForFinished(5000))
            break;
    }
    m_tunelet->waitForFinished(20000);
    return m_tunelet->state() == QProcess::NotRunning &&
           m_tunelet->exitStatus() == QProcess::NormalExit && m_tunelet->exitCode() == 0;
}

void TuneletUnderX::writeSettings(const QString &home, const QByteArray &extra)
{
    const QByteArray bin = binDir().toUtf8();
    QByteArray ini =
        "[Setting]\r\nSonaroPath=" + bin + "/sonaro\r\nmid2snrPath=" + bin +
        "/mid2snr\r\nPlayMinimize=0\r\nRepeatPlay=0\r\nCloseSonaro=1\r\nListOpen=1\r\n" + extra;
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("tunelet.ini")), ini));
}

void TuneletUnderX::firstStartWritesVersionThenFullFileAtExit()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    QVERIFY(startTunelet(home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet$"));
    QVERIFY2(!id.isEmpty(), "the main window did not appear");

    const QByteArray first = readFile(home + QStringLiteral("tunelet.ini"));
    QCOMPARE(sectionsOf(first), QStringList{QStringLiteral("Software")});
    QVERIFY(first.contains("Version=105"));
    QCOMPARE(first.count('='), 1);

    QVERIFY(closeAndWait(id));
    const QByteArray full = readFile(home + QStringLiteral("tunelet.ini"));
    QCOMPARE(sectionsOf(full), (QStringList{QStringLiteral("Software"), QStringLiteral("Window"),
                                            QStringLiteral("File"), QStringLiteral("Setting")}));
    QVERIFY(full.contains("ColumnHEAD=251"));
    QVERIFY(full.contains("EditorPath=NotePad"));
    QVERIFY(full.contains("PlayMode=0"));
}

void TuneletUnderX::playsWholeListUnattended()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("one.snr")), songData("One", 2)));
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("two.mid")), midiData(2)));
    QVERIFY(
        writeBytes(QFile::encodeName(home + QStringLiteral("three.snr")), songData("Three", 2)));
    const QByteArray list = (home + QStringLiteral("one.snr\r\n") + home +
                             QStringLiteral("two.mid\r\n") + home + QStringLiteral("three.snr\r\n"))
                                .toUtf8();
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("list.ppl")), list));
    writeSettings(home, "[File]\r\nFileName=" + home.toUtf8() + "list.ppl\r\n");

    QVERIFY(startTunelet(home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet$"));
    QVERIFY2(!id.isEmpty(), "the main window did not appear");
    QThread::msleep(300);
    m_x->key(id, QStringLiteral("space"));

    QStringList seen;
    auto startsWith = [](const QString &prefix) {
        return [prefix](const QString &t) { return t.startsWith(prefix); };
    };
    QVERIFY2(
        !m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <1> ")), 10000, &seen).isEmpty(),
        qPrintable(seen.join(QStringLiteral(" | "))));
    QVERIFY2(
        !m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <2> ")), 20000, &seen).isEmpty(),
        qPrintable(seen.join(QStringLiteral(" | "))));
    QVERIFY2(
        !m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <3> ")), 20000, &seen).isEmpty(),
        qPrintable(seen.join(QStringLiteral(" | "))));
    QVERIFY2(
        !m_x->waitForName(
                id, [](const QString &t) { return t == QStringLiteral("Tunelet"); }, 20000, &seen)
             .isEmpty(),
        qPrintable(seen.join(QStringLiteral(" | "))));
    // The MIDI row plays from the converted work file in the program folder.
    QVERIFY(seen.join(QLatin1Char('\n'))
                .contains(QStringLiteral("<2> ") + home + QStringLiteral("tunelet.snr")));

    QVERIFY(closeAndWait(id));
    QVERIFY(playersMentioning(home).isEmpty());
}

void TuneletUnderX::skipPauseAndCloseWithPlayer()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("a.snr")), songData("Alpha", 20)));
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("b.snr")), songData("Beta", 20)));
    const QByteArray list =
        (home + QStringLiteral("a.snr\r\n") + home + QStringLiteral("b.snr\r\n")).toUtf8();
    QVERIFY(writeBytes(QFile::encodeName(home + QStringLiteral("list.ppl")), list));
    writeSettings(home, "SaveList=1\r\n[File]\r\nFileName=" + home.toUtf8() + "list.ppl\r\n");

    QVERIFY(startTunelet(home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet$"));
    QVERIFY(!id.isEmpty());
    QThread::msleep(300);
    m_x->key(id, QStringLiteral("space"));
    auto startsWith = [](const QString &prefix) {
        return [prefix](const QString &t) { return t.startsWith(prefix); };
    };
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <1> ")), 10000).isEmpty());

    // Paused, the time display stands still; the right end of the tool bar holds it.
    QThread::msleep(1500);
    m_x->key(id, QStringLiteral("ctrl+space"));
    QThread::msleep(800);
    const QString shot1 = home + QStringLiteral("paused1.png");
    const QString shot2 = home + QStringLiteral("paused2.png");
    QVERIFY(m_x->screenshot(id, shot1));
    QThread::msleep(2200);
    QVERIFY(m_x->screenshot(id, shot2));
    const QImage a(shot1), b(shot2);
    QVERIFY(!a.isNull() && a.size() == b.size());
    const QRect timeArea(a.width() * 2 / 3, 0, a.width() / 3, 90);
    QCOMPARE(a.copy(timeArea), b.copy(timeArea));
    m_x->key(id, QStringLiteral("ctrl+space"));

    m_x->key(id, QStringLiteral("ctrl+Right"));
    QVERIFY(!m_x->waitForName(id, startsWith(QStringLiteral("Tunelet - <2> ")), 10000).isEmpty());
    // As a user would, wait until the second song's player is up before closing.
    QVERIFY(!m_x->waitForWindow(QStringLiteral("^Sonaro - Beta"), 20000).isEmpty());
    QThread::msleep(1000);
    QVERIFY(!playersMentioning(home).isEmpty());

    QVERIFY(closeAndWait(id));
    QVERIFY(playersGone(home));
    // The list saved at exit is byte for byte the playlist.
    QCOMPARE(readFile(home + QStringLiteral("tunelet.ppl")), list);
}

void TuneletUnderX::screenshotShowsJapaneseMenu()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    QVERIFY(startTunelet(home));
    const QString id = m_x->waitForWindow(QStringLiteral("^Tunelet$"));
    QVERIFY(!id.isEmpty());
    QThread::msleep(500);

    const QString artefacts = qEnvironmentVariable("TUNELET_ARTIFACT_DIR", QDir::currentPath());
    QDir().mkpath(artefacts);
    const QString shot = artefacts + QStringLiteral("/tunelet-main-window.png");
    QVERIFY(m_x->screenshot(id, shot));
    const QImage image(shot);
    QVERIFY(!image.isNull());
    QVERIFY2(inkPixels(image) > image.width() * image.height() / 50, "the window looks blank");
    // The menu bar is the top strip; its Japanese captions need a Japanese font.
    const QImage menuBar = image.copy(0, 0, image.width() / 2, 24);
    QVERIFY2(inkPixels(menuBar) > 100, "the menu bar shows no text");
    const QString fonts =
        m_x->run(QStringLiteral("fc-list"), {QStringLiteral(":lang=ja"), QStringLiteral("family")});
    QVERIFY2(!fonts.isEmpty(), "no Japanese font is installed");
    QVERIFY(closeAndWait(id));
}

QTEST_GUILESS_MAIN(TuneletUnderX)
#include "tst_e2e.moc"
