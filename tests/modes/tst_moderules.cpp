// The rules behind the window's modes and tools, without a window: compact
// mode's heights, the editor check, the program-path dialog, and the playing
// data file named by the caption with the text the data viewer shows of it.
#include "tests/support/ByteFiles.h"

#include "tests/modes/ModesTests.h"

#include "app/CompactMode.h"
#include "app/PlayingDataFile.h"
#include "app/ProgramPathDialog.h"
#include "app/TextEditor.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using tunelet::CompactMode;
using tunelet::WindowHeights;

namespace
{

constexpr int Bars = 33 + 19; // button bar + status bar

class ModeRulesTest final : public QObject
{
    Q_OBJECT

private slots:
    void compactHeights_data();
    void compactHeights();
    void enlargedLeavesCompactMode();
    void editorCheck_data();
    void editorCheck();
    void programPathDialog_data();
    void programPathDialog();
    void playingDataFile_data();
    void playingDataFile();
    void playingDataText();
};

void ModeRulesTest::compactHeights_data()
{
    // The client height before entering (0: never entered through the
    // menu), the outer height then, the heights when leaving, and the outer
    // height leaving gives (0: none, the list keeps its height).
    QTest::addColumn<int>("clientBefore");
    QTest::addColumn<int>("outerBefore");
    QTest::addColumn<int>("clientAtLeave");
    QTest::addColumn<int>("restored");
    QTest::newRow("entered from the design size") << 261 << 290 << Bars << 290;
    QTest::newRow("entered from a taller window") << 321 << 350 << Bars << 350;
    QTest::newRow("started compact") << 0 << 0 << Bars << CompactMode::DesignHeight;
    QTest::newRow("entered while already compact") << Bars << 81 << Bars << 290;
    QTest::newRow("list has a height again") << 261 << 290 << 200 << 0;
}

void ModeRulesTest::compactHeights()
{
    QFETCH(int, clientBefore);
    QFETCH(int, outerBefore);
    QFETCH(int, clientAtLeave);
    QFETCH(int, restored);
    CompactMode mode;
    if (clientBefore > 0)
        QCOMPARE(mode.enter({clientBefore, Bars, outerBefore}), Bars);
    const std::optional<int> outer = mode.leave({clientAtLeave, Bars, Bars + 29});
    QCOMPARE(outer.value_or(0), restored);
}

void ModeRulesTest::enlargedLeavesCompactMode()
{
    QVERIFY(!CompactMode::enlarged({Bars, Bars, 81}));
    QVERIFY(CompactMode::enlarged({Bars + 1, Bars, 82}));
    CompactMode mode;
    QVERIFY(mode.resizeAttached());
    mode.detachResize();
    QVERIFY(!mode.resizeAttached());
}

void ModeRulesTest::editorCheck_data()
{
    QTest::addColumn<QByteArray>("editor");
    QTest::addColumn<bool>("usable");
    QTest::newRow("NotePad") << QByteArray("NotePad") << true;
    QTest::newRow("NOTEPAD") << QByteArray("NOTEPAD") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("existing file") << QByteArray("@editor") << true;
    QTest::newRow("missing file") << QByteArray("@missing") << false;
    QTest::newRow("folder") << QByteArray("@") << false;
}

void ModeRulesTest::editorCheck()
{
    QFETCH(QByteArray, editor);
    QFETCH(bool, usable);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    QVERIFY(tunelet::testkit::writeBytes(folder + "editor", "#!/bin/sh\n"));
    if (editor.startsWith('@'))
        editor = folder + editor.mid(1);
    QCOMPARE(tunelet::isUsableEditor(editor), usable);
}

void ModeRulesTest::programPathDialog_data()
{
    QTest::addColumn<bool>("shipped");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("initialDir");
    QTest::newRow("player, empty") << true << QByteArray() << QByteArray("/usr/lib/tunelet/sonaro")
                                   << QByteArray("/usr/lib/tunelet/");
    QTest::newRow("player, relative")
        << true << QByteArray("bin/sonaro") << QByteArray("/home/u/.tunelet/bin/sonaro")
        << QByteArray("/home/u/.tunelet/bin/");
    QTest::newRow("player, absolute") << true << QByteArray("/opt/s/sonaro")
                                      << QByteArray("/opt/s/sonaro") << QByteArray("/opt/s/");
    QTest::newRow("editor, NotePad")
        << false << QByteArray("NotePad") << QByteArray("NotePad") << QByteArray();
    QTest::newRow("editor, empty") << false << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("editor, relative")
        << false << QByteArray("ed/vi") << QByteArray("ed/vi") << QByteArray("ed/");
}

void ModeRulesTest::programPathDialog()
{
    QFETCH(bool, shipped);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, initialDir);
    const tunelet::ProgramPathSetting setting{QStringLiteral("T"), QStringLiteral("F (f)"),
                                              shipped ? "sonaro" : nullptr};
    const tunelet::FileDialogState dialog =
        tunelet::programPathDialog(setting, value, "/home/u/.tunelet/", "/usr/lib/tunelet/");
    QCOMPARE(dialog.kind, tunelet::FileDialogState::Kind::Open);
    QCOMPARE(dialog.Title, setting.title);
    QCOMPARE(dialog.Filter, setting.filter);
    QVERIFY(dialog.DefaultExt.isEmpty());
    QCOMPARE(dialog.FileName, fileName);
    QCOMPARE(dialog.InitialDir, initialDir);
}

