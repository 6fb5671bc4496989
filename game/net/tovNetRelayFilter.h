#pragma once
// What a player may send through the host, type by type, per second of the session's clock (real
// time where the game runs: a waiting game's clock stands still while messages still come): four
// chat lines and one rename, and of the messages a copy sends by itself about as many as the
// most an honest copy sends at the window's frame cap, twice over. The game session owns it and
// installs it in the transport, which applies it on the host before it relays anything, so a
// flood stops at its source and every message that passes reaches every player; where the
// transport relays nothing, the session applies it to the chat and renames it receives. A type
// the game does not know, and parameters from anyone but the host, are never relayed. A player
// past a share for kLetGoMs on end is let go. A player has introduced itself once its header came,
// which every copy sends once welcomed. Called from one thread at a time.

#include "NetSession.h"
#include "tovNetAllowance.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>

class tovNetRelayFilter : public plat::NetRelayFilter
{
public:
    static constexpr uint32_t kChatLinesPerSecond = 4;
    static constexpr uint32_t kRenamesPerSecond = 1;
    static constexpr uint32_t kLetGoMs = 5000;
    // Every copy, headless too, sends its headers, states and pings each at most at the window's
    // frame cap in real time (tovNetPacer).
    static constexpr uint32_t kFramesPerSecondAtCap = 60;
    static constexpr uint32_t kOncePerFramePerSecond = 2 * kFramesPerSecondAtCap;
    // Throttle, wheel, trim, trolling motor, the angler's phase and its flags: each at most once
    // a frame.
    static constexpr uint32_t kEventsPerSecond = 6 * kOncePerFramePerSecond;

    // The share per second of a message type; 0 for a type no player but the host sends, or none.
    static uint32_t ShareOf(uint8_t type);

    Verdict TakeMessage(plat::NetPlayerId from, const std::string& name, const uint8_t* data, size_t size,
                        uint32_t nowMs) override;
    Verdict TakeRename(plat::NetPlayerId from, const std::string& name, uint32_t nowMs) override;
    void Forget(plat::NetPlayerId from) override;
    bool HasIntroduced(plat::NetPlayerId from) const override;

private:
    // Message types 0..8 (0: any type the game does not know), then the session's renames.
    static constexpr size_t kTypes = 9;
    static constexpr size_t kRenameShare = kTypes;
    using Shares = std::array<tovNetAllowance, kTypes + 1>;

    // told: the debug output's line at a flood's first drop, after the name; null: none.
    static Verdict Take(tovNetAllowance& share, uint32_t perSecond, uint32_t nowMs, const std::string& name,
                        const char* told);

    // By player id, while the player is in the session.
    std::map<plat::NetPlayerId, Shares> m_shares;
    std::set<plat::NetPlayerId> m_introduced;
};
