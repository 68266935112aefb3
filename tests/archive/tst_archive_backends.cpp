#include "archive/ARCHIVES.h"
#include "archive/ARJ32.h"
#include "archive/BGA32.h"
#include "archive/CAB32.h"
#include "archive/LHA32.h"
#include "archive/RAR32.h"
#include "archive/TAR32.h"
#include "archive/ZIP32.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/ArchiveTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tunelet::testkit;

namespace
{

constexpr WindowHandle window = 42;

// A back-end that offers nothing but the abstract Unpack.
class TBare final : public TArchiver
{
public:
    int Unpack(WindowHandle, const QByteArray &, const TArchiverOptions &, const QByteArray &,
               const FileItems &, bool, QByteArray &) override
    {
        return 0;
    }
};

} // namespace

// Each back-end's command lines, entry points and answers, observed through the recording
// libraries.
class ArchiveBackendsTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void baseOperations();
    void lhaBuilderOrder();
    void lhaCommands_data();
    void lhaCommands();
    void lhaResponseFile();
    void lhaExtractMem();
    void lhaListingAndCheck();
    void lhaOwnerWindow();
    void zipUnpack();
    void zipEntriesFromTheirLibraries();
    void zipPackWithZip32j_data();
    void zipPackWithZip32j();
    void zipRemoveAndUpdate();
    void zipPackWithLmzip();
    void zipWithoutPacker();
    void zipOwnerWindow();
    void zipMakeSfx();
    void zipExtractMem();
    void cabCommands();
    void arjCommands();
    void tarBuilder_data();
    void tarBuilder();
    void tarForeground();
    void tarMakeSfx();
    void bz2MakeSfxRaisesFirst();
    void tarArchiveType_data();
    void tarArchiveType();
    void tarOwnerAnswers();
    void rarCommands_data();
    void rarCommands();
    void rarUnsupported();
    void bgaCommands();
    void responseFileFlag_data();
    void responseFileFlag();
    void windowsFormArchivePaths();

private:
    QTemporaryDir m_dir;
    QString m_oldCurrent;
    TArchiverOptions m_options;
    QByteArray m_output;
};

void ArchiveBackendsTest::init()
{
    clearRecorderAnswers();
    useRecorders("all");
    m_options.Reset();
    m_output.clear();
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void ArchiveBackendsTest::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    SetForegroundWindowHandler(nullptr);
}

