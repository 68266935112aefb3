#include "archive/ARCHIVES.h"
#include "archive/LHA32.h"
#include "archive/TAR32.h"
#include "archive/ZIP32.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/ArchiveTools.h"
#include "tests/support/ArchiveWriters.h"
#include "tests/support/ByteFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace tunelet::testkit;

namespace
{

constexpr WindowHandle mainWindow = 0x3a00007;
const QByteArray song("#tunelet song\r\n*HEAD\"Integration\"\r\nC D E\r\n");

} // namespace

// The component driving the project's real archiver libraries on archives made by lha and
// bsdtar.
class ArchiveIntegrationTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void lzhAsTheJukeboxUsesIt();
    void lzhProgressAndAbort();
    void throwingHandlerLeavesNothing();
    void pathBytesReachTheLibrary_data();
    void pathBytesReachTheLibrary();
    void lzhFoundByContent();
    void unpackAndList_data();
    void unpackAndList();
    void missingArchiveFails();
    void realArchivesFoundByContent_data();
    void realArchivesFoundByContent();
    void zipPackRemoveUpdateRoundTrip();
    void tarPackRoundTrip();

private:
    QString makeArchive(const QString &tool, const QStringList &arguments, const QString &name);

    QTemporaryDir m_dir;
    QString m_source;
    QString m_target;
};

void ArchiveIntegrationTest::initTestCase()
{
    const QByteArray bin = qgetenv("TUNELET_BIN_DIR");
    if (bin.isEmpty() || !QFile::exists(QFile::decodeName(bin) + "/libunlha32.so"))
        QSKIP("the archiver libraries are not built");
    useLibraryFolder(bin);
    m_source = m_dir.filePath("src");
    QVERIFY(writeTree(QFile::encodeName(m_source),
                      {{"song.snr", song}, {"second.SNR", song}, {"readme.txt", "text"}}));
}

void ArchiveIntegrationTest::init()
{
    m_target = m_dir.filePath(QString("out-%1").arg(QTest::currentTestFunction()));
    QVERIFY(QDir().mkpath(m_target));
}

QString ArchiveIntegrationTest::makeArchive(const QString &tool, const QStringList &arguments,
                                            const QString &name)
{
    const QString archive = m_dir.filePath(name);
    QFile::remove(archive);
    QStringList args = arguments;
    args.replaceInStrings("ARCHIVE", archive);
    if (runTool(tool, args, m_source) != 0 || !QFile::exists(archive))
        return {};
    return archive;
}

void ArchiveIntegrationTest::lzhAsTheJukeboxUsesIt()
{
    const QString archive =
        makeArchive("jlha", {"a", "ARCHIVE", "song.snr", "readme.txt"}, "songs.lzh");
    if (archive.isEmpty())
        QSKIP("lha could not make an LZH archive");
    TArchiveFile file;
    file.Options().n = 1;
    file.SetFileName(QFile::encodeName(archive));
    QVERIFY(dynamic_cast<TLha32 *>(file.Archiver()) != nullptr);
    const QByteArray folder = QFile::encodeName(m_target) + '/';
    QCOMPARE(
        file.Unpack(mainWindow, nullptr, folder, FileItems{TStringList{"*.SNR", "*.snr", "*.Snr"}}),
        0);
    QVERIFY(!file.CommandLine().isEmpty());
    QCOMPARE(fileBytes(m_target + "/song.snr"), song);
    QVERIFY(!QFile::exists(m_target + "/readme.txt"));
    QCOMPARE(memberNames(file, mainWindow, "*.snr"), QByteArrayList{"song.snr"});
    QCOMPARE(memberNames(file, mainWindow, "*"), (QByteArrayList{"song.snr", "readme.txt"}));
}

void ArchiveIntegrationTest::lzhProgressAndAbort()
{
    const QString archive = makeArchive("jlha", {"a", "ARCHIVE", "song.snr"}, "progress.lzh");
    if (archive.isEmpty())
        QSKIP("lha could not make an LZH archive");
    TArchiveFile file;
    file.SetFileName(QFile::encodeName(archive));
    int reports = 0;
    bool abort = false;
    file.SetOnProgress([&](TArchiveFile &, std::int32_t, void *lpEis, bool &stop) {
        ++reports;
        QVERIFY(lpEis != nullptr);
        stop = abort;
    });
    const QByteArray folder = QFile::encodeName(m_target) + '/';
    QCOMPARE(file.Unpack(mainWindow, nullptr, folder, FileItems{"*.snr"}), 0);
    QVERIFY(reports > 0);
    QCOMPARE(fileBytes(m_target + "/song.snr"), song);

    QFile::remove(m_target + "/song.snr");
    abort = true;
    reports = 0;
    QVERIFY(file.Unpack(mainWindow, nullptr, folder, FileItems{"*.snr"}) != 0);
    QCOMPARE(reports, 1);
}

