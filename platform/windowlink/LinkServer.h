#pragma once
// The publishing side of the window link, free of Qt: a window published under a class
// name, with a title, child controls addressed by class, texts and scroll bars. Reads of
// texts and scroll bars are answered at once from a snapshot by the link's own thread,
// so a busy receiver still shows its state; messages and bring-to-front run on the
// owner's thread through the dispatcher, and the sender gets its reply after the
// handler has returned.

#include "platform/windowlink/Win32.h"
#include "platform/windowlink/WindowSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace windowlink
{

struct WindowMessage {
    std::uint32_t child = 0; // 0: the top-level window, else the child's number
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class LinkServer final
{
public:
    // Runs a task on the owner's thread (for a Qt owner: a queued call).
    using Dispatcher = std::function<void(std::function<void()>)>;
    using MessageHandler = std::function<LRESULT(const WindowMessage &)>;
    using ForegroundHandler = std::function<bool()>;

    LinkServer(std::string className, Dispatcher dispatcher, LinkOptions options = {});
    ~LinkServer();
    LinkServer(const LinkServer &) = delete;
    LinkServer &operator=(const LinkServer &) = delete;

    // Makes the window findable. False (with a reason in *error) when the runtime folder
    // is unsafe or the socket cannot be made.
    bool publish(std::string *error = nullptr);
    // Makes the window unfindable at once; a reply still owed is sent, then every
    // connection closes. Safe to call from a message handler.
    void unpublish();
    bool isPublished() const;
    std::string socketPath() const;

    // Titles and texts are UTF-8.
    void setTitle(const std::string &title);
    // Adds a child control and returns its number (1, 2, …), in order of addition.
    std::uint32_t addChild(const std::string &className, const std::string &text = {});
    void setChildText(std::uint32_t child, const std::string &text);
    void setChildScroll(std::uint32_t child, int pos, int minPos, int maxPos);

    // Handlers run on the owner's thread; set them before publish().
    void setMessageHandler(MessageHandler handler);
    void setForegroundHandler(ForegroundHandler handler);

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};

} // namespace windowlink
