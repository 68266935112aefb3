// End-to-end tests of the main window where a user touches it: activation
// moving the selection, rewind and fast-forward held with the mouse, the
// position display after a drop and an add, the window's outer frame stored
// and restored, and stay-on-top switched without the window going away. The
// real tunelet, sonaro and a small drag source run under a private X server
// with a window manager; they are driven with keys, clicks and window
// activation, and read through titles, files, screenshots and the window
// system's own properties.
#include "tests/e2e/TuneletProcess.h"
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/XSession.h"

#include "platform/windowlink/WindowSystem.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tunelet::testkit;

namespace
{

// The tool buttons' centres in the client area: the button bar lies below the
// menu bar (about 20 pixels), its 25-pixel buttons 4 pixels from its top.
constexpr int ButtonRowY = 36;
constexpr int RewindX = 280 + 12;
constexpr int ForwardX = 304 + 12;
constexpr int StatusBarHeight = 19;

QByteArray readFile(const QString &path)
{
    return readBytes(QFile::encodeName(path));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    return writeBytes(QFile::encodeName(path), bytes);
}

QByteArray iniValue(const QByteArray &ini, const QByteArray &key)
{
    for (QByteArray line : ini.split('\n')) {
        line = line.trimmed();
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    }
    return {};
}

// A list of rows song1.snr … songN.snr in home, each `seconds` long, and the
// settings that open it at start with the built player.
void writeSongList(const QString &home, int count, int seconds, const QByteArray &settings = {})
{
    QByteArray list;
    for (int i = 1; i <= count; ++i) {
        const QString path = home + QStringLiteral("song%1.snr").arg(i);
        QVERIFY(writeFile(path, songData("Song " + QByteArray::number(i), seconds)));
        list += path.toUtf8() + "\r\n";
    }
    QVERIFY(writeFile(home + QStringLiteral("list.ppl"), list));
    const QByteArray bin = qEnvironmentVariable("TUNELET_BIN_DIR").toUtf8();
    QVERIFY(writeFile(home + QStringLiteral("tunelet.ini"),
                      "[Setting]\r\nSonaroPath=" + bin +
                          "/sonaro\r\nPlayMinimize=0\r\nRepeatPlay=0\r\n" + settings +
                          "[File]\r\nFileName=" + home.toUtf8() + "list.ppl\r\n"));
}

// The player's seek position, read over the window link of the program folder.
int playerPosition(const QString &home)
{
    windowlink::LinkOptions options;
    options.runtimeDir = (home + QStringLiteral("tunelet-windows/")).toStdString();
    const auto windows = windowlink::makeLinkWindowSystem(options);
    const windowlink::HWND player = windows->FindWindowA("CN_sonaro", nullptr);
    const windowlink::HWND seek =
        player ? windows->FindWindowExA(player, 0, "CN_seek", nullptr) : 0;
    return seek ? windows->GetScrollPos(seek, windowlink::SB_CTL) : -1;
}

bool waitForPosition(const QString &home, int atLeast)
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (playerPosition(home) >= atLeast)
            return true;
        QThread::msleep(100);
    }
    return false;
}

// The selected row's band in a screenshot of the client area: the rows
// painted in the selection colour, seen in the list's first column.
struct Band {
    int top = -1;
    int height = 0;
};

Band selectionBand(const QImage &client)
{
    Band band;
    for (int y = 0; y < client.height(); ++y) {
        const QColor c = client.pixelColor(60, y);
        const bool selected = c.blue() > c.red() + 60 && c.saturation() > 80;
        if (selected && band.top < 0)
            band.top = y;
        if (selected)
            ++band.height;
        else if (band.top >= 0)
            break;
    }
    return band;
}

} // namespace

class TuneletWindowUnderX final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void activationMovesTheSelection();
    void minimizedPlayersLeaveTheKeyboardAlone();
    void positionDisplayAfterDropAndAdd();
    void geometryIsTheOuterFrameAndStayOnTopKeepsIt();

private:
    QImage shot(const QString &id, const QString &name) const;
    QImage positionPanel(const QString &id) const;
    void click(const QString &window, int x, int y, const QString &action) const;
    bool reselect(const QString &main, const Band &first, int row) const;

    std::unique_ptr<XSession> m_x;
    QTemporaryDir m_shots;
};

