#include "archive/ARCHIVES.h"
#include "archive/ArchiverOptions.h"
#include "archive/CmdOpt.h"
#include "archive/FILTERS.h"
#include "archive/FileItems.h"
#include "archive/RegisteredMessages.h"
#include "archive/ZIP32.h"
#include "platform/dynlib/DynamicLibrary.h"
#include "tests/support/ArchiveTools.h"

#include <QCoreApplication>
#include <QDir>

#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

using namespace tunelet::testkit;

namespace
{
} // namespace

// The option set, the command-line builder, file items and the name rules.
class ArchiveBuilderTest final : public QObject
{
    Q_OBJECT

private slots:
    void builderOperation_data();
    void builderOperation();
    void builderAppendsPiecesInOrder();
    void addFileAppliesConverter();
    void fileItemsYieldNames();
    void responseFileBytes();
    void responseFileForNoNames();
    void responseFileNotCreatable();
    void responseFileQuotesEveryName();
    void ambiguousPaths_data();
    void ambiguousPaths();
    void fullPathsKeepTheirBytes();
    void resetValues();
    void optionsInDeclarationOrder();
    void assignToCopiesEveryOption();
    void assignToAnotherClassRaises();
    void storedProperties();
    void detectByName_data();
    void detectByName();
    void zipNameConversion_data();
    void zipNameConversion();
    void registeredMessages();
    void selfExtractorNames_data();
    void selfExtractorNames();
    void selfExtractorFileIsStubThenArchive();
    void selfExtractorMissingStubLeavesNothing();
    void selfExtractorNeverReplacesItsArchive();
    void libraryFileNames_data();
    void libraryFileNames();
    void searchPathOrder();
    void moduleFileNameOfProgram();
};

