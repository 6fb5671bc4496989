#pragma once
// One message of the window's queue, numbered as the window procedures of the framework and
// the game expect them, with the virtual-key codes their key-down messages carry.

#include <cstdint>
#include <string>

namespace plat
{

// Message numbers.
constexpr uint32_t kMsgDestroy = 0x0002;     // the window is going: clean up, then post quit
constexpr uint32_t kMsgPaint = 0x000F;       // the client area needs drawing
constexpr uint32_t kMsgQuit = 0x0012;        // wParam: exit code; never dispatched
constexpr uint32_t kMsgActivateApp = 0x001C; // wParam: 1 gained focus, 0 lost it
constexpr uint32_t kMsgSetCursor = 0x0020;   // the pointer moved over the client area
constexpr uint32_t kMsgKeyDown = 0x0100;     // wParam: virtual key; lParam: see below
constexpr uint32_t kMsgChar = 0x0102;        // wParam: one ASCII character
constexpr uint32_t kMsgSysCommand = 0x0112;  // wParam: command (compare under kSysCommandMask)
constexpr uint32_t kMsgMouseMove = 0x0200;
constexpr uint32_t kMsgLeftButtonDown = 0x0201;
constexpr uint32_t kMsgLeftButtonUp = 0x0202;
constexpr uint32_t kMsgRightButtonDown = 0x0204;
constexpr uint32_t kMsgRightButtonUp = 0x0205;
constexpr uint32_t kMsgPostedText = 0x0464; // a text line posted to the main window: see `text`

constexpr uintptr_t kSysCommandMask = 0xFFF0;
constexpr uintptr_t kSysCommandScreenSave = 0xF140;

// Key-down lParam: bits 0-15 repeat count (1), bits 16-23 the scan code (the key number less
// 128), bit 24 set for key numbers of 128 and above, bit 30 set when the key was already
// down (auto-repeat).
constexpr intptr_t kKeyDownRepeatBit = intptr_t{1} << 30;

constexpr intptr_t KeyDownParam(uint8_t key, bool repeat)
{
    return 1 | (intptr_t{key & 0x7F} << 16) | (key >= 128 ? intptr_t{1} << 24 : 0) | (repeat ? kKeyDownRepeatBit : 0);
}

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr uint32_t kVkBack = 0x08;
constexpr uint32_t kVkTab = 0x09;
constexpr uint32_t kVkReturn = 0x0D;
constexpr uint32_t kVkShift = 0x10;
constexpr uint32_t kVkControl = 0x11;
constexpr uint32_t kVkMenu = 0x12; // Alt
constexpr uint32_t kVkPause = 0x13;
constexpr uint32_t kVkCapital = 0x14;
constexpr uint32_t kVkEscape = 0x1B;
constexpr uint32_t kVkSpace = 0x20;
constexpr uint32_t kVkPrior = 0x21; // page up
constexpr uint32_t kVkNext = 0x22;  // page down
constexpr uint32_t kVkEnd = 0x23;
constexpr uint32_t kVkHome = 0x24;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkUp = 0x26;
constexpr uint32_t kVkRight = 0x27;
constexpr uint32_t kVkDown = 0x28;
constexpr uint32_t kVkSnapshot = 0x2C;
constexpr uint32_t kVkInsert = 0x2D;
constexpr uint32_t kVkDelete = 0x2E;
constexpr uint32_t kVkLeftWin = 0x5B;
constexpr uint32_t kVkRightWin = 0x5C;
constexpr uint32_t kVkApps = 0x5D;
constexpr uint32_t kVkNumpad0 = 0x60; // keypad digits 0x60..0x69
constexpr uint32_t kVkMultiply = 0x6A;
constexpr uint32_t kVkAdd = 0x6B;
constexpr uint32_t kVkSubtract = 0x6D;
constexpr uint32_t kVkDecimal = 0x6E;
constexpr uint32_t kVkDivide = 0x6F;
constexpr uint32_t kVkF1 = 0x70; // F1..F12 are 0x70..0x7B
constexpr uint32_t kVkNumLock = 0x90;
constexpr uint32_t kVkScroll = 0x91;
constexpr uint32_t kVkOem1 = 0xBA; // ;
constexpr uint32_t kVkOemPlus = 0xBB;
constexpr uint32_t kVkOemComma = 0xBC;
constexpr uint32_t kVkOemMinus = 0xBD;
constexpr uint32_t kVkOemPeriod = 0xBE;
constexpr uint32_t kVkOem2 = 0xBF; // /
constexpr uint32_t kVkOem3 = 0xC0; // `
constexpr uint32_t kVkOem4 = 0xDB; // [
constexpr uint32_t kVkOem5 = 0xDC; // backslash
constexpr uint32_t kVkOem6 = 0xDD; // ]
constexpr uint32_t kVkOem7 = 0xDE; // '

struct WindowMessage
{
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    // The posted text of kMsgPostedText, owned by the message: it goes when the handler
    // drops the message, so nothing is left to free by hand.
    std::string text;
};

} // namespace plat
