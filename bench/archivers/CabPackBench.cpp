#include "bench/archivers/CabPackBench.h"

#include "archive/ArchiverApi.h"

#include <QCoreApplication>
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

// Song text (compresses well) and noise (does not), as a jukebox folder would hold them.
QList<QPair<QString, QByteArray>> benchFiles()
{
    QList<QPair<QString, QByteArray>> files;
    QRandomGenerator generator(4);
    for (int i = 0; i < 8; ++i) {
        QByteArray song = "*HEAD\"bench " + QByteArray::number(i) + "\"\r\n";
        while (song.size() < 2 * 1024 * 1024)
            song += "o4 l8 c d e f g a b > c < r4 " + QByteArray::number(generator.bounded(1000)) +
                    "\r\n";
        files.append({QString("song%1.snr").arg(i), song});
    }
    QByteArray noise(4 * 1024 * 1024, '\0');
    for (char &c : noise)
        c = char(generator.bounded(256));
    files.append({"noise.bin", noise});
    return files;
}

double mebibytesPerSecond(qint64 bytes, qint64 nanoseconds)
{
    return (double(bytes) / (1024.0 * 1024.0)) / (double(nanoseconds) / 1e9);
}

} // namespace

bool benchCabPacking()
{
    const QString lib = QCoreApplication::applicationDirPath() + "/libcab32.so";
    void *handle = ::dlopen(lib.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(lib));
        return false;
    }
    auto cab = reinterpret_cast<ArcCommandFn>(::dlsym(handle, "Cab"));
    QTemporaryDir dir;
    qint64 total = 0;
    QStringList names;
    for (const auto &[name, content] : benchFiles()) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return false;
        total += content.size();
        names << name;
    }

    const QString ours = dir.filePath("ours.cab");
    QByteArray line = "-a  \"" + QFile::encodeName(ours) + "\" \"" + QFile::encodeName(dir.path()) +
                      "\\\" \"*.snr\" \"*.bin\" ";
    QElapsedTimer t;
    t.start();
    if (cab(0, line.constData(), nullptr, 0) != 0)
        return false;
    const qint64 ourTime = t.nsecsElapsed();
    const qint64 ourSize = QFileInfo(ours).size();
    const double ourSpeed = mebibytesPerSecond(total, ourTime);
    std::printf("cab_pack_speed: %.1f MiB/s\n", ourSpeed);
    std::printf("cab_pack_size_ratio: %.4f compressed/original\n", double(ourSize) / total);

    const QString gcab = QStandardPaths::findExecutable("gcab");
    if (gcab.isEmpty()) {
        std::printf("gcab_pack: skipped (no gcab tool)\n");
        return true;
    }
    QProcess p;
    p.setWorkingDirectory(dir.path());
    t.restart();
    p.start(gcab, QStringList{"-c", "-z", "theirs.cab"} + names);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return false;
    const qint64 theirTime = t.nsecsElapsed();
    const qint64 theirSize = QFileInfo(dir.filePath("theirs.cab")).size();
    const double theirSpeed = mebibytesPerSecond(total, theirTime);
    std::printf("gcab_pack_speed: %.1f MiB/s\n", theirSpeed);
    std::printf("gcab_pack_size_ratio: %.4f compressed/original\n", double(theirSize) / total);
    std::printf("cab_pack_speed_vs_gcab: %.2f ratio\n", ourSpeed / theirSpeed);
    std::printf("cab_pack_size_vs_gcab: %.3f ratio\n", double(ourSize) / theirSize);
    return true;
}
