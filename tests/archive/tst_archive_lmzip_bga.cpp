// The archive component on the project's LMZIP32 and BGA32 libraries: detection, the command
// operations, the ZIP search orders with all three ZIP libraries, and the load messages.
#include "archive/ARCHIVES.h"
#include "archive/BGA32.h"
#include "archive/ZIP32.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/ArchiveLibraries.h"
#include "tests/support/ArchiveTools.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>

using namespace tunelet::testkit;

namespace
{

constexpr WindowHandle mainWindow = 0x3a00007;
const QByteArray song("#tunelet song\r\n*HEAD\"Component\"\r\nC D E\r\n");

// Exposes the entry lookup of the ZIP back-end, to see which library answers.
class VisibleZip32 final : public TZip32
{
public:
    using TZip32::Entry;
};

} // namespace

class ArchiveLmzipBgaTest final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    // First: a library once loaded may stay in the process after it is let go, and the
    // system's search would then find it by name.
    void loadMessagesWhenLibrariesAreAbsent();
    void detectedByNameAndContent_data();
    void detectedByNameAndContent();
    void bgaThroughTheComponent_data();
    void bgaThroughTheComponent();
    void bgaPathBytes();
    void zipWithLmzipAlone();
    void zipSearchOrders_data();
    void zipSearchOrders();

private:
    // A folder holding links to the named libraries of the build, used from now on.
    void useOnly(const QStringList &libraries);
    QByteArray packWith(TArchiveFile &file, const QString &name);

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_source;
    QString m_target;
    int m_folders = 0;
};

void ArchiveLmzipBgaTest::initTestCase()
{
    m_bin = qEnvironmentVariable("TUNELET_BIN_DIR");
    for (const char *lib : {"libbga32.so", "liblmzip32.so", "libunzip32.so", "libzip32j.so"})
        QVERIFY2(QFile::exists(m_bin + '/' + lib), lib);
    m_source = m_dir.filePath("src");
    QVERIFY(QDir().mkpath(m_source));
    QVERIFY(writeFileIn(m_source + "/song.snr", song));
    QVERIFY(writeFileIn(m_source + "/readme.txt", "text"));
    // The LMZIP packer takes names from the current folder.
    QVERIFY(QDir::setCurrent(m_source));
}

void ArchiveLmzipBgaTest::init()
{
    m_target = m_dir.filePath(QString("out-%1-%2")
                                  .arg(QTest::currentTestFunction())
                                  .arg(QTest::currentDataTag() ? QTest::currentDataTag() : ""));
    QVERIFY(QDir().mkpath(m_target));
    useOnly({"libbga32.so", "liblmzip32.so"});
}

void ArchiveLmzipBgaTest::useOnly(const QStringList &libraries)
{
    const QString folder = m_dir.filePath(QString("libs-%1").arg(++m_folders));
    QVERIFY(QDir().mkpath(folder));
    for (const QString &lib : libraries)
        QVERIFY(QFile::link(m_bin + '/' + lib, folder + '/' + lib));
    useLibraryFolder(QFile::encodeName(folder));
}

// Packs song.snr and readme.txt from the source folder into a new archive of that name.
QByteArray ArchiveLmzipBgaTest::packWith(TArchiveFile &file, const QString &name)
{
    const QByteArray archive = QFile::encodeName(m_dir.filePath(name));
    QFile::remove(QFile::decodeName(archive));
    file.SetFileName(archive);
    QByteArray output;
    const int rc =
        file.Archiver()->Pack(mainWindow, archive, file.Options(), QFile::encodeName(m_source),
                              FileItems{TStringList{"song.snr", "readme.txt"}}, false, output);
    return rc == 0 ? archive : QByteArray();
}

void ArchiveLmzipBgaTest::detectedByNameAndContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow("gza") << "a.gza" << int(TArchiverType::atBga);
    QTest::newRow("bza") << "a.bza" << int(TArchiverType::atBga);
    QTest::newRow("zip") << "a.zip" << int(TArchiverType::atZip);
}

void ArchiveLmzipBgaTest::detectedByNameAndContent()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    TArchiveFile packer;
    const QByteArray archive = packWith(packer, name);
    QVERIFY(!archive.isEmpty());
    QCOMPARE(int(packer.ArchiverType()), type);
    // The same bytes under a name that says nothing: the seven probes find the format.
    const QByteArray renamed = archive + ".dat";
    QVERIFY(QFile::copy(QFile::decodeName(archive), QFile::decodeName(renamed)));
    QCOMPARE(int(DetectArchiverType(renamed, false)), type);
    QCOMPARE(int(DetectArchiverType(renamed, true)), int(TArchiverType::atNone));
    TArchiveFile file;
    file.SetFileName(renamed);
    QCOMPARE(memberNames(file, mainWindow), (QByteArrayList{"song.snr", "readme.txt"}));
    QCOMPARE(int(file.ArchiverType()), type);
}