void ArchiveIntegrationTest::throwingHandlerLeavesNothing()
{
    const QByteArray archive = QFile::encodeName(m_dir.filePath("thrown.lzh"));
    QVERIFY(writeBytes(archive, archives::lzhLevel0({{"song.snr", song}})));
    TArchiveFile file;
    file.SetFileName(archive);
    file.SetOnProgress([](TArchiveFile &, std::int32_t, void *, bool &) {
        throw std::runtime_error("stopped by the handler");
    });
    const QByteArray folder = QFile::encodeName(m_target) + '/';
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             file.Unpack(mainWindow, nullptr, folder, FileItems{"*.snr"}));
    // The library was asked to stop and took its half-written file away.
    QCOMPARE(QDir(m_target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
    QVERIFY(!file.CommandLine().isEmpty());
}

void ArchiveIntegrationTest::pathBytesReachTheLibrary_data()
{
    QTest::addColumn<QByteArray>("archiveName");
    QTest::addColumn<QByteArray>("folderName");
    QTest::addColumn<bool>("responseFile");
    // Names a Linux file may have; the relative ones are taken in the test's folder.
    QTest::newRow("quotes and blanks")
        << QByteArray("q\"u\" -x @y.lzh") << QByteArray("out \"a\" b/") << false;
    QTest::newRow("quotes through a response file")
        << QByteArray("q\"u\" -x @y.lzh") << QByteArray("out \"a\" b/") << true;
    QTest::newRow("leading dash") << QByteArray("-a.lzh") << QByteArray("-out") << false;
    QTest::newRow("leading at") << QByteArray("@a.lzh") << QByteArray("@out/") << true;
    QTest::newRow("Shift-JIS with 0x5C")
        << QByteArray("\x83\x5C\x95\x5C.lzh") << QByteArray("\x83\x5C") << false;
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe.lzh") << QByteArray("\xc3(/") << false;
}

void ArchiveIntegrationTest::pathBytesReachTheLibrary()
{
    QFETCH(QByteArray, archiveName);
    QFETCH(QByteArray, folderName);
    QFETCH(bool, responseFile);
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_target));
    const QList<archives::Member> members{{"song.snr", song}, {"-m.snr", "dash"}, {"@n.snr", "at"}};
    QVERIFY(writeBytes(archiveName, archives::lzhLevel0(members)));

    TArchiveFile file;
    file.Options().n = 1;
    if (responseFile)
        file.Options().ResFileName = "names \"1\".lst";
    file.SetFileName(archiveName);
    const int result = file.Unpack(mainWindow, nullptr, folderName,
                                   FileItems{TStringList{"song.snr", "-m.snr", "@n.snr"}});
    const QByteArray folder = folderName.endsWith('/') ? folderName : folderName + '/';
    const QByteArrayList got{readBytes(folder + "song.snr"), readBytes(folder + "-m.snr"),
                             readBytes(folder + "@n.snr")};
    const QByteArrayList listed = memberNames(file, mainWindow, "*.snr");
    QDir::setCurrent(oldCurrent);
    QCOMPARE(result, 0);
    QCOMPARE(got, (QByteArrayList{song, "dash", "at"}));
    QCOMPARE(listed, (QByteArrayList{"song.snr", "-m.snr", "@n.snr"}));
}

void ArchiveIntegrationTest::lzhFoundByContent()
{
    const QString archive = makeArchive("jlha", {"a", "ARCHIVE", "song.snr"}, "songs.dat");
    if (archive.isEmpty())
        QSKIP("lha could not make an LZH archive");
    TArchiveFile file;
    file.SetFileName(QFile::encodeName(archive));
    QVERIFY(file.Archiver() == nullptr);
    // Unpack never looks at the contents; opening does.
    QVERIFY_THROWS_EXCEPTION(
        EArchiver, file.Unpack(mainWindow, nullptr, QFile::encodeName(m_target), FileItems{"*"}));
    QVERIFY(!QFile::exists(m_target + "/song.snr"));
    QCOMPARE(memberNames(file, mainWindow, "*"), QByteArrayList{"song.snr"});
    QCOMPARE(int(file.ArchiverType()), int(TArchiverType::atLha));
}

