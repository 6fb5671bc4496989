#include "EnetSession.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "NetTurnAways.h"

#include <enet/enet.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace plat
{

namespace
{

// Frames between players: a tag byte, then the tag's fields.
constexpr uint8_t kFrameApp = 'A';
constexpr uint8_t kFrameJoin = 'J';
constexpr uint8_t kFrameWelcome = 'W';
constexpr uint8_t kFrameCreated = 'P';
constexpr uint8_t kFrameDestroyed = 'D';
constexpr uint8_t kFrameName = 'N';
constexpr char kDiscoveryQuery[4] = {'T', 'O', 'V', 'Q'};
constexpr char kDiscoveryAnswer[4] = {'T', 'O', 'V', 'A'};
constexpr size_t kMaxName = kNetMaxPlayerName;
constexpr int32_t kMaxSessionPlayers = 32;
constexpr int32_t kConnectWaitMs = 3000;
constexpr int32_t kServiceStepMs = 2;
// A connection holds a place until it joins; one that sends no join within this time (the
// session's clock) is dropped, so that idle connections cannot keep the players out.
constexpr uint32_t kJoinWaitMs = 5000;
// Connections beyond the players' places, so that a refused one is told why rather than unheard.
constexpr size_t kRefusalPeers = 4;
// How long a closing end goes on sending what it has queued (its leave among it) before it
// disconnects at once: real time, as the peers' answers come in it.
constexpr int32_t kCloseWaitMs = 1000;

void InitEnetOnce()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       if (enet_initialize() == 0)
                           std::atexit(enet_deinitialize);
                   });
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutName(std::vector<uint8_t>& out, const std::string& name)
{
    const size_t n = std::min(name.size(), kMaxName);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n));
}

// Reads a received frame; every read is bounded by the frame's size.
class FrameReader
{
public:
    FrameReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool U32(uint32_t& v)
    {
        if (m_size - m_at < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(m_data[m_at + i]) << (8 * i);
        m_at += 4;
        return true;
    }
    bool Name(std::string& name)
    {
        if (m_at >= m_size)
            return false;
        const size_t n = std::min<size_t>(m_data[m_at++], kMaxName);
        if (m_size - m_at < n)
            return false;
        name.assign(reinterpret_cast<const char*>(m_data + m_at), n);
        name = name.substr(0, name.find('\0'));
        BlankControlBytes(name.data(), name.size());
        m_at += n;
        return true;
    }
    bool U8(uint8_t& v)
    {
        if (m_at >= m_size)
            return false;
        v = m_data[m_at++];
        return true;
    }
    const uint8_t* Rest() const { return m_data + m_at; }
    size_t RestSize() const { return m_size - m_at; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 1;
};

NetPlayerId PeerId(const ENetPeer* peer)
{
    return static_cast<NetPlayerId>(reinterpret_cast<uintptr_t>(peer->data));
}

// A refusal travels as the disconnection's data.
NetJoinFailure RefusalOf(uint32_t data)
{
    if (data == static_cast<uint32_t>(NetJoinFailure::Full))
        return NetJoinFailure::Full;
    if (data == static_cast<uint32_t>(NetJoinFailure::Begun))
        return NetJoinFailure::Begun;
    if (data == static_cast<uint32_t>(NetJoinFailure::TurnedAway))
        return NetJoinFailure::TurnedAway;
    return NetJoinFailure::NotFound;
}

std::vector<std::string> NamesBut(const std::map<NetPlayerId, std::string>& names, NetPlayerId except)
{
    std::vector<std::string> out;
    for (const auto& [id, name] : names)
        if (id != except)
            out.push_back(name);
    return out;
}

} // namespace

std::vector<std::string> LocalIpAddresses()
{
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (const ifaddrs* a = list; a != nullptr && out.size() < kMaxSessionPlayers; a = a->ifa_next)
    {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET || (a->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof(text)) != nullptr &&
            std::find(out.begin(), out.end(), text) == out.end())
            out.emplace_back(text);
    }
    freeifaddrs(list);
    return out;
}

