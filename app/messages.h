// Window messages, virtual-key codes and mouse flags: the one event vocabulary every platform speaks.
#pragma once
#include <cstdint>

namespace mw {

// Window message numbers.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_NCCREATE = 0x0081;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;

// Mouse-button flags carried in wParam of mouse messages.
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;

// Virtual-key codes the program reads or a platform maps.
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_M = 0x4D;
constexpr uint32_t VK_F1 = 0x70;
constexpr uint32_t VK_F11 = 0x7A;
constexpr uint32_t VK_F12 = 0x7B;
// Digits are '0'..'9' (0x30..0x39) and letters 'A'..'Z' (0x41..0x5A).

// One window message as the window procedure receives it.
struct WindowMessage {
  uint32_t message = WM_NULL;
  uint32_t wParam = 0;
  int32_t lParam = 0;
};

// Packs a mouse position into lParam: low word x, high word y, each a signed 16-bit number.
constexpr int32_t packPoint(int x, int y) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                              static_cast<uint16_t>(x));
}

}  // namespace mw