void ArchiveIntegrationTest::unpackAndList_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QStringList>("unpacked");  // sorted
    QTest::addColumn<QByteArrayList>("listed"); // in archive order
    QTest::newRow("zip") << QStringList{"--format", "zip",      "-cf",
                                        "ARCHIVE",  "song.snr", "second.SNR"}
                         << "songs.zip" << int(TArchiverType::atZip) << QByteArray("*.snr")
                         << QStringList{"second.SNR", "song.snr"}
                         << QByteArrayList{"song.snr", "second.SNR"};
    QTest::newRow("tgz") << QStringList{"-czf", "ARCHIVE", "song.snr", "readme.txt"}
                         << "songs.tar.gz" << int(TArchiverType::atTgz) << QByteArray("readme.txt")
                         << QStringList{"readme.txt"} << QByteArrayList{"song.snr", "readme.txt"};
}

void ArchiveIntegrationTest::unpackAndList()
{
    QFETCH(QStringList, args);
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(QByteArray, mask);
    QFETCH(QStringList, unpacked);
    QFETCH(QByteArrayList, listed);
    const QString archive = makeArchive("bsdtar", args, name);
    if (archive.isEmpty())
        QSKIP("bsdtar could not make the archive");
    const QString target = m_target + '/' + QTest::currentDataTag();
    TArchiveFile file;
    file.SetFileName(QFile::encodeName(archive));
    QCOMPARE(int(file.ArchiverType()), type);
    QCOMPARE(file.Unpack(mainWindow, nullptr, QFile::encodeName(target), FileItems{mask}), 0);
    QCOMPARE(QDir(target).entryList(QDir::Files, QDir::Name), unpacked);
    for (const QString &member : unpacked)
        QCOMPARE(fileBytes(target + '/' + member), fileBytes(m_source + '/' + member));
    QCOMPARE(memberNames(file, mainWindow, "*"), listed);
}

