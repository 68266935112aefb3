// The converter library: timing fidelity against generated MIDI files, voices,
// drums, volumes, waveforms, titles, line ends and refusal of bad input.
#include "tests/mid2snr/PlayedSong.h"
#include "tests/mid2snr/ReferenceSong.h"
#include "tests/mid2snr/SnrReading.h"
#include "tests/support/SmfWriter.h"
#include "tools/mid2snr/Converter.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <set>

namespace smf = tunelet::testkit::smf;

Q_DECLARE_METATYPE(RefSong)

namespace
{

mid2snr::Conversion convert(const std::string &bytes, const std::string &fileName = "song.mid")
{
    return mid2snr::convertMidi(
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()), fileName);
}

// A melody of `count` notes of `length` ticks, each followed by `gap` ticks.
std::vector<RefNote> melody(int track, int channel, int count, std::uint32_t length,
                            std::uint32_t gap = 0, std::uint32_t from = 0, int key = 60)
{
    std::vector<RefNote> notes;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t start = from + i * (length + gap);
        notes.push_back({track, channel, key + (i * 5) % 24, start, start + length, 90});
    }
    return notes;
}

RefSong format0Melody()
{
    RefSong s;
    s.format = 0;
    s.notes = melody(0, 0, 16, 240, 0);
    s.tempos = {{0, 0, 500000}};
    return s;
}

RefSong tempoMapSong()
{
    RefSong s;
    s.tracks = 3;
    s.tempos = {{0, 0, 600000}, {0, 1920, 400000}, {0, 3840, 750000}, {0, 5000, 300000}};
    s.notes = melody(1, 0, 30, 200, 40);
    const auto bass = melody(2, 1, 12, 480, 120, 60, 36);
    s.notes.insert(s.notes.end(), bass.begin(), bass.end());
    return s;
}

RefSong format2Patterns()
{
    RefSong s;
    s.format = 2;
    s.tracks = 3;
    s.notes = melody(0, 0, 4, 480);
    const auto second = melody(1, 1, 6, 240, 240);
    const auto third = melody(2, 2, 8, 120, 0, 480);
    s.notes.insert(s.notes.end(), second.begin(), second.end());
    s.notes.insert(s.notes.end(), third.begin(), third.end());
    s.tempos = {{1, 0, 400000}, {2, 240, 1000000}};
    s.tail = 96;
    return s;
}

RefSong runningStatus()
{
    RefSong s = format0Melody();
    s.runningStatus = true;
    s.offAsNoteOn = true;
    const auto chords = melody(0, 0, 16, 240, 0, 0, 48);
    s.notes.insert(s.notes.end(), chords.begin(), chords.end());
    return s;
}

RefSong withExtras()
{
    RefSong s = tempoMapSong();
    s.extras = true;
    return s;
}

RefSong smpteSong(int fps, int ticksPerFrame)
{
    RefSong s;
    s.division = smf::smpteDivision(fps, ticksPerFrame);
    s.notes = melody(0, 0, 20, fps * ticksPerFrame / 4, fps * ticksPerFrame / 8);
    s.tempos = {{0, 0, 300000}}; // has no effect on SMPTE timing
    return s;
}

RefSong allChannels()
{
    RefSong s;
    s.tracks = 17;
    s.tempos = {{0, 0, 450000}, {0, 2400, 520000}};
    for (int channel = 0; channel < 16; ++channel) {
        const auto notes =
            melody(channel + 1, channel, 6, 120 + 10 * channel, 60, 30 * channel, 30 + 4 * channel);
        s.notes.insert(s.notes.end(), notes.begin(), notes.end());
    }
    return s;
}

RefSong overlapping()
{
    RefSong s;
    s.format = 0;
    // A held chord, a melody over it, and a repeated key struck again while held.
    s.notes = {{0, 0, 48, 0, 1920}, {0, 0, 52, 0, 1920}, {0, 0, 55, 0, 960}};
    const auto tune = melody(0, 0, 8, 240, 0, 0, 72);
    s.notes.insert(s.notes.end(), tune.begin(), tune.end());
    s.notes.push_back({0, 0, 60, 100, 700});
    s.notes.push_back({0, 0, 60, 300, 900});
    return s;
}

