#include "tools/sonaro/IconicStart.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace sonaro
{

namespace
{

// WM_HINTS as the ICCCM lays it out: nine 32-bit fields.
constexpr std::size_t HintsFields = 9;
constexpr std::size_t FlagsField = 0;
constexpr std::size_t InitialStateField = 2;
constexpr std::uint32_t StateHint = 1U << 1;
constexpr std::uint32_t IconicState = 3;

// The window's hints with the iconic initial state; the fields Qt set (the
// input hint, the window group) are kept.
void setIconicHint(xcb_connection_t *connection, xcb_window_t window)
{
    std::array<std::uint32_t, HintsFields> hints{};
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, HintsFields);
    if (xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr)) {
        if (reply->format == 32) {
            const auto fields =
                std::min<std::size_t>(xcb_get_property_value_length(reply) / 4, HintsFields);
            std::memcpy(hints.data(), xcb_get_property_value(reply), fields * 4);
        }
        std::free(reply);
    }
    hints[FlagsField] |= StateHint;
    hints[InitialStateField] = IconicState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS,
                        XCB_ATOM_WM_HINTS, 32, HintsFields, hints.data());
    xcb_flush(connection);
}

} // namespace

void prepareIconicStart(QWidget &window)
{
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    // Only the xcb platform maps windows on an X server (an offscreen one
    // may still answer for X11, without a connection).
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr ||
        x11->connection() == nullptr) {
        window.setWindowState(Qt::WindowMinimized);
        return;
    }
    // Qt's own minimized state does not reach the hints before the window is
    // mapped; the window's native handle exists from here on.
    setIconicHint(x11->connection(), static_cast<xcb_window_t>(window.winId()));
}

} // namespace sonaro
