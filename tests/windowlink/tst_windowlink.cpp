// The window link: wire format, runtime folder rules, and round trips between this test
// and a second process (linkpeer) that publishes a window.

#include "tests/support/FakeWindowSystem.h"

#include "platform/windowlink/LinkServer.h"
#include "platform/windowlink/PeerConnection.h"
#include "platform/windowlink/RuntimeDir.h"
#include "platform/windowlink/WindowSystem.h"
#include "platform/windowlink/Wire.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace windowlink;
using tunelet::testkit::FakeWindowSystem;

Q_DECLARE_METATYPE(windowlink::wire::Request)

class TestWindowLink final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestsSurviveTheWire_data();
    void requestsSurviveTheWire();
    void repliesSurviveTheWire();
    void malformedPayloadsAreRejected_data();
    void malformedPayloadsAreRejected();
    void truncatedFramesNeverDecode();
    void socketNamesCarryTheClass_data();
    void socketNamesCarryTheClass();

    void findsWindowByClass();
    void findsWindowByTitle();
    void tellsTheProcessThatShowsAWindow();
    void findsChildrenInOrder();
    void readsScrollBar();
    void readsTheWholeWindowInOneLook();
    void aWatchedWindowReportsItsChanges();
    void reportsAreToldAsTheyCome();
    void readsTextsAsUtf8CutAt255Characters();
    void sendReturnsAfterHandling();
    void keysArriveInOrder();
    void foregroundReachesReceiver();
    void closeUnpublishesBeforeReply();
    void newestWindowIsFoundFirst();
    void watchTellsOfWindowsComingAndGoing();
    void stoppedReceiverCountsAsNoWindow();
    void busyReceiverTimesOutButStillShowsState();
    void staleSocketIsRemoved();
    void windowsPublishedWhileSearchedStayFindable();
    void peerOfAnotherUserIsRefused();
    void socketFileOfAnotherOwnerIsIgnored();
    void unsafeFolderIsRefused();
    void withoutRuntimeFolderTheHomeCacheIsUsed();
    void noWindowGivesEmptyResults();
    void inProcessWindowWithDirectDispatch();
    void watchersAreToldOfChangesMadeUnwatched();
    void fakeFollowsTheSameRules();

private:
    QString linkDir() const { return m_runtime->path() + QStringLiteral("/tunelet-windows"); }
    QProcess *startPeer(const QString &cls, const QString &title, const QStringList &extra = {});
    std::unique_ptr<WindowSystem> client(int timeoutMs = 2000, uid_t uid = uid_t(-1));

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<WindowSystem> m_ws;
    QList<QProcess *> m_peers;
};

namespace
{

char processState(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return '?';
    const QByteArray line = f.readAll();
    const qsizetype at = line.lastIndexOf(')');
    return at >= 0 && at + 2 < line.size() ? line[at + 2] : '?';
}

// Whether a file made now in the folder of path gets a later time than path has.
bool fileClockPassed(const QString &path)
{
    QTemporaryFile marker(QFileInfo(path).absolutePath() + QStringLiteral("/XXXXXX.mark"));
    return marker.open() &&
           QFileInfo(marker.fileName()).lastModified() > QFileInfo(path).lastModified();
}

} // namespace

void TestWindowLink::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toLocal8Bit());
    m_ws = makeLinkWindowSystem();
}

void TestWindowLink::cleanup()
{
    m_ws.reset();
    for (QProcess *p : m_peers) {
        ::kill(static_cast<pid_t>(p->processId()), SIGCONT);
        p->kill();
        p->waitForFinished(5000);
        delete p;
    }
    m_peers.clear();
    m_runtime.reset();
}

QProcess *TestWindowLink::startPeer(const QString &cls, const QString &title,
                                    const QStringList &extra)
{
    auto *p = new QProcess;
    m_peers.append(p);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QStringLiteral(LINKPEER_PATH), QStringList{cls, title} + extra);
    if (!p->waitForStarted(5000))
        return nullptr;
    while (!p->canReadLine())
        if (!p->waitForReadyRead(10000))
            return nullptr;
    return p->readLine().trimmed() == "ready" ? p : nullptr;
}

std::unique_ptr<WindowSystem> TestWindowLink::client(int timeoutMs, uid_t uid)
{
    LinkOptions o;
    o.timeoutMs = timeoutMs;
    o.trustedUid = uid;
    return makeLinkWindowSystem(o);
}

// ---- wire format ----

