// The song data parser, its timing, the synthesiser, and the player's own helpers
// (command line, window title, seek bar scale, loading files).

#include "tools/sonaro/Options.h"
#include "tools/sonaro/SeekScale.h"
#include "tools/sonaro/SongFile.h"
#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/Synth.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using songdata::parseSong;
using songdata::Song;

namespace
{

Song parse(const QByteArray &text)
{
    return parseSong(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

QString examples()
{
    return qEnvironmentVariable("TUNELET_SOURCE_DIR", QStringLiteral(TUNELET_SOURCE_FALLBACK)) +
           QStringLiteral("/examples/");
}

QByteArray readExample(const QString &name)
{
    QFile f(examples() + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<int> keys(const Song &s)
{
    QList<int> k;
    for (const auto &n : s.notes)
        k.append(n.key);
    return k;
}

} // namespace

class TestSongData final : public QObject
{
    Q_OBJECT

private slots:
    void trackCommands_data();
    void trackCommands();
    void noteKeys_data();
    void noteKeys();
    void totalTime_data();
    void totalTime();
    void headerTexts();
    void envelopeCommand();
    void timebaseOnlyBeforeTracks();
    void notesCarryTheirSettings();
    void hostileLoopsAreBounded();
    void everyCharacterReadIsAParseStep();
    void longNumbersInRepeatsEndWithinTheStepLimit();
    void tempoMapIsBounded();
    void headerTextsAreBounded();
    void randomBytesNeverBreakTheParser();
    void binaryIsRecognised_data();
    void binaryIsRecognised();
    void examples_data();
    void examples();
    void synthRendersTheWholeSong();
    void synthSeeksIntoSoundingNotes();
    void minutesSecondsText_data();
    void minutesSecondsText();
    void windowTitleKeepsTheTotalFindable();
    void longTitlesAreShortened();
    void seekScale_data();
    void seekScale();
    void commandLine();
    void unplayableFilesSayWhy_data();
    void unplayableFilesSayWhy();
    void fifoIsRefusedAtOnce();
};

void TestSongData::trackCommands_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("notes");
    QTest::addColumn<qint64>("endTick");
    QTest::addColumn<qint64>("firstLength"); // sounding ticks of the first note, -1: none

    QTest::newRow("default quarter, gate 7/8") << QByteArray("A: c") << 1 << 48LL << 42LL;
    QTest::newRow("dotted") << QByteArray("A: c4.") << 1 << 72LL << 63LL;
    QTest::newRow("two dots") << QByteArray("A: c8..") << 1 << 42LL << 36LL;
    QTest::newRow("ticks") << QByteArray("A: c%10") << 1 << 10LL << 8LL;
    QTest::newRow("tie") << QByteArray("A: c1^4") << 1 << 240LL << 210LL;
    QTest::newRow("slur holds the whole length") << QByteArray("A: c&d") << 2 << 96LL << 48LL;
    QTest::newRow("full gate") << QByteArray("A: q8 c") << 1 << 48LL << 48LL;
    QTest::newRow("shortest gate") << QByteArray("A: q1 c") << 1 << 48LL << 6LL;
    QTest::newRow("gate of the note's start") << QByteArray("A: q4 c q8") << 1 << 48LL << 24LL;
    QTest::newRow("default length") << QByteArray("A: l8 c r c") << 2 << 72LL << 21LL;
    QTest::newRow("rest only") << QByteArray("A: r1") << 0 << 192LL << -1LL;
    QTest::newRow("1/192 never below a tick")
        << QByteArray("*TIMEBASE 24\nA: c192") << 1 << 1LL << 1LL;
    QTest::newRow("key number and length") << QByteArray("A: n69,8") << 1 << 24LL << 21LL;
    QTest::newRow("repeat three") << QByteArray("A: [c]3") << 3 << 144LL << 42LL;
    QTest::newRow("repeat default two") << QByteArray("A: [c]") << 2 << 96LL << 42LL;
    QTest::newRow("leave on last pass") << QByteArray("A: [c | d]3") << 5 << 240LL << 42LL;
    QTest::newRow("nested") << QByteArray("A: [[c]2 d]2") << 6 << 288LL << 42LL;
    QTest::newRow("unmatched open ignored") << QByteArray("A: [c d") << 2 << 96LL << 42LL;
    QTest::newRow("unmatched close ignored") << QByteArray("A: c]4 d") << 2 << 96LL << 42LL;
    QTest::newRow("comment") << QByteArray("A: c ; d e") << 1 << 48LL << 42LL;
    QTest::newRow("continued track") << QByteArray("A: c\r\nA: d") << 2 << 96LL << 42LL;
    QTest::newRow("lone CR lines") << QByteArray("A: c\rA: d\r") << 2 << 96LL << 42LL;
    QTest::newRow("two tracks, longest counts") << QByteArray("A: c\nB: d e") << 3 << 96LL << 42LL;
    QTest::newRow("lower-case name is no track") << QByteArray("a: c") << 0 << 0LL << -1LL;
    QTest::newRow("name needs a colon") << QByteArray("A c") << 0 << 0LL << -1LL;
    QTest::newRow("unknown commands ignored") << QByteArray("A: xyz!? c") << 1 << 48LL << 42LL;
    QTest::newRow("end-of-text byte") << QByteArray("A: c\x1A\nA: d") << 1 << 48LL << 42LL;
    QTest::newRow("huge tick length clamped")
        << QByteArray("A: r%99999999999") << 0 << 1000000LL << -1LL;
    QTest::newRow("line break ends a number") << QByteArray("A: c\nA: 4") << 1 << 48LL << 42LL;
    QTest::newRow("empty") << QByteArray() << 0 << 0LL << -1LL;
}

void TestSongData::trackCommands()
{
    QFETCH(QByteArray, text);
    QFETCH(int, notes);
    QFETCH(qint64, endTick);
    QFETCH(qint64, firstLength);
    const Song s = parse(text);
    QCOMPARE(int(s.notes.size()), notes);
    QCOMPARE(s.endTick, endTick);
    if (firstLength >= 0)
        QCOMPARE(s.notes.front().lengthTicks, firstLength);
    QVERIFY(!s.truncated);
}

void TestSongData::noteKeys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("middle c") << QByteArray("A: c") << QList<int>{60};
    QTest::newRow("octave") << QByteArray("A: o5 c o0 c") << QList<int>{72, 12};
    QTest::newRow("up and down") << QByteArray("A: > c < < c") << QList<int>{72, 48};
    QTest::newRow("accidentals") << QByteArray("A: c+ d- e# f++ b-")
                                 << QList<int>{61, 61, 65, 67, 70};
    QTest::newRow("upper case") << QByteArray("A: C D E") << QList<int>{60, 62, 64};
    QTest::newRow("clamped octave and key")
        << QByteArray("A: o12 c >>> c < b") << QList<int>{120, 120, 119};
    QTest::newRow("key numbers") << QByteArray("A: n0 n127 n200") << QList<int>{0, 127, 127};
}

void TestSongData::noteKeys()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, keys);
    QCOMPARE(::keys(parse(text)), keys);
}