void ModeRulesTest::playingDataFile_data()
{
    const QByteArray sjis("/m/\x83\x65\x83\x58\x83\x67.snr"); // "テスト" in Shift-JIS
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("playingPath");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("found");
    QTest::newRow("idle") << QStringLiteral("Tunelet") << QByteArray() << QByteArray() << false;
    QTest::newRow("progress text")
        << QStringLiteral("Tunelet 0:12") << QByteArray("/m/a.snr") << QByteArray() << false;
    QTest::newRow("playing") << QStringLiteral("Tunelet - <1> /m/a.snr") << QByteArray("/m/a.snr")
                             << QByteArray("/m/a.snr") << true;
    QTest::newRow("first mark counts") << QStringLiteral("Tunelet - <2> /m/x> y.snr")
                                       << QByteArray() << QByteArray("/m/x> y.snr") << true;
    QTest::newRow("exact bytes of the started file")
        << QStringLiteral("Tunelet - <3> /m/テスト.snr") << sjis << sjis << true;
    QTest::newRow("another file than the started one")
        << QStringLiteral("Tunelet - <3> /m/テスト.snr") << QByteArray("/m/other.snr")
        << QByteArray("/m/テスト.snr") << true;
}

void ModeRulesTest::playingDataFile()
{
    QFETCH(QString, caption);
    QFETCH(QByteArray, playingPath);
    QFETCH(QByteArray, expected);
    QFETCH(bool, found);
    const std::optional<QByteArray> file = tunelet::playingDataFile(caption, playingPath);
    QCOMPARE(file.has_value(), found);
    QCOMPARE(file.value_or(QByteArray()), expected);
}

void ModeRulesTest::playingDataText()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray song = QFile::encodeName(dir.path()) + "/a.snr";
    QVERIFY(tunelet::testkit::writeBytes(song, "*HEAD\"A\"\r\nrest"));
    QCOMPARE(tunelet::playingDataText(std::nullopt, 100), QByteArray());
    QCOMPARE(tunelet::playingDataText(song + ".gone", 100), QByteArray());
    QCOMPARE(tunelet::playingDataText(QFile::encodeName(dir.path()), 100), QByteArray());
    QCOMPARE(tunelet::playingDataText(song, 100), QByteArray("*HEAD\"A\"\r\nrest"));
    QCOMPARE(tunelet::playingDataText(song, 5), QByteArray("*HEAD"));
}

} // namespace

int runModeRulesTests(int argc, char **argv)
{
    ModeRulesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_moderules.moc"
