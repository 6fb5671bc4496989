#pragma once
// The inside of a session over UDP, shared by its three source files: the calls (EnetSession.cpp),
// the host's duties (EnetSessionHost.cpp), and the events with the host's move
// (EnetSessionMove.cpp). The service thread and the callers share it under `mutex`.

#include "Clock.h"
#include "EnetSession.h"
#include "EnetWire.h"
#include "NetTurnAways.h"

#include <enet/enet.h>

#include <algorithm>
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
    // Host: a player of the session that has not come back yet (lost to silence, or not back after
    // a move), and what it is owed; past `until` (the session's tick) it is told as gone.
    struct Awaited
    {
        uint32_t until = 0;
        // When its link fell silent here (0: it never had one with this host).
        uint32_t silentAt = 0;
        bool silent = false;
        std::deque<std::vector<uint8_t>> owed;
        size_t owedBytes = 0;
    };
    // A player of the session that asked this copy for its place while this copy still looks for
    // the host: held (told to hold on) until this copy hosts or finds the host.
    using Early = enetwire::RejoinFrame;
    // This copy's ask to another during a move, and what it answered.
    struct Ask
    {
        enum class Answer
        {
            None,
            HoldOn,
            Gone,
        };
        ENetPeer* peer = nullptr;
        Answer answer = Answer::None;
        Steady::time_point since;
        int tries = 0;
    };
    // How many times an ask that ended early goes again.
    static constexpr int kAskTries = 3;

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
    // A player between noticing its host gone and hosting, or the new host's welcome back.
    bool rejoining = false;
    // The host this move is away from; this copy's own deadline, and the latest it has heard of
    // (ticks of the session's clock).
    NetPlayerId movedFrom = 0;
    // The tick of this copy's first notice that its host was gone, in the move it is in or had last.
    uint32_t moveNoticedAt = 0;
    uint32_t moveUntil = 0;
    uint32_t latestUntil = 0;
    // Whom this copy asked during the move, and the player a copy said hosts (0: none).
    std::map<NetPlayerId, Ask> asks;
    NetPlayerId pointedTo = 0;
    // Tests: the service thread stands still while set.
    std::atomic<bool> frozen{false};
    NetPlayerId localId = 0;
    NetPlayerId hostId = 0;
    // The highest id the session has given, as this copy knows it.
    NetPlayerId lastId = 1;
    // Who the session is (no proof: every player and every welcome has it).
    uint64_t secret = 0;
    // This copy's seat's proof, and the digest of every seat it knows. Kept for players that have
    // gone: a player back after its window is told so rather than taken for a newcomer.
    SeatToken token{};
    std::map<NetPlayerId, SeatDigest> digests;
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
    // Connections from strangers the library holds a place for before they are connected, with the
    // tick this copy first saw them at.
    std::map<ENetPeer*, uint32_t> arriving;
    // Where the players of the proven rejoins this copy received in the current move listen.
    std::vector<ENetAddress> heardWhere;
    // Where the hosts this copy was seated under were reached (a host lists no address of its own).
    std::vector<ENetAddress> hostsAt;
    std::atomic<int64_t> strangersDropped{0};
    // Tests: the senders whose datagrams are dropped.
    std::vector<ENetAddress> dropForTests;
    std::map<NetPlayerId, Awaited> awaited;
    std::map<ENetPeer*, Early> early;
    // Guaranteed messages this copy sent in the last M, each with its number: sent again to whoever
    // hosts after a move, since those sent to a host that had gone are lost. Every copy drops a
    // message it has seen (numbers from one sender only rise).
    struct Sent
    {
        uint32_t at = 0;
        std::vector<uint8_t> frame;
        NetPlayerId to = kNetAllPlayers;
    };
    std::deque<Sent> sent;
    size_t sentBytes = 0;
    uint32_t sendNumber = 0;
    std::map<NetPlayerId, uint32_t> seenNumber;
    bool Seen(NetPlayerId from, uint32_t number);
    void Remember(NetPlayerId to, const std::vector<uint8_t>& frame);
    void SendRemembered();
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
    // How long a connection holds a place without joining.
    uint32_t JoinWait() const
    {
        return std::min<uint32_t>(enetwire::kJoinWaitMs, static_cast<uint32_t>(timeoutMs) / 2);
    }
    // The window of a move, M, in ticks.
    uint32_t MoveWindow() const { return static_cast<uint32_t>(NetMoveWindowMs(timeoutMs)); }
    // A message sent at `at` is kept while it is no older than M, counted from the move's first
    // notice during a move: a move may outlast M, and what went to a host just gone must survive it.
    bool KeptSentAt(uint32_t at, uint32_t since) const
    {
        return static_cast<int32_t>(since - at) <= static_cast<int32_t>(MoveWindow());
    }
    // The tick has come (ticks compared by unsigned difference).
    bool Due(uint32_t tick) const { return static_cast<int32_t>(Now() - tick) >= 0; }

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
    std::vector<uint8_t> WelcomeFor(NetPlayerId id, const std::string& name, const SeatToken* newToken) const;
    void SeatNewcomer(ENetPeer* peer, const std::string& asked);
    void JudgeRejoin(ENetPeer* peer, const enetwire::RejoinFrame& rejoin);
    void HearLastId(NetPlayerId heard);
    std::vector<uint8_t> CreatedFrame(NetPlayerId id) const;
    void RemovePlayer(NetPlayerId id);
    void LoseToSilence(NetPlayerId id);
    void StepDown();
    bool Admit(ENetPeer* peer, NetPlayerId from, NetRelayFilter::Verdict verdict);
    void LetGo(ENetPeer* peer, NetPlayerId id);
    void LetGoUnintroduced();
    void LetGoLost();
    void HostReceive(ENetPeer* peer, const uint8_t* data, size_t size, bool reliable);
    void TakeBack(ENetPeer* peer, NetPlayerId id, const std::string& name);
    NetJoinFailure Refusal(const ENetPeer* peer) const;
    void DropSilentConnections();
    // Before the library sees a datagram: true drops it. A connection from a stranger (no listed
    // address and port) gets one of the few refusal places at most, and in a move (the places are
    // the players') none unless it bears the session's mark. Set on this copy's host by Watch, taken off by Unwatch.
    static int ENET_CALLBACK Screen(ENetHost* host, ENetEvent* event);
    void Watch();
    static void Unwatch(const ENetHost* host);
    bool Listed(const ENetAddress& at) const;
    bool InMove() const;
    bool TakesStranger() const;
    int DropStranger()
    {
        ++strangersDropped;
        return 1;
    }
    // What a copy's ask in a move bears in its connection: from the session's key, never 0.
    uint32_t Mark() const { return static_cast<uint32_t>(secret ^ secret >> 32) | 1u; }
    void HearWhere(const enetwire::RejoinFrame& rejoin);
    void OpenDiscovery();
    void AnswerDiscovery();

    // EnetSessionMove.cpp
    void HandleEvent(const ENetEvent& event);
    void ClientReceive(const uint8_t* data, size_t size);
    bool TakeList(const uint8_t* data, size_t size);
    ENetAddress Reached(ENetAddress listed) const;
    void IncomingReceive(ENetPeer* peer, const uint8_t* data, size_t size);
    void StartMove(NetPlayerId from, bool left);
    void AskFor(NetPlayerId id, const ENetAddress& at);
    void AskReceive(NetPlayerId id, ENetPeer* peer, const uint8_t* data, size_t size);
    void AskLost(NetPlayerId id, uint32_t data);
    void Decide();
    void EndAsks(NetPlayerId except);
    void HearDeadline(uint32_t leftMs);
    std::vector<uint8_t> HoldOnFrame() const;
    NetPlayerId AskedBy(const ENetPeer* peer) const;
    void BecomeHost();
    void GoAlone();
    void RefuseEarly(NetPlayerId id);
    void CheckMoveTimes();
    void TakeForGone(NetPlayerId id);
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
