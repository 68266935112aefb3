// The LHA back-end packing, removing and freshening through the project's real libunlha32.so,
// read back through the archive component.
#include "archive/ARCHIVES.h"
#include "archive/LHA32.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/ByteFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace tunelet::testkit;

namespace
{

constexpr WindowHandle mainWindow = 0x3a00007;
const QByteArray song("#tunelet song\r\n*HEAD\"Packed\"\r\nC D E F G\r\n");

QByteArrayList listing(const QByteArray &archive)
{
    TArchiveFile file;
    file.SetFileName(archive);
    QByteArrayList names = memberNames(file, mainWindow);
    std::sort(names.begin(), names.end());
    return names;
}

// Unpacks every member with the component into `target` and reads one back.
QByteArray unpacked(const QByteArray &archive, const QByteArray &target, const QByteArray &name)
{
    TArchiveFile file;
    file.SetFileName(archive);
    if (file.Unpack(mainWindow, nullptr, target, FileItems{"*"}) != 0)
        return "(not unpacked)";
    return readBytes(target + '/' + name);
}

} // namespace

class ArchiveLzhWriteTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QByteArray bin = qgetenv("TUNELET_BIN_DIR");
        if (bin.isEmpty() || !QFile::exists(QFile::decodeName(bin) + "/libunlha32.so"))
            QSKIP("the archiver libraries are not built");
        useLibraryFolder(bin);
    }

    void packRemoveUpdate()
    {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.filePath("src"));
        QVERIFY(QDir().mkpath(QFile::decodeName(base + "/sub")));
        // Names as bytes, with a quote and a leading dash: one quoting rule end to end.
        const QByteArray odd = "-odd \"name\".snr";
        writeBytes(base + "/song.snr", song);
        writeBytes(base + "/" + odd, "odd");
        writeBytes(base + "/sub/deep.snr", song);
        const QByteArray archive = QFile::encodeName(dir.filePath("packed.lzh"));
        std::unique_ptr<TArchiver> lha(CreateArchiver(TArchiverType::atLha));
        QVERIFY(lha);
        TArchiverOptions options;
        options.r = 1;
        QByteArray output;
        QCOMPARE(lha->Pack(mainWindow, archive, options, base, FileItems{TStringList{"*.snr"}},
                           false, output),
                 0);
        QVERIFY(lha->CommandLine.startsWith("u -+ -r1 "));
        QCOMPARE(listing(archive), (QByteArrayList{odd, "song.snr", "sub/deep.snr"}));
        const QByteArray target = QFile::encodeName(dir.filePath("out"));
        QCOMPARE(unpacked(archive, target, odd), QByteArray("odd"));

        QCOMPARE(
            lha->RemoveItems(mainWindow, archive, options, base, FileItems{odd}, false, output), 0);
        QCOMPARE(listing(archive), (QByteArrayList{"song.snr", "sub/deep.snr"}));

        const QByteArray changed = song + "A B C\r\n";
        writeBytes(base + "/song.snr", changed);
        QFile source(QFile::decodeName(base + "/song.snr"));
        QVERIFY(source.open(QIODevice::ReadWrite));
        QVERIFY(source.setFileTime(QDateTime::currentDateTime().addSecs(120),
                                   QFileDevice::FileModificationTime));
        QCOMPARE(
            lha->Update(mainWindow, archive, options, base, FileItems{"song.snr"}, false, output),
            0);
        QCOMPARE(unpacked(archive, target, "song.snr"), changed);
        QCOMPARE(unpacked(archive, target, "sub/deep.snr"), song);
    }

    void pathsAndLinks()
    {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.filePath("src"));
        QVERIFY(QDir().mkpath(QFile::decodeName(base + "/sub")));
        writeBytes(base + "/sub/deep.snr", song);
        writeBytes(QFile::encodeName(dir.filePath("outside.snr")), "outside");
        QCOMPARE(::symlink("../outside.snr", (base + "/link.snr").constData()), 0);
        QCOMPARE(::symlink("..", (base + "/up").constData()), 0);
        const QByteArray archive = QFile::encodeName(dir.filePath("flat.lzh"));
        std::unique_ptr<TArchiver> lha(CreateArchiver(TArchiverType::atLha));
        TArchiverOptions options;
        options.r = 1;
        options.x = 0; // names without their folders
        QByteArray output;
        QCOMPARE(lha->Pack(0, archive, options, base, FileItems{"*.snr"}, false, output), 0);
        QCOMPARE(listing(archive), QByteArrayList{"deep.snr"});
    }

    void selfExtractorRefused()
    {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        writeBytes(base + "/song.snr", song);
        const QByteArray archive = base + "/songs.lzh";
        std::unique_ptr<TArchiver> lha(CreateArchiver(TArchiverType::atLha));
        TArchiverOptions options;
        QByteArray output;
        QCOMPARE(lha->Pack(0, archive, options, base, FileItems{"song.snr"}, false, output), 0);
        QString message;
        try {
            lha->MakeSFX(0, archive, options, base, output);
        } catch (const EArchiver &e) {
            message = QString::fromUtf8(e.what());
        }
        QCOMPARE(message, QString("この形式では自己解凍書庫の作成をサポートしておりません。"));
        QCOMPARE(lha->CommandLine.left(6), QByteArray("s -+  "));
        QCOMPARE(entriesBelow(base + '/'), (QByteArrayList{"song.snr", "songs.lzh"}));
    }
};

QTEST_GUILESS_MAIN(ArchiveLzhWriteTest)
#include "tst_archive_lzh_write.moc"
