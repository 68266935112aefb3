// Speed of the LHA library on the jukebox's work: taking one data file out of an archive, and
// listing an archive of many members; LZH packing beside gzip -6. Uses the libraries beside this
// program.
#include "tests/support/ArchiveWriters.h"

#include "bench/archivers/CabPackBench.h"

#include "archive/ArchiverApi.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <dlfcn.h>

namespace
{

// An LZH archive of `count` small stored members with level-0 headers.
QByteArray manyMembers(int count)
{
    QList<tunelet::testkit::archives::Member> members;
    for (int i = 0; i < count; ++i)
        members.append(
            {"dir/member" + QByteArray::number(i) + (i % 2 ? ".snr" : ".txt"), "*HEAD\"x\"\r\n"});
    return tunelet::testkit::archives::lzhLevel0(members);
}

// Packing speed and ratio of the LHA library (-lh5-) beside gzip -6 on the same files in the
// same run: a song-like text and a text of random words, 2 MiB each.
void benchLzhPacking(ArcCommandFn unlha, const QTemporaryDir &dir)
{
    const QString base = dir.filePath("pack");
    QDir().mkpath(base);
    QByteArray song = "*HEAD\"bench\"\r\n";
    while (song.size() < 2 * 1024 * 1024)
        song += "o4 l8 c d e f g a b > c < r4 " + QByteArray::number(song.size() % 977) + "\r\n";
    QByteArray words;
    QRandomGenerator rng(5);
    const char *const pieces[] = {"do ", "re ", "mi ",  "fa ",   "so ",
                                  "la ", "ti ", "\r\n", "*HEAD "};
    while (words.size() < 2 * 1024 * 1024)
        words += pieces[rng.bounded(9)];
    const QList<QPair<QString, QByteArray>> files{{"song.snr", song}, {"words.txt", words}};
    qint64 original = 0;
    for (const auto &[name, data] : files) {
        QFile f(base + "/" + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) < 0)
            return;
        original += data.size();
    }
    const double mib = double(original) / (1024.0 * 1024.0);
    const QString archive = dir.filePath("packed.lzh");
    const QByteArray line = "a -+  \"" + archive.toLocal8Bit() + "\" \"" + base.toLocal8Bit() +
                            "\\\" \"song.snr\" \"words.txt\" ";
    QElapsedTimer t;
    t.start();
    if (unlha(0, line.constData(), nullptr, 0) != 0) {
        std::printf("lzh_pack_lh5: failed\n");
        return;
    }
    const double lzhMs = t.nsecsElapsed() / 1e6;
    const double lzhRatio = double(QFileInfo(archive).size()) / double(original);
    std::printf("lzh_pack_lh5_rate: %.1f MiB/s\n", mib / (lzhMs / 1000.0));
    std::printf("lzh_pack_lh5_ratio: %.3f packed/original\n", lzhRatio);
    const QString gzip = QStandardPaths::findExecutable("gzip");
    if (gzip.isEmpty()) {
        std::printf("gzip6_pack: skipped (no gzip)\n");
        return;
    }
    qint64 gzipBytes = 0;
    t.restart();
    for (const auto &[name, data] : files) {
        QProcess p;
        p.start(gzip, {"-6", "-n", "-c", base + "/" + name});
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            return;
        gzipBytes += p.readAllStandardOutput().size();
    }
    const double gzipMs = t.nsecsElapsed() / 1e6;
    std::printf("gzip6_pack_rate: %.1f MiB/s\n", mib / (gzipMs / 1000.0));
    std::printf("gzip6_pack_ratio: %.3f packed/original\n", double(gzipBytes) / double(original));
    std::printf("lzh_pack_time_vs_gzip6: %.2f x\n", lzhMs / gzipMs);
    std::printf("lzh_pack_size_vs_gzip6: %.3f x\n",
                lzhRatio * double(original) / double(gzipBytes));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString lib = QCoreApplication::applicationDirPath() + "/libunlha32.so";
    void *handle = ::dlopen(lib.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(lib));
        return 1;
    }
    auto unlha = reinterpret_cast<ArcCommandFn>(::dlsym(handle, "Unlha"));
    auto open = reinterpret_cast<ArcOpenArchiveFn>(::dlsym(handle, "UnlhaOpenArchive"));
    auto first = reinterpret_cast<ArcFindFirstFn>(::dlsym(handle, "UnlhaFindFirst"));
    auto next = reinterpret_cast<ArcFindNextFn>(::dlsym(handle, "UnlhaFindNext"));
    auto close = reinterpret_cast<ArcCloseArchiveFn>(::dlsym(handle, "UnlhaCloseArchive"));
    QTemporaryDir dir;

    const QString many = dir.filePath("many.lzh");
    QFile f(many);
    if (!f.open(QIODevice::WriteOnly) || f.write(manyMembers(10000)) < 0)
        return 1;
    f.close();
    QElapsedTimer t;
    t.start();
    int found = 0;
    const ArcHandle h = open(0, many.toLocal8Bit().constData(), 0);
    ArcEntryInfo info{};
    for (int rc = first(h, "*.snr", &info); rc == 0; rc = next(h, &info))
        ++found;
    close(h);
    std::printf("lha_list_10000_members: %.1f ms (%d matched)\n", t.nsecsElapsed() / 1e6, found);
    if (!benchCabPacking())
        return 1;
    benchLzhPacking(unlha, dir);

    const QString lha = QStandardPaths::findExecutable("jlha");
    if (lha.isEmpty()) {
        std::printf("lha_extract_lh5: skipped (no lha tool)\n");
        return 0;
    }
    QByteArray song = "*HEAD\"bench\"\r\n";
    while (song.size() < 2 * 1024 * 1024)
        song += "o4 l8 c d e f g a b > c < r4 " + QByteArray::number(song.size() % 977) + "\r\n";
    QFile s(dir.filePath("song.snr"));
    if (!s.open(QIODevice::WriteOnly) || s.write(song) < 0)
        return 1;
    s.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(lha, {"ao5", "song.lzh", "song.snr"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return 1;
    const QByteArray line = "x -+ -n1  \"" + dir.filePath("song.lzh").toLocal8Bit() + "\" \"" +
                            dir.filePath("out").toLocal8Bit() +
                            "\\\" \"*.SNR\" \"*.snr\" \"*.Snr\" ";
    constexpr int rounds = 10;
    t.restart();
    for (int i = 0; i < rounds; ++i) {
        if (unlha(0, line.constData(), nullptr, 0) != 0)
            return 1;
    }
    const double ms = t.nsecsElapsed() / 1e6 / rounds;
    std::printf("lha_extract_lh5_2mib: %.1f ms\n", ms);
    std::printf("lha_extract_lh5_rate: %.1f MiB/s\n", 2.0 / (ms / 1000.0));
    return 0;
}
