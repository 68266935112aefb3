// Compact mode: entering and leaving it through the menu, leaving it by
// enlarging the window, the time label at the bar's right end, and the full
// height given back before the geometry is stored at exit.
#include "tests/support/WindowFixture.h"

#include "tests/modes/ModesTests.h"

#include "app/OuterFrame.h"
#include "app/StatusBar.h"

#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <QTreeView>

using namespace tunelet::testkit;

namespace
{

constexpr int CompactHeight = 33 + 19; // button bar + status bar

class CompactModeTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void compactOnAndOffAtTheDesignSize();
    void enlargingTheWindowLeavesCompactMode();
    void timeLabelFollowsTheBarsRightEdge_data();
    void timeLabelFollowsTheBarsRightEdge();
    void startedInCompactMode();
    void exitStoresTheFullHeight();
    void exitInCompactModeWithoutShowing();
    void exitWhileHiddenInTheTray();

private:
    TForm1 &form() const { return m_app->form(); }
    int menuHeight() const { return form().menuBar()->height(); }
    // Heights and widths are stored as those of the outer frame.
    QSize outer() const { return form().Frame().geometry().size(); }
    int labelRightGap() const
    {
        return frame(form(), "Panel1")->width() - timeLabel(form())->geometry().right() - 1;
    }
    std::unique_ptr<WindowFixture> m_app;
};

void CompactModeTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    m_app->useRecordingSeams();
}

void CompactModeTest::cleanup()
{
    m_app.reset();
}

void CompactModeTest::compactOnAndOffAtTheDesignSize()
{
    m_app->start();
    QVERIFY(m_app->show());
    QCOMPARE(outer(), QSize(423, 290));
    const int listBefore = listView(form())->height();
    QVERIFY(listBefore > 0);

    action(form(), "MMCompactMode")->trigger();
    QVERIFY(action(form(), "MMCompactMode")->isChecked());
    QTRY_COMPARE(form().centralWidget()->height(), CompactHeight);
    // Only the menu bar, the button bar and the status bar are left.
    QCOMPARE(form().height(), menuHeight() + CompactHeight);
    QCOMPARE(listView(form())->height(), 0);
    QVERIFY(statusBar(form())->isVisible());
    QCOMPARE(statusBar(form())->geometry().bottom() + 1, CompactHeight);
    QCOMPARE(outer().width(), 423);
    QCOMPARE(labelRightGap(), 2);

    // Leaving through the menu gives the list its height back.
    action(form(), "MMCompactMode")->trigger();
    QVERIFY(!action(form(), "MMCompactMode")->isChecked());
    QTRY_COMPARE(listView(form())->height(), listBefore);
    QCOMPARE(outer().height(), 290);
    QCOMPARE(labelRightGap(), 2);
}

void CompactModeTest::enlargingTheWindowLeavesCompactMode()
{
    m_app->start();
    QVERIFY(m_app->show());
    action(form(), "MMCompactMode")->trigger();
    QTRY_COMPARE(form().centralWidget()->height(), CompactHeight);

    // A wider window stays compact.
    form().resize(500, form().height());
    QTRY_COMPARE(form().width(), 500);
    QVERIFY(action(form(), "MMCompactMode")->isChecked());

    // A taller one does not.
    form().resize(500, 400);
    QTRY_COMPARE(form().height(), 400);
    QVERIFY(!action(form(), "MMCompactMode")->isChecked());
    QVERIFY(listView(form())->height() > 0);
}

void CompactModeTest::timeLabelFollowsTheBarsRightEdge_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("design width") << 423;
    QTest::newRow("wide") << 800;
    QTest::newRow("narrow") << 300;
}

void CompactModeTest::timeLabelFollowsTheBarsRightEdge()
{
    QFETCH(int, width);
    m_app->start();
    QVERIFY(m_app->show());
    form().resize(width, 290);
    QTRY_COMPARE(frame(form(), "Panel1")->width(), width);
    QCOMPARE(timeLabel(form())->x(),
             frame(form(), "Panel1")->width() - timeLabel(form())->width() - 2);
}

void CompactModeTest::startedInCompactMode()
{
    m_app->write("tunelet.ini", "[Window]\r\nHeight=320\r\n[Setting]\r\nCompactMode=1\r\n");
    m_app->start();
    QVERIFY(m_app->show());
    QVERIFY(action(form(), "MMCompactMode")->isChecked());
    QTRY_COMPARE(form().centralWidget()->height(), CompactHeight);
    QVERIFY(action(form(), "MMCompactMode")->isChecked());

    // The list gets back the height the stored window gave it.
    action(form(), "MMCompactMode")->trigger();
    QTRY_COMPARE(outer().height(), 320);
}

void CompactModeTest::exitStoresTheFullHeight()
{
    m_app->start();
    QVERIFY(m_app->show());
    action(form(), "MMCompactMode")->trigger();
    QTRY_COMPARE(form().centralWidget()->height(), CompactHeight);
    m_app->stop();

    const QByteArray ini = m_app->settings();
    QVERIFY2(ini.contains("Height=290\r\n"), ini.constData());
    // The exit's own change of height leaves the mode as it was.
    QVERIFY2(ini.contains("CompactMode=1\r\n"), ini.constData());

    // The next start is compact again, and leaving it gives the full height.
    m_app->start();
    QVERIFY(m_app->show());
    QTRY_COMPARE(form().centralWidget()->height(), CompactHeight);
    action(form(), "MMCompactMode")->trigger();
    QTRY_COMPARE(outer().height(), 290);
}

void CompactModeTest::exitInCompactModeWithoutShowing()
{
    m_app->write("tunelet.ini", "[Window]\r\nHeight=300\r\n[Setting]\r\nCompactMode=1\r\n");
    m_app->start();
    m_app->stop();
    const QByteArray ini = m_app->settings();
    QVERIFY2(ini.contains("Height=300\r\n"), ini.constData());
    QVERIFY2(ini.contains("CompactMode=1\r\n"), ini.constData());
}

void CompactModeTest::exitWhileHiddenInTheTray()
{
    m_app->start();
    QVERIFY(m_app->show());
    form().Frame().setGeometry(QRect(form().Frame().geometry().topLeft(), QSize(423, 350)));
    QTRY_COMPARE(outer().height(), 350);
    action(form(), "MMCompactMode")->trigger();
    QTRY_COMPARE(form().centralWidget()->height(), CompactHeight);
    form().PMWindowClick();
    QVERIFY(!form().isVisible());
    m_app->stop();
    const QByteArray ini = m_app->settings();
    QVERIFY2(ini.contains("Height=350\r\n"), ini.constData());
    QVERIFY2(ini.contains("CompactMode=1\r\n"), ini.constData());
}

} // namespace

int runCompactModeTests(int argc, char **argv)
{
    CompactModeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_compact.moc"