void ArchiveBuilderTest::builderOperation_data()
{
    QTest::addColumn<QByteArray>("operation");
    QTest::addColumn<QByteArray>("switchName");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray nul(1, '\0');
    QTest::newRow("Add empty is one space")
        << QByteArray("Add") << QByteArray() << QByteArray() << false << QByteArray(" ");
    QTest::newRow("Add text") << QByteArray("Add") << QByteArray() << QByteArray("-+") << false
                              << QByteArray(" -+");
    QTest::newRow("AddInt unset") << QByteArray("AddInt") << QByteArray("a") << QByteArray("-1")
                                  << false << QByteArray();
    QTest::newRow("AddInt zero") << QByteArray("AddInt") << QByteArray("a") << QByteArray("0")
                                 << false << QByteArray(" -a0");
    QTest::newRow("AddInt no switch")
        << QByteArray("AddInt") << QByteArray() << QByteArray("9") << false << QByteArray(" -9");
    QTest::newRow("AddInt negative") << QByteArray("AddInt") << QByteArray("x") << QByteArray("-2")
                                     << false << QByteArray(" -x-2");
    QTest::newRow("AddInt long switch")
        << QByteArray("AddInt") << QByteArray("-check-all-path=") << QByteArray("1") << false
        << QByteArray(" --check-all-path=1");
    QTest::newRow("AddStr switch inside quotes")
        << QByteArray("AddStr") << QByteArray("jo") << QByteArray("x y") << false
        << QByteArray(" \"-jox y\"");
    QTest::newRow("AddStr separate") << QByteArray("AddStr") << QByteArray("f")
                                     << QByteArray("a.tar") << true << QByteArray(" -f \"a.tar\"");
    QTest::newRow("AddStr space-prefixed switch")
        << QByteArray("AddStr") << QByteArray(" o") << QByteArray("v") << false
        << QByteArray(" \"ov\"");
    QTest::newRow("AddStr space-prefixed separate")
        << QByteArray("AddStr") << QByteArray(" --out") << QByteArray("v") << true
        << QByteArray(" --out \"v\"");
    QTest::newRow("AddStr no switch, empty value")
        << QByteArray("AddStr") << QByteArray() << QByteArray() << false << QByteArray(" \"\"");
    QTest::newRow("AddStr switch, empty value") << QByteArray("AddStr") << QByteArray("x")
                                                << QByteArray() << false << QByteArray(" \"-x\"");
    QTest::newRow("AddStr no switch, NUL value")
        << QByteArray("AddStr") << QByteArray() << nul << false << QByteArray();
    QTest::newRow("AddStr switch, NUL value")
        << QByteArray("AddStr") << QByteArray("jo") << nul << true << QByteArray();
    // The quoting rule the libraries read back: a quote inside a value is written as three;
    // a value that stands first and begins with '-' or '@' gets an empty pair of quotes
    // before that character, so it is never read as a switch or a response file.
    QTest::newRow("AddStr quote in value")
        << QByteArray("AddStr") << QByteArray() << QByteArray("a\"b") << false
        << QByteArray(" \"a\"\"\"b\"");
    QTest::newRow("AddStr leading dash")
        << QByteArray("AddStr") << QByteArray() << QByteArray("-x.lzh") << false
        << QByteArray(" \"\"-\"x.lzh\"");
    QTest::newRow("AddStr leading at") << QByteArray("AddStr") << QByteArray() << QByteArray("@x")
                                       << false << QByteArray(" \"\"@\"x\"");
    QTest::newRow("AddStr separate leading dash")
        << QByteArray("AddStr") << QByteArray("f") << QByteArray("-a.tar") << true
        << QByteArray(" -f \"\"-\"a.tar\"");
    QTest::newRow("AddStr switch inside quotes, quote in value")
        << QByteArray("AddStr") << QByteArray("jo") << QByteArray("-x\"y") << false
        << QByteArray(" \"-jo-x\"\"\"y\"");
    QTest::newRow("AddDir quote in folder")
        << QByteArray("AddDir") << QByteArray() << QByteArray("d\"") << false
        << QByteArray(" \"d\"\"\"\\\"");
    QTest::newRow("AddBool on") << QByteArray("AddBool") << QByteArray("a") << QByteArray("1")
                                << false << QByteArray(" -a");
    QTest::newRow("AddBool off") << QByteArray("AddBool") << QByteArray("a") << QByteArray("0")
                                 << false << QByteArray();
    QTest::newRow("AddDir adds backslash")
        << QByteArray("AddDir") << QByteArray("w") << QByteArray("C:\\tmp") << false
        << QByteArray(" \"-wC:\\tmp\\\"");
    QTest::newRow("AddDir keeps backslash")
        << QByteArray("AddDir") << QByteArray("w") << QByteArray("C:\\tmp\\") << false
        << QByteArray(" \"-wC:\\tmp\\\"");
    QTest::newRow("AddDir slash folder")
        << QByteArray("AddDir") << QByteArray() << QByteArray("/home/u/app/") << false
        << QByteArray(" \"/home/u/app/\\\"");
    QTest::newRow("AddDir separate") << QByteArray("AddDir") << QByteArray("o") << QByteArray("out")
                                     << true << QByteArray(" -o \"out\\\"");
    QTest::newRow("AddDir empty") << QByteArray("AddDir") << QByteArray("w") << QByteArray()
                                  << false << QByteArray();
    QTest::newRow("AddDir NUL") << QByteArray("AddDir") << QByteArray("w") << nul << false
                                << QByteArray();
    // 0x83 0x5C is one Shift-JIS character whose second byte is a backslash.
    QTest::newRow("AddDir Shift-JIS trail backslash")
        << QByteArray("AddDir") << QByteArray() << QByteArray("dir\\\x83\x5C") << false
        << QByteArray(" \"dir\\\x83\x5C\\\"");
    QTest::newRow("AddDir Shift-JIS then backslash")
        << QByteArray("AddDir") << QByteArray() << QByteArray("\x83\x5C\\") << false
        << QByteArray(" \"\x83\x5C\\\"");
    QTest::newRow("AddDir UTF-8 then backslash")
        << QByteArray("AddDir") << QByteArray() << QByteArray("データ\\") << false
        << QByteArray(" \"データ\\\"");
}

