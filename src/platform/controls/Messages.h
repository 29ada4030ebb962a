#pragma once
// Window messages of our windowless controls: the numbers and packing the program's code expects.

#include <cstdint>
#include <functional>

namespace tessiv {

class TWinControl;

struct TMessage {
    unsigned Msg = 0;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

using TWndMethod = std::function<void(TMessage&)>;

constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_DESTROY = 0x0002;
constexpr unsigned WM_MOVE = 0x0003;
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_CANCELMODE = 0x001F;
constexpr unsigned WM_SETCURSOR = 0x0020;
constexpr unsigned WM_GETMINMAXINFO = 0x0024;
constexpr unsigned WM_NCHITTEST = 0x0084;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_CAPTURECHANGED = 0x0215;
constexpr unsigned WM_USER = 0x0400;

constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr unsigned CM_COLORCHANGED = CM_BASE + 4;
constexpr unsigned CM_FONTCHANGED = CM_BASE + 5;
constexpr unsigned CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr unsigned CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 11;
constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
constexpr unsigned CM_TEXTCHANGED = CM_BASE + 18;

// Key state flags of mouse messages.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;

// Virtual key codes the program's code looks at.
constexpr unsigned short VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                         VK_MENU = 0x12, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22,
                         VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27,
                         VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70;

// Mouse position packed as two signed 16-bit halves, as Windows packs it.
inline std::intptr_t MakeLParam(int x, int y)
{
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                                      static_cast<std::uint16_t>(x));
}
inline int LParamX(std::intptr_t l) { return static_cast<std::int16_t>(l & 0xFFFF); }
inline int LParamY(std::intptr_t l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

// Sends at once, through the control's WindowProc; returns the message's result.
std::intptr_t SendMessage(TWinControl* control, unsigned msg, std::intptr_t wParam, std::intptr_t lParam);
// Queues the message; the event loop delivers it, in posting order, to the control's WindowProc,
// unless the control has been destroyed in the meantime. Needs a QCoreApplication.
void PostMessage(TWinControl* control, unsigned msg, std::intptr_t wParam, std::intptr_t lParam);

} // namespace tessiv
