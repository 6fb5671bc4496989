#include "EnetSessionState.h"

#include "NetAddressRule.h"

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
#include <random>
#include <thread>

namespace plat
{

using namespace enetwire;

namespace
{

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

void EnetSession::State::Push(std::vector<NetMessage> messages)
{
    {
        std::lock_guard lock(inboxMutex);
        for (NetMessage& message : messages)
            inbox.push_back(std::move(message));
    }
    inboxReady.notify_one();
}

// Left to itself the library drops unguaranteed messages at random once round trips grow
// uneven, as they do on a busy computer: a chat line would vanish though the link is fine.
// The game's unguaranteed traffic is a few small messages a second, nothing to hold back.
void EnetSession::State::SendEveryMessage(ENetPeer* peer)
{
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_ACCELERATION, 0);
}

// A silent peer is taken for gone after the time-out (a connection not answered too). It is
// pinged often enough that copies notice a vanished host within a quarter of the time-out of
// each other.
void EnetSession::State::Time(ENetPeer* peer) const
{
    enet_peer_timeout(peer, 0, static_cast<enet_uint32>(timeoutMs), static_cast<enet_uint32>(timeoutMs));
    enet_peer_ping_interval(peer,
                            static_cast<enet_uint32>(std::clamp<int32_t>(timeoutMs / 4, 50, ENET_PEER_PING_INTERVAL)));
}

// Once connected.
void EnetSession::State::Configure(ENetPeer* peer) const
{
    Time(peer);
    SendEveryMessage(peer);
}

void EnetSession::State::SendFrame(ENetPeer* peer, const std::vector<uint8_t>& frame, bool reliable)
{
    ENetPacket* packet = enet_packet_create(frame.data(), frame.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (packet != nullptr && enet_peer_send(peer, reliable ? 0 : 1, packet) != 0)
        enet_packet_destroy(packet);
}

std::string EnetSession::State::NameOf(NetPlayerId id) const
{
    const auto found = names.find(id);
    return found == names.end() ? std::string() : found->second;
}

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
    s.Watch();
    ENetAddress bound{};
    enet_socket_get_address(s.host->socket, &bound);
    char ip[64] = {};
    enet_address_get_host_ip(&bound, ip, sizeof(ip));
    s.address = std::string(ip) + ":" + std::to_string(bound.port);
    s.hosting = true;
    s.sessionName = sessionName;
    s.maxPlayers = players;
    s.localId = s.hostId = s.lastId = 1;
    s.welcomed = true;
    s.names[1] = playerName.substr(0, kMaxName);
    s.token = NewSeatToken();
    s.digests[1] = DigestOf(s.token);
    std::random_device random;
    s.secret = uint64_t(random()) << 32 ^ random();
    // Discovery is answered only where the host listens on every interface.
    s.answersDiscovery = hostName == "0.0.0.0";
    if (s.answersDiscovery)
        s.OpenDiscovery();
    s.service = std::thread([&s] { s.ServiceLoop(); });
    return true;
}

bool EnetSession::Join(const std::string& address, const std::string& playerName)
{
    return Join(address, playerName, "");
}

bool EnetSession::Join(const std::string& address, const std::string& playerName, const std::string& bindAddress)
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
    // Every player listens, with room for the players, should it host after the host goes; the
    // host tells the others where (the address it sees, with no address translation between).
    const size_t places = static_cast<size_t>(kMaxSessionPlayers - 1) + kRefusalPeers;
    if (!bindAddress.empty())
    {
        std::string bindHost;
        uint16_t bindPort = 0;
        ENetAddress bind{};
        if (!SplitHostPort(bindAddress, bindHost, bindPort, 0) ||
            enet_address_set_host_ip(&bind, bindHost.c_str()) != 0)
            return false;
        bind.port = bindPort;
        s.host = enet_host_create(&bind, places, 2, 0, 0);
    }
    else
        // At a port a player can know and open: the first free of a few above the session's.
        for (const uint16_t listen : JoinerListenPorts(port))
        {
            ENetAddress any{ENET_HOST_ANY, listen};
            if ((s.host = enet_host_create(&any, places, 2, 0, 0)) != nullptr)
                break;
        }
    if (s.host == nullptr)
    {
        if (bindAddress.empty())
            s.joinFailure = NetJoinFailure::NoPort;
        return false;
    }
    s.Watch();
    s.server = enet_host_connect(s.host, &target, 2, 0);
    if (s.server == nullptr)
    {
        s.Reset();
        return false;
    }
    s.Time(s.server);
    bool connected = false;
    ENetEvent event;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectWaitMs);
    bool refused = false;
    while (!connected && !refused && std::chrono::steady_clock::now() < end)
        if (enet_host_service(s.host, &event, 10) > 0)
        {
            // Another connection, to this player's own port, waits as any would.
            if (event.peer != s.server)
            {
                s.HandleEvent(event);
                continue;
            }
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
    s.Configure(s.server);
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
        for (const auto& [peer, player] : s.early)
            open.push_back(peer);
        for (const auto& [id, ask] : s.asks)
            if (ask.peer != nullptr)
                open.push_back(ask.peer);
        // One closing at a time; the one before has had its second by now, or nearly.
        FinishClosing();
        State::Unwatch(s.host);
        s.host->intercept = nullptr;
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
    else if (s.rejoining)
        s.outbox.push_back({kNetAllPlayers, frame});
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
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    if (s.joinable == joinable)
        return;
    s.joinable = joinable;
    // The players keep the door's state for whoever hosts next.
    if (s.hosting)
        s.SendToPeers({kFrameDoor, static_cast<uint8_t>(joinable ? 1 : 0)}, true, 0);
}

