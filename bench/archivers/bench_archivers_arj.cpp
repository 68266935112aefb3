// ARJ extraction by libunarj32j.so against Debian's arj program, on the same archive in the
// same run: one song file of 4 MiB, packed by arj with method 1 (its default) and method 4.
#include "archive/ArchiverApi.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <dlfcn.h>

namespace
{

constexpr int kRounds = 5;

QByteArray song(int size)
{
    QByteArray text = "*HEAD\"bench\"\r\n";
    while (text.size() < size)
        text += "o4 l8 c d e f g a b > c < r4 " + QByteArray::number(text.size() % 977) + "\r\n";
    return text;
}

bool run(const QString &program, const QStringList &args, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The best of a few rounds, in milliseconds; negative when a round failed.
template <typename F> double best(F &&round)
{
    double fastest = -1;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!round())
            return -1;
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (fastest < 0 || ms < fastest)
            fastest = ms;
    }
    return fastest;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString lib = QCoreApplication::applicationDirPath() + "/libunarj32j.so";
    void *handle = ::dlopen(QFile::encodeName(lib).constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(lib));
        return 1;
    }
    auto unarj = reinterpret_cast<ArcCommandFn>(::dlsym(handle, "Unarj"));
    const QString arj = QStandardPaths::findExecutable("arj");
    if (arj.isEmpty()) {
        std::printf("arj_extract: skipped (no arj program)\n");
        return 0;
    }
    QTemporaryDir dir;
    QFile s(dir.filePath("song.snr"));
    if (!s.open(QIODevice::WriteOnly) || s.write(song(4 * 1024 * 1024)) < 0)
        return 1;
    s.close();
    for (int method : {1, 4}) {
        const QString archive = dir.filePath(QString("m%1.arj").arg(method));
        if (!run(arj, {"a", QString("-m%1").arg(method), "-y", archive, "song.snr"}, dir.path()))
            return 1;
        const QString out = dir.filePath("lib");
        const QByteArray line = "x -+ -n1  \"" + QFile::encodeName(archive) + "\" \"" +
                                QFile::encodeName(out) + "\\\" ";
        const double library = best([&] { return unarj(0, line.constData(), nullptr, 0) == 0; });
        const QString programOut = dir.filePath("program");
        QDir().mkpath(programOut);
        const double program = best([&] {
            return run(arj, {"x", "-y", archive, programOut + "/"}, dir.path());
        });
        if (library < 0 || program < 0)
            return 1;
        std::printf("arj_extract_m%d_4mib_library: %.1f ms\n", method, library);
        std::printf("arj_extract_m%d_4mib_arj_program: %.1f ms\n", method, program);
        std::printf("arj_extract_m%d_ratio_library_to_arj: %.2f x\n", method, library / program);
    }
    return 0;
}
