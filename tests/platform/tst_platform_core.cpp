#include "platform/core/AtomicFile.h"
#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/IniDocument.h"
#include "platform/core/IniFile.h"
#include "platform/core/LocaleCompare.h"
#include "platform/core/ProgramFolder.h"
#include "platform/core/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tunelet;

namespace
{
// "テスト" in Shift-JIS; not valid UTF-8.
const QByteArray kSjisTest("\x83\x65\x83\x58\x83\x67");

QByteArray bytesOf(const QTemporaryDir &dir, const char *name)
{
    return QFile::encodeName(dir.filePath(QString::fromLatin1(name)));
}

// While it lives, no file of this process may grow past `bytes`: writes fail
// part-way, also for root, whom folder permissions do not stop.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (::getrlimit(RLIMIT_FSIZE, &m_old) != 0)
            return;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_old;
        small.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_old);
        if (m_oldHandler != SIG_ERR)
            std::signal(SIGXFSZ, m_oldHandler);
    }
    Q_DISABLE_COPY_MOVE(FileSizeLimit)
    bool isSet() const { return m_set; }

private:
    struct rlimit m_old {
    };
    void (*m_oldHandler)(int) = SIG_ERR;
    bool m_set = false;
};

QByteArray fileContent(const QByteArray &path)
{
    return readWholeFile(path).value_or(QByteArray("<unreadable>"));
}

void writeRaw(const QByteArray &path, const QByteArray &data)
{
    QFile f(QFile::decodeName(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

QStringList folderEntries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

class TestPlatformCore final : public QObject
{
    Q_OBJECT

private slots:
    void filePartsOfPaths_data();
    void filePartsOfPaths();
    void replaceExtension_data();
    void replaceExtension();

    void decodesUtf8AndShiftJis();

    void integerValues_data();
    void integerValues();
    void iniNamesMatchWithoutCase();
    void iniReplacesKeyInPlace();
    void iniAppendsKeyAtEndOfItsSection();
    void iniAppendsNewSectionAtEnd();
    void iniValueTrimmingAndQuotes();
    void iniValueIsOneLine();
    void iniKeepsArbitraryBytes();

    void iniFileMissingGivesDefaults();
    void iniFileReadsTypedValues();
    void iniFileCutsStringsAt1023Bytes();
    void iniFileKeepsEmptyAndShiftJisValues();
    void iniFileFirstWritesCreateSectionsInOrder();
    void iniFileReportsWriteFailure();
    void iniFileBatchEqualsSingleWritesAndIsWhole();

    void atomicWriteReplacesAndLeavesNoTemporary();
    void atomicWriteKeepsPermissionsAndFollowsLinks();
    void atomicWriteFailureKeepsOldFile();
    void atomicWriteIntoReadOnlyFolderFails();

    void pathKinds();
    void localeCompare();

    void programFolderFromEnvironment();
    void programFolderRule_data();
    void programFolderRule();
    void onlyRegularFilesAreRead();
};

void TestPlatformCore::filePartsOfPaths_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("extension");
    QTest::newRow("plain") << QByteArray("/music/song.snr") << QByteArray("song.snr")
                           << QByteArray("/music/") << QByteArray(".snr");
    QTest::newRow("upper") << QByteArray("/m/X.MID") << QByteArray("X.MID") << QByteArray("/m/")
                           << QByteArray(".mid");
    QTest::newRow("mixed") << QByteArray("Y.Lzh") << QByteArray("Y.Lzh") << QByteArray()
                           << QByteArray(".lzh");
    QTest::newRow("last dot") << QByteArray("/a/b.tar.GZ") << QByteArray("b.tar.GZ")
                              << QByteArray("/a/") << QByteArray(".gz");
    QTest::newRow("dot only in folder")
        << QByteArray("/a.b/c") << QByteArray("c") << QByteArray("/a.b/") << QByteArray();
    QTest::newRow("trailing slash")
        << QByteArray("/a/b/") << QByteArray() << QByteArray("/a/b/") << QByteArray();
    QTest::newRow("backslash is a byte") << QByteArray("C:\\x\\y.TXT") << QByteArray("C:\\x\\y.TXT")
                                         << QByteArray() << QByteArray(".txt");
    QTest::newRow("shift-jis name")
        << QByteArray("/d/" + kSjisTest + ".SNR") << QByteArray(kSjisTest + ".SNR")
        << QByteArray("/d/") << QByteArray(".snr");
    QTest::newRow("shift-jis extension kept")
        << QByteArray("/d/a.\x83\x41") << QByteArray("a.\x83\x41") << QByteArray("/d/")
        << QByteArray(".\x83\x41");
    QTest::newRow("shift-jis lowers ascii after a character")
        << QByteArray("/d/\x83\x41.TXT") << QByteArray("\x83\x41.TXT") << QByteArray("/d/")
        << QByteArray(".txt");
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
}

void TestPlatformCore::filePartsOfPaths()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, extension);
    QCOMPARE(fileNamePart(path), name);
    QCOMPARE(folderPart(path), folder);
    QCOMPARE(lowerExtension(path), extension);
}

