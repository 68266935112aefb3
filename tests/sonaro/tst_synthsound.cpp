// The synthesiser's sound, measured on rendered samples: voices free of aliasing, an
// output stage that leaves one voice unbent and many voices unclipped, loudness that
// does not depend on how many voices play, and no clicks where notes start and end,
// at a seek or at a pause.

#include "tools/sonaro/songdata/Envelope.h"
#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/Synth.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <vector>

namespace
{

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// The left channel of a song from `fromFrame` on, `frames` long, scaled to ±1.
std::vector<double> renderLeft(const std::string &text, std::int64_t fromFrame, int frames)
{
    const songdata::Song song = songdata::parseSong(text);
    songdata::Synth synth(song, kRate);
    synth.seek(0);
    std::vector<std::int16_t> stereo(2 * std::size_t(fromFrame + frames));
    synth.render(stereo.data(), int(fromFrame + frames));
    std::vector<double> left(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        left[std::size_t(i)] = stereo[2 * std::size_t(fromFrame + i)] / 32768.0;
    return left;
}

void fft(std::vector<std::complex<double>> &a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * kPi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Magnitude spectrum in dB under a Blackman-Harris window (side lobes below -92 dB).
std::vector<double> spectrumDb(const std::vector<double> &x)
{
    const std::size_t n = x.size();
    std::vector<std::complex<double>> a(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2 * kPi * double(i) / double(n);
        const double w =
            0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        a[i] = x[i] * w;
    }
    fft(a);
    std::vector<double> db(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i)
        db[i] = 20 * std::log10(std::abs(a[i]) + 1e-12);
    return db;
}

struct PeakCount {
    int harmonic = 0;
    int other = 0;
};

// Peaks within `range` dB of the strongest, sorted into harmonics of `hz` and others.
PeakCount countPeaks(const std::vector<double> &db, double hz, double range)
{
    const double binHz = kRate / 2.0 / double(db.size());
    const double top = *std::max_element(db.begin(), db.end());
    PeakCount count;
    for (std::size_t i = 2; i + 2 < db.size(); ++i) {
        if (db[i] < top - range || db[i] < db[i - 1] || db[i] < db[i + 1])
            continue;
        const double f = double(i) * binHz;
        const double k = std::round(f / hz);
        (k >= 1 && std::abs(f - k * hz) <= 5 * binHz ? count.harmonic : count.other)++;
    }
    return count;
}

// Share of the signal that is not a sine of `hz` (total harmonic distortion and noise).
double distortionAndNoise(const std::vector<double> &x, double hz)
{
    // Least squares of sine, cosine and offset over whole periods.
    double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0, mean = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double s = std::sin(2 * kPi * hz * double(i) / kRate);
        const double c = std::cos(2 * kPi * hz * double(i) / kRate);
        ss += s * s, sc += s * c, cc += c * c, xs += x[i] * s, xc += x[i] * c, mean += x[i];
    }
    mean /= double(x.size());
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    double signal = 0, residual = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double fit = a * std::sin(2 * kPi * hz * double(i) / kRate) +
                           b * std::cos(2 * kPi * hz * double(i) / kRate) + mean;
        signal += fit * fit;
        residual += (x[i] - fit) * (x[i] - fit);
    }
    return std::sqrt(residual / signal);
}

double largestStep(const std::vector<double> &x, std::size_t from, std::size_t to)
{
    double step = 0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < std::min(to, x.size()); ++i)
        step = std::max(step, std::abs(x[i] - x[i - 1]));
    return step;
}

} // namespace

class TestSynthSound final : public QObject
{
    Q_OBJECT

private slots:
    void voicesAreBandLimited_data();
    void voicesAreBandLimited();
    void oneVoicePassesUnbent();
    void manyVoicesAreLimitedNotClipped();
    void loudnessDoesNotFollowTheVoiceCount();
    void envelopeShapesTheNote();
    void envelopeLevelsDoNotDependOnTheBlocks();
    void noClicksAtNotesSeeksAndPauses();
};

