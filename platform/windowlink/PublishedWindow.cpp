#include "platform/windowlink/PublishedWindow.h"

#include <QMetaObject>

namespace windowlink
{

PublishedWindow::PublishedWindow(const QString &className, QObject *parent,
                                 const LinkOptions &options)
    : QObject(parent),
      m_server(
          className.toStdString(),
          [this](std::function<void()> task) {
              // Queued on this object's thread; dropped if the object is gone by then.
              QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
          },
          options)
{
    m_server.setForegroundHandler([this] {
        emit foregroundRequested();
        return true;
    });
}

PublishedWindow::~PublishedWindow() = default;

bool PublishedWindow::publish(QString *error)
{
    std::string why;
    const bool ok = m_server.publish(&why);
    if (!ok && error)
        *error = QString::fromStdString(why);
    return ok;
}

void PublishedWindow::unpublish()
{
    m_server.unpublish();
}

bool PublishedWindow::isPublished() const
{
    return m_server.isPublished();
}

void PublishedWindow::setTitle(const QString &title)
{
    m_server.setTitle(title.toStdString());
}

std::uint32_t PublishedWindow::addChild(const QString &className, const QString &text)
{
    return m_server.addChild(className.toStdString(), text.toStdString());
}

void PublishedWindow::setChildText(std::uint32_t child, const QString &text)
{
    m_server.setChildText(child, text.toStdString());
}

void PublishedWindow::setChildScroll(std::uint32_t child, int pos, int minPos, int maxPos)
{
    m_server.setChildScroll(child, pos, minPos, maxPos);
}

void PublishedWindow::setMessageHandler(LinkServer::MessageHandler handler)
{
    m_server.setMessageHandler(std::move(handler));
}

} // namespace windowlink
