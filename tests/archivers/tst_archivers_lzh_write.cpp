// LZH writing of libunlha32.so: archives it writes are unpacked byte for byte by Debian's
// lhasa and jlha and by the library itself; "u", "f" and "d" keep what they do not change.
#include "tests/archivers/ArchiverLibrary.h"
#include "tests/support/ArchiveTools.h"
#include "tests/support/ByteFiles.h"
#include "tools/archivers/common/LzhHeader.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tunelet::testkit;

namespace
{

const QByteArray kShiftJisName("\x8b\xc8\x96\xbc.snr"); // two kanji, no 0x5C byte

// The files every archive of the peer test holds, by path below the source folder.
FileTree sampleFiles()
{
    QByteArray words;
    QRandomGenerator wordsRng(7);
    const char *const notes[] = {"c", "d", "e", "f", "g", "a", "b", "o4", "l8", "r", "\r\n"};
    while (words.size() < 100 * 1024)
        words += QByteArray(notes[wordsRng.bounded(11)]) + ' ';
    QByteArray noise(70000, '\0');
    QRandomGenerator noiseRng(11);
    for (char &c : noise)
        c = char(noiseRng.bounded(256));
    return {{"empty.snr", {}},
            {"tiny.txt", "x"},
            {"words.snr", words},
            {"noise.bin", noise},
            {"same.txt", QByteArray(150000, 'a') + QByteArray("abc").repeated(20000)},
            {"sub/deep/song.snr", "*HEAD\"deep\"\r\nc d e\r\n"},
            {kShiftJisName, "*HEAD\"\x8b\xc8\"\r\n"}};
}

void touch(const QByteArray &path, qint64 secondsFromNow)
{
    QFile f(QFile::decodeName(path));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(secondsFromNow),
                          QFileDevice::FileModificationTime));
}

// The members as stored, by path: header and data bytes.
QMap<QByteArray, QByteArray> storedMembers(const QByteArray &archive)
{
    const QByteArray bytes = readBytes(archive);
    std::vector<archivers::LzhStoredMember> members;
    std::string why;
    QMap<QByteArray, QByteArray> out;
    if (!archivers::scanLzhMembers(std::string_view(bytes.constData(), size_t(bytes.size())),
                                   members, why))
        return out;
    for (const auto &m : members)
        out.insert(QByteArray::fromStdString(m.path),
                   bytes.mid(qsizetype(m.offset), qsizetype(m.length)));
    return out;
}

QByteArray methodOf(const QByteArray &stored)
{
    return stored.mid(2, 5);
}

} // namespace

class TestLzhWrite final : public QObject
{
    Q_OBJECT

    std::unique_ptr<ArchiverLibrary> m_unlha;
    QString m_lhasa;
    QString m_jlha;

    // The line the LHA back-end builds: command, switches, archive, base folder, names.
    int command(const QByteArray &cmd, const QByteArray &archive, const QByteArray &base,
                const QByteArrayList &names, const QByteArray &switches = "-n1",
                QByteArray *output = nullptr)
    {
        return m_unlha->command(backendLine(cmd + " -+ " + switches, archive, base, names), output,
                                output != nullptr ? 4096 : 0);
    }

    QByteArray writeSources(const QTemporaryDir &dir)
    {
        const QByteArray src = QFile::encodeName(dir.filePath("src"));
        writeTree(src, sampleFiles());
        return src;
    }

private slots:
    void initTestCase()
    {
        m_unlha = std::make_unique<ArchiverLibrary>("libunlha32.so", "Unlha");
        QVERIFY2(m_unlha->isLoaded(), qPrintable(m_unlha->error()));
        m_lhasa = QStandardPaths::findExecutable("lhasa");
        m_jlha = QStandardPaths::findExecutable("jlha");
    }