bool SplitHostPort(const std::string& address, std::string& host, uint16_t& port, uint16_t defaultPort)
{
    const size_t colon = address.rfind(':');
    host = address.substr(0, colon);
    port = defaultPort;
    if (colon != std::string::npos)
    {
        const std::string digits = address.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const unsigned long value = std::stoul(digits);
        if (value > 65535)
            return false;
        port = static_cast<uint16_t>(value);
    }
    return !host.empty();
}

struct EnetSession::State
{
    int32_t timeoutMs;
    const Clock* clock = nullptr;
    mutable std::mutex mutex;
    ENetHost* host = nullptr;
    ENetPeer* server = nullptr;
    ENetSocket discovery = ENET_SOCKET_NULL;
    bool hosting = false;
    bool welcomed = false;
    NetPlayerId localId = 0;
    NetPlayerId hostId = 0;
    NetPlayerId nextId = 1;
    std::string sessionName;
    int32_t maxPlayers = 0;
    bool joinable = true;
    std::string address;
    std::map<NetPlayerId, std::string> names;
    std::map<NetPlayerId, ENetPeer*> peers;
    // Host: connections that have not joined yet, with the tick they came at.
    std::map<ENetPeer*, uint32_t> waiting;
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

    void Push(NetMessage message)
    {
        {
            std::lock_guard lock(inboxMutex);
            inbox.push_back(std::move(message));
        }
        inboxReady.notify_one();
    }