RefSong withDivision(std::uint16_t division)
{
    RefSong s;
    s.division = division;
    s.tempos = {{0, 0, 520000}, {0, std::uint32_t(division) * 3, 610000}};
    s.notes = melody(0, 0, 24, division / 3, division / 5);
    return s;
}

RefSong longGap()
{
    RefSong s;
    s.division = 96;
    s.notes = {{0, 0, 60, 0, 96}, {0, 0, 64, 3'000'096, 3'000'192}};
    return s;
}

RefSong drums()
{
    RefSong s;
    s.format = 0;
    for (int i = 0; i < 32; ++i)
        s.notes.push_back(
            {0, 9, i % 2 ? 38 : 36, std::uint32_t(i * 120), std::uint32_t(i * 120 + 10)});
    s.tail = 1000;
    return s;
}

std::string bytesOf(const char *text, std::size_t size)
{
    return std::string(text, size);
}

} // namespace

class TestMid2snr final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fidelity_data();
    void fidelity();
    void overlappingNotesBecomeVoices();
    void drumsAreNoiseAndToneBursts();
    void familiesChooseEnvelopes_data();
    void familiesChooseEnvelopes();
    void sustainPedalAndAllNotesOff();
    void programChangeSelectsWaveform_data();
    void programChangeSelectsWaveform();
    void velocityAndChannelVolume_data();
    void velocityAndChannelVolume();
    void volumeChangesBetweenNotes();
    void title_data();
    void title();
    void linesEndWithCrLf();
    void tooManyNotesStayWithinTrackLimit();
    void fastTempoIsClampedWithWarning();
    void badInput_data();
    void badInput();
    void outputFileName_data();
    void outputFileName();
};

void TestMid2snr::initTestCase()
{
    qInfo("songs are read by %s", playSong("").byPlayerLibrary
                                      ? "the player's songdata library"
                                      : "the tests' own reading of the format");
}

void TestMid2snr::fidelity_data()
{
    QTest::addColumn<RefSong>("song");
    QTest::newRow("format 0 melody") << format0Melody();
    QTest::newRow("format 1 tempo map") << tempoMapSong();
    QTest::newRow("format 2 one after another") << format2Patterns();
    QTest::newRow("running status, note-on 0 as off") << runningStatus();
    QTest::newRow("SysEx, metas, unknown chunk") << withExtras();
    QTest::newRow("SMPTE 25 fps") << smpteSong(25, 40);
    QTest::newRow("SMPTE 29.97 fps") << smpteSong(29, 80);
    QTest::newRow("SMPTE 30 fps, 255 per frame") << smpteSong(30, 255);
    QTest::newRow("16 channels") << allChannels();
    QTest::newRow("overlapping notes") << overlapping();
    QTest::newRow("7680 per quarter") << withDivision(7680);
    QTest::newRow("9973 per quarter") << withDivision(9973);
    QTest::newRow("24 per quarter") << withDivision(24);
    QTest::newRow("hour-long rest") << longGap();
    QTest::newRow("drums and trailing silence") << drums();
}

void TestMid2snr::fidelity()
{
    QFETCH(RefSong, song);
    const auto conversion = convert(writeMidi(song));
    QVERIFY2(conversion.ok, conversion.error.c_str());
    const PlayedSong played = playSong(conversion.text);
    QVERIFY2(played.problems.empty(), played.problems.empty() ? "" : played.problems[0].c_str());

    const double expected = referenceSeconds(song);
    const double total = played.totalSeconds;
    QVERIFY2(std::abs(total - expected) <= std::max(0.01 * expected, 0.05),
             qPrintable(QStringLiteral("total %1 s, MIDI %2 s").arg(total).arg(expected)));

    const auto want = referenceOnsets(song);
    const auto &got = played.notes;
    QCOMPARE(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const double tick =
            std::max(referenceTickSeconds(song, want[i].seconds), played.firstTickSeconds);
        if (got[i].track[0] != 'K') // drums are played by sound; their keys are chosen
            QCOMPARE(got[i].key, want[i].key);
        QVERIFY2(std::abs(got[i].seconds - want[i].seconds) <= tick + 1e-9,
                 qPrintable(QStringLiteral("onset %1: %2 s, MIDI %3 s")
                                .arg(i)
                                .arg(got[i].seconds)
                                .arg(want[i].seconds)));
    }
}

