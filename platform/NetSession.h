#pragma once
// One player's end of a network session: find sessions, host or join one, the players and
// their names, messages guaranteed or not, and the system messages of players coming, going
// and the host moving here. Received messages queue inside the session; Receive takes them
// (any thread, one reader). Everything else is called from one thread at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat
{

using NetPlayerId = uint32_t;
// As an addressee: every other player.
constexpr NetPlayerId kNetAllPlayers = 0;
// Longest message a session carries.
constexpr size_t kNetMaxMessage = 4096;
// The window of a host's move, M: from a copy's first notice that its host is gone, how long the
// copies have to agree on a new host and come back to it. Twice the peer time-out, since copies
// notice a silent host each at its own time-out, up to one apart. A player lost to silence is
// told to the game as gone only when its window ends; one that leaves says so and is gone at once.
constexpr int64_t NetMoveWindowMs(int64_t peerTimeoutMs)
{
    return 2 * peerTimeoutMs;
}

// Names and lines from other players are shown and written one to a line, in a font of
// printable ASCII: every other byte (below 0x20, 0x7F and up) becomes a space. A NUL ends the
// text, as it always has.
inline void BlankControlBytes(char* text, size_t size)
{
    for (size_t i = 0; i < size && text[i] != 0; ++i)
        if (static_cast<unsigned char>(text[i]) < 0x20 || static_cast<unsigned char>(text[i]) >= 0x7F)
            text[i] = ' ';
}

struct NetSessionInfo
{
    std::string name;
    // What Join takes: "HOST:PORT" for the network backend, the session's name in process.
    std::string address;
    int32_t players = 0;
    int32_t maxPlayers = 0;
    bool joinable = true;
    // The players' names, where the session tells them.
    std::vector<std::string> playerNames;
};

// Why a join failed.
enum class NetJoinFailure
{
    None,
    // Nobody answered at the address, or not as a session does.
    NotFound,
    Full,
    // The host has closed the session to newcomers.
    Begun,
    // The host let a player go from this address for a flood, a short while ago.
    TurnedAway,
    // None of the ports a joiner listens at was free on this computer.
    NoPort,
};

struct NetMessage
{
    enum class Kind
    {
        App,
        // System messages: id names the player.
        PlayerCreated,
        PlayerDestroyed,
        // The session's host went and the player `from` hosts it now; GetHostId names `from` from
        // then on, and each player keeps its id and name. A host that left is destroyed before it;
        // one lost to silence stays a player until the move's window ends, told destroyed then.
        NewHost,
        // The host named this end's own player anew (the name asked for was taken).
        Renamed,
    };
    Kind kind = Kind::App;
    NetPlayerId from = 0;
    std::vector<uint8_t> data;
};

// What a host lets through of each player's messages before it relays them or keeps them: the
// session carries the game's messages as bytes, and only the game knows a chat line from a
// state. Called from one thread at a time; nowMs is the session's clock's tick.
class NetRelayFilter
{
public:
    enum class Verdict
    {
        Pass,
        // Neither relayed nor kept.
        Drop,
        // Dropped, and the player has been past its share too long: the host lets it go.
        Disconnect,
    };

    virtual ~NetRelayFilter() = default;
    // A player's message, to every player or to one; name: the player's name in the session.
    virtual Verdict TakeMessage(NetPlayerId from, const std::string& name, const uint8_t* data, size_t size,
                                uint32_t nowMs) = 0;
    // A player names itself anew.
    virtual Verdict TakeRename(NetPlayerId from, const std::string& name, uint32_t nowMs) = 0;
    // The player has left; kNetAllPlayers: every player (the session closed).
    virtual void Forget(NetPlayerId from) = 0;
    // The player has sent what every copy of the game sends once seated; the host lets go a
    // seat that has not within a while of being seated.
    virtual bool HasIntroduced(NetPlayerId /*from*/) const { return true; }
};

class NetSession
{
public:
    virtual ~NetSession() = default;

    // Sessions answering within the time (discovery).
    virtual std::vector<NetSessionInfo> Enumerate(int32_t timeoutMs) = 0;
    // Creates a session and its local player; address "" picks the backend's default.
    virtual bool Host(const std::string& sessionName, const std::string& address, int32_t maxPlayers,
                      const std::string& playerName) = 0;
    // Joins a session and creates the local player there; false when refused or unanswered.
    // The host may give the player another name than the one asked for (GetPlayerName).
    virtual bool Join(const std::string& address, const std::string& playerName) = 0;
    // Why the last Join failed; None after one that succeeded.
    virtual NetJoinFailure GetJoinFailure() const = 0;
    // Leaves: the other players see this player destroyed. Wakes a waiting Receive.
    virtual void Close() = 0;

    virtual NetPlayerId GetLocalId() const = 0;
    virtual bool IsHost() const = 0;
    // The player hosting the session now (it follows a host change); 0 without a session.
    virtual NetPlayerId GetHostId() const = 0;
    // The player is in the session as this end knows it.
    virtual bool HasPlayer(NetPlayerId id) const = 0;
    // Where others reach this session ("HOST:PORT"), once hosting.
    virtual std::string GetAddress() const = 0;
    // Empty for an unknown id.
    virtual std::string GetPlayerName(NetPlayerId id) const = 0;
    // The host keeps names unique (UniquePlayerName).
    virtual bool SetPlayerName(const std::string& name) = 0;
    // Refuses new players while set (host only).
    virtual void SetJoinable(bool joinable) = 0;

    // False when no session is open, the addressee is unknown or the message too long.
    virtual bool Send(NetPlayerId to, const uint8_t* data, size_t size, bool guaranteed) = 0;
    // Waits up to timeoutMs (0: no wait, negative: until a message or Close) for the next
    // message; false when none came.
    virtual bool Receive(NetMessage& out, int32_t timeoutMs) = 0;
    // Makes a waiting Receive return false once.
    virtual void Wake() = 0;
    // Installs the filter the host applies to every player's messages (null: none). False when
    // this backend relays nothing (every player reaches every other directly): the receivers
    // then apply the filter themselves. Call while no session is open.
    virtual bool SetRelayFilter(std::shared_ptr<NetRelayFilter> /*filter*/) { return false; }
};

// Longest player name a session carries.
constexpr size_t kNetMaxPlayerName = 31;

// The name a player asking for `name` gets beside players with the names `taken`: the name
// itself when no one has it (compared exactly), else with the lowest free suffix " 2", " 3", ...,
// the name cut so that the whole stays within kNetMaxPlayerName characters.
std::string UniquePlayerName(const std::string& name, const std::vector<std::string>& taken);

} // namespace plat
