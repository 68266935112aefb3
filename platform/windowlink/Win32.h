#pragma once
// Win32-like names for talking to another program's window over the window link.
// Playback code is written in these terms; see windowsystem.h for the calls.

#include <cstdint>

namespace windowlink
{

// A window handle. 0 is "no window". Handles name a window found by a lookup; they
// stay valid only while that window is published and are never reused.
using HWND = std::uintptr_t;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using BOOL = int;
using DWORD = std::uint32_t;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;

inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_CLOSE = 0xF060;

inline constexpr WPARAM VK_SPACE = 32;
inline constexpr WPARAM VK_LEFT = 37;
inline constexpr WPARAM VK_UP = 38;
inline constexpr WPARAM VK_RIGHT = 39;
inline constexpr WPARAM VK_DOWN = 40;

inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_CTL = 2;

// GetWindowTextA copies at most this many characters of text (plus the terminating
// NUL) when the caller's buffer is large enough. Texts are UTF-8, so a buffer for the
// whole text holds kMaxWindowTextBytes bytes and the NUL.
inline constexpr int kMaxWindowText = 255;
inline constexpr int kMaxWindowTextBytes = 4 * kMaxWindowText;

} // namespace windowlink
