#include "KeyNumbers.h"

#include "WindowMessage.h"

#include <cctype>

namespace plat
{

namespace
{

struct KeyRow
{
    uint8_t key;
    uint8_t virtualKey;
    std::string_view name;
};

constexpr KeyRow kKeys[] = {
    {kKeyEscape, kVkEscape, "Escape"},
    {2, '1', "1"},
    {3, '2', "2"},
    {4, '3', "3"},
    {5, '4', "4"},
    {6, '5', "5"},
    {7, '6', "6"},
    {8, '7', "7"},
    {9, '8', "8"},
    {10, '9', "9"},
    {kKey0, '0', "0"},
    {kKeyMinus, kVkOemMinus, "Minus"},
    {kKeyEquals, kVkOemPlus, "Equals"},
    {kKeyBackspace, kVkBack, "Backspace"},
    {kKeyTab, kVkTab, "Tab"},
    {kKeyQ, 'Q', "Q"},
    {kKeyW, 'W', "W"},
    {kKeyE, 'E', "E"},
    {kKeyR, 'R', "R"},
    {kKeyT, 'T', "T"},
    {kKeyY, 'Y', "Y"},
    {kKeyU, 'U', "U"},
    {kKeyI, 'I', "I"},
    {kKeyO, 'O', "O"},
    {kKeyP, 'P', "P"},
    {kKeyLeftBracket, kVkOem4, "LeftBracket"},
    {kKeyRightBracket, kVkOem6, "RightBracket"},
    {kKeyReturn, kVkReturn, "Return"},
    {kKeyLeftCtrl, kVkControl, "LeftCtrl"},
    {kKeyA, 'A', "A"},
    {kKeyS, 'S', "S"},
    {kKeyD, 'D', "D"},
    {kKeyF, 'F', "F"},
    {kKeyG, 'G', "G"},
    {kKeyH, 'H', "H"},
    {kKeyJ, 'J', "J"},
    {kKeyK, 'K', "K"},
    {kKeyL, 'L', "L"},
    {kKeySemicolon, kVkOem1, "Semicolon"},
    {kKeyApostrophe, kVkOem7, "Apostrophe"},
    {kKeyGrave, kVkOem3, "Grave"},
    {kKeyLeftShift, kVkShift, "LeftShift"},
    {kKeyBackslash, kVkOem5, "Backslash"},
    {kKeyZ, 'Z', "Z"},
    {kKeyX, 'X', "X"},
    {kKeyC, 'C', "C"},
    {kKeyV, 'V', "V"},
    {kKeyB, 'B', "B"},
    {kKeyN, 'N', "N"},
    {kKeyM, 'M', "M"},
    {kKeyComma, kVkOemComma, "Comma"},
    {kKeyPeriod, kVkOemPeriod, "Period"},
    {kKeySlash, kVkOem2, "Slash"},
    {kKeyRightShift, kVkShift, "RightShift"},
    {kKeyKeypadMultiply, kVkMultiply, "KeypadMultiply"},
    {kKeyLeftAlt, kVkMenu, "LeftAlt"},
    {kKeySpace, kVkSpace, "Space"},
    {kKeyCapsLock, kVkCapital, "CapsLock"},
    {59, kVkF1 + 0, "F1"},
    {60, kVkF1 + 1, "F2"},
    {61, kVkF1 + 2, "F3"},
    {62, kVkF1 + 3, "F4"},
    {63, kVkF1 + 4, "F5"},
    {64, kVkF1 + 5, "F6"},
    {65, kVkF1 + 6, "F7"},
    {66, kVkF1 + 7, "F8"},
    {67, kVkF1 + 8, "F9"},
    {kKeyF10, kVkF1 + 9, "F10"},
    {kKeyNumLock, kVkNumLock, "NumLock"},
    {kKeyScrollLock, kVkScroll, "ScrollLock"},
    {kKeyKeypad7, kVkNumpad0 + 7, "Keypad7"},
    {kKeyKeypad8, kVkNumpad0 + 8, "Keypad8"},
    {kKeyKeypad9, kVkNumpad0 + 9, "Keypad9"},
    {kKeyKeypadMinus, kVkSubtract, "KeypadMinus"},
    {kKeyKeypad4, kVkNumpad0 + 4, "Keypad4"},
    {kKeyKeypad5, kVkNumpad0 + 5, "Keypad5"},
    {kKeyKeypad6, kVkNumpad0 + 6, "Keypad6"},
    {kKeyKeypadPlus, kVkAdd, "KeypadPlus"},
    {kKeyKeypad1, kVkNumpad0 + 1, "Keypad1"},
    {kKeyKeypad2, kVkNumpad0 + 2, "Keypad2"},
    {kKeyKeypad3, kVkNumpad0 + 3, "Keypad3"},
    {kKeyKeypad0, kVkNumpad0 + 0, "Keypad0"},
    {kKeyKeypadDecimal, kVkDecimal, "KeypadDecimal"},
    {kKeyF11, kVkF1 + 10, "F11"},
    {kKeyF12, kVkF1 + 11, "F12"},
    {kKeyKeypadEnter, kVkReturn, "KeypadEnter"},
    {kKeyRightCtrl, kVkControl, "RightCtrl"},
    {kKeyKeypadDivide, kVkDivide, "KeypadDivide"},
    {kKeyPrintScreen, kVkSnapshot, "PrintScreen"},
    {kKeyRightAlt, kVkMenu, "RightAlt"},
    {kKeyPause, kVkPause, "Pause"},
    {kKeyHome, kVkHome, "Home"},
    {kKeyUp, kVkUp, "Up"},
    {kKeyPageUp, kVkPrior, "PageUp"},
    {kKeyLeft, kVkLeft, "Left"},
    {kKeyRight, kVkRight, "Right"},
    {kKeyEnd, kVkEnd, "End"},
    {kKeyDown, kVkDown, "Down"},
    {kKeyPageDown, kVkNext, "PageDown"},
    {kKeyInsert, kVkInsert, "Insert"},
    {kKeyDelete, kVkDelete, "Delete"},
    {kKeyLeftWindows, kVkLeftWin, "LeftWindows"},
    {kKeyRightWindows, kVkRightWin, "RightWindows"},
    {kKeyApps, kVkApps, "Apps"},
};

const KeyRow* FindRow(uint8_t key)
{
    for (const KeyRow& row : kKeys)
        if (row.key == key)
            return &row;
    return nullptr;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

uint32_t VirtualKeyOfKey(uint8_t key)
{
    const KeyRow* row = FindRow(key);
    return row ? row->virtualKey : 0;
}

std::string_view KeyName(uint8_t key)
{
    const KeyRow* row = FindRow(key);
    return row ? row->name : std::string_view{};
}

uint8_t KeyFromName(std::string_view name)
{
    for (const KeyRow& row : kKeys)
        if (SameName(row.name, name))
            return row.key;
    return 0;
}

} // namespace plat