void ArchiveBuilderTest::builderOperation()
{
    QFETCH(QByteArray, operation);
    QFETCH(QByteArray, switchName);
    QFETCH(QByteArray, value);
    QFETCH(bool, separate);
    QFETCH(QByteArray, expected);

    TCmdOpt cmd;
    cmd.Separate = separate;
    if (operation == "Add")
        cmd.Add(value);
    else if (operation == "AddInt")
        cmd.AddInt(switchName, value.toInt());
    else if (operation == "AddStr")
        cmd.AddStr(switchName, value);
    else if (operation == "AddBool")
        cmd.AddBool(switchName, value == "1");
    else if (operation == "AddDir")
        cmd.AddDir(switchName, value);
    QCOMPARE(cmd.CmdLine, expected);
}

void ArchiveBuilderTest::builderAppendsPiecesInOrder()
{
    TCmdOpt cmd;
    QVERIFY(!cmd.Separate);
    QVERIFY(cmd.Converter == nullptr);
    QVERIFY(cmd.CmdLine.isEmpty());
    cmd.Add("-+");
    cmd.AddInt("n", 1);
    cmd.Add("");
    cmd.AddStr("", "a.lzh");
    QCOMPARE(cmd.CmdLine, QByteArray(" -+ -n1  \"a.lzh\""));
}

namespace
{
QByteArray upper(const QByteArray &name)
{
    return name.toUpper();
}
} // namespace

void ArchiveBuilderTest::addFileAppliesConverter()
{
    TCmdOpt cmd;
    cmd.AddFile("", "a.txt");
    cmd.Converter = upper;
    cmd.AddFile("x", "b.txt");
    cmd.AddFiles("", FileItems{"c", TStringList{"d", "e"}});
    QCOMPARE(cmd.CmdLine, QByteArray(" \"a.txt\" \"-xB.TXT\" \"C\" \"D\" \"E\""));
}

void ArchiveBuilderTest::fileItemsYieldNames()
{
    const char *array[] = {"p1", "p2", nullptr};
    const char *const *nullArray = nullptr;
    QObject object;
    const FileItems items{
        QByteArray("s"),
        TStringList{"l1", "l2"},
        array,
        nullArray,
        QVariant(QVariantList{QVariant(QByteArray("v1")), QVariant(7), QVariant(QString("v3"))}),
        QVariant::fromValue(QByteArrayList{"b1", "b2"}),
        QVariant(QStringList{"q1"}),
        QVariant(42),
        QVariant(QByteArray("vb")),
        5,
        true,
        'c',
        2.5,
        &object,
        u"wide",
        "last",
    };
    QCOMPARE(fileNames(items), (TStringList{"s", "l1", "l2", "p1", "p2", "v1", "7", "v3", "b1",
                                            "b2", "q1", "42", "vb", "last"}));
    QVERIFY(fileNames(FileItems{}).isEmpty());
}

void ArchiveBuilderTest::responseFileBytes()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("list.txt"));
    QFile old(dir.filePath("list.txt"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old content that must go away");
    old.close();

    TCmdOpt cmd;
    cmd.AddResponseFile(FileItems{"a", "b"}, path);
    QCOMPARE(cmd.CmdLine, " \"@" + path + "\"");
    QFile file(dir.filePath("list.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\"a\"\r\n\"b\"\r\n"));

    TCmdOpt zip;
    zip.Converter = ZipFileNameConverter;
    zip.AddResponseFile(FileItems{"d\\[x]"}, path);
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\"d/[[]x]\"\r\n"));
}

void ArchiveBuilderTest::responseFileForNoNames()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("empty.txt"));
    TCmdOpt cmd;
    cmd.AddResponseFile(FileItems{5}, path);
    QVERIFY(QFile::exists(dir.filePath("empty.txt")));
    QCOMPARE(QFileInfo(dir.filePath("empty.txt")).size(), 0);
    QCOMPARE(cmd.CmdLine, " \"@" + path + "\"");
}

