// The events of a session over UDP, a player's side of it, and the host's move: when the host
// goes, the lowest id left hosts on every copy, and the others come back to it.
#include "EnetSessionState.h"

#include "DebugOutput.h"

#include <arpa/inet.h>

namespace plat
{

using namespace enetwire;

namespace
{

std::string AddressText(const ENetAddress& address)
{
    char ip[64] = {};
    enet_address_get_host_ip(&address, ip, sizeof(ip));
    return std::string(ip) + ":" + std::to_string(address.port);
}

bool IsLoopback(const ENetAddress& address)
{
    return (ntohl(address.host) >> 24) == 127;
}

} // namespace

void EnetSession::State::HandleEvent(const ENetEvent& event)
{
    switch (event.type)
    {
    case ENET_EVENT_TYPE_CONNECT:
        Configure(event.peer);
        if (event.peer == server)
        {
            // Reached the new host: this player proves it belongs and asks for its place back.
            std::vector<uint8_t> frame{kFrameRejoin};
            PutU64(frame, secret);
            PutU32(frame, localId);
            PutName(frame, NameOf(localId));
            SendFrame(server, frame, true);
            break;
        }
        event.peer->data = nullptr;
        waiting[event.peer] = Now();
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        if (event.packet->dataLength > 0 && event.packet->dataLength <= kNetMaxMessage + 16)
        {
            const bool reliable = (event.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0;
            if (event.peer == server)
                ClientReceive(event.packet->data, event.packet->dataLength);
            else if (hosting)
                HostReceive(event.peer, event.packet->data, event.packet->dataLength, reliable);
            else
                IncomingReceive(event.peer, event.packet->data, event.packet->dataLength);
        }
        enet_packet_destroy(event.packet);
        break;
    case ENET_EVENT_TYPE_DISCONNECT:
        if (event.peer == server)
        {
            server = nullptr;
            if (!welcomed)
                joinFailure = RefusalOf(event.data);
            // Let go, or refused by the new host: no longer of the session.
            else if (event.data == kLetGo || (rejoining && event.data != 0))
                GoAlone();
            // A leave, a time-out, or a new host that never answered: that host is gone.
            else
                HostGone();
            break;
        }
        waiting.erase(event.peer);
        early.erase(event.peer);
        if (hosting)
        {
            const NetPlayerId id = static_cast<NetPlayerId>(reinterpret_cast<uintptr_t>(event.peer->data));
            event.peer->data = nullptr;
            RemovePlayer(id);
        }
        break;
    default:
        break;
    }
}

// A player listed at a loopback address is on the computer of the host that listed it.
ENetAddress EnetSession::State::Reached(ENetAddress listed) const
{
    if (server != nullptr && IsLoopback(listed) && !IsLoopback(server->address))
        listed.host = server->address.host;
    return listed;
}

// The host's list, in a welcome: the first when joining, or the new host's when coming back to
// it, which this copy's own list then follows (players it let go, or joined meanwhile).
void EnetSession::State::TakeList(const uint8_t* data, size_t size)
{
    FrameReader in(data, size);
    uint32_t id = 0;
    uint32_t hostPlayer = 0;
    uint32_t count = 0;
    if (!in.U32(id) || !in.U32(hostPlayer) || !in.U32(count) || id == 0 || hostPlayer == 0)
        return;
    std::map<NetPlayerId, std::string> listed;
    std::map<NetPlayerId, ENetAddress> at;
    std::string name;
    ENetAddress seen{};
    for (uint32_t i = 0; i < count && i < kMaxSessionPlayers; ++i)
    {
        uint32_t other = 0;
        if (!in.U32(other) || !in.Name(name) || !in.Address(seen))
            return;
        listed[other] = name;
        at[other] = Reached(seen);
    }
    uint64_t key = 0;
    uint32_t last = 0;
    uint8_t places = 0;
    uint8_t door = 0;
    uint8_t answers = 0;
    std::string session;
    if (!in.Name(name) || !in.Address(seen) || !in.U64(key) || !in.U32(last) || !in.U8(places) || !in.U8(door) ||
        !in.U8(answers) || !in.Name(session) || (rejoining && id != localId))
        return;
    listed[id] = name;
    at[id] = Reached(seen);
    if (rejoining)
    {
        std::vector<NetMessage> news;
        for (const auto& [other, otherName] : names)
            if (listed.count(other) == 0)
                news.push_back({NetMessage::Kind::PlayerDestroyed, other, {}});
        for (const auto& [other, otherName] : listed)
            if (names.count(other) == 0)
                news.push_back({NetMessage::Kind::PlayerCreated, other, {}});
        if (listed[id] != NameOf(id))
            news.push_back({NetMessage::Kind::Renamed, id, {}});
        Push(std::move(news));
        rejoining = false;
    }
    names = std::move(listed);
    where = std::move(at);
    localId = id;
    hostId = hostPlayer;
    secret = key;
    lastId = std::max<NetPlayerId>(lastId, last);
    maxPlayers = std::clamp<int32_t>(places, 1, kMaxSessionPlayers);
    joinable = door != 0;
    answersDiscovery = answers != 0;
    sessionName = session;
    welcomed = true;
    // What this player said while it came back.
    for (const Held& held : outbox)
        SendFrame(server, held.frame, true);
    outbox.clear();
    outboxBytes = 0;
}

void EnetSession::State::ClientReceive(const uint8_t* data, size_t size)
{
    FrameReader in(data, size);
    uint32_t id = 0;
    std::string name;
    switch (data[0])
    {
    case kFrameWelcome:
        if (!welcomed || rejoining)
            TakeList(data, size);
        break;
    case kFrameApp:
    {
        uint32_t to = 0;
        if (!in.U32(id) || !in.U32(to) || (to != kNetAllPlayers && to != localId))
            return;
        Push({NetMessage::Kind::App, id, std::vector<uint8_t>(in.Rest(), in.Rest() + in.RestSize())});
        break;
    }
    case kFrameCreated:
    {
        ENetAddress seen{};
        if (in.U32(id) && in.Name(name) && in.Address(seen) && id != localId &&
            (names.count(id) != 0 || names.size() < kMaxSessionPlayers))
        {
            const bool added = names.count(id) == 0;
            names[id] = name;
            where[id] = Reached(seen);
            lastId = std::max(lastId, id);
            if (added)
                Push({NetMessage::Kind::PlayerCreated, id, {}});
        }
        break;
    }
    case kFrameDestroyed:
        // Only this end's own Close removes the local player.
        if (in.U32(id) && id != localId && names.erase(id) != 0)
        {
            where.erase(id);
            RefuseEarly(id);
            Push({NetMessage::Kind::PlayerDestroyed, id, {}});
        }
        break;
    case kFrameName:
        if (in.U32(id) && in.Name(name) && names.count(id) != 0)
        {
            names[id] = name;
            if (id == localId)
                Push({NetMessage::Kind::Renamed, id, {}});
        }
        break;
    case kFrameDoor:
    {
        uint8_t door = 0;
        if (in.U8(door))
            joinable = door != 0;
        break;
    }
    default:
        break;
    }
}

// A player's copy, not hosting, reached by another: a player of the session that found the host
// gone before this copy, which hosts next, has noticed. It is held until this copy notices (and
// seats it), hears from the host that it has left (and refuses it), or waits too long.
void EnetSession::State::IncomingReceive(ENetPeer* peer, const uint8_t* data, size_t size)
{
    if ((data[0] != kFrameRejoin && data[0] != kFrameJoin) || waiting.erase(peer) == 0)
        return;
    FrameReader in(data, size);
    uint64_t key = 0;
    uint32_t id = 0;
    std::string name;
    const bool member = data[0] == kFrameRejoin && in.U64(key) && in.U32(id) && in.Name(name) && key == secret &&
                        id != localId && id != hostId && names.count(id) != 0;
    if (!member || !welcomed || rejoining || NextHost() != localId)
    {
        // Nobody hosts a session here.
        enet_peer_disconnect_later(peer, static_cast<uint32_t>(NetJoinFailure::NotFound));
        return;
    }
    early[peer] = {id, name, Steady::now() + MoveWait()};
    // The player's host may be this one's too: hear sooner whether it still answers.
    if (server != nullptr)
        enet_peer_ping(server);
}

// Who hosts when the host goes: the lowest id left, on every copy alike.
NetPlayerId EnetSession::State::NextHost() const
{
    for (const auto& [id, name] : names)
        if (id != hostId)
            return id;
    return 0;
}

// The host has gone (or the new host a player was coming back to never answered): every copy
// hears of it and of the new host at one step, and this copy hosts or comes back to the new host.
void EnetSession::State::HostGone()
{
    for (;;)
    {
        const NetPlayerId old = hostId;
        const NetPlayerId next = NextHost();
        names.erase(old);
        where.erase(old);
        hostId = next != 0 ? next : localId;
        Push({{NetMessage::Kind::PlayerDestroyed, old, {}}, {NetMessage::Kind::NewHost, hostId, {}}});
        if (hostId == localId)
        {
            BecomeHost();
            return;
        }
        if (ComeBackTo(hostId))
            return;
    }
}

// This copy hosts now: it waits for the others to come back, and answers discovery where the
// first host did.
void EnetSession::State::BecomeHost()
{
    hosting = true;
    rejoining = false;
    server = nullptr;
    hostId = localId;
    const auto until = Steady::now() + MoveWait();
    awaited.clear();
    for (const auto& [id, name] : names)
        if (id != localId)
            awaited[id].until = until;
    for (const auto& [peer, player] : early)
        if (awaited.count(player.id) != 0)
            TakeBack(peer, player.id, player.name);
        else
            enet_peer_disconnect_later(peer, static_cast<uint32_t>(NetJoinFailure::NotFound));
    early.clear();
    // What this player said for a host that has gone goes to the players instead.
    for (const Held& held : outbox)
        if (held.to == kNetAllPlayers)
            SendToPeers(held.frame, true, 0);
        else
            SendTo(held.to, held.frame, true);
    outbox.clear();
    outboxBytes = 0;
    if (answersDiscovery && discovery == ENET_SOCKET_NULL)
        OpenDiscovery();
    if (const auto own = where.find(localId); own != where.end())
        address = AddressText(own->second);
}

// Connects to the new host; false when it cannot even be tried.
bool EnetSession::State::ComeBackTo(NetPlayerId next)
{
    const auto at = where.find(next);
    if (at == where.end() || at->second.host == 0 || at->second.port == 0)
        return false;
    server = enet_host_connect(host, &at->second, 2, 0);
    if (server == nullptr)
        return false;
    Time(server);
    rejoining = true;
    // A backstop: the new host answers or refuses within its own wait.
    rejoinUntil = Steady::now() + 2 * MoveWait();
    address = AddressText(at->second);
    return true;
}

// Let go, or refused by the new host: this copy goes on alone, as the host of a session of its own.
void EnetSession::State::GoAlone()
{
    if (server != nullptr)
        enet_peer_reset(server);
    server = nullptr;
    const NetPlayerId old = hostId;
    std::vector<NetMessage> news;
    for (const auto& [id, name] : names)
        if (id != localId && id != old)
            news.push_back({NetMessage::Kind::PlayerDestroyed, id, {}});
    if (old != localId)
        news.push_back({NetMessage::Kind::PlayerDestroyed, old, {}});
    news.push_back({NetMessage::Kind::NewHost, localId, {}});
    const std::string own = NameOf(localId);
    names = {{localId, own}};
    for (auto at = where.begin(); at != where.end();)
        at = at->first == localId ? std::next(at) : where.erase(at);
    hostId = localId;
    Push(std::move(news));
    BecomeHost();
}

void EnetSession::State::RefuseEarly(NetPlayerId id)
{
    for (auto at = early.begin(); at != early.end();)
        if (at->second.id == id)
        {
            enet_peer_disconnect_later(at->first, static_cast<uint32_t>(NetJoinFailure::NotFound));
            at = early.erase(at);
        }
        else
            ++at;
}

void EnetSession::State::CheckMoveTimes()
{
    const auto now = Steady::now();
    if (hosting)
        LetGoLost();
    for (auto at = early.begin(); at != early.end();)
        if (at->second.until <= now)
        {
            enet_peer_disconnect_later(at->first, static_cast<uint32_t>(NetJoinFailure::NotFound));
            at = early.erase(at);
        }
        else
            ++at;
    if (rejoining && now >= rejoinUntil)
        GoAlone();
}

// On the closing thread, which alone has the host now: what is queued for each peer goes
// first (a leave sent just before must reach the others), then the disconnection; a peer
// that has not answered within kCloseWaitMs is disconnected at once. Then the port is free.
void EnetSession::State::SendQueuedAndLeave(ENetHost* host, const std::vector<ENetPeer*>& open)
{
    for (ENetPeer* peer : open)
        enet_peer_disconnect_later(peer, 0);
    const auto gone = [&open]
    {
        return std::all_of(open.begin(), open.end(),
                           [](const ENetPeer* peer) { return peer->state == ENET_PEER_STATE_DISCONNECTED; });
    };
    const auto end = Steady::now() + std::chrono::milliseconds(kCloseWaitMs);
    ENetEvent event;
    while (!gone() && Steady::now() < end)
        // Nothing received now is anyone's: the session is closing.
        if (enet_host_service(host, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_RECEIVE)
            enet_packet_destroy(event.packet);
    for (ENetPeer* peer : open)
        if (peer->state != ENET_PEER_STATE_DISCONNECTED)
            enet_peer_disconnect_now(peer, 0);
    enet_host_flush(host);
    enet_host_destroy(host);
}

void EnetSession::State::ServiceLoop()
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
            if (host != nullptr)
            {
                DropSilentConnections();
                CheckMoveTimes();
                if (hosting)
                {
                    LetGoUnintroduced();
                    AnswerDiscovery();
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kServiceStepMs));
    }
}

void EnetSession::State::StopService()
{
    stop = true;
    if (service.joinable())
        service.join();
    stop = false;
}

void EnetSession::State::Reset()
{
    if (discovery != ENET_SOCKET_NULL)
        enet_socket_destroy(discovery);
    discovery = ENET_SOCKET_NULL;
    if (host != nullptr)
        enet_host_destroy(host);
    host = nullptr;
    server = nullptr;
    hosting = welcomed = rejoining = answersDiscovery = false;
    localId = hostId = 0;
    lastId = 1;
    secret = 0;
    names.clear();
    where.clear();
    peers.clear();
    waiting.clear();
    awaited.clear();
    early.clear();
    outbox.clear();
    outboxBytes = 0;
    if (filter)
        filter->Forget(kNetAllPlayers);
    heldBack = 0;
    turnedAway.Clear();
    unintroduced.clear();
    address.clear();
    joinable = true;
}

} // namespace plat
