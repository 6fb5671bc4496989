#pragma once
// Key numbers: the index of each key in the keyboard state, the PC keyboard's set-1 scan
// code (plus 128 for the keys behind the extended prefix). Also their virtual-key codes and
// names (for input scripts).

#include <cstdint>
#include <string_view>

namespace plat
{

constexpr uint8_t kKeyEscape = 1;
constexpr uint8_t kKey1 = 2; // 1..9 are 2..10
constexpr uint8_t kKey0 = 11;
constexpr uint8_t kKeyMinus = 12;
constexpr uint8_t kKeyEquals = 13;
constexpr uint8_t kKeyBackspace = 14;
constexpr uint8_t kKeyTab = 15;
constexpr uint8_t kKeyQ = 16;
constexpr uint8_t kKeyW = 17;
constexpr uint8_t kKeyE = 18;
constexpr uint8_t kKeyR = 19;
constexpr uint8_t kKeyT = 20;
constexpr uint8_t kKeyY = 21;
constexpr uint8_t kKeyU = 22;
constexpr uint8_t kKeyI = 23;
constexpr uint8_t kKeyO = 24;
constexpr uint8_t kKeyP = 25;
constexpr uint8_t kKeyLeftBracket = 26;
constexpr uint8_t kKeyRightBracket = 27;
constexpr uint8_t kKeyReturn = 28;
constexpr uint8_t kKeyLeftCtrl = 29;
constexpr uint8_t kKeyA = 30;
constexpr uint8_t kKeyS = 31;
constexpr uint8_t kKeyD = 32;
constexpr uint8_t kKeyF = 33;
constexpr uint8_t kKeyG = 34;
constexpr uint8_t kKeyH = 35;
constexpr uint8_t kKeyJ = 36;
constexpr uint8_t kKeyK = 37;
constexpr uint8_t kKeyL = 38;
constexpr uint8_t kKeySemicolon = 39;
constexpr uint8_t kKeyApostrophe = 40;
constexpr uint8_t kKeyGrave = 41;
constexpr uint8_t kKeyLeftShift = 42;
constexpr uint8_t kKeyBackslash = 43;
constexpr uint8_t kKeyZ = 44;
constexpr uint8_t kKeyX = 45;
constexpr uint8_t kKeyC = 46;
constexpr uint8_t kKeyV = 47;
constexpr uint8_t kKeyB = 48;
constexpr uint8_t kKeyN = 49;
constexpr uint8_t kKeyM = 50;
constexpr uint8_t kKeyComma = 51;
constexpr uint8_t kKeyPeriod = 52;
constexpr uint8_t kKeySlash = 53;
constexpr uint8_t kKeyRightShift = 54;
constexpr uint8_t kKeyKeypadMultiply = 55;
constexpr uint8_t kKeyLeftAlt = 56;
constexpr uint8_t kKeySpace = 57;
constexpr uint8_t kKeyCapsLock = 58;
constexpr uint8_t kKeyF1 = 59; // F1..F10 are 59..68
constexpr uint8_t kKeyF10 = 68;
constexpr uint8_t kKeyNumLock = 69;
constexpr uint8_t kKeyScrollLock = 70;
constexpr uint8_t kKeyKeypad7 = 71;
constexpr uint8_t kKeyKeypad8 = 72;
constexpr uint8_t kKeyKeypad9 = 73;
constexpr uint8_t kKeyKeypadMinus = 74;
constexpr uint8_t kKeyKeypad4 = 75;
constexpr uint8_t kKeyKeypad5 = 76;
constexpr uint8_t kKeyKeypad6 = 77;
constexpr uint8_t kKeyKeypadPlus = 78;
constexpr uint8_t kKeyKeypad1 = 79;
constexpr uint8_t kKeyKeypad2 = 80;
constexpr uint8_t kKeyKeypad3 = 81;
constexpr uint8_t kKeyKeypad0 = 82;
constexpr uint8_t kKeyKeypadDecimal = 83;
constexpr uint8_t kKeyF11 = 87;
constexpr uint8_t kKeyF12 = 88;
constexpr uint8_t kKeyKeypadEnter = 156;
constexpr uint8_t kKeyRightCtrl = 157;
constexpr uint8_t kKeyKeypadDivide = 181;
constexpr uint8_t kKeyPrintScreen = 183;
constexpr uint8_t kKeyRightAlt = 184;
constexpr uint8_t kKeyPause = 197;
constexpr uint8_t kKeyHome = 199;
constexpr uint8_t kKeyUp = 200;
constexpr uint8_t kKeyPageUp = 201;
constexpr uint8_t kKeyLeft = 203;
constexpr uint8_t kKeyRight = 205;
constexpr uint8_t kKeyEnd = 207;
constexpr uint8_t kKeyDown = 208;
constexpr uint8_t kKeyPageDown = 209;
constexpr uint8_t kKeyInsert = 210;
constexpr uint8_t kKeyDelete = 211;
constexpr uint8_t kKeyLeftWindows = 219;
constexpr uint8_t kKeyRightWindows = 220;
constexpr uint8_t kKeyApps = 221;

// The virtual-key code a key-down message carries for the key; 0 for unknown numbers.
// Letters give their upper-case letter: on another layout the real backend takes the
// letter from the layout instead.
uint32_t VirtualKeyOfKey(uint8_t key);
// The key's name ("Escape", "A", "Keypad5", "LeftShift"); empty for unknown numbers.
std::string_view KeyName(uint8_t key);
// The key named so (case-insensitive); 0 when no key is.
uint8_t KeyFromName(std::string_view name);

} // namespace plat