void TestSynthSound::voicesAreBandLimited_data()
{
    QTest::addColumn<int>("waveform");
    QTest::addColumn<int>("harmonics"); // below the Nyquist frequency
    QTest::newRow("square") << 0 << 3;
    QTest::newRow("triangle") << 1 << 3; // the 5th at -28 dB
    QTest::newRow("sawtooth") << 2 << 6;
    QTest::newRow("pulse") << 5 << 5; // every fourth harmonic is missing
}

void TestSynthSound::voicesAreBandLimited()
{
    QFETCH(int, waveform);
    QFETCH(int, harmonics);
    // A7, 3,520 Hz: with a plain waveform its folded harmonics reach -17 dB.
    const std::string song = "*TEMPO 60\nA: q8 v127 @" + std::to_string(waveform) + " o7 a1\n";
    const PeakCount peaks = countPeaks(spectrumDb(renderLeft(song, kRate, 16384)), 3520.0, 60.0);
    QCOMPARE(peaks.other, 0);
    QCOMPARE(peaks.harmonic, harmonics);
}

void TestSynthSound::oneVoicePassesUnbent()
{
    // A sine at full volume with a flat envelope: one second of whole periods.
    const auto x = renderLeft("*TEMPO 60\nA: q8 v127 @3 s5,0,100,5 o4 a1\n", kRate, kRate);
    const double thdn = distortionAndNoise(x, 440.0);
    QVERIFY2(thdn < 0.0005, qPrintable(QString::number(thdn * 100) + " %"));
}

void TestSynthSound::manyVoicesAreLimitedNotClipped()
{
    std::string song = "*TEMPO 60\n";
    for (int v = 0; v < 16; ++v)
        song += "A" + std::to_string(v) + ": q8 v127 @0 o4 a1\n";
    const auto x = renderLeft(song, 0, 2 * kRate);
    const double peak = std::abs(*std::max_element(
        x.begin(), x.end(), [](double a, double b) { return std::abs(a) < std::abs(b); }));
    QVERIFY2(peak < std::pow(10.0, -1.0 / 20), qPrintable(QString::number(peak)));
    QVERIFY(peak > 0.5); // limited, not silenced
}

void TestSynthSound::loudnessDoesNotFollowTheVoiceCount()
{
    const auto rms = [](const std::vector<double> &x) {
        double sum = 0;
        for (const double v : x)
            sum += v * v;
        return std::sqrt(sum / double(x.size()));
    };
    const auto one = renderLeft("*TEMPO 60\nA: q8 v127 @2 s5,0,100,5 o4 c1\n", kRate / 2, kRate);
    std::string song = "*TEMPO 60\n";
    for (int v = 0; v < 8; ++v)
        song += "A" + std::to_string(v) + ": q8 v127 @2 s5,0,100,5 n" + std::to_string(48 + 5 * v) +
                ",1\n";
    const auto eight = renderLeft(song, kRate / 2, kRate);
    const double difference = 20 * std::log10(rms(eight) / rms(one));
    QVERIFY2(std::abs(difference) < 2.0, qPrintable(QString::number(difference) + " dB"));
}

void TestSynthSound::envelopeShapesTheNote()
{
    // A plucked note: no sustain, so it has all but died away after its decay.
    const auto x = renderLeft("*TEMPO 60\nA: q8 v127 @3 s2,500,0,50 o4 a1\n", 0, 2 * kRate);
    const double early = largestStep(x, 0, kRate / 10);
    const double late = largestStep(x, kRate, kRate + kRate / 10);
    QVERIFY2(late < early / 100, qPrintable(QString::number(late / early)));
}