    void peersUnpackWhatIsWritten_data()
    {
        QTest::addColumn<QByteArray>("switches");
        QTest::addColumn<QByteArray>("method");
        QTest::newRow("lh5") << QByteArray("-r1") << QByteArray("-lh5-");
        QTest::newRow("lh6") << QByteArray("-r1 -o6") << QByteArray("-lh6-");
        QTest::newRow("lh7") << QByteArray("-r1 -o7") << QByteArray("-lh7-");
        QTest::newRow("stored") << QByteArray("-r1 -z1") << QByteArray("-lh0-");
    }

    void peersUnpackWhatIsWritten()
    {
        QFETCH(QByteArray, switches);
        QFETCH(QByteArray, method);
        QTemporaryDir dir;
        const QByteArray src = writeSources(dir);
        const QByteArray archive = QFile::encodeName(dir.filePath("all.lzh"));
        QCOMPARE(command("u", archive, src, {"*"}, switches), ARC_OK);

        const QMap<QByteArray, QByteArray> stored = storedMembers(archive);
        QCOMPARE(stored.size(), sampleFiles().size());
        QCOMPARE(methodOf(stored.value("same.txt")), method);
        QCOMPARE(methodOf(stored.value("noise.bin")), QByteArray("-lh0-")); // not smaller packed
        QCOMPARE(methodOf(stored.value("empty.snr")), QByteArray("-lh0-"));
        if (method != "-lh0-")
            QVERIFY(stored.value("same.txt").size() < 2000);

        // lhasa keeps the names' bytes; jlha and the library read Shift-JIS into this
        // system's names, so those are compared by content.
        const QString lhasaOut = dir.filePath("lhasa"), jlhaOut = dir.filePath("jlha"),
                      ownOut = dir.filePath("own");
        for (const QString &d : {lhasaOut, jlhaOut, ownOut})
            QVERIFY(QDir().mkpath(d));
        if (m_lhasa.isEmpty())
            QSKIP("lhasa is not installed");
        QCOMPARE(runTool(m_lhasa, {"xq", QFile::decodeName(archive)}, lhasaOut), 0);
        if (!m_jlha.isEmpty())
            QCOMPARE(runTool(m_jlha, {"xq", QFile::decodeName(archive)}, jlhaOut), 0);
        QCOMPARE(command("x", archive, QFile::encodeName(ownOut), {"*"}), ARC_OK);
        for (const auto &[name, data] : sampleFiles()) {
            QCOMPARE(readBytes(QFile::encodeName(lhasaOut) + '/' + name), data);
            if (name == kShiftJisName)
                continue;
            if (!m_jlha.isEmpty())
                QCOMPARE(readBytes(QFile::encodeName(jlhaOut) + '/' + name), data);
            QCOMPARE(readBytes(QFile::encodeName(ownOut) + '/' + name), data);
        }
        QCOMPARE(entriesBelow(QFile::encodeName(lhasaOut)), entriesBelow(src));
    }

    void updateReplacesOnlyWithNewerFiles()
    {
        QTemporaryDir dir;
        const QByteArray src = QFile::encodeName(dir.filePath("src"));
        QVERIFY(QDir().mkpath(QFile::decodeName(src)));
        writeBytes(src + "/a.snr", "first a");
        writeBytes(src + "/b.snr", "first b");
        const QByteArray archive = src + "/../songs.lzh";
        QCOMPARE(command("u", archive, src, {"a.snr", "b.snr"}), ARC_OK);
        const QByteArray storedB = storedMembers(archive).value("b.snr");

        writeBytes(src + "/a.snr", "older a");
        touch(src + "/a.snr", -3600);
        writeBytes(src + "/c.snr", "new c");
        QCOMPARE(command("u", archive, src, {"a.snr", "c.snr"}), ARC_OK);
        const QString out = dir.filePath("out");
        QCOMPARE(command("x", archive, QFile::encodeName(out), {"*"}), ARC_OK);
        QCOMPARE(readBytes(QFile::encodeName(out) + "/a.snr"), QByteArray("first a"));
        QCOMPARE(readBytes(QFile::encodeName(out) + "/c.snr"), QByteArray("new c"));

        writeBytes(src + "/a.snr", "newer a");
        touch(src + "/a.snr", 3600);
        QCOMPARE(command("u", archive, src, {"a.snr"}), ARC_OK);
        const QMap<QByteArray, QByteArray> stored = storedMembers(archive);
        QCOMPARE(stored.keys(), (QByteArrayList{"a.snr", "b.snr", "c.snr"}));
        QVERIFY(stored.value("a.snr").endsWith("newer a"));
        QCOMPARE(stored.value("b.snr"), storedB); // untouched members keep their bytes
    }

