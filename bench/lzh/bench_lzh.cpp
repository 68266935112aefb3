// Adding 1,000 archive rows with LzhHEAD on through the main window's add
// command (each row takes the archive's data file out into the work file and
// reads its title), against bsdtar writing the same member to its standard
// output, one process per archive, in the same run. Then the bound of what one
// library call takes out: how long the window is held by an archive whose data
// file is just within it, by one just beyond it (refused), and by the content
// probe of the first.
//
// Usage: bench_lzh [count]   (needs lha and bsdtar on PATH; the LHA library
// is found beside this program, in <build>/bin)
#include "tests/support/WindowFixture.h"

#include "archive/ARCHIVES.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

namespace
{

const QByteArray Title = "Benchmark song";
const QByteArray Member = "music/song.snr";

// One archive made by lha with a data file in a sub-folder and a text file,
// copied count times.
QByteArrayList makeArchives(const tunelet::testkit::WindowFixture &fixture, int count)
{
    QByteArray song = "*HEAD\"" + Title + "\"\r\n*TEMPO 120\r\n";
    for (int bar = 0; bar < 200; ++bar)
        song += "A: @3 v100 o4 l8 c d e f g a b > c <\r\n";
    const QByteArray first = fixture.makeLzh("a0.lzh", {{Member, song}, {"readme.txt", "notes"}});
    if (first.isEmpty())
        return {};
    QByteArrayList archives{first};
    for (int i = 1; i < count; ++i) {
        const QByteArray copy = fixture.outsideRoot() + "a" + QByteArray::number(i) + ".lzh";
        if (!QFile::copy(QFile::decodeName(first), QFile::decodeName(copy)))
            return {};
        archives.append(copy);
    }
    return archives;
}

void print(const char *name, double value, const char *unit)
{
    std::printf("%s: %.3f %s\n", name, value, unit);
}

// An archive made by lha from one data file: a title line, then zero bytes up to `size`.
// The zeros are a sparse file, so making it costs no disk space.
QByteArray makeZeroArchive(const QByteArray &folder, const QString &name, qint64 size)
{
    const QString source = QFile::decodeName(folder) + "zeros-" + name;
    QDir().mkpath(source);
    QFile song(source + "/zeros.snr");
    if (!song.open(QIODevice::WriteOnly) || song.write("*HEAD\"Zeros\"\r\n") < 0 ||
        !song.resize(size))
        return {};
    song.close();
    const QString archive = QFile::decodeName(folder) + name;
    QProcess lha;
    lha.setWorkingDirectory(source);
    lha.start(QStringLiteral("jlha"), {"aq", archive, "zeros.snr"});
    const bool made = lha.waitForFinished(120000) && lha.exitCode() == 0;
    QDir(source).removeRecursively();
    return made ? QFile::encodeName(archive) : QByteArray();
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Adds one archive row through the add command; the time the command took.
double addRow(TForm1 &form, tunelet::testkit::ScriptedDialogs &dialogs, const QByteArray &archive)
{
    dialogs.chooseFiles({archive});
    QElapsedTimer timer;
    timer.start();
    tunelet::testkit::action(form, "MMAdd")->trigger();
    return msSince(timer);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    if (QStandardPaths::findExecutable(QStringLiteral("jlha")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("bsdtar")).isEmpty()) {
        std::fprintf(stderr, "bench_lzh: lha and bsdtar are needed\n");
        return 1;
    }
    tunelet::testkit::WindowFixture fixture;
    const QByteArrayList archives = makeArchives(fixture, count);
    if (archives.size() != count) {
        std::fprintf(stderr, "bench_lzh: could not make the archives\n");
        return 1;
    }
    TForm1 &form = fixture.start();
    tunelet::testkit::ScriptedDialogs &dialogs = fixture.dialogs();
    tunelet::testkit::action(form, "MMLzhHEAD")->setChecked(true);

    dialogs.chooseFiles(archives);
    QElapsedTimer timer;
    timer.start();
    tunelet::testkit::action(form, "MMAdd")->trigger();
    const double tuneletMs = double(timer.nsecsElapsed()) / 1e6;
    const tunelet::PlaylistModel &rows = form.Playlist();
    int titled = 0;
    for (int row = 0; row < rows.count(); ++row)
        titled += rows.caption(row) == "[LZH] " + Title ? 1 : 0;
    using What = tunelet::testkit::ScriptedDialogs::Shown::What;
    if (titled != count || !dialogs.texts(What::Message).isEmpty() ||
        !dialogs.texts(What::Error).isEmpty()) {
        std::fprintf(stderr, "bench_lzh: %d of %d rows got their title\n", titled, count);
        return 1;
    }

    timer.restart();
    for (const QByteArray &archive : archives) {
        QProcess bsdtar;
        bsdtar.start(QStringLiteral("bsdtar"),
                     {"-xOf", QFile::decodeName(archive), QFile::decodeName(Member)});
        if (!bsdtar.waitForFinished(60000) || bsdtar.exitCode() != 0 ||
            !bsdtar.readAllStandardOutput().startsWith("*HEAD\"" + Title)) {
            std::fprintf(stderr, "bench_lzh: bsdtar failed on %s\n", archive.constData());
            return 1;
        }
    }
    const double bsdtarMs = double(timer.nsecsElapsed()) / 1e6;

    print("lzh_rows_added", count, "rows");
    print("lzh_add_rows_total", tuneletMs, "ms");
    print("lzh_add_row_per_archive", tuneletMs / count, "ms");
    print("bsdtar_extract_per_archive", bsdtarMs / count, "ms");
    print("lzh_add_vs_bsdtar_ratio", tuneletMs / bsdtarMs, "x (target <= 2)");

    // The bound: 64 MiB of member data in one library call.
    const qint64 mebibyte = 1024 * 1024;
    const QByteArray within = makeZeroArchive(fixture.outsideRoot(), "within.lzh", 60 * mebibyte);
    const QByteArray beyond = makeZeroArchive(fixture.outsideRoot(), "beyond.lzh", 66 * mebibyte);
    if (within.isEmpty() || beyond.isEmpty()) {
        std::fprintf(stderr, "bench_lzh: could not make the zero archives\n");
        return 1;
    }
    const double withinMs = addRow(form, dialogs, within);
    const bool withinTitled = rows.caption(rows.count() - 1) == "[LZH] Zeros";
    const double beyondMs = addRow(form, dialogs, beyond);
    const bool beyondRefused = rows.caption(rows.count() - 1) == "[LZH] beyond.lzh" &&
                               dialogs.texts(What::Message).size() == 1;
    QElapsedTimer timer2;
    timer2.start();
    QProcess bsdtar;
    bsdtar.setStandardOutputFile(QProcess::nullDevice());
    bsdtar.start(QStringLiteral("bsdtar"), {"-xOf", QFile::decodeName(within), "zeros.snr"});
    const bool bsdtarDone = bsdtar.waitForFinished(120000) && bsdtar.exitCode() == 0;
    const double bsdtarWithinMs = msSince(timer2);
    const QByteArray probed = fixture.outsideRoot() + "within.dat";
    QFile::copy(QFile::decodeName(within), QFile::decodeName(probed));
    timer2.restart();
    const TArchiverType type = DetectArchiverType(probed, false);
    const double probeMs = msSince(timer2);
    if (!withinTitled || !beyondRefused || !bsdtarDone || type != TArchiverType::atLha) {
        std::fprintf(stderr, "bench_lzh: the bound cases did not end as expected\n");
        return 1;
    }
    print("lzh_bound", 64, "MiB per library call");
    print("lzh_add_row_60MiB_data_file", withinMs, "ms (the window is held that long)");
    print("bsdtar_extract_60MiB_data_file", bsdtarWithinMs, "ms");
    print("lzh_add_row_60MiB_vs_bsdtar_ratio", withinMs / bsdtarWithinMs, "x");
    print("lzh_add_row_66MiB_refused", beyondMs, "ms");
    print("lzh_content_probe_60MiB_data_file", probeMs, "ms");
    return 0;
}
