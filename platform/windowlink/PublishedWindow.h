#pragma once
// Qt face of the publishing side: a window of this program made findable on the window
// link. Messages from other programs are handled on the thread that owns this object.

#include "platform/windowlink/LinkServer.h"

#include <QObject>
#include <QString>

namespace windowlink
{

class PublishedWindow final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PublishedWindow)

public:
    explicit PublishedWindow(const QString &className, QObject *parent = nullptr,
                             const LinkOptions &options = {});
    ~PublishedWindow() override;

    bool publish(QString *error = nullptr);
    void unpublish();
    bool isPublished() const;

    void setTitle(const QString &title);
    std::uint32_t addChild(const QString &className, const QString &text = {});
    void setChildText(std::uint32_t child, const QString &text);
    void setChildScroll(std::uint32_t child, int pos, int minPos, int maxPos);

    // The handler's result goes back to the sender. Set before publish().
    void setMessageHandler(LinkServer::MessageHandler handler);

signals:
    // Another program asked for this window to come to the front.
    void foregroundRequested();

private:
    LinkServer m_server;
};

} // namespace windowlink
