#include "KeyNumbers.h"
#include "WindowMessage.h"

#include <gtest/gtest.h>

#include <set>

using namespace plat;

// Every named key maps back to itself by name, and the keys the game reads carry the codes
// its window procedures and key tests compare with.
TEST(KeyNumbers, TableIsConsistentAndHoldsTheGamesKeys)
{
    std::set<std::string> names;
    int known = 0;
    for (int key = 0; key < 256; ++key)
    {
        const std::string_view name = KeyName(static_cast<uint8_t>(key));
        if (name.empty())
        {
            EXPECT_EQ(VirtualKeyOfKey(static_cast<uint8_t>(key)), 0u) << key;
            continue;
        }
        ++known;
        EXPECT_TRUE(names.insert(std::string(name)).second) << name;
        EXPECT_EQ(KeyFromName(name), key) << name;
        EXPECT_NE(VirtualKeyOfKey(static_cast<uint8_t>(key)), 0u) << name;
    }
    EXPECT_GT(known, 100);
    EXPECT_EQ(KeyFromName("keypad5"), kKeyKeypad5);
    EXPECT_EQ(KeyFromName(""), 0);

    const struct
    {
        uint8_t key;
        uint32_t virtualKey;
    } games[] = {
        {kKeyEscape, 27},
        {kKeyQ, 'Q'},
        {kKeyH, 'H'},
        {kKeyBackspace, 8},
        {kKeyDelete, 46},
        {kKeyTab, 9},
        {kKeyReturn, 13},
        {kKeyUp, 38},
        {kKeyDown, 40},
        {kKeySpace, 32},
        {kKeyKeypad0, 0x60},
        {kKeyKeypad9, 0x69},
        {kKeyKeypadDecimal, 0x6E},
        {kKeyLeftShift, 16},
        {kKeyRightShift, 16},
        {kKeyRightCtrl, 17},
        {kKeyRightAlt, 18},
        {kKey1, '1'},
        {kKey0, '0'},
        {kKeyM, 'M'},
    };
    for (const auto& g : games)
        EXPECT_EQ(VirtualKeyOfKey(g.key), g.virtualKey) << int(g.key);
}
