// Keys and mouse buttons as scripts see them: the virtual-key codes and
// mouse messages of the original window system, whatever X11 reports.
#pragma once

#include <cstdint>

namespace gllib {

// Virtual-key codes the library itself acts on.
enum VirtualKey : int {
    kVkShift = 0x10,
    kVkAlt = 0x12,
    kVkEscape = 0x1B,
    kVkPageUp = 0x21,
    kVkPageDown = 0x22,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkF1 = 0x70,
    kVkF2 = 0x71,
    kVkF3 = 0x72,
    kVkF4 = 0x73,
};

// Mouse messages: WM_MOUSEMOVE (512) to WM_MBUTTONDBLCLK (521).
enum MouseMessage : int {
    kMouseMove = 512,
    kLeftDown = 513,
    kLeftUp = 514,
    kLeftDoubleClick = 515,
    kRightDown = 516,
    kRightUp = 517,
    kRightDoubleClick = 518,
    kMiddleDown = 519,
    kMiddleUp = 520,
    kMiddleDoubleClick = 521,
};
inline constexpr int kFirstMouseMessage = kMouseMove;
inline constexpr int kMouseMessageCount = 10;

// The virtual-key code of an X11 key symbol, 0 for keys without one.
int virtual_key_of(unsigned long keysym);

// The message of an X11 button (1 left, 2 middle, 3 right) going down, up
// or down twice in quick succession; 0 for other buttons (the wheel).
int mouse_message_of(unsigned button, bool down, bool doubleClick);

}  // namespace gllib
