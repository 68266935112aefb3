// Rules of what the main window shows and where it stands: captions shown as
// they are, names that Qt's file dialog altered, and windows brought back
// onto the screens.
#include "tests/support/ByteFiles.h"
#include "tests/support/SongFiles.h"
#include "tests/support/WindowFixture.h"

#include "app/OuterFrame.h"
#include "playlist/PlaylistModel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class WindowRulesTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void captionShownAsItIs_data();
    void captionShownAsItIs();
    void alteredNamesAddNothing();
    void alteredListNameOpensNothing();
    void placedOnScreens_data();
    void placedOnScreens();
    void storedWindowOffTheScreensComesBack();

private:
    std::unique_ptr<WindowFixture> m_app;
    TForm1 *m_form = nullptr;
};

void WindowRulesTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    m_form = &m_app->start();
}

void WindowRulesTest::cleanup()
{
    m_app.reset();
}

void WindowRulesTest::captionShownAsItIs_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("idle") << QStringLiteral("Tunelet");
    QTest::newRow("modified-marker") << QStringLiteral("Tunelet - <1> /m/a[*].snr");
    QTest::newRow("two markers in a row") << QStringLiteral("Tunelet - <2> /m/[*][*]b.snr");
    QTest::newRow("markers apart") << QStringLiteral("Tunelet - <3> /[*]/c[*].snr");
    QTest::newRow("brackets around") << QStringLiteral("Tunelet - <4> /m/[[*]]*].snr");
}

void WindowRulesTest::captionShownAsItIs()
{
    QFETCH(QString, caption);
    m_form->winId(); // the window the window system shows
    m_form->SetCaption(caption);
    QCOMPARE(m_form->windowHandle()->title(), caption);
    QCOMPARE(m_form->Caption(), caption);
}

void WindowRulesTest::alteredNamesAddNothing()
{
    // Qt's dialog hands back a Shift-JIS name with a replacement character
    // in place of its bytes: a path that names no file.
    const QByteArray good = m_app->path("good.snr");
    const QByteArray altered = m_app->path("\xEF\xBF\xBD\xEF\xBF\xBD.snr");
    QVERIFY(writeBytes(good, songData("Good")));
    const QByteArray folderBefore = m_form->OpenDialog2.InitialDir;
    m_app->dialogs().chooseFiles({good, altered});
    m_form->MMAddClick();
    QCOMPARE(m_form->Playlist().count(), 0);
    QCOMPARE(m_app->dialogs().beeps(), 1);
    const QStringList messages = m_app->dialogs().texts(What::Message);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith(QString::fromUtf8(altered)));
    QVERIFY(messages[0].contains(QStringLiteral("ドロップ")));
    QCOMPARE(m_form->OpenDialog2.InitialDir, folderBefore);

    // Insert too; a name that really holds the character is a file and comes in.
    const QByteArray real = m_app->path("real\xEF\xBF\xBD.snr");
    QVERIFY(writeBytes(real, songData("Real")));
    m_app->dialogs().chooseFiles({altered});
    m_form->PMInsertClick();
    QCOMPARE(m_form->Playlist().count(), 0);
    m_app->dialogs().chooseFiles({good, real});
    m_form->MMAddClick();
    QCOMPARE(m_form->Playlist().count(), 2);
    QCOMPARE(m_form->Playlist().path(1), real);
    QCOMPARE(m_app->dialogs().beeps(), 2);
}

void WindowRulesTest::alteredListNameOpensNothing()
{
    const QByteArray list = m_app->path("list.ppl");
    QVERIFY(writeBytes(list, m_app->path("a.snr") + "\r\n"));
    m_form->FileName = list;
    const QByteArray altered = m_app->path("\xEF\xBF\xBD.ppl");
    m_app->dialogs().chooseFiles({altered});
    m_form->MMOpenClick();
    QCOMPARE(m_form->Playlist().count(), 0);
    QCOMPARE(m_form->FileName, list);
    QCOMPARE(m_app->dialogs().texts(What::Message).size(), 1);

    // Saving under an altered name writes nothing and says why (no drop hint).
    m_app->dialogs().chooseFiles({altered});
    m_form->MMSaveClick();
    QVERIFY(!QFile::exists(QString::fromUtf8(altered)));
    const QStringList messages = m_app->dialogs().texts(What::Message);
    QCOMPARE(messages.size(), 2);
    QVERIFY(!messages[1].contains(QStringLiteral("ドロップ")));
}

void WindowRulesTest::placedOnScreens_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("placed");
    // Two screens side by side; the first is the fallback, its available
    // area without a 30-pixel panel at the top.
    QTest::newRow("on a screen") << QRect(100, 100, 423, 290) << QRect(100, 100, 423, 290);
    QTest::newRow("partly on a screen, kept")
        << QRect(-400, -200, 423, 290) << QRect(-400, -200, 423, 290);
    QTest::newRow("on the second screen")
        << QRect(1500, 300, 423, 290) << QRect(1500, 300, 423, 290);
    QTest::newRow("right of both") << QRect(5000, 100, 423, 290) << QRect(857, 100, 423, 290);
    QTest::newRow("below the first") << QRect(100, 4000, 423, 290) << QRect(100, 510, 423, 290);
    QTest::newRow("above and left") << QRect(-5000, -5000, 423, 290) << QRect(0, 30, 423, 290);
    QTest::newRow("below the second only")
        << QRect(1500, 1200, 423, 290) << QRect(857, 510, 423, 290);
    QTest::newRow("larger than the screen")
        << QRect(3000, 3000, 2000, 1000) << QRect(0, 30, 2000, 1000);
}

void WindowRulesTest::placedOnScreens()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, placed);
    const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    QCOMPARE(tunelet::placedOnScreens(frame, screens, QRect(0, 30, 1280, 770)), placed);
}

void WindowRulesTest::storedWindowOffTheScreensComesBack()
{
    QVERIFY(writeBytes(m_app->settingsPath(),
                       "[Window]\r\nTop=4000\r\nLeft=-6000\r\nTop2=-900\r\nLeft2=9000\r\n"));
    TForm1 &form = m_app->restart();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(form.Frame().geometry()));
    QCOMPARE(form.Frame().geometry().size(), QSize(423, 290));
    // The data viewer too, when the main window is shown.
    form.FormShow();
    QVERIFY(screen.contains(form.DataViewer()->Frame().geometry()));
}

int runWindowRulesTests(int argc, char **argv)
{
    WindowRulesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowrules.moc"