    // Left to itself the library drops unguaranteed messages at random once round trips grow
    // uneven, as they do on a busy computer: a chat line would vanish though the link is fine.
    // The game's unguaranteed traffic is a few small messages a second, nothing to hold back.
    static void SendEveryMessage(ENetPeer* peer)
    {
        enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_ACCELERATION,
                                     0);
    }

    void SendFrame(ENetPeer* peer, const std::vector<uint8_t>& frame, bool reliable)
    {
        ENetPacket* packet = enet_packet_create(frame.data(), frame.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
        if (packet != nullptr && enet_peer_send(peer, reliable ? 0 : 1, packet) != 0)
            enet_packet_destroy(packet);
    }

    void SendToPeers(const std::vector<uint8_t>& frame, bool reliable, NetPlayerId except)
    {
        for (const auto& [id, peer] : peers)
            if (id != except)
                SendFrame(peer, frame, reliable);
    }

    std::string NameOf(NetPlayerId id) const
    {
        const auto found = names.find(id);
        return found == names.end() ? std::string() : found->second;
    }

    // Host: a player is gone; everyone else is told.
    void RemovePlayer(NetPlayerId id)
    {
        if (id == 0 || peers.erase(id) == 0)
            return;
        names.erase(id);
        unintroduced.erase(id);
        if (filter)
            filter->Forget(id);
        std::vector<uint8_t> frame{kFrameDestroyed};
        PutU32(frame, id);
        SendToPeers(frame, true, 0);
        Push({NetMessage::Kind::PlayerDestroyed, id, {}});
    }

    // Host: true when the filter lets the player's frame through. A player kept past its share
    // too long is let go here: its later frames find no player.
    bool Admit(ENetPeer* peer, NetPlayerId from, NetRelayFilter::Verdict verdict)
    {
        if (verdict == NetRelayFilter::Verdict::Pass)
            return true;
        ++heldBack;
        if (verdict == NetRelayFilter::Verdict::Disconnect)
        {
            DebugOutput((NameOf(from) + " stayed past its share of messages: disconnected").c_str());
            // A player let go for a flood comes back at once, the door being open between games.
            turnedAway.LetGo(peer->address.host, Now());
            LetGo(peer, from);
        }
        return false;
    }

    void LetGo(ENetPeer* peer, NetPlayerId id)
    {
        peer->data = nullptr;
        enet_peer_disconnect(peer, 0);
        RemovePlayer(id);
    }

    // Host: a seat held by something that never says it is a copy of the game goes, and the
    // start of the day stops waiting for it. No turn-away: copies on one machine share an address.
    void LetGoUnintroduced()
    {
        if (!filter)
            return;
        const uint32_t now = Now();
        for (auto at = unintroduced.begin(); at != unintroduced.end();)
        {
            const auto [id, since] = *at;
            ++at;
            if (filter->HasIntroduced(id))
                unintroduced.erase(id);
            else if (now - since >= kIntroduceMs)
                if (const auto peer = peers.find(id); peer != peers.end())
                {
                    DebugOutput((NameOf(id) + " sent nothing a copy of the game sends: disconnected").c_str());
                    LetGo(peer->second, id);
                }
        }
    }

    // Host side: one received frame from a joined or joining player.
    void HostReceive(ENetPeer* peer, const uint8_t* data, size_t size, bool reliable)
    {
        FrameReader in(data, size);
        const NetPlayerId from = PeerId(peer);
        if (data[0] == kFrameJoin && from == 0)
        {
            std::string name;
            // Only a connection still holding its place joins; a refused one is on its way out.
            if (!in.Name(name) || waiting.erase(peer) == 0)
                return;
            // The door may have closed, or filled, since the connection came.
            if (const NetJoinFailure refusal = Refusal(peer); refusal != NetJoinFailure::None)
            {
                enet_peer_disconnect_later(peer, static_cast<uint32_t>(refusal));
                return;
            }
            name = UniquePlayerName(name, NamesBut(names, 0));
            const NetPlayerId id = ++nextId;
            peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
            std::vector<uint8_t> welcome{kFrameWelcome};
            PutU32(welcome, id);
            PutU32(welcome, localId);
            PutU32(welcome, static_cast<uint32_t>(names.size()));
            for (const auto& [other, otherName] : names)
            {
                PutU32(welcome, other);
                PutName(welcome, otherName);
            }
            // Last, the name the player is known by here.
            PutName(welcome, name);
            SendFrame(peer, welcome, true);
            std::vector<uint8_t> created{kFrameCreated};
            PutU32(created, id);
            PutName(created, name);
            SendToPeers(created, true, 0);
            peers[id] = peer;
            names[id] = name;
            unintroduced[id] = Now();
            Push({NetMessage::Kind::PlayerCreated, id, {}});
            return;
        }
        if (from == 0)
            return;
        if (data[0] == kFrameApp)
        {
            uint32_t sender = 0;
            uint32_t to = 0;
            // The sender is who the connection says, whatever the frame claims.
            if (!in.U32(sender) || !in.U32(to))
                return;
            // Before anything is kept or relayed: a flood stops here.
            if (filter && !Admit(peer, from, filter->TakeMessage(from, NameOf(from), in.Rest(), in.RestSize(), Now())))
                return;
            std::vector<uint8_t> frame{kFrameApp};
            PutU32(frame, from);
            PutU32(frame, to);
            frame.insert(frame.end(), in.Rest(), in.Rest() + in.RestSize());
            if (to == kNetAllPlayers || to == localId)
                Push({NetMessage::Kind::App, from, std::vector<uint8_t>(in.Rest(), in.Rest() + in.RestSize())});
            if (to == kNetAllPlayers)
                SendToPeers(frame, reliable, from);
            else if (auto target = peers.find(to); target != peers.end() && to != from)
                SendFrame(target->second, frame, reliable);
        }
        else if (data[0] == kFrameName)
        {
            uint32_t id = 0;
            std::string name;
            if (!in.U32(id) || !in.Name(name))
                return;
            // Past the share, a rename is neither taken nor echoed.
            if (filter && !Admit(peer, from, filter->TakeRename(from, NameOf(from), Now())))
                return;
            name = UniquePlayerName(name, NamesBut(names, from));
            names[from] = name;
            std::vector<uint8_t> frame{kFrameName};
            PutU32(frame, from);
            PutName(frame, name);
            // The renamed player too: its own copy shows the name given here.
            SendToPeers(frame, true, 0);
        }
    }

    void ClientReceive(const uint8_t* data, size_t size)
    {
        FrameReader in(data, size);
        uint32_t id = 0;
        std::string name;
        switch (data[0])
        {
        case kFrameWelcome:
        {
            uint32_t hostPlayer = 0;
            uint32_t count = 0;
            if (welcomed || !in.U32(id) || !in.U32(hostPlayer) || !in.U32(count) || id == 0)
                return;
            for (uint32_t i = 0; i < count && i < kMaxSessionPlayers; ++i)
            {
                uint32_t other = 0;
                if (!in.U32(other) || !in.Name(name))
                    return;
                names[other] = name;
            }
            // The name the host gave this player, where it says.
            if (in.Name(name))
                names[id] = name;
            localId = id;
            hostId = hostPlayer;
            welcomed = true;
            break;
        }
        case kFrameApp:
        {
            uint32_t to = 0;
            if (!in.U32(id) || !in.U32(to) || (to != kNetAllPlayers && to != localId))
                return;
            Push({NetMessage::Kind::App, id, std::vector<uint8_t>(in.Rest(), in.Rest() + in.RestSize())});
            break;
        }
        case kFrameCreated:
            if (in.U32(id) && in.Name(name) && id != localId && names.size() < kMaxSessionPlayers)
            {
                names[id] = name;
                Push({NetMessage::Kind::PlayerCreated, id, {}});
            }
            break;
        case kFrameDestroyed:
            // Only this end's own Close removes the local player.
            if (in.U32(id) && id != localId && names.erase(id) != 0)
                Push({NetMessage::Kind::PlayerDestroyed, id, {}});
            break;
        case kFrameName:
            if (in.U32(id) && in.Name(name) && names.count(id) != 0)
            {
                names[id] = name;
                if (id == localId)
                    Push({NetMessage::Kind::Renamed, id, {}});
            }
            break;
        default:
            break;
        }
    }

    void HandleEvent(const ENetEvent& event)
    {
        switch (event.type)
        {
        case ENET_EVENT_TYPE_CONNECT:
            enet_peer_timeout(event.peer, 0, static_cast<enet_uint32>(timeoutMs), static_cast<enet_uint32>(timeoutMs));
            SendEveryMessage(event.peer);
            if (hosting)
            {
                event.peer->data = nullptr;
                if (const NetJoinFailure refusal = Refusal(event.peer); refusal != NetJoinFailure::None)
                    enet_peer_disconnect_later(event.peer, static_cast<uint32_t>(refusal));
                else
                    waiting[event.peer] = Now();
            }
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            if (event.packet->dataLength > 0 && event.packet->dataLength <= kNetMaxMessage + 16)
            {
                const bool reliable = (event.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0;
                if (hosting)
                    HostReceive(event.peer, event.packet->data, event.packet->dataLength, reliable);
                else
                    ClientReceive(event.packet->data, event.packet->dataLength);
            }
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (hosting)
            {
                const NetPlayerId id = PeerId(event.peer);
                event.peer->data = nullptr;
                waiting.erase(event.peer);
                RemovePlayer(id);
            }
            else if (event.peer == server)
            {
                if (!welcomed)
                    joinFailure = RefusalOf(event.data);
                // The host is gone, and with it the session.
                server = nullptr;
                for (const auto& [id, name] : names)
                    if (id != localId)
                        Push({NetMessage::Kind::PlayerDestroyed, id, {}});
                names.clear();
                // Nobody is left to wait for: this player carries on as the host of what remains,
                // as a session that moves its host would let it.
                if (localId != 0)
                {
                    hostId = localId;
                    Push({NetMessage::Kind::NewHost, localId, {}});
                }
            }
            break;
        default:
            break;
        }
    }

    // Host: why a newcomer cannot have a place now; the places held by connections that have
    // not joined count as taken.
    NetJoinFailure Refusal(const ENetPeer* peer) const
    {
        if (turnedAway.Holds(peer->address.host, Now()))
            return NetJoinFailure::TurnedAway;
        if (!joinable)
            return NetJoinFailure::Begun;
        if (static_cast<int32_t>(peers.size() + waiting.size()) + 1 >= maxPlayers)
            return NetJoinFailure::Full;
        return NetJoinFailure::None;
    }

    void DropSilentConnections()
    {
        const uint32_t now = Now();
        for (auto at = waiting.begin(); at != waiting.end();)
            if (now - at->second >= kJoinWaitMs)
            {
                enet_peer_disconnect_now(at->first, 0);
                at = waiting.erase(at);
            }
            else
                ++at;
    }

    void AnswerDiscovery()
    {
        if (discovery == ENET_SOCKET_NULL)
            return;
        uint8_t query[16];
        ENetAddress from;
        ENetBuffer buffer{query, sizeof(query)};
        while (enet_socket_receive(discovery, &from, &buffer, 1) > 0)
        {
            if (std::memcmp(query, kDiscoveryQuery, 4) != 0)
                continue;
            std::vector<uint8_t> answer(kDiscoveryAnswer, kDiscoveryAnswer + 4);
            ENetAddress bound{};
            enet_socket_get_address(host->socket, &bound);
            answer.push_back(static_cast<uint8_t>(bound.port));
            answer.push_back(static_cast<uint8_t>(bound.port >> 8));
            answer.push_back(static_cast<uint8_t>(names.size()));
            answer.push_back(static_cast<uint8_t>(maxPlayers));
            answer.push_back(joinable ? 1 : 0);
            PutName(answer, sessionName);
            // The players' names follow, for the set-up dialog's Players box.
            answer.push_back(static_cast<uint8_t>(names.size()));
            for (const auto& [id, name] : names)
                PutName(answer, name);
            ENetBuffer out{answer.data(), answer.size()};
            enet_socket_send(discovery, &from, &out, 1);
        }
    }

    // On the closing thread, which alone has the host now: what is queued for each peer goes
    // first (a leave sent just before must reach the others), then the disconnection; a peer
    // that has not answered within kCloseWaitMs is disconnected at once. Then the port is free.
    static void SendQueuedAndLeave(ENetHost* host, const std::vector<ENetPeer*>& open)
    {
        for (ENetPeer* peer : open)
            enet_peer_disconnect_later(peer, 0);
        const auto gone = [&open]
        {
            return std::all_of(open.begin(), open.end(),
                               [](const ENetPeer* peer) { return peer->state == ENET_PEER_STATE_DISCONNECTED; });
        };
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
        ENetEvent event;
        while (!gone() && std::chrono::steady_clock::now() < end)
            // Nothing received now is anyone's: the session is closing.
            if (enet_host_service(host, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
        for (ENetPeer* peer : open)
            if (peer->state != ENET_PEER_STATE_DISCONNECTED)
                enet_peer_disconnect_now(peer, 0);
        enet_host_flush(host);
        enet_host_destroy(host);
    }

    // Services the host until the condition holds or the time runs out (before the service
    // thread runs).
    template <class Done> bool ServiceUntil(Done done, int32_t ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done())
        {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            ENetEvent event;
            if (enet_host_service(host, &event, 10) > 0)
                HandleEvent(event);
        }
        return true;
    }

    void ServiceLoop()
    {
        while (!stop.load())
        {
            {
                std::lock_guard lock(mutex);
                ENetEvent event;
                ServiceStep(
                    [&]
                    {
                        if (host == nullptr || enet_host_service(host, &event, 0) <= 0)
                            return false;
                        HandleEvent(event);
                        return true;
                    });
                if (hosting && host != nullptr)
                {
                    DropSilentConnections();
                    LetGoUnintroduced();
                    AnswerDiscovery();
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kServiceStepMs));
        }
    }

    void StopService()
    {
        stop = true;
        if (service.joinable())
            service.join();
        stop = false;
    }

    void Reset()
    {
        if (discovery != ENET_SOCKET_NULL)
            enet_socket_destroy(discovery);
        discovery = ENET_SOCKET_NULL;
        if (host != nullptr)
            enet_host_destroy(host);
        host = nullptr;
        server = nullptr;
        hosting = welcomed = false;
        localId = hostId = 0;
        nextId = 1;
        names.clear();
        peers.clear();
        waiting.clear();
        if (filter)
            filter->Forget(kNetAllPlayers);
        heldBack = 0;
        turnedAway.Clear();
        unintroduced.clear();
        address.clear();
        joinable = true;
    }
};

EnetSession::EnetSession(int32_t peerTimeoutMs, const Clock* clock) : m_state(std::make_unique<State>())
{
    // Never destroyed: a session's clock must outlive it.
    static const SteadyClock* steady = new SteadyClock;
    m_state->timeoutMs = peerTimeoutMs;
    m_state->clock = clock != nullptr ? clock : steady;
    InitEnetOnce();
}

EnetSession::~EnetSession()
{
    Close();
    FinishClosing();
}

int32_t EnetSession::ServiceStep(const std::function<bool()>& next)
{
    // A flood would keep the loop here for good, and the game's thread out of the session with
    // it: the rest waits for the next step.
    int32_t handled = 0;
    while (handled < kEventsPerStep && next())
        ++handled;
    return handled;
}

void EnetSession::FinishClosing()
{
    if (m_state->closing.joinable())
        m_state->closing.join();
}

std::vector<NetSessionInfo> EnetSession::Enumerate(int32_t timeoutMs)
{
    std::vector<NetSessionInfo> found;
    ENetSocket socket = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (socket == ENET_SOCKET_NULL)
        return found;
    enet_socket_set_option(socket, ENET_SOCKOPT_BROADCAST, 1);
    enet_socket_set_option(socket, ENET_SOCKOPT_NONBLOCK, 1);
    ENetAddress broadcast{ENET_HOST_BROADCAST, kDiscoveryPort};
    ENetBuffer query{const_cast<char*>(kDiscoveryQuery), sizeof(kDiscoveryQuery)};
    enet_socket_send(socket, &broadcast, &query, 1);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (std::chrono::steady_clock::now() < end && found.size() < kMaxSessionPlayers)
    {
        // Header, session name and up to kMaxSessionPlayers names of at most kMaxName each.
        uint8_t answer[8 + (kMaxName + 1) * (kMaxSessionPlayers + 2)];
        ENetAddress from;
        ENetBuffer buffer{answer, sizeof(answer)};
        const int got = enet_socket_receive(socket, &from, &buffer, 1);
        if (got <= 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (got < 9 || std::memcmp(answer, kDiscoveryAnswer, 4) != 0)
            continue;
        FrameReader in(answer + 8, static_cast<size_t>(got) - 8);
        std::string name;
        if (!in.Name(name))
            continue;
        std::vector<std::string> players;
        uint8_t count = 0;
        if (in.U8(count))
            for (uint8_t i = 0; i < count && i < kMaxSessionPlayers; ++i)
            {
                std::string player;
                if (!in.Name(player))
                    break;
                players.push_back(std::move(player));
            }
        char ip[64] = {};
        enet_address_get_host_ip(&from, ip, sizeof(ip));
        const uint16_t port = static_cast<uint16_t>(answer[4] | answer[5] << 8);
        found.push_back(
            {name, std::string(ip) + ":" + std::to_string(port), answer[6], answer[7], answer[8] != 0, players});
    }
    enet_socket_destroy(socket);
    return found;
}

bool EnetSession::Host(const std::string& sessionName, const std::string& address, int32_t maxPlayers,
                       const std::string& playerName)
{
    Close();
    // The session closed last may still hold the port asked for.
    FinishClosing();
    State& s = *m_state;
    std::string hostName = "0.0.0.0";
    uint16_t port = kDefaultPort;
    if (!address.empty() && !SplitHostPort(address, hostName, port, kDefaultPort))
        return false;
    ENetAddress bind{};
    if (enet_address_set_host_ip(&bind, hostName.c_str()) != 0)
        return false;
    bind.port = port;
    const int32_t players = std::clamp(maxPlayers, 1, kMaxSessionPlayers);
    s.host = enet_host_create(&bind, static_cast<size_t>(std::max(players - 1, 1)) + kRefusalPeers, 2, 0, 0);
    if (s.host == nullptr)
        return false;
    ENetAddress bound{};
    enet_socket_get_address(s.host->socket, &bound);
    char ip[64] = {};
    enet_address_get_host_ip(&bound, ip, sizeof(ip));
    s.address = std::string(ip) + ":" + std::to_string(bound.port);
    s.hosting = true;
    s.sessionName = sessionName;
    s.maxPlayers = players;
    s.localId = s.hostId = 1;
    s.names[1] = playerName.substr(0, kMaxName);
    // Discovery is answered only where the host listens on every interface.
    if (hostName == "0.0.0.0")
    {
        s.discovery = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
        ENetAddress discoveryAddress{ENET_HOST_ANY, kDiscoveryPort};
        if (s.discovery != ENET_SOCKET_NULL)
        {
            enet_socket_set_option(s.discovery, ENET_SOCKOPT_REUSEADDR, 1);
            enet_socket_set_option(s.discovery, ENET_SOCKOPT_NONBLOCK, 1);
            if (enet_socket_bind(s.discovery, &discoveryAddress) != 0)
            {
                enet_socket_destroy(s.discovery);
                s.discovery = ENET_SOCKET_NULL;
            }
        }
    }
    s.service = std::thread([&s] { s.ServiceLoop(); });
    return true;
}

bool EnetSession::Join(const std::string& address, const std::string& playerName)
{
    Close();
    State& s = *m_state;
    s.joinFailure = NetJoinFailure::NotFound;
    std::string hostName;
    uint16_t port = 0;
    ENetAddress target{};
    if (!SplitHostPort(address, hostName, port, kDefaultPort) || enet_address_set_host(&target, hostName.c_str()) != 0)
        return false;
    target.port = port;
    s.host = enet_host_create(nullptr, 1, 2, 0, 0);
    if (s.host == nullptr)
        return false;
    s.server = enet_host_connect(s.host, &target, 2, 0);
    if (s.server == nullptr)
    {
        s.Reset();
        return false;
    }
    enet_peer_timeout(s.server, 0, static_cast<enet_uint32>(s.timeoutMs), static_cast<enet_uint32>(s.timeoutMs));
    bool connected = false;
    ENetEvent event;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectWaitMs);
    bool refused = false;
    while (!connected && !refused && std::chrono::steady_clock::now() < end)
        if (enet_host_service(s.host, &event, 10) > 0)
        {
            connected = event.type == ENET_EVENT_TYPE_CONNECT;
            refused = event.type == ENET_EVENT_TYPE_DISCONNECT;
            if (refused)
                s.joinFailure = RefusalOf(event.data);
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
        }
    if (!connected)
    {
        s.Reset();
        return false;
    }
    State::SendEveryMessage(s.server);
    std::vector<uint8_t> join{kFrameJoin};
    PutName(join, playerName);
    s.SendFrame(s.server, join, true);
    if (!s.ServiceUntil([&s] { return s.welcomed || s.server == nullptr; }, kConnectWaitMs) || !s.welcomed ||
        s.server == nullptr)
    {
        s.Reset();
        return false;
    }
    // Unless the host named the player otherwise.
    s.names.emplace(s.localId, playerName.substr(0, kMaxName));
    s.joinFailure = NetJoinFailure::None;
    s.address = address;
    s.service = std::thread([&s] { s.ServiceLoop(); });
    return true;
}

void EnetSession::Close()
{
    State& s = *m_state;
    s.StopService();
    if (s.host != nullptr)
    {
        std::vector<ENetPeer*> open;
        if (s.server != nullptr)
            open.push_back(s.server);
        for (const auto& [id, peer] : s.peers)
            open.push_back(peer);
        // A connection that has not joined yet is told too, rather than left to its time-out.
        for (const auto& [peer, since] : s.waiting)
            open.push_back(peer);
        // One closing at a time; the one before has had its second by now, or nearly.
        FinishClosing();
        s.closing = std::thread(State::SendQueuedAndLeave, s.host, std::move(open));
        // Reset leaves the host to the closing thread.
        s.host = nullptr;
    }
    s.Reset();
    Wake();
}

void EnetSession::Abandon()
{
    State& s = *m_state;
    s.StopService();
    // Destroying the host resets its peers without a word to them.
    s.Reset();
    Wake();
}

NetPlayerId EnetSession::GetLocalId() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->localId;
}

bool EnetSession::IsHost() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->hosting;
}