void TestPlatformCore::replaceExtension_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("ext") << QByteArray("/opt/t/tunelet.bin") << QByteArray("/opt/t/tunelet.ini");
    QTest::newRow("none") << QByteArray("/opt/t/tunelet") << QByteArray("/opt/t/tunelet.ini");
    QTest::newRow("dot folder") << QByteArray("/a.b/tunelet") << QByteArray("/a.b/tunelet.ini");
}

void TestPlatformCore::replaceExtension()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, result);
    QCOMPARE(tunelet::replaceExtension(path, ".ini"), result);
}

void TestPlatformCore::decodesUtf8AndShiftJis()
{
    QCOMPARE(decodeText("abc"), QStringLiteral("abc"));
    QCOMPARE(decodeText(QByteArray("\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88")),
             QStringLiteral("テスト"));
    QCOMPARE(decodeText(kSjisTest), QStringLiteral("テスト"));
    // Half-width katakana in Shift-JIS (single bytes 0xA1-0xDF).
    QCOMPARE(decodeText(QByteArray("\xcc\xa7\xb2\xd9")), QStringLiteral("ﾌｧｲﾙ"));
    // Windows code page 932 extensions: circled digit, its tilde mapping.
    QCOMPARE(decodeText(QByteArray("\x87\x40\x81\x60")), QStringLiteral("①～"));
    bool lossy = true;
    decodeText(kSjisTest, &lossy);
    QVERIFY(!lossy);
    QCOMPARE(encodeText(QStringLiteral("テスト")),
             QByteArray("\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88"));
}

void TestPlatformCore::integerValues_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << QByteArray("105") << true << 105;
    QTest::newRow("negative") << QByteArray("-20") << true << -20;
    QTest::newRow("plus") << QByteArray("+7") << true << 7;
    QTest::newRow("0x") << QByteArray("0x20") << true << 32;
    QTest::newRow("0X") << QByteArray("0X1f") << true << 31;
    QTest::newRow("dollar") << QByteArray("$1F") << true << 31;
    QTest::newRow("hex all bits") << QByteArray("$FFFFFFFF") << true << -1;
    QTest::newRow("int min") << QByteArray("-2147483648") << true << int(0x80000000u);
    QTest::newRow("too big") << QByteArray("2147483648") << false << 0;
    QTest::newRow("hex too big") << QByteArray("0x100000000") << false << 0;
    QTest::newRow("letters") << QByteArray("abc") << false << 0;
    QTest::newRow("trailing junk") << QByteArray("12abc") << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("bare 0x") << QByteArray("0x") << false << 0;
    QTest::newRow("bare dollar") << QByteArray("$") << false << 0;
    QTest::newRow("minus only") << QByteArray("-") << false << 0;
    QTest::newRow("inner blank") << QByteArray("1 2") << false << 0;
}

void TestPlatformCore::integerValues()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<int> parsed = parseProfileInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void TestPlatformCore::iniNamesMatchWithoutCase()
{
    const IniDocument doc =
        IniDocument::parse("[Window]\r\nTop=5\r\n[setting]\r\nRepeatPlay=0\r\n");
    QCOMPARE(doc.value("WINDOW", "top"), std::optional<QByteArray>("5"));
    QCOMPARE(doc.value("Setting", "repeatplay"), std::optional<QByteArray>("0"));
    QCOMPARE(doc.value("Window", "RepeatPlay"), std::nullopt);
    QCOMPARE(doc.value("Other", "Top"), std::nullopt);
}

void TestPlatformCore::iniReplacesKeyInPlace()
{
    IniDocument doc =
        IniDocument::parse("; kept\n[Window]\nTop=5\nLeft = 7\n\n[File]\nFileName=/a.ppl\n");
    doc.setValue("window", "TOP", "32");
    doc.setValue("Window", "left", "8");
    QCOMPARE(doc.serialise(),
             QByteArray("; kept\n[Window]\nTop=32\nLeft=8\n\n[File]\nFileName=/a.ppl\n"));
}