uint64_t EnetSession::SecretForTests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->secret;
}

namespace
{

// The session each host is screened for; a host is serviced only by the thread that holds its
// session (its lock, or the join before the service starts), so the screen reads the session as
// that thread does.
std::mutex g_watchedMutex;
std::map<const ENetHost*, void*> g_watched;

bool SameAddress(const ENetAddress& a, const ENetAddress& b)
{
    return a.host == b.host && a.port == b.port;
}

} // namespace

void EnetSession::State::Watch()
{
    {
        std::lock_guard lock(g_watchedMutex);
        g_watched[host] = this;
    }
    host->intercept = Screen;
}

void EnetSession::State::Unwatch(const ENetHost* host)
{
    std::lock_guard lock(g_watchedMutex);
    g_watched.erase(host);
}

int ENET_CALLBACK EnetSession::State::Screen(ENetHost* host, ENetEvent* /*event*/)
{
    State* s = nullptr;
    {
        std::lock_guard lock(g_watchedMutex);
        const auto found = g_watched.find(host);
        if (found == g_watched.end())
            return 0;
        s = static_cast<State*>(found->second);
    }
    const ENetAddress& from = host->receivedAddress;
    for (const ENetAddress& dropped : s->dropForTests)
        if (SameAddress(dropped, from))
            return 1;
    // Only a datagram to no peer yet asks for a place; the others go to a place already given.
    const uint8_t* data = host->receivedData;
    const size_t size = host->receivedDataLength;
    uint16_t peerField = 0;
    if (size < sizeof(peerField))
        return 0;
    std::memcpy(&peerField, data, sizeof(peerField));
    peerField = ENET_NET_TO_HOST_16(peerField);
    const uint16_t peerId = peerField & ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK);
    if (peerId != ENET_PROTOCOL_MAXIMUM_PEER_ID)
        return 0;
    // A refused link from the same place still ending would end the new one: its end is the new
    // link's to the library, which knows a link by place and number alone.
    for (size_t i = 0; i < host->peerCount; ++i)
    {
        ENetPeer* old = &host->peers[i];
        if (SameAddress(old->address, from) && old->data == nullptr && old != s->server && s->AskedBy(old) == 0 &&
            s->waiting.count(old) == 0 && s->early.count(old) == 0 &&
            (old->state == ENET_PEER_STATE_DISCONNECT_LATER || old->state == ENET_PEER_STATE_DISCONNECTING ||
             old->state == ENET_PEER_STATE_ACKNOWLEDGING_DISCONNECT))
            enet_peer_reset(old);
    }
    if (s->Listed(from))
        return 0;
    // In a move, a stranger gets no place unless its connection bears the session's mark: a copy of
    // the session that no list carries (welcomed just before the host went), seated anew.
    if (s->InMove())
    {
        const size_t headerSize =
            (peerField & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) != 0 ? sizeof(ENetProtocolHeader) : sizeof(peerField);
        ENetProtocolConnect connect{};
        if (size < headerSize + sizeof(connect))
            return s->DropStranger();
        std::memcpy(&connect, data + headerSize, sizeof(connect));
        if ((connect.header.command & ENET_PROTOCOL_COMMAND_MASK) != ENET_PROTOCOL_COMMAND_CONNECT ||
            ENET_NET_TO_HOST_32(connect.data) != s->Mark())
            return s->DropStranger();
    }
    return s->TakesStranger() ? 0 : s->DropStranger();
}