void ArchiveBackendsTest::baseOperations()
{
    TBare bare;
    TArchiveEntryInfo info{};
    QCOMPARE(raisedMessage([&] { bare.LoadDLL(); }),
             QByteArray("Abstract method 'TArchiver.LoadDLL' was called"));
    QCOMPARE(raisedMessage([&] { bare.FreeDLL(); }),
             QByteArray("Abstract method 'TArchiver.FreeDLL' was called"));
    QCOMPARE(raisedMessage([&] { TArchiver::Create<TBare>(); }),
             QByteArray("Abstract method 'TArchiver.LoadDLL' was called"));
    QCOMPARE(raisedMessage([&] { bare.LoadPackDLL(); }),
             QByteArray("Abstract method 'TArchiver.LoadDLL' was called"));
    QCOMPARE(bare.OpenArchive(window, "a", 0), ArchiveHandle(0));
    QCOMPARE(bare.FindFirst(1, info, "*"), -1);
    QCOMPARE(bare.FindNext(1, info), -1);
    QCOMPARE(bare.CloseArchive(1), 0);
    const FileItems none;
    QCOMPARE(raisedMessage([&] { bare.Pack(0, "a", m_options, "", none, false, m_output); }),
             QByteArray("この形式では書庫ファイルの作成をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { bare.RemoveItems(0, "a", m_options, "", none, false, m_output); }),
             QByteArray("この形式の書庫ではファイルの削除をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { bare.Update(0, "a", m_options, "", none, false, m_output); }),
             QByteArray("この形式の書庫では書庫の更新をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { bare.MakeSFX(0, "a", m_options, "", m_output); }),
             QByteArray("この形式では自己解凍書庫の作成をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { bare.ExtractMem(0, "a", m_options, "m", nullptr, 0, nullptr); }),
             QByteArray("この形式ではメモリへの展開をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { bare.CheckArchive("a", 0, 0); }),
             QByteArray("この形式では書庫チェック機能をサポートしておりません。"));
    QCOMPARE(bare.SetOwnerWindowEx(window, nullptr), 0);
    QCOMPARE(bare.OwnerWindow, window);
    QVERIFY(bare.HasOwnerWindow());
    QCOMPARE(bare.KillOwnerWindowEx(window), 0);
    QCOMPARE(bare.OwnerWindow, WindowHandle(0));
}

void ArchiveBackendsTest::lhaBuilderOrder()
{
    RecorderLog log;
    auto lha = TArchiver::Create<TLha32>();
    TSmallOption value = 0;
    for (TSmallOption *option :
         {&m_options.a,   &m_options.c,   &m_options.e,   &m_options.f,   &m_options.h,
          &m_options.i,   &m_options.l,   &m_options.m,   &m_options.n,   &m_options.o,
          &m_options.p,   &m_options.r,   &m_options.s,   &m_options.t,   &m_options.u,
          &m_options.x,   &m_options.y,   &m_options.z,   &m_options.jc,  &m_options.jd,
          &m_options.je,  &m_options.jf,  &m_options.jh,  &m_options.ji,  &m_options.jm,
          &m_options.jn,  &m_options.jp,  &m_options.jr,  &m_options.jss, &m_options.jw,
          &m_options.jyc, &m_options.jyd, &m_options.jyk, &m_options.jyn, &m_options.jyo,
          &m_options.ga,  &m_options.gd,  &m_options.ge,  &m_options.gf,  &m_options.gj,
          &m_options.gm,  &m_options.gn,  &m_options.go,  &m_options.gp,  &m_options.gs,
          &m_options.gu,  &m_options.gw})
        *option = value++;
    m_options.w = "tmp";
    m_options.jo = "o o";
    m_options.job = "b";
    m_options.jx = {"x1", "x2"};
    m_options.jz = "z";
    m_options.gr = "r";
    m_options.UserOptions = "-U";
    m_options.UserFileList = "LIST";
    lha->Unpack(0, "a.lzh", m_options, "d", FileItems{"f"}, false, m_output);
    QCOMPARE(lha->CommandLine,
             QByteArray("x -+ -a0 -c1 -e2 -f3 -h4 -i5 -l6 -m7 -n8 -o9 -p10 -r11 -s12 -t13 -u14 "
                        "\"-wtmp\\\" -x15 -y16 -z17 -jc18 -jd19 -je20 -jf21 -jh22 -ji23 -jm24 "
                        "-jn25 \"-joo o\" \"-jobb\" -jp26 -jr27 -jss28 -jw29 \"-jxx1\" \"-jxx2\" "
                        "-jyc30 -jyd31 -jyk32 -jyn33 -jyo34 \"-jzz\" -ga35 -gd36 -ge37 -gf38 "
                        "-gj39 -gm40 -gn41 -go42 -gp43 \"-grr\" -gs44 -gu45 -gw46 -U \"a.lzh\" "
                        "\"d\\\" \"f\" LIST"));
    QCOMPARE(log.rows().value(0).value(3), lha->CommandLine);
}

void ArchiveBackendsTest::lhaCommands_data()
{
    QTest::addColumn<QByteArray>("operation");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Unpack") << QByteArray("Unpack") << QByteArray("x -+  \"a.lzh\" \"d\\\" \"f\" ");
    QTest::newRow("Pack") << QByteArray("Pack") << QByteArray("u -+  \"a.lzh\" \"d\\\" \"f\" ");
    QTest::newRow("RemoveItems") << QByteArray("RemoveItems")
                                 << QByteArray("d -+  \"a.lzh\" \"f\" ");
    QTest::newRow("Update") << QByteArray("Update") << QByteArray("f -+  \"a.lzh\" \"d\\\" \"f\" ");
    QTest::newRow("MakeSFX") << QByteArray("MakeSFX") << QByteArray("s -+  \"a.lzh\" \"d\\\" ");
}

void ArchiveBackendsTest::lhaCommands()
{
    QFETCH(QByteArray, operation);
    QFETCH(QByteArray, expected);
    RecorderLog log;
    auto lha = TArchiver::Create<TLha32>();
    const FileItems files{"f"};
    if (operation == "Unpack")
        lha->Unpack(window, "a.lzh", m_options, "d", files, false, m_output);
    else if (operation == "Pack")
        lha->Pack(window, "a.lzh", m_options, "d", files, false, m_output);
    else if (operation == "RemoveItems")
        lha->RemoveItems(window, "a.lzh", m_options, "d", files, false, m_output);
    else if (operation == "Update")
        lha->Update(window, "a.lzh", m_options, "d", files, false, m_output);
    else
        lha->MakeSFX(window, "a.lzh", m_options, "d", m_output);
    QCOMPARE(lha->CommandLine, expected);
    QCOMPARE(log.entries(), QList<QByteArray>{"Unlha"});
    QCOMPARE(log.rows().value(0).value(2), QByteArray("42"));
}

void ArchiveBackendsTest::lhaResponseFile()
{
    auto lha = TArchiver::Create<TLha32>();
    const QByteArray list = QFile::encodeName(m_dir.filePath("files.lst"));
    m_options.ResFileName = list;
    const FileItems files{"a.snr", "b.snr"};
    // Derived from the option set, whatever the caller passes.
    lha->Unpack(0, "a.lzh", m_options, "", files, false, m_output);
    QCOMPARE(lha->CommandLine, "x -+  \"a.lzh\" \"@" + list + "\" ");
    QCOMPARE(fileBytes(m_dir.filePath("files.lst")), QByteArray("\"a.snr\"\r\n\"b.snr\"\r\n"));
    lha->RemoveItems(0, "a.lzh", m_options, "", files, false, m_output);
    QVERIFY(lha->CommandLine.contains("@"));
    // ruOnUpdate is not in the default set.
    lha->Update(0, "a.lzh", m_options, "", files, true, m_output);
    QCOMPARE(lha->CommandLine, QByteArray("f -+  \"a.lzh\" \"a.snr\" \"b.snr\" "));
    // The NUL string counts as no response file.
    m_options.ResFileName = QByteArray(1, '\0');
    lha->Unpack(0, "a.lzh", m_options, "", files, true, m_output);
    QCOMPARE(lha->CommandLine, QByteArray("x -+  \"a.lzh\" \"a.snr\" \"b.snr\" "));
}

void ArchiveBackendsTest::lhaExtractMem()
{
    RecorderLog log;
    auto lha = TArchiver::Create<TLha32>();
    char buffer[8] = {};
    std::uint32_t written = 0;
    QCOMPARE(lha->ExtractMem(window, "a.lzh", m_options, "m.snr", buffer, sizeof buffer, &written),
             0);
    QCOMPARE(lha->CommandLine, QByteArray(" -+  \"a.lzh\" \"m.snr\" "));
    QCOMPARE(written, 2u);
    QCOMPARE(QByteArray(buffer, 2), QByteArray("ok"));
    const auto row = log.rows().value(0);
    QCOMPARE(row.mid(1), (QList<QByteArray>{"UnlhaExtractMem", "42", lha->CommandLine, "8", "null",
                                            "null", "written"}));
}

void ArchiveBackendsTest::lhaListingAndCheck()
{
    RecorderLog log;
    auto lha = TArchiver::Create<TLha32>();
    QCOMPARE(lha->CheckArchive("a.lzh", 16, 3), 1);
    lha->OpenArchive(window, "sub/../a.lzh", 2);
    const auto rows = log.rows();
    QCOMPARE(rows.value(0).mid(1), (QList<QByteArray>{"UnlhaCheckArchive", "a.lzh", "19"}));
    QCOMPARE(rows.value(1).value(3), QFile::encodeName(m_dir.filePath("a.lzh")));
    QCOMPARE(rows.value(1).value(4), QByteArray("0x2"));
}

void ArchiveBackendsTest::lhaOwnerWindow()
{
    RecorderLog log;
    auto lha = TArchiver::Create<TLha32>();
    qputenv("TUNELET_RECORDER_OWNER", "7");
    QCOMPARE(lha->SetOwnerWindowEx(window, nullptr), 1);
    QCOMPARE(lha->OwnerWindow, window);
    QCOMPARE(lha->KillOwnerWindowEx(window), 1);
    QCOMPARE(lha->OwnerWindow, WindowHandle(0));
    qputenv("TUNELET_RECORDER_OWNER", "0");
    // The window is kept before the library is asked, even when it says no.
    QCOMPARE(lha->SetOwnerWindowEx(window, nullptr), 0);
    QCOMPARE(lha->OwnerWindow, window);
    QCOMPARE(lha->KillOwnerWindowEx(window), 0);
    QCOMPARE(log.entries(), (QList<QByteArray>{"UnlhaSetOwnerWindowEx", "UnlhaKillOwnerWindowEx",
                                               "UnlhaSetOwnerWindowEx", "UnlhaKillOwnerWindowEx"}));
}

void ArchiveBackendsTest::zipUnpack()
{
    RecorderLog log;
    auto zip = TArchiver::Create<TZip32>();
    zip->Unpack(window, "d\\[x].zip", m_options, "out", FileItems{"dir\\[a].txt"}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-x  \"d\\[x].zip\" \"out\\\" \"dir/[[]a].txt\" "));
    QCOMPARE(log.rows().value(0).mid(0, 2), (QList<QByteArray>{"libunzip32", "UnZip"}));

    m_options.c = 1;
    m_options.x = 0;
    zip->SetOwnerWindowEx(window, nullptr);
    zip->Unpack(window, "a.zip", m_options, "", FileItems{}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-x -o --i -j  \"a.zip\" "));
    zip->KillOwnerWindowEx(window);
    m_options.n = 1;
    zip->Unpack(window, "a.zip", m_options, "", FileItems{}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-x -o --i -j  \"a.zip\" "));
    m_options.n = 0;
    zip->Unpack(window, "a.zip", m_options, "", FileItems{}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-x -o -j  \"a.zip\" "));

    // The caller's flag decides the response file.
    m_options.ResFileName = QFile::encodeName(m_dir.filePath("r.lst"));
    zip->Unpack(window, "a.zip", m_options, "", FileItems{"x\\y"}, false, m_output);
    QVERIFY(!zip->CommandLine.contains('@'));
    zip->Unpack(window, "a.zip", m_options, "", FileItems{"x\\y"}, true, m_output);
    QVERIFY(zip->CommandLine.contains('@'));
    QCOMPARE(fileBytes(m_dir.filePath("r.lst")), QByteArray("\"x/y\"\r\n"));
}

