#pragma once
// Two game sessions over the in-process network: a host and a client that joined it, with the
// lines each showed and the rigs built and retired for remote players.

#include "LoopbackNetwork.h"
#include "tovDirectPlay.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class NetTestRig : public tovAnglerRigBase
{
};

struct NetSessionSide
{
    std::unique_ptr<tovDirectPlay> session;
    std::vector<std::string> lines;
    std::vector<int32_t> builtSlots;
    std::vector<QrPointer<tovAnglerRigBase>> builtRigs;
    std::vector<tovAnglerRigBase*> retired;

    NetSessionSide(plat::LoopbackNetwork& net, const std::string& name)
        : session(std::make_unique<tovDirectPlay>(net.CreateSession()))
    {
        session->SetLocalName(name);
        session->SetMessageSink([this](const std::string& line) { lines.push_back(line); });
        session->SetRigFactory(
            [this](int32_t slot, const tovPlayerState&, bool)
            {
                builtSlots.push_back(slot);
                builtRigs.emplace_back(new NetTestRig);
                return builtRigs.back();
            });
        session->SetRigRemover([this](tovAnglerRigBase* rig) { retired.push_back(rig); });
    }
};

// Drains both main-thread queues until the condition holds; false after a minute (a bound
// for a stuck session, far above what the slowest sanitizer build under load needs).
inline bool WaitUntil(const std::function<bool()>& done, std::initializer_list<tovDirectPlay*> sessions)
{
    for (int i = 0; i < 12000; ++i)
    {
        for (tovDirectPlay* s : sessions)
            s->DrainMainThreadQueue();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}
