#include "archive/ARCHIVES.h"
#include "archive/ARJ32.h"
#include "archive/BGA32.h"
#include "archive/CAB32.h"
#include "archive/LHA32.h"
#include "archive/RAR32.h"
#include "archive/RegisteredMessages.h"
#include "archive/TAR32.h"
#include "archive/ZIP32.h"
#include "tests/archive/ArchiveTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <typeinfo>

namespace
{

const QByteArray nul(1, '\0');
constexpr WindowHandle mainWindow = 42;

int typeOf(const TArchiveFile &file)
{
    return static_cast<int>(file.ArchiverType());
}
int ordinal(TArchiverType type)
{
    return static_cast<int>(type);
}

const FileItems snrMasks{TStringList{"*.SNR", "*.snr", "*.Snr"}};

} // namespace

// The archive component: type selection, its operations, progress and the LHA command.
class ArchiveComponentTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void freshComponent();
    void fileNameSelectsBackend_data();
    void fileNameSelectsBackend();
    void unrecognisedNameKeepsState_data();
    void unrecognisedNameKeepsState();
    void fileNameKeptWhenLoadingFails_data();
    void fileNameKeptWhenLoadingFails();
    void archiverTypeRules();
    void failedTypeChangeKeepsBackend();
    void designAndReadingStates();
    void unpackOnUnrecognisedNameRaises();
    void openArchiveDetectsByContent();
    void contentDetectionOrder();
    void contentDetectionFindsNothing();
    void exeNameDetectsByContent();
    void outputSize();
    void jukeboxUnpackCommandLine();
    void unpackWithGivenOptions();
    void ownerWindowWritesN1();
    void noHandlerRegistersNoWindow();
    void progressAbort_data();
    void progressAbort();
    void windowProcedure();
    void ownerWindowErrorsDiscarded();
    void commandLineCopiedWhenBackendRaises();
    void listing();
    void missingFindNextEntry();
    void listingWithoutBackendRaises();
};

void ArchiveComponentTest::init()
{
    clearRecorderAnswers();
    useRecorders("all");
}

void ArchiveComponentTest::freshComponent()
{
    TArchiveFile file;
    QCOMPARE(file.FileName(), nul);
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atAutoDetect));
    QVERIFY(file.Archiver() == nullptr);
    QCOMPARE(file.OutputSize(), 0);
    QVERIFY(file.CommandLine().isEmpty());
    QCOMPARE(file.MessageWindow(), WindowHandle(0));
    QCOMPARE(file.Options().n, TSmallOption(-1));
    QCOMPARE(file.Options().ResFileUsage.bits(), std::uint8_t(7));
}

void ArchiveComponentTest::fileNameSelectsBackend_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("className");
    QTest::newRow(".lzh") << QByteArray("/m/a.lzh") << ordinal(TArchiverType::atLha)
                          << QByteArray(typeid(TLha32).name());
    QTest::newRow(".LZH") << QByteArray("/m/A.LZH") << ordinal(TArchiverType::atLha)
                          << QByteArray(typeid(TLha32).name());
    QTest::newRow(".tar.gz") << QByteArray("a.tar.gz") << ordinal(TArchiverType::atTgz)
                             << QByteArray(typeid(TTgz32).name());
    QTest::newRow(".taz") << QByteArray("a.taz") << ordinal(TArchiverType::atTgz)
                          << QByteArray(typeid(TTgz32).name());
    QTest::newRow(".z") << QByteArray("a.z") << ordinal(TArchiverType::atTgz)
                        << QByteArray(typeid(TTgz32).name());
    QTest::newRow(".bza") << QByteArray("a.bza") << ordinal(TArchiverType::atBga)
                          << QByteArray(typeid(TBGA32).name());
    QTest::newRow(".zip") << QByteArray("a.zip") << ordinal(TArchiverType::atZip)
                          << QByteArray(typeid(TZip32).name());
    QTest::newRow(".cab") << QByteArray("a.cab") << ordinal(TArchiverType::atCab)
                          << QByteArray(typeid(TCab32).name());
    QTest::newRow(".arj") << QByteArray("a.arj") << ordinal(TArchiverType::atArj)
                          << QByteArray(typeid(TArj32).name());
    QTest::newRow(".tar") << QByteArray("a.tar") << ordinal(TArchiverType::atTar)
                          << QByteArray(typeid(TTar32).name());
    QTest::newRow(".bz2") << QByteArray("a.bz2") << ordinal(TArchiverType::atBZ2)
                          << QByteArray(typeid(TBZ232).name());
    QTest::newRow(".rar") << QByteArray("a.rar") << ordinal(TArchiverType::atRar)
                          << QByteArray(typeid(TRar32).name());
}