void ArchiveBackendsTest::zipEntriesFromTheirLibraries()
{
    QVERIFY(writeFileIn(m_dir.filePath("a.zip"), "zip"));
    RecorderLog log;
    auto zip = TArchiver::Create<TZip32>();
    TArchiveEntryInfo info{};
    const ArchiveHandle handle = zip->OpenArchive(window, "a.zip", 0);
    zip->FindFirst(handle, info, "*");
    zip->FindNext(handle, info);
    zip->CloseArchive(handle);
    QCOMPARE(zip->CheckArchive("a.zip", 4, 8), 1);
    QVERIFY(TZip32::IsArchive("a.zip"));
    QVERIFY(!TZip32::IsArchive("missing.zip"));
    QStringList calls;
    for (const auto &row : log.rows())
        calls.append(QString::fromUtf8(row.value(0) + ':' + row.value(1)));
    QCOMPARE(calls, (QStringList{"liblmzip32:UnzipOpenArchive", "liblmzip32:UnzipFindFirst",
                                 "liblmzip32:UnzipFindNext", "liblmzip32:UnzipCloseArchive",
                                 "libunzip32:UnZipCheckArchive", "liblmzip32:UnzipOpenArchive",
                                 "liblmzip32:UnzipCloseArchive"}));
    // ZIP passes the mode alone.
    QCOMPARE(log.rowsOf("UnZipCheckArchive").value(0).value(3), QByteArray("4"));
}

