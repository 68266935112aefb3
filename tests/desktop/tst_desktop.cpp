// The rules of the desktop side, without a bus or a window: how the
// jukebox's state maps onto MPRIS, which button a transport request presses,
// which properties are announced, and the files of a command line.
#include "desktop/CommandLine.h"
#include "desktop/FileHandOver.h"
#include "desktop/MprisRules.h"

#include <QDBusObjectPath>
#include <QRegularExpression>
#include <QTest>

using tunelet::PlayerState;
using tunelet::PlayOrder;
using namespace tunelet::mpris;

Q_DECLARE_METATYPE(tunelet::PlayOrder)
Q_DECLARE_METATYPE(tunelet::mpris::Request)
Q_DECLARE_METATYPE(tunelet::mpris::Status)
Q_DECLARE_METATYPE(tunelet::mpris::Button)

namespace
{

PlayerState playing(const QString &title = QStringLiteral("Alpha"))
{
    PlayerState state;
    state.song = tunelet::NowPlaying{3, title, "/m/a.snr"};
    state.rowCount = 2;
    return state;
}

} // namespace

class TestDesktop final : public QObject
{
    Q_OBJECT

private slots:
    void playbackStatus_data();
    void playbackStatus();
    void loopStatus_data();
    void loopStatus();
    void settingLoopStatus_data();
    void settingLoopStatus();
    void settingShuffle_data();
    void settingShuffle();
    void buttons_data();
    void buttons();
    void fileUrlsKeepEveryByte();
    void metadataOfThePlayingSong();
    void announcedPropertiesLeavePositionOut();
    void seeks_data();
    void seeks();
    void commandLineFiles_data();
    void commandLineFiles();
    void folderBusName();
};

void TestDesktop::playbackStatus_data()
{
    QTest::addColumn<bool>("song");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QString>("status");
    QTest::newRow("no song") << false << false << "Stopped";
    QTest::newRow("no song, player says paused") << false << true << "Stopped";
    QTest::newRow("song") << true << false << "Playing";
    QTest::newRow("song, player paused") << true << true << "Paused";
}

void TestDesktop::playbackStatus()
{
    QFETCH(bool, song);
    QFETCH(bool, paused);
    QFETCH(QString, status);
    PlayerState state = song ? playing() : PlayerState{};
    state.paused = paused;
    QCOMPARE(statusText(tunelet::mpris::playbackStatus(state)), status);
}

void TestDesktop::loopStatus_data()
{
    QTest::addColumn<PlayOrder>("order");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<QString>("loop");
    QTest::newRow("list, repeat") << PlayOrder::List << true << "Playlist";
    QTest::newRow("random, repeat") << PlayOrder::Random << true << "Playlist";
    QTest::newRow("single, repeat") << PlayOrder::Single << true << "Track";
    QTest::newRow("list") << PlayOrder::List << false << "None";
    QTest::newRow("single") << PlayOrder::Single << false << "None";
}

void TestDesktop::loopStatus()
{
    QFETCH(PlayOrder, order);
    QFETCH(bool, repeat);
    QFETCH(QString, loop);
    QCOMPARE(tunelet::mpris::loopStatus(order, repeat), loop);
}

void TestDesktop::settingLoopStatus_data()
{
    QTest::addColumn<PlayOrder>("order");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<QString>("loop");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<PlayOrder>("newOrder");
    QTest::addColumn<bool>("newRepeat");
    QTest::newRow("None keeps the mode")
        << PlayOrder::Random << true << "None" << true << PlayOrder::Random << false;
    QTest::newRow("Playlist keeps random")
        << PlayOrder::Random << false << "Playlist" << true << PlayOrder::Random << true;
    QTest::newRow("Playlist leaves single")
        << PlayOrder::Single << false << "Playlist" << true << PlayOrder::List << true;
    QTest::newRow("Track selects single")
        << PlayOrder::List << false << "Track" << true << PlayOrder::Single << true;
    QTest::newRow("unknown value")
        << PlayOrder::List << true << "playlist" << false << PlayOrder::List << true;
}

void TestDesktop::settingLoopStatus()
{
    QFETCH(PlayOrder, order);
    QFETCH(bool, repeat);
    QFETCH(QString, loop);
    QFETCH(bool, valid);
    QFETCH(PlayOrder, newOrder);
    QFETCH(bool, newRepeat);
    const std::optional<Modes> modes = withLoopStatus(loop, {order, repeat});
    QCOMPARE(modes.has_value(), valid);
    if (modes)
        QCOMPARE(*modes, (Modes{newOrder, newRepeat}));
}

