// The host's duties in a session over UDP: seating newcomers and players that come back after a
// host change, relaying through the relay filter, letting players go, and answering discovery.
#include "EnetSessionState.h"

#include "DebugOutput.h"

#include <cstring>

namespace plat
{

using namespace enetwire;

void EnetSession::State::SendToPeers(const std::vector<uint8_t>& frame, bool reliable, NetPlayerId except)
{
    for (const auto& [id, peer] : peers)
        if (id != except)
            SendFrame(peer, frame, reliable);
    // A player not back yet after a host change gets the guaranteed messages once it is.
    if (reliable && frame[0] == kFrameApp)
        for (const auto& [id, wait] : awaited)
            if (id != except)
                Owe(id, frame);
}

bool EnetSession::State::SendTo(NetPlayerId id, const std::vector<uint8_t>& frame, bool reliable)
{
    if (const auto peer = peers.find(id); peer != peers.end())
        SendFrame(peer->second, frame, reliable);
    else if (awaited.count(id) != 0)
    {
        if (reliable)
            Owe(id, frame);
    }
    else
        return false;
    return true;
}

void EnetSession::State::Owe(NetPlayerId id, const std::vector<uint8_t>& frame)
{
    Awaited& wait = awaited[id];
    if (wait.owedBytes + frame.size() > kHeldBytes)
    {
        // More than it could be given: it would come back to a game it no longer follows.
        wait.owed.clear();
        wait.until = Now();
        return;
    }
    wait.owed.push_back(frame);
    wait.owedBytes += frame.size();
}

// The list a newcomer or a player come back is given: its id, the host's, every other player
// with where it listens, its own name and where it is seen to listen, then the session's key, the
// highest id given, the places, the door, whether the session answers discovery, the session's
// name, then the newcomer's seat token (zeros for a player come back, which has its own), the
// digest of every seat, and the places turned away (a count, then each as kFrameTurnedAway has it).
std::vector<uint8_t> EnetSession::State::WelcomeFor(NetPlayerId id, const std::string& name,
                                                    const SeatToken* newToken) const
{
    std::vector<uint8_t> welcome{kFrameWelcome};
    PutU32(welcome, id);
    PutU32(welcome, localId);
    PutU32(welcome, static_cast<uint32_t>(names.size() - names.count(id)));
    for (const auto& [other, otherName] : names)
        if (other != id)
        {
            PutU32(welcome, other);
            PutName(welcome, otherName);
            const auto at = where.find(other);
            PutAddress(welcome, at != where.end() ? at->second : ENetAddress{});
        }
    PutName(welcome, name);
    const auto own = where.find(id);
    PutAddress(welcome, own != where.end() ? own->second : ENetAddress{});
    PutU64(welcome, secret);
    PutU32(welcome, lastId);
    welcome.push_back(static_cast<uint8_t>(maxPlayers));
    welcome.push_back(joinable ? 1 : 0);
    welcome.push_back(answersDiscovery ? 1 : 0);
    PutName(welcome, sessionName);
    PutBytes(welcome, newToken != nullptr ? *newToken : SeatToken{});
    std::map<NetPlayerId, SeatDigest> listed;
    for (const auto& [player, digest] : digests)
        if (names.count(player) != 0)
            listed[player] = digest;
    PutDigests(welcome, listed);
    // The places turned away, so that a newcomer who hosts later turns them away too.
    std::vector<uint8_t> held;
    uint8_t count = 0;
    turnedAway.ForEachHeld(
        Now(),
        [&](uint64_t place, uint32_t leftMs, uint32_t letGo)
        {
            PutAddress(held, ENetAddress{static_cast<uint32_t>(place >> 16), static_cast<uint16_t>(place & 0xFFFF)});
            PutU32(held, leftMs);
            PutU32(held, letGo);
            ++count;
        });
    welcome.push_back(count);
    welcome.insert(welcome.end(), held.begin(), held.end());
    return welcome;
}

std::vector<uint8_t> EnetSession::State::CreatedFrame(NetPlayerId id) const
{
    std::vector<uint8_t> created{kFrameCreated};
    PutU32(created, id);
    PutName(created, NameOf(id));
    const auto at = where.find(id);
    PutAddress(created, at != where.end() ? at->second : ENetAddress{});
    const auto digest = digests.find(id);
    PutBytes(created, digest != digests.end() ? digest->second : SeatDigest{});
    return created;
}

// Host: a player is gone, seated or awaited after a host change; everyone else is told.
void EnetSession::State::RemovePlayer(NetPlayerId id)
{
    const bool seated = id != 0 && peers.erase(id) != 0;
    const bool wasAwaited = id != 0 && awaited.erase(id) != 0;
    if (!seated && !wasAwaited)
        return;
    names.erase(id);
    where.erase(id);
    unintroduced.erase(id);
    if (filter)
        filter->Forget(id);
    std::vector<uint8_t> frame{kFrameDestroyed};
    PutU32(frame, id);
    SendToPeers(frame, true, 0);
    Push({NetMessage::Kind::PlayerDestroyed, id, {}});
}

// A message numbered by its sender: false the first time (0: unnumbered, never seen).
bool EnetSession::State::Seen(NetPlayerId from, uint32_t number)
{
    if (number == 0)
        return false;
    uint32_t& last = seenNumber[from];
    if (number <= last)
        return true;
    last = number;
    return false;
}

// Keeps a guaranteed message sent, for M, within kHeldBytes.
void EnetSession::State::Remember(NetPlayerId to, const std::vector<uint8_t>& frame)
{
    const uint32_t since = rejoining ? moveNoticedAt : Now();
    while (!sent.empty() && (!KeptSentAt(sent.front().at, since) || sentBytes + frame.size() > kHeldBytes))
    {
        sentBytes -= sent.front().frame.size();
        sent.pop_front();
    }
    sent.push_back({Now(), frame, to});
    sentBytes += frame.size();
}

// After a move, to whoever hosts (or, hosting, to the players): every guaranteed message this
// copy sent from M before the move's first notice on, in order; who has seen one drops it.
void EnetSession::State::SendRemembered()
{
    for (const Sent& message : sent)
        if (!KeptSentAt(message.at, moveNoticedAt))
            continue;
        else if (!hosting)
            SendFrame(server, message.frame, true);
        else if (message.to == kNetAllPlayers)
            SendToPeers(message.frame, true, 0);
        else
            SendTo(message.to, message.frame, true);
}

// Host: a player's link fell silent. It keeps its seat for a move's window (the game hears of it only
// if it is not back by then), since it may have frozen, or its host may be the one cut off.
// Deliberately not told as gone at the time-out: a player lost for a moment has not left.
void EnetSession::State::LoseToSilence(NetPlayerId id)
{
    if (id == 0 || peers.erase(id) == 0)
        return;
    Awaited& wait = awaited[id];
    wait.until = Now() + MoveWindow();
    wait.silent = true;
    wait.silentAt = Now();
    DebugOutput((NameOf(id) + " fell silent: awaited").c_str());
    // Every link fell silent together: this copy is the one cut off, or it froze.
    if (!peers.empty())
        return;
    const auto together = std::count_if(awaited.begin(), awaited.end(),
                                        [this](const auto& other) {
                                            return other.second.silent &&
                                                   Now() - other.second.silentAt < static_cast<uint32_t>(timeoutMs);
                                        });
    if (together >= 2)
        StepDown();
}

// Host: the session moves away from this copy (a player heard so, or every link fell silent): it
// tells every player left to take part in the move, and comes back as a player itself.
void EnetSession::State::StepDown()
{
    DebugOutput("The session moves away from this host: stepping down");
    for (const auto& [id, peer] : peers)
    {
        peer->data = nullptr;
        enet_peer_disconnect(peer, kMoved);
    }
    peers.clear();
    awaited.clear();
    unintroduced.clear();
    hosting = false;
    if (discovery != ENET_SOCKET_NULL)
        enet_socket_destroy(discovery);
    discovery = ENET_SOCKET_NULL;
    StartMove(localId, false);
}

// Host: true when the filter lets the player's frame through. A player kept past its share
// too long is let go here: its later frames find no player.
bool EnetSession::State::Admit(ENetPeer* peer, NetPlayerId from, NetRelayFilter::Verdict verdict)
{
    if (verdict == NetRelayFilter::Verdict::Pass)
        return true;
    ++heldBack;
    if (verdict == NetRelayFilter::Verdict::Disconnect)
    {
        DebugOutput((NameOf(from) + " stayed past its share of messages: disconnected").c_str());
        // A player let go for a flood comes back at once, the door being open between games.
        const uint64_t place = NetTurnAways::Key(peer->address.host, peer->address.port);
        turnedAway.LetGo(place, Now());
        LetGo(peer, from);
        // The players keep it for whoever hosts next.
        std::vector<uint8_t> frame{kFrameTurnedAway};
        PutAddress(frame, peer->address);
        PutU32(frame, turnedAway.LeftMs(place, Now()));
        PutU32(frame, turnedAway.LetGoCount(place));
        SendToPeers(frame, true, 0);
    }
    return false;
}

void EnetSession::State::LetGo(ENetPeer* peer, NetPlayerId id)
{
    peer->data = nullptr;
    enet_peer_disconnect(peer, kLetGo);
    RemovePlayer(id);
}

// Host: a seat held by something that never says it is a copy of the game goes, and the
// start of the day stops waiting for it. No turn-away: copies on one machine share an address.
void EnetSession::State::LetGoUnintroduced()
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

// Host: a player that has not come back in time is lost.
void EnetSession::State::LetGoLost()
{
    for (auto at = awaited.begin(); at != awaited.end();)
    {
        const NetPlayerId id = at->first;
        const bool due = Due(at->second.until);
        ++at;
        if (due)
        {
            DebugOutput((NameOf(id) + " did not come back within the move's window: disconnected").c_str());
            RemovePlayer(id);
        }
    }
}

// The highest id another copy has heard of: ids are never given twice. A frame naming an id far
// above every id this copy knows is bounded, so that it cannot use the ids up.
void EnetSession::State::HearLastId(NetPlayerId heard)
{
    if (heard > lastId && heard - lastId <= static_cast<NetPlayerId>(kMaxSessionPlayers))
        lastId = heard;
}

// Host: a newcomer gets the next id, a name of its own and a seat token that only it learns.
void EnetSession::State::SeatNewcomer(ENetPeer* peer, const std::string& asked)
{
    const std::string name = UniquePlayerName(asked, NamesBut(names, 0));
    const NetPlayerId id = ++lastId;
    const SeatToken seat = NewSeatToken();
    digests[id] = DigestOf(seat);
    peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
    where[id] = peer->address;
    names[id] = name;
    SendFrame(peer, WelcomeFor(id, name, &seat), true);
    peers[id] = peer;
    SendToPeers(CreatedFrame(id), true, id);
    unintroduced[id] = Now();
    Push({NetMessage::Kind::PlayerCreated, id, {}});
}

// Host: a copy asks for its seat back. Only the seat's holder proves it: the digest of its token
// must be one this host holds (its own table, and those of the copies it has seated), never one the
// claimer alone names. A failed claim never unseats the holder. A copy whose seat no seated copy
// knows (welcomed just before the host went, its join lost with the host) is a newcomer.
void EnetSession::State::JudgeRejoin(ENetPeer* peer, const RejoinFrame& rejoin)
{
    if (rejoin.key != secret || rejoin.id == 0 || rejoin.id == localId)
    {
        enet_peer_disconnect_later(peer, kNotOfSession);
        return;
    }
    HearLastId(rejoin.lastId);
    HearLastId(rejoin.id);
    const auto held = digests.find(rejoin.id);
    if (held == digests.end())
    {
        const NetJoinFailure refusal = Refusal(peer);
        if (refusal != NetJoinFailure::None)
        {
            enet_peer_disconnect_later(peer, static_cast<uint32_t>(refusal));
            return;
        }
        // Whoever listed it under its old id drops that id before it is seated anew.
        if (names.count(rejoin.id) != 0)
            RemovePlayer(rejoin.id);
        SeatNewcomer(peer, rejoin.name);
        return;
    }
    if (!SameDigest(DigestOf(rejoin.token), held->second))
    {
        DebugOutput(("A claim to seat " + std::to_string(rejoin.id) + " failed: refused").c_str());
        enet_peer_disconnect_later(peer, kClaimFailed);
        return;
    }
    if (const auto seat = peers.find(rejoin.id); seat != peers.end())
    {
        // The holder itself on a new link, its old one not yet timed out here: the new one stands.
        seat->second->data = nullptr;
        enet_peer_reset(seat->second);
        peers.erase(seat);
        awaited[rejoin.id].until = Now();
    }
    if (awaited.count(rejoin.id) == 0)
    {
        // Given up when its window ended, or it left.
        enet_peer_disconnect_later(peer, kBackAfterWindow);
        return;
    }
    // The seats this copy knows count from now on.
    for (const auto& [id, digest] : rejoin.digests)
        digests.emplace(id, digest);
    TakeBack(peer, rejoin.id, rejoin.name);
}

// New host: a player of the session is back, with its id and name; it is given the list as it
// stands and what it is owed, and introduces itself to this host as a newcomer would.
void EnetSession::State::TakeBack(ENetPeer* peer, NetPlayerId id, const std::string& name)
{
    peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
    peers[id] = peer;
    where[id] = peer->address;
    // The name it comes back with stands (a rename may have died with the old host), made unique
    // here as a rename is.
    const std::string before = NameOf(id);
    names[id] = UniquePlayerName(name, NamesBut(names, id));
    SendFrame(peer, WelcomeFor(id, names[id], nullptr), true);
    if (names[id] != before)
    {
        std::vector<uint8_t> frame{kFrameName};
        PutU32(frame, id);
        PutName(frame, names[id]);
        SendToPeers(frame, true, id);
    }
    if (const auto wait = awaited.find(id); wait != awaited.end())
    {
        for (const std::vector<uint8_t>& frame : wait->second.owed)
        {
            uint32_t sender = 0;
            // What a player who has left since sent is no one's now.
            if (FrameReader(frame.data(), frame.size()).U32(sender) && (sender == localId || names.count(sender)))
                SendFrame(peer, frame, true);
        }
        awaited.erase(wait);
    }
    unintroduced[id] = Now();
}

// Host side: one received frame from a joined or joining player.
void EnetSession::State::HostReceive(ENetPeer* peer, const uint8_t* data, size_t size, bool reliable)
{
    FrameReader in(data, size);
    const NetPlayerId from = static_cast<NetPlayerId>(reinterpret_cast<uintptr_t>(peer->data));
    if (data[0] == kFrameRejoin && from == 0)
    {
        RejoinFrame rejoin;
        if (!ReadRejoin(data, size, rejoin) || waiting.erase(peer) == 0)
            return;
        if (InMove())
            HearWhere(rejoin);
        const auto held = digests.find(rejoin.id);
        if (rejoin.key == secret && rejoin.movedFrom == localId && held != digests.end() && rejoin.id != localId &&
            SameDigest(DigestOf(rejoin.token), held->second))
        {
            // A player of this session (it proves its seat) moves away from this host: it steps
            // down and takes part.
            StepDown();
            waiting[peer] = Now();
            IncomingReceive(peer, data, size);
        }
        else
            JudgeRejoin(peer, rejoin);
        return;
    }
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
        SeatNewcomer(peer, name);
        return;
    }
    if (from == 0)
        return;
    if (data[0] == kFrameApp)
    {
        uint32_t sender = 0;
        uint32_t to = 0;
        uint32_t number = 0;
        // The sender is who the connection says, whatever the frame claims.
        if (!in.U32(sender) || !in.U32(to) || !in.U32(number))
            return;
        // Before anything is kept or relayed: a flood stops here.
        if (filter && !Admit(peer, from, filter->TakeMessage(from, NameOf(from), in.Rest(), in.RestSize(), Now())))
            return;
        std::vector<uint8_t> frame{kFrameApp};
        PutU32(frame, from);
        PutU32(frame, to);
        PutU32(frame, number);
        frame.insert(frame.end(), in.Rest(), in.Rest() + in.RestSize());
        // Sent again after a move, a message this host has seen is still relayed: a player that
        // has not seen it may have lost it with the old host.
        if ((to == kNetAllPlayers || to == localId) && !Seen(from, number))
            Push({NetMessage::Kind::App, from, std::vector<uint8_t>(in.Rest(), in.Rest() + in.RestSize())});
        if (to == kNetAllPlayers)
            SendToPeers(frame, reliable, from);
        else if (to != from && to != localId)
            SendTo(to, frame, reliable);
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

// Host: why a newcomer cannot have a place now; the places held by connections that have not
// joined, and by players not back yet after a host change, count as taken. Players coming back
// are not newcomers: none of this applies to them.
NetJoinFailure EnetSession::State::Refusal(const ENetPeer* peer) const
{
    // Never a player's own place: another copy on its machine may have been let go.
    if (turnedAway.Holds(NetTurnAways::Key(peer->address.host, peer->address.port), Now()) && !Listed(peer->address))
        return NetJoinFailure::TurnedAway;
    if (!joinable)
        return NetJoinFailure::Begun;
    if (static_cast<int32_t>(peers.size() + waiting.size() + awaited.size()) + 1 >= maxPlayers)
        return NetJoinFailure::Full;
    return NetJoinFailure::None;
}

void EnetSession::State::DropSilentConnections()
{
    const uint32_t now = Now();
    for (auto at = waiting.begin(); at != waiting.end();)
        if (now - at->second >= JoinWait())
        {
            enet_peer_disconnect_now(at->first, 0);
            at = waiting.erase(at);
        }
        else
            ++at;
    // A stranger that asked for a place and never took it up holds it no longer than one that
    // connected and never joined.
    for (auto at = arriving.begin(); at != arriving.end();)
        at = at->first->state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT ? std::next(at) : arriving.erase(at);
    for (size_t i = 0; i < host->peerCount; ++i)
    {
        ENetPeer* peer = &host->peers[i];
        if (peer->state != ENET_PEER_STATE_ACKNOWLEDGING_CONNECT || Listed(peer->address))
            continue;
        const uint32_t since = arriving.emplace(peer, now).first->second;
        if (now - since >= JoinWait())
        {
            arriving.erase(peer);
            enet_peer_reset(peer);
        }
    }
}

void EnetSession::State::OpenDiscovery()
{
    discovery = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    ENetAddress discoveryAddress{ENET_HOST_ANY, kDiscoveryPort};
    if (discovery == ENET_SOCKET_NULL)
        return;
    enet_socket_set_option(discovery, ENET_SOCKOPT_REUSEADDR, 1);
    enet_socket_set_option(discovery, ENET_SOCKOPT_NONBLOCK, 1);
    if (enet_socket_bind(discovery, &discoveryAddress) != 0)
    {
        enet_socket_destroy(discovery);
        discovery = ENET_SOCKET_NULL;
    }
}

void EnetSession::State::AnswerDiscovery()
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

} // namespace plat