void TestPlatformCore::iniAppendsKeyAtEndOfItsSection()
{
    IniDocument doc = IniDocument::parse("[Window]\r\nTop=5\r\n\r\n[File]\r\nIniDir=/x/\r\n");
    doc.setValue("Window", "Left", "9");
    doc.setValue("File", "IniDir2", "/y/");
    QCOMPARE(doc.serialise(), QByteArray("[Window]\r\nTop=5\r\nLeft=9\r\n\r\n[File]\r\n"
                                         "IniDir=/x/\r\nIniDir2=/y/\r\n"));
    QCOMPARE(doc.keys("window"), (QList<QByteArray>{"Top", "Left"}));
}

void TestPlatformCore::iniAppendsNewSectionAtEnd()
{
    IniDocument doc = IniDocument::parse("[Software]\r\nVersion=105"); // no final line end
    doc.setValue("Window", "Top", "100");
    QCOMPARE(doc.serialise(), QByteArray("[Software]\r\nVersion=105\r\n[Window]\r\nTop=100\r\n"));
    QCOMPARE(doc.sections(), (QList<QByteArray>{"Software", "Window"}));

    IniDocument empty = IniDocument::parse("");
    empty.setValue("Software", "Version", "105");
    QCOMPARE(empty.serialise(), QByteArray("[Software]\r\nVersion=105\r\n"));
}

void TestPlatformCore::iniValueTrimmingAndQuotes()
{
    const IniDocument doc =
        IniDocument::parse("[S]\nA =  spaced  \nB=\"quoted \"\nC=\nD=\"\nE=a=b\n");
    QCOMPARE(doc.value("S", "A"), std::optional<QByteArray>("spaced"));
    QCOMPARE(doc.value("S", "B"), std::optional<QByteArray>("quoted "));
    QCOMPARE(doc.value("S", "C"), std::optional<QByteArray>(""));
    QCOMPARE(doc.value("S", "D"), std::optional<QByteArray>("\""));
    QCOMPARE(doc.value("S", "E"), std::optional<QByteArray>("a=b"));
}

void TestPlatformCore::iniValueIsOneLine()
{
    IniDocument doc = IniDocument::parse("[S]\r\n");
    doc.setValue("S", "K", "first\r\n[Evil]\r\nX=1");
    QCOMPARE(doc.serialise(), QByteArray("[S]\r\nK=first\r\n"));
    QCOMPARE(doc.sections().size(), 1);
}

void TestPlatformCore::iniKeepsArbitraryBytes()
{
    // Any text parses, serialises back byte for byte, and takes a write that
    // reads back, whatever it held before.
    QRandomGenerator random(1234);
    const QByteArray alphabet("[]=; \t\r\nabcAB\"'\x83\x5c\x00", 19);
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        const int length = int(random.bounded(80));
        for (int i = 0; i < length; ++i)
            text.append(alphabet[int(random.bounded(int(alphabet.size())))]);
        IniDocument doc = IniDocument::parse(text);
        QCOMPARE(doc.serialise(), text);
        doc.setValue("Sec", "Key", "v\x83\x5c");
        QCOMPARE(doc.value("sec", "key"), std::optional<QByteArray>("v\x83\x5c"));
        const QByteArray again = doc.serialise();
        QCOMPARE(IniDocument::parse(again).serialise(), again);
    }
}

void TestPlatformCore::iniFileMissingGivesDefaults()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const IniFile ini(bytesOf(dir, "tunelet.ini"));
    QCOMPARE(ini.readInteger("Window", "Top", 100), 100);
    QCOMPARE(ini.readBool("Setting", "RepeatPlay", true), true);
    QCOMPARE(ini.readString("Setting", "EditorPath", "NotePad"), QByteArray("NotePad"));
    QVERIFY(!QFile::exists(dir.filePath("tunelet.ini")));
}

