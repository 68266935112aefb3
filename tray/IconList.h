#pragma once

// An ordered list of images, the frames of a tray icon animation. It is an
// object of its own so that the tray icon can notice when it goes away.

#include <QIcon>
#include <QList>
#include <QObject>

class TIconList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TIconList)

public:
    explicit TIconList(QObject *owner = nullptr) : QObject(owner) {}

    void Add(const QIcon &icon) { m_icons.append(icon); }
    void Clear() { m_icons.clear(); }
    qsizetype Count() const { return m_icons.size(); }
    QIcon Icon(qsizetype index) const { return m_icons.value(index); }

private:
    QList<QIcon> m_icons;
};
