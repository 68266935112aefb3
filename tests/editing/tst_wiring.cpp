// Every menu item, pop-up item, tool button and shortcut of the editing
// commands reaches its command.

#include "tests/support/WindowFixture.h"

#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace tunelet::testkit;

using What = ScriptedDialogs::Shown::What;

class WiringTest final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void entryPoint_data();
    void entryPoint();
    void shortcuts();
    void shortcutKeysReachCommands();
    void lzhHeadToggles();

private:
    std::unique_ptr<WindowFixture> m_fx;
    TForm1 *m_form = nullptr;
};

void WiringTest::init()
{
    m_fx = std::make_unique<WindowFixture>();
    QVERIFY(m_fx->isValid());
    m_form = &m_fx->start();
}

void WiringTest::cleanup()
{
    m_fx.reset();
    m_form = nullptr;
}

using Trigger = std::function<void(TForm1 &)>;
Q_DECLARE_METATYPE(Trigger)

// What a command leaves behind on the list "Song 1", "Song 2", "Song 3" with
// the second row selected.
enum class Effect {
    AddDialog,
    Deleted,
    MovedUp,
    MovedDown,
    Cleared,
    TitleSorted,
    PathSorted,
    Shuffled,
    MissingReported,
    DuplicatesReported
};
Q_DECLARE_METATYPE(Effect)

void WiringTest::entryPoint_data()
{
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<Effect>("effect");
    auto action = [](QAction *TForm1::*item) {
        return Trigger([item](TForm1 &f) { (f.*item)->trigger(); });
    };
    auto button = [](QToolButton *TForm1::*item) {
        return Trigger([item](TForm1 &f) { (f.*item)->click(); });
    };
    QTest::newRow("MMAdd") << action(&TForm1::MMAdd) << Effect::AddDialog;
    QTest::newRow("SBAdd") << button(&TForm1::SBAdd) << Effect::AddDialog;
    QTest::newRow("PMInsert") << action(&TForm1::PMInsert) << Effect::AddDialog;
    QTest::newRow("MMDelete") << action(&TForm1::MMDelete) << Effect::Deleted;
    QTest::newRow("MMDelete2") << action(&TForm1::MMDelete2) << Effect::Deleted;
    QTest::newRow("PMDelete") << action(&TForm1::PMDelete) << Effect::Deleted;
    QTest::newRow("SBDelete") << button(&TForm1::SBDelete) << Effect::Deleted;
    QTest::newRow("MMUp") << action(&TForm1::MMUp) << Effect::MovedUp;
    QTest::newRow("MMUp2") << action(&TForm1::MMUp2) << Effect::MovedUp;
    QTest::newRow("PMUp") << action(&TForm1::PMUp) << Effect::MovedUp;
    QTest::newRow("SBUp") << button(&TForm1::SBUp) << Effect::MovedUp;
    QTest::newRow("MMDown") << action(&TForm1::MMDown) << Effect::MovedDown;
    QTest::newRow("MMDown2") << action(&TForm1::MMDown2) << Effect::MovedDown;
    QTest::newRow("PMDown") << action(&TForm1::PMDown) << Effect::MovedDown;
    QTest::newRow("SBDown") << button(&TForm1::SBDown) << Effect::MovedDown;
    QTest::newRow("MMClear") << action(&TForm1::MMClear) << Effect::Cleared;
    QTest::newRow("MMHEADSort") << action(&TForm1::MMHEADSort) << Effect::TitleSorted;
    QTest::newRow("MMFileNameSort") << action(&TForm1::MMFileNameSort) << Effect::PathSorted;
    QTest::newRow("MMRandomSort") << action(&TForm1::MMRandomSort) << Effect::Shuffled;
    QTest::newRow("MMExistsDelete") << action(&TForm1::MMExistsDelete) << Effect::MissingReported;
    QTest::newRow("MMWFileDelete") << action(&TForm1::MMWFileDelete) << Effect::DuplicatesReported;
}