void TestWindowLink::requestsSurviveTheWire_data()
{
    QTest::addColumn<wire::Request>("request");
    wire::Request describe;
    QTest::newRow("describe") << describe;
    wire::Request find;
    find.op = wire::Op::FindChild;
    find.after = 3;
    find.className = "CN_seek";
    QTest::newRow("find child by class") << find;
    find.className.reset();
    find.title = "\xE5\x86\x8D\xE7\x94\x9F\xE4\xB8\xAD";
    QTest::newRow("find child by title") << find;
    wire::Request send;
    send.op = wire::Op::Send;
    send.child = 2;
    send.message = WM_SYSCOMMAND;
    send.wParam = SC_CLOSE;
    send.lParam = -5;
    QTest::newRow("send") << send;
    wire::Request scroll;
    scroll.op = wire::Op::GetScroll;
    scroll.child = 1;
    scroll.bar = SB_CTL;
    QTest::newRow("scroll") << scroll;
}

void TestWindowLink::requestsSurviveTheWire()
{
    QFETCH(wire::Request, request);
    const auto decoded = wire::decodeRequest(wire::encodeRequest(request));
    QVERIFY(decoded.has_value());
    QVERIFY(*decoded == request);
}

void TestWindowLink::repliesSurviveTheWire()
{
    wire::Reply r;
    r.op = wire::Op::GetScroll;
    r.ok = true;
    r.pos = 17;
    r.minPos = -3;
    r.maxPos = 1850;
    auto decoded = wire::decodeReply(wire::encodeReply(r));
    QVERIFY(decoded && *decoded == r);
    wire::Reply d;
    d.op = wire::Op::Describe;
    d.ok = true;
    d.className = "CN_sonaro";
    d.text = "Sonaro - x \xE2\x86\x92 3\xEF\xBC\x9A"
             "05";
    d.pid = 4242;
    decoded = wire::decodeReply(wire::encodeReply(d));
    QVERIFY(decoded && *decoded == d);

    // A look at the whole window: the children that fit, in order.
    wire::Reply look;
    look.op = wire::Op::Watch;
    look.ok = true;
    look.text = d.text;
    look.children = {{"CN_seek", "", true, 5, 0, 30}, {"Static", "\xE5\x86\x8D", false, 0, 0, 0}};
    decoded = wire::decodeReply(wire::encodeReply(look));
    QVERIFY(decoded && *decoded == look);
    const wire::Child big{"Static", std::string(wire::kMaxString, 'x'), false, 0, 0, 0};
    look.children.assign(8, big);
    decoded = wire::decodeReply(wire::encodeReply(look));
    QVERIFY(decoded.has_value());
    QCOMPARE(decoded->children.size(), std::size_t(3)); // four would pass 16 KiB
}

void TestWindowLink::malformedPayloadsAreRejected_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("unknown op") << QByteArray("\x09", 1);
    QTest::newRow("op zero") << QByteArray("\x00", 1);
    QTest::newRow("trailing bytes") << QByteArray("\x01\x00", 2);
    QTest::newRow("string past end") << QByteArray("\x02\x00\x00\x00\x00\x01\xff\x00"
                                                   "ab",
                                                   10);
    QTest::newRow("bad presence flag") << QByteArray("\x02\x00\x00\x00\x00\x07", 6);
    QTest::newRow("short send") << QByteArray("\x05\x01\x00\x00\x00", 5);
}

void TestWindowLink::malformedPayloadsAreRejected()
{
    QFETCH(QByteArray, payload);
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t *>(payload.constData()),
                                 static_cast<std::size_t>(payload.size()));
    QVERIFY(!wire::decodeRequest(bytes).has_value());
}

void TestWindowLink::truncatedFramesNeverDecode()
{
    wire::Request r;
    r.op = wire::Op::FindChild;
    r.className = "Static";
    r.title = "status";
    const auto full = wire::encodeRequest(r);
    for (std::size_t n = 0; n < full.size(); ++n)
        QVERIFY2(!wire::decodeRequest(std::span(full.data(), n)), qPrintable(QString::number(n)));
    const auto framed = wire::frame(full);
    QCOMPARE(wire::announcedLength(std::span(framed.data(), 3)), std::nullopt);
    QCOMPARE(wire::announcedLength(framed), std::optional<std::size_t>(full.size()));
}

void TestWindowLink::socketNamesCarryTheClass_data()
{
    QTest::addColumn<QString>("cls");
    QTest::newRow("plain") << QStringLiteral("CN_sonaro");
    QTest::newRow("with dashes and dots") << QStringLiteral("a-b.c");
    QTest::newRow("slash and percent") << QStringLiteral("x/y%z");
    QTest::newRow("japanese") << QStringLiteral("窓");
}

void TestWindowLink::socketNamesCarryTheClass()
{
    QFETCH(QString, cls);
    const std::string name = socketFileName(cls.toStdString(), 7);
    QVERIFY(name.find('/') == std::string::npos);
    QCOMPARE(classFromSocketFileName(name), std::optional<std::string>(cls.toStdString()));
    QCOMPARE(classFromSocketFileName("notes.txt"), std::nullopt);
}