void ArchiveBuilderTest::responseFileNotCreatable()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("missing/list.txt"));
    TCmdOpt cmd;
    cmd.Add("-x");
    try {
        cmd.AddResponseFile(FileItems{"a"}, path);
        QFAIL("no error raised");
    } catch (const EFCreateError &error) {
        QCOMPARE(QByteArray(error.what()), "ﾌｧｲﾙ " + path + " を作成できません");
    }
    QCOMPARE(cmd.CmdLine, QByteArray(" -x"));
}

void ArchiveBuilderTest::responseFileQuotesEveryName()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("a \"list\".txt"));
    TCmdOpt cmd;
    cmd.AddResponseFile(FileItems{TStringList{"q\"x", "-y", "@z"}}, path);
    // The response file is the one operand written with '@' first; its names are all names.
    QCOMPARE(cmd.CmdLine, " \"@" + QByteArray(path).replace("\"", "\"\"\"") + '"');
    QFile file(dir.filePath("a \"list\".txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\"q\"\"\"x\"\r\n\"-y\"\r\n\"@z\"\r\n"));
}

void ArchiveBuilderTest::ambiguousPaths_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("targetFolder");
    QTest::addColumn<bool>("refused");
    QTest::newRow("Linux path with a backslash") << QByteArray("/tmp/a\\b.lzh") << false << true;
    QTest::newRow("UTF-8 name, then a backslash")
        << QByteArray("/tmp/\xe3\x83\x87\\x.lzh") << false << true;
    QTest::newRow("Windows form") << QByteArray("C:\\Music\\a.lzh") << false << false;
    QTest::newRow("relative Windows form") << QByteArray("sub\\a.lzh") << false << false;
    QTest::newRow("existing name with a backslash") << QByteArray("here\\a.lzh") << false << true;
    // 0x83 0x5C is one Shift-JIS character: no backslash in it.
    QTest::newRow("Shift-JIS 0x5C second byte")
        << QByteArray("/tmp/\x83\x5C\x95\x5C.lzh") << false << false;
    QTest::newRow("plain") << QByteArray("/tmp/a b \"c\".lzh") << false << false;
    // The backslash the builder adds after a folder would complete a double-byte character.
    QTest::newRow("folder ending in a lead byte") << QByteArray("/tmp/dir\x83") << true << true;
    QTest::newRow("file ending in a lead byte") << QByteArray("/tmp/dir\x83") << false << false;
    QTest::newRow("folder ending in a whole character")
        << QByteArray("/tmp/dir\x83\x5C") << true << false;
}

void ArchiveBuilderTest::ambiguousPaths()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, targetFolder);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QVERIFY(writeFileIn(dir.filePath("here\\a.lzh"), "an archive named with a backslash"));
    QByteArray message;
    try {
        RequireUnambiguousPath(path, targetFolder ? PathRole::TargetFolder : PathRole::File);
    } catch (const EArchiver &error) {
        message = error.message();
    }
    QDir::setCurrent(oldCurrent);
    QCOMPARE(!message.isEmpty(), refused);
    if (refused)
        QVERIFY2(message.contains(QString::fromLatin1(path.left(4)).toUtf8()), message.constData());
}

void ArchiveBuilderTest::fullPathsKeepTheirBytes()
{
    QTemporaryDir dir;
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QByteArray here = QFile::encodeName(QDir::currentPath());
    const QByteArray sjis("\x83\x5C\x95\x5C.lzh");
    QCOMPARE(ExpandFileName(sjis), here + '/' + sjis);
    QCOMPARE(ExpandFileName("a/./b/../\xff.lzh"), here + "/a/\xff.lzh");
    QCOMPARE(ExpandFileName("/x//y/../z/"), QByteArray("/x/z/"));
    QCOMPARE(ExpandFileName(""), QByteArray());
    QDir::setCurrent(oldCurrent);
}