NetPlayerId EnetSession::GetHostId() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->hostId;
}

bool EnetSession::HasPlayer(NetPlayerId id) const
{
    std::lock_guard lock(m_state->mutex);
    return id != 0 && m_state->names.count(id) != 0;
}

std::string EnetSession::GetAddress() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->address;
}

std::string EnetSession::GetPlayerName(NetPlayerId id) const
{
    std::lock_guard lock(m_state->mutex);
    auto found = m_state->names.find(id);
    return found == m_state->names.end() ? std::string() : found->second;
}

bool EnetSession::SetPlayerName(const std::string& name)
{
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    if (s.localId == 0)
        return false;
    // A client's name stands until the host's answer gives the one it keeps.
    s.names[s.localId] = s.hosting ? UniquePlayerName(name, NamesBut(s.names, s.localId)) : name.substr(0, kMaxName);
    std::vector<uint8_t> frame{kFrameName};
    PutU32(frame, s.localId);
    PutName(frame, s.names[s.localId]);
    if (s.hosting)
        s.SendToPeers(frame, true, 0);
    else if (s.server != nullptr)
        s.SendFrame(s.server, frame, true);
    return true;
}

NetJoinFailure EnetSession::GetJoinFailure() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->joinFailure;
}

int64_t EnetSession::FramesHeldBack() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->heldBack;
}