void TestMid2snr::overlappingNotesBecomeVoices()
{
    const auto conversion = convert(writeMidi(overlapping()));
    QVERIFY(conversion.ok);
    const PlayedSong played = playSong(conversion.text);
    // At most six notes sound at once (a chord of three, the melody, a key
    // struck twice while held), so channel 1 needs six voices besides the tempo
    // track.
    QCOMPARE(played.tracks, (std::set<std::string>{"A", "B", "B1", "B2", "B3", "B4", "B5"}));
    // Each note sounds for its whole length.
    for (const PlayedNote &note : played.notes) {
        if (note.key == 48 || note.key == 52)
            QCOMPARE(note.length, std::int64_t(1920));
        else if (note.key == 55)
            QCOMPARE(note.length, std::int64_t(960));
        else if (note.key >= 72)
            QCOMPARE(note.length, std::int64_t(240));
    }
}

void TestMid2snr::drumsAreNoiseAndToneBursts()
{
    RefSong song = drums(); // bass drums (36) and snares (38)
    song.notes.push_back({0, 0, 60, 0, 480});
    const auto conversion = convert(writeMidi(song));
    QVERIFY(conversion.ok);
    int kicks = 0, snares = 0;
    for (const PlayedNote &note : playSong(conversion.text).notes) {
        if (note.track != "K") {
            QCOMPARE(note.waveform, 5);
            continue;
        }
        // Short bursts that die away by themselves.
        QCOMPARE(note.envelope[2], 0);
        QVERIFY(note.envelope[1] <= 500);
        if (note.waveform == 1 && note.key < 40)
            ++kicks; // a low tone
        else if (note.waveform == 4 && note.key >= 90)
            ++snares; // bright noise
    }
    QCOMPARE(kicks, 16);
    QCOMPARE(snares, 16);
}

void TestMid2snr::familiesChooseEnvelopes_data()
{
    QTest::addColumn<int>("program");
    QTest::addColumn<bool>("diesAway"); // no sustain level
    QTest::addColumn<bool>("slowAttack");
    QTest::newRow("piano") << 0 << true << false;
    QTest::newRow("nylon guitar") << 24 << true << false;
    QTest::newRow("organ") << 19 << false << false;
    QTest::newRow("violin") << 40 << false << true;
    QTest::newRow("pad") << 88 << false << true;
}

void TestMid2snr::familiesChooseEnvelopes()
{
    QFETCH(int, program);
    QFETCH(bool, diesAway);
    QFETCH(bool, slowAttack);
    smf::Track track;
    track.program(0, 3, program).noteOn(0, 3, 60, 100).noteOff(480, 3, 60).end();
    const auto conversion = convert(smf::file(0, 480, {track}));
    QVERIFY(conversion.ok);
    const auto notes = playSong(conversion.text).notes;
    QCOMPARE(notes.size(), std::size_t(1));
    const auto &envelope = notes[0].envelope;
    QCOMPARE(envelope[2] == 0, diesAway);
    QCOMPARE(envelope[0] >= 30, slowAttack);
    QVERIFY(envelope[3] >= 50); // every note lets go gently
}

void TestMid2snr::sustainPedalAndAllNotesOff()
{
    smf::Track track;
    track.control(0, 0, 64, 127).noteOn(0, 0, 60, 100).noteOff(100, 0, 60); // held by the pedal
    track.noteOn(0, 0, 64, 100).noteOff(100, 0, 64).control(300, 0, 64, 0); // both end here
    track.noteOn(0, 0, 67, 100).control(50, 0, 123, 0);                     // all notes off
    track.noteOn(100, 0, 72, 100).end(40);                                  // ends with its track
    const auto conversion = convert(smf::file(0, 96, {track}));
    QVERIFY(conversion.ok);
    const auto notes = playSong(conversion.text).notes;
    QCOMPARE(notes.size(), std::size_t(4));
    QCOMPARE(notes[0].key, 60);
    QCOMPARE(notes[0].length, std::int64_t(500));
    QCOMPARE(notes[1].key, 64);
    QCOMPARE(notes[1].length, std::int64_t(400));
    QCOMPARE(notes[2].key, 67);
    QCOMPARE(notes[2].length, std::int64_t(50));
    QCOMPARE(notes[3].key, 72);
    QCOMPARE(notes[3].length, std::int64_t(40));
}