void ArchiveBuilderTest::resetValues()
{
    TArchiverOptions options;
    options.n = 4;
    options.w = "C:\\x";
    options.jx = {"a"};
    options.UserOptions = "-q";
    options.PackFilter = TPackFilter::pfArchiver;
    options.ResFileUsage = {TResFileUse::ruOnUpdate};
    options.ResFileName = "r.txt";
    options.Reset();
    QCOMPARE(options.n, TSmallOption(-1));
    QCOMPARE(options.jyc, TSmallOption(-1));
    QCOMPARE(options.gw, TSmallOption(-1));
    QCOMPARE(options.w, QByteArray(1, '\0'));
    for (const QByteArray *text : {&options.jo, &options.job, &options.jz, &options.gr})
        QCOMPARE(*text, QByteArray(1, '\0'));
    QVERIFY(options.jx.isEmpty());
    QVERIFY(options.UserOptions.isEmpty());
    QVERIFY(options.UserFileList.isEmpty());
    QVERIFY(options.ResFileName.isEmpty());
    QVERIFY(options.PackFilter == TPackFilter::pfComponent);
    QCOMPARE(options.ResFileUsage.bits(), std::uint8_t(1 | 2 | 4));
}

void ArchiveBuilderTest::optionsInDeclarationOrder()
{
    QByteArrayList names;
    for (const auto &property : TArchiverOptions::Properties())
        names.append(property.name);
    QCOMPARE(names.size(), 58);
    QCOMPARE(names.join(' '),
             QByteArray("a c e f h i l m n o p r s t u w x y z jc jd je jf jh ji jm jn jo job "
                        "jp jr jss jw jx jyc jyd jyk jyn jyo jz ga gd ge gf gj gm gn go gp gr "
                        "gs gu gw UserOptions UserFileList PackFilter ResFileName ResFileUsage"));
}

void ArchiveBuilderTest::assignToCopiesEveryOption()
{
    TArchiverOptions source;
    source.a = 1;
    source.n = 2;
    source.gw = 3;
    source.w = "work";
    source.jo = "x y";
    source.jx = {"skip1", "skip2"};
    source.UserOptions = "-q";
    source.UserFileList = "more";
    source.PackFilter = TPackFilter::pfArchiver;
    source.ResFileName = "r.txt";
    source.ResFileUsage = {TResFileUse::ruOnUpdate};
    TArchiverOptions dest;
    dest.jx = {"other"};
    source.AssignTo(dest);
    QCOMPARE(dest.a, TSmallOption(1));
    QCOMPARE(dest.n, TSmallOption(2));
    QCOMPARE(dest.gw, TSmallOption(3));
    QCOMPARE(dest.w, QByteArray("work"));
    QCOMPARE(dest.jo, QByteArray("x y"));
    QCOMPARE(dest.jx, (TStringList{"skip1", "skip2"}));
    QCOMPARE(dest.UserOptions, QByteArray("-q"));
    QCOMPARE(dest.UserFileList, QByteArray("more"));
    QVERIFY(dest.PackFilter == TPackFilter::pfArchiver);
    QCOMPARE(dest.ResFileName, QByteArray("r.txt"));
    QVERIFY(dest.ResFileUsage == TResFileUsage{TResFileUse::ruOnUpdate});
    // The source is unchanged and the lists are separate.
    dest.jx.append("third");
    QCOMPARE(source.jx.size(), 2);
    QCOMPARE(source.n, TSmallOption(2));
}

namespace
{
class TOther final : public TPersistent
{
public:
    const char *ClassName() const override { return "TOther"; }
};
} // namespace

void ArchiveBuilderTest::assignToAnotherClassRaises()
{
    TArchiverOptions source;
    TOther other;
    try {
        source.AssignTo(other);
        QFAIL("no error raised");
    } catch (const EConvertError &error) {
        QCOMPARE(QByteArray(error.what()),
                 QByteArray("Cannot assign a TArchiverOptions to a TOther"));
    }
}