void TestPlatformCore::iniFileReadsTypedValues()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "tunelet.ini");
    writeRaw(path, "[Window]\r\nTop=0x20\r\nLeft=$1F\r\nHeight=-3\r\nWidth=abc\r\nTop2=\r\n"
                   "[Setting]\r\nRepeatPlay=2\r\nListOpen=abc\r\nStayOnTop=0\r\nSaveList=-1\r\n");
    const IniFile ini(path);
    QCOMPARE(ini.readInteger("Window", "Top", 100), 32);
    QCOMPARE(ini.readInteger("Window", "Left", 100), 31);
    QCOMPARE(ini.readInteger("Window", "Height", 290), -3);
    QCOMPARE(ini.readInteger("Window", "Width", 423), 423);
    QCOMPARE(ini.readInteger("Window", "Top2", 100), 100);
    QCOMPARE(ini.readBool("Setting", "RepeatPlay", false), true);
    QCOMPARE(ini.readBool("Setting", "ListOpen", true), true);
    QCOMPARE(ini.readBool("Setting", "ListOpen", false), false);
    QCOMPARE(ini.readBool("Setting", "StayOnTop", true), false);
    QCOMPARE(ini.readBool("Setting", "SaveList", false), true);
}

void TestPlatformCore::iniFileCutsStringsAt1023Bytes()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "tunelet.ini");
    IniFile ini(path);
    const QByteArray longValue = QByteArray(1500, 'p');
    QVERIFY(ini.writeString("Setting", "SonaroPath", longValue));
    QCOMPARE(ini.readString("Setting", "SonaroPath", {}), QByteArray(1023, 'p'));
    // The file itself keeps what was written.
    QVERIFY(fileContent(path).contains(longValue));
}

void TestPlatformCore::iniFileKeepsEmptyAndShiftJisValues()
{
    QTemporaryDir dir;
    IniFile ini(bytesOf(dir, "tunelet.ini"));
    QVERIFY(ini.writeString("Setting", "EditorPath", ""));
    QCOMPARE(ini.readString("Setting", "EditorPath", "NotePad"), QByteArray());
    const QByteArray sjisPath = "/home/u/" + kSjisTest + "/\x95\x5c.ppl"; // 0x5C trail byte
    QVERIFY(ini.writeString("File", "FileName", sjisPath));
    QCOMPARE(ini.readString("File", "FileName", {}), sjisPath);
    QVERIFY(ini.writeBool("Setting", "LzhHEAD", true));
    QCOMPARE(ini.readBool("Setting", "LzhHEAD", false), true);
    QVERIFY(ini.writeInteger("Window", "Top", -20));
    QCOMPARE(ini.readInteger("Window", "Top", 0), -20);
}

void TestPlatformCore::iniFileFirstWritesCreateSectionsInOrder()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "tunelet.ini");
    IniFile ini(path);
    QVERIFY(ini.writeInteger("Software", "Version", 105));
    QVERIFY(ini.writeInteger("Window", "Top", 100));
    QVERIFY(ini.writeString("File", "IniDir", "/x/"));
    QVERIFY(ini.writeBool("Setting", "RepeatPlay", true));
    QVERIFY(ini.writeString("File", "FileName", "/x/a.ppl"));
    QVERIFY(ini.writeInteger("Window", "Top", 32));
    QVERIFY(ini.writeBool("SETTING", "repeatplay", false));
    QCOMPARE(fileContent(path),
             QByteArray("[Software]\r\nVersion=105\r\n[Window]\r\nTop=32\r\n[File]\r\n"
                        "IniDir=/x/\r\nFileName=/x/a.ppl\r\n[Setting]\r\nRepeatPlay=0\r\n"));
    QCOMPARE(folderEntries(dir), QStringList{"tunelet.ini"});
}

void TestPlatformCore::iniFileReportsWriteFailure()
{
    QTemporaryDir dir;
    IniFile ini(bytesOf(dir, "no-such-folder/tunelet.ini"));
    QVERIFY(!ini.writeInteger("Software", "Version", 105));
    QVERIFY(!ini.errorString().isEmpty());
    // Writing over a file that exists but cannot be read would lose its keys.
    const QByteArray folderPath = bytesOf(dir, "folder.ini");
    QVERIFY(QDir(dir.path()).mkdir("folder.ini"));
    IniFile onFolder(folderPath);
    QVERIFY(!onFolder.writeInteger("Software", "Version", 105));
    QCOMPARE(pathKind(folderPath), PathKind::Directory);
}