    void freshenAndDeleteCopyTheOtherMembers()
    {
        QTemporaryDir dir;
        const QByteArray src = writeSources(dir);
        const QByteArray archive = QFile::encodeName(dir.filePath("songs.lzh"));
        QCOMPARE(command("u", archive, src, {"*"}, "-r1"), ARC_OK);
        const QMap<QByteArray, QByteArray> before = storedMembers(archive);

        // Freshening without names looks at every member's file; only a newer one counts.
        const QByteArray changed = "*HEAD\"changed\"\r\n";
        writeBytes(src + "/sub/deep/song.snr", changed);
        touch(src + "/sub/deep/song.snr", 3600);
        writeBytes(src + "/new.snr", "not in the archive");
        QCOMPARE(command("f", archive, src, {}), ARC_OK);
        QMap<QByteArray, QByteArray> after = storedMembers(archive);
        QCOMPARE(after.keys(), before.keys());
        for (const QByteArray &name : before.keys()) {
            if (name != "sub/deep/song.snr")
                QCOMPARE(after.value(name), before.value(name));
        }
        QVERIFY(after.value("sub/deep/song.snr") != before.value("sub/deep/song.snr"));

        QCOMPARE(command("d", archive, {}, {"*.bin", "sub/"}), ARC_OK);
        after = storedMembers(archive);
        QVERIFY(!after.contains("noise.bin") && !after.contains("sub/deep/song.snr"));
        QCOMPARE(after.size(), before.size() - 2);
        for (const QByteArray &name : after.keys())
            QCOMPARE(after.value(name), before.value(name));
        if (!m_lhasa.isEmpty())
            QCOMPARE(runTool(m_lhasa, {"t", QFile::decodeName(archive)}, dir.path()), 0);

        // An archive left without members is no archive: it goes.
        QCOMPARE(command("d", archive, {}, {"*"}), ARC_OK);
        QVERIFY(!QFile::exists(QFile::decodeName(archive)));
    }

    void switchesShapeWhatIsStored()
    {
        QTemporaryDir dir;
        const QByteArray src = writeSources(dir);
        const QByteArray flat = QFile::encodeName(dir.filePath("flat.lzh"));
        QCOMPARE(command("u", flat, src, {"*.snr"}), ARC_OK); // no -r: no sub-folders
        QCOMPARE(storedMembers(flat).keys(),
                 (QByteArrayList{"empty.snr", "words.snr", kShiftJisName}));
        const QByteArray junk = QFile::encodeName(dir.filePath("junk.lzh"));
        QCOMPARE(command("u", junk, src, {"sub/deep/song.snr", "tiny.txt"}, "-x0"), ARC_OK);
        QCOMPARE(storedMembers(junk).keys(), (QByteArrayList{"song.snr", "tiny.txt"}));
        const QByteArray some = QFile::encodeName(dir.filePath("some.lzh"));
        QCOMPARE(command("u", some, src, {"*"}, "-r1 \"-jx*.snr\" -jxnoise.bin"), ARC_OK);
        QCOMPARE(storedMembers(some).keys(), (QByteArrayList{"same.txt", "tiny.txt"}));
    }