void ArchiveComponentTest::fileNameSelectsBackend()
{
    QFETCH(QByteArray, name);
    QFETCH(int, type);
    QFETCH(QByteArray, className);
    TArchiveFile file;
    file.SetFileName(name);
    QCOMPARE(file.FileName(), name);
    QCOMPARE(typeOf(file), type);
    const TArchiver *backend = file.Archiver();
    QVERIFY(backend != nullptr);
    QCOMPARE(QByteArray(typeid(*backend).name()), className);
}

void ArchiveComponentTest::unrecognisedNameKeepsState_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow(".txt") << QByteArray("/m/a.txt");
    QTest::newRow("no extension") << QByteArray("/m/readme");
}

void ArchiveComponentTest::unrecognisedNameKeepsState()
{
    QFETCH(QByteArray, name);
    TArchiveFile fresh;
    fresh.SetFileName(name);
    QCOMPARE(fresh.FileName(), name);
    QCOMPARE(typeOf(fresh), ordinal(TArchiverType::atAutoDetect));
    QVERIFY(fresh.Archiver() == nullptr);

    TArchiveFile used;
    used.SetFileName("a.lzh");
    TArchiver *backend = used.Archiver();
    used.SetFileName(name);
    QCOMPARE(used.FileName(), name);
    QCOMPARE(typeOf(used), ordinal(TArchiverType::atLha));
    QCOMPARE(used.Archiver(), backend);
}

void ArchiveComponentTest::fileNameKeptWhenLoadingFails_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("lzh") << QByteArray("a.lzh")
                         << QByteArray("Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。");
    QTest::newRow("zip") << QByteArray("a.zip")
                         << QByteArray("ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには "
                                       "ZIP32J.DLL が必要です。");
    QTest::newRow("cab") << QByteArray("a.cab")
                         << QByteArray("CAB 形式書庫を扱うには CAB32.DLL が 必要です。");
    QTest::newRow("arj") << QByteArray("a.arj")
                         << QByteArray("ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。");
    const QByteArray tarMessage("tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。");
    QTest::newRow("tar") << QByteArray("a.tar") << tarMessage;
    QTest::newRow("tgz") << QByteArray("a.tgz") << tarMessage;
    QTest::newRow("bz2") << QByteArray("a.bz2") << tarMessage;
    QTest::newRow("rar") << QByteArray("a.rar")
                         << QByteArray("この機能の使用には UNRAR32.DLL が 必要です。");
    QTest::newRow("bga") << QByteArray("a.gza")
                         << QByteArray("Bga 形式書庫を扱うには BGA32.DLL が 必要です。");
}

void ArchiveComponentTest::fileNameKeptWhenLoadingFails()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, message);
    useNoLibraries();
    TArchiveFile file;
    file.SetFileName("old.txt");
    QCOMPARE(raisedMessage([&] { file.SetFileName(name); }), message);
    QCOMPARE(file.FileName(), QByteArray("old.txt"));
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atAutoDetect));
    QVERIFY(file.Archiver() == nullptr);
}