void TestSongData::totalTime_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<qint64>("whole");
    QTest::newRow("whole note at 120") << QByteArray("A: c1") << 2.0 << 2LL;
    QTest::newRow("header tempo") << QByteArray("*TEMPO 60\nA: c1") << 4.0 << 4LL;
    QTest::newRow("decimal tempo") << QByteArray("*TEMPO 90.5\nA: c4") << 60 / 90.5 << 1LL;
    QTest::newRow("tempo change") << QByteArray("A: t60 c4 t120 c4") << 1.5 << 2LL;
    QTest::newRow("tempo from another track") << QByteArray("A: c1 c1\nB: r1 t60") << 6.0 << 6LL;
    QTest::newRow("later track wins at equal ticks")
        << QByteArray("A: t60 c1\nB: t240") << 1.0 << 1LL;
    QTest::newRow("rounded up") << QByteArray("*TEMPO 100\nA: c1") << 2.4 << 3LL;
    QTest::newRow("timebase") << QByteArray("*TIMEBASE 96\nA: c%96") << 0.5 << 1LL;
    QTest::newRow("tempo clamped") << QByteArray("A: t5000 c1") << 0.24 << 1LL;
    QTest::newRow("no tracks") << QByteArray("*HEAD\"x\"") << 0.0 << 0LL;
}

void TestSongData::totalTime()
{
    QFETCH(QByteArray, text);
    QFETCH(double, seconds);
    QFETCH(qint64, whole);
    const Song s = parse(text);
    QVERIFY2(std::abs(s.totalSeconds - seconds) < 1e-9,
             qPrintable(QString::number(s.totalSeconds)));
    QCOMPARE(s.wholeSeconds(), whole);
}