void ArchiveBackendsTest::zipPackWithZip32j_data()
{
    QTest::addColumn<QList<int>>("values"); // a l n r u x jc ji jm gd
    QTest::addColumn<QByteArray>("switches");
    QTest::newRow("unset") << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}
                           << QByteArray(" -D");
    QTest::newRow("every switch") << QList<int>{1, 1, 1, 1, 1, 0, 1, 1, 9, 1}
                                  << QByteArray(" -S -D -v -q -r -o -u -j -FF -k -9 -J");
    QTest::newRow("a = 2") << QList<int>{2, 0, 0, 0, 0, 1, 0, 0, 0, 0} << QByteArray(" -S -0");
}

void ArchiveBackendsTest::zipPackWithZip32j()
{
    QFETCH(QList<int>, values);
    QFETCH(QByteArray, switches);
    TSmallOption *fields[] = {&m_options.a,  &m_options.l, &m_options.n,  &m_options.r,
                              &m_options.u,  &m_options.x, &m_options.jc, &m_options.ji,
                              &m_options.jm, &m_options.gd};
    for (int i = 0; i < 10; ++i)
        *fields[i] = static_cast<TSmallOption>(values[i]);
    RecorderLog log;
    auto zip = TArchiver::Create<TZip32>();
    zip->Pack(window, "a.zip", m_options, "src", FileItems{"d\\f"}, false, m_output);
    QCOMPARE(zip->CommandLine, switches + "  \"a.zip\" \"src\\\" \"d/f\" ");
    QCOMPARE(log.rows().value(0).mid(0, 2), (QList<QByteArray>{"libzip32j", "Zip"}));
}

void ArchiveBackendsTest::zipRemoveAndUpdate()
{
    auto zip = TArchiver::Create<TZip32>();
    zip->RemoveItems(window, "a.zip", m_options, "src", FileItems{"f"}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-d -D  \"a.zip\" \"f\" "));
    zip->Update(window, "a.zip", m_options, "src", FileItems{"f"}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-f -D  \"a.zip\" \"src\\\" \"f\" "));
    zip->LoadPackDLL();
}

void ArchiveBackendsTest::zipPackWithLmzip()
{
    useRecorders("lmzip");
    QVERIFY(writeFileIn(m_dir.filePath("new.zip"), "old archive"));
    RecorderLog log;
    auto zip = TArchiver::Create<TZip32>();
    m_options.c = 1;
    m_options.x = 0;
    m_options.n = 1;
    zip->Pack(window, "new.zip", m_options, "src", FileItems{"d\\[f]"}, false, m_output);
    QCOMPARE(zip->CommandLine, QByteArray("-ru -o -j  \"new.zip\" \"d\\[f]\" "));
    QVERIFY(!QFile::exists(m_dir.filePath("new.zip")));
    QCOMPARE(log.rows().value(0).mid(0, 2), (QList<QByteArray>{"liblmzip32", "Zip"}));
    // Unpacking goes to the same library under its own spelling.
    zip->Unpack(window, "a.zip", m_options, "", FileItems{}, false, m_output);
    QCOMPARE(log.rows().value(1).mid(0, 2), (QList<QByteArray>{"liblmzip32", "Unzip"}));
    zip->LoadPackDLL();
    QCOMPARE(raisedMessage([&] { zip->MakeSFX(window, "a.zip", m_options, "", m_output); }),
             QByteArray("ZIP 形式書庫からの自己解凍書庫作成には ZIP32J.DLL が必要です。"));
}

void ArchiveBackendsTest::zipWithoutPacker()
{
    useRecorders("unzip");
    auto zip = TArchiver::Create<TZip32>();
    const QByteArray message("ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。");
    QCOMPARE(
        raisedMessage([&] { zip->Pack(0, "a.zip", m_options, "", FileItems{}, false, m_output); }),
        message);
    QCOMPARE(raisedMessage([&] { zip->LoadPackDLL(); }), message);
    QCOMPARE(raisedMessage([&] {
                 zip->RemoveItems(0, "a.zip", m_options, "", FileItems{}, false, m_output);
             }),
             message);
    // Listing falls through to the one loaded library.
    RecorderLog log;
    TArchiveEntryInfo info{};
    zip->FindFirst(1, info, "*");
    QCOMPARE(log.rows().value(0).mid(0, 2), (QList<QByteArray>{"libunzip32", "UnZipFindFirst"}));
    useNoLibraries();
    QCOMPARE(raisedMessage([] { TArchiver::Create<TZip32>(); }),
             QByteArray("ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには ZIP32J.DLL "
                        "が必要です。"));
}