// ---- two processes ----

void TestWindowLink::findsWindowByClass()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QVERIFY(w != 0);
    QCOMPARE(m_ws->FindWindowA("peer_a", nullptr), w); // class names ignore case
    QCOMPARE(m_ws->FindWindowA("Peer_B", nullptr), HWND(0));
    QCOMPARE(windowText(*m_ws, w), std::string("Alpha"));
    QVERIFY(QFileInfo(linkDir()).exists());
    QCOMPARE(QFileInfo(linkDir()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

void TestWindowLink::tellsTheProcessThatShowsAWindow()
{
    QProcess *peer = startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha"));
    QVERIFY(peer);
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QVERIFY(w != 0);
    DWORD pid = 0;
    QCOMPARE(qint64(m_ws->GetWindowThreadProcessId(w, &pid)), peer->processId());
    QCOMPARE(qint64(pid), peer->processId());
    // Told without asking the window: also while it hangs.
    ::kill(static_cast<pid_t>(peer->processId()), SIGSTOP);
    QTRY_VERIFY(processState(peer->processId()) == 'T');
    QCOMPARE(qint64(m_ws->GetWindowThreadProcessId(w, nullptr)), peer->processId());
    ::kill(static_cast<pid_t>(peer->processId()), SIGCONT);
}

void TestWindowLink::findsWindowByTitle()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("mid2snr")));
    QVERIFY(startPeer(QStringLiteral("Peer_B"), QStringLiteral("Other")));
    const HWND w = m_ws->FindWindowA(nullptr, "mid2snr");
    QVERIFY(w != 0);
    QCOMPARE(w, m_ws->FindWindowA("Peer_A", nullptr));
    QCOMPARE(m_ws->FindWindowA(nullptr, "Nothing like it"), HWND(0));
    QCOMPARE(m_ws->FindWindowA("Peer_B", "mid2snr"), HWND(0));
}

void TestWindowLink::findsChildrenInOrder()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    const HWND first = m_ws->FindWindowExA(w, 0, "Static", nullptr);
    QVERIFY(first != 0);
    QCOMPARE(windowText(*m_ws, first), std::string("none"));
    const HWND second = m_ws->FindWindowExA(w, first, "Static", nullptr);
    QVERIFY(second != 0 && second != first);
    QCOMPARE(windowText(*m_ws, second), std::string("second"));
    QCOMPARE(m_ws->FindWindowExA(w, second, "Static", nullptr), HWND(0));
    QCOMPARE(m_ws->FindWindowExA(w, 0, nullptr, "second"), second);
    QCOMPARE(m_ws->FindWindowExA(w, 0, "Button", nullptr), HWND(0));
    QCOMPARE(m_ws->FindWindowExA(first, 0, "Static", nullptr), HWND(0)); // no grandchildren
}

void TestWindowLink::readsScrollBar()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    const HWND seek = m_ws->FindWindowExA(w, 0, "CN_seek", nullptr);
    QVERIFY(seek != 0);
    QCOMPARE(m_ws->GetScrollPos(seek, SB_CTL), 25);
    int min = -1, max = -1;
    QCOMPARE(m_ws->GetScrollRange(seek, SB_CTL, &min, &max), TRUE);
    QCOMPARE(min, 0);
    QCOMPARE(max, 100);
    // Only SB_CTL reads a scroll-bar control; a child without a scroll bar has none.
    QCOMPARE(m_ws->GetScrollRange(seek, SB_HORZ, &min, &max), FALSE);
    QCOMPARE(max, 0);
    const HWND text = m_ws->FindWindowExA(w, 0, "Static", nullptr);
    QCOMPARE(m_ws->GetScrollPos(text, SB_CTL), 0);
}

void TestWindowLink::readsTheWholeWindowInOneLook()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    const auto look = m_ws->readWindow(w, {"cn_SEEK", "Static", "Edit", "Nope"});
    QVERIFY(look.has_value());
    QCOMPARE(look->title, std::string("Alpha"));
    QCOMPARE(look->children.size(), std::size_t(4));
    const ChildReading &seek = look->children[0];
    QVERIFY(seek.found && seek.isScrollBar);
    QCOMPARE(seek.pos, 25);
    QCOMPARE(seek.minPos, 0);
    QCOMPARE(seek.maxPos, 100);
    // The first child of a class, its text as GetWindowTextA gives it.
    QVERIFY(look->children[1].found && !look->children[1].isScrollBar);
    QCOMPARE(look->children[1].text, std::string("none"));
    QCOMPARE(look->children[2].text, std::string("0"));
    QVERIFY(!look->children[3].found);
    // The same as the calls one by one.
    const HWND seekChild = m_ws->FindWindowExA(w, 0, "CN_seek", nullptr);
    QCOMPARE(m_ws->GetScrollPos(seekChild, SB_CTL), seek.pos);
    QCOMPARE(windowText(*m_ws, m_ws->FindWindowExA(w, 0, "Static", nullptr)),
             look->children[1].text);
    // No window, no look; a child is no window to look at.
    QVERIFY(!m_ws->readWindow(0, {"Static"}).has_value());
    QVERIFY(!m_ws->readWindow(seekChild, {"Static"}).has_value());
}

