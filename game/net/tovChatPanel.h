#pragma once
#include <cstdint>

// How the chat panel comes and goes in a network game: T (while no text field has the focus
// and no message box is up) raises it over whatever screen is current; its Close button, Enter
// in its field, Escape, or the end of the network game lowers it. The panel's screen keeps
// running underneath: the fishing day goes on while a player types. Main thread only.

// False outside a network game, without a chat screen, or when it is already up.
bool RaiseChatPanel();
void LowerChatPanel();
bool IsChatPanelRaised();
// T raises, Escape lowers; true when the key was the panel's.
bool HandleChatPanelKey(uint32_t key);