void TestMid2snr::programChangeSelectsWaveform_data()
{
    QTest::addColumn<int>("program");
    QTest::addColumn<int>("waveform");
    QTest::newRow("piano") << 0 << 5;
    QTest::newRow("vibraphone") << 11 << 3;
    QTest::newRow("organ") << 19 << 0;
    QTest::newRow("bass") << 33 << 1;
    QTest::newRow("violin") << 40 << 2;
    QTest::newRow("trumpet") << 56 << 2;
    QTest::newRow("flute") << 73 << 3;
    QTest::newRow("square lead") << 80 << 0;
    QTest::newRow("gunshot") << 127 << 4;
}

void TestMid2snr::programChangeSelectsWaveform()
{
    QFETCH(int, program);
    QFETCH(int, waveform);
    smf::Track track;
    track.noteOn(0, 2, 60, 100).noteOff(240, 2, 60).program(0, 2, program);
    track.noteOn(0, 2, 62, 100).noteOff(240, 2, 62).end();
    const auto conversion = convert(smf::file(0, 480, {track}));
    QVERIFY(conversion.ok);
    // A waveform set between two notes belongs to the second one.
    const auto notes = playSong(conversion.text).notes;
    QCOMPARE(notes.size(), std::size_t(2));
    QCOMPARE(notes[0].waveform, 5); // program 0 before any change
    QCOMPARE(notes[1].waveform, waveform);
}

void TestMid2snr::velocityAndChannelVolume_data()
{
    QTest::addColumn<int>("velocity");
    QTest::addColumn<int>("volume");     // CC 7, -1 for none
    QTest::addColumn<int>("expression"); // CC 11, -1 for none
    QTest::addColumn<int>("expected");
    QTest::newRow("defaults") << 127 << -1 << -1 << 100;
    QTest::newRow("full volume") << 127 << 127 << -1 << 127;
    QTest::newRow("soft note") << 64 << 127 << -1 << 64;
    QTest::newRow("half volume") << 127 << 64 << -1 << 64;
    QTest::newRow("expression") << 100 << 127 << 32 << 25;
    QTest::newRow("silent channel") << 100 << 0 << -1 << 0;
}

void TestMid2snr::velocityAndChannelVolume()
{
    QFETCH(int, velocity);
    QFETCH(int, volume);
    QFETCH(int, expression);
    QFETCH(int, expected);
    smf::Track settings, notes;
    if (volume >= 0)
        settings.control(0, 4, 7, volume);
    if (expression >= 0)
        settings.control(0, 4, 11, expression);
    settings.end();
    notes.noteOn(0, 4, 60, velocity).noteOff(480, 4, 60).end();
    const auto conversion = convert(smf::file(1, 480, {settings, notes}));
    QVERIFY(conversion.ok);
    const auto played = playSong(conversion.text).notes;
    QCOMPARE(played.size(), std::size_t(1));
    QCOMPARE(played[0].volume, expected);
}

void TestMid2snr::volumeChangesBetweenNotes()
{
    smf::Track track;
    track.noteOn(0, 0, 60, 127).noteOff(96, 0, 60).control(0, 0, 7, 127);
    track.noteOn(0, 0, 62, 127).noteOff(96, 0, 62).control(0, 0, 11, 64);
    track.noteOn(0, 0, 64, 127).noteOff(96, 0, 64).end();
    const auto conversion = convert(smf::file(0, 96, {track}));
    QVERIFY(conversion.ok);
    const auto notes = playSong(conversion.text).notes;
    QCOMPARE(notes.size(), std::size_t(3));
    QCOMPARE(notes[0].volume, 100);
    QCOMPARE(notes[1].volume, 127);
    QCOMPARE(notes[2].volume, 64);
}