void ArchiveBackendsTest::zipOwnerWindow()
{
    RecorderLog log;
    auto zip = TArchiver::Create<TZip32>();
    qputenv("TUNELET_RECORDER_OWNER", "3");
    QCOMPARE(zip->SetOwnerWindowEx(window, nullptr), 1);
    QCOMPARE(zip->OwnerWindow, window);
    QCOMPARE(zip->KillOwnerWindowEx(window), 1);
    QCOMPARE(log.rows().value(0).mid(0, 2),
             (QList<QByteArray>{"libunzip32", "UnZipSetOwnerWindowEx"}));

    // Without UNZIP32 the window is not registered, and not kept.
    useRecorders("lmzip");
    auto packer = TArchiver::Create<TZip32>();
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    QCOMPARE(raisedMessage([&] { packer->SetOwnerWindowEx(window, nullptr); }),
             self + " に UnZipSetOwnerWindowEx のエントリが見つかりません。");
    QCOMPARE(packer->OwnerWindow, WindowHandle(0));
}

void ArchiveBackendsTest::zipMakeSfx()
{
    QVERIFY(writeFileIn(m_dir.filePath("a.zip"), "ZIPDATA"));
    auto zip = TArchiver::Create<TZip32>();
    m_options.gw = 1;
    QCOMPARE(raisedMessage([&] { zip->MakeSFX(window, "a.zip", m_options, "", m_output); }),
             QByteArray("zip 書庫からのWin32自己解凍書庫の作成には sfx32gui.dat が必要です。"));
    m_options.gw = 0;
    QCOMPARE(raisedMessage([&] { zip->MakeSFX(window, "a.zip", m_options, "", m_output); }),
             QByteArray("zip 書庫からのDOS自己解凍書庫の作成には sfx16.dat が必要です。"));
    QVERIFY(writeFileIn(m_dir.filePath("sfx16.dat"), "DOSSTUB"));
    QDir().mkdir("out");
    RecorderLog log;
    QCOMPARE(zip->MakeSFX(window, "a.zip", m_options, "out", m_output), 0);
    QCOMPARE(fileBytes(m_dir.filePath("out/a.EXE")), QByteArray("DOSSTUBZIPDATA"));
    QCOMPARE(zip->CommandLine, QByteArray("-A out/a.EXE"));
    QCOMPARE(log.rows().value(0).mid(1, 3), (QList<QByteArray>{"Zip", "42", "-A out/a.EXE"}));
}

void ArchiveBackendsTest::zipExtractMem()
{
    RecorderLog log;
    auto zip = TArchiver::Create<TZip32>();
    char buffer[4];
    std::uint32_t written = 0;
    zip->ExtractMem(window, "a.zip", m_options, "d\\m", buffer, 4, &written);
    QCOMPARE(zip->CommandLine, QByteArray("  \"a.zip\" \"d/m\" "));
    QCOMPARE(log.rows().value(0).mid(0, 2), (QList<QByteArray>{"libunzip32", "UnZipExtractMem"}));
}

void ArchiveBackendsTest::cabCommands()
{
    RecorderLog log;
    auto cab = TArchiver::Create<TCab32>();
    const QByteArray full = QFile::encodeName(m_dir.filePath("a.cab"));
    cab->Unpack(window, "a.cab", m_options, "out", FileItems{"f"}, false, m_output);
    QCOMPARE(cab->CommandLine, "-x  \"" + full + "\" \"out\\\" \"f\" ");
    m_options.c = 1;
    m_options.r = 1;
    m_options.x = 0;
    m_options.ji = 1;
    cab->Pack(window, "a.cab", m_options, "src", FileItems{"f"}, false, m_output);
    QCOMPARE(cab->CommandLine, QByteArray("-a -o -r -j -q  \"a.cab\" \"src\\\" \"f\" "));
    m_options = TArchiverOptions();
    cab->SetOwnerWindowEx(window, nullptr);
    cab->MakeSFX(window, "a.cab", m_options, "", m_output);
    QCOMPARE(cab->CommandLine, QByteArray("-f -i  \"a.cab\" "));
    QCOMPARE(raisedMessage([&] {
                 cab->RemoveItems(0, "a.cab", m_options, "", FileItems{}, false, m_output);
             }),
             QByteArray("この形式の書庫ではファイルの削除をサポートしておりません。"));
    // CAB hands the library's owner-window answers back unchanged.
    qputenv("TUNELET_RECORDER_OWNER", "5");
    QCOMPARE(cab->SetOwnerWindowEx(window, nullptr), 5);
    QCOMPARE(cab->KillOwnerWindowEx(window), 5);
    QCOMPARE(cab->CheckArchive("a.cab", 1, 2), 1);
    QCOMPARE(log.rowsOf("CabCheckArchive").value(0).value(3), QByteArray("3"));
    QCOMPARE(log.rowsOf("Cab").size(), 3);
}

