#include "SdlKeyMap.h"

#include "KeyNumbers.h"
#include "WindowMessage.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <set>

using namespace plat;

// The keys the game reads, by SDL scancode, and what their key-down messages carry.
TEST(SdlKeyMap, ScancodesGiveTheGamesKeyNumbersAndVirtualKeys)
{
    const struct
    {
        SDL_Scancode scancode;
        SDL_Keycode symbol;
        uint8_t key;
        uint32_t virtualKey;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, kKeyEscape, kVkEscape},
        {SDL_SCANCODE_Q, SDLK_q, kKeyQ, 'Q'},
        {SDL_SCANCODE_Q, SDLK_a, kKeyQ, 'A'}, // another layout: the letter follows the symbol
        {SDL_SCANCODE_H, SDLK_h, kKeyH, 'H'},
        {SDL_SCANCODE_1, SDLK_1, kKey1, '1'},
        {SDL_SCANCODE_0, SDLK_0, kKey0, '0'},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, kKeySpace, kVkSpace},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, kKeyBackspace, kVkBack},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, kKeyDelete, kVkDelete},
        {SDL_SCANCODE_TAB, SDLK_TAB, kKeyTab, kVkTab},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, kKeyReturn, kVkReturn},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, kKeyKeypadEnter, kVkReturn},
        {SDL_SCANCODE_UP, SDLK_UP, kKeyUp, kVkUp},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, kKeyDown, kVkDown},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, kKeyLeft, kVkLeft},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, kKeyRight, kVkRight},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, kKeyKeypad0, kVkNumpad0},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, kKeyKeypad5, kVkNumpad0 + 5},
        {SDL_SCANCODE_KP_8, SDLK_8, kKeyKeypad8, kVkNumpad0 + 8}, // a digit symbol on the keypad
        {SDL_SCANCODE_KP_9, SDLK_KP_9, kKeyKeypad9, kVkNumpad0 + 9},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, kKeyKeypadDecimal, kVkDecimal},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, kKeyLeftShift, kVkShift},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, kKeyRightShift, kVkShift},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, kKeyLeftCtrl, kVkControl},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, kKeyRightCtrl, kVkControl},
        {SDL_SCANCODE_LALT, SDLK_LALT, kKeyLeftAlt, kVkMenu},
        {SDL_SCANCODE_RALT, SDLK_RALT, kKeyRightAlt, kVkMenu},
        {SDL_SCANCODE_F1, SDLK_F1, kKeyF1, kVkF1},
        {SDL_SCANCODE_F12, SDLK_F12, kKeyF12, kVkF1 + 11},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(KeyNumberOfScancode(c.scancode), c.key) << SDL_GetScancodeName(c.scancode);
        EXPECT_EQ(VirtualKeyOfSdlKey(c.scancode, c.symbol), c.virtualKey) << SDL_GetScancodeName(c.scancode);
    }
    // No two scancodes share a number except the two names of the backslash key, and every
    // number given is one the key table knows.
    std::set<uint8_t> seen;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    {
        const uint8_t key = KeyNumberOfScancode(scancode);
        if (key == 0 || scancode == SDL_SCANCODE_NONUSHASH)
            continue;
        EXPECT_TRUE(seen.insert(key).second) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        EXPECT_FALSE(KeyName(key).empty()) << int(key);
    }
    EXPECT_EQ(KeyNumberOfScancode(-1), 0);
    EXPECT_EQ(KeyNumberOfScancode(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(VirtualKeyOfSdlKey(SDL_SCANCODE_MUTE, SDLK_MUTE), 0u);
}