void TestWindowLink::aWatchedWindowReportsItsChanges()
{
    QProcess *peer = startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha"));
    QVERIFY(peer);
    LinkOptions options;
    options.timeoutMs = 500;
    options.reportsStandMs = 1500;
    const auto ws = makeLinkWindowSystem(options);
    const HWND w = ws->FindWindowA("Peer_A", nullptr);
    QCOMPARE(ws->readWindow(w, {"Static"})->children[0].text, std::string("none"));
    // What a message's handler changes is reported before the message is answered.
    QCOMPARE(ws->SendMessageA(w, WM_KEYDOWN, VK_SPACE, 0), LRESULT(1032));
    QCOMPARE(ws->readWindow(w, {"Static"})->children[0].text, std::string("100 32 0 child 0"));

    // Reports stand for an answer for a while: a window that stopped is still
    // read, at once and as it was, without being asked.
    ::kill(static_cast<pid_t>(peer->processId()), SIGSTOP);
    QTRY_VERIFY(processState(peer->processId()) == 'T');
    const std::size_t asked = linkUsage().questions;
    const auto reported = ws->readWindow(w, {"Static", "Edit"});
    QCOMPARE(linkUsage().questions, asked);
    QVERIFY(reported.has_value());
    QCOMPARE(reported->children[1].text, std::string("1"));
    // Once they are old it is asked, does not answer, and counts as no window.
    QTRY_VERIFY_WITH_TIMEOUT(!ws->readWindow(w, {"Static"}).has_value(), 5000);
    QCOMPARE(ws->FindWindowA("Peer_A", nullptr), HWND(0));
    ::kill(static_cast<pid_t>(peer->processId()), SIGCONT);
    QTRY_VERIFY_WITH_TIMEOUT(ws->FindWindowA("Peer_A", nullptr) != 0, 20000);
}

void TestWindowLink::reportsAreToldAsTheyCome()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    int told = 0;
    QVERIFY(m_ws->watchReports([&told] { ++told; }));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QCOMPARE(m_ws->readWindow(w, {"Static"})->children[0].text, std::string("none"));
    QCoreApplication::processEvents();
    QCOMPARE(told, 0);

    // Another program changes the window: the reader hears of it unasked and
    // reads the change without asking.
    const auto other = client();
    const HWND theirs = other->FindWindowA("Peer_A", nullptr);
    QCOMPARE(other->SendMessageA(theirs, WM_KEYDOWN, VK_SPACE, 0), LRESULT(1032));
    QTRY_VERIFY(told > 0);
    const std::size_t asked = linkUsage().questions;
    QCOMPARE(m_ws->readWindow(w, {"Static"})->children[0].text, std::string("100 32 0 child 0"));
    QCOMPARE(linkUsage().questions, asked);

    // A window that goes is told of too: the next look finds it gone.
    told = 0;
    other->SendMessageA(theirs, WM_SYSCOMMAND, SC_CLOSE, 0);
    QTRY_VERIFY(told > 0);
    QCOMPARE(m_ws->FindWindowA("Peer_A", nullptr), HWND(0));

    // A client whose windows cannot report has nothing to listen to.
    FakeWindowSystem fake;
    QVERIFY(!fake.watchReports([] {}));
}

void TestWindowLink::readsTextsAsUtf8CutAt255Characters()
{
    // 100 three-byte characters before the total, 200 after it.
    const QString title =
        QString(100, QChar(0x66F2)) + QStringLiteral("→ 3：05") + QString(200, QChar(0x3042));
    QVERIFY(startPeer(QStringLiteral("Peer_A"), title));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    const std::string text = windowText(*m_ws, w);
    // 255 characters, not bytes: the total after the arrow survives a long title
    // in three-byte characters.
    const QString decoded = QString::fromUtf8(text);
    QCOMPARE(decoded, title.left(255));
    QVERIFY(decoded.contains(QStringLiteral("→ 3：05")));
    char small[8];
    QCOMPARE(m_ws->GetWindowTextA(w, small, sizeof small), 6); // "曲曲", never half a third
    QCOMPARE(std::string(small), std::string("\xE6\x9B\xB2\xE6\x9B\xB2"));
    char tiny[3]; // too small for the first character: nothing, never half of it
    QCOMPARE(m_ws->GetWindowTextA(w, tiny, sizeof tiny), 0);
    QCOMPARE(tiny[0], '\0');
}