void ArchiveBackendsTest::arjCommands()
{
    RecorderLog log;
    auto arj = TArchiver::Create<TArj32>();
    m_options.ResFileName = QFile::encodeName(m_dir.filePath("r.lst"));
    arj->Unpack(window, "a.arj", m_options, "out", FileItems{"f"}, false, m_output);
    QCOMPARE(arj->CommandLine, QByteArray("x -+  \"a.arj\" \"out\\\" \"f\" "));
    qputenv("TUNELET_RECORDER_OWNER", "9");
    QCOMPARE(arj->SetOwnerWindowEx(window, nullptr), 1);
    QCOMPARE(arj->OwnerWindow, window);
    QCOMPARE(arj->KillOwnerWindowEx(window), 1);
    QCOMPARE(arj->OwnerWindow, WindowHandle(0));
    TArchiveEntryInfo info{};
    const auto handle = arj->OpenArchive(window, "a.arj", 0);
    arj->FindFirst(handle, info, "*");
    arj->FindNext(handle, info);
    arj->CloseArchive(handle);
    QCOMPARE(log.entries(),
             (QList<QByteArray>{"Unarj", "UnarjSetOwnerWindowEx", "UnarjKillOwnerWindowEx",
                                "UnarjOpenArchive", "UnarjFindFirst", "UnarjFindNext",
                                "UnarjCloseArchive"}));
    QCOMPARE(
        raisedMessage([&] { arj->Pack(0, "a.arj", m_options, "", FileItems{}, false, m_output); }),
        QByteArray("この形式では書庫ファイルの作成をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { arj->MakeSFX(0, "a.arj", m_options, "", m_output); }),
             QByteArray("この形式では自己解凍書庫の作成をサポートしておりません。"));
    QCOMPARE(
        raisedMessage([&] { arj->ExtractMem(0, "a.arj", m_options, "m", nullptr, 0, nullptr); }),
        QByteArray("この形式ではメモリへの展開をサポートしておりません。"));
    QCOMPARE(log.rows().size(), 7);
}

void ArchiveBackendsTest::tarBuilder_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QList<int>>("values"); // a n o p x jm
    QTest::addColumn<bool>("owner");
    QTest::addColumn<QByteArray>("expected");
    const QList<int> unset{-1, -1, -1, -1, -1, -1};
    QTest::newRow("tar unset") << QByteArray("tar") << unset << false
                               << QByteArray("x  -f \"a.tar\" -o \"out\\\" \"m\" ");
    QTest::newRow("tar all") << QByteArray("tar") << QList<int>{1, 1, 1, 1, 0, 9} << false
                             << QByteArray("x -AH --display-dialog=0 -g --check-all-path=1 "
                                           "--use-directory=0  -f \"a.tar\" -o \"out\\\" \"m\" ");
    QTest::newRow("tar a = 0, owner")
        << QByteArray("tar") << QList<int>{0, 1, 0, -1, -1, -1} << true
        << QByteArray("x -I  -f \"a.tar\" -o \"out\\\" \"m\" ");
    QTest::newRow("tgz jm 9") << QByteArray("tgz") << QList<int>{-1, -1, -1, -1, -1, 9} << false
                              << QByteArray("x -z9  -f \"a.tar\" -o \"out\\\" \"m\" ");
    QTest::newRow("tgz jm unset") << QByteArray("tgz") << unset << false
                                  << QByteArray("x -z  -f \"a.tar\" -o \"out\\\" \"m\" ");
    QTest::newRow("bz2 jm unset") << QByteArray("bz2") << unset << false
                                  << QByteArray("x -B  -f \"a.tar\" -o \"out\\\" \"m\" ");
    QTest::newRow("bz2 jm 5") << QByteArray("bz2") << QList<int>{-1, -1, -1, -1, -1, 5} << false
                              << QByteArray("x -B5  -f \"a.tar\" -o \"out\\\" \"m\" ");
}

void ArchiveBackendsTest::tarBuilder()
{
    QFETCH(QByteArray, kind);
    QFETCH(QList<int>, values);
    QFETCH(bool, owner);
    QFETCH(QByteArray, expected);
    std::unique_ptr<TTar32> tar;
    if (kind == "tgz")
        tar = TArchiver::Create<TTgz32>();
    else if (kind == "bz2")
        tar = TArchiver::Create<TBZ232>();
    else
        tar = TArchiver::Create<TTar32>();
    TSmallOption *fields[] = {&m_options.a, &m_options.n, &m_options.o,
                              &m_options.p, &m_options.x, &m_options.jm};
    for (int i = 0; i < 6; ++i)
        *fields[i] = static_cast<TSmallOption>(values[i]);
    if (owner)
        tar->SetOwnerWindowEx(window, nullptr);
    tar->Unpack(0, "a.tar", m_options, "out", FileItems{"m"}, false, m_output);
    QCOMPARE(tar->CommandLine, expected);
    tar->Pack(0, "", m_options, "", FileItems{}, false, m_output);
    QVERIFY(tar->CommandLine.startsWith("c "));
    QVERIFY(!tar->CommandLine.contains("-f"));
}

void ArchiveBackendsTest::tarForeground()
{
    QList<WindowHandle> raised;
    SetForegroundWindowHandler([&](WindowHandle w) { raised.append(w); });
    auto tar = TArchiver::Create<TTar32>();
    tar->Unpack(0, "a.tar", m_options, "", FileItems{}, false, m_output);
    QVERIFY(raised.isEmpty());
    tar->Unpack(window, "a.tar", m_options, "", FileItems{}, false, m_output);
    QCOMPARE(raised, QList<WindowHandle>{window});
}