bool EnetSession::SetRelayFilter(std::shared_ptr<NetRelayFilter> filter)
{
    std::lock_guard lock(m_state->mutex);
    m_state->filter = std::move(filter);
    return true;
}

int32_t EnetSession::SeatsNotIntroduced() const
{
    std::lock_guard lock(m_state->mutex);
    const State& s = *m_state;
    return static_cast<int32_t>(std::count_if(s.unintroduced.begin(), s.unintroduced.end(),
                                              [&s](const auto& seat)
                                              { return !s.filter || !s.filter->HasIntroduced(seat.first); }));
}

int32_t EnetSession::ConnectionsWaitingToJoin() const
{
    std::lock_guard lock(m_state->mutex);
    return static_cast<int32_t>(m_state->waiting.size());
}

void EnetSession::SetJoinable(bool joinable)
{
    std::lock_guard lock(m_state->mutex);
    m_state->joinable = joinable;
}

bool EnetSession::Send(NetPlayerId to, const uint8_t* data, size_t size, bool guaranteed)
{
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    if (s.host == nullptr || s.localId == 0 || size > kNetMaxMessage || (!s.hosting && s.server == nullptr))
        return false;
    std::vector<uint8_t> frame{kFrameApp};
    PutU32(frame, s.localId);
    PutU32(frame, to);
    frame.insert(frame.end(), data, data + size);
    if (!s.hosting)
        s.SendFrame(s.server, frame, guaranteed);
    else if (to == kNetAllPlayers)
        s.SendToPeers(frame, guaranteed, 0);
    else if (auto peer = s.peers.find(to); peer != s.peers.end())
        s.SendFrame(peer->second, frame, guaranteed);
    else
        return false;
    // The service thread sends it within a step: flushing here would have the game's frame send
    // whatever else the link owes, a flooding player's acknowledgements among it.
    return true;
}

bool EnetSession::Receive(NetMessage& out, int32_t timeoutMs)
{
    State& s = *m_state;
    std::unique_lock lock(s.inboxMutex);
    auto ready = [&s] { return !s.inbox.empty() || s.woken; };
    if (timeoutMs < 0)
        s.inboxReady.wait(lock, ready);
    else if (timeoutMs > 0)
        s.inboxReady.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (s.inbox.empty())
    {
        s.woken = false;
        return false;
    }
    out = std::move(s.inbox.front());
    s.inbox.pop_front();
    return true;
}

void EnetSession::Wake()
{
    {
        std::lock_guard lock(m_state->inboxMutex);
        m_state->woken = true;
    }
    m_state->inboxReady.notify_one();
}

} // namespace plat
