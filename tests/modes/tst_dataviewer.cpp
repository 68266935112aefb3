// The data viewer: switched on and off from the menu, loaded from the playing
// data file (the caption's text after its first "> "), emptied and unticked
// by its own close box, and loaded again at each song start while on.
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "tests/modes/ModesTests.h"

#include "app/OuterFrame.h"

#include "platform/core/ByteFile.h"

#include <QTest>

using namespace tunelet::testkit;

namespace
{

class DataViewerTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensEmptyWhileIdle();
    void loadsThePlayingFile();
    void playingFileFromTheCaption();
    void missingPlayingFileOpensEmpty();
    void unreadablePlayingFileIsReported();
    void closeBoxUnticksAndTheItemReloads();
    void loadedAtEachSongStart();
    void notLoadedWhileOff();
    void storedAtExit();

private:
    TForm1 &form() const { return m_app->form(); }
    TForm2 &viewer() const { return m_app->viewer(); }
    std::unique_ptr<WindowFixture> m_app;
};

void DataViewerTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    m_app->useRecordingSeams();
    m_app->start();
    QVERIFY(m_app->show());
}

void DataViewerTest::cleanup()
{
    m_app.reset();
}

void DataViewerTest::opensEmptyWhileIdle()
{
    viewer().setData("left over");
    action(form(), "MMDataView")->trigger();
    QVERIFY(action(form(), "MMDataView")->isChecked());
    QVERIFY(viewer().isVisible());
    QVERIFY(viewer().text().isEmpty());

    viewer().setData("something");
    action(form(), "MMDataView")->trigger();
    QVERIFY(!action(form(), "MMDataView")->isChecked());
    QVERIFY(!viewer().isVisible());
    QVERIFY(viewer().text().isEmpty());
}

void DataViewerTest::loadsThePlayingFile()
{
    m_app->addSongs(2);
    form().SelectRow(1);
    form().ListView1DblClick();
    action(form(), "MMDataView")->trigger();
    QVERIFY(viewer().isVisible());
    QCOMPARE(viewer().text(), QString::fromUtf8(songData("Song 2")).replace("\r\n", "\n"));
}

void DataViewerTest::playingFileFromTheCaption()
{
    const QByteArray other = m_app->write("other.snr", songData("Other"));
    form().setWindowTitle(QStringLiteral("Tunelet - <7> ") + QFile::decodeName(other));
    action(form(), "MMDataView")->trigger();
    QVERIFY(viewer().text().contains(QStringLiteral("*HEAD\"Other\"")));

    // A progress caption holds no "> ": no playing data file.
    action(form(), "MMDataView")->trigger();
    form().setWindowTitle(QStringLiteral("Tunelet - mid2snr実行中..."));
    action(form(), "MMDataView")->trigger();
    QVERIFY(viewer().text().isEmpty());
}

void DataViewerTest::missingPlayingFileOpensEmpty()
{
    const QByteArrayList songs = m_app->addSongs(1);
    form().SBPlayClick();
    QVERIFY(tunelet::removeFile(songs[0]));
    action(form(), "MMDataView")->trigger();
    QVERIFY(viewer().isVisible());
    QVERIFY(viewer().text().isEmpty());
    QVERIFY(m_app->dialogs().shown().isEmpty());
}

void DataViewerTest::unreadablePlayingFileIsReported()
{
    // A regular file whose every read fails, also for root: this process's
    // memory file read at the unmapped address 0.
    const QByteArray unreadable = "/proc/self/mem";
    QVERIFY(tunelet::isExistingFile(unreadable));
    viewer().setData("left over");
    form().SetCaption(QStringLiteral("Tunelet - <1> ") + QString::fromUtf8(unreadable));
    action(form(), "MMDataView")->trigger();
    QCOMPARE(m_app->dialogs().texts(ScriptedDialogs::Shown::What::Error),
             QStringList{QStringLiteral("ﾌｧｲﾙ /proc/self/mem は開けません")});
    // The error ended the command before the viewer was shown; the item
    // keeps the check mark it set first.
    QVERIFY(!viewer().isVisible());
    QVERIFY(action(form(), "MMDataView")->isChecked());
}

void DataViewerTest::closeBoxUnticksAndTheItemReloads()
{
    m_app->addSongs(1);
    form().SBPlayClick();
    action(form(), "MMDataView")->trigger();
    QVERIFY(viewer().text().contains(QStringLiteral("Song 1")));

    viewer().close();
    QVERIFY(!action(form(), "MMDataView")->isChecked());
    QVERIFY(viewer().text().isEmpty());
    QVERIFY(!viewer().isVisible());

    action(form(), "MMDataView")->trigger();
    QVERIFY(action(form(), "MMDataView")->isChecked());
    QVERIFY(viewer().isVisible());
    QVERIFY(viewer().text().contains(QStringLiteral("Song 1")));
}

void DataViewerTest::loadedAtEachSongStart()
{
    m_app->addSongs(2);
    action(form(), "MMDataView")->trigger();
    form().SBPlayClick();
    QVERIFY(viewer().text().contains(QStringLiteral("Song 1")));
    form().SBNextClick();
    QVERIFY(viewer().text().contains(QStringLiteral("Song 2")));
}

void DataViewerTest::notLoadedWhileOff()
{
    m_app->addSongs(1);
    form().SBPlayClick();
    QVERIFY(viewer().text().isEmpty());
    QVERIFY(!viewer().isVisible());
}

void DataViewerTest::storedAtExit()
{
    action(form(), "MMDataView")->trigger();
    viewer().Frame().setGeometry(QRect(120, 130, 400, 250));
    m_app->stop();
    const QByteArray ini = m_app->settings();
    QVERIFY2(ini.contains("DataView=1\r\n"), ini.constData());
    QVERIFY2(ini.contains("Top2=130\r\nLeft2=120\r\nHeight2=250\r\nWidth2=400\r\n"),
             ini.constData());
}

} // namespace

int runDataViewerTests(int argc, char **argv)
{
    DataViewerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dataviewer.moc"