void TestWindowLink::sendReturnsAfterHandling()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    const HWND last = m_ws->FindWindowExA(w, 0, "Static", nullptr);
    QCOMPARE(m_ws->SendMessageA(w, WM_KEYDOWN, VK_SPACE, 0), LRESULT(1032));
    // The send has returned, so the receiver's handler has run.
    QCOMPARE(windowText(*m_ws, last), std::string("100 32 0 child 0"));
    QCOMPARE(m_ws->SendMessageA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0), LRESULT(SC_MINIMIZE + 1000));
    QCOMPARE(windowText(*m_ws, last), std::string("minimized"));
}

void TestWindowLink::keysArriveInOrder()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    const HWND count = m_ws->FindWindowExA(w, 0, "Edit", nullptr);
    const HWND last = m_ws->FindWindowExA(w, 0, "Static", nullptr);
    for (int i = 0; i < 50; ++i) {
        m_ws->SendMessageA(w, WM_KEYDOWN, VK_LEFT, 0);
        m_ws->SendMessageA(w, WM_KEYUP, VK_LEFT, 0);
    }
    QCOMPARE(windowText(*m_ws, count), std::string("100"));
    QCOMPARE(windowText(*m_ws, last), std::string("101 37 0 child 0"));
}

void TestWindowLink::foregroundReachesReceiver()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QCOMPARE(m_ws->SetForegroundWindow(w), TRUE);
    QCOMPARE(windowText(*m_ws, m_ws->FindWindowExA(w, 0, "Static", nullptr)),
             std::string("foreground 1"));
}

void TestWindowLink::closeUnpublishesBeforeReply()
{
    QProcess *peer = startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha"));
    QVERIFY(peer);
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QCOMPARE(m_ws->SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0), LRESULT(SC_CLOSE + 1000));
    QCOMPARE(m_ws->FindWindowA("Peer_A", nullptr), HWND(0));
    QVERIFY(peer->waitForFinished(5000));
    QCOMPARE(peer->exitCode(), 0);
    QVERIFY(QDir(linkDir()).entryList(QDir::System | QDir::Files).isEmpty());
    // The old handle now leads nowhere.
    QCOMPARE(m_ws->SendMessageA(w, WM_KEYDOWN, VK_SPACE, 0), LRESULT(0));
    QCOMPARE(windowText(*m_ws, w), std::string());
}

void TestWindowLink::newestWindowIsFoundFirst()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("older")));
    const HWND older = m_ws->FindWindowA("Peer_A", nullptr);
    QVERIFY(older != 0);
    // Distinct publication times.
    const QStringList published = QDir(linkDir()).entryList(QDir::System);
    QCOMPARE(published.size(), 1);
    QTRY_VERIFY(fileClockPassed(linkDir() + QLatin1Char('/') + published.first()));
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("newer")));
    // Found by the next look, however recently the folder was looked at.
    const HWND newest = m_ws->FindWindowA("Peer_A", nullptr);
    QVERIFY(newest != older);
    QCOMPARE(windowText(*m_ws, newest), std::string("newer"));
    const HWND next = m_ws->FindWindowExA(0, newest, "Peer_A", nullptr);
    QVERIFY(next != 0 && next != newest);
    QCOMPARE(windowText(*m_ws, next), std::string("older"));
}

void TestWindowLink::watchTellsOfWindowsComingAndGoing()
{
    // The folder does not exist yet: the watch makes it, as a player would.
    QVERIFY(!QFileInfo::exists(linkDir()));
    int told = 0;
    QVERIFY(m_ws->watchTopLevel([&told] { ++told; }));
    QCOMPARE(QFileInfo(linkDir()).permissions() & 0x0077, QFileDevice::Permissions());
    QCoreApplication::processEvents();
    QCOMPARE(told, 0);

    QProcess *peer = startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha"));
    QVERIFY(peer);
    QTRY_VERIFY(told > 0);
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QVERIFY(w != 0);
    told = 0;
    QCOMPARE(m_ws->SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0), LRESULT(SC_CLOSE + 1000));
    QTRY_VERIFY(told > 0);
    QCOMPARE(m_ws->FindWindowA("Peer_A", nullptr), HWND(0));
    QCOMPARE(linkUsage().connections, std::size_t(0));

    // A client that is not told of changes has nothing to watch with.
    FakeWindowSystem fake;
    QVERIFY(!fake.watchTopLevel([] {}));
}