void ArchiveComponentTest::archiverTypeRules()
{
    TArchiveFile file;
    const QByteArray unknown("書庫の形式を特定できませんでした。");
    QCOMPARE(raisedMessage([&] { file.SetArchiverType(TArchiverType::atYz1); }), unknown);
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atAutoDetect));

    file.SetArchiverType(TArchiverType::atLha);
    TArchiver *lha = file.Archiver();
    QVERIFY(dynamic_cast<TLha32 *>(lha) != nullptr);
    QCOMPARE(raisedMessage([&] { file.SetArchiverType(TArchiverType::atYz1); }), unknown);
    QCOMPARE(raisedMessage([&] { file.SetArchiverType(static_cast<TArchiverType>(12)); }), unknown);
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atLha));
    QCOMPARE(file.Archiver(), lha);

    file.SetArchiverType(TArchiverType::atNone);
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atLha));
    QCOMPARE(file.Archiver(), lha);

    file.SetArchiverType(TArchiverType::atAutoDetect);
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atAutoDetect));
    QCOMPARE(file.Archiver(), lha);

    // The same type again still makes a new back-end.
    file.SetArchiverType(TArchiverType::atLha);
    QVERIFY(file.Archiver() != lha);
    QVERIFY(dynamic_cast<TLha32 *>(file.Archiver()) != nullptr);
}

void ArchiveComponentTest::failedTypeChangeKeepsBackend()
{
    TArchiveFile file;
    file.SetFileName("a.lzh");
    TArchiver *lha = file.Archiver();
    useNoLibraries();
    QCOMPARE(raisedMessage([&] { file.SetFileName("b.cab"); }),
             QByteArray("CAB 形式書庫を扱うには CAB32.DLL が 必要です。"));
    QCOMPARE(file.FileName(), QByteArray("a.lzh"));
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atLha));
    QCOMPARE(file.Archiver(), lha);
}

void ArchiveComponentTest::designAndReadingStates()
{
    useNoLibraries();
    TArchiveFile designed;
    designed.SetDesigning(true);
    designed.SetArchiverType(TArchiverType::atZip);
    QCOMPARE(typeOf(designed), ordinal(TArchiverType::atZip));
    QVERIFY(designed.Archiver() == nullptr);
    designed.SetArchiverType(TArchiverType::atYz1);
    QCOMPARE(typeOf(designed), ordinal(TArchiverType::atYz1));

    TArchiveFile read;
    read.SetReading(true);
    read.SetArchiverType(TArchiverType::atYz1);
    QCOMPARE(typeOf(read), ordinal(TArchiverType::atYz1));
    QCOMPARE(raisedMessage([&] { read.SetArchiverType(TArchiverType::atLha); }),
             QByteArray("Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。"));
    read.SetReading(false);
    QCOMPARE(raisedMessage([&] { read.SetArchiverType(TArchiverType::atYz1); }),
             QByteArray("書庫の形式を特定できませんでした。"));
}

void ArchiveComponentTest::unpackOnUnrecognisedNameRaises()
{
    // Every recording library accepts any file, yet Unpack does not look at the contents.
    RecorderLog log;
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("song.dat"));
    QFile(dir.filePath("song.dat")).open(QIODevice::WriteOnly);
    TArchiveFile file;
    file.SetFileName(path);
    QCOMPARE(raisedMessage([&] { file.Unpack(mainWindow, nullptr, "/tmp/", snrMasks); }),
             QByteArray("書庫の形式を判別できません。"));
    QVERIFY(file.CommandLine().isEmpty());
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atAutoDetect));
    QVERIFY(log.rows().isEmpty());
}

void ArchiveComponentTest::openArchiveDetectsByContent()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("song.dat"));
    QFile(dir.filePath("song.dat")).open(QIODevice::WriteOnly);
    TArchiveFile file;
    file.SetFileName(path);
    QCOMPARE(file.OpenArchive(mainWindow, 0), ArchiveHandle(4660));
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atLha));
    QVERIFY(dynamic_cast<TLha32 *>(file.Archiver()) != nullptr);
}