void ArchiveBackendsTest::tarMakeSfx()
{
    QVERIFY(writeFileIn(m_dir.filePath("a.tgz"), "TGZDATA"));
    RecorderLog log;
    auto tgz = TArchiver::Create<TTgz32>();
    tgz->CommandLine = "earlier";
    QCOMPARE(raisedMessage([&] { tgz->MakeSFX(window, "a.tgz", m_options, "", m_output); }),
             QByteArray("tar/tgz 書庫からの自己解凍書庫の作成には kmtarsef.exe が必要です。"));
    QVERIFY(writeFileIn(m_dir.filePath("kmtarsef.exe"), "SEF"));
    QCOMPARE(tgz->MakeSFX(window, "a.tgz", m_options, "", m_output), 0);
    QCOMPARE(fileBytes(m_dir.filePath("a.EXE")), QByteArray("SEFTGZDATA"));
    QCOMPARE(tgz->CommandLine, QByteArray("earlier"));
    QVERIFY(log.rows().isEmpty());
}

void ArchiveBackendsTest::bz2MakeSfxRaisesFirst()
{
    QVERIFY(writeFileIn(m_dir.filePath("kmtarsef.exe"), "SEF"));
    auto bz2 = TArchiver::Create<TBZ232>();
    QCOMPARE(raisedMessage([&] { bz2->MakeSFX(window, "missing.bz2", m_options, "", m_output); }),
             QByteArray("BZ2 形式書庫は自己解凍形式にできません。"));
    QVERIFY(!QFile::exists(m_dir.filePath("missing.EXE")));
}

void ArchiveBackendsTest::tarArchiveType_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("type");
    QTest::newRow("0") << QByteArray("0") << int(TArchiverType::atNone);
    QTest::newRow("1") << QByteArray("1") << int(TArchiverType::atTar);
    for (const char *n : {"2", "3", "4", "5"})
        QTest::newRow(n) << QByteArray(n) << int(TArchiverType::atTgz);
    QTest::newRow("6") << QByteArray("6") << int(TArchiverType::atBZ2);
    QTest::newRow("7") << QByteArray("7") << int(TArchiverType::atBZ2);
    QTest::newRow("8") << QByteArray("8") << int(TArchiverType::atNone);
    QTest::newRow("-1") << QByteArray("-1") << int(TArchiverType::atNone);
}

void ArchiveBackendsTest::tarArchiveType()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, type);
    qputenv("TUNELET_RECORDER_TYPE", answer);
    QCOMPARE(int(TTar32::ArchiveType("a.x")), type);
    useNoLibraries();
    QCOMPARE(int(TTar32::ArchiveType("a.x")), int(TArchiverType::atNone));
}

void ArchiveBackendsTest::tarOwnerAnswers()
{
    auto tar = TArchiver::Create<TTar32>();
    qputenv("TUNELET_RECORDER_OWNER", "6");
    QCOMPARE(tar->SetOwnerWindowEx(window, nullptr), 6);
    QCOMPARE(tar->KillOwnerWindowEx(window), 6);
}

void ArchiveBackendsTest::rarCommands_data()
{
    QTest::addColumn<QList<int>>("values"); // x c m p
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("unset") << QList<int>{-1, -1, -1, -1} << QByteArray("-x -u  \"a.rar\" \"f\" ");
    QTest::newRow("x = 0") << QList<int>{0, 1, 1, 1} << QByteArray("-e -y -s  \"a.rar\" \"f\" ");
    QTest::newRow("x = 1, c = 0") << QList<int>{1, 0, 0, 0}
                                  << QByteArray("-x -u  \"a.rar\" \"f\" ");
}

void ArchiveBackendsTest::rarCommands()
{
    QFETCH(QList<int>, values);
    QFETCH(QByteArray, expected);
    m_options.x = static_cast<TSmallOption>(values[0]);
    m_options.c = static_cast<TSmallOption>(values[1]);
    m_options.m = static_cast<TSmallOption>(values[2]);
    m_options.p = static_cast<TSmallOption>(values[3]);
    RecorderLog log;
    auto rar = TArchiver::Create<TRar32>();
    rar->Unpack(window, "a.rar", m_options, "", FileItems{"f"}, false, m_output);
    QCOMPARE(rar->CommandLine, expected);
    QCOMPARE(log.entries(), QList<QByteArray>{"Unrar"});
}

void ArchiveBackendsTest::rarUnsupported()
{
    auto rar = TArchiver::Create<TRar32>();
    QCOMPARE(
        raisedMessage([&] { rar->Pack(0, "a.rar", m_options, "", FileItems{}, false, m_output); }),
        QByteArray("この形式では書庫ファイルの作成をサポートしておりません。"));
    QCOMPARE(raisedMessage([&] { rar->MakeSFX(0, "a.rar", m_options, "", m_output); }),
             QByteArray("この形式では自己解凍書庫の作成をサポートしておりません。"));
    qputenv("TUNELET_RECORDER_OWNER", "4");
    QCOMPARE(rar->SetOwnerWindowEx(window, nullptr), 1);
}

