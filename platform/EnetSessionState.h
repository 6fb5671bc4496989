#pragma once
// The inside of a session over UDP, shared by its three source files: the calls (EnetSession.cpp),
// the host's duties (EnetSessionHost.cpp), and the events with the host's move
// (EnetSessionMove.cpp). The service thread and the callers share it under `mutex`.

#include "Clock.h"
#include "EnetSession.h"
#include "EnetWire.h"
#include "NetTurnAways.h"

#include <enet/enet.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace plat
{

struct EnetSession::State
{
    using Steady = std::chrono::steady_clock;

    // A frame a copy holds for another while the host moves: guaranteed ones only.
    struct Held
    {
        NetPlayerId to = kNetAllPlayers;
        std::vector<uint8_t> frame;
    };
    // New host: a player of the session that has not come back yet, and what it is owed.
    struct Awaited
    {
        Steady::time_point until;
        std::deque<std::vector<uint8_t>> owed;
        size_t owedBytes = 0;
    };
    // A copy that will host next, before it has noticed the host gone: a player come back early.
    struct Early
    {
        NetPlayerId id = 0;
        std::string name;
        Steady::time_point until;
    };

    // What a new host keeps for one player, and a player for its new host, while the host moves;
    // past it the player is let go (the host's side) or the message refused (the player's).
    static constexpr size_t kHeldBytes = 1 << 20;

    int32_t timeoutMs;
    const Clock* clock = nullptr;
    mutable std::mutex mutex;
    ENetHost* host = nullptr;
    // A player's link to its host (while joining, playing, or coming back to a new host).
    ENetPeer* server = nullptr;
    ENetSocket discovery = ENET_SOCKET_NULL;
    bool hosting = false;
    bool welcomed = false;
    // A player between noticing its host gone and the new host's welcome back.
    bool rejoining = false;
    Steady::time_point rejoinUntil;
    NetPlayerId localId = 0;
    NetPlayerId hostId = 0;
    // The highest id the session has given, as this copy knows it.
    NetPlayerId lastId = 1;
    uint64_t secret = 0;
    std::string sessionName;
    int32_t maxPlayers = 0;
    bool joinable = true;
    bool answersDiscovery = false;
    std::string address;
    std::map<NetPlayerId, std::string> names;
    // Where each player listens, as the host saw it.
    std::map<NetPlayerId, ENetAddress> where;
    std::map<NetPlayerId, ENetPeer*> peers;
    // Connections that have not joined yet, with the tick they came at.
    std::map<ENetPeer*, uint32_t> waiting;
    std::map<NetPlayerId, Awaited> awaited;
    std::map<ENetPeer*, Early> early;
    // A player's messages for its new host while it comes back.
    std::deque<Held> outbox;
    size_t outboxBytes = 0;
    // Host: what each player may send; the frames it held back.
    std::shared_ptr<NetRelayFilter> filter;
    int64_t heldBack = 0;
    // Host: the addresses of players let go for a flood.
    NetTurnAways turnedAway;
    // Host: seated players not yet introduced, with the tick they were seated at.
    std::map<NetPlayerId, uint32_t> unintroduced;
    NetJoinFailure joinFailure = NetJoinFailure::None;
    std::thread service;
    std::atomic<bool> stop{false};
    // The last closed session's, sending what it had queued.
    std::thread closing;

    std::mutex inboxMutex;
    std::condition_variable inboxReady;
    std::deque<NetMessage> inbox;
    bool woken = false;

    uint32_t Now() const { return clock->TickMs(); }
    // How long a new host waits for a player to come back: copies notice a vanished host each at
    // its own time-out, up to one apart, and then connect.
    std::chrono::milliseconds MoveWait() const { return std::chrono::milliseconds(2 * int64_t(timeoutMs)); }

    void Push(std::vector<NetMessage> messages);
    void Push(NetMessage message) { Push(std::vector<NetMessage>{std::move(message)}); }
    static void SendEveryMessage(ENetPeer* peer);
    void Time(ENetPeer* peer) const;
    void Configure(ENetPeer* peer) const;
    void SendFrame(ENetPeer* peer, const std::vector<uint8_t>& frame, bool reliable);
    std::string NameOf(NetPlayerId id) const;

    // EnetSessionHost.cpp
    void SendToPeers(const std::vector<uint8_t>& frame, bool reliable, NetPlayerId except);
    bool SendTo(NetPlayerId id, const std::vector<uint8_t>& frame, bool reliable);
    void Owe(NetPlayerId id, const std::vector<uint8_t>& frame);
    std::vector<uint8_t> WelcomeFor(NetPlayerId id, const std::string& name) const;
    std::vector<uint8_t> CreatedFrame(NetPlayerId id) const;
    void RemovePlayer(NetPlayerId id);
    bool Admit(ENetPeer* peer, NetPlayerId from, NetRelayFilter::Verdict verdict);
    void LetGo(ENetPeer* peer, NetPlayerId id);
    void LetGoUnintroduced();
    void LetGoLost();
    void HostReceive(ENetPeer* peer, const uint8_t* data, size_t size, bool reliable);
    void TakeBack(ENetPeer* peer, NetPlayerId id, const std::string& name);
    bool IsMemberComingBack(uint64_t key, NetPlayerId id) const;
    NetJoinFailure Refusal(const ENetPeer* peer) const;
    void DropSilentConnections();
    void OpenDiscovery();
    void AnswerDiscovery();

    // EnetSessionMove.cpp
    void HandleEvent(const ENetEvent& event);
    void ClientReceive(const uint8_t* data, size_t size);
    void TakeList(const uint8_t* data, size_t size);
    ENetAddress Reached(ENetAddress listed) const;
    void IncomingReceive(ENetPeer* peer, const uint8_t* data, size_t size);
    NetPlayerId NextHost() const;
    void HostGone();
    void BecomeHost();
    bool ComeBackTo(NetPlayerId next);
    void GoAlone();
    void RefuseEarly(NetPlayerId id);
    void CheckMoveTimes();
    static void SendQueuedAndLeave(ENetHost* host, const std::vector<ENetPeer*>& open);
    template <class Done> bool ServiceUntil(Done done, int32_t ms)
    {
        const auto end = Steady::now() + std::chrono::milliseconds(ms);
        while (!done())
        {
            if (Steady::now() >= end)
                return false;
            ENetEvent event;
            if (enet_host_service(host, &event, 10) > 0)
                HandleEvent(event);
        }
        return true;
    }
    void ServiceLoop();
    void StopService();
    void Reset();
};

} // namespace plat