void ArchiveIntegrationTest::missingArchiveFails()
{
    TArchiveFile file;
    file.SetFileName(QFile::encodeName(m_dir.filePath("none.lzh")));
    QVERIFY(file.Unpack(mainWindow, nullptr, QFile::encodeName(m_target), FileItems{"*"}) != 0);
    QCOMPARE(file.OpenArchive(mainWindow, 0), ArchiveHandle(0));

    // A FIFO of an unknown extension goes through every content probe, the TAR type query
    // among them: all answer at once, and no library knows it.
    const QByteArray fifo = QFile::encodeName(m_dir.filePath("pipe.dat"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    TArchiveFile probed;
    probed.SetFileName(fifo);
    QVERIFY_THROWS_EXCEPTION(EArchiver, probed.OpenArchive(mainWindow, 0));
    QCOMPARE(int(probed.ArchiverType()), int(TArchiverType::atAutoDetect));
}

// Archives of every format the libraries read, made by real tools (or byte by byte for
// CAB and RAR, which no tool here writes), are recognised by their contents, also under
// a self-extractor's ".exe" name.
void ArchiveIntegrationTest::realArchivesFoundByContent_data()
{
    QTest::addColumn<QString>("archive");
    QTest::addColumn<int>("type");
    const auto made = [this](const QString &tool, const QStringList &args, const QString &name) {
        const QString path = makeArchive(tool, args, name);
        const QString exe = m_dir.filePath(name + ".exe");
        QFile::remove(exe);
        if (!path.isEmpty())
            QFile::copy(path, exe);
        return path.isEmpty() ? QString() : exe;
    };
    const auto written = [this](const QByteArray &bytes, const QString &name) {
        const QString exe = m_dir.filePath(name + ".exe");
        return writeFileIn(exe, bytes) ? exe : QString();
    };
    const QList<archives::Member> members{archives::Member("song.snr", song)};
    QTest::newRow("lzh") << made("jlha", {"a", "ARCHIVE", "song.snr"}, "c.lzh")
                         << int(TArchiverType::atLha);
    QTest::newRow("zip") << made("bsdtar", {"--format", "zip", "-cf", "ARCHIVE", "song.snr"},
                                 "c.zip")
                         << int(TArchiverType::atZip);
    QTest::newRow("tar") << made("bsdtar", {"-cf", "ARCHIVE", "song.snr"}, "c.tar")
                         << int(TArchiverType::atTar);
    QTest::newRow("tgz") << made("bsdtar", {"-czf", "ARCHIVE", "song.snr"}, "c.tgz")
                         << int(TArchiverType::atTgz);
    QTest::newRow("bz2") << made("bsdtar", {"-cjf", "ARCHIVE", "song.snr"}, "c.tar.bz2")
                         << int(TArchiverType::atBZ2);
    QTest::newRow("cab") << written(archives::cab(members), "c.cab") << int(TArchiverType::atCab);
    QTest::newRow("rar") << written(archives::rar(members), "c.rar") << int(TArchiverType::atRar);
}

void ArchiveIntegrationTest::realArchivesFoundByContent()
{
    QFETCH(QString, archive);
    QFETCH(int, type);
    if (archive.isEmpty())
        QSKIP("the archive could not be made here");
    const QByteArray path = QFile::encodeName(archive);
    QCOMPARE(int(DetectArchiverType(path, false)), type);
    // By name, ".exe" means: look at the contents.
    QCOMPARE(int(DetectArchiverType(path, true)), type);
    TArchiveFile file;
    file.SetFileName(path);
    QCOMPARE(memberNames(file, mainWindow, "*"), QByteArrayList{"song.snr"});
}

void ArchiveIntegrationTest::zipPackRemoveUpdateRoundTrip()
{
    const QByteArray archive = QFile::encodeName(m_dir.filePath("packed.zip"));
    QFile::remove(QFile::decodeName(archive));
    std::unique_ptr<TArchiver> zip(CreateArchiver(TArchiverType::atZip));
    QVERIFY(zip);
    TArchiverOptions options;
    QByteArray output;
    const QByteArray base = QFile::encodeName(m_source);
    QCOMPARE(zip->Pack(0, archive, options, base, FileItems{TStringList{"song.snr", "readme.txt"}},
                       false, output),
             0);
    TArchiveFile file;
    file.SetFileName(archive);
    QCOMPARE(memberNames(file, mainWindow, "*"), (QByteArrayList{"song.snr", "readme.txt"}));

    QCOMPARE(zip->RemoveItems(0, archive, options, base, FileItems{"readme.txt"}, false, output),
             0);
    QCOMPARE(memberNames(file, mainWindow, "*"), QByteArrayList{"song.snr"});

    // Freshening replaces a member whose file is newer.
    const QByteArray changed = song + "E F G\r\n";
    {
        QFile source(m_source + "/song.snr");
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write(changed);
        source.close();
        QVERIFY(source.open(QIODevice::ReadWrite));
        QVERIFY(source.setFileTime(QDateTime::currentDateTime().addSecs(120),
                                   QFileDevice::FileModificationTime));
    }
    QCOMPARE(zip->Update(0, archive, options, base, FileItems{"song.snr"}, false, output), 0);
    QCOMPARE(file.Unpack(mainWindow, nullptr, QFile::encodeName(m_target), FileItems{"*"}), 0);
    QCOMPARE(fileBytes(m_target + "/song.snr"), changed);
    QFile restore(m_source + "/song.snr");
    QVERIFY(restore.open(QIODevice::WriteOnly));
    restore.write(song);
}

void ArchiveIntegrationTest::tarPackRoundTrip()
{
    for (const char *name : {"packed.tar", "packed.tgz"}) {
        const QByteArray archive = QFile::encodeName(m_dir.filePath(name));
        const TArchiverType type =
            QByteArray(name).endsWith(".tgz") ? TArchiverType::atTgz : TArchiverType::atTar;
        std::unique_ptr<TArchiver> tar(CreateArchiver(type));
        QVERIFY(tar);
        TArchiverOptions options;
        QByteArray output;
        QCOMPARE(tar->Pack(0, archive, options, QFile::encodeName(m_source),
                           FileItems{TStringList{"song.snr", "readme.txt"}}, false, output),
                 0);
        TArchiveFile file;
        file.SetFileName(archive);
        QCOMPARE(memberNames(file, mainWindow, "*"), (QByteArrayList{"song.snr", "readme.txt"}));
        QCOMPARE(int(TTar32::ArchiveType(archive)), int(type));
        const QString out = m_target + '/' + name;
        QVERIFY(QDir().mkpath(out));
        QCOMPARE(file.Unpack(mainWindow, nullptr, QFile::encodeName(out), FileItems{"*"}), 0);
        QCOMPARE(fileBytes(out + "/song.snr"), song);
    }
}
QTEST_GUILESS_MAIN(ArchiveIntegrationTest)
#include "tst_archive_integration.moc"