void ArchiveComponentTest::contentDetectionOrder()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("x.dat"));
    QFile(dir.filePath("x.dat")).open(QIODevice::WriteOnly);
    RecorderLog log;
    QCOMPARE(ordinal(DetectArchiverType(path, false)), ordinal(TArchiverType::atLha));
    QCOMPARE(log.entries(),
             (QList<QByteArray>{"TarGetArchiveType", "UnrarOpenArchive", "UnrarCloseArchive",
                                "UnarjOpenArchive", "UnarjCloseArchive", "UnzipOpenArchive",
                                "UnzipCloseArchive", "BgaOpenArchive", "BgaCloseArchive",
                                "CabOpenArchive", "CabCloseArchive", "UnlhaCheckArchive",
                                "UnlhaOpenArchive", "UnlhaCloseArchive"}));
    const auto check = log.rowsOf("UnlhaCheckArchive").value(0);
    QCOMPARE(check.value(2), path);
    QCOMPARE(check.value(3), QByteArray("16"));
    const auto open = log.rowsOf("UnlhaOpenArchive").value(0);
    QCOMPARE(open.value(2), QByteArray("0"));
    QCOMPARE(open.value(4), QByteArray("0x800002"));

    // Only the TAR library answers: its type decides.
    qputenv("TUNELET_RECORDER_OPEN", "0");
    qputenv("TUNELET_RECORDER_TYPE", "3");
    QCOMPARE(ordinal(DetectArchiverType(path, false)), ordinal(TArchiverType::atTgz));
    qputenv("TUNELET_RECORDER_TYPE", "7");
    QCOMPARE(ordinal(DetectArchiverType(path, false)), ordinal(TArchiverType::atBZ2));
    qputenv("TUNELET_RECORDER_TYPE", "1");
    QCOMPARE(ordinal(DetectArchiverType(path, false)), ordinal(TArchiverType::atTar));
    // The LHA library checks yes but cannot open: no.
    qputenv("TUNELET_RECORDER_TYPE", "0");
    QCOMPARE(ordinal(DetectArchiverType(path, false)), ordinal(TArchiverType::atNone));
    // A missing file: the ZIP and BGA probes answer no without asking.
    log.clear();
    qunsetenv("TUNELET_RECORDER_OPEN");
    DetectArchiverType(QFile::encodeName(dir.filePath("none.dat")), false);
    QVERIFY(!log.entries().contains("UnzipOpenArchive"));
    QVERIFY(!log.entries().contains("BgaOpenArchive"));
    QVERIFY(log.entries().contains("CabOpenArchive"));
}

void ArchiveComponentTest::contentDetectionFindsNothing()
{
    qputenv("TUNELET_RECORDER_OPEN", "0");
    qputenv("TUNELET_RECORDER_TYPE", "0");
    TArchiveFile file;
    file.SetFileName("/m/a.dat");
    QCOMPARE(raisedMessage([&] { file.OpenArchive(mainWindow, 0); }),
             QByteArray("書庫の形式を判別できません。"));
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atAutoDetect));

    useNoLibraries();
    QCOMPARE(ordinal(DetectArchiverType("/m/a.dat", false)), ordinal(TArchiverType::atNone));
}

void ArchiveComponentTest::exeNameDetectsByContent()
{
    qputenv("TUNELET_RECORDER_OPEN", "0");
    qputenv("TUNELET_RECORDER_TYPE", "6");
    TArchiveFile file;
    file.SetFileName("/m/SETUP.EXE");
    QCOMPARE(typeOf(file), ordinal(TArchiverType::atBZ2));
    QVERIFY(dynamic_cast<TBZ232 *>(file.Archiver()) != nullptr);

    useNoLibraries();
    TArchiveFile other;
    other.SetFileName("/m/setup.exe");
    QCOMPARE(other.FileName(), QByteArray("/m/setup.exe"));
    QCOMPARE(typeOf(other), ordinal(TArchiverType::atAutoDetect));
    QVERIFY(other.Archiver() == nullptr);
}