void TuneletWindowUnderX::initTestCase()
{
    QVERIFY2(
        QFileInfo::exists(qEnvironmentVariable("TUNELET_BIN_DIR") + QStringLiteral("/tunelet")),
        "tunelet was not built");
    m_x = std::make_unique<XSession>();
    QString error;
    QVERIFY2(m_x->start(&error), qPrintable(error));
    // Activation, frames and stacking are the window manager's.
    if (!m_x->hasWindowManager())
        QSKIP(qPrintable(QStringLiteral("no window manager: ") + m_x->windowManagerProblem()));
}

QImage TuneletWindowUnderX::shot(const QString &id, const QString &name) const
{
    const QString path = m_shots.filePath(name + QStringLiteral(".png"));
    return m_x->screenshot(id, path) ? QImage(path) : QImage();
}

QImage TuneletWindowUnderX::positionPanel(const QString &id) const
{
    // The status bar's first panel (50 pixels), inside its border.
    const QImage client = shot(id, QStringLiteral("panel"));
    return client.copy(3, client.height() - StatusBarHeight + 3, 44, StatusBarHeight - 6);
}

void TuneletWindowUnderX::click(const QString &window, int x, int y, const QString &action) const
{
    // Pointer actions through XTEST at a place of the window's client area.
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"),
                                         window, QString::number(x), QString::number(y)});
    m_x->run(QStringLiteral("xdotool"), action.split(QLatin1Char(' ')));
}

bool TuneletWindowUnderX::reselect(const QString &main, const Band &first, int row) const
{
    // Up, then Down back onto the row (0-based), each seen done on the screen;
    // false when a key did not show.
    const auto bandAt = [&](int index) {
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            if (selectionBand(shot(main, QStringLiteral("reselect"))).top ==
                first.top + index * first.height)
                return true;
            QThread::msleep(50);
        }
        return false;
    };
    m_x->key(main, QStringLiteral("Up"));
    if (!bandAt(row - 1))
        return false;
    m_x->key(main, QStringLiteral("Down"));
    return bandAt(row);
}

void TuneletWindowUnderX::activationMovesTheSelection()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    writeSongList(home, 8, 60);
    TuneletProcess tunelet(*m_x);
    QVERIFY(tunelet.start(home));
    const QString main = tunelet.window();
    QVERIFY(tunelet.activate(main));
    // Plays row (1-based): the caption says so; else what it says and which
    // window has the keyboard.
    const auto playing = [this, &tunelet, &main](int row) -> QByteArray {
        const QString prefix = QStringLiteral("Tunelet - <%1> ").arg(row);
        if (!tunelet
                 .waitForTitle([&prefix](const QString &t) { return t.startsWith(prefix); }, 10000)
                 .isEmpty())
            return {};
        const QString active =
            m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
        return (m_x->windowName(main) + QStringLiteral(", active: ") + m_x->windowName(active))
            .toUtf8();
    };

    QByteArray why;

    // At start the first row is selected: Return plays it.
    m_x->key(main, QStringLiteral("Return"));
    why = playing(1);
    QVERIFY2(why.isEmpty(), why.constData());
    // Back from the player's window: one row down.
    QString player = tunelet.waitForWindow(QStringLiteral("^Sonaro - Song 1 "));
    QVERIFY(tunelet.activate(player));
    QVERIFY(tunelet.activate(main));
    m_x->key(main, QStringLiteral("Return"));
    why = playing(2);
    QVERIFY2(why.isEmpty(), why.constData());

    // Back from the data viewer: the list moves, not the viewer's cursor.
    player = tunelet.waitForWindow(QStringLiteral("^Sonaro - Song 2 "));
    QVERIFY(tunelet.activate(player));
    QVERIFY(tunelet.activate(main)); // row 3
    m_x->key(main, QStringLiteral("alt+s"));
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("d")});
    const QString viewer = tunelet.waitForWindow(QStringLiteral("^データビューア$"));
    QVERIFY(!viewer.isEmpty());
    QVERIFY(tunelet.activate(viewer));
    QVERIFY(tunelet.activate(main)); // row 4
    m_x->key(main, QStringLiteral("Return"));
    why = playing(4);
    QVERIFY2(why.isEmpty(), why.constData());

    // Rewind held with the left button: the player comes to the front and
    // goes back; the release brings the main window back, one row down.
    player = tunelet.waitForWindow(QStringLiteral("^Sonaro - Song 4 "));
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"),
                                         player, QStringLiteral("700"), QStringLiteral("450")});
    QVERIFY(tunelet.activate(player));
    QVERIFY(tunelet.activate(main)); // row 5
    QVERIFY(waitForPosition(home, 40));
    click(main, RewindX, ButtonRowY, QStringLiteral("mousedown 1"));
    QTRY_COMPARE_WITH_TIMEOUT(
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}), player, 5000);
    const int before = playerPosition(home);
    QThread::msleep(1000);
    QVERIFY2(playerPosition(home) < before, "no rewind while the left button was held");
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
    QTRY_COMPARE_WITH_TIMEOUT(
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}), main, 5000);
    m_x->key(main, QStringLiteral("Return"));
    why = playing(6);
    QVERIFY2(why.isEmpty(), why.constData());

    // The second press of a quick double press holds too. The player is moved
    // clear of the button, which its coming to the front would cover.
    player = tunelet.waitForWindow(QStringLiteral("^Sonaro - Song 6 "));
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"),
                                         player, QStringLiteral("700"), QStringLiteral("450")});
    QVERIFY(tunelet.activate(main));
    QVERIFY(waitForPosition(home, 80));
    click(main, RewindX, ButtonRowY, QStringLiteral("click 1 mousedown 1"));
    QThread::msleep(300);
    const int held = playerPosition(home);
    QThread::msleep(1000);
    QVERIFY2(playerPosition(home) < held, "no rewind while the second press was held");
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
    QTRY_COMPARE_WITH_TIMEOUT(
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}), main, 5000);

    // The right button on fast-forward sends nothing: the song plays on at
    // its own pace, and the player is not brought to the front.
    const int plain = playerPosition(home);
    click(main, ForwardX, ButtonRowY, QStringLiteral("mousedown 3"));
    QThread::msleep(1000);
    QCOMPARE(m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}), main);
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("3")});
    const int gained = playerPosition(home) - plain;
    QVERIFY2(gained >= 0 && gained < 30, qPrintable(QString::number(gained)));

    QVERIFY(tunelet.close());
}

