// A second process for the window link tests: publishes one window and reports what it
// receives in its children's texts.
//   linkpeer <class> <title> [hang-ms]
// Children, in order: "Static" (the last message received), "CN_seek" (scroll bar,
// position 25 of 0 … 100), "Static" ("second"), "Edit" (count of messages).
// WM_KEYDOWN with VK_F1 (0x70) blocks the peer's main thread for hang-ms (default 3000).
// SC_CLOSE unpublishes and ends the process; SC_MINIMIZE shows "minimized".

#include "platform/windowlink/PublishedWindow.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <cstdio>

using namespace windowlink;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const int hangMs = args.size() > 3 ? args[3].toInt() : 3000;

    PublishedWindow window(args[1]);
    window.setTitle(args[2]);
    const std::uint32_t last = window.addChild(QStringLiteral("Static"), QStringLiteral("none"));
    const std::uint32_t seek = window.addChild(QStringLiteral("CN_seek"));
    window.setChildScroll(seek, 25, 0, 100);
    window.addChild(QStringLiteral("Static"), QStringLiteral("second"));
    const std::uint32_t count = window.addChild(QStringLiteral("Edit"), QStringLiteral("0"));
    int received = 0;
    int foreground = 0;
    QObject::connect(&window, &PublishedWindow::foregroundRequested, &app, [&] {
        window.setChildText(last, QStringLiteral("foreground %1").arg(++foreground));
    });
    window.setMessageHandler([&](const WindowMessage &m) -> LRESULT {
        window.setChildText(count, QString::number(++received));
        if (m.message == 0x0100 && m.wParam == 0x70)
            QThread::msleep(static_cast<unsigned long>(hangMs));
        if (m.message == WM_SYSCOMMAND && m.wParam == SC_CLOSE) {
            window.unpublish();
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        }
        window.setChildText(last, m.message == WM_SYSCOMMAND && m.wParam == SC_MINIMIZE
                                      ? QStringLiteral("minimized")
                                      : QStringLiteral("%1 %2 %3 child %4")
                                            .arg(m.message, 0, 16)
                                            .arg(m.wParam)
                                            .arg(m.lParam)
                                            .arg(m.child));
        return static_cast<LRESULT>(m.wParam) + 1000;
    });
    QString why;
    if (!window.publish(&why)) {
        std::fprintf(stderr, "linkpeer: %s\n", qPrintable(why));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