void ArchiveLmzipBgaTest::bgaThroughTheComponent_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("gza") << "songs.gza";
    QTest::newRow("bza") << "songs.bza";
}

void ArchiveLmzipBgaTest::bgaThroughTheComponent()
{
    QFETCH(QString, name);
    TArchiveFile file;
    file.Options().n = 1;
    const QByteArray archive = packWith(file, name);
    QVERIFY(!archive.isEmpty());
    QVERIFY(file.CommandLine().isEmpty()); // only Unpack records the line
    QCOMPARE(file.Archiver()->CheckArchive(archive, 0, 0), 1);

    QCOMPARE(file.Unpack(mainWindow, nullptr, QFile::encodeName(m_target),
                         FileItems{TStringList{"*.SNR", "*.snr", "*.Snr"}}),
             0);
    QCOMPARE(file.CommandLine(), "x -n -i -j  \"" + archive + "\" \"" +
                                     QFile::encodeName(m_target) +
                                     "\\\" \"*.SNR\" \"*.snr\" \"*.Snr\" ");
    QCOMPARE(fileBytes(m_target + "/song.snr"), song);
    QVERIFY(!QFile::exists(m_target + "/readme.txt"));

    QByteArray output;
    QCOMPARE(file.Archiver()->RemoveItems(mainWindow, archive, file.Options(), {},
                                          FileItems{"README.TXT"}, false, output),
             0);
    QCOMPARE(memberNames(file, mainWindow), QByteArrayList{"song.snr"});
    QCOMPARE(file.Archiver()->CheckArchive(archive, 0, 0), 1);
}

// Quotes and bytes that are no UTF-8 in the archive's, the folders' and the member's names.
void ArchiveLmzipBgaTest::bgaPathBytes()
{
    const QByteArray base = QFile::encodeName(m_dir.path()) + "/bytes \"q\" \xff\x81x";
    QCOMPARE(::mkdir(base.constData(), 0700), 0);
    const QByteArray name = "song \"1\" \x82\xa0.snr";
    {
        FILE *f = std::fopen((base + '/' + name).constData(), "wb");
        QVERIFY(f != nullptr);
        QCOMPARE(std::fwrite(song.constData(), 1, size_t(song.size()), f), size_t(song.size()));
        std::fclose(f);
    }
    const QByteArray archive = base + "/a \"x\" \xff.gza";
    TArchiveFile file;
    file.SetFileName(archive);
    QByteArray output;
    QCOMPARE(file.Archiver()->Pack(mainWindow, archive, file.Options(), base, FileItems{name},
                                   false, output),
             0);
    QVERIFY(file.OpenArchive(mainWindow, 0) != 0);
    TArchiveEntryInfo info{};
    QCOMPARE(file.FindFirst("*", info), 0);
    QCOMPARE(entryFileName(info), name);
    file.CloseArchive();
    const QByteArray target = base + "/out \"\xfe";
    QCOMPARE(file.Unpack(mainWindow, nullptr, target, FileItems{"*"}), 0);
    FILE *f = std::fopen((target + '/' + name).constData(), "rb");
    QVERIFY(f != nullptr);
    QByteArray back(song.size() + 1, '\0');
    back.resize(qsizetype(std::fread(back.data(), 1, size_t(back.size()), f)));
    std::fclose(f);
    QCOMPARE(back, song);
    // QTemporaryDir cannot remove names that are no text.
    for (const QByteArray &path : {target + '/' + name, target, base + '/' + name, archive, base})
        QCOMPARE(std::remove(path.constData()), 0);
}

void ArchiveLmzipBgaTest::zipWithLmzipAlone()
{
    useOnly({"liblmzip32.so"});
    const QString archive = m_dir.filePath("lmzip.zip");
    // An old archive with a member the new one does not name: packing starts afresh.
    QVERIFY(writeFileIn(m_dir.filePath("old.snr"), "old"));
    {
        TArchiveFile old;
        old.SetFileName(QFile::encodeName(archive));
        QByteArray output;
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QCOMPARE(old.Archiver()->Pack(mainWindow, QFile::encodeName(archive), old.Options(), {},
                                      FileItems{"old.snr"}, false, output),
                 0);
    }
    TArchiveFile file;
    file.SetFileName(QFile::encodeName(archive));
    QByteArray output;
    QVERIFY(QDir::setCurrent(m_source));
    QCOMPARE(file.Archiver()->Pack(mainWindow, QFile::encodeName(archive), file.Options(), {},
                                   FileItems{TStringList{"song.snr", "readme.txt"}}, false, output),
             0);
    QCOMPARE(file.Archiver()->CommandLine,
             "-ru  \"" + QFile::encodeName(archive) + "\" \"song.snr\" \"readme.txt\" ");
    QCOMPARE(memberNames(file, mainWindow), (QByteArrayList{"song.snr", "readme.txt"}));
    QCOMPARE(file.Archiver()->CheckArchive(QFile::encodeName(archive), 0, 0), 1);

    QCOMPARE(file.Unpack(mainWindow, nullptr, QFile::encodeName(m_target), FileItems{"*.snr"}), 0);
    QCOMPARE(fileBytes(m_target + "/song.snr"), song);
    QVERIFY(!QFile::exists(m_target + "/readme.txt"));

    QCOMPARE(file.Archiver()->RemoveItems(mainWindow, QFile::encodeName(archive), file.Options(),
                                          {}, FileItems{"readme.txt"}, false, output),
             0);
    QCOMPARE(memberNames(file, mainWindow), QByteArrayList{"song.snr"});
}