void TestWindowLink::stoppedReceiverCountsAsNoWindow()
{
    QProcess *peer = startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha"));
    QVERIFY(peer);
    const auto ws = client(1000);
    QVERIFY(ws->FindWindowA("Peer_A", nullptr) != 0);
    ::kill(static_cast<pid_t>(peer->processId()), SIGSTOP);
    // The signal takes effect asynchronously; wait until the process really stands.
    QTRY_VERIFY(processState(peer->processId()) == 'T');
    // A window on a kept connection is taken as there without asking; the first
    // question it does not answer in time makes it count as no window.
    const HWND w = ws->FindWindowA("Peer_A", nullptr);
    QVERIFY(w != 0);
    const std::size_t unanswered = linkUsage().unanswered;
    QCOMPARE(windowText(*ws, w), std::string());
    QCOMPARE(linkUsage().unanswered, unanswered + 1);
    QCOMPARE(ws->FindWindowA("Peer_A", nullptr), HWND(0));
    // It stays absent for a while without a further wait.
    const std::size_t asked = linkUsage().questions;
    QCOMPARE(ws->FindWindowA("Peer_A", nullptr), HWND(0));
    QCOMPARE(linkUsage().questions, asked);
    QCOMPARE(linkUsage().unanswered, unanswered + 1);
    ::kill(static_cast<pid_t>(peer->processId()), SIGCONT);
    // Once it answers again it is a window again.
    QTRY_VERIFY_WITH_TIMEOUT(ws->FindWindowA("Peer_A", nullptr) != 0, 20000);
}

void TestWindowLink::busyReceiverTimesOutButStillShowsState()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha"), {QStringLiteral("4000")}));
    const auto ws = client(1000);
    const HWND w = ws->FindWindowA("Peer_A", nullptr);
    const std::size_t unanswered = linkUsage().unanswered;
    // Gave up before the receiver was done: no answer, one wait that ran out.
    QCOMPARE(ws->SendMessageA(w, WM_KEYDOWN, 0x70, 0), LRESULT(0));
    QCOMPARE(linkUsage().unanswered, unanswered + 1);
    // No second wait: the next send is not even asked.
    const std::size_t asked = linkUsage().questions;
    QCOMPARE(ws->SendMessageA(w, WM_KEYDOWN, VK_SPACE, 0), LRESULT(0));
    QCOMPARE(linkUsage().questions, asked);
    // Texts and scroll bars are still answered while the receiver's thread is busy.
    const HWND seek = ws->FindWindowExA(w, 0, "CN_seek", nullptr);
    QCOMPARE(ws->GetScrollPos(seek, SB_CTL), 25);
    QCOMPARE(windowText(*ws, w), std::string("Alpha"));
    // After the busy spell, sends work again.
    QTRY_COMPARE_WITH_TIMEOUT(ws->SendMessageA(w, WM_KEYDOWN, VK_UP, 0), LRESULT(1038), 20000);
}

void TestWindowLink::staleSocketIsRemoved()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("live"))); // makes the folder
    const QString stale = linkDir() + QStringLiteral("/99999-1-Peer_A.sock");
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, stale.toLocal8Bit().constData(), sizeof addr.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        ::close(fd); // bound, never listening: nobody answers
    }
    QVERIFY(QFileInfo::exists(stale));
    ::utimensat(AT_FDCWD, stale.toLocal8Bit().constData(), nullptr, 0); // newest of all
    const HWND w = m_ws->FindWindowA("Peer_A", nullptr);
    QCOMPARE(windowText(*m_ws, w), std::string("live"));
    QVERIFY(!QFileInfo::exists(stale));
}

void TestWindowLink::windowsPublishedWhileSearchedStayFindable()
{
    // A finder that meets a socket file nobody listens on removes it as stale.
    // One searching all the time while windows are published must never meet a
    // new window's file before that window listens.
    std::atomic<bool> stop{false};
    std::thread finder([&stop] {
        const auto ws = makeLinkWindowSystem();
        while (!stop.load())
            ws->FindWindowA("Race_Class", nullptr);
    });
    int lost = 0;
    for (int i = 0; i < 3000; ++i) {
        LinkServer server("Race_Class", [](std::function<void()> task) { task(); });
        server.setTitle("window " + std::to_string(i));
        if (!server.publish()) {
            ++lost;
            continue;
        }
        if (!QFileInfo::exists(QString::fromStdString(server.socketPath())))
            ++lost;
        server.unpublish();
    }
    stop = true;
    finder.join();
    QCOMPARE(lost, 0);
    // Nothing is left under the name a socket waits under before it listens.
    QCOMPARE(QDir(linkDir()).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList());
}