void TestSongData::headerTexts()
{
    const Song s = parse("*HEAD \"First\"\r\n*HEAD\"Second\"\r\n*COMPOSER\"me\"\r\n*COMMENT\"open");
    QVERIFY(s.hasTitle);
    QCOMPARE(s.title, std::string("First"));
    QCOMPARE(s.composer, std::string("me"));
    QCOMPARE(s.comment, std::string("open"));
    QVERIFY(!parse("*HEADLINE\nA: c").hasTitle);
    const QByteArray sjis("*HEAD\"\x89\xB9\x8A\x79\"");
    QCOMPARE(parse(sjis).title, std::string("\x89\xB9\x8A\x79"));
    QCOMPARE(sonaro::decodeText(parse(sjis).title), QStringLiteral("音楽"));
    QCOMPARE(sonaro::decodeText("\xE9\x9F\xB3"), QStringLiteral("音"));
}

void TestSongData::timebaseOnlyBeforeTracks()
{
    QCOMPARE(parse("*TIMEBASE 96\nA: c").timebase, 96);
    QCOMPARE(parse("A: c\n*TIMEBASE 96").timebase, 48);
    QCOMPARE(parse("*TIMEBASE 99999\nA: c").timebase, 3840);
    QCOMPARE(parse("*TIMEBASE 0\nA: c").timebase, 1);
}

void TestSongData::notesCarryTheirSettings()
{
    const Song s = parse("A: v300 @9 p0 c @3 v20 p127 d\nB: e");
    QCOMPARE(int(s.tracks.size()), 2);
    QCOMPARE(s.tracks[0].name, std::string("A"));
    QCOMPARE(s.tracks[0].noteCount, std::size_t(2));
    const auto &c = s.notes[0];
    QCOMPARE(c.volume, 127);
    QCOMPARE(c.waveform, songdata::Waveform::Pulse25);
    QCOMPARE(c.pan, 0);
    QCOMPARE(s.notes[1].track, 1); // e starts at tick 0 with c, track order breaks the tie
    const auto &d = s.notes[2];
    QCOMPARE(d.volume, 20);
    QCOMPARE(d.waveform, songdata::Waveform::Sine);
    QCOMPARE(d.pan, 127);
    QCOMPARE(d.startSeconds, 0.5);
    QCOMPARE(d.endSeconds, 0.5 + 42 / 48.0 * 0.5);
}

void TestSongData::envelopeCommand()
{
    // Set by all four parts, clamped, held for later notes; an incomplete one is ignored
    // and does not swallow the command after it.
    const Song s = parse("A: c s10,20000,150,99999 d s1,2 e s5,6,7,8 f\nB: g");
    QCOMPARE(s.notes.size(), std::size_t(5));
    QVERIFY(!s.notes[0].envelope);
    QVERIFY(!s.notes[1].envelope); // track B's g
    const songdata::Envelope set{10, 20000, 100, 10000};
    QCOMPARE(s.notes[2].envelope, std::optional(set));
    QCOMPARE(s.notes[3].envelope, std::optional(set));
    QCOMPARE(s.notes[3].startSeconds, 1.0);
    QCOMPARE(s.notes[4].envelope, std::optional(songdata::Envelope{5, 6, 7, 8}));
}

void TestSongData::hostileLoopsAreBounded()
{
    QByteArray bomb("A: ");
    for (int i = 0; i < 12; ++i)
        bomb += '[';
    bomb += "c%1";
    for (int i = 0; i < 12; ++i)
        bomb += "]255";
    songdata::ParseLimits limits;
    limits.maxSteps = 2'000'000;
    QElapsedTimer t;
    t.start();
    const Song s = parseSong(std::string_view(bomb.constData(), bomb.size()), limits);
    QVERIFY(s.truncated);
    QVERIFY(s.notes.size() <= limits.maxNotes);
    QVERIFY(s.notes.size() > 1000);

    limits.maxNotes = 500;
    const Song few = parseSong(std::string_view(bomb.constData(), bomb.size()), limits);
    QVERIFY(few.truncated);
    QCOMPARE(few.notes.size(), std::size_t(500));

    QByteArray many;
    for (int i = 0; i < 400; ++i)
        many += "T" + QByteArray::number(i % 1000) + ": c\n"; // only T0 … T255 become tracks
    QVERIFY(parse(many).tracks.size() <= 256);
}

