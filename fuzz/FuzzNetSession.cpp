// The game session's handling of messages from its peers. Each input is a run of records:
//   byte 0: bit 0 the receiver (0 the host, 1 the client), bits 1-2 the sender (0 the other of
//           the two, 1 a third player in the session, 2 an id the session has never had, 3 the
//           receiver itself); then a 16-bit little-endian length and that many message bytes.
// A host, a client and a third player sit in one in-process session, made afresh per input.
// Each message comes in on the receiver's receive thread, behind what its peers sent it, as the
// game's do: the session's seats change on that thread alone. After every record both run their
// frame's work (queue, rigs, phase checks, names, states);
// whatever the peers send, the host keeps slot 0, no id holds two slots, and the client's slot
// holds the client. The host's table may move the client to another seat, or seat it nowhere.
#include "LoopbackNetwork.h"
#include "tovDirectPlay.h"
#include "tovNetworkPlayGameParams.h"

#include "DebugOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace
{

class FuzzRig : public tovAnglerRigBase
{
};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

class SilentSink : public plat::DebugSink
{
public:
    void Write(const char*) override {}
};

struct Sessions
{
    plat::LoopbackNetwork net;
    std::vector<QrPointer<tovAnglerRigBase>> rigs;
    std::unique_ptr<tovDirectPlay> host = Make("Ann");
    std::unique_ptr<tovDirectPlay> client = Make("Bo");
    std::unique_ptr<tovDirectPlay> third = Make("Cy");

    std::unique_ptr<tovDirectPlay> Make(const char* name)
    {
        auto session = std::make_unique<tovDirectPlay>(net.CreateSession());
        session->SetLocalName(name);
        session->SetRigFactory(
            [this](int32_t, const tovPlayerState&, bool)
            {
                rigs.emplace_back(new FuzzRig);
                return rigs.back();
            });
        return session;
    }

    void Drain()
    {
        for (tovDirectPlay* s : {host.get(), client.get(), third.get()})
            s->DrainMainThreadQueue();
    }

    // Both joined and seated as the host's table says; false when that takes too long.
    bool Open()
    {
        if (!host->HostSession("Fuzz", "") || !client->JoinSession("Fuzz") || !third->JoinSession("Fuzz"))
            return false;
        for (int i = 0; i < 2000; ++i)
        {
            Drain();
            if (client->GetLocalSlot() == 1 && third->GetLocalSlot() == 2 && client->IsSlotActive(2))
                return true;
            if (i % 100 == 99)
                host->BroadcastGameParams();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
    }
};

// fixedSlot: the slot the session must keep, or -1 for any (the client follows the host's table).
void Frame(tovDirectPlay& s, int32_t fixedSlot)
{
    s.DrainMainThreadQueue();
    s.ApplyPlayerStates();
    s.IsPlayerInPhase(4, tovNetworkPlay::kLocalSlot);
    // The receive thread may be moving the seat as the host's own table arrives: a seat in
    // between is not a fault, one that stays so is.
    bool seated = false;
    for (int tries = 0; tries < 200 && !seated; ++tries)
    {
        if (tries > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int32_t own = s.GetLocalSlot();
        const auto ids = s.GetSlotIds();
        const bool listed = std::find(ids.begin(), ids.end(), s.GetLocalId()) != ids.end();
        std::set<plat::NetPlayerId> seen;
        bool unique = true;
        for (plat::NetPlayerId id : ids)
            unique = unique && (id == 0 || seen.insert(id).second);
        seated = unique && (fixedSlot < 0 || own == fixedSlot) && own == s.GetLocalSlot() &&
                 (own == tovNetworkPlay::kLocalSlot ? !listed
                                                    : own >= 0 && own < tovNet::kSlots && ids[own] == s.GetLocalId());
    }
    Check(seated);
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        char name[tovDirectPlay::kNameChars];
        std::memset(name, 'x', sizeof(name));
        s.GetPlayerName(slot, name, sizeof(name));
        Check(std::memchr(name, 0, sizeof(name)) != nullptr);
        tovNetworkPlay::AnglerSnapshot snapshot;
        s.GetPlayerAnglerState(slot, snapshot);
        int32_t a = 0, b = 0;
        s.GetPlayerResults(slot, a, b);
        s.IsPlayerInPhase(static_cast<int32_t>(slot) * 2, slot);
    }
    s.GetCommonLakeMask();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static SilentSink sink;
    plat::SetDebugSink(&sink);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    Sessions s;
    if (!s.Open())
        return 0;
    const plat::NetPlayerId unknown = s.third->GetLocalId() + 1000;
    size_t at = 0;
    for (int records = 0; at + 3 <= size && records < 64; ++records)
    {
        const uint8_t select = data[at];
        const size_t length = std::min<size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
        std::vector<uint8_t> message(data + at + 3, data + at + 3 + length);
        at += 3 + length;
        tovDirectPlay& to = (select & 1) == 0 ? *s.host : *s.client;
        tovDirectPlay& other = (select & 1) == 0 ? *s.client : *s.host;
        const plat::NetPlayerId senders[] = {other.GetLocalId(), s.third->GetLocalId(), unknown, to.GetLocalId()};
        // A message of no type follows; once it is refused, the record's message has been taken.
        const uint32_t refused = to.GetDroppedCount();
        s.net.DeliverForTest(senders[(select >> 1) & 3], to.GetLocalId(), std::move(message));
        s.net.DeliverForTest(other.GetLocalId(), to.GetLocalId(), {0});
        for (int i = 0; to.GetDroppedCount() == refused; ++i)
        {
            Check(i < 100000);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        Frame(*s.host, 0);
        Frame(*s.client, -1);
        // The client takes what the parameters now say.
        for (int32_t phase : {2, 4, 5})
            s.client->SyncPhase(phase, false);
    }
    // The rigs the factory made go with the sessions.
    s.third.reset();
    s.client.reset();
    s.host.reset();
    s.rigs.clear();
    StoreGameParams(tovNetworkPlay::GAMEPARAMS());
    return 0;
}