void TestSynthSound::envelopeLevelsDoNotDependOnTheBlocks()
{
    // Attack 10 ms, decay 50 ms to 40 %, release 20 ms from 0.1 s on.
    const songdata::Envelope shape{10, 50, 40, 20};
    const int releaseAt = kRate / 10;
    const int frames = releaseAt + kRate / 20;
    const auto run = [&](int block) {
        songdata::EnvelopeRun envelope(shape, kRate, releaseAt, kRate);
        std::vector<float> levels(std::size_t(frames) + 255);
        for (int at = 0; at < frames; at += block)
            envelope.fill(levels.data() + at, block);
        levels.resize(std::size_t(frames));
        return levels;
    };
    // The stages frame by frame: a straight rise, a fall by 60 dB over the decay
    // towards the sustain, a fall by 60 dB over the release.
    const auto expected = [&](int frame) {
        const int attack = kRate / 100;
        const auto decayed = [&](int f) {
            return f < attack ? double(f) / attack
                              : 0.4 + 0.6 * std::pow(0.001, double(f - attack) / (kRate / 20));
        };
        return frame < releaseAt
                   ? decayed(frame)
                   : decayed(releaseAt - 1) *
                         std::pow(0.001, double(frame - releaseAt + 1) / (kRate / 50));
    };
    const std::vector<float> whole = run(256);
    for (int i = 0; i < frames; ++i)
        QVERIFY2(std::abs(whole[std::size_t(i)] - expected(i)) <= 1e-4 * expected(i) + 1e-7,
                 qPrintable(QStringLiteral("frame %1: %2 against %3")
                                .arg(i)
                                .arg(whole[std::size_t(i)])
                                .arg(expected(i))));
    for (const int block : {1, 3, 4, 7, 255}) {
        const std::vector<float> parts = run(block);
        for (std::size_t i = 0; i < whole.size(); ++i)
            QVERIFY2(std::abs(parts[i] - whole[i]) <= 1e-5f * whole[i] + 1e-9f,
                     qPrintable(QStringLiteral("block %1, frame %2: %3 against %4")
                                    .arg(block)
                                    .arg(i)
                                    .arg(parts[i])
                                    .arg(whole[i])));
    }
}

void TestSynthSound::noClicksAtNotesSeeksAndPauses()
{
    // Sines click most audibly: their own steps are small.
    const songdata::Song song =
        songdata::parseSong("*TEMPO 60\nA: v127 @3 o4 l4 a r a a q8 a2 r2\nB: v90 @3 o5 e2 r2 e1");
    const auto render = [&song](const std::function<void(songdata::Synth &)> &steer) {
        songdata::Synth synth(song, kRate);
        synth.seek(0);
        std::vector<double> out;
        std::vector<std::int16_t> stereo(2 * 1024);
        while (!synth.atEnd() || out.size() < std::size_t(synth.endFrame() + kRate / 10)) {
            steer(synth);
            synth.render(stereo.data(), 1024);
            for (int i = 0; i < 1024; ++i)
                out.push_back(stereo[2 * std::size_t(i)] / 32768.0);
        }
        return out;
    };
    const auto straight = render([](songdata::Synth &) {});
    // Steps where notes start and end (up to their release) against those elsewhere.
    std::vector<bool> nearEdge(straight.size());
    for (const songdata::Note &n : song.notes) {
        for (const double at : {n.startSeconds, n.endSeconds, n.endSeconds + 0.2}) {
            const auto centre = std::size_t(at * kRate);
            for (std::size_t i = centre > 441 ? centre - 441 : 0;
                 i < std::min(centre + 441, nearEdge.size()); ++i)
                nearEdge[i] = true;
        }
    }
    double edges = 0, music = 0;
    for (std::size_t i = 1; i < straight.size(); ++i)
        (nearEdge[i] ? edges : music) =
            std::max(nearEdge[i] ? edges : music, std::abs(straight[i] - straight[i - 1]));
    // A click would be many times larger; an attack's rise adds a little to a sine's step.
    QVERIFY2(edges <= music * 1.05,
             qPrintable(QStringLiteral("%1 against %2").arg(edges).arg(music)));

    // Seeking forward and back and pausing while notes sound.
    int block = 0;
    const auto steered = render([&block](songdata::Synth &synth) {
        switch (block++) {
        case 20:
            synth.seek(kRate * 5 / 2); // into the half note
            break;
        case 30:
            synth.setPaused(true);
            break;
        case 40:
            synth.setPaused(false);
            break;
        case 50:
            synth.seek(kRate / 2 + 3000); // back, into a rest
            break;
        default:
            break;
        }
    });
    const double steps = largestStep(steered, 0, steered.size());
    QVERIFY2(steps <= music * 1.05,
             qPrintable(QStringLiteral("%1 against %2 in the music").arg(steps).arg(music)));
}

QTEST_APPLESS_MAIN(TestSynthSound)
#include "tst_synthsound.moc"