void ArchiveBuilderTest::storedProperties()
{
    TArchiverOptions options;
    options.n = 1;
    options.UserOptions = "-q";
    QByteArrayList stored;
    for (const auto &property : TArchiverOptions::Properties()) {
        if (options.IsStored(property))
            stored.append(property.name);
    }
    // The NUL strings are not empty, so they are written; jyc and ResFileUsage always are.
    QCOMPARE(stored.join(' '), QByteArray("n w jo job jyc jz gr UserOptions ResFileUsage"));
}

void ArchiveBuilderTest::detectByName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("type");
    const auto t = [](TArchiverType type) { return static_cast<int>(type); };
    QTest::newRow(".LZH") << QByteArray("/m/SONG.LZH") << t(TArchiverType::atLha);
    QTest::newRow(".lzh") << QByteArray("/m/song.lzh") << t(TArchiverType::atLha);
    QTest::newRow(".Lzh") << QByteArray("song.Lzh") << t(TArchiverType::atLha);
    QTest::newRow(".tar.gz") << QByteArray("/m/a.tar.gz") << t(TArchiverType::atTgz);
    QTest::newRow(".tgz") << QByteArray("a.tgz") << t(TArchiverType::atTgz);
    QTest::newRow(".taz") << QByteArray("a.taz") << t(TArchiverType::atTgz);
    QTest::newRow(".z") << QByteArray("a.z") << t(TArchiverType::atTgz);
    QTest::newRow(".Z") << QByteArray("a.Z") << t(TArchiverType::atTgz);
    QTest::newRow(".tar") << QByteArray("a.tar") << t(TArchiverType::atTar);
    QTest::newRow(".bz2") << QByteArray("a.bz2") << t(TArchiverType::atBZ2);
    QTest::newRow(".gza") << QByteArray("a.gza") << t(TArchiverType::atBga);
    QTest::newRow(".bza") << QByteArray("a.bza") << t(TArchiverType::atBga);
    QTest::newRow(".rar") << QByteArray("a.rar") << t(TArchiverType::atRar);
    QTest::newRow(".arj") << QByteArray("a.ARJ") << t(TArchiverType::atArj);
    QTest::newRow(".zip") << QByteArray("a.Zip") << t(TArchiverType::atZip);
    QTest::newRow(".cab") << QByteArray("a.cab") << t(TArchiverType::atCab);
    QTest::newRow(".txt") << QByteArray("a.txt") << t(TArchiverType::atNone);
    QTest::newRow("no extension") << QByteArray("/m/readme") << t(TArchiverType::atNone);
    QTest::newRow("dot in folder only") << QByteArray("/m.lzh/readme") << t(TArchiverType::atNone);
    QTest::newRow(".lzh.bak") << QByteArray("a.lzh.bak") << t(TArchiverType::atNone);
    QTest::newRow("bare dot") << QByteArray("a.") << t(TArchiverType::atNone);
}

void ArchiveBuilderTest::detectByName()
{
    QFETCH(QByteArray, name);
    QFETCH(int, type);
    QCOMPARE(static_cast<int>(DetectArchiverType(name, true)), type);
}

void ArchiveBuilderTest::zipNameConversion_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("backslash and bracket")
        << QByteArray("dir\\[a].txt") << QByteArray("dir/[[]a].txt");
    QTest::newRow("plain") << QByteArray("a.txt") << QByteArray("a.txt");
    QTest::newRow("two brackets") << QByteArray("[[") << QByteArray("[[][[]");
    QTest::newRow("Shift-JIS trail bytes kept")
        << QByteArray("\x83\x5C\\\x81[") << QByteArray("\x83\x5C/\x81[");
    QTest::newRow("UTF-8") << QByteArray("曲\\[1].snr") << QByteArray("曲/[[]1].snr");
}

void ArchiveBuilderTest::zipNameConversion()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    QCOMPARE(ZipFileNameConverter(name), expected);
}

