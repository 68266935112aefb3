// Packing cabinets through the component and the project's real CAB library.
#include "archive/ARCHIVES.h"
#include "archive/CAB32.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/ByteFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tunelet::testkit;

namespace
{

constexpr WindowHandle mainWindow = 0x3a00007;
const QByteArray song("#tunelet song\r\n*HEAD\"Cabinet\"\r\nC D E\r\n");
// A name that needs the quoting rule: a leading dash, double quotes, a blank.
const QByteArray oddName("-a \"odd\".snr");

} // namespace

class ArchiveCabPackTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void packListUnpack();
    void junkedPathsThroughAResponseFile();
    void noSelfExtractor();

private:
    QByteArray path(const char *name) const { return QFile::encodeName(m_dir.filePath(name)); }

    QTemporaryDir m_dir;
    QByteArray m_source;
    QByteArray m_output;
};

void ArchiveCabPackTest::initTestCase()
{
    const QByteArray bin = qgetenv("TUNELET_BIN_DIR");
    if (bin.isEmpty() || !QFile::exists(QFile::decodeName(bin) + "/libcab32.so"))
        QSKIP("the archiver libraries are not built");
    useLibraryFolder(bin);
    m_source = path("src");
    QVERIFY(QDir().mkpath(QFile::decodeName(m_source + "/sub")));
    QVERIFY(writeBytes(m_source + "/song.snr", song));
    QVERIFY(writeBytes(m_source + "/sub/deep.snr", song + song));
    QVERIFY(writeBytes(m_source + '/' + oddName, "odd"));
}

void ArchiveCabPackTest::packListUnpack()
{
    TArchiveFile file;
    const QByteArray archive = path("songs.cab");
    file.SetFileName(archive);
    QCOMPARE(int(file.ArchiverType()), int(TArchiverType::atCab));
    TArchiverOptions options;
    options.r = 1;
    QCOMPARE(
        file.Archiver()->Pack(0, archive, options, m_source, FileItems{"*.snr"}, false, m_output),
        0);
    QCOMPARE(memberNames(file, mainWindow), (QByteArrayList{oddName, "song.snr", "sub/deep.snr"}));
    const QByteArray target = path("out");
    QCOMPARE(file.Unpack(mainWindow, nullptr, target, FileItems{"*"}), 0);
    QCOMPARE(readBytes(target + "/sub/deep.snr"), song + song);
    QCOMPARE(readBytes(target + '/' + oddName), QByteArray("odd"));
}

void ArchiveCabPackTest::junkedPathsThroughAResponseFile()
{
    TArchiveFile file;
    const QByteArray archive = path("flat.cab");
    file.SetFileName(archive);
    TArchiverOptions options;
    options.x = 0;
    options.ResFileName = path("names.lst");
    QCOMPARE(file.Archiver()->Pack(0, archive, options, m_source,
                                   FileItems{TStringList{"sub\\deep.snr", oddName}}, false,
                                   m_output),
             0);
    QVERIFY(file.Archiver()->CommandLine.contains("\"@" + options.ResFileName + "\""));
    QCOMPARE(memberNames(file, mainWindow), (QByteArrayList{"deep.snr", oddName}));
}

void ArchiveCabPackTest::noSelfExtractor()
{
    TArchiveFile file;
    const QByteArray archive = path("songs.cab");
    file.SetFileName(archive);
    const QByteArray before = readBytes(archive);
    QCOMPARE(raisedMessage([&] {
                 file.Archiver()->MakeSFX(0, archive, file.Options(), QByteArray(), m_output);
             }),
             QByteArray("CAB 形式書庫からの自己解凍書庫の作成には Windows "
                        "用の自己解凍部が必要ですが、この環境にはありません。"));
    QCOMPARE(file.Archiver()->CommandLine, "-f  \"" + archive + "\" ");
    QCOMPARE(readBytes(archive), before);
    QVERIFY(!QFile::exists(m_dir.filePath("songs.exe")));
}

QTEST_GUILESS_MAIN(ArchiveCabPackTest)
#include "tst_archive_cab_pack.moc"
