#pragma once
// Two game sessions over the in-process network: a host and a client that joined it, with the
// lines each showed and the rigs built and retired for remote players.

#include "Clock.h"
#include "LoopbackNetwork.h"
#include "qrxBaseApp.h"
#include "tovDirectPlay.h"
#include "tovNetPacer.h"
#include "tovNetworkPlayGameParams.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class NetTestRig : public tovAnglerRigBase
{
};

// A turn of the send pacer later at every reading: nothing a session sends on it is held for its
// turn (tests of what the host sends, whatever its pace).
class EveryTurnClock : public plat::Clock
{
public:
    double Seconds() const override { return static_cast<double>(Nanoseconds()) * 1e-9; }
    uint32_t TickMs() const override { return plat::TickFromNanoseconds(Nanoseconds()); }
    uint64_t Nanoseconds() const override { return m_ns.fetch_add(tovNetPacer::kGapNs) + tovNetPacer::kGapNs; }

private:
    mutable std::atomic<uint64_t> m_ns{0};
};

struct NetSessionSide
{
    std::unique_ptr<tovDirectPlay> session;
    std::vector<std::string> lines;
    std::vector<int32_t> builtSlots;
    std::vector<QrPointer<tovAnglerRigBase>> builtRigs;
    std::vector<tovAnglerRigBase*> retired;

    NetSessionSide(plat::LoopbackNetwork& net, const std::string& name) : NetSessionSide(net.CreateSession(), name) {}
    NetSessionSide(std::unique_ptr<plat::NetSession> transport, const std::string& name)
        : session(std::make_unique<tovDirectPlay>(std::move(transport)))
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

// A host and a client over the in-process network, neither in a session yet.
struct SessionPair
{
    plat::LoopbackNetwork net;
    NetSessionSide host{net, "Robin"};
    NetSessionSide client{net, "Casey"};
    tovDirectPlay& h = *host.session;
    tovDirectPlay& c = *client.session;
};

// Runs `send`, which sends the client the host's parameters, and waits until they have come to the
// installed session (the client, built last): an older message still on its way would overwrite
// the host's next change there.
inline bool ParamsArrive(const std::function<void()>& send, std::initializer_list<tovDirectPlay*> sessions)
{
    tovNetworkPlay::GAMEPARAMS unstamped = CopyGameParams();
    unstamped.ClearHostClock();
    StoreGameParams(unstamped);
    send();
    return WaitUntil([] { return CopyGameParams().HasHostClock(); }, sessions);
}

// True once no parameters the host sent the client are still on their way: the host has the
// client's welcome header, whose answer follows its own header to the client, and then a header
// of the host's sent after that answer has come (its results counted up and back): an answer
// still on its way would overwrite a test's parameters on the client.
inline bool HostsAnswerCame(tovDirectPlay& h, tovDirectPlay& c)
{
    const int32_t slot = c.GetLocalSlot();
    if (!WaitUntil([&] { return h.HasHeaderOf(slot); }, {&h, &c}))
        return false;
    for (const int32_t step : {1, -1})
    {
        int32_t before = 0;
        int32_t unused = 0;
        c.GetPlayerResults(0, before, unused);
        h.AddPlayerResults(h.GetLocalSlot(), step, 0);
        h.DrainMainThreadQueue();
        h.SendPlayerHeader();
        int32_t a = 0;
        if (!WaitUntil([&] { return c.GetPlayerResults(0, a, unused) && a == before + step; }, {&h, &c}))
            return false;
    }
    return true;
}

// The host opens "Lake day" and the client joins it; true once each lists the other, the client
// in slot 1, and the host's header, the last of what it sends a newcomer, has come, and then its
// answer to the client's welcome header: no parameters of the join are still on their way to
// overwrite a test's (both sides share them).
inline bool HostAndJoin(tovDirectPlay& h, tovDirectPlay& c)
{
    return h.HostSession("Lake day", "") && c.JoinSession("Lake day") &&
           WaitUntil([&] { return c.GetLocalSlot() == 1 && h.IsSlotActive(1) && c.IsSlotActive(0); }, {&h, &c}) &&
           WaitUntil([&] { return c.HasHeaderOf(0); }, {&h, &c}) && HostsAnswerCame(h, c);
}

// HostAndJoin, then `d` joins too; true once it sits in slot 2 and every copy lists every other.
inline bool HostAndJoinThree(tovDirectPlay& h, tovDirectPlay& c, tovDirectPlay& d)
{
    return HostAndJoin(h, c) && d.JoinSession("Lake day") &&
           WaitUntil(
               [&] {
                   return d.GetLocalSlot() == 2 && h.IsSlotActive(2) && c.IsSlotActive(2) && d.IsSlotActive(0) &&
                          d.IsSlotActive(1);
               },
               {&h, &c, &d});
}

// Both joined copies fishing (phase 5), each seen so by the other, and the host's answer to the
// client's header come: no message of theirs is still on its way to overwrite the parameters
// both share here, and no header of theirs older than the day's.
inline bool BothFishing(tovDirectPlay& h, tovDirectPlay& c)
{
    h.SetLocalPhase(5);
    if (!WaitUntil([&] { return c.GetPlayerPhase(0) == 5; }, {&h, &c}))
        return false;
    return ParamsArrive([&] { c.SetLocalPhase(5); }, {&h, &c}) &&
           WaitUntil([&] { return h.GetPlayerPhase(1) == 5; }, {&h, &c});
}

// Should a blocking wait stall, sets the quit flag after a minute (a bound for a stuck session, as
// WaitUntil's) so that the wait ends instead of the test hanging; Finish() (or the destructor)
// stops the watch.
class QuitOnStall
{
public:
    QuitOnStall()
        : m_watch(
              [this]
              {
                  std::unique_lock lock(m_mutex);
                  if (!m_finished.wait_for(lock, std::chrono::seconds(60), [this] { return m_done; }))
                      qrxBaseApp::SetQuitFlag(true);
              })
    {
    }
    ~QuitOnStall() { Finish(); }
    void Finish()
    {
        {
            std::scoped_lock lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_one();
        if (m_watch.joinable())
            m_watch.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_watch;
};
