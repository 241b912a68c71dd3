// Window messages: the Qt events of a control presented as the platform's message
// numbers to hooks that run after the control's own handling (window-procedure
// subclassing), and a canvas on a control.
#pragma once

#include "framework/Graphics.h"

#include <QWidget>

#include <cstdint>
#include <functional>

inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_ACTIVATE = 0x0006;
inline constexpr unsigned WM_SETFOCUS = 0x0007;
inline constexpr unsigned WM_KILLFOCUS = 0x0008;
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_KEYUP = 0x0101;
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
inline constexpr unsigned EM_GETMODIFY = 0x00B8;
inline constexpr unsigned BM_GETCHECK = 0x00F0;
inline constexpr unsigned BM_SETCHECK = 0x00F1;
inline constexpr unsigned BM_SETSTATE = 0x00F3;
inline constexpr unsigned CM_BASE = 0xB000;
inline constexpr unsigned CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr unsigned CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr unsigned CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr unsigned CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr unsigned CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
inline constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr unsigned CM_EXIT = CM_BASE + 27;
inline constexpr unsigned CM_INVALIDATE = CM_BASE + 52;

inline constexpr std::uintptr_t VK_SPACE = 0x20;
inline constexpr std::uintptr_t SIZE_RESTORED = 0;
inline constexpr std::uintptr_t SIZE_MINIMIZED = 1;
inline constexpr std::uintptr_t SIZE_MAXIMIZED = 2;
inline constexpr std::uintptr_t WA_INACTIVE = 0;
inline constexpr std::uintptr_t WA_ACTIVE = 1;
inline constexpr std::uintptr_t WA_CLICKACTIVE = 2;
inline constexpr std::uintptr_t MK_LBUTTON = 0x0001;

struct TMessage {
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// A message hook: sees every message after the control (and earlier hooks) handled it.
using TWndProc = std::function<void(TMessage& Message)>;

// Installs `proc` on `control` under `key` (one hook per key and control). With
// `suppressPaint` the control's own painting is skipped: the hook paints it all, as
// with the platform's windowless controls.
void HookWindowProc(QWidget* control, const void* key, TWndProc proc, bool suppressPaint = false);
// Readies `control` for hooks before it installs handling of its own: the hooks then
// run after all of it (its mouse and resize events included).
void PrepareWindowProc(QWidget* control);
void UnhookWindowProc(QWidget* control, const void* key);
bool IsWindowProcHooked(const QWidget* control, const void* key);

// Sends a message to a control: mouse and key messages arrive as the matching Qt
// events (so the control acts on them), WM_PAINT repaints at once, any other
// message reaches only the hooks.
std::intptr_t Perform(QWidget* control, unsigned msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// The platform's virtual-key code of a Qt key (0 when there is none).
std::uintptr_t VirtualKeyOf(int qtKey);

// A canvas on a control. It paints only while the control is inside its paint event
// (for instance in a WM_PAINT hook); at other times it draws nothing and the control
// is scheduled for repainting, so a hook that paints on state changes shows its
// result at the next WM_PAINT.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(QWidget* control);
    QWidget* Control() const { return FControl; }

private:
    QWidget* FControl;
};