void ArchiveLmzipBgaTest::zipSearchOrders_data()
{
    QTest::addColumn<QStringList>("libraries");
    // Which library answers: the command, listing, check, owner window.
    QTest::addColumn<QStringList>("answers");
    const QString unzip = "libunzip32.so", zip32j = "libzip32j.so", lmzip = "liblmzip32.so";
    QTest::newRow("all three") << QStringList{unzip, zip32j, lmzip}
                               << QStringList{unzip, lmzip, unzip, unzip};
    QTest::newRow("unzip and zip32j")
        << QStringList{unzip, zip32j} << QStringList{unzip, zip32j, unzip, unzip};
    QTest::newRow("zip32j and lmzip")
        << QStringList{zip32j, lmzip} << QStringList{lmzip, lmzip, lmzip, ""};
    QTest::newRow("lmzip alone") << QStringList{lmzip} << QStringList{lmzip, lmzip, lmzip, ""};
}

void ArchiveLmzipBgaTest::zipSearchOrders()
{
    QFETCH(QStringList, libraries);
    QFETCH(QStringList, answers);
    useOnly(libraries);
    VisibleZip32 zip;
    zip.LoadDLL();
    const auto answerOf = [](void *address) -> QString {
        const std::pair<LibraryUnit *, const char *> units[] = {
            {&TZip32::UnzipLibrary(), "libunzip32.so"},
            {&TZip32::Zip32jLibrary(), "libzip32j.so"},
            {&TZip32::LmzipLibrary(), "liblmzip32.so"}};
        for (const auto &[unit, name] : units) {
            for (const char *entry :
                 {"UnZip", "Unzip", "UnZipOpenArchive", "UnzipOpenArchive", "UnZipCheckArchive",
                  "UnzipCheckArchive", "UnZipSetOwnerWindowEx"}) {
                if (unit->IsLoaded() && unit->Lookup(entry) == address)
                    return name;
            }
        }
        return "(none)";
    };
    QCOMPARE(answerOf(zip.Entry("")), answers[0]);
    QCOMPARE(answerOf(zip.Entry("OpenArchive")), answers[1]);
    QCOMPARE(answerOf(zip.Entry("CheckArchive")), answers[2]);
    if (answers[3].isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(EArchiver, zip.Entry("SetOwnerWindowEx"));
    } else {
        QCOMPARE(answerOf(zip.Entry("SetOwnerWindowEx")), answers[3]);
    }
    // Packing goes to ZIP32J's "Zip" when it is there, else to LMZIP32's with "-ru".
    TArchiveFile file;
    const QByteArray archive = packWith(file, "order.zip");
    QVERIFY(!archive.isEmpty());
    QCOMPARE(file.Archiver()->CommandLine.startsWith("-ru"), !libraries.contains("libzip32j.so"));
}

void ArchiveLmzipBgaTest::loadMessagesWhenLibrariesAreAbsent()
{
    useOnly({"libunzip32.so"});
    TArchiveFile file;
    try {
        file.SetFileName("songs.gza");
        QFAIL("no exception");
    } catch (const EArchiver &e) {
        QCOMPARE(QByteArray(e.what()),
                 QByteArray("Bga 形式書庫を扱うには BGA32.DLL が 必要です。"));
    }
    useOnly({"libbga32.so"});
    try {
        file.SetFileName("songs.zip");
        QFAIL("no exception");
    } catch (const EArchiver &e) {
        QCOMPARE(QByteArray(e.what()),
                 QByteArray("ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには ZIP32J.DLL "
                            "が必要です。"));
    }
    QCOMPARE(file.FileName(), nulString());
    QCOMPARE(int(file.ArchiverType()), int(TArchiverType::atAutoDetect));
}

QTEST_GUILESS_MAIN(ArchiveLmzipBgaTest)
#include "tst_archive_lmzip_bga.moc"
