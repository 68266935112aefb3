// Stay on top: the window flag set and cleared, the window shown again, the
// setting restored at start and stored at exit.
#include "tests/support/WindowFixture.h"

#include "tests/modes/ModesTests.h"

#include <QTest>

using namespace tunelet::testkit;

namespace
{

class StayOnTopTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setAndCleared();
    void appliedAtStartAndStored();
    void dataViewerStaysWhereItIs();

private:
    TForm1 &form() const { return m_app->form(); }
    bool onTop() const { return form().windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    std::unique_ptr<WindowFixture> m_app;
};

void StayOnTopTest::init()
{
    m_app = std::make_unique<WindowFixture>();
    QVERIFY(m_app->isValid());
    m_app->useRecordingSeams();
}

void StayOnTopTest::cleanup()
{
    m_app.reset();
}

void StayOnTopTest::setAndCleared()
{
    m_app->start();
    QVERIFY(m_app->show());
    QVERIFY(!onTop());

    action(form(), "MMStayOnTop")->trigger();
    QVERIFY(action(form(), "MMStayOnTop")->isChecked());
    QVERIFY(onTop());
    QVERIFY(form().isVisible());

    // Switched off, the flag is cleared, not merely left alone.
    action(form(), "MMStayOnTop")->trigger();
    QVERIFY(!action(form(), "MMStayOnTop")->isChecked());
    QVERIFY(!onTop());
    QVERIFY(form().isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
}

void StayOnTopTest::appliedAtStartAndStored()
{
    m_app->write("tunelet.ini", "[Setting]\r\nStayOnTop=1\r\n");
    m_app->start();
    QVERIFY(action(form(), "MMStayOnTop")->isChecked());
    QVERIFY(onTop());
    // Applied to the window before it is first shown: nothing shows early.
    QVERIFY(!form().isVisible());

    action(form(), "MMStayOnTop")->trigger();
    m_app->stop();
    QVERIFY(m_app->settings().contains("StayOnTop=0\r\n"));
}

void StayOnTopTest::dataViewerStaysWhereItIs()
{
    m_app->write("tunelet.ini", "[Window]\r\nTop2=40\r\nLeft2=30\r\nHeight2=200\r\nWidth2=300\r\n");
    m_app->start();
    QVERIFY(m_app->show());
    action(form(), "MMDataView")->trigger();
    QVERIFY(m_app->viewer().isVisible());
    const QRect moved(150, 160, 310, 210);
    m_app->viewer().setGeometry(moved);

    // Showing the window again after its flags changed is no new show.
    action(form(), "MMStayOnTop")->trigger();
    QCOMPARE(m_app->viewer().geometry(), moved);
    QVERIFY(m_app->viewer().isVisible());
}

} // namespace

int runStayOnTopTests(int argc, char **argv)
{
    StayOnTopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stayontop.moc"