void TestWindowLink::peerOfAnotherUserIsRefused()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    // A client that trusts only another user sees neither the socket file nor its peer.
    const auto stranger = client(2000, ::geteuid() + 1);
    QCOMPARE(stranger->FindWindowA("Peer_A", nullptr), HWND(0));
    QVERIFY(m_ws->FindWindowA("Peer_A", nullptr) != 0);
}

void TestWindowLink::socketFileOfAnotherOwnerIsIgnored()
{
    if (::geteuid() != 0)
        QSKIP("changing a socket's owner needs root; the trust seam is tested above");
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    const QStringList socks = QDir(linkDir()).entryList(QDir::System);
    QCOMPARE(socks.size(), 1);
    const QByteArray path = (linkDir() + QLatin1Char('/') + socks.first()).toLocal8Bit();
    QCOMPARE(::lchown(path.constData(), 4321, 4321), 0);
    QCOMPARE(m_ws->FindWindowA("Peer_A", nullptr), HWND(0));
    QVERIFY(QFileInfo::exists(QString::fromLocal8Bit(path))); // never removed either
}

void TestWindowLink::unsafeFolderIsRefused()
{
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    QVERIFY(m_ws->FindWindowA("Peer_A", nullptr) != 0);
    QCOMPARE(::chmod(linkDir().toLocal8Bit().constData(), 0755), 0);
    QCOMPARE(m_ws->FindWindowA("Peer_A", nullptr), HWND(0));
    LinkServer server("Other", [](std::function<void()> task) { task(); });
    std::string why;
    QVERIFY(!server.publish(&why));
    QVERIFY(why.find("open to other users") != std::string::npos);
    QCOMPARE(::chmod(linkDir().toLocal8Bit().constData(), 0700), 0);
}

void TestWindowLink::withoutRuntimeFolderTheHomeCacheIsUsed()
{
    // Not a shared name in /tmp that another user could make first: the
    // user's cache folder, made with its missing parents, for the publishing
    // player and the finding jukebox alike.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString cache = m_runtime->path() + QStringLiteral("/home/.cache");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
    const auto restore = qScopeGuard([&runtime] {
        qputenv("XDG_RUNTIME_DIR", runtime);
        qunsetenv("XDG_CACHE_HOME");
    });
    QCOMPARE(QString::fromStdString(runtimeDirPath({})),
             cache + QStringLiteral("/tunelet-windows"));
    m_ws = makeLinkWindowSystem();
    QVERIFY(startPeer(QStringLiteral("Peer_A"), QStringLiteral("Alpha")));
    QVERIFY(m_ws->FindWindowA("Peer_A", nullptr) != 0);
    const QFileInfo folder(cache + QStringLiteral("/tunelet-windows"));
    QVERIFY(folder.isDir());
    QCOMPARE(folder.permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
             QFile::Permissions());
    QCOMPARE(QDir(folder.filePath()).entryList({QStringLiteral("*.sock")}, QDir::System).size(), 1);
}

void TestWindowLink::noWindowGivesEmptyResults()
{
    QCOMPARE(m_ws->FindWindowA("CN_sonaro", nullptr), HWND(0));
    QCOMPARE(m_ws->FindWindowExA(0, 0, "CN_sonaro", nullptr), HWND(0));
    QCOMPARE(m_ws->FindWindowExA(0x1234, 0, "Static", nullptr), HWND(0));
    QCOMPARE(m_ws->SendMessageA(0, WM_SYSCOMMAND, SC_CLOSE, 0), LRESULT(0));
    QCOMPARE(m_ws->GetScrollPos(0, SB_CTL), 0);
    int min = 7, max = 7;
    QCOMPARE(m_ws->GetScrollRange(0, SB_CTL, &min, &max), FALSE);
    QCOMPARE(min, 0);
    QCOMPARE(max, 0);
    char buf[16] = "junk";
    QCOMPARE(m_ws->GetWindowTextA(0, buf, sizeof buf), 0);
    QCOMPARE(buf[0], '\0');
    QCOMPARE(m_ws->SetForegroundWindow(0), FALSE);
    DWORD pid = 7;
    QCOMPARE(m_ws->GetWindowThreadProcessId(0, &pid), DWORD(0));
    QCOMPARE(pid, DWORD(0));
}

