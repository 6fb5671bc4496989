#pragma once
// An in-process network: sessions made from one LoopbackNetwork reach each other, and nothing
// leaves the process. Discovery finds every hosted session at once. Tests and the harness use it
// where two players share one process.
//
// A mesh (the default) carries every message straight to its addressee and moves a session's host
// for every player at one instant. A star carries what two players other than the host say to
// each other through the player each takes for the host, as a network session does: a message the
// host has not relayed yet is lost with the host, and each player takes the new host for the host
// only once it has received the word of the move. As a network session tells it, a star's player
// killed is told to the others as gone only when the move's window ends on the star's own clock,
// which a test advances; one that closes its end is gone at once.

#include "NetSession.h"

#include <memory>
#include <vector>

namespace plat
{

class LoopbackHub;

class LoopbackNetwork
{
public:
    enum class Shape
    {
        kMesh,
        kStar,
    };

    explicit LoopbackNetwork(Shape shape = Shape::kMesh);
    ~LoopbackNetwork();
    LoopbackNetwork(const LoopbackNetwork&) = delete;
    LoopbackNetwork& operator=(const LoopbackNetwork&) = delete;

    // A session end on this network; it may outlive the network object.
    std::unique_ptr<NetSession> CreateSession();
    // The star's peer time-out; its move's window is NetMoveWindowMs of it.
    static constexpr int64_t kStarPeerTimeoutMs = 5000;

    // The player vanishes as a killed program would: its own end sends and receives nothing more,
    // and the others see it destroyed (a star's once its move's window has passed on the star's
    // clock).
    void Kill(NetPlayerId id);
    // Star, tests: the star's clock moves on; leaves whose window has ended are told.
    void AdvanceForTest(int64_t ms);
    // Tests: bytes reach `to` as a message from `from`, queued behind what `to` has received,
    // whether or not `from` is still in the session (a message still on its way).
    void DeliverForTest(NetPlayerId from, NetPlayerId to, std::vector<uint8_t> bytes);
    // Star, tests: while held, what the host of id's session relays waits at the host, and is lost
    // should the host go; let go, it goes on in order.
    void HoldRelaysForTest(NetPlayerId id, bool hold);
    // Star, tests: messages waiting at the host of id's session for their relay.
    size_t HeldRelaysForTest(NetPlayerId id);
    // Star, tests: while held, the player hears nothing of players leaving or of the host moving
    // (it notices late); let go, it hears all of it in order.
    void HoldNoticesForTest(NetPlayerId id, bool hold);

private:
    std::shared_ptr<LoopbackHub> m_hub;
};

} // namespace plat