void ArchiveBuilderTest::registeredMessages()
{
    const auto first = registerWindowMessage("tunelet_test_one");
    const auto second = registerWindowMessage("tunelet_test_two");
    QVERIFY(first >= 0xC000);
    QVERIFY(second >= 0xC000);
    QVERIFY(first != second);
    QCOMPARE(registerWindowMessage("tunelet_test_one"), first);
    QCOMPARE(registerWindowMessage("TUNELET_TEST_ONE"), first);
    QCOMPARE(registerWindowMessage(""), 0u);
}

void ArchiveBuilderTest::selfExtractorNames_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QByteArray>("destDir");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("beside") << QByteArray("/a/b.zip") << QByteArray() << QByteArray("/a/b.EXE");
    QTest::newRow("folder") << QByteArray("/a/b.zip") << QByteArray("/out")
                            << QByteArray("/out/b.EXE");
    QTest::newRow("folder with slash")
        << QByteArray("/a/b.zip") << QByteArray("/out/") << QByteArray("/out/b.EXE");
    QTest::newRow("no extension") << QByteArray("/a.d/b") << QByteArray()
                                  << QByteArray("/a.d/b.EXE");
    // A backslash is a separator, as the libraries read it; a Shift-JIS character ending in
    // 0x5C is none.
    QTest::newRow("folder with backslash")
        << QByteArray("/a/b.zip") << QByteArray("C:\\out\\") << QByteArray("C:\\out\\b.EXE");
    QTest::newRow("Windows-form folder, no backslash at its end")
        << QByteArray("/a/b.zip") << QByteArray("C:\\out") << QByteArray("C:\\out\\b.EXE");
    QTest::newRow("Windows-form archive")
        << QByteArray("C:\\m.d\\a") << QByteArray() << QByteArray("C:\\m.d\\a.EXE");
    QTest::newRow("Windows-form archive into a folder")
        << QByteArray("C:\\m\\a.zip") << QByteArray("/out") << QByteArray("/out/a.EXE");
    QTest::newRow("folder ending in a Shift-JIS 0x5C")
        << QByteArray("/a/b.zip") << QByteArray("/\x83\x5C") << QByteArray("/\x83\x5C/b.EXE");
}

void ArchiveBuilderTest::selfExtractorNames()
{
    QFETCH(QByteArray, archive);
    QFETCH(QByteArray, destDir);
    QFETCH(QByteArray, expected);
    QCOMPARE(filters::SelfExtractorName(archive, destDir), expected);
}

void ArchiveBuilderTest::selfExtractorFileIsStubThenArchive()
{
    QTemporaryDir dir;
    QVERIFY(writeFileIn(dir.filePath("stub.dat"), "STUB"));
    QVERIFY(writeFileIn(dir.filePath("a.zip"), "ARCHIVE"));
    QVERIFY(writeFileIn(dir.filePath("a.EXE"), "old and longer content"));
    const auto name = [&](const char *file) { return QFile::encodeName(dir.filePath(file)); };
    filters::WriteSelfExtractor(name("stub.dat"), name("a.zip"), name("a.EXE"));
    QFile result(dir.filePath("a.EXE"));
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), QByteArray("STUBARCHIVE"));
}

void ArchiveBuilderTest::selfExtractorMissingStubLeavesNothing()
{
    QTemporaryDir dir;
    QVERIFY(writeFileIn(dir.filePath("a.zip"), "ARCHIVE"));
    const auto name = [&](const char *file) { return QFile::encodeName(dir.filePath(file)); };
    QVERIFY_THROWS_EXCEPTION(
        EFOpenError, filters::WriteSelfExtractor(name("nostub.dat"), name("a.zip"), name("a.EXE")));
    QVERIFY(!QFile::exists(dir.filePath("a.EXE")));
    QVERIFY_THROWS_EXCEPTION(
        EFOpenError, filters::WriteSelfExtractor(name("a.zip"), name("none.zip"), name("b.EXE")));
    QVERIFY(!QFile::exists(dir.filePath("b.EXE")));
}

