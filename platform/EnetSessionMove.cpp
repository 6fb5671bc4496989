// The events of a session over UDP, a player's side of it, and the host's move: when the host
// goes, the copies ask each other, and the lowest id among those that answer hosts.
#include "EnetSessionState.h"

#include "DebugOutput.h"
#include "NetAddressRule.h"

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

} // namespace

void EnetSession::State::HandleEvent(const ENetEvent& event)
{
    switch (event.type)
    {
    case ENET_EVENT_TYPE_CONNECT:
        Configure(event.peer);
        event.peer->data = nullptr;
        if (const NetPlayerId asked = AskedBy(event.peer); asked != 0)
        {
            // Reached a copy this one asks during a move: it says who it is and whom it moves from.
            std::vector<uint8_t> frame{kFrameRejoin};
            PutU64(frame, secret);
            PutU32(frame, localId);
            PutName(frame, NameOf(localId));
            PutU32(frame, movedFrom);
            PutU32(frame, Due(moveUntil) ? 0 : moveUntil - Now());
            PutBytes(frame, token);
            PutU32(frame, lastId);
            PutDigests(frame, digests);
            PutWhere(frame, where);
            SendFrame(event.peer, frame, true);
            break;
        }
        waiting[event.peer] = Now();
        break;
    case ENET_EVENT_TYPE_RECEIVE:
        if (event.packet->dataLength > 0 && event.packet->dataLength <= kNetMaxMessage + 16)
        {
            const bool reliable = (event.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0;
            if (event.peer == server)
                ClientReceive(event.packet->data, event.packet->dataLength);
            else if (const NetPlayerId asked = AskedBy(event.peer); asked != 0)
                AskReceive(asked, event.peer, event.packet->data, event.packet->dataLength);
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
            // Let go for a flood: no longer of the session.
            else if (event.data == kLetGo)
                GoAlone();
            // A leave is final; silence or a move heard of may end with the host back as a player.
            else
                StartMove(hostId, event.data == kLeave);
            break;
        }
        if (const NetPlayerId asked = AskedBy(event.peer); asked != 0)
        {
            AskLost(asked, event.data);
            break;
        }
        waiting.erase(event.peer);
        early.erase(event.peer);
        if (hosting)
        {
            const NetPlayerId id = static_cast<NetPlayerId>(reinterpret_cast<uintptr_t>(event.peer->data));
            event.peer->data = nullptr;
            if (event.data == 0)
                LoseToSilence(id);
            else if (event.data == kMoved && peers.count(id) != 0)
            {
                // A player has heard that the host moves away from here.
                peers.erase(id);
                StepDown();
            }
            else
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
    if (server != nullptr)
        listed.host = ReachedAddress(listed.host, server->address.host);
    return listed;
}

// The host's list, in a welcome: the first when joining, or the new host's when coming back to
// it, which this copy's own list then follows (players it let go, or joined meanwhile).
bool EnetSession::State::TakeList(const uint8_t* data, size_t size)
{
    FrameReader in(data, size);
    uint32_t id = 0;
    uint32_t hostPlayer = 0;
    uint32_t count = 0;
    if (!in.U32(id) || !in.U32(hostPlayer) || !in.U32(count) || id == 0 || hostPlayer == 0)
        return false;
    std::map<NetPlayerId, std::string> listed;
    std::map<NetPlayerId, ENetAddress> at;
    std::string name;
    ENetAddress seen{};
    for (uint32_t i = 0; i < count && i < kMaxSessionPlayers; ++i)
    {
        uint32_t other = 0;
        // Checked as any frame from a peer: no id 0, none twice, not the copy's own among the others.
        if (!in.U32(other) || !in.Name(name) || !in.Address(seen) || other == 0 || other == id ||
            listed.count(other) != 0)
            return false;
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
        !in.U8(answers) || !in.Name(session))
        return false;
    // No id above the highest it says was given, and a host among the players.
    if (id > last || (!listed.empty() && listed.rbegin()->first > last) ||
        (hostPlayer != id && listed.count(hostPlayer) == 0))
        return false;
    // The seat's token (a newcomer's) and every seat's digest, where the host gives them.
    SeatToken given{};
    std::map<NetPlayerId, SeatDigest> table;
    if (!in.AtEnd() && (!in.Bytes(given) || !in.Digests(table)))
        return false;
    struct Turned
    {
        ENetAddress at{};
        uint32_t leftMs = 0;
        uint32_t letGo = 0;
    };
    std::vector<Turned> turned;
    uint8_t turnedCount = 0;
    if (!in.AtEnd() && (!in.U8(turnedCount) || turnedCount > NetTurnAways::kMaxAddresses))
        return false;
    for (uint8_t i = 0; i < turnedCount; ++i)
    {
        Turned place;
        if (!in.Address(place.at) || !in.U32(place.leftMs) || !in.U32(place.letGo))
            return false;
        turned.push_back(place);
    }
    const bool seatedAnew = given != SeatToken{};
    // Coming back, the welcome names this copy's own id, unless it seats the copy anew.
    if (rejoining && id != localId && !seatedAnew)
        return false;
    listed[id] = name;
    at[id] = Reached(seen);
    const bool seatedAgain = rejoining;
    if (rejoining)
    {
        // A copy seated anew has a new id: its game reads GetLocalId again at NewHost.
        std::vector<NetMessage> news;
        for (const auto& [other, otherName] : names)
            if (listed.count(other) == 0 && other != localId)
                news.push_back({NetMessage::Kind::PlayerDestroyed, other, {}});
        for (const auto& [other, otherName] : listed)
            if (names.count(other) == 0 && other != id)
                news.push_back({NetMessage::Kind::PlayerCreated, other, {}});
        if (listed[id] != NameOf(localId))
            news.push_back({NetMessage::Kind::Renamed, id, {}});
        news.push_back({NetMessage::Kind::NewHost, hostPlayer, {}});
        Push(std::move(news));
        rejoining = false;
        asks.clear();
        pointedTo = 0;
    }
    names = std::move(listed);
    where = std::move(at);
    localId = id;
    if (seatedAnew)
        token = given;
    digests = std::move(table);
    if (server != nullptr && !Listed(server->address) && hostsAt.size() < static_cast<size_t>(kMaxSessionPlayers))
        hostsAt.push_back(server->address);
    for (const Turned& place : turned)
        turnedAway.Hear(NetTurnAways::Key(place.at.host, place.at.port), place.leftMs, place.letGo, Now());
    hostId = hostPlayer;
    secret = key;
    lastId = std::max<NetPlayerId>(lastId, last);
    maxPlayers = std::clamp<int32_t>(places, 1, kMaxSessionPlayers);
    joinable = door != 0;
    answersDiscovery = answers != 0;
    sessionName = session;
    welcomed = true;
    // What this player sent in the last M (its messages while it came back among them), then its
    // other frames since.
    if (seatedAgain)
        SendRemembered();
    for (const Held& held : outbox)
        if (held.frame[0] != kFrameApp)
            SendFrame(server, held.frame, true);
    outbox.clear();
    outboxBytes = 0;
    return true;
}

void EnetSession::State::ClientReceive(const uint8_t* data, size_t size)
{
    FrameReader in(data, size);
    uint32_t id = 0;
    std::string name;
    switch (data[0])
    {
    case kFrameWelcome:
        // A welcome that cannot be ends the join at once, as finding no game.
        if (!welcomed && !TakeList(data, size))
        {
            enet_peer_disconnect_now(server, static_cast<uint32_t>(NetJoinFailure::NotFound));
            server = nullptr;
            joinFailure = NetJoinFailure::NotFound;
        }
        break;
    case kFrameApp:
    {
        uint32_t to = 0;
        uint32_t number = 0;
        if (!in.U32(id) || !in.U32(to) || !in.U32(number) || (to != kNetAllPlayers && to != localId) ||
            Seen(id, number))
            return;
        Push({NetMessage::Kind::App, id, std::vector<uint8_t>(in.Rest(), in.Rest() + in.RestSize())});
        break;
    }
    case kFrameCreated:
    {
        ENetAddress seen{};
        SeatDigest digest{};
        if (in.U32(id) && in.Name(name) && in.Address(seen) && id != localId &&
            (names.count(id) != 0 || names.size() < kMaxSessionPlayers))
        {
            if (in.Bytes(digest))
                digests[id] = digest;
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
    case kFrameTurnedAway:
    {
        ENetAddress at{};
        uint32_t left = 0;
        uint32_t count = 0;
        if (in.Address(at) && in.U32(left) && in.U32(count))
            turnedAway.Hear(NetTurnAways::Key(at.host, at.port), left, count, Now());
        break;
    }
    default:
        break;
    }
}

// Which of this copy's asks in a move the link is (0: none).
NetPlayerId EnetSession::State::AskedBy(const ENetPeer* peer) const
{
    for (const auto& [id, ask] : asks)
        if (ask.peer == peer && peer != nullptr)
            return id;
    return 0;
}

std::vector<uint8_t> EnetSession::State::HoldOnFrame() const
{
    std::vector<uint8_t> frame{kFrameHoldOn};
    PutU32(frame, Due(moveUntil) ? 0 : moveUntil - Now());
    return frame;
}

// A deadline another copy told of, as time left: never more than a window from now.
void EnetSession::State::HearDeadline(uint32_t leftMs)
{
    const uint32_t until = Now() + std::min(leftMs, MoveWindow());
    if (static_cast<int32_t>(until - latestUntil) > 0)
        latestUntil = until;
}

// A copy that does not host, asked by a player of the session for its place. Seated under a host
// the asker has moved away from, it takes part in the move; seated under another (the move is
// over), it names its host; in a move, it holds the asker until it hosts or finds the host.
void EnetSession::State::IncomingReceive(ENetPeer* peer, const uint8_t* data, size_t size)
{
    if ((data[0] != kFrameRejoin && data[0] != kFrameJoin) || waiting.erase(peer) == 0)
        return;
    if (data[0] == kFrameJoin)
    {
        // Nobody hosts a session here.
        enet_peer_disconnect_later(peer, static_cast<uint32_t>(NetJoinFailure::NotFound));
        return;
    }
    RejoinFrame rejoin;
    const bool ofSession =
        ReadRejoin(data, size, rejoin) && welcomed && rejoin.key == secret && rejoin.id != 0 && rejoin.id != localId;
    const NetPlayerId id = rejoin.id;
    const NetPlayerId from = rejoin.movedFrom;
    // A player of this list, or one welcomed just before the host went that this copy never heard of.
    const bool member = ofSession && (names.count(id) != 0 ||
                                      (id > lastId && id - lastId <= static_cast<NetPlayerId>(kMaxSessionPlayers)));
    // Seated under a host, this copy names it to whoever has the session's key: the host judges.
    if (!member && (!ofSession || rejoining))
    {
        enet_peer_disconnect_later(peer, kNotOfSession);
        return;
    }
    if (!rejoining)
    {
        if (from != hostId || !member)
        {
            std::vector<uint8_t> frame{kFrameHostIs};
            PutU32(frame, hostId);
            const auto at = where.find(hostId);
            PutAddress(frame, at != where.end() ? at->second : ENetAddress{});
            SendFrame(peer, frame, true);
            enet_peer_disconnect_later(peer, kToldHost);
            return;
        }
        if (server != nullptr)
            enet_peer_disconnect(server, kMoved);
        server = nullptr;
        StartMove(hostId, false);
        if (hosting)
        {
            // Nobody else to ask: this copy hosts already.
            waiting[peer] = Now();
            HostReceive(peer, data, size, true);
            return;
        }
    }
    HearWhere(rejoin);
    HearDeadline(rejoin.leftMs);
    early[peer] = std::move(rejoin);
    SendFrame(peer, HoldOnFrame(), true);
    // An asker with a lower id is alive and looks too: never passed over.
    if (id < localId && id != movedFrom)
        if (const auto ask = asks.find(id); ask == asks.end() || ask->second.answer == Ask::Answer::Gone)
            if (const auto at = where.find(id); at != where.end())
                AskFor(id, at->second);
    Decide();
}

// This copy's host has gone (silent, left, or moved away from), or this copy stepped down as host:
// it asks every other player of its list at once but the host it moves from, and waits for their
// answers. One deadline, M from now, for the whole move.
void EnetSession::State::StartMove(NetPlayerId from, bool left)
{
    if (!rejoining)
        moveNoticedAt = Now();
    rejoining = true;
    server = nullptr;
    movedFrom = from;
    moveUntil = latestUntil = Now() + MoveWindow();
    pointedTo = 0;
    heardWhere.clear();
    EndAsks(0);
    if (left && from != localId && names.erase(from) != 0)
    {
        where.erase(from);
        Push({NetMessage::Kind::PlayerDestroyed, from, {}});
    }
    for (const auto& [id, at] : where)
        if (id != localId && id != from)
            AskFor(id, at);
    Decide();
}

void EnetSession::State::AskFor(NetPlayerId id, const ENetAddress& at)
{
    Ask& ask = asks[id];
    ask = {};
    ask.answer = Ask::Answer::Gone;
    if (at.host == 0 || at.port == 0)
        return;
    ENetPeer* peer = enet_host_connect(host, &at, 2, Mark());
    if (peer == nullptr)
        return;
    peer->data = nullptr;
    // A copy that does not answer within the time-out is gone: a try shorter than M.
    Time(peer);
    ask = {peer, Ask::Answer::None, Steady::now(), 0};
}

// An answer to this copy's ask: a welcome (the copy asked hosts), hold on, or the host's name.
void EnetSession::State::AskReceive(NetPlayerId id, ENetPeer* peer, const uint8_t* data, size_t size)
{
    FrameReader in(data, size);
    Ask& ask = asks[id];
    if (data[0] == kFrameWelcome)
    {
        uint32_t you = 0;
        uint32_t theHost = 0;
        if (!rejoining || !in.U32(you) || !in.U32(theHost) || theHost != id)
            return;
        server = peer;
        asks.erase(id);
        if (!TakeList(data, size))
        {
            server = nullptr;
            asks[id].answer = Ask::Answer::Gone;
            enet_peer_disconnect_later(peer, kSettled);
            Decide();
            return;
        }
        EndAsks(0);
        // The copies that asked this one go to the host too.
        std::vector<uint8_t> frame{kFrameHostIs};
        PutU32(frame, hostId);
        PutAddress(frame, where[hostId]);
        for (const auto& [asker, player] : early)
        {
            SendFrame(asker, frame, true);
            enet_peer_disconnect_later(asker, kToldHost);
        }
        early.clear();
        return;
    }
    if (data[0] == kFrameHoldOn)
    {
        uint32_t left = 0;
        if (!in.U32(left))
            return;
        ask.answer = Ask::Answer::HoldOn;
        HearDeadline(left);
        Decide();
        return;
    }
    if (data[0] == kFrameHostIs)
    {
        uint32_t named = 0;
        ENetAddress at{};
        if (!in.U32(named) || !in.Address(at))
            return;
        ask.answer = Ask::Answer::Gone;
        // Never back to the host this copy moved away from.
        if (named != movedFrom && named != localId && named != id)
        {
            at.host = ReachedAddress(at.host, peer->address.host);
            pointedTo = named;
            if (const auto other = asks.find(named); other == asks.end() || other->second.answer == Ask::Answer::Gone)
                AskFor(named, at);
        }
        Decide();
    }
}

// An ask's link ended: a final refusal from a host ends the session for this copy; any other end
// leaves that id out of the move.
void EnetSession::State::AskLost(NetPlayerId id, uint32_t data)
{
    const auto ask = asks.find(id);
    if (ask == asks.end())
        return;
    ask->second.peer = nullptr;
    // An ask that ends sooner than a time-out with no answer met the end of an older link to the same
    // copy (the library gives a new connection the place of one just ended, and what is still under
    // way on the old one ends the new): it goes again, a few times at most.
    const int tries = ask->second.tries;
    if ((data == 0 || data == kMoved) && rejoining && tries < kAskTries &&
        Steady::now() - ask->second.since < std::chrono::milliseconds(timeoutMs / 2))
        if (const auto at = where.find(id); at != where.end())
        {
            AskFor(id, at->second);
            asks[id].tries = tries + 1;
            return;
        }
    ask->second.answer = Ask::Answer::Gone;
    const char* why = nullptr;
    if (data == kLetGo)
        why = "let go for a flood";
    else if (data == kBackAfterWindow)
        why = "back after the move's window";
    else if (data == kClaimFailed)
        why = "a claim to its seat that failed";
    else if (data == static_cast<uint32_t>(NetJoinFailure::Begun) ||
             data == static_cast<uint32_t>(NetJoinFailure::Full) ||
             data == static_cast<uint32_t>(NetJoinFailure::TurnedAway))
        why = "a newcomer the host cannot take";
    if (why != nullptr && rejoining)
    {
        DebugOutput((std::string("Refused by the new host, ") + why + ": going on alone").c_str());
        GoAlone();
        return;
    }
    Decide();
}

// In a move: this copy hosts once no copy with a lower id may host, every copy asked has answered
// or is gone, and no copy named another host. A lower id that said hold on is never passed over
// while its link lives (it decides by its own deadline, the latest heard at most); one that has not
// answered by this copy's deadline is gone. The host moved away from never hosts its own move.
void EnetSession::State::Decide()
{
    if (!rejoining)
        return;
    const bool late = Due(moveUntil);
    // A lower id that held on past a further window is stuck, not looking: a backstop.
    const bool stuck = Due(latestUntil + MoveWindow());
    bool wait = false;
    for (auto& [id, ask] : asks)
    {
        if (ask.answer == Ask::Answer::Gone)
            continue;
        const bool blocks = ask.answer == Ask::Answer::None || id < localId;
        if (!blocks)
            continue;
        if ((ask.answer == Ask::Answer::None && late) || stuck)
        {
            if (ask.peer != nullptr)
                enet_peer_reset(ask.peer);
            ask.peer = nullptr;
            ask.answer = Ask::Answer::Gone;
            continue;
        }
        wait = true;
    }
    if (wait)
        return;
    if (movedFrom == localId)
    {
        if (Due(latestUntil))
        {
            DebugOutput("No copy of the session took this one back within the move's window: going on alone");
            GoAlone();
        }
        return;
    }
    BecomeHost();
}

// Ends this copy's asks but the one named.
void EnetSession::State::EndAsks(NetPlayerId except)
{
    for (const auto& [id, ask] : asks)
        if (id != except && ask.peer != nullptr)
            enet_peer_disconnect_later(ask.peer, kSettled);
    for (auto at = asks.begin(); at != asks.end();)
        at = at->first == except ? std::next(at) : asks.erase(at);
}

// This copy hosts now: it awaits every player of its list until the latest deadline it has heard
// of, seats those that asked it meanwhile, and answers discovery where the first host did.
void EnetSession::State::BecomeHost()
{
    hosting = true;
    rejoining = false;
    server = nullptr;
    hostId = localId;
    EndAsks(0);
    pointedTo = 0;
    awaited.clear();
    for (const auto& [id, name] : names)
        if (id != localId)
            awaited[id].until = latestUntil;
    Push({NetMessage::Kind::NewHost, localId, {}});
    const auto asked = std::move(early);
    early.clear();
    for (const auto& [peer, rejoin] : asked)
        JudgeRejoin(peer, rejoin);
    // What this player sent in the last M goes to the players, then its other frames since.
    SendRemembered();
    for (const Held& held : outbox)
        if (held.frame[0] == kFrameApp)
            continue;
        else if (held.to == kNetAllPlayers)
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

// A final refusal, or nobody took this copy back: it goes on alone, as the host of a session of
// its own.
void EnetSession::State::GoAlone()
{
    if (server != nullptr)
        enet_peer_reset(server);
    server = nullptr;
    EndAsks(0);
    for (const auto& [peer, player] : early)
        enet_peer_disconnect_later(peer, kNotOfSession);
    early.clear();
    for (const auto& [id, peer] : peers)
        enet_peer_disconnect_later(peer, kLetGo);
    peers.clear();
    const NetPlayerId old = hostId;
    std::vector<NetMessage> news;
    for (const auto& [id, name] : names)
        if (id != localId && id != old)
            news.push_back({NetMessage::Kind::PlayerDestroyed, id, {}});
    if (old != localId && names.count(old) != 0)
        news.push_back({NetMessage::Kind::PlayerDestroyed, old, {}});
    news.push_back({NetMessage::Kind::NewHost, localId, {}});
    const std::string own = NameOf(localId);
    names = {{localId, own}};
    for (auto at = where.begin(); at != where.end();)
        at = at->first == localId ? std::next(at) : where.erase(at);
    hostId = localId;
    hosting = true;
    rejoining = false;
    awaited.clear();
    unintroduced.clear();
    outbox.clear();
    outboxBytes = 0;
    Push(std::move(news));
    if (answersDiscovery && discovery == ENET_SOCKET_NULL)
        OpenDiscovery();
    if (const auto at = where.find(localId); at != where.end())
        address = AddressText(at->second);
}

void EnetSession::State::RefuseEarly(NetPlayerId id)
{
    for (auto at = early.begin(); at != early.end();)
        if (at->second.id == id)
        {
            enet_peer_disconnect_later(at->first, kBackAfterWindow);
            at = early.erase(at);
        }
        else
            ++at;
}

void EnetSession::State::CheckMoveTimes()
{
    if (hosting)
        LetGoLost();
    if (rejoining)
        Decide();
}

// Tests: the link to the player ends now, as at a time-out, without a word to it.
void EnetSession::State::TakeForGone(NetPlayerId id)
{
    ENetPeer* peer = nullptr;
    if (server != nullptr && id == hostId)
        peer = server;
    else if (const auto seat = peers.find(id); seat != peers.end())
        peer = seat->second;
    else if (const auto ask = asks.find(id); ask != asks.end())
        peer = ask->second.peer;
    if (peer == nullptr)
        return;
    ENetEvent event{};
    event.type = ENET_EVENT_TYPE_DISCONNECT;
    event.peer = peer;
    HandleEvent(event);
    enet_peer_reset(peer);
}

// On the closing thread, which alone has the host now: what is queued for each peer goes
// first (a leave sent just before must reach the others), then the disconnection; a peer
// that has not answered within kCloseWaitMs is disconnected at once. Then the port is free.
void EnetSession::State::SendQueuedAndLeave(ENetHost* host, const std::vector<ENetPeer*>& open)
{
    for (ENetPeer* peer : open)
        enet_peer_disconnect_later(peer, kLeave);
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
            enet_peer_disconnect_now(peer, kLeave);
    enet_host_flush(host);
    enet_host_destroy(host);
}

void EnetSession::State::ServiceLoop()
{
    while (!stop.load())
    {
        if (!frozen.load())
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
    Unwatch(host);
    if (discovery != ENET_SOCKET_NULL)
        enet_socket_destroy(discovery);
    discovery = ENET_SOCKET_NULL;
    if (host != nullptr)
        enet_host_destroy(host);
    host = nullptr;
    server = nullptr;
    hosting = welcomed = rejoining = answersDiscovery = false;
    movedFrom = 0;
    asks.clear();
    pointedTo = 0;
    frozen = false;
    localId = hostId = 0;
    lastId = 1;
    secret = 0;
    token = {};
    digests.clear();
    names.clear();
    where.clear();
    peers.clear();
    waiting.clear();
    arriving.clear();
    heardWhere.clear();
    hostsAt.clear();
    dropForTests.clear();
    awaited.clear();
    early.clear();
    outbox.clear();
    outboxBytes = 0;
    sent.clear();
    sentBytes = 0;
    sendNumber = 0;
    seenNumber.clear();
    if (filter)
        filter->Forget(kNetAllPlayers);
    heldBack = 0;
    turnedAway.Clear();
    unintroduced.clear();
    address.clear();
    joinable = true;
}

} // namespace plat