void TestSongData::everyCharacterReadIsAParseStep()
{
    QCOMPARE(parse("A:o123").parseSteps, std::uint64_t(5)); // "o123" and the line's end
    // '[' and the count read ahead, three passes of "o12]3", the line's end.
    QCOMPARE(parse("A:[o12]3").parseSteps, std::uint64_t(2 + 3 * 5 + 1));
}

void TestSongData::longNumbersInRepeatsEndWithinTheStepLimit()
{
    const QByteArray text = "A:[[[o" + QByteArray(10'000, '0') + "]255]255]255";
    songdata::ParseLimits limits;
    limits.maxSteps = 2'000'000;
    const Song s = parseSong(std::string_view(text.constData(), text.size()), limits);
    QVERIFY(s.truncated);
    QVERIFY(s.parseSteps >= limits.maxSteps);
    QVERIFY(s.parseSteps <= limits.maxSteps + 8);
}

void TestSongData::tempoMapIsBounded()
{
    // Changes at one tick of one track keep only the last.
    const Song still = parse("A:[[[" + QByteArray("t1").repeated(40) + "]255]255]255");
    QCOMPARE(still.tempos.size(), std::size_t(1));
    QCOMPARE(still.tempos[0].bpm, 1.0);

    songdata::ParseLimits limits;
    limits.maxTempoChanges = 1000;
    const QByteArray text = "A:[[[" + QByteArray("t1r%1t2r%1").repeated(20) + "]255]255]255";
    const Song s = parseSong(std::string_view(text.constData(), text.size()), limits);
    QVERIFY(s.truncated);
    // The first change replaces the start tempo at tick 0, 999 more follow.
    QCOMPARE(s.tempos.size(), std::size_t(1000));
    QVERIFY(s.parseSteps < limits.maxSteps);
    QCOMPARE(s.endTick, std::int64_t(1000)); // the last change was refused one tick after the limit
    // A change to the tempo in force changes nothing and is not kept.
    QCOMPARE(parse("*TEMPO 90\nA:c t90 c t60 t60 c").tempos.size(), std::size_t(2));
}

void TestSongData::headerTextsAreBounded()
{
    const QByteArray title = QByteArray("\xE3\x81\x82").repeated(2000); // "あ", 6,000 bytes
    const Song s =
        parse("*HEAD\"" + title + "\"\n*COMPOSER\"" + QByteArray(1 << 20, 'x') + "\"\nA:c");
    QCOMPARE(s.title.size(), std::size_t(4095)); // whole characters only
    QVERIFY(title.startsWith(QByteArray::fromStdString(s.title)));
    QCOMPARE(s.composer.size(), songdata::kMaxHeaderTextBytes);
    QCOMPARE(s.notes.size(), std::size_t(1));
}

void TestSongData::randomBytesNeverBreakTheParser()
{
    QRandomGenerator rng(1234);
    const QByteArray alphabet("ABCabcdefgnrlotvpq@[]|^&%.<>+-#0123456789:; \r\n*\"\x1A");
    for (int round = 0; round < 300; ++round) {
        QByteArray text;
        const int n = rng.bounded(1, 400);
        for (int i = 0; i < n; ++i)
            text += alphabet[rng.bounded(alphabet.size())];
        const Song s = parse(text);
        QVERIFY(s.totalSeconds >= 0);
        for (const auto &note : s.notes) {
            QVERIFY(note.key >= 0 && note.key <= 127);
            QVERIFY(note.lengthTicks >= 1);
            QVERIFY(note.endSeconds >= note.startSeconds);
        }
    }
}

void TestSongData::binaryIsRecognised_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("binary");
    QTest::newRow("text") << QByteArray("*HEAD\"x\"\r\nA: c\r\n") << false;
    QTest::newRow("nul byte") << QByteArray("A: c\0d", 6) << true;
    QTest::newRow("midi header") << QByteArray("MThd\0\0\0\x06\0\x01", 10) << true;
    QTest::newRow("control bytes") << QByteArray("\x01\x02\x03\x04 A: c") << true;
    QTest::newRow("end-of-text byte is text") << QByteArray("A: c\x1A") << false;
}

void TestSongData::binaryIsRecognised()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, binary);
    QCOMPARE(songdata::looksBinary(std::string_view(bytes.constData(), bytes.size())), binary);
}

