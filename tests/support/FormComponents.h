#pragma once

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QObject;
class QToolButton;
class QTreeView;
class TStatusBar;

namespace tunelet::testkit
{

// The main window's components, found by their design names (their object
// names): action(form, "MMAdd"), button(form, "SBPlay"), menu(form, "MMFile").
// A name that finds nothing of that type ends the test run with the name.
QAction *action(const QObject &form, const char *name);
QMenu *menu(const QObject &form, const char *name);
QToolButton *button(const QObject &form, const char *name);
// Panel1 and the bevels on it.
QFrame *frame(const QObject &form, const char *name);
QActionGroup *actionGroup(const QObject &form, const char *name);
QTreeView *listView(const QObject &form);   // ListView1
TStatusBar *statusBar(const QObject &form); // StatusBar1
QLabel *timeLabel(const QObject &form);     // Label1

} // namespace tunelet::testkit