void TuneletWindowUnderX::minimizedPlayersLeaveTheKeyboardAlone()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    writeSongList(home, 4, 60);
    const QString ini = home + QStringLiteral("tunelet.ini");
    QVERIFY(writeFile(ini, readFile(ini).replace("PlayMinimize=0", "PlayMinimize=1")));
    TuneletProcess tunelet(*m_x);
    QVERIFY(tunelet.start(home));
    const QString main = tunelet.window();
    QVERIFY(tunelet.activate(main));
    const auto activeWindow = [this] {
        return m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
    };
    // Keys as a user types them: to whichever window has the keyboard.
    const auto type = [this](const QString &keys) {
        m_x->run(QStringLiteral("xdotool"),
                 {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
    };
    // Three songs started from the keyboard, each typed once the song before
    // has its player's window: Return on the first row, then Next twice.
    const QStringList keys{QStringLiteral("Return"), QStringLiteral("ctrl+Right"),
                           QStringLiteral("ctrl+Right")};
    for (int row = 1; row <= 3; ++row) {
        type(keys[row - 1]);
        const QString prefix = QStringLiteral("Tunelet - <%1> ").arg(row);
        QVERIFY2(!tunelet.waitForTitle([&prefix](const QString &t) { return t.startsWith(prefix); })
                      .isEmpty(),
                 qPrintable(m_x->windowName(main) + QStringLiteral(", active: ") +
                            m_x->windowName(activeWindow())));
        QVERIFY(waitForPosition(home, 0));
        QCOMPARE(activeWindow(), main);
    }
    // No start activated the main window again: the selection is still on
    // the first row, which Return plays.
    type(QStringLiteral("Return"));
    QVERIFY(!tunelet
                 .waitForTitle([](const QString &t) {
                     return t.startsWith(QStringLiteral("Tunelet - <1> "));
                 })
                 .isEmpty());
    QCOMPARE(activeWindow(), main);
    QVERIFY(tunelet.close());
}

void TuneletWindowUnderX::positionDisplayAfterDropAndAdd()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    writeSongList(home, 3, 2);
    QVERIFY(writeFile(home + QStringLiteral("dropped.snr"), songData("Dropped", 2)));
    QVERIFY(writeFile(home + QStringLiteral("added1.snr"), songData("Added 1", 2)));
    QVERIFY(writeFile(home + QStringLiteral("added2.snr"), songData("Added 2", 2)));
    TuneletProcess tunelet(*m_x);
    QVERIFY(tunelet.start(home));
    const QString main = tunelet.window();
    QVERIFY(tunelet.activate(main));

    // The first row is selected at start; its band gives the rows' places.
    Band first;
    QDeadlineTimer selected(10000);
    while (first.top < 0 && !selected.hasExpired())
        first = selectionBand(shot(main, QStringLiteral("start")));
    QVERIFY2(first.top >= 0 && first.height > 8, "no row selected at start");
    m_x->key(main, QStringLiteral("Down"));
    m_x->key(main, QStringLiteral("Down")); // row 3 of 3
    QTRY_VERIFY(selectionBand(shot(main, QStringLiteral("third"))).top > first.top);
    const QImage before = positionPanel(main);

    // A file dragged from another program onto the first row lands below it,
    // above the selected row, which moves down: the display follows.
    QProcess source;
    source.setProcessEnvironment(m_x->environment());
    source.start(QStringLiteral(DRAG_SOURCE_PATH), {home + QStringLiteral("dropped.snr")});
    QVERIFY(source.waitForStarted(5000));
    const QString sourceWindow = tunelet.waitForWindow(QStringLiteral("^e2e-drag-source$"));
    QVERIFY(!sourceWindow.isEmpty());
    m_x->run(QStringLiteral("xdotool"),
             {QStringLiteral("windowmove"), QStringLiteral("--sync"), sourceWindow,
              QStringLiteral("800"), QStringLiteral("500")});
    click(sourceWindow, 100, 60, QStringLiteral("mousedown 1"));
    const QRect client = tunelet.clientGeometry(main);
    const QPoint target = client.topLeft() + QPoint(60, first.top + first.height / 2);
    for (int step = 1; step <= 8; ++step) {
        const QPoint at = QPoint(900, 560) + (target - QPoint(900, 560)) * step / 8;
        m_x->run(QStringLiteral("xdotool"),
                 {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QThread::msleep(100);
    }
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
    QVERIFY(source.waitForReadyRead(10000));
    QCOMPARE(source.readAllStandardOutput().trimmed(), QByteArray("dropped"));
    // The target fetches the files from the source after the drop: the
    // source stays until the row is there, and the selected row, moved down,
    // is the fourth.
    QTRY_COMPARE_WITH_TIMEOUT(selectionBand(shot(main, QStringLiteral("drop"))).top,
                              first.top + 3 * first.height, 5000);
    source.kill();
    source.waitForFinished(3000);
    const QImage afterDrop = positionPanel(main);
    QVERIFY2(afterDrop != before, "the position display did not change with the drop");
    // The same panel as when the row is chosen afresh with the keys (its
    // last row: the activation's Down key moves nothing).
    QVERIFY(tunelet.activate(main));
    QVERIFY(reselect(main, first, 3));
    QCOMPARE(positionPanel(main), afterDrop);

    // Files added through the real file dialog, typed into its name field.
    m_x->key(main, QStringLiteral("alt+f"));
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("a")});
    const QString dialog = tunelet.waitForWindow(QStringLiteral("^ファイルの追加$"));
    QVERIFY(!dialog.isEmpty());
    QVERIFY(tunelet.activate(dialog));
    m_x->run(QStringLiteral("xdotool"),
             {QStringLiteral("type"), QStringLiteral("\"added1.snr\" \"added2.snr\"")});
    m_x->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    QTRY_VERIFY_WITH_TIMEOUT(m_x->searchByName(QStringLiteral("^ファイルの追加$")).isEmpty(),
                             10000);
    QTRY_COMPARE_WITH_TIMEOUT(
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}), main, 5000);
    // The activation that follows the dialog moves the selection onto the
    // first added row, the fifth of six.
    QTRY_COMPARE_WITH_TIMEOUT(selectionBand(shot(main, QStringLiteral("added"))).top,
                              first.top + 4 * first.height, 5000);
    const QImage afterAdd = positionPanel(main);
    QVERIFY(afterAdd != afterDrop);
    QVERIFY(reselect(main, first, 4));
    QCOMPARE(positionPanel(main), afterAdd);

    QVERIFY(tunelet.close());
}

