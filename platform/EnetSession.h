#pragma once
// A network session over UDP, for a local network: no address translation is crossed. The host
// accepts players and relays their messages, so every player talks only to the host, and the
// host's relay filter holds back a flood at its source; joins from the address and port of a
// player it let go are turned away for a while, by whoever hosts next too. Guaranteed messages
// travel reliably and in order, the rest as they come. A player silent past the peer time-out is
// held for a move's window (below). Strangers (an address and port on no list of the players)
// hold at most the refusal places, and none during a move unless their connection bears the
// session's mark (a copy of the session that no list carries); a connection that does not join
// within the lesser of 5 s and half the time-out is dropped, and a seat whose player has not
// introduced itself (the relay filter says) within 30 s is let go. These times, the shares and the
// turn-aways run on the session's clock: real time unless a test gives another, since a game's
// clock may stand still while the game waits. Refusals say why. Sessions answer discovery on a
// fixed port of the local network.
//
// The session keeps its players when its host goes. It stays a star, which keeps one filter at
// one place and one link a player, and re-forms around a new host rather than becoming a mesh:
// every copy listens on a port of its own, and the host gives every player, in the welcome and at
// each join and leave, the list of players with where each listens, the highest id given so far,
// the door's state and the session's key.
//
// A move is an agreement, a bully election without its rounds: a copy that finds its host gone
// (silent, or left) asks every other player of its list at once, never the host it moves from,
// and each answers: a welcome (it hosts), "hold on" with its own deadline (it looks too), "the
// host is X" (the move it took part in is over), or "not of this session". A copy seated under the
// host that the asker moves from takes part at once and tells its host, and a host that hears so,
// or whose every link fell silent together, steps down: its players take part, and it comes back
// as a player, never hosting its own move. A copy hosts once every copy it asked has answered or
// is gone and no lower id said hold on; the lowest id among the copies that take part so hosts on
// every copy, the others seated by it through the asks it holds. This shape, rather than each copy
// naming the next host from its own list, lets copies that see different things at different
// moments agree, and a copy that took its host for gone can never be told to wait for it.
// One deadline, M (NetMoveWindowMs, twice the time-out), from a copy's first notice: a copy asked
// that has not answered by it is gone, a lower id that held on is waited for to the latest deadline
// heard (and a further M as a backstop), and a host awaits the others to the latest deadline it
// heard of. An ask to a dead copy ends at the time-out, a try shorter than M: a move with every
// copy answering lasts about one round trip after the last notice, one losing its next host too
// about one time-out more; in all, about one time-out after the host's death, two to three when the
// next host is lost with it (real runs at a 3 s time-out: 3.1-4.1 s and 6.7-9.3 s), about M from the
// first notice at most but for copies frozen meanwhile.
// A player lost to silence (host's side) keeps its seat for M and is told as gone only then; a
// leave (Close) and a let-go for a flood are final at once. A copy goes on alone only on a final
// refusal (let go, back after M, a failed claim, a newcomer with the door shut), or as a host
// stepping down that nobody takes back within M. Its guaranteed messages meanwhile are kept for
// whoever hosts. The move's deadlines run on the session's clock; the links' time-outs are real time.

#include "NetSession.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace plat
{

class Clock;

class EnetSession final : public NetSession
{
public:
    static constexpr uint16_t kDefaultPort = 28640;
    static constexpr uint16_t kDiscoveryPort = 28641;

    // Most events one step of the service handles: a flood must not keep the game's thread out
    // of the session.
    static constexpr int32_t kEventsPerStep = 512;
    // How long a seated player has to introduce itself.
    static constexpr uint32_t kIntroduceMs = 30000;

    // peerTimeoutMs: how long a silent player is waited for (real time); clock: the session's
    // (borrowed, outliving the session), null for the steady clock.
    explicit EnetSession(int32_t peerTimeoutMs = 10000, const Clock* clock = nullptr);
    ~EnetSession() override;

    std::vector<NetSessionInfo> Enumerate(int32_t timeoutMs) override;
    // address "HOST:PORT"; "" hosts on every interface at kDefaultPort; port 0 picks a free one.
    bool Host(const std::string& sessionName, const std::string& address, int32_t maxPlayers,
              const std::string& playerName) override;
    // address "HOST:PORT" or "HOST" (kDefaultPort). The copy listens at the first free port of
    // JoinerListenPorts, every interface (none free: NoPort).
    bool Join(const std::string& address, const std::string& playerName) override;
    // Listening at bindAddress "HOST:PORT" instead (port 0: any free one), for tests.
    bool Join(const std::string& address, const std::string& playerName, const std::string& bindAddress);
    NetJoinFailure GetJoinFailure() const override;
    // Returns at once; the closed session goes on sending what is queued (its leave among it)
    // on its own thread for up to a second, holding its port meanwhile.
    void Close() override;
    NetPlayerId GetLocalId() const override;
    bool IsHost() const override;
    NetPlayerId GetHostId() const override;
    bool HasPlayer(NetPlayerId id) const override;
    std::string GetAddress() const override;
    std::string GetPlayerName(NetPlayerId id) const override;
    bool SetPlayerName(const std::string& name) override;
    void SetJoinable(bool joinable) override;
    bool Send(NetPlayerId to, const uint8_t* data, size_t size, bool guaranteed) override;
    bool Receive(NetMessage& out, int32_t timeoutMs) override;
    void Wake() override;
    // The host applies it to every player's frames before it relays or keeps them.
    bool SetRelayFilter(std::shared_ptr<NetRelayFilter> filter) override;

    // Stops answering without saying goodbye, as a killed program would (tests).
    void Abandon();
    // Host: connections that hold a place without having joined (tests).
    int32_t ConnectionsWaitingToJoin() const;
    // Host: the frames its relay filter has held back since the session opened (tests).
    int64_t FramesHeldBack() const;
    // Host: seated players that have not introduced themselves yet (tests).
    int32_t SeatsNotIntroduced() const;
    // The session's key: who the session is, no proof of a seat (tests).
    uint64_t SecretForTests() const;
    // Tests: connections from strangers dropped before they had a place, since the session opened.
    int64_t StrangersDroppedForTests() const;
    // Tests: where this copy listens, "HOST:PORT".
    std::string ListenAddressForTests() const;
    // Tests: drops every datagram from "HOST:PORT" before the library sees it.
    bool DropDatagramsFromForTests(const std::string& address);
    // Tests: takes the link to the player (the host, a seated player, or one asked in a move) for
    // gone now, as its time-out would, without a word to it.
    void TakeForGoneForTests(NetPlayerId id);
    // Tests: the service thread stands still (true) as a stopped program's would, or goes on.
    void FreezeForTests(bool frozen);
    // Tests: between noticing the host gone and hosting or being seated again.
    bool IsMovingForTests() const;
    // Tests: in a move, the players asked that have not answered yet.
    std::vector<NetPlayerId> UnansweredForTests() const;
    // Waits until the last closed session has said its leave or given up (the destructor does).
    void FinishClosing();

    // One service step: handles events while next() finds one, at most kEventsPerStep; returns
    // how many it handled.
    static int32_t ServiceStep(const std::function<bool()>& next);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// This computer's IPv4 addresses other than loopback, as dotted quads: what a joiner types
// where discovery does not reach.
std::vector<std::string> LocalIpAddresses();

// "HOST:PORT" or "HOST" into its parts; false for an empty host or a port out of range.
bool SplitHostPort(const std::string& address, std::string& host, uint16_t& port, uint16_t defaultPort);

} // namespace plat