    void refusalsChangeNothing()
    {
        QTemporaryDir dir;
        const QByteArray src = writeSources(dir);
        const QByteArray text = QFile::encodeName(dir.filePath("text.lzh"));
        writeBytes(text, "just some text, no archive\n");
        const QByteArray archive = QFile::encodeName(dir.filePath("songs.lzh"));
        QCOMPARE(command("u", archive, src, {"*.snr"}), ARC_OK);
        const QByteArray cut = QFile::encodeName(dir.filePath("cut.lzh"));
        writeBytes(cut, readBytes(archive).chopped(40));
        const QByteArrayList before = entriesBelow(QFile::encodeName(dir.path()) + '/');
        const QByteArray cutBytes = readBytes(cut);

        QByteArray output;
        QCOMPARE(command("u", text, src, {"tiny.txt"}, "-n1", &output), ARC_ERROR_ARCHIVE_OPEN);
        QVERIFY2(output.contains("not an LZH archive"), output.constData());
        QCOMPARE(command("d", cut, {}, {"words.snr"}, "-n1", &output), ARC_ERROR_ARCHIVE_DAMAGED);
        QCOMPARE(command("s", archive, src, {}, "-n1", &output), ARC_ERROR_NOT_SUPPORTED);
        QVERIFY2(output.contains("Windows program stub"), output.constData());
        QCOMPARE(command("u", archive, src, {"tiny.txt"}, "-o2", &output), ARC_ERROR_NOT_SUPPORTED);
        QVERIFY2(output.contains("-o5, -o6, -o7"), output.constData());
        QCOMPARE(command("u", archive, src, {"missing.snr"}), ARC_ERROR_SOURCE);
        QCOMPARE(command("f", QFile::encodeName(dir.filePath("none.lzh")), src, {}),
                 ARC_ERROR_ARCHIVE_OPEN);

        QCOMPARE(readBytes(text), QByteArray("just some text, no archive\n"));
        QCOMPARE(readBytes(cut), cutBytes);
        QCOMPARE(entriesBelow(QFile::encodeName(dir.path()) + '/'), before); // no file half-written
    }

    void onlyRegularFilesBelowTheBase()
    {
        QTemporaryDir dir;
        const QByteArray src = QFile::encodeName(dir.filePath("src"));
        QVERIFY(QDir().mkpath(QFile::decodeName(src)));
        writeBytes(src + "/song.snr", "song");
        const QByteArray secret = QFile::encodeName(dir.filePath("secret.txt"));
        writeBytes(secret, "outside");
        QCOMPARE(::symlink(secret.constData(), (src + "/link.snr").constData()), 0);
        QCOMPARE(::mkfifo((src + "/fifo.snr").constData(), 0600), 0);
        const QByteArray archive = QFile::encodeName(dir.filePath("songs.lzh"));
        QCOMPARE(command("u", archive, src, {"*.snr", "link.snr", "fifo.snr"}), ARC_OK);
        QCOMPARE(storedMembers(archive).keys(), QByteArrayList{"song.snr"});
    }

    void boundOfOneCommand()
    {
        QTemporaryDir dir;
        const QByteArray src = QFile::encodeName(dir.filePath("src"));
        QVERIFY(QDir().mkpath(QFile::decodeName(src)));
        writeBytes(src + "/small.snr", "small");
        const QByteArray archive = QFile::encodeName(dir.filePath("songs.lzh"));
        QCOMPARE(command("u", archive, src, {"small.snr"}), ARC_OK);
        const QByteArray before = readBytes(archive);
        QFile big(QFile::decodeName(src + "/big.bin"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(ARC_MAX_TOTAL_BYTES) + 1)); // sparse: no disk taken
        big.close();
        QCOMPARE(command("u", archive, src, {"big.bin"}), ARC_ERROR_TOTAL_TOO_LARGE);
        QCOMPARE(readBytes(archive), before);
        QCOMPARE(entriesBelow(QFile::encodeName(dir.path()) + '/'),
                 (QByteArrayList{"songs.lzh", "src/", "src/big.bin", "src/small.snr"}));
    }
};

QTEST_GUILESS_MAIN(TestLzhWrite)
#include "tst_archivers_lzh_write.moc"