void TuneletWindowUnderX::geometryIsTheOuterFrameAndStayOnTopKeepsIt()
{
    QTemporaryDir dir;
    const QString home = dir.path() + QLatin1Char('/');
    const QString iniPath = home + QStringLiteral("tunelet.ini");

    // First start: the outer frame at 100,100, 423 × 290.
    {
        TuneletProcess tunelet(*m_x);
        QVERIFY(tunelet.start(home));
        QTRY_COMPARE_WITH_TIMEOUT(tunelet.frameGeometry(tunelet.window()),
                                  QRect(100, 100, 423, 290), 5000);
        // Moved and sized by the user: stored as the frame stands.
        const QString id = tunelet.window();
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QStringLiteral("--sync"),
                                             id, QStringLiteral("480"), QStringLiteral("330")});
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"),
                                             id, QStringLiteral("300"), QStringLiteral("220")});
        QThread::msleep(500);
        const QRect frame = tunelet.frameGeometry(id);
        QVERIFY(frame != QRect(100, 100, 423, 290));
        QVERIFY(tunelet.close());
        const QByteArray ini = readFile(iniPath);
        QCOMPARE(iniValue(ini, "Left").toInt(), frame.left());
        QCOMPARE(iniValue(ini, "Top").toInt(), frame.top());
        QCOMPARE(iniValue(ini, "Width").toInt(), frame.width());
        QCOMPARE(iniValue(ini, "Height").toInt(), frame.height());

        // Restored as stored.
        TuneletProcess again(*m_x);
        QVERIFY(again.start(home));
        QTRY_COMPARE_WITH_TIMEOUT(again.frameGeometry(again.window()), frame, 5000);
        QVERIFY(again.close());
    }

    // Stored wholly off the screen: brought back onto it. A long list
    // scrolled to its end for the stay-on-top switch below.
    QByteArray ini = readFile(iniPath);
    ini.replace("Left=" + iniValue(ini, "Left"), "Left=5000");
    ini.replace("Top=" + iniValue(ini, "Top"), "Top=4000");
    QByteArray list;
    for (int i = 1; i <= 60; ++i) {
        const QString row = home + QStringLiteral("row%1.snr").arg(i);
        QVERIFY(writeFile(row, songData("Row " + QByteArray::number(i))));
        list += row.toUtf8() + "\r\n";
    }
    QVERIFY(writeFile(home + QStringLiteral("list.ppl"), list));
    ini.replace("FileName=", "FileName=" + home.toUtf8() + "list.ppl");
    QVERIFY(writeFile(iniPath, ini));
    TuneletProcess tunelet(*m_x);
    QVERIFY(tunelet.start(home));
    const QString id = tunelet.window();
    const QRect screen(0, 0, 1280, 800);
    QTRY_VERIFY_WITH_TIMEOUT(screen.contains(tunelet.frameGeometry(id)), 5000);

    QVERIFY(tunelet.activate(id));
    m_x->key(id, QStringLiteral("End"));
    QThread::msleep(500);
    const QRect frame = tunelet.frameGeometry(id);
    const QImage list0 = shot(id, QStringLiteral("list0"));
    QVERIFY2(selectionBand(list0).top > 0, "the last row is not shown selected");
    for (const bool on : {true, false}) {
        // Watch the window's structure while stay-on-top is switched.
        QProcess xev;
        xev.setProcessEnvironment(m_x->environment());
        xev.start(QStringLiteral("xev"), {QStringLiteral("-id"), id, QStringLiteral("-event"),
                                          QStringLiteral("structure")});
        QVERIFY(xev.waitForStarted(5000));
        QThread::msleep(300);
        m_x->key(id, QStringLiteral("alt+s"));
        m_x->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("a")});
        const auto above = [this, &id] {
            return m_x
                ->run(QStringLiteral("xprop"),
                      {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE")})
                .contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
        };
        QTRY_COMPARE_WITH_TIMEOUT(above(), on, 5000);
        QThread::msleep(500);
        xev.kill();
        xev.waitForFinished(3000);
        const QByteArray events = xev.readAllStandardOutput();
        QVERIFY2(!events.contains("UnmapNotify") && !events.contains("DestroyNotify"),
                 events.constData());
        QCOMPARE(m_x->searchByName(QStringLiteral("^Tunelet$")), QStringList{id});
        QCOMPARE(tunelet.frameGeometry(id), frame);
        // The list kept its scroll position (and its selection).
        QCOMPARE(shot(id, QStringLiteral("list1")), list0);
    }
    QVERIFY(tunelet.close());
}

QTEST_GUILESS_MAIN(TuneletWindowUnderX)
#include "tst_e2e_window.moc"