void WiringTest::entryPoint()
{
    QFETCH(Trigger, trigger);
    QFETCH(Effect, effect);
    m_fx->addSongs(3);
    m_form->SelectRow(1);
    m_fx->dialogs().cancelNextDialog();
    trigger(*m_form);

    const QByteArrayList captions = m_fx->captions();
    switch (effect) {
    case Effect::AddDialog:
        QCOMPARE(m_fx->dialogs().texts(What::FileDialog), QStringList{"ファイルの追加"});
        break;
    case Effect::Deleted:
        QCOMPARE(captions, (QByteArrayList{"Song 1", "Song 3"}));
        break;
    case Effect::MovedUp:
        QCOMPARE(captions, (QByteArrayList{"Song 2", "Song 1", "Song 3"}));
        break;
    case Effect::MovedDown:
        QCOMPARE(captions, (QByteArrayList{"Song 1", "Song 3", "Song 2"}));
        break;
    case Effect::Cleared:
        QCOMPARE(m_fx->panel(0), QStringLiteral("0/0"));
        QVERIFY(captions.isEmpty());
        break;
    case Effect::TitleSorted:
        QCOMPARE(m_form->SortKey, 1);
        break;
    case Effect::PathSorted:
        QCOMPARE(m_form->SortKey, 2);
        break;
    case Effect::Shuffled:
        QCOMPARE(m_fx->keys().keys(), QList<Qt::Key>{Qt::Key_Down});
        break;
    case Effect::MissingReported:
        QCOMPARE(m_fx->dialogs().texts(What::Message),
                 QStringList{"0個の存在しないファイルを削除しました。"});
        break;
    case Effect::DuplicatesReported:
        QCOMPARE(m_fx->dialogs().texts(What::Message),
                 QStringList{"0個の重複ファイルを削除しました。"});
        break;
    }
    // Each entry point ran its command once.
    QVERIFY(m_fx->dialogs().shown().size() <= 1);
}

void WiringTest::shortcuts()
{
    QCOMPARE(m_form->MMDelete2->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(m_form->MMUp2->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Up));
    QCOMPARE(m_form->MMDown2->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Down));
    // The hidden items are on the window, in no menu, and the sort commands
    // have no shortcut.
    for (QAction *hidden : {m_form->MMDelete2, m_form->MMUp2, m_form->MMDown2}) {
        QVERIFY(m_form->actions().contains(hidden));
        QVERIFY(!m_form->MMFile->actions().contains(hidden));
        QVERIFY(!m_form->MMEdit->actions().contains(hidden));
    }
    for (QAction *item : {m_form->MMHEADSort, m_form->MMFileNameSort, m_form->MMRandomSort,
                          m_form->MMExistsDelete, m_form->MMWFileDelete})
        QVERIFY(item->shortcut().isEmpty());
    QCOMPARE(m_form->MMAdd->text(), QStringLiteral("ファイルの追加(&A)"));
    QCOMPARE(m_form->PMInsert->text(), QStringLiteral("ファイルの挿入(&I)"));
    QCOMPARE(m_form->SBAdd->toolTip(), QStringLiteral("ファイルの追加"));
    QVERIFY(m_form->PopupMenu1->actions().contains(m_form->PMInsert));
    QVERIFY(m_form->MMEdit->actions().contains(m_form->MMWFileDelete));
}

void WiringTest::shortcutKeysReachCommands()
{
    m_fx->addSongs(3);
    QVERIFY(m_fx->showLaidOut());
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form))
        QSKIP("the platform gives no active window, so window shortcuts cannot fire");
    m_form->ListView1->setFocus();
    m_form->SelectRow(1);
    m_fx->keys().clear(); // the window's own key on becoming active
    QTest::keyClick(m_form->ListView1, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 2", "Song 1", "Song 3"}));
    QCOMPARE(m_form->SelectedRow(), 0);
    QTest::keyClick(m_form->ListView1, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(m_form->ListView1, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 3", "Song 2"}));
    QCOMPARE(m_form->SelectedRow(), 2);
    QTest::keyClick(m_form->ListView1, Qt::Key_Delete);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 3"}));
    QCOMPARE(m_fx->keys().keys(), QList<Qt::Key>(4, Qt::Key_Left));
}

void WiringTest::lzhHeadToggles()
{
    const bool before = m_form->MMLzhHEAD->isChecked();
    m_form->MMLzhHEAD->trigger();
    QCOMPARE(m_form->MMLzhHEAD->isChecked(), !before);
    m_form->MMLzhHEAD->trigger();
    QCOMPARE(m_form->MMLzhHEAD->isChecked(), before);

    // The option decides an archive row's caption: with it off nothing is
    // extracted and the row shows the archive's file name.
    m_form->MMLzhHEAD->setChecked(false);
    m_form->AppendEntry(m_fx->path("tune.lzh"));
    QCOMPARE(m_fx->captions(), QByteArrayList{"[LZH] tune.lzh"});
}

int runWiringTests(int argc, char **argv)
{
    WiringTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wiring.moc"
