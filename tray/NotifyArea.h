#pragma once

// The notification area as the tray component sees it: the record that
// describes one icon, the three operations on it, and the callback message
// that carries the area's mouse messages back to the component.

#include <QByteArray>
#include <QEvent>
#include <QIcon>
#include <QPointer>

#include <array>
#include <cstdint>

// Flags of the record: which of its fields are meant.
inline constexpr std::uint32_t NIF_MESSAGE = 0x1;
inline constexpr std::uint32_t NIF_ICON = 0x2;
inline constexpr std::uint32_t NIF_TIP = 0x4;

// The message the notification area sends to the callback window.
inline constexpr int WM_USER = 0x400;
inline constexpr int WM_TRAYICON = WM_USER + 200;

// The mouse messages the callback message carries as its second parameter.
inline constexpr int WM_MOUSEMOVE = 0x200;
inline constexpr int WM_LBUTTONDOWN = 0x201;
inline constexpr int WM_LBUTTONUP = 0x202;
inline constexpr int WM_LBUTTONDBLCLK = 0x203;
inline constexpr int WM_RBUTTONDOWN = 0x204;
inline constexpr int WM_RBUTTONUP = 0x205;
inline constexpr int WM_RBUTTONDBLCLK = 0x206;
inline constexpr int WM_MBUTTONDOWN = 0x207;
inline constexpr int WM_MBUTTONUP = 0x208;

// The record of one tray icon, in its first 88-byte form with a 64-byte tip.
struct TNotifyIconData {
    std::uint32_t size = 88;
    QPointer<QObject> window; // the callback window that receives WM_TRAYICON
    int id = 0;               // the tray icon's number
    std::uint32_t flags = 0;
    int callbackMessage = 0;
    QIcon icon;
    std::array<char, 64> tip{}; // NUL-terminated bytes

    // The tip up to its terminating NUL.
    QByteArray Tip() const;
    // Stores at most 63 bytes of text and the terminating NUL.
    void SetTip(const QByteArray &text);
};

enum TNotifyMessage { nmAdd = 0, nmModify = 1, nmDelete = 2 };

// The operations of the notification area. Each returns whether the area
// carried it out.
class TNotifyArea
{
public:
    virtual ~TNotifyArea() = default;
    virtual bool Notify(TNotifyMessage message, const TNotifyIconData &data) = 0;
};

// The callback message as a Qt event: posted to the callback window, it
// carries the icon number and the mouse message.
class TTrayMessageEvent final : public QEvent
{
public:
    TTrayMessageEvent(int message, int iconNumber, int mouseMessage);

    static QEvent::Type EventType();

    int Message() const { return m_message; }
    int IconNumber() const { return m_iconNumber; }
    int MouseMessage() const { return m_mouseMessage; }

private:
    int m_message;
    int m_iconNumber;
    int m_mouseMessage;
};