void TestSongData::examples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("tracks");
    QTest::newRow("morning walk") << "morning-walk.snr"
                                  << "Morning Walk" << 64 * 60 / 132.0 << 3;
    QTest::newRow("rainy window") << "rainy-window.snr"
                                  << "雨の窓辺" << 48 * 60 / 84.0 << 3;
    QTest::newRow("clockwork march")
        << "clockwork-march.snr"
        << "Clockwork March" << 32 * 60 / 112.0 + 4 * 60 / 96.0 + 4 * 60 / 80.0 << 3;
    QTest::newRow("harbor lights (packed into the example archive)")
        << "archive/harbor-lights.snr"
        << "Harbor Lights" << 48 * 60 / 112.0 << 3;
    QTest::newRow("short chime") << "short-chime.snr"
                                 << "Short Chime" << 2.0 << 2;
    QTest::newRow("short beat") << "short-beat.snr"
                                << "Short Beat" << 3.2 << 2;
    QTest::newRow("short scale") << "short-scale.snr"
                                 << "Short Scale" << 2.125 << 1;
}

void TestSongData::examples()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(double, seconds);
    QFETCH(int, tracks);
    const QByteArray bytes = readExample(file);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(bytes.contains("\r\n"));
    const Song s = parse(bytes);
    QCOMPARE(QString::fromStdString(s.title), title);
    QVERIFY2(std::abs(s.totalSeconds - seconds) < 1e-6,
             qPrintable(QString::number(s.totalSeconds)));
    QCOMPARE(int(s.tracks.size()), tracks);
    QVERIFY(!s.notes.empty());
    QVERIFY(!s.truncated);
}

void TestSongData::synthRendersTheWholeSong()
{
    const Song s = parse(readExample(QStringLiteral("short-chime.snr")));
    songdata::Synth synth(s, 44100);
    QCOMPARE(synth.endFrame(), 88200LL);
    std::vector<std::int16_t> buf(2 * 1000);
    double energy = 0;
    std::int64_t frames = 0;
    while (!synth.atEnd() && frames < 200000) {
        synth.render(buf.data(), 1000);
        frames += 1000;
        for (std::int16_t v : buf)
            energy += double(v) * v;
    }
    QCOMPARE(synth.position(), synth.endFrame());
    QVERIFY(std::sqrt(energy / (2.0 * frames)) > 500); // clearly audible
    synth.render(buf.data(), 1000);                    // after the end: silence
    QVERIFY(std::all_of(buf.begin(), buf.end(), [](std::int16_t v) { return v == 0; }));
}

void TestSongData::synthSeeksIntoSoundingNotes()
{
    const Song s = parse("A: c1 r1");
    songdata::Synth synth(s, 8000);
    std::vector<std::int16_t> buf(2 * 400);
    synth.seek(4000); // in the middle of the whole note
    synth.render(buf.data(), 400);
    QVERIFY(std::any_of(buf.begin(), buf.end(), [](std::int16_t v) { return std::abs(v) > 1000; }));
    synth.seek(20000); // in the rest: the note fades out within 5 ms (40 frames)
    synth.render(buf.data(), 400);
    QVERIFY(std::all_of(buf.begin() + 2 * 40, buf.end(), [](std::int16_t v) { return v == 0; }));
    synth.seek(1 << 30);
    QVERIFY(synth.atEnd());
}

void TestSongData::minutesSecondsText_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0LL << QStringLiteral("0：00");
    QTest::newRow("three five") << 185LL << QStringLiteral("3：05");
    QTest::newRow("an hour") << 3725LL << QStringLiteral("62：05");
}

void TestSongData::minutesSecondsText()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(songdata::formatMinutesSeconds(seconds)), text);
}

void TestSongData::windowTitleKeepsTheTotalFindable()
{
    QCOMPARE(sonaro::windowTitle(QStringLiteral("Tune"), 185),
             QStringLiteral("Sonaro - Tune → 3：05"));
    // A title with the arrow or the colon of its own would hide the total.
    const QString t = sonaro::windowTitle(QStringLiteral("A → B：C"), 61);
    QCOMPARE(t, QStringLiteral("Sonaro - A -> B:C → 1：01"));
    QCOMPARE(t.count(QStringLiteral("→ ")), 1);
}

