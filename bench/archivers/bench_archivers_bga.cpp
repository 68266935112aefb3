// GZA and BZA extraction by the BGA library against gzip and bzip2 decompressing the same
// file, in the same run. Uses the library beside this program and the tools on PATH.
#include "archive/ArchiverApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <dlfcn.h>

namespace
{

constexpr int kRounds = 3;
constexpr int kMiB = 8;

// Milliseconds per round of `work`, which says whether it succeeded.
template <typename F> double timed(F &&work)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kRounds; ++i) {
        if (!work())
            return -1;
    }
    return double(t.nsecsElapsed()) / 1e6 / kRounds;
}

bool runTool(const QString &program, const QStringList &args, const QString &outputFile = {})
{
    QProcess p;
    if (!outputFile.isEmpty())
        p.setStandardOutputFile(outputFile);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray quoted(const QString &path)
{
    return '"' + QFile::encodeName(path) + '"';
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString lib = QCoreApplication::applicationDirPath() + "/libbga32.so";
    void *handle = ::dlopen(QFile::encodeName(lib).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(lib));
        return 1;
    }
    auto bga = reinterpret_cast<ArcCommandFn>(::dlsym(handle, "Bga"));
    QTemporaryDir dir;
    QByteArray song = "*HEAD\"bench\"\r\n";
    while (song.size() < kMiB * 1024 * 1024)
        song += "o4 l8 c d e f g a b > c < r4 " + QByteArray::number(song.size() % 977) + "\r\n";
    QFile s(dir.filePath("song.snr"));
    if (!s.open(QIODevice::WriteOnly) || s.write(song) < 0)
        return 1;
    s.close();

    const struct {
        const char *name;
        const char *tool;
        const char *suffix;
    } kinds[] = {{"gza", "gzip", ".gz"}, {"bza", "bzip2", ".bz2"}};
    for (const auto &kind : kinds) {
        const QString tool = QStandardPaths::findExecutable(kind.tool);
        if (tool.isEmpty()) {
            std::printf("bga_%s_extract: skipped (no %s)\n", kind.name, kind.tool);
            continue;
        }
        const QString archive = dir.filePath(QString("song.") + kind.name);
        const QByteArray pack =
            "a -n -j -l9  " + quoted(archive) + ' ' + quoted(dir.path() + '\\') + " \"song.snr\" ";
        const QString compressed = dir.filePath(QString("song.snr") + kind.suffix);
        if (bga(0, pack.constData(), nullptr, 0) != 0 ||
            !runTool(tool, {"-9", "-c", dir.filePath("song.snr")}, compressed))
            return 1;
        const QString out = dir.filePath(QString("out-") + kind.name);
        const QByteArray unpack = "x -o -j  " + quoted(archive) + ' ' + quoted(out + '\\') + ' ';
        const double library = timed([&] { return bga(0, unpack.constData(), nullptr, 0) == 0; });
        const double peer = timed([&] {
            return runTool(tool, {"-d", "-c", compressed}, dir.filePath("peer.snr"));
        });
        if (library < 0 || peer < 0)
            return 1;
        std::printf("bga_%s_extract_%dmib: %.1f ms\n", kind.name, kMiB, library);
        std::printf("%s_decompress_%dmib: %.1f ms\n", kind.tool, kMiB, peer);
        std::printf("bga_%s_vs_%s_ratio: %.2f x\n", kind.name, kind.tool, library / peer);
        std::printf("bga_%s_size_vs_%s_ratio: %.3f x\n", kind.name, kind.tool,
                    double(QFile(archive).size()) / double(QFile(compressed).size()));
    }
    return 0;
}