void TestDesktop::settingShuffle_data()
{
    QTest::addColumn<bool>("shuffle");
    QTest::addColumn<PlayOrder>("order");
    QTest::addColumn<PlayOrder>("newOrder");
    QTest::newRow("on from list") << true << PlayOrder::List << PlayOrder::Random;
    QTest::newRow("on from single") << true << PlayOrder::Single << PlayOrder::Random;
    QTest::newRow("off from random") << false << PlayOrder::Random << PlayOrder::List;
    QTest::newRow("off keeps single") << false << PlayOrder::Single << PlayOrder::Single;
}

void TestDesktop::settingShuffle()
{
    QFETCH(bool, shuffle);
    QFETCH(PlayOrder, order);
    QFETCH(PlayOrder, newOrder);
    QCOMPARE(withShuffle(shuffle, order), newOrder);
}

void TestDesktop::buttons_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<Status>("status");
    QTest::addColumn<Button>("button");
    QTest::newRow("Play, stopped") << Request::Play << Status::Stopped << Button::Play;
    QTest::newRow("Play, paused resumes") << Request::Play << Status::Paused << Button::Pause;
    QTest::newRow("Play, playing: nothing") << Request::Play << Status::Playing << Button::None;
    QTest::newRow("Pause, playing") << Request::Pause << Status::Playing << Button::Pause;
    QTest::newRow("Pause, paused: nothing") << Request::Pause << Status::Paused << Button::None;
    QTest::newRow("Pause, stopped: nothing") << Request::Pause << Status::Stopped << Button::None;
    QTest::newRow("PlayPause, stopped") << Request::PlayPause << Status::Stopped << Button::Play;
    QTest::newRow("PlayPause, playing") << Request::PlayPause << Status::Playing << Button::Pause;
    QTest::newRow("PlayPause, paused") << Request::PlayPause << Status::Paused << Button::Pause;
}

void TestDesktop::buttons()
{
    QFETCH(Request, request);
    QFETCH(Status, status);
    QFETCH(Button, button);
    QCOMPARE(buttonFor(request, status), button);
}

void TestDesktop::fileUrlsKeepEveryByte()
{
    // "曲" in Shift-JIS (0x8B 0xC8), a blank, a percent sign and a hash.
    const QByteArray path = "/m/\x8b\xc8 50%#1.snr";
    const QString url = fileUrl(path);
    QCOMPARE(url, QStringLiteral("file:///m/%8B%C8%2050%25%231.snr"));
    QCOMPARE(pathOfFileUrl(url.toLatin1()), std::optional<QByteArray>(path));
    QCOMPARE(pathOfFileUrl("file://localhost/m/a%20b.snr"),
             std::optional<QByteArray>("/m/a b.snr"));
    QCOMPARE(pathOfFileUrl("https://example.org/a.snr"), std::nullopt);
    QCOMPARE(pathOfFileUrl("file://host/a.snr"), std::nullopt);
}

void TestDesktop::metadataOfThePlayingSong()
{
    QVERIFY(metadata(PlayerState{}).isEmpty());

    PlayerState state = playing(QStringLiteral("曲の名前"));
    QVariantMap map = metadata(state);
    QCOMPARE(map.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
             QStringLiteral("/tunelet/track/3"));
    QCOMPARE(map.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("曲の名前"));
    QCOMPARE(map.value(QStringLiteral("xesam:url")).toString(), QStringLiteral("file:///m/a.snr"));
    // The length only once the player has shown its total, as a 64-bit integer.
    QVERIFY(!map.contains(QStringLiteral("mpris:length")));
    state.lengthUs = 185'000'000;
    map = metadata(state);
    QCOMPARE(map.value(QStringLiteral("mpris:length")).metaType(), QMetaType::fromType<qint64>());
    QCOMPARE(map.value(QStringLiteral("mpris:length")).toLongLong(), 185'000'000);
}

void TestDesktop::announcedPropertiesLeavePositionOut()
{
    PlayerState before = playing();
    before.lengthUs = 185'000'000;
    PlayerState after = before;
    after.positionUs = 92'500'000;
    QVERIFY(changedProperties(announcedProperties(before), announcedProperties(after)).isEmpty());

    after.song->serial += 1;
    after.paused = true;
    QCOMPARE(changedProperties(announcedProperties(before), announcedProperties(after)).keys(),
             (QStringList{QStringLiteral("Metadata"), QStringLiteral("PlaybackStatus")}));

    // With no rows nothing can be played, skipped or paused.
    const QVariantMap empty = announcedProperties(PlayerState{});
    for (const char *flag : {"CanGoNext", "CanGoPrevious", "CanPlay", "CanPause"})
        QCOMPARE(empty.value(QLatin1String(flag)).toBool(), false);
    const QVariantMap rows = announcedProperties(playing());
    for (const char *flag : {"CanGoNext", "CanGoPrevious", "CanPlay", "CanPause"})
        QCOMPARE(rows.value(QLatin1String(flag)).toBool(), true);
}