void TestMid2snr::title_data()
{
    QTest::addColumn<QByteArray>("trackName"); // empty: no name meta
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("track name") << QByteArray("Little tune") << QByteArray("a.mid")
                                << QByteArray("Little tune");
    QTest::newRow("no name") << QByteArray() << QByteArray("My Song.MID")
                             << QByteArray("My Song.MID");
    QTest::newRow("blank name") << QByteArray("   ") << QByteArray("x.mid") << QByteArray("x.mid");
    QTest::newRow("quote in name")
        << QByteArray("Say \"hi\"") << QByteArray("a.mid") << QByteArray("Say 'hi'");
    QTest::newRow("quote in file name")
        << QByteArray() << QByteArray("\"q\".mid") << QByteArray("'q'.mid");
    QTest::newRow("line break in name")
        << QByteArray("one\r\ntwo") << QByteArray("a.mid") << QByteArray("one  two");
    QTest::newRow("Shift-JIS bytes kept")
        << QByteArray("\x83\x65\x83\x58\x83\x67") << QByteArray("a.mid")
        << QByteArray("\x83\x65\x83\x58\x83\x67");
}

void TestMid2snr::title()
{
    QFETCH(QByteArray, trackName);
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, title);
    smf::Track first, second;
    if (!trackName.isEmpty())
        first.name(0, trackName.toStdString());
    first.tempo(0, 500000).end();
    second.name(0, "second track").noteOn(0, 0, 60, 100).noteOff(96, 0, 60).end();
    const auto conversion = convert(smf::file(1, 96, {first, second}), fileName.toStdString());
    QVERIFY(conversion.ok);
    const std::string firstLine = conversion.text.substr(0, conversion.text.find("\r\n"));
    QCOMPARE(QByteArray::fromStdString(firstLine), "*HEAD\"" + title + "\"");
    const PlayedSong played = playSong(conversion.text);
    QVERIFY(played.hasTitle);
    QCOMPARE(QByteArray::fromStdString(played.title), title);
}

void TestMid2snr::linesEndWithCrLf()
{
    const auto conversion = convert(writeMidi(allChannels()));
    QVERIFY(conversion.ok);
    const std::string &text = conversion.text;
    QVERIFY(text.ends_with("\r\n"));
    int lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            QVERIFY(i > 0 && text[i - 1] == '\r');
            ++lines;
        } else if (text[i] == '\r') {
            QVERIFY(i + 1 < text.size() && text[i + 1] == '\n');
        }
    }
    QVERIFY(lines > 20);
}

void TestMid2snr::tooManyNotesStayWithinTrackLimit()
{
    RefSong song;
    song.format = 0;
    for (int i = 0; i < 300; ++i) // 300 notes sounding together on channel 1
        song.notes.push_back({0, 0, i % 128, std::uint32_t(i), 2000});
    for (int channel = 1; channel < 16; ++channel)
        song.notes.push_back({0, channel, 60, 0, 100});
    const auto conversion = convert(writeMidi(song));
    QVERIFY(conversion.ok);
    QVERIFY(!conversion.warnings.empty());
    const auto names = playSong(conversion.text).tracks;
    QCOMPARE(names.size(), std::size_t(256));
    for (char letter = 'B'; letter <= 'Q'; ++letter)
        QVERIFY(names.contains(std::string(1, letter)));
}

void TestMid2snr::fastTempoIsClampedWithWarning()
{
    smf::Track track;
    track.tempo(0, 30000).noteOn(0, 0, 60, 100).noteOff(480, 0, 60).end(); // 2000 bpm
    const auto conversion = convert(smf::file(0, 480, {track}));
    QVERIFY(conversion.ok);
    QCOMPARE(conversion.warnings.size(), std::size_t(1));
    QCOMPARE(playSong(conversion.text).startBpm, 1000.0);
}