void TestPlatformCore::iniFileBatchEqualsSingleWritesAndIsWhole()
{
    QTemporaryDir dir;
    const QByteArray start = "; kept\n[Window]\nTop=1\n[Other]\nx=y\n";
    const QList<IniEntry> entries{{"Window", "Left", "5"},
                                  {"setting", "RepeatPlay", "1"},
                                  {"WINDOW", "top", "32"},
                                  {"File", "FileName", "/x/a.ppl"},
                                  {"Setting", "RepeatPlay", "0"}};
    const QByteArray one = bytesOf(dir, "one.ini");
    const QByteArray all = bytesOf(dir, "all.ini");
    QVERIFY(writeFileAtomically(one, start, nullptr));
    QVERIFY(writeFileAtomically(all, start, nullptr));
    IniFile single(one);
    for (const IniEntry &e : entries)
        QVERIFY(single.writeString(e.section, e.key, e.value));
    IniFile batch(all);
    QVERIFY(batch.writeStrings(entries));
    QCOMPARE(fileContent(all), fileContent(one));
    QVERIFY(fileContent(all).contains("Top=32\nLeft=5\r\n"));

    // Nothing of a batch that cannot be written whole reaches the file.
    {
        const FileSizeLimit limit(rlim_t(fileContent(all).size()));
        QVERIFY(limit.isSet());
        QVERIFY(!batch.writeStrings({{"Window", "Top", "7"}, {"New", "Key", "v"}}));
    }
    QVERIFY(!batch.errorString().isEmpty());
    QCOMPARE(fileContent(all), fileContent(one));
}

void TestPlatformCore::atomicWriteReplacesAndLeavesNoTemporary()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "list.ppl");
    QVERIFY(writeFileAtomically(path, "old\r\n"));
    QCOMPARE(fileContent(path), QByteArray("old\r\n"));
    QVERIFY(writeFileAtomically(path, "new\r\n"));
    QCOMPARE(fileContent(path), QByteArray("new\r\n"));
    QVERIFY(writeFileAtomically(path, QByteArray()));
    QCOMPARE(fileContent(path), QByteArray());
    QCOMPARE(folderEntries(dir), QStringList{"list.ppl"});
}

void TestPlatformCore::atomicWriteKeepsPermissionsAndFollowsLinks()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "real.ini");
    QVERIFY(writeFileAtomically(path, "a"));
    QCOMPARE(::chmod(path.constData(), 0640), 0);
    const QByteArray link = bytesOf(dir, "link.ini");
    QCOMPARE(::symlink(path.constData(), link.constData()), 0);
    QVERIFY(writeFileAtomically(link, "b"));
    QCOMPARE(fileContent(path), QByteArray("b"));
    struct stat st;
    QCOMPARE(::lstat(link.constData(), &st), 0);
    QVERIFY(S_ISLNK(st.st_mode));
    QCOMPARE(::stat(path.constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0640);
}

void TestPlatformCore::atomicWriteFailureKeepsOldFile()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "tunelet.ppl");
    QVERIFY(writeFileAtomically(path, "keep me\r\n"));
    QString error;
    bool ok = true;
    {
        const FileSizeLimit limit(16);
        QVERIFY(limit.isSet());
        ok = writeFileAtomically(path, QByteArray(4096, 'x'), &error);
    }
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileContent(path), QByteArray("keep me\r\n"));
    QCOMPARE(folderEntries(dir), QStringList{"tunelet.ppl"});
}

void TestPlatformCore::atomicWriteIntoReadOnlyFolderFails()
{
    QTemporaryDir dir;
    const QByteArray path = bytesOf(dir, "tunelet.ini");
    QVERIFY(writeFileAtomically(path, "[Software]\r\nVersion=105\r\n"));
    const QByteArray folder = QFile::encodeName(dir.path());
    QCOMPARE(::chmod(folder.constData(), 0555), 0);
    const bool writable = ::access(folder.constData(), W_OK) == 0;
    IniFile ini(path);
    const bool ok = ini.writeInteger("Window", "Top", 1);
    ::chmod(folder.constData(), 0755);
    if (writable)
        QSKIP("running with privileges that ignore folder permissions");
    QVERIFY(!ok);
    QVERIFY(!ini.errorString().isEmpty());
    QCOMPARE(fileContent(path), QByteArray("[Software]\r\nVersion=105\r\n"));
}

void TestPlatformCore::pathKinds()
{
    QTemporaryDir dir;
    const QByteArray file = bytesOf(dir, "a.snr");
    writeRaw(file, "x");
    QCOMPARE(pathKind(file), PathKind::RegularFile);
    QVERIFY(isExistingFile(file));
    QCOMPARE(pathKind(QFile::encodeName(dir.path())), PathKind::Directory);
    QVERIFY(!isExistingFile(QFile::encodeName(dir.path())));
    QCOMPARE(pathKind(bytesOf(dir, "missing.snr")), PathKind::Missing);
    QCOMPARE(pathKind(QByteArray()), PathKind::Missing);
    // A name in Shift-JIS bytes reaches the file system unchanged.
    const QByteArray sjis = QFile::encodeName(dir.path()) + '/' + kSjisTest + ".snr";
    QVERIFY(writeFileAtomically(sjis, "*HEAD\"x\""));
    QVERIFY(isExistingFile(sjis));
    QCOMPARE(fileContent(sjis), QByteArray("*HEAD\"x\""));
    QVERIFY(removeFile(sjis));
    QVERIFY(!isExistingFile(sjis));
}

