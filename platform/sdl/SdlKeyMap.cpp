#include "SdlKeyMap.h"

#include "KeyNumbers.h"

#include <SDL.h>

namespace plat
{

namespace
{

struct ScancodeRow
{
    SDL_Scancode scancode;
    uint8_t key;
};

constexpr ScancodeRow kScancodes[] = {
    {SDL_SCANCODE_ESCAPE, kKeyEscape},
    {SDL_SCANCODE_1, kKey1},
    {SDL_SCANCODE_2, kKey1 + 1},
    {SDL_SCANCODE_3, kKey1 + 2},
    {SDL_SCANCODE_4, kKey1 + 3},
    {SDL_SCANCODE_5, kKey1 + 4},
    {SDL_SCANCODE_6, kKey1 + 5},
    {SDL_SCANCODE_7, kKey1 + 6},
    {SDL_SCANCODE_8, kKey1 + 7},
    {SDL_SCANCODE_9, kKey1 + 8},
    {SDL_SCANCODE_0, kKey0},
    {SDL_SCANCODE_MINUS, kKeyMinus},
    {SDL_SCANCODE_EQUALS, kKeyEquals},
    {SDL_SCANCODE_BACKSPACE, kKeyBackspace},
    {SDL_SCANCODE_TAB, kKeyTab},
    {SDL_SCANCODE_Q, kKeyQ},
    {SDL_SCANCODE_W, kKeyW},
    {SDL_SCANCODE_E, kKeyE},
    {SDL_SCANCODE_R, kKeyR},
    {SDL_SCANCODE_T, kKeyT},
    {SDL_SCANCODE_Y, kKeyY},
    {SDL_SCANCODE_U, kKeyU},
    {SDL_SCANCODE_I, kKeyI},
    {SDL_SCANCODE_O, kKeyO},
    {SDL_SCANCODE_P, kKeyP},
    {SDL_SCANCODE_LEFTBRACKET, kKeyLeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, kKeyRightBracket},
    {SDL_SCANCODE_RETURN, kKeyReturn},
    {SDL_SCANCODE_LCTRL, kKeyLeftCtrl},
    {SDL_SCANCODE_A, kKeyA},
    {SDL_SCANCODE_S, kKeyS},
    {SDL_SCANCODE_D, kKeyD},
    {SDL_SCANCODE_F, kKeyF},
    {SDL_SCANCODE_G, kKeyG},
    {SDL_SCANCODE_H, kKeyH},
    {SDL_SCANCODE_J, kKeyJ},
    {SDL_SCANCODE_K, kKeyK},
    {SDL_SCANCODE_L, kKeyL},
    {SDL_SCANCODE_SEMICOLON, kKeySemicolon},
    {SDL_SCANCODE_APOSTROPHE, kKeyApostrophe},
    {SDL_SCANCODE_GRAVE, kKeyGrave},
    {SDL_SCANCODE_LSHIFT, kKeyLeftShift},
    {SDL_SCANCODE_BACKSLASH, kKeyBackslash},
    {SDL_SCANCODE_NONUSHASH, kKeyBackslash},
    {SDL_SCANCODE_Z, kKeyZ},
    {SDL_SCANCODE_X, kKeyX},
    {SDL_SCANCODE_C, kKeyC},
    {SDL_SCANCODE_V, kKeyV},
    {SDL_SCANCODE_B, kKeyB},
    {SDL_SCANCODE_N, kKeyN},
    {SDL_SCANCODE_M, kKeyM},
    {SDL_SCANCODE_COMMA, kKeyComma},
    {SDL_SCANCODE_PERIOD, kKeyPeriod},
    {SDL_SCANCODE_SLASH, kKeySlash},
    {SDL_SCANCODE_RSHIFT, kKeyRightShift},
    {SDL_SCANCODE_KP_MULTIPLY, kKeyKeypadMultiply},
    {SDL_SCANCODE_LALT, kKeyLeftAlt},
    {SDL_SCANCODE_SPACE, kKeySpace},
    {SDL_SCANCODE_CAPSLOCK, kKeyCapsLock},
    {SDL_SCANCODE_F1, kKeyF1},
    {SDL_SCANCODE_F2, kKeyF1 + 1},
    {SDL_SCANCODE_F3, kKeyF1 + 2},
    {SDL_SCANCODE_F4, kKeyF1 + 3},
    {SDL_SCANCODE_F5, kKeyF1 + 4},
    {SDL_SCANCODE_F6, kKeyF1 + 5},
    {SDL_SCANCODE_F7, kKeyF1 + 6},
    {SDL_SCANCODE_F8, kKeyF1 + 7},
    {SDL_SCANCODE_F9, kKeyF1 + 8},
    {SDL_SCANCODE_F10, kKeyF10},
    {SDL_SCANCODE_NUMLOCKCLEAR, kKeyNumLock},
    {SDL_SCANCODE_SCROLLLOCK, kKeyScrollLock},
    {SDL_SCANCODE_KP_7, kKeyKeypad7},
    {SDL_SCANCODE_KP_8, kKeyKeypad8},
    {SDL_SCANCODE_KP_9, kKeyKeypad9},
    {SDL_SCANCODE_KP_MINUS, kKeyKeypadMinus},
    {SDL_SCANCODE_KP_4, kKeyKeypad4},
    {SDL_SCANCODE_KP_5, kKeyKeypad5},
    {SDL_SCANCODE_KP_6, kKeyKeypad6},
    {SDL_SCANCODE_KP_PLUS, kKeyKeypadPlus},
    {SDL_SCANCODE_KP_1, kKeyKeypad1},
    {SDL_SCANCODE_KP_2, kKeyKeypad2},
    {SDL_SCANCODE_KP_3, kKeyKeypad3},
    {SDL_SCANCODE_KP_0, kKeyKeypad0},
    {SDL_SCANCODE_KP_PERIOD, kKeyKeypadDecimal},
    {SDL_SCANCODE_F11, kKeyF11},
    {SDL_SCANCODE_F12, kKeyF12},
    {SDL_SCANCODE_KP_ENTER, kKeyKeypadEnter},
    {SDL_SCANCODE_RCTRL, kKeyRightCtrl},
    {SDL_SCANCODE_KP_DIVIDE, kKeyKeypadDivide},
    {SDL_SCANCODE_PRINTSCREEN, kKeyPrintScreen},
    {SDL_SCANCODE_RALT, kKeyRightAlt},
    {SDL_SCANCODE_PAUSE, kKeyPause},
    {SDL_SCANCODE_HOME, kKeyHome},
    {SDL_SCANCODE_UP, kKeyUp},
    {SDL_SCANCODE_PAGEUP, kKeyPageUp},
    {SDL_SCANCODE_LEFT, kKeyLeft},
    {SDL_SCANCODE_RIGHT, kKeyRight},
    {SDL_SCANCODE_END, kKeyEnd},
    {SDL_SCANCODE_DOWN, kKeyDown},
    {SDL_SCANCODE_PAGEDOWN, kKeyPageDown},
    {SDL_SCANCODE_INSERT, kKeyInsert},
    {SDL_SCANCODE_DELETE, kKeyDelete},
    {SDL_SCANCODE_LGUI, kKeyLeftWindows},
    {SDL_SCANCODE_RGUI, kKeyRightWindows},
    {SDL_SCANCODE_APPLICATION, kKeyApps},
};

struct ScancodeTable
{
    uint8_t keys[SDL_NUM_SCANCODES] = {};

    constexpr ScancodeTable()
    {
        for (const ScancodeRow& row : kScancodes)
            keys[row.scancode] = row.key;
    }
};

constexpr ScancodeTable kTable;

} // namespace

uint8_t KeyNumberOfScancode(int scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES)
        return 0;
    return kTable.keys[scancode];
}

uint32_t VirtualKeyOfSdlKey(int scancode, int32_t symbol)
{
    if (symbol >= SDLK_a && symbol <= SDLK_z)
        return static_cast<uint32_t>('A' + (symbol - SDLK_a));
    if (symbol >= SDLK_0 && symbol <= SDLK_9)
    {
        // A digit symbol on a keypad key is the keypad's own code.
        const uint8_t key = KeyNumberOfScancode(scancode);
        if (key < kKeyKeypad7 || key > kKeyKeypadDecimal)
            return static_cast<uint32_t>('0' + (symbol - SDLK_0));
    }
    return VirtualKeyOfKey(KeyNumberOfScancode(scancode));
}

} // namespace plat