void TestSongData::longTitlesAreShortened()
{
    // 300 characters, some of them outside the basic plane (two UTF-16 units each).
    const QString title = QString(QStringLiteral("\U0001F3B5a")).repeated(150);
    const QString t = sonaro::windowTitle(title, 61);
    QCOMPARE(sonaro::characterCount(t), sonaro::kMaxWindowTitleCharacters);
    QVERIFY(t.endsWith(QStringLiteral("… → 1：01")));
    QVERIFY(t.startsWith(QStringLiteral("Sonaro - \U0001F3B5a")));
    QVERIFY(!t.at(t.indexOf(QChar(0x2026)) - 1).isHighSurrogate());
    QCOMPARE(sonaro::elided(QStringLiteral("abc"), 3), QStringLiteral("abc"));
    QCOMPARE(sonaro::elided(QStringLiteral("abcd"), 3), QStringLiteral("ab…"));

    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("long.snr")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("*HEAD\"" + QByteArray(1 << 20, 'x') + "\"\nA:c\n");
    f.close();
    const sonaro::LoadedSong loaded = sonaro::loadSongFile(f.fileName());
    QCOMPARE(loaded.title.size(), sonaro::kMaxWindowTitleCharacters);
}

void TestSongData::seekScale_data()
{
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("position");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("pos");
    QTest::newRow("start") << 3.2 << 0.0 << false << 32 << 0;
    QTest::newRow("middle") << 3.2 << 1.55 << false << 32 << 15;
    QTest::newRow("just before the end") << 3.2 << 3.2 << false << 32 << 31;
    QTest::newRow("ended") << 3.2 << 3.2 << true << 32 << 32;
    QTest::newRow("part of a tenth") << 2.125 << 0.0 << false << 22 << 0;
    QTest::newRow("empty song") << 0.0 << 0.0 << true << 1 << 1;
    QTest::newRow("empty song not started") << 0.0 << 0.0 << false << 1 << 0;
}

void TestSongData::seekScale()
{
    QFETCH(double, total);
    QFETCH(double, position);
    QFETCH(bool, ended);
    QFETCH(int, max);
    QFETCH(int, pos);
    QCOMPARE(sonaro::seekMaximum(total), max);
    QCOMPARE(sonaro::seekPosition(position, total, ended), pos);
}

void TestSongData::commandLine()
{
    const auto o = sonaro::parseOptions({QStringLiteral("/m/a b.snr"), QStringLiteral("*p"),
                                         QStringLiteral("*x"), QStringLiteral("*i"),
                                         QStringLiteral("*S"), QStringLiteral("*a"),
                                         QStringLiteral("*zz"), QStringLiteral("extra")});
    QCOMPARE(o.file, QStringLiteral("/m/a b.snr"));
    QVERIFY(o.playAtOnce && o.exclusive && o.minimized && o.score && o.autoScroll);
    QVERIFY(!o.members && !o.finger);
    QVERIFY(sonaro::parseOptions({}).file.isEmpty());
}

void TestSongData::unplayableFilesSayWhy_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << QByteArray() << false
                             << QStringLiteral("ファイルが見つかりません: song.snr");
    QTest::newRow("folder") << QByteArray() << true
                            << QStringLiteral("ファイルを読めません: song.snr");
    QTest::newRow("binary") << QByteArray("MThd\0\0\0\x06", 8) << false
                            << QStringLiteral("曲データではありません: song.snr");
    QTest::newRow("playable") << QByteArray("A: c") << false << QString();
    QTest::newRow("empty file plays nothing") << QByteArray("") << false << QString();
}

void TestSongData::unplayableFilesSayWhy()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, folder);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.snr"));
    if (folder) {
        QVERIFY(QDir().mkdir(path));
    } else if (!content.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const sonaro::LoadedSong loaded = sonaro::loadSongFile(path);
    QCOMPARE(loaded.error, error);
    QCOMPARE(loaded.title, QStringLiteral("song.snr"));
    QCOMPARE(sonaro::loadSongFile(QString()).error, QStringLiteral("ファイルが指定されていません"));
}

void TestSongData::fifoIsRefusedAtOnce()
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe.snr")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const sonaro::LoadedSong loaded = sonaro::loadSongFile(fifo); // no writer: would block
    QCOMPARE(loaded.error, QStringLiteral("通常のファイルではありません: pipe.snr"));
}

QTEST_GUILESS_MAIN(TestSongData)
#include "tst_songdata.moc"