void TestPlatformCore::localeCompare()
{
    const LocaleCompare compare(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(compare.compare("apple", "banana") < 0);
    QVERIFY(compare.compare("banana", "apple") > 0);
    QCOMPARE(compare.compare("same", "same"), 0);
    QVERIFY(compare.compare("a", "A") != 0);
    QVERIFY(compare.sortKey("apple").compare(compare.sortKey("banana")) < 0);
    QVERIFY(compare.equalIgnoringCase("/Music/Song.SNR", "/music/song.snr"));
    QVERIFY(!compare.equalIgnoringCase("/music/song1.snr", "/music/song2.snr"));
    QVERIFY(
        compare.equalIgnoringCase(kSjisTest, QByteArray("\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88")));
    // Undecodable bytes never make two different names equal.
    QVERIFY(!compare.equalIgnoringCase("\xff\x01", "\xff\x02"));
}

void TestPlatformCore::programFolderFromEnvironment()
{
    QTemporaryDir dir;
    const QByteArray home = QFile::encodeName(dir.path()) + "/home-without-slash";
    qputenv("TUNELET_HOME", home);
    const QByteArray folder = programFolder();
    QCOMPARE(folder, home + '/');
    QCOMPARE(pathKind(folder), PathKind::Directory);
    QCOMPARE(programFilePath("tunelet.snr"), home + "/tunelet.snr");
    QCOMPARE(settingsFilePath(), home + '/' + fileNamePart(executablePath()) + ".ini");
    QVERIFY(!executablePath().isEmpty());
    QCOMPARE(helpFilePath().endsWith("/tunelet.html"), true);
    qunsetenv("TUNELET_HOME");
    const QByteArray fallback = programFolder();
    QVERIFY(fallback.endsWith('/'));
    QVERIFY(fallback == folderPart(executablePath()) || fallback.endsWith("/tunelet/"));
}

void TestPlatformCore::programFolderRule_data()
{
    QTest::addColumn<QByteArray>("tuneletHome");
    QTest::addColumn<QByteArray>("exeFolder");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<QByteArray>("folder");
    QTest::newRow("home wins") << QByteArray("/t/h") << QByteArray("/opt/t/") << true
                               << QByteArray("/x") << QByteArray("/t/h/");
    QTest::newRow("writable exe folder") << QByteArray() << QByteArray("/opt/t/") << true
                                         << QByteArray("/x") << QByteArray("/opt/t/");
    QTest::newRow("xdg") << QByteArray() << QByteArray("/usr/bin/") << false
                         << QByteArray("/x/cfg/") << QByteArray("/x/cfg/tunelet/");
    QTest::newRow("default config") << QByteArray() << QByteArray("/usr/bin/") << false
                                    << QByteArray() << QByteArray("/home/u/.config/tunelet/");
    QTest::newRow("relative xdg ignored")
        << QByteArray() << QByteArray("/usr/bin/") << false << QByteArray("rel")
        << QByteArray("/home/u/.config/tunelet/");
}

void TestPlatformCore::programFolderRule()
{
    QFETCH(QByteArray, tuneletHome);
    QFETCH(QByteArray, exeFolder);
    QFETCH(bool, writable);
    QFETCH(QByteArray, xdg);
    QFETCH(QByteArray, folder);
    QCOMPARE(chooseProgramFolder(tuneletHome, exeFolder, writable, xdg, "/home/u"), folder);
}

void TestPlatformCore::onlyRegularFilesAreRead()
{
    QTemporaryDir dir;
    const QByteArray fifo = bytesOf(dir, "pipe.ppl");
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QCOMPARE(pathKind(fifo), PathKind::Other);
    SequentialFile file;
    QVERIFY(!file.open(fifo)); // returns at once instead of waiting for a writer
    QVERIFY(!readWholeFile(fifo).has_value());
    QVERIFY(!readWholeFile(QFile::encodeName(dir.path())).has_value());
    QVERIFY(!readWholeFile("/dev/zero").has_value());
}

QTEST_GUILESS_MAIN(TestPlatformCore)
#include "tst_platform_core.moc"