void ArchiveBackendsTest::bgaCommands()
{
    RecorderLog log;
    auto bga = TArchiver::Create<TBGA32>();
    bga->Unpack(window, "a.gza", m_options, "out", FileItems{"f"}, false, m_output);
    QCOMPARE(bga->CommandLine, QByteArray("x -n -j  \"a.gza\" \"out\\\" \"f\" "));
    m_options.a = 1;
    m_options.c = 1;
    m_options.n = 1;
    m_options.r = 1;
    m_options.x = 1;
    m_options.jm = 3;
    bga->Pack(window, "a.gza", m_options, "src", FileItems{"f"}, false, m_output);
    QCOMPARE(bga->CommandLine, QByteArray("a -a -o -i -r -l3  \"a.gza\" \"src\\\" \"f\" "));
    m_options = TArchiverOptions();
    m_options.ResFileName = QFile::encodeName(m_dir.filePath("r.lst"));
    bga->RemoveItems(window, "a.gza", m_options, "src", FileItems{"f"}, false, m_output);
    QVERIFY(bga->CommandLine.startsWith("d -n -j  \"a.gza\" \"@"));
    bga->MakeSFX(window, "a.gza", m_options, "", m_output);
    QCOMPARE(bga->CommandLine, QByteArray("s -n -j  \"a.gza\" "));
    QCOMPARE(raisedMessage(
                 [&] { bga->Update(0, "a.gza", m_options, "", FileItems{}, false, m_output); }),
             QByteArray("この形式の書庫では書庫の更新をサポートしておりません。"));
    QCOMPARE(
        raisedMessage([&] { bga->ExtractMem(0, "a.gza", m_options, "m", nullptr, 0, nullptr); }),
        QByteArray("この形式ではメモリへの展開をサポートしておりません。"));
    QCOMPARE(log.rowsOf("Bga").size(), 4);
    QVERIFY(!TBGA32::IsArchive("missing.gza"));
    QVERIFY(writeFileIn(m_dir.filePath("there.gza"), "x"));
    QVERIFY(TBGA32::IsArchive("there.gza"));
}

void ArchiveBackendsTest::responseFileFlag_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("fromOptions"); // true: ResFileUsage decides; false: the caller
    QTest::newRow("LHA") << int(TArchiverType::atLha) << true;
    QTest::newRow("CAB") << int(TArchiverType::atCab) << true;
    QTest::newRow("TAR") << int(TArchiverType::atTar) << true;
    QTest::newRow("TGZ") << int(TArchiverType::atTgz) << true;
    QTest::newRow("RAR") << int(TArchiverType::atRar) << true;
    QTest::newRow("ZIP") << int(TArchiverType::atZip) << false;
    QTest::newRow("ARJ") << int(TArchiverType::atArj) << false;
    QTest::newRow("BGA") << int(TArchiverType::atBga) << false;
}

void ArchiveBackendsTest::responseFileFlag()
{
    QFETCH(int, type);
    QFETCH(bool, fromOptions);
    auto backend = CreateArchiver(static_cast<TArchiverType>(type));
    QVERIFY(backend != nullptr);
    m_options.ResFileName = QFile::encodeName(m_dir.filePath("unpack.lst"));
    m_options.ResFileUsage = {TResFileUse::ruOnUnpack};
    backend->Unpack(0, "a", m_options, "", FileItems{"f"}, false, m_output);
    QCOMPARE(backend->CommandLine.contains('@'), fromOptions);
    m_options.ResFileUsage = {};
    backend->Unpack(0, "a", m_options, "", FileItems{"f"}, true, m_output);
    QCOMPARE(backend->CommandLine.contains('@'), !fromOptions);
}

void ArchiveBackendsTest::windowsFormArchivePaths()
{
    // Paths in the Windows form, relative ("sub\\a.cab") or with a drive
    // ("C:\\m\\a.lzh", a folder named "C:" here), are judged as written, not
    // once expanded into a Linux name that begins with '/'.
    QVERIFY(QDir().mkpath("sub"));
    QVERIFY(QDir().mkpath("C:/m"));
    QVERIFY(writeFileIn(m_dir.filePath("sub/a.cab"), "cab"));
    QVERIFY(writeFileIn(m_dir.filePath("C:/m/a.lzh"), "lzh"));
    QVERIFY(writeFileIn(m_dir.filePath("C:/m/a.zip"), "ZIPDATA"));
    QVERIFY(writeFileIn(m_dir.filePath("sfx16.dat"), "STUB"));
    RecorderLog log;
    auto cab = TArchiver::Create<TCab32>();
    cab->Unpack(window, "sub\\a.cab", m_options, "out", FileItems{"f"}, false, m_output);
    QCOMPARE(cab->CommandLine,
             "-x  \"" + QFile::encodeName(m_dir.filePath("sub/a.cab")) + "\" \"out\\\" \"f\" ");
    QVERIFY(TLha32::IsArchive("C:\\m\\a.lzh"));
    QCOMPARE(log.rowsOf("UnlhaOpenArchive").value(0).value(3),
             QFile::encodeName(m_dir.filePath("C:/m/a.lzh")));
    // The self-extractor keeps the archive's name as written, with ".EXE".
    auto zip = TArchiver::Create<TZip32>();
    QCOMPARE(zip->MakeSFX(window, "C:\\m\\a.zip", m_options, "", m_output), 0);
    QCOMPARE(zip->CommandLine, QByteArray("-A C:\\m\\a.EXE"));
    QCOMPARE(fileBytes(m_dir.filePath("C:/m/a.EXE")), QByteArray("STUBZIPDATA"));
    // A Linux name with a backslash in it is still refused.
    QVERIFY(!TLha32::IsArchive(QFile::encodeName(m_dir.filePath("x\\a.lzh"))));
}

QTEST_GUILESS_MAIN(ArchiveBackendsTest)
#include "tst_archive_backends.moc"