void TestMid2snr::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    smf::Track good;
    good.noteOn(0, 0, 60, 100).noteOff(96, 0, 60).end();
    const std::string valid = smf::file(0, 96, {good});
    auto bad = [](const std::string &s) { return QByteArray::fromStdString(s); };

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("*HEAD\"not midi\"\r\nA: c d e\r\n");
    QTest::newRow("RIFF MIDI") << QByteArray("RIFF\x10\0\0\0RMIDdata", 16);
    QTest::newRow("truncated header") << bad(valid.substr(0, 10));
    QTest::newRow("truncated track") << bad(valid.substr(0, valid.size() - 3));
    QTest::newRow("more tracks claimed") << bad(smf::file(1, 96, {good}, 3));
    QTest::newRow("zero tracks") << bad(smf::file(1, 96, {}, 0));
    QTest::newRow("format 3") << bad(smf::file(3, 96, {good}));
    QTest::newRow("division 0") << bad(smf::file(0, 0, {good}));
    QTest::newRow("SMPTE 23 fps") << bad(smf::file(0, smf::smpteDivision(23, 40), {good}));
    QTest::newRow("SMPTE 0 per frame") << bad(smf::file(0, smf::smpteDivision(25, 0), {good}));

    std::string longChunk = valid;
    longChunk[21] = '\x7F'; // track length far beyond the file
    QTest::newRow("track length beyond file") << bad(longChunk);

    smf::Track noStatus;
    noStatus.raw(bytesOf("\x00\x3C\x40", 3)).end();
    QTest::newRow("data byte without status") << bad(smf::file(0, 96, {noStatus}));

    smf::Track longDelta;
    longDelta.raw(bytesOf("\x81\x80\x80\x80\x00\x90\x3C\x40", 8)).end();
    QTest::newRow("five-byte delta") << bad(smf::file(0, 96, {longDelta}));

    smf::Track absurd;
    for (int i = 0; i < 20; ++i)
        absurd.control(0x0FFFFFFF, 0, 7, 100);
    absurd.end();
    QTest::newRow("absurd delta times") << bad(smf::file(0, 96, {absurd}));

    smf::Track longNote;
    longNote.tempo(0, 0xFFFFFF).noteOn(0, 0, 60, 100).noteOff(0x0FFFFFFF, 0, 60).end();
    QTest::newRow("note of a year") << bad(smf::file(0, 1, {longNote}));

    smf::Track badMeta;
    badMeta.raw(bytesOf("\x00\xFF\x03\x7F"
                        "abc",
                        7));
    QTest::newRow("meta longer than track") << bad(smf::file(0, 96, {badMeta}));

    smf::Track badSysex;
    badSysex.raw(bytesOf("\x00\xF0\x8F\xFF\xFF\x7F", 6));
    QTest::newRow("SysEx longer than track") << bad(smf::file(0, 96, {badSysex}));

    smf::Track realtime;
    realtime.raw(bytesOf("\x00\xF8", 2)).end();
    QTest::newRow("realtime byte in track") << bad(smf::file(0, 96, {realtime}));

    smf::Track cut;
    cut.raw(bytesOf("\x00\x90\x3C", 3));
    QTest::newRow("event cut by track end") << bad(smf::file(0, 96, {cut}));
}

void TestMid2snr::badInput()
{
    QFETCH(QByteArray, bytes);
    const auto conversion = convert(bytes.toStdString());
    QVERIFY(!conversion.ok);
    QVERIFY(!conversion.error.empty());
    QVERIFY(conversion.error.find('\n') == std::string::npos);
    QVERIFY(conversion.text.empty());
}

void TestMid2snr::outputFileName_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("plain") << "/music/song.mid"
                           << "song.snr";
    QTest::newRow("upper case") << "X.MID"
                                << "X.snr";
    QTest::newRow("dots in name") << "/a.b/c.d.mid"
                                  << "c.d.snr";
    QTest::newRow("no extension") << "/tmp/tune"
                                  << "tune.snr";
    QTest::newRow("blank in name") << "/x/My Song.mid"
                                   << "My Song.snr";
}

void TestMid2snr::outputFileName()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(QString::fromStdString(mid2snr::outputFileName(input.toStdString())), output);
}

QTEST_APPLESS_MAIN(TestMid2snr)
#include "tst_mid2snr.moc"