void TestWindowLink::inProcessWindowWithDirectDispatch()
{
    // Handlers run on the link's own thread here, so one thread can be both sides.
    LinkServer server("Fake_Player", [](std::function<void()> task) { task(); });
    server.setTitle("Fake");
    const auto seek = server.addChild("CN_seek");
    server.setChildScroll(seek, 3, 0, 9);
    std::vector<WindowMessage> got;
    server.setMessageHandler([&](const WindowMessage &m) {
        got.push_back(m);
        if (m.message == WM_SYSCOMMAND && m.wParam == SC_CLOSE)
            server.unpublish();
        return LRESULT(7);
    });
    QVERIFY(server.publish());
    const HWND w = m_ws->FindWindowA("Fake_Player", "fake");
    QVERIFY(w != 0);
    QCOMPARE(m_ws->GetScrollPos(m_ws->FindWindowExA(w, 0, "CN_seek", nullptr), SB_CTL), 3);
    server.setChildScroll(seek, 9, 0, 9);
    QCOMPARE(m_ws->GetScrollPos(m_ws->FindWindowExA(w, 0, "CN_seek", nullptr), SB_CTL), 9);
    QCOMPARE(m_ws->SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0), LRESULT(7));
    QCOMPARE(got.size(), std::size_t(1));
    QCOMPARE(m_ws->FindWindowA("Fake_Player", nullptr), HWND(0));
    QVERIFY(!server.isPublished());
}

// Changes made while nobody watches wake no one; a watch that comes later answers
// with them, and every watcher after it hears of the changes that follow.
void TestWindowLink::watchersAreToldOfChangesMadeUnwatched()
{
    LinkServer server("Watched_Class", [](std::function<void()> task) { task(); });
    const auto seek = server.addChild("CN_seek");
    QVERIFY(server.publish());
    for (int pos = 1; pos <= 3; ++pos)
        server.setChildScroll(seek, pos, 0, 9);
    // What the watcher was told last (reports taken in first), or -1.
    const auto watchedPos = [](PeerConnection &peer) {
        if (!peer.usable() || peer.lastReport().children.size() != 1)
            return -1;
        return int(peer.lastReport().children[0].pos);
    };
    for (int round = 0; round < 2; ++round) {
        PeerConnection peer;
        QCOMPARE(peer.open(server.socketPath(), ::geteuid()), io::ConnectResult::Connected);
        wire::Request watch;
        watch.op = wire::Op::Watch;
        bool timedOut = false;
        const auto shown = peer.ask(watch, io::Clock::now() + std::chrono::seconds(5), &timedOut);
        QVERIFY(shown.has_value());
        peer.watchFrom(*shown);
        QCOMPARE(watchedPos(peer), 3 + round);
        server.setChildScroll(seek, 4 + round, 0, 9);
        QTRY_COMPARE(watchedPos(peer), 4 + round);
    }
}

void TestWindowLink::fakeFollowsTheSameRules()
{
    FakeWindowSystem fake;
    const HWND older = fake.addWindow("CN_sonaro", "old");
    const HWND player = fake.addWindow("CN_sonaro", "Sonaro - x \xE2\x86\x92 0\xEF\xBC\x9A"
                                                    "04");
    const HWND seek = fake.addChild(player, "CN_seek");
    const HWND status = fake.addChild(player, "Static", "\xE5\x86\x8D\xE7\x94\x9F\xE4\xB8\xAD");
    fake.setScroll(seek, 5, 0, 32);
    QCOMPARE(fake.FindWindowA("cn_SONARO", nullptr), player);
    QCOMPARE(fake.FindWindowExA(0, player, "CN_sonaro", nullptr), older);
    QCOMPARE(fake.FindWindowExA(player, 0, "Static", nullptr), status);
    QCOMPARE(fake.FindWindowExA(player, 0, "CN_seek", nullptr), seek);
    QCOMPARE(fake.GetScrollPos(seek, SB_CTL), 5);
    QCOMPARE(fake.GetScrollPos(seek, SB_HORZ), 0);
    QCOMPARE(windowText(fake, status), std::string("\xE5\x86\x8D\xE7\x94\x9F\xE4\xB8\xAD"));
    fake.setOnMessage([&](const FakeWindowSystem::Sent &m) {
        if (m.message == WM_SYSCOMMAND && m.wParam == SC_CLOSE)
            fake.removeWindow(m.window);
        return LRESULT(0);
    });
    fake.SendMessageA(player, WM_KEYDOWN, VK_SPACE, 0);
    fake.SendMessageA(player, WM_SYSCOMMAND, SC_CLOSE, 0);
    QCOMPARE(fake.sent().size(), 2);
    QVERIFY((fake.sent()[0] == FakeWindowSystem::Sent{player, WM_KEYDOWN, VK_SPACE, 0}));
    QVERIFY(!fake.exists(seek));
    QCOMPARE(fake.FindWindowA("CN_sonaro", nullptr), older);
    QCOMPARE(fake.SendMessageA(player, WM_KEYDOWN, VK_SPACE, 0), LRESULT(0));
    QCOMPARE(fake.sent().size(), 2); // nothing reaches a closed window
}

QTEST_GUILESS_MAIN(TestWindowLink)
#include "tst_windowlink.moc"