void ArchiveComponentTest::outputSize()
{
    RecorderLog log;
    TArchiveFile file;
    file.SetFileName("/m/a.lzh");
    file.SetOutputSize(0);
    QCOMPARE(file.OutputSize(), 0);
    file.Unpack(0, nullptr, "/out", snrMasks);
    auto call = log.rowsOf("Unlha").value(0);
    QCOMPARE(call.value(4), QByteArray("null"));
    QCOMPARE(call.value(5), QByteArray("0"));

    file.SetOutputSize(100);
    QCOMPARE(file.OutputSize(), 100);
    log.clear();
    file.Unpack(0, nullptr, "/out", snrMasks);
    call = log.rowsOf("Unlha").value(0);
    QCOMPARE(call.value(4), QByteArray("output"));
    QCOMPARE(call.value(5), QByteArray("100"));
    file.SetOutputSize(0);
    QCOMPARE(file.OutputSize(), 0);
}

void ArchiveComponentTest::jukeboxUnpackCommandLine()
{
    RecorderLog log;
    TArchiveFile file;
    file.Options().n = 1;
    file.SetFileName("C:\\Music\\song.lzh");
    QCOMPARE(file.Unpack(mainWindow, nullptr, "C:\\App\\", snrMasks), 0);
    const QByteArray expected(
        "x -+ -n1  \"C:\\Music\\song.lzh\" \"C:\\App\\\" \"*.SNR\" \"*.snr\" \"*.Snr\" ");
    QCOMPARE(file.CommandLine(), expected);
    QCOMPARE(file.Archiver()->CommandLine, expected);
    QCOMPARE(log.entries(), QList<QByteArray>{"Unlha"});
    const auto call = log.rows().value(0);
    QCOMPARE(call.value(0), QByteArray("libunlha32"));
    QCOMPARE(call.value(2), QByteArray("42"));
    QCOMPARE(call.value(3), expected);

    // A target folder without its backslash gets one; the library's result comes back.
    qputenv("TUNELET_RECORDER_RESULT", "32778");
    QCOMPARE(file.Unpack(mainWindow, nullptr, "/home/u/.config/tunelet", snrMasks), 32778);
    QVERIFY(file.CommandLine().contains(" \"/home/u/.config/tunelet\\\" "));
}

void ArchiveComponentTest::unpackWithGivenOptions()
{
    TArchiveFile file;
    file.Options().n = 1;
    file.SetFileName("a.lzh");
    TArchiverOptions given;
    given.a = 2;
    given.UserOptions = "-gm";
    given.UserFileList = "extra";
    file.Unpack(0, &given, "", FileItems{"one"});
    QCOMPARE(file.CommandLine(), QByteArray("x -+ -a2 -gm \"a.lzh\" \"one\" extra"));
}

void ArchiveComponentTest::ownerWindowWritesN1()
{
    RecorderLog log;
    TArchiveFile file;
    file.Options().n = 5;
    file.SetFileName("a.lzh");
    file.SetOnProgress([](TArchiveFile &, std::int32_t, void *, bool &) {});
    file.Unpack(mainWindow, nullptr, "", FileItems{});
    QCOMPARE(file.CommandLine(), QByteArray("x -+ -n1  \"a.lzh\" "));
    QCOMPARE(log.entries(),
             (QList<QByteArray>{"UnlhaSetOwnerWindowEx", "Unlha", "UnlhaKillOwnerWindowEx"}));
    QCOMPARE(log.rows().value(0).value(2), QByteArray("window"));
    QCOMPARE(log.rows().value(0).value(3), QByteArray("null"));
    QVERIFY(file.MessageWindow() != 0);
    QCOMPARE(file.Archiver()->OwnerWindow, WindowHandle(0));

    // Unhooked again: the option's own value counts.
    TArchiveFile plain;
    plain.Options().n = 5;
    plain.SetFileName("a.lzh");
    plain.Unpack(mainWindow, nullptr, "", FileItems{});
    QCOMPARE(plain.CommandLine(), QByteArray("x -+ -n5  \"a.lzh\" "));
}

