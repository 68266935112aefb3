// A converter that crashes, writes nothing or never ends: the start reports
// it, and nothing is left half-done in the program folder.
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/faults/FaultSupport.h"
#include "tests/faults/FaultTests.h"

#include "platform/core/ByteFile.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

namespace
{
// The converter writes "<input base>.snr" into its current folder, the
// program folder; these scripts do the same before they fail.
const QByteArray WritePartial =
    "out=\"$(basename \"$1\" .mid).snr\"\nprintf 'half a so' > \"$out\"";
constexpr std::chrono::milliseconds Cap{1500};
} // namespace

class TestConverterFaults final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void converterCrashes();
    void converterWritesNothing();
    void converterNeverEnds();
    void midiNamedInShiftJisConverts();

private:
    TForm1 &form() const { return m_fixture->form(); }
    // Points mid2snrPath at a script with this body and adds one MIDI row.
    void useConverter(const QByteArray &body);

    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<faults::CappedLauncher> m_launcher;
    QByteArray m_midi;
};

void TestConverterFaults::initTestCase()
{
    if (faults::binDir().isEmpty())
        QSKIP("TUNELET_BIN_DIR is not set");
}

void TestConverterFaults::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->isValid());
    m_launcher = std::make_unique<faults::CappedLauncher>(Cap);
    m_fixture->start({.processes = m_launcher.get()});
    form().SonaroPath = faults::binDir() + "/sonaro";
    action(form(), "MMRepeat")->setChecked(false);
    // The work file of an earlier song.
    QVERIFY(writeBytes(m_fixture->path("tunelet.snr"), songData("Old song")));
}

void TestConverterFaults::cleanup()
{
    if (m_launcher)
        QVERIFY(m_launcher->endStarted());
    m_fixture.reset();
    m_launcher.reset();
}

void TestConverterFaults::useConverter(const QByteArray &body)
{
    const QByteArray script = m_fixture->writeOutside("converter.sh", QByteArray());
    QVERIFY(faults::writeScript(script, body));
    form().mid2snrPath = script;
    m_midi = m_fixture->writeOutside("song.mid", "MThd");
    form().AppendEntry(m_midi);
}

void TestConverterFaults::converterCrashes()
{
    useConverter(WritePartial + "\nkill -KILL $$");
    form().Run([this] { form().SBPlayClick(); });

    // Reported, and no player started on half a conversion.
    QCOMPARE(m_fixture->dialogs().texts(What::Error),
             QStringList{QStringLiteral("mid2snrが異常終了しました")});
    QVERIFY(m_launcher->startedIds().isEmpty());
    QVERIFY(!form().Session().progressTimer().isActive());
    // The half-written output is gone; the earlier work file is untouched.
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), songData("Old song"));

    // Tunelet goes on: a working converter plays the row.
    QVERIFY(faults::writeScript(form().mid2snrPath,
                                "out=\"$(basename \"$1\" .mid).snr\"\nprintf '*HEAD\"New\"\\r\\n"
                                "A: c4\\r\\n' > \"$out\""));
    m_fixture->dialogs().clear();
    form().Run([this] { form().SBPlayClick(); });
    QVERIFY(m_fixture->dialogs().texts(What::Error).isEmpty());
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), QByteArray("*HEAD\"New\"\r\nA: c4\r\n"));
}

void TestConverterFaults::converterWritesNothing()
{
    useConverter("exit 0");
    form().Run([this] { form().SBPlayClick(); });

    // The player starts on the work file, which is gone: the earlier song is
    // never played in place of this one. The player finds no file, ends at
    // once, and the one-row list stops.
    QCOMPARE(m_launcher->startedIds().size(), 1);
    QVERIFY(!tunelet::isExistingFile(m_fixture->path("tunelet.snr")));
    QCOMPARE(form().windowTitle(),
             "Tunelet - <1> " + QString::fromUtf8(m_fixture->path("tunelet.snr")));
    QTRY_COMPARE_WITH_TIMEOUT(form().windowTitle(), QStringLiteral("Tunelet"), 20000);
    QVERIFY(!form().Session().progressTimer().isActive());
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QVERIFY(m_fixture->leftInHome().isEmpty());
}

void TestConverterFaults::converterNeverEnds()
{
    const QByteArray pidFile = m_fixture->writeOutside("converter.pid", QByteArray());
    useConverter(WritePartial + "\necho $$ > '" + pidFile + "'\nexec sleep 30");
    QElapsedTimer clock;
    clock.start();
    form().Run([this] { form().SBPlayClick(); });
    qInfo("never-ending converter: the start returned after %lld ms (bound cut to %lld ms)",
          clock.elapsed(), qint64(Cap.count()));

    // Tunelet asked for its own bound; the test cut it short.
    QCOMPARE(m_launcher->askedBound(), std::chrono::milliseconds(60000));
    QCOMPARE(m_fixture->dialogs().texts(What::Error),
             QStringList{QStringLiteral("mid2snrが60秒たっても終了しないため、中止しました")});
    const qint64 pid = readBytes(pidFile).trimmed().toLongLong();
    QVERIFY(pid > 0);
    QVERIFY(faults::processEnded(pid));
    QVERIFY(m_launcher->startedIds().isEmpty());
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QCOMPARE(readBytes(m_fixture->path("tunelet.snr")), songData("Old song"));

    // The window was not left waiting: its timers run.
    bool ticked = false;
    QTimer::singleShot(10, this, [&] { ticked = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ticked, 2000);
}

void TestConverterFaults::midiNamedInShiftJisConverts()
{
    // The real converter, on a MIDI file whose name is no valid UTF-8.
    form().mid2snrPath = faults::binDir() + "/mid2snr";
    const QByteArray midi = m_fixture->outsideRoot() + "\x83\x65\x83\x58\x83\x67.mid";
    QVERIFY(writeBytes(midi, midiData()));
    // A name that is no valid text stays behind a QTemporaryDir.
    const auto removeMidi = qScopeGuard([&] { tunelet::removeFile(midi); });
    form().AppendEntry(midi);
    form().Run([this] { form().SBPlayClick(); });
    QVERIFY(m_fixture->dialogs().shown().isEmpty());
    QCOMPARE(m_launcher->startedIds().size(), 1);
    // The conversion became the work file, and the converter's own output is
    // gone.
    QCOMPARE(m_fixture->leftInHome(), QByteArrayList{"tunelet.snr"});
    QVERIFY(readBytes(m_fixture->path("tunelet.snr")) != songData("Old song"));
    QVERIFY(readBytes(m_fixture->path("tunelet.snr")).contains("*HEAD"));
}

int runConverterFaultTests(int argc, char **argv)
{
    TestConverterFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_converter.moc"
