#include "tests/support/FormComponents.h"

#include "app/StatusBar.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>

namespace tunelet::testkit
{

namespace
{

template <class Component> Component *find(const QObject &form, const char *name)
{
    auto *found = form.findChild<Component *>(QLatin1String(name));
    if (!found)
        qFatal("the window has no %s named %s", Component::staticMetaObject.className(), name);
    return found;
}

} // namespace

QAction *action(const QObject &form, const char *name)
{
    return find<QAction>(form, name);
}

QMenu *menu(const QObject &form, const char *name)
{
    return find<QMenu>(form, name);
}

QToolButton *button(const QObject &form, const char *name)
{
    return find<QToolButton>(form, name);
}

QFrame *frame(const QObject &form, const char *name)
{
    return find<QFrame>(form, name);
}

QActionGroup *actionGroup(const QObject &form, const char *name)
{
    return find<QActionGroup>(form, name);
}

QTreeView *listView(const QObject &form)
{
    return find<QTreeView>(form, "ListView1");
}

TStatusBar *statusBar(const QObject &form)
{
    return find<TStatusBar>(form, "StatusBar1");
}

QLabel *timeLabel(const QObject &form)
{
    return find<QLabel>(form, "Label1");
}

} // namespace tunelet::testkit