void ArchiveComponentTest::noHandlerRegistersNoWindow()
{
    RecorderLog log;
    TArchiveFile file;
    file.SetFileName("a.lzh");
    file.Unpack(mainWindow, nullptr, "", FileItems{});
    QCOMPARE(file.MessageWindow(), WindowHandle(0));
    QCOMPARE(log.entries(), QList<QByteArray>{"Unlha"});
}

void ArchiveComponentTest::progressAbort_data()
{
    QTest::addColumn<bool>("abort");
    QTest::addColumn<QByteArray>("messageResult");
    QTest::addColumn<int>("result");
    QTest::newRow("go on") << false << QByteArray("0") << 0;
    QTest::newRow("abort") << true << QByteArray("1") << 0x8020;
}

void ArchiveComponentTest::progressAbort()
{
    QFETCH(bool, abort);
    QFETCH(QByteArray, messageResult);
    QFETCH(int, result);
    qputenv("TUNELET_RECORDER_PROGRESS", "1");
    RecorderLog log;
    TArchiveFile file;
    file.SetFileName("a.lzh");
    int calls = 0;
    TArchiveFile *sender = nullptr;
    std::int32_t seenState = -1;
    QByteArray source;
    file.SetOnProgress([&](TArchiveFile &from, std::int32_t state, void *lpEis, bool &stop) {
        ++calls;
        sender = &from;
        seenState = state;
        QVERIFY(!stop);
        source = static_cast<ArcExtractingInfo *>(lpEis)->sourceFileName;
        stop = abort;
    });
    QCOMPARE(file.Unpack(mainWindow, nullptr, "", FileItems{}), result);
    QCOMPARE(calls, 1);
    QCOMPARE(sender, &file);
    QCOMPARE(seenState, std::int32_t(ARC_EXTRACT_BEGIN));
    QCOMPARE(source, QByteArray("member.snr"));
    QCOMPARE(log.rowsOf("progress").value(0).value(2), messageResult);
    QCOMPARE(TArchiveFile::ProgressMessage(), registerWindowMessage("wm_arcextract"));
    QVERIFY(TArchiveFile::ProgressMessage() >= 0xC000);
}

void ArchiveComponentTest::windowProcedure()
{
    TArchiveFile file;
    file.SetFileName("a.lzh");
    bool aborting = true;
    file.SetOnProgress(
        [&](TArchiveFile &, std::int32_t, void *, bool &abort) { abort = aborting; });
    file.Unpack(0, nullptr, "", FileItems{});
    const auto message = TArchiveFile::ProgressMessage();
    QCOMPARE(file.WindowProc(message, 1, 0), std::intptr_t(1));
    aborting = false;
    QCOMPARE(file.WindowProc(message, 1, 0), std::intptr_t(0));
    aborting = true;
    QCOMPARE(file.WindowProc(message + 1, 1, 0), std::intptr_t(0));
    // The window is kept, and answers through its record as the libraries call it.
    auto *record = reinterpret_cast<ArcMessageWindow *>(file.MessageWindow());
    QCOMPARE(record->signature, ARC_MESSAGE_WINDOW_SIGNATURE);
    QCOMPARE(record->progressMessage, message);
    QCOMPARE(record->send(record, message, 0, 0), std::intptr_t(1));
    file.SetOnProgress(nullptr);
    QCOMPARE(record->send(record, message, 0, 0), std::intptr_t(0));
}