// A player's address and port, as a list this copy holds or a proven rejoin in this move carried.
bool EnetSession::State::Listed(const ENetAddress& at) const
{
    for (const auto& [id, listed] : where)
        if (SameAddress(listed, at))
            return true;
    for (const ENetAddress& listed : hostsAt)
        if (SameAddress(listed, at))
            return true;
    return std::any_of(heardWhere.begin(), heardWhere.end(),
                       [&at](const ENetAddress& listed) { return SameAddress(listed, at); });
}

// Looking for a host, or hosting and awaiting players of a move (not those lost to silence alone).
bool EnetSession::State::InMove() const
{
    return rejoining || (hosting && std::any_of(awaited.begin(), awaited.end(),
                                                [](const auto& wait) { return !wait.second.silent; }));
}

// A stranger's connection may have a place: the refusal places at most.
bool EnetSession::State::TakesStranger() const
{
    size_t strangers = 0;
    for (size_t i = 0; i < host->peerCount; ++i)
    {
        const ENetPeer& peer = host->peers[i];
        if (peer.state != ENET_PEER_STATE_DISCONNECTED && &peer != server && AskedBy(&peer) == 0 &&
            !Listed(peer.address))
            ++strangers;
    }
    return strangers < kRefusalPeers;
}

// A rejoin that proves its seat here: where the players it knows listen count as listed for this move.
void EnetSession::State::HearWhere(const RejoinFrame& rejoin)
{
    const auto held = digests.find(rejoin.id);
    if (rejoin.key != secret || held == digests.end() || !SameDigest(DigestOf(rejoin.token), held->second))
        return;
    for (const auto& [id, at] : rejoin.where)
        if (heardWhere.size() < static_cast<size_t>(kMaxSessionPlayers) && !Listed(at))
            heardWhere.push_back(at);
}

int64_t EnetSession::StrangersDroppedForTests() const
{
    return m_state->strangersDropped.load();
}

std::string EnetSession::ListenAddressForTests() const
{
    std::lock_guard lock(m_state->mutex);
    ENetAddress bound{};
    if (m_state->host == nullptr || enet_socket_get_address(m_state->host->socket, &bound) != 0)
        return {};
    char ip[64] = {};
    enet_address_get_host_ip(&bound, ip, sizeof(ip));
    return std::string(ip) + ":" + std::to_string(bound.port);
}

bool EnetSession::DropDatagramsFromForTests(const std::string& address)
{
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    std::string hostName;
    uint16_t port = 0;
    ENetAddress from{};
    if (s.host == nullptr || !SplitHostPort(address, hostName, port, kDefaultPort) ||
        enet_address_set_host_ip(&from, hostName.c_str()) != 0)
        return false;
    from.port = port;
    s.dropForTests.push_back(from);
    return true;
}

void EnetSession::TakeForGoneForTests(NetPlayerId id)
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->host != nullptr)
        m_state->TakeForGone(id);
}

void EnetSession::FreezeForTests(bool frozen)
{
    m_state->frozen = frozen;
}

bool EnetSession::IsMovingForTests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->rejoining;
}

std::vector<NetPlayerId> EnetSession::UnansweredForTests() const
{
    std::lock_guard lock(m_state->mutex);
    std::vector<NetPlayerId> out;
    for (const auto& [id, ask] : m_state->asks)
        if (ask.answer == State::Ask::Answer::None)
            out.push_back(id);
    return out;
}

bool EnetSession::Send(NetPlayerId to, const uint8_t* data, size_t size, bool guaranteed)
{
    State& s = *m_state;
    std::lock_guard lock(s.mutex);
    if (s.host == nullptr || s.localId == 0 || size > kNetMaxMessage ||
        (!s.hosting && !s.rejoining && s.server == nullptr))
        return false;
    std::vector<uint8_t> frame{kFrameApp};
    PutU32(frame, s.localId);
    PutU32(frame, to);
    PutU32(frame, guaranteed ? ++s.sendNumber : 0);
    frame.insert(frame.end(), data, data + size);
    if (guaranteed)
        s.Remember(to, frame);
    if (s.rejoining)
    {
        // Guaranteed messages wait for the new host once this player is back. The others are not
        // sent, and say so: a burst of stale ones would be taken for a flood there, but a caller
        // may want one of them kept (it can send it guaranteed).
        if (!guaranteed || (to != kNetAllPlayers && s.names.count(to) == 0) ||
            s.outboxBytes + frame.size() > State::kHeldBytes)
            return false;
        s.outboxBytes += frame.size();
        s.outbox.push_back({to, std::move(frame)});
    }
    else if (!s.hosting)
        s.SendFrame(s.server, frame, guaranteed);
    else if (to == kNetAllPlayers)
        s.SendToPeers(frame, guaranteed, 0);
    else if (!s.SendTo(to, frame, guaranteed))
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
