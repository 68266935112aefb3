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
    auto item = [](const char *name) {
        return Trigger([name](TForm1 &f) { action(f, name)->trigger(); });
    };
    auto speedButton = [](const char *name) {
        return Trigger([name](TForm1 &f) { button(f, name)->click(); });
    };
    QTest::newRow("MMAdd") << item("MMAdd") << Effect::AddDialog;
    QTest::newRow("SBAdd") << speedButton("SBAdd") << Effect::AddDialog;
    QTest::newRow("PMInsert") << item("PMInsert") << Effect::AddDialog;
    QTest::newRow("MMDelete") << item("MMDelete") << Effect::Deleted;
    QTest::newRow("MMDelete2") << item("MMDelete2") << Effect::Deleted;
    QTest::newRow("PMDelete") << item("PMDelete") << Effect::Deleted;
    QTest::newRow("SBDelete") << speedButton("SBDelete") << Effect::Deleted;
    QTest::newRow("MMUp") << item("MMUp") << Effect::MovedUp;
    QTest::newRow("MMUp2") << item("MMUp2") << Effect::MovedUp;
    QTest::newRow("PMUp") << item("PMUp") << Effect::MovedUp;
    QTest::newRow("SBUp") << speedButton("SBUp") << Effect::MovedUp;
    QTest::newRow("MMDown") << item("MMDown") << Effect::MovedDown;
    QTest::newRow("MMDown2") << item("MMDown2") << Effect::MovedDown;
    QTest::newRow("PMDown") << item("PMDown") << Effect::MovedDown;
    QTest::newRow("SBDown") << speedButton("SBDown") << Effect::MovedDown;
    QTest::newRow("MMClear") << item("MMClear") << Effect::Cleared;
    QTest::newRow("MMHEADSort") << item("MMHEADSort") << Effect::TitleSorted;
    QTest::newRow("MMFileNameSort") << item("MMFileNameSort") << Effect::PathSorted;
    QTest::newRow("MMRandomSort") << item("MMRandomSort") << Effect::Shuffled;
    QTest::newRow("MMExistsDelete") << item("MMExistsDelete") << Effect::MissingReported;
    QTest::newRow("MMWFileDelete") << item("MMWFileDelete") << Effect::DuplicatesReported;
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
    QCOMPARE(action(*m_form, "MMDelete2")->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(action(*m_form, "MMUp2")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Up));
    QCOMPARE(action(*m_form, "MMDown2")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Down));
    // The hidden items are on the window, in no menu, and the sort commands
    // have no shortcut.
    for (QAction *hidden :
         {action(*m_form, "MMDelete2"), action(*m_form, "MMUp2"), action(*m_form, "MMDown2")}) {
        QVERIFY(m_form->actions().contains(hidden));
        QVERIFY(!menu(*m_form, "MMFile")->actions().contains(hidden));
        QVERIFY(!menu(*m_form, "MMEdit")->actions().contains(hidden));
    }
    for (QAction *item : {action(*m_form, "MMHEADSort"), action(*m_form, "MMFileNameSort"),
                          action(*m_form, "MMRandomSort"), action(*m_form, "MMExistsDelete"),
                          action(*m_form, "MMWFileDelete")})
        QVERIFY(item->shortcut().isEmpty());
    QCOMPARE(action(*m_form, "MMAdd")->text(), QStringLiteral("ファイルの追加(&A)"));
    QCOMPARE(action(*m_form, "PMInsert")->text(), QStringLiteral("ファイルの挿入(&I)"));
    QCOMPARE(button(*m_form, "SBAdd")->toolTip(), QStringLiteral("ファイルの追加"));
    QVERIFY(menu(*m_form, "PopupMenu1")->actions().contains(action(*m_form, "PMInsert")));
    QVERIFY(menu(*m_form, "MMEdit")->actions().contains(action(*m_form, "MMWFileDelete")));
}

void WiringTest::shortcutKeysReachCommands()
{
    m_fx->addSongs(3);
    QVERIFY(m_fx->showLaidOut());
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form))
        QSKIP("the platform gives no active window, so window shortcuts cannot fire");
    listView(*m_form)->setFocus();
    m_form->SelectRow(1);
    m_fx->keys().clear(); // the window's own key on becoming active
    QTest::keyClick(listView(*m_form), Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 2", "Song 1", "Song 3"}));
    QCOMPARE(m_form->SelectedRow(), 0);
    QTest::keyClick(listView(*m_form), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(listView(*m_form), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 3", "Song 2"}));
    QCOMPARE(m_form->SelectedRow(), 2);
    QTest::keyClick(listView(*m_form), Qt::Key_Delete);
    QCOMPARE(m_fx->captions(), (QByteArrayList{"Song 1", "Song 3"}));
    QCOMPARE(m_fx->keys().keys(), QList<Qt::Key>(4, Qt::Key_Left));
}

void WiringTest::lzhHeadToggles()
{
    const bool before = action(*m_form, "MMLzhHEAD")->isChecked();
    action(*m_form, "MMLzhHEAD")->trigger();
    QCOMPARE(action(*m_form, "MMLzhHEAD")->isChecked(), !before);
    action(*m_form, "MMLzhHEAD")->trigger();
    QCOMPARE(action(*m_form, "MMLzhHEAD")->isChecked(), before);

    // The option decides an archive row's caption: with it off nothing is
    // extracted and the row shows the archive's file name.
    action(*m_form, "MMLzhHEAD")->setChecked(false);
    m_form->AppendEntry(m_fx->path("tune.lzh"));
    QCOMPARE(m_fx->captions(), QByteArrayList{"[LZH] tune.lzh"});
}

int runWiringTests(int argc, char **argv)
{
    WiringTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wiring.moc"
