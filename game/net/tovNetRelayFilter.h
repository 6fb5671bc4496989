#pragma once
// What a player may send through the host: four chat lines and one rename a second. The game
// session owns it and installs it in the transport, which applies it on the host before it
// relays anything, so a flood stops at its source and every line that passes reaches every
// player; where the transport relays nothing, the session applies it to what it receives. A
// player past a share for kLetGoMs on end is let go. Called from one thread at a time.

#include "NetSession.h"
#include "tovNetAllowance.h"

#include <cstdint>
#include <map>
#include <string>

class tovNetRelayFilter : public plat::NetRelayFilter
{
public:
    static constexpr uint32_t kChatLinesPerSecond = 4;
    static constexpr uint32_t kRenamesPerSecond = 1;
    static constexpr uint32_t kLetGoMs = 5000;

    Verdict TakeMessage(plat::NetPlayerId from, const std::string& name, const uint8_t* data, size_t size,
                        uint32_t nowMs) override;
    Verdict TakeRename(plat::NetPlayerId from, const std::string& name, uint32_t nowMs) override;
    void Forget(plat::NetPlayerId from) override;

private:
    struct Shares
    {
        tovNetAllowance chat;
        tovNetAllowance renames;
        // The message that tells the others of a rename.
        tovNetAllowance renameNotes;
    };

    // told: the debug output's line at a flood's first drop, after the name; null: none.
    static Verdict Take(tovNetAllowance& share, uint32_t perSecond, uint32_t nowMs, const std::string& name,
                        const char* told);

    // By player id, while the player is in the session.
    std::map<plat::NetPlayerId, Shares> m_shares;
};
