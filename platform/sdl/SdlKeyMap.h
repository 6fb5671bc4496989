#pragma once
// SDL's key identities turned into the program's: key numbers for the keyboard state and
// virtual-key codes for key-down messages. Plain integers, so SDL's headers stay in the
// .cpp files.

#include <cstdint>

namespace plat
{

// 0 for scancodes without a key number.
uint8_t KeyNumberOfScancode(int scancode);
// Letters and digits follow the keyboard layout (the key's symbol); everything else the key's
// position. 0 when the key has no virtual-key code.
uint32_t VirtualKeyOfSdlKey(int scancode, int32_t symbol);

} // namespace plat
