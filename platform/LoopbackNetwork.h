#pragma once
// An in-process network: sessions made from one LoopbackNetwork reach each other, and nothing
// leaves the process. Discovery finds every hosted session at once. Tests and the harness use it
// where two players share one process.

#include "NetSession.h"

#include <memory>
#include <vector>

namespace plat
{

class LoopbackHub;

class LoopbackNetwork
{
public:
    LoopbackNetwork();
    ~LoopbackNetwork();
    LoopbackNetwork(const LoopbackNetwork&) = delete;
    LoopbackNetwork& operator=(const LoopbackNetwork&) = delete;

    // A session end on this network; it may outlive the network object.
    std::unique_ptr<NetSession> CreateSession();
    // The player vanishes as a killed program would: the others see it destroyed, its own end
    // sends and receives nothing more.
    void Kill(NetPlayerId id);
    // Tests: bytes reach `to` as a message from `from`, queued behind what `to` has received,
    // whether or not `from` is still in the session (a message still on its way).
    void DeliverForTest(NetPlayerId from, NetPlayerId to, std::vector<uint8_t> bytes);

private:
    std::shared_ptr<LoopbackHub> m_hub;
};

} // namespace plat