void ArchiveComponentTest::ownerWindowErrorsDiscarded()
{
    // Without UNZIP32 the ZIP back-end cannot register a window; unpacking goes on.
    useRecorders("lmzip");
    RecorderLog log;
    TArchiveFile file;
    file.SetFileName("a.zip");
    file.SetOnProgress([](TArchiveFile &, std::int32_t, void *, bool &) {});
    QCOMPARE(file.Unpack(mainWindow, nullptr, "", FileItems{"m"}), 0);
    QCOMPARE(file.CommandLine(), QByteArray("-x  \"a.zip\" \"m\" "));
    QCOMPARE(log.entries(), QList<QByteArray>{"Unzip"});
}

void ArchiveComponentTest::commandLineCopiedWhenBackendRaises()
{
    TArchiveFile file;
    file.Options().n = 1;
    file.SetFileName("a.lzh");
    useNoLibraries(); // the command is built, then the library cannot be loaded
    QCOMPARE(raisedMessage([&] { file.Unpack(0, nullptr, "/o/", snrMasks); }),
             QByteArray("Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。"));
    QCOMPARE(file.CommandLine(),
             QByteArray("x -+ -n1  \"a.lzh\" \"/o/\\\" \"*.SNR\" \"*.snr\" \"*.Snr\" "));
}

void ArchiveComponentTest::listing()
{
    qputenv("TUNELET_RECORDER_MEMBERS", "a.snr;dir/b.snr");
    RecorderLog log;
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    TArchiveFile file;
    file.SetFileName("song.lzh");
    QCOMPARE(file.OpenArchive(mainWindow, 0), ArchiveHandle(4660));
    TArchiveEntryInfo info{};
    QCOMPARE(file.FindFirst("*.snr", info), 0);
    QCOMPARE(entryFileName(info), QByteArray("a.snr"));
    QCOMPARE(file.FindNext(info), 0);
    QCOMPARE(entryFileName(info), QByteArray("dir/b.snr"));
    QCOMPARE(file.FindNext(info), -1);
    file.CloseArchive();
    const auto rows = log.rows();
    QCOMPARE(log.entries(),
             (QList<QByteArray>{"UnlhaOpenArchive", "UnlhaFindFirst", "UnlhaFindNext",
                                "UnlhaFindNext", "UnlhaCloseArchive"}));
    QCOMPARE(rows.value(0).value(2), QByteArray("42"));
    QCOMPARE(rows.value(0).value(3), QFile::encodeName(dir.filePath("song.lzh")));
    QCOMPARE(rows.value(0).value(4), QByteArray("0x0"));
    QCOMPARE(rows.value(1).value(2), QByteArray("4660"));
    QCOMPARE(rows.value(1).value(3), QByteArray("*.snr"));
    QCOMPARE(rows.value(4).value(2), QByteArray("4660"));
    // The handle is forgotten after closing.
    log.clear();
    file.FindFirst("*", info);
    QCOMPARE(log.rows().value(0).value(2), QByteArray("0"));
}

void ArchiveComponentTest::missingFindNextEntry()
{
    useRecorders("nofindnext");
    TArchiveFile file;
    file.SetFileName("song.lzh");
    file.OpenArchive(mainWindow, 0);
    TArchiveEntryInfo info{};
    QCOMPARE(file.FindFirst("*.snr", info), -1);
    QCOMPARE(raisedMessage([&] { file.FindNext(info); }),
             recorderFolder("nofindnext") +
                 "/libunlha32.so に UnlhaFindNext のエントリが見つかりません。");
}

void ArchiveComponentTest::listingWithoutBackendRaises()
{
    TArchiveFile file;
    file.SetFileName("a.txt");
    TArchiveEntryInfo info{};
    const QByteArray message("書庫の形式を判別できません。");
    QCOMPARE(raisedMessage([&] { file.FindFirst("*", info); }), message);
    QCOMPARE(raisedMessage([&] { file.FindNext(info); }), message);
    QCOMPARE(raisedMessage([&] { file.CloseArchive(); }), message);
}

QTEST_GUILESS_MAIN(ArchiveComponentTest)
#include "tst_archive_component.moc"