void ArchiveBuilderTest::selfExtractorNeverReplacesItsArchive()
{
    QTemporaryDir dir;
    QVERIFY(writeFileIn(dir.filePath("stub.dat"), "STUB"));
    QVERIFY(writeFileIn(dir.filePath("a.EXE"), "ARCHIVE"));
    const auto name = [&](const char *file) { return QFile::encodeName(dir.filePath(file)); };
    QVERIFY_THROWS_EXCEPTION(
        EArchiver, filters::WriteSelfExtractor(name("stub.dat"), name("a.EXE"), name("a.EXE")));
    QFile archive(dir.filePath("a.EXE"));
    QVERIFY(archive.open(QIODevice::ReadOnly));
    QCOMPARE(archive.readAll(), QByteArray("ARCHIVE"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"a.EXE", "stub.dat"}));
}

void ArchiveBuilderTest::libraryFileNames_data()
{
    QTest::addColumn<QByteArray>("windowsName");
    QTest::addColumn<QByteArray>("fileName");
    QTest::newRow("UNLHA32.DLL") << QByteArray("UNLHA32.DLL") << QByteArray("libunlha32.so");
    QTest::newRow("tar32.dll") << QByteArray("tar32.dll") << QByteArray("libtar32.so");
    QTest::newRow("ZIP32J.DLL") << QByteArray("ZIP32J.DLL") << QByteArray("libzip32j.so");
    QTest::newRow("UNARJ32J.DLL") << QByteArray("UNARJ32J.DLL") << QByteArray("libunarj32j.so");
    QTest::newRow("no suffix") << QByteArray("Bga32") << QByteArray("libbga32.so");
}

void ArchiveBuilderTest::libraryFileNames()
{
    QFETCH(QByteArray, windowsName);
    QFETCH(QByteArray, fileName);
    QCOMPARE(QByteArray::fromStdString(tunelet::dynlib::libraryFileName(windowsName.toStdString())),
             fileName);
}

void ArchiveBuilderTest::searchPathOrder()
{
    QTemporaryDir beside, current, onPath;
    QVERIFY(writeFileIn(current.filePath("stub.dat"), "current"));
    QVERIFY(writeFileIn(onPath.filePath("stub.dat"), "path"));
    QVERIFY(writeFileIn(onPath.filePath("only-on-path.dat"), "path"));
    const QByteArray oldPath = qgetenv("PATH");
    const QString oldCurrent = QDir::currentPath();
    qputenv("PATH", "/nonexistent:" + QFile::encodeName(onPath.path()));
    QVERIFY(QDir::setCurrent(current.path()));
    tunelet::dynlib::setLibraryFolderOverride(QFile::encodeName(beside.path()).toStdString());
    const auto found = [](const char *name) {
        return QString::fromStdString(tunelet::dynlib::searchPath(name));
    };
    QCOMPARE(found("stub.dat"), current.filePath("stub.dat"));
    QCOMPARE(found("only-on-path.dat"), onPath.filePath("only-on-path.dat"));
    QVERIFY(writeFileIn(beside.filePath("stub.dat"), "beside"));
    QCOMPARE(found("stub.dat"), beside.filePath("stub.dat"));
    QVERIFY(found("nowhere.dat").isEmpty());
    QVERIFY(tunelet::dynlib::loadLibrary("NOSUCH32.DLL") == nullptr);
    tunelet::dynlib::setLibraryFolderOverride({});
    QDir::setCurrent(oldCurrent);
    qputenv("PATH", oldPath);
}

void ArchiveBuilderTest::moduleFileNameOfProgram()
{
    const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
    QCOMPARE(QByteArray::fromStdString(tunelet::dynlib::moduleFileName(nullptr, 4096)), self);
    QCOMPARE(QByteArray::fromStdString(tunelet::dynlib::moduleFileName(nullptr, 5)), self.left(4));
    QCOMPARE(QByteArray::fromStdString(tunelet::dynlib::executableFolder()),
             QFile::encodeName(QCoreApplication::applicationDirPath()) + '/');
}

QTEST_GUILESS_MAIN(ArchiveBuilderTest)
#include "tst_archive_builder.moc"
