// Converts a generated MIDI file of about 1 MB (16 busy channels with chords,
// controller changes and a tempo map), in process and through the built
// program, and prints `name: value unit` lines.
#include "tests/support/SmfWriter.h"
#include "tools/mid2snr/Converter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>

namespace smf = tunelet::testkit::smf;

namespace
{

constexpr std::size_t kTargetBytes = 1u << 20;

std::string busyMidi()
{
    std::mt19937 random(20240601);
    std::vector<smf::Track> tracks;
    smf::Track conductor;
    conductor.name(0, "Benchmark song");
    for (int bar = 0; bar < 2000; ++bar)
        conductor.tempo(bar == 0 ? 0 : 1920, 400000 + 1000 * std::uint32_t(random() % 200));
    conductor.end();
    tracks.push_back(conductor);
    const std::size_t perTrack = kTargetBytes / 16;
    for (int channel = 0; channel < 16; ++channel) {
        smf::Track track(true);
        track.program(0, channel, channel * 8).control(0, channel, 7, 100);
        while (track.bytes().size() < perTrack) {
            const int chord = 1 + int(random() % 3);
            const int root = 36 + int(random() % 48);
            for (int i = 0; i < chord; ++i)
                track.noteOn(0, channel, root + 4 * i, 40 + int(random() % 80));
            const std::uint32_t length = 30 + random() % 200;
            for (int i = 0; i < chord; ++i)
                track.noteOff(i == 0 ? length : 0, channel, root + 4 * i, true);
            if (random() % 8 == 0)
                track.control(0, channel, 11, int(random() % 128));
        }
        track.end();
        tracks.push_back(track);
    }
    return smf::file(1, 480, tracks);
}

double secondsOf(const std::function<void()> &work, int rounds)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::string midi = busyMidi();
    const std::span bytes(reinterpret_cast<const std::uint8_t *>(midi.data()), midi.size());
    std::printf("mid2snr_input_size: %zu bytes\n", midi.size());

    mid2snr::Conversion conversion;
    const double inProcess =
        secondsOf([&] { conversion = mid2snr::convertMidi(bytes, "bench.mid"); }, 5);
    if (!conversion.ok) {
        std::fprintf(stderr, "conversion failed: %s\n", conversion.error.c_str());
        return 1;
    }
    std::printf("mid2snr_convert_1mb: %.4f s\n", inProcess);
    // Processor time as well: the machine may be shared, which stretches wall time.
    const std::clock_t cpuStart = std::clock();
    for (int i = 0; i < 5; ++i)
        conversion = mid2snr::convertMidi(bytes, "bench.mid");
    std::printf("mid2snr_convert_1mb_cpu: %.4f s\n",
                double(std::clock() - cpuStart) / CLOCKS_PER_SEC / 5);
    std::printf("mid2snr_output_size: %zu bytes\n", conversion.text.size());

    QTemporaryDir dir;
    QFile file(dir.filePath("bench.mid"));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(midi.data(), qint64(midi.size())) != qint64(midi.size()))
        return 1;
    file.close();
    int exitCode = -1;
    const double program = secondsOf(
        [&] {
            QProcess process;
            process.setWorkingDirectory(dir.path());
            process.start(QCoreApplication::applicationDirPath() + "/mid2snr", {file.fileName()});
            process.waitForFinished(60000);
            exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        },
        5);
    if (exitCode != 0) {
        std::fprintf(stderr, "mid2snr program failed\n");
        return 1;
    }
    std::printf("mid2snr_program_1mb: %.4f s\n", program);
    return 0;
}
