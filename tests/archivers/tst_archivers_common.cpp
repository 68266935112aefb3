// The pure parts of the archiver libraries: command-line reading, masks and member paths.
#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Commands.h"
#include "tools/archivers/common/Listing.h"
#include "tools/archivers/common/Mask.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <QTest>
#include <cstring>

using namespace archivers;

namespace
{

QStringList texts(const std::vector<std::string> &v)
{
    QStringList out;
    for (const std::string &s : v)
        out << QString::fromStdString(s);
    return out;
}

} // namespace

class TestArchiversCommon final : public QObject
{
    Q_OBJECT

private slots:
    void tokenize_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("tokens");
        QTest::newRow("plain") << QByteArray("x -+ -n1") << QStringList{"x", "-+", "-n1"};
        QTest::newRow("quoted blanks") << QByteArray("\"a b\"  c") << QStringList{"a b", "c"};
        QTest::newRow("backslash before quote")
            << QByteArray("\"C:\\App\\\" \"*.snr\"") << QStringList{"C:\\App\\", "*.snr"};
        QTest::newRow("switch inside quotes") << QByteArray("\"-jox y\"") << QStringList{"-jox y"};
        QTest::newRow("empty quotes") << QByteArray("\"\" a") << QStringList{"", "a"};
        QTest::newRow("unterminated") << QByteArray("a \"b c") << QStringList{"a", "b c"};
        QTest::newRow("blank line") << QByteArray(" \t ") << QStringList{};
        // A run of n quotes: n / 3 literal quotes, quoting switched n % 3 times.
        QTest::newRow("tripled quote") << QByteArray("\"a\"\"\"b\" c") << QStringList{"a\"b", "c"};
        QTest::newRow("quote at the end") << QByteArray("\"a\"\"\"\"") << QStringList{"a\""};
        QTest::newRow("literal quotes do not quote")
            << QByteArray("\"\"\"a b\"\"\"") << QStringList{"\"a", "b\""};
        QTest::newRow("marked dash") << QByteArray("\"\"-\"x y\"") << QStringList{"-x y"};
    }

    void tokenize()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, tokens);
        QStringList got;
        for (const Token &t : archivers::tokenize(line.toStdString()))
            got << QString::fromStdString(t.text);
        QCOMPARE(got, tokens);
    }

    void jukeboxLine()
    {
        const std::string line =
            "x -+ -n1  \"/home/u/My Songs/a.lzh\" \"/opt/tunelet\\\" \"*.SNR\" "
            "\"*.snr\" \"*.Snr\" ";
        const Request r = interpret(Library::Unlha, line);
        QCOMPARE(r.action, Request::Action::Extract);
        QCOMPARE(QString::fromStdString(r.extract.archive), QString("/home/u/My Songs/a.lzh"));
        QCOMPARE(QString::fromStdString(r.extract.targetDir), QString("/opt/tunelet/"));
        QCOMPARE(texts(r.extract.filter.masks), QStringList({"*.SNR", "*.snr", "*.Snr"}));
        QVERIFY(!r.extract.junkPaths);
    }

    void windowsStylePaths()
    {
        const Request r =
            interpret(Library::Unlha, "x \"\\tmp\\a.lzh\" \"\\tmp\\out\\\" \"sub\\*.snr\"");
        QCOMPARE(QString::fromStdString(r.extract.archive), QString("/tmp/a.lzh"));
        QCOMPARE(QString::fromStdString(r.extract.targetDir), QString("/tmp/out/"));
        QCOMPARE(texts(r.extract.filter.masks), QStringList({"sub/*.snr"}));
    }

    void switchesAndResponseFilesOnlyWhereExposed()
    {
        const auto cmd = parseCommandLine("x -+ \"-jox y\" \"\"-\"a.lzh\" \"\"-\"out\\\" "
                                          "\"\"@\"m\" \"@list\" -n1 \"\"-\"-x\"",
                                          syntaxOf(Library::Unlha));
        QVERIFY(cmd.has_value());
        QCOMPARE(texts(cmd->switches), QStringList({"-+", "-jox y", "-n1"}));
        QCOMPARE(QString::fromStdString(cmd->archive), QString("-a.lzh"));
        QCOMPARE(QString::fromStdString(cmd->targetDir), QString("-out/"));
        QCOMPARE(texts(cmd->files), QStringList({"@m", "@list", "--x"}));
        QCOMPARE(cmd->responseFiles, std::vector<size_t>{1});
    }

    void shiftJisBackslashIsNoSeparator()
    {
        // 0x83 0x5C and 0x95 0x5C are Shift-JIS characters; in valid UTF-8 every '\\' is one.
        QCOMPARE(QByteArray::fromStdString(toSlashes("a\\\x83\x5C\\b")),
                 QByteArray("a/\x83\x5C/b"));
        QCOMPARE(QByteArray::fromStdString(toSlashes("\xe3\x83\x87\\x")),
                 QByteArray("\xe3\x83\x87/x"));
        const Request r =
            interpret(Library::Unlha, "x \"\x83\x5C.lzh\" \"d\x95\x5C\\\" \"\x95\x5C\"");
        QCOMPARE(QByteArray::fromStdString(r.extract.archive), QByteArray("\x83\x5C.lzh"));
        QCOMPARE(QByteArray::fromStdString(r.extract.targetDir), QByteArray("d\x95\x5C/"));
        QCOMPARE(r.extract.filter.masks, std::vector<std::string>{"\x95\x5C"});
        // A name ending in such a character is no target folder.
        const Request n = interpret(Library::Unlha, "x \"a.lzh\" \"\x95\x5C\"");
        QVERIFY(n.extract.targetDir.empty());
        QCOMPARE(n.extract.filter.masks, std::vector<std::string>{"\x95\x5C"});
    }

    void commands_data()
    {
        QTest::addColumn<int>("library");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("action");
        using A = Request::Action;
        const int lha = int(Library::Unlha), unzip = int(Library::UnZip), zip = int(Library::Zip),
                  tar = int(Library::Tar), cab = int(Library::Cab), rar = int(Library::Unrar);
        QTest::newRow("lha x") << lha << QByteArray("x \"a\" \"d\\\"") << int(A::Extract);
        QTest::newRow("lha upper X") << lha << QByteArray("X \"a\"") << int(A::Extract);
        QTest::newRow("lha list") << lha << QByteArray("l \"a\"") << int(A::List);
        QTest::newRow("lha test") << lha << QByteArray("t \"a\"") << int(A::Test);
        QTest::newRow("lha pack") << lha << QByteArray("u -+ \"a\" \"d\\\" \"*\"") << int(A::Pack);
        QTest::newRow("lha delete without names")
            << lha << QByteArray("d -+ \"a\"") << int(A::Invalid);
        QTest::newRow("lha sfx") << lha << QByteArray("s -+ \"a\"") << int(A::Unsupported);
        QTest::newRow("lha method")
            << lha << QByteArray("u -o2 \"a\" \"d\\\" \"*\"") << int(A::Unsupported);
        QTest::newRow("lha no archive") << lha << QByteArray("x -+ -n1  ") << int(A::Invalid);
        QTest::newRow("lha no command") << lha << QByteArray(" -+ \"a\" \"m\"") << int(A::Invalid);
        QTest::newRow("unzip -x") << unzip << QByteArray("-x --i -o \"a\" \"d\\\"")
                                  << int(A::Extract);
        QTest::newRow("unzip mem") << unzip << QByteArray(" \"a\" \"m\"") << int(A::Extract);
        QTest::newRow("zip pack") << zip << QByteArray(" -D -9 \"a\" \"d\\\" \"f\"")
                                  << int(A::Pack);
        QTest::newRow("zip delete") << zip << QByteArray("-d -D \"a\" \"f\"") << int(A::Pack);
        QTest::newRow("zip delete nothing") << zip << QByteArray("-d -D \"a\"") << int(A::Invalid);
        QTest::newRow("zip sfx") << zip << QByteArray("-A /tmp/My Dir/a.EXE") << int(A::Adjust);
        QTest::newRow("tar x") << tar << QByteArray("x -f \"a\" -o \"d\\\"") << int(A::Extract);
        QTest::newRow("tar c") << tar << QByteArray("c -z9 -f \"a\" -o \"d\\\" \"f\"")
                               << int(A::Pack);
        QTest::newRow("tar mem") << tar << QByteArray(" -f \"a\" \"m\"") << int(A::Extract);
        QTest::newRow("tar no archive") << tar << QByteArray("x -o \"d\\\"") << int(A::Invalid);
        QTest::newRow("cab -x") << cab << QByteArray("-x -i \"a\" \"d\\\"") << int(A::Extract);
        QTest::newRow("cab -a") << cab << QByteArray("-a \"a\" \"d\\\"") << int(A::Pack);
        QTest::newRow("cab -f") << cab << QByteArray("-f \"a\" \"d\\\"") << int(A::Unsupported);
        QTest::newRow("rar -e") << rar << QByteArray("-e -u \"a\" \"d\\\"") << int(A::Extract);
    }

    void commands()
    {
        QFETCH(int, library);
        QFETCH(QByteArray, line);
        QFETCH(int, action);
        QCOMPARE(int(interpret(Library(library), line.toStdString()).action), action);
    }

    void tarLine()
    {
        const Request r =
            interpret(Library::Tar, "x --display-dialog=0 --check-all-path=1 --use-directory=0 "
                                    "-f \"/a b/x.tgz\" -o \"/out\\\" \"*.snr\" ");
        QCOMPARE(QString::fromStdString(r.extract.archive), QString("/a b/x.tgz"));
        QCOMPARE(QString::fromStdString(r.extract.targetDir), QString("/out/"));
        QVERIFY(r.extract.junkPaths);
        QCOMPARE(texts(r.extract.filter.masks), QStringList({"*.snr"}));
        const Request c = interpret(Library::Tar, "c -B9 -f \"a.tar.bz2\" -o \"src\\\" \"d\"");
        QCOMPARE(c.pack.compression, Compression::Bzip2);
        QCOMPARE(c.pack.level, 9);
        QCOMPARE(QString::fromStdString(c.pack.baseDir), QString("src/"));
    }

    void switchNumbers_data()
    {
        QTest::addColumn<QByteArray>("sw");
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("maxDigits");
        QTest::addColumn<int>("value"); // -1: none
        QTest::newRow("one digit") << QByteArray("-r1") << QByteArray("-r") << 3 << 1;
        QTest::newRow("three digits") << QByteArray("-o255") << QByteArray("-o") << 3 << 255;
        QTest::newRow("too many") << QByteArray("-l12") << QByteArray("-l") << 1 << -1;
        QTest::newRow("bare") << QByteArray("-z") << QByteArray("-z") << 1 << -1;
        QTest::newRow("not digits") << QByteArray("-x1a") << QByteArray("-x") << 3 << -1;
        QTest::newRow("other prefix") << QByteArray("-B5") << QByteArray("-z") << 1 << -1;
    }

    void switchNumbers()
    {
        QFETCH(QByteArray, sw);
        QFETCH(QByteArray, prefix);
        QFETCH(int, maxDigits);
        QFETCH(int, value);
        const std::optional<int> read =
            digitsAfter(sw.toStdString(), prefix.toStdString(), size_t(maxDigits));
        QCOMPARE(read.value_or(-1), value);
    }

    void zipSwitches()
    {
        const Request r = interpret(Library::Zip, " -S -D -r -u -j -7 \"a.zip\" \"base\\\" \"x\" ");
        QVERIFY(r.pack.hidden && !r.pack.folderEntries && r.pack.recurse && r.pack.updateOnly &&
                r.pack.junkPaths);
        QCOMPARE(r.pack.level, 7);
        const Request sfx = interpret(Library::Zip, "-A C:\\dir with blanks\\a.EXE");
        QCOMPARE(QString::fromStdString(sfx.adjustPath), QString("C:/dir with blanks/a.EXE"));
        const Request unzip = interpret(Library::UnZip, "-x -j \"a.zip\" \"d\\\"");
        QVERIFY(unzip.extract.junkPaths);
        QCOMPARE(unzip.extract.overwrite, Overwrite::Never);
        QVERIFY(unzip.extract.filter.brackets);
    }

    void wildcards_data()
    {
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<bool>("brackets");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star ext") << QByteArray("*.snr") << QByteArray("a.SNR") << false << true;
        QTest::newRow("in folder")
            << QByteArray("*.snr") << QByteArray("d/e/a.snr") << false << true;
        QTest::newRow("other ext")
            << QByteArray("*.snr") << QByteArray("a.snr.txt") << false << false;
        QTest::newRow("question") << QByteArray("?.snr") << QByteArray("ab.snr") << false << false;
        QTest::newRow("path mask")
            << QByteArray("d/*.snr") << QByteArray("d/x.snr") << false << true;
        QTest::newRow("path mask other folder")
            << QByteArray("d/*.snr") << QByteArray("e/x.snr") << false << false;
        QTest::newRow("folder prefix") << QByteArray("D/") << QByteArray("d/x/y") << false << true;
        QTest::newRow("star dot star no dot")
            << QByteArray("*.*") << QByteArray("README") << false << true;
        QTest::newRow("star anything")
            << QByteArray("a*b*c") << QByteArray("aXbYbZc") << false << true;
        QTest::newRow("backtrack fails")
            << QByteArray("a*b*c") << QByteArray("aXbYbZ") << false << false;
        QTest::newRow("bracket literal")
            << QByteArray("[[]a].txt") << QByteArray("[a].txt") << true << true;
        QTest::newRow("bracket class") << QByteArray("[a-c]x") << QByteArray("Bx") << true << true;
        QTest::newRow("bracket negated")
            << QByteArray("[!a-c]x") << QByteArray("dx") << true << true;
        QTest::newRow("brackets off") << QByteArray("[a]x") << QByteArray("ax") << false << false;
        QTest::newRow("brackets off literal")
            << QByteArray("[a]x") << QByteArray("[A]X") << false << true;
        QTest::newRow("unterminated class")
            << QByteArray("[ab") << QByteArray("[ab") << true << true;
        QTest::newRow("high bytes exact")
            << QByteArray("\x83\x41*") << QByteArray("\x83\x41.snr") << false << true;
        QTest::newRow("empty mask") << QByteArray("") << QByteArray("a") << false << false;
    }

    void wildcards()
    {
        QFETCH(QByteArray, mask);
        QFETCH(QByteArray, member);
        QFETCH(bool, brackets);
        QFETCH(bool, matches);
        QCOMPARE(memberMatches(mask.toStdString(), member.toStdString(), brackets), matches);
    }

    void filterExcludes()
    {
        MemberFilter f{{"*.snr"}, {"b*"}, false};
        QVERIFY(f.selects("a.snr"));
        QVERIFY(!f.selects("B.snr"));
        QVERIFY(!f.selects("a.txt"));
        MemberFilter all;
        QVERIFY(all.selects("anything/at/all"));
    }

    void safePaths_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QByteArray>("relative"); // empty: refused
        QTest::newRow("plain") << QByteArray("a/b.snr") << QByteArray("a/b.snr");
        QTest::newRow("backslashes") << QByteArray("a\\b.snr") << QByteArray("a/b.snr");
        QTest::newRow("dot and doubles") << QByteArray("./a//./b") << QByteArray("a/b");
        QTest::newRow("parent") << QByteArray("../b") << QByteArray();
        QTest::newRow("inner parent") << QByteArray("a/../b") << QByteArray();
        QTest::newRow("backslash parent") << QByteArray("a\\..\\..\\b") << QByteArray();
        QTest::newRow("absolute") << QByteArray("/etc/passwd") << QByteArray();
        QTest::newRow("drive") << QByteArray("C:\\x") << QByteArray();
        QTest::newRow("drive relative") << QByteArray("c:x") << QByteArray();
        QTest::newRow("empty") << QByteArray("./") << QByteArray();
        QTest::newRow("dots in names") << QByteArray("a..b/...") << QByteArray("a..b/...");
    }

    void safePaths()
    {
        QFETCH(QByteArray, member);
        QFETCH(QByteArray, relative);
        const std::optional<std::string> rel = safeRelativePath(member.toStdString());
        QCOMPARE(rel.has_value(), !relative.isEmpty());
        if (rel)
            QCOMPARE(QByteArray::fromStdString(*rel), relative);
    }

    void links_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("inside");
        QTest::newRow("sibling") << QByteArray("d/l") << QByteArray("f") << true;
        QTest::newRow("up one in folder") << QByteArray("d/l") << QByteArray("../f") << true;
        QTest::newRow("up too far") << QByteArray("d/l") << QByteArray("../../f") << false;
        QTest::newRow("root up") << QByteArray("l") << QByteArray("..") << false;
        QTest::newRow("absolute") << QByteArray("l") << QByteArray("/etc") << false;
        QTest::newRow("descend then climb") << QByteArray("d/l") << QByteArray("x/..") << false;
        QTest::newRow("empty") << QByteArray("l") << QByteArray("") << false;
        QTest::newRow("dot") << QByteArray("l") << QByteArray(".") << true;
    }

    void links()
    {
        QFETCH(QByteArray, member);
        QFETCH(QByteArray, target);
        QFETCH(bool, inside);
        QCOMPARE(linkStaysInside(member.toStdString(), target.toStdString()), inside);
    }

    void responseFile()
    {
        const std::string content =
            "\"a b.snr\"\r\n\r\n\"sub\\c.snr\"\r\nplain name.txt\n  \"x\" \"y\"\r\n";
        QCOMPARE(texts(parseResponseFile(content)),
                 QStringList({"a b.snr", "sub/c.snr", "plain name.txt", "x", "y"}));
        QVERIFY(parseResponseFile("").empty());
        // Names written by the builder's rule: quotes tripled, a quoted name going on over a
        // line end; nothing in a response file is a switch or another response file.
        QCOMPARE(texts(parseResponseFile("\"q\"\"\"x\"\r\n\"two\r\nlines\"\r\n\"-y\"\r\n@z\r\n")),
                 QStringList({"q\"x", "two\r\nlines", "-y", "@z"}));
    }

    void recordLayout()
    {
        Member m;
        m.path = "sub/deep/B.snr";
        m.size = 12345;
        m.kind = MemberKind::File;
        m.mode = 0644;
        m.mtime = 1700000000;
        ArcEntryInfo info;
        std::memset(&info, 0xEE, sizeof info);
        listing::fillRecord(m, "-lh5-", info);
        const auto *raw = reinterpret_cast<const unsigned char *>(&info);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(raw + 26)),
                 QByteArray("sub/deep/B.snr"));
        QCOMPARE(info.originalSize, 12345u);
        QCOMPARE(QByteArray(info.method), QByteArray("-lh5-"));
        QCOMPARE(QByteArray(info.attribute), QByteArray("-a--"));
        QVERIFY(info.date != 0);
        m.path = std::string(600, 'n');
        listing::fillRecord(m, "x", info);
        QCOMPARE(int(qstrlen(info.fileName)), ARC_ENTRY_NAME_SIZE - 1);
    }
};

QTEST_APPLESS_MAIN(TestArchiversCommon)
#include "tst_archivers_common.moc"