void TestDesktop::seeks_data()
{
    QTest::addColumn<bool>("pausedBefore");
    QTest::addColumn<qint64>("positionBefore");
    QTest::addColumn<qint64>("positionNow");
    QTest::addColumn<quint64>("serialNow");
    QTest::addColumn<bool>("jumped");
    // 2 s pass between the two looks.
    QTest::newRow("playing on") << false << qint64(10'000'000) << qint64(12'050'000) << 3ull
                                << false;
    QTest::newRow("played again from the start")
        << false << qint64(10'000'000) << qint64(300'000) << 3ull << true;
    QTest::newRow("fast-forward held")
        << false << qint64(10'000'000) << qint64(16'000'000) << 3ull << true;
    QTest::newRow("paused stands")
        << true << qint64(10'000'000) << qint64(10'000'000) << 3ull << false;
    QTest::newRow("paused, then moved")
        << true << qint64(10'000'000) << qint64(12'000'000) << 3ull << true;
    QTest::newRow("another song") << false << qint64(10'000'000) << qint64(0) << 4ull << false;
}

void TestDesktop::seeks()
{
    QFETCH(bool, pausedBefore);
    QFETCH(qint64, positionBefore);
    QFETCH(qint64, positionNow);
    QFETCH(quint64, serialNow);
    QFETCH(bool, jumped);
    Moment before{playing(), 1000};
    before.state.paused = pausedBefore;
    before.state.positionUs = positionBefore;
    Moment now{playing(), 3000};
    now.state.positionUs = positionNow;
    now.state.song->serial = serialNow;
    QCOMPARE(positionJumped(before, now), jumped);
    // Stopped on either side: no song, no seek.
    QVERIFY(!positionJumped(Moment{PlayerState{}, 1000}, now));
    QVERIFY(!positionJumped(before, Moment{PlayerState{}, 3000}));
}

void TestDesktop::commandLineFiles_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArrayList>("files");
    const QByteArray sjis = "\x8b\xc8.snr";
    QTest::newRow("none") << QByteArrayList{} << QByteArrayList{};
    QTest::newRow("absolute kept") << QByteArrayList{"/m/a.snr"} << QByteArrayList{"/m/a.snr"};
    QTest::newRow("relative to the folder") << QByteArrayList{"a.snr", "sub/b.ppl"}
                                            << QByteArrayList{"/home/u/a.snr", "/home/u/sub/b.ppl"};
    QTest::newRow("dot steps worked out") << QByteArrayList{"./a.snr", "../x//b.mid"}
                                          << QByteArrayList{"/home/u/a.snr", "/home/x/b.mid"};
    QTest::newRow("bytes kept") << QByteArrayList{sjis} << QByteArrayList{"/home/u/" + sjis};
    QTest::newRow("file URL") << QByteArrayList{"file:///m/%8B%C8.snr"}
                              << QByteArrayList{"/m/" + sjis};
    QTest::newRow("end of options, then a dash name")
        << QByteArrayList{"--", "--", "-a.snr"} << QByteArrayList{"/home/u/--", "/home/u/-a.snr"};
    QTest::newRow("empty argument skipped") << QByteArrayList{""} << QByteArrayList{};
}

void TestDesktop::commandLineFiles()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArrayList, files);
    QCOMPARE(tunelet::filesFromArguments(arguments, "/home/u"), files);
}

void TestDesktop::folderBusName()
{
    using tunelet::FileHandOver;
    const QString name = FileHandOver::folderBusName("/home/u/tunelet/");
    // A well-formed bus name: dotted elements of letters, digits and "_-",
    // none beginning with a digit, at most 255 characters.
    static const QRegularExpression wellFormed(
        QStringLiteral("^[A-Za-z_-][A-Za-z0-9_-]*(\\.[A-Za-z_-][A-Za-z0-9_-]*)+$"));
    QVERIFY2(wellFormed.match(name).hasMatch(), qPrintable(name));
    QVERIFY(name.size() <= 255);
    QCOMPARE(FileHandOver::folderBusName("/home/u/tunelet"), name);
    QVERIFY(FileHandOver::folderBusName("/home/u/other/") != name);
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
