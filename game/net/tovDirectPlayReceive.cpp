// The receive path: system messages and the game's messages, each checked before use. Runs on
// the receive thread; engine objects and game state are left to the main thread's queue.
#include "tovDirectPlay.h"

#include "Clock.h"
#include "DebugOutput.h"
#include "tovAnglerRig.h"
#include "tovGameSession.h"
#include "tovUserProfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

constexpr float kLowDetailBelow = 0.95f;

std::string NameOf(const std::array<char, tovDirectPlay::kNameChars>& name)
{
    return std::string(name.data(), strnlen(name.data(), name.size()));
}

} // namespace

void tovDirectPlay::HandleMessage(const plat::NetMessage& message)
{
    switch (message.kind)
    {
    case plat::NetMessage::Kind::PlayerCreated:
        // The transport's host seats newcomers from the word of its move on, before the main
        // thread takes the rest of the role.
        // A host that has stepped down hears the players its new host lists: that host's table
        // seats them.
        if ((IsHost() || (m_hostId.load() != 0 && m_hostId.load() == m_localId.load())) &&
            m_transport->GetHostId() == m_localId.load())
            OnPlayerJoined(message.from, kLocalSlot);
        break;
    case plat::NetMessage::Kind::PlayerDestroyed:
        // Only this end's own Close takes the local player out.
        if (message.from != m_localId.load())
            OnPlayerLeft(message.from);
        break;
    case plat::NetMessage::Kind::NewHost:
        // Every player left hears of the move. A word of an old session (its transport names another
        // host) or naming the host this copy knows already moves nothing.
        TakeLocalIdAnew();
        if (message.from == 0 || m_transport->GetHostId() != message.from || message.from == m_hostId.load())
            break;
        OnHostMoved(message.from);
        break;
    case plat::NetMessage::Kind::App:
        HandleAppMessage(message.from, message.data.data(), message.data.size());
        break;
    case plat::NetMessage::Kind::Renamed:
        if (message.from == m_localId.load())
            TakeGivenName();
        break;
    }
}

bool tovDirectPlay::SenderSlotMatches(plat::NetPlayerId from, uint8_t slot)
{
    // "No slot" claims nothing: a player that has just joined speaks before the host's table
    // has told it its seat, though the host has seated it already.
    return slot == tovNet::kNoSlot || slot == SlotOfId(from);
}

void tovDirectPlay::HandleAppMessage(plat::NetPlayerId from, const uint8_t* data, size_t size)
{
    const uint8_t type = size > 0 ? data[0] : 0;
    if (from == 0 || from == m_localId.load() || tovNet::MessageSize(type) == 0 || size != tovNet::MessageSize(type))
    {
        Drop();
        return;
    }
    if (!WithinShare(from, data, size) || OfAnotherGame(from, data, size))
        return;
    switch (type)
    {
    case tovNet::kPing:
    {
        tovNet::PingMsg msg;
        if (!msg.Read(data, size) || !SenderSlotMatches(from, msg.header.senderSlot))
            Drop();
        break;
    }
    case tovNet::kParamsFull:
    case tovNet::kParamsUpdate:
    {
        tovNet::GameParamsMsg msg;
        if (!msg.Read(data, size))
            Drop();
        else
            OnGameParams(from, msg);
        break;
    }
    case tovNet::kPlayerHeader:
    {
        tovNet::PlayerHeaderMsg msg;
        if (!msg.Read(data, size) || !SenderSlotMatches(from, msg.header.senderSlot))
            Drop();
        else
            OnPlayerHeader(from, msg);
        break;
    }
    case tovNet::kPlayerState:
    {
        tovNet::PlayerStateMsg msg;
        if (!msg.Read(data, size))
            Drop();
        else
            OnPlayerState(from, msg);
        break;
    }
    case tovNet::kEvent:
    {
        tovNet::EventMsg msg;
        if (!msg.Read(data, size) || !SenderSlotMatches(from, msg.header.senderSlot))
            Drop();
        else
            OnEvent(from, msg);
        break;
    }
    case tovNet::kChatText:
    {
        tovNet::ChatTextMsg msg;
        if (!msg.Read(data, size) || !SenderSlotMatches(from, msg.header.senderSlot))
            Drop();
        else
            OnChatText(from, msg);
        break;
    }
    case tovNet::kNameChanged:
    {
        tovNet::NameChangedMsg msg;
        if (!msg.Read(data, size) || !SenderSlotMatches(from, msg.header.senderSlot))
            Drop();
        else
            OnNameChanged(from);
        break;
    }
    default:
        Drop();
        break;
    }
}

bool tovDirectPlay::OfAnotherGame(plat::NetPlayerId from, const uint8_t* data, size_t size)
{
    const uint8_t type = data[0];
    if (!tovNet::IsGameMessage(type) || size < tovNet::kHeaderSize)
        return false;
    const uint16_t game = static_cast<uint16_t>(data[2] | data[3] << 8);
    if (game == m_game.load())
        return false;
    if (type == tovNet::kParamsFull || type == tovNet::kParamsUpdate)
    {
        // The host's next game: a copy between games takes its number (and tells its phase
        // again, which the host dropped as the last game's); one inside a game keeps to it.
        if (IsHost() || from != m_transport->GetHostId() || !IsBetweenGames(GetPlayerPhase(kLocalSlot)))
            return true;
        m_game = game;
        m_begunAsClient = false;
        Post([this] { SendPlayerHeader(); });
        return false;
    }
    if (type == tovNet::kPlayerHeader && IsHost() && SlotOfId(from) >= 0)
    {
        tovNet::PlayerHeaderMsg msg;
        if (msg.Read(data, size) && msg.replyWanted != 0 && TakeAnswer(from, false))
            Post([this, from] { SendGameParams(from, false); });
    }
    return true;
}

int32_t tovDirectPlay::OnPlayerJoined(plat::NetPlayerId id, int32_t slot, bool announce)
{
    // A player heard leave is gone for good, whatever a table or a late message still says of it.
    if (id == 0 || HeardLeave(id))
        return kLocalSlot;
    // A player already seated keeps its seat.
    if (const int32_t seated = SlotOfId(id); seated >= 0)
        return seated;
    if (slot == kLocalSlot)
    {
        for (int32_t i = 0; i < tovNet::kSlots && slot == kLocalSlot; ++i)
        {
            PlayerInfo& player = *m_players[i];
            std::scoped_lock guard(player.lock);
            if ((player.flags & (kActive | kReserved)) == 0)
            {
                player.flags |= kReserved;
                slot = i;
            }
        }
        if (slot == kLocalSlot)
            return kLocalSlot;
    }
    if (slot < 0 || slot >= tovNet::kSlots)
        return kLocalSlot;
    const bool local = id == m_localId.load();
    // The transport keeps every name, the local one too: the local name is the main thread's.
    const std::string name = m_transport->GetPlayerName(id);
    PlayerInfo& player = *m_players[slot];
    QrPointer<tovAnglerRigBase> oldRig;
    {
        std::scoped_lock guard(player.lock);
        player.flags &= ~kChanged;
        player.state = tovDirectPlayState();
        if (local)
            player.state.m_phase = static_cast<uint16_t>(m_localPhase.load());
        player.time = -1.0;
        player.id = id;
        oldRig = std::move(player.rig);
        player.version = local ? tovNet::kVersion : 0;
        player.lakeMask = local ? m_localLakeMask : 0;
        player.name.fill(0);
        std::strncpy(player.name.data(), name.c_str(), kNameChars - 1);
        player.flags = (player.flags | kActive) & ~(kReserved | kLeft);
    }
    // Rigs are engine objects: only the main thread lets them go.
    if (oldRig)
        Post([rig = std::move(oldRig)]() mutable { rig.Reset(); });
    if (!local)
    {
        // Every player hears of every other from the host's table, not the newcomer alone. The
        // table reads the game clock, which is the main thread's. The host's header follows: a
        // newcomer that took the host for one in its set-up (its phase unknown, read as 0) while
        // the parameters named another phase would ask for them again on every frame.
        if (IsHost())
            Post(
                [this, id]
                {
                    SendGameParams(id, true);
                    BroadcastGameParams();
                    SendPlayerHeader();
                });
        if (announce)
            ShowNetMessage(name + " has joined the game");
    }
    return slot;
}

bool tovDirectPlay::HeardLeave(plat::NetPlayerId id)
{
    std::scoped_lock guard(m_sharesMutex);
    return std::find(m_heardLeft.begin(), m_heardLeft.end(), id) != m_heardLeft.end();
}

void tovDirectPlay::OnPlayerLeft(plat::NetPlayerId id)
{
    {
        std::scoped_lock guard(m_sharesMutex);
        m_shares.erase(id);
        if (m_heardLeft.size() < kHeardLeftKept)
            m_heardLeft.push_back(id);
    }
    if (!m_transportFilters)
    {
        std::scoped_lock guard(m_sharesMutex);
        m_relayFilter->Forget(id);
    }
    for (auto& player : m_players)
    {
        std::string name;
        {
            std::scoped_lock guard(player->lock);
            if (player->id != id || (player->flags & kActive) == 0)
                continue;
            player->flags |= kLeft;
            name = NameOf(player->name);
        }
        ShowNetMessage(name + " has left the game");
    }
    if (IsHost())
        Post([this] { BroadcastGameParams(); });
}

namespace
{
// The tournament's length setting (0 to 3) is its last day less one.
bool IsLastDay(const tovNetworkPlay::GAMEPARAMS& params)
{
    return params.day >= std::clamp(params.setting1, 0, 3) + 1;
}
} // namespace

void tovDirectPlay::OnHostMoved(plat::NetPlayerId host)
{
    const bool here = host == m_localId.load();
    m_hostId = host;
    m_hostMoved = true;
    if (!here)
        DropHostRole();
    const int32_t local = m_localSlot.load();
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) == 0)
            continue;
        player.flags = player.id == host ? player.flags | kHostSlot : player.flags & ~kHostSlot;
        if (slot != local)
            player.heardSinceMove = false;
    }
    // Additions to what a move carries: every copy tells the new host (and through it the others)
    // where it stands, and the new host tells everyone its parameters and table.
    Post(
        [this, here, host]
        {
            // A move that a later one, or the session's end, overtook.
            if (!IsSessionOpen() || m_hostId.load() != host)
                return;
            if (here)
                TakeHostRole();
            SendPlayerHeader();
            SendOwnPlayerState();
        });
}

void tovDirectPlay::DropHostRole()
{
    // At once, not in a task of the main thread: the receive path must no longer seat, answer or
    // drop the new host's parameters as a host would, and the waits read the role on every pass.
    m_host = false;
    m_owesDayEnd = false;
    std::scoped_lock guard(m_sharesMutex);
    m_shares.clear();
}

void tovDirectPlay::TakeLocalIdAnew()
{
    const plat::NetPlayerId old = m_localId.load();
    const plat::NetPlayerId now = m_transport->GetLocalId();
    // A closed session stays closed; an id unchanged moves nothing.
    if (old == 0 || now == 0 || now == old)
        return;
    m_localId = now;
    for (auto& player : m_players)
    {
        std::scoped_lock guard(player->lock);
        if (player->id == old)
            player->id = now;
    }
    // The name the new host gave came with the new id, before this word.
    TakeGivenName();
}

void tovDirectPlay::TakeHostRole()
{
    // Deliberately not on the receive thread as the word of the move comes: the role and what it
    // owes are taken here at one point, where the main thread cannot move its phase in between.
    const int32_t own = m_localPhase.load();
    GAMEPARAMS params = CopyGameParams();
    // Between the days, or gone on as a client to a next day that the old host never began.
    m_owesDayEnd =
        own == kBetweenDaysPhase || ((own == kDayParamsPhase || own == kInDayPhase) && IsNextDayUnpublished(params));
    // A copy the old host had not seated yet joins itself as any newcomer does.
    if (m_localSlot.load() == kLocalSlot)
        m_localSlot = OnPlayerJoined(m_localId.load(), kLocalSlot);
    if (const int32_t slot = m_localSlot.load(); slot >= 0 && slot < tovNet::kSlots)
    {
        std::scoped_lock guard(m_players[slot]->lock);
        m_players[slot]->flags |= kHostSlot;
    }
    m_host = true;
    m_transport->SetJoinable(!IsInsideGame());
    // On the set-up of a game the old host never numbered: this copy numbers it where the old host
    // would have, in the message that begins it.
    if (m_begunAsClient.load() && own < kBetweenDaysPhase && params.phase == kClosedPhase)
    {
        NumberNextGame();
        return;
    }
    // A day this copy moved on to as a client went into no parameters: the old host's still name
    // the day before, which the others would play again.
    if (const tovGameSession* session = TheGameSession(); session != nullptr && IsInsideGame())
    {
        std::scoped_lock guard(GameParamsLock());
        TheGameParams().day = session->GetDay();
    }
    SendGameParams(plat::kNetAllPlayers, false);
}

bool tovDirectPlay::IsInsideGame()
{
    const GAMEPARAMS params = CopyGameParams();
    // A closed last day is over.
    const bool lastDay = IsLastDay(params);
    const auto inside = [lastDay](int32_t phase)
    { return phase >= kBetweenDaysPhase && (phase < kClosedPhase || (phase == kClosedPhase && !lastDay)); };
    return inside(m_localPhase.load()) || inside(params.phase);
}

bool tovDirectPlay::IsNextDayUnpublished(const GAMEPARAMS& params)
{
    return params.phase == kBetweenDaysPhase || (params.phase == kClosedPhase && !IsLastDay(params));
}

bool tovDirectPlay::AllHeardSinceMove()
{
    return AllOthersSeated([](const PlayerInfo& player) { return player.heardSinceMove; });
}

bool tovDirectPlay::HostHeardSinceMove()
{
    if (IsHost() || !m_hostMoved.load())
        return true;
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & (kActive | kHostSlot | kLeft)) == (kActive | kHostSlot))
            return player.heardSinceMove;
    }
    return false;
}

bool tovDirectPlay::WithinShare(plat::NetPlayerId from, const uint8_t* data, size_t size)
{
    // The transport's host has held back what is past the share before it relayed anything: a
    // second share here could drop a line that the host let through to every other player.
    if (m_transportFilters)
        return true;
    // Without a host between them every player hears every other at first hand: only what a
    // player types has a share here.
    if (data[0] != tovNet::kChatText && data[0] != tovNet::kNameChanged)
        return true;
    std::string name = "player " + std::to_string(from);
    if (const int32_t slot = SlotOfId(from); slot >= 0)
    {
        std::scoped_lock guard(m_players[slot]->lock);
        name = NameOf(m_players[slot]->name);
    }
    // Tests feed messages from the main thread beside the receive thread.
    std::scoped_lock guard(m_sharesMutex);
    return m_relayFilter->TakeMessage(from, name, data, size, LinkMs()) == plat::NetRelayFilter::Verdict::Pass;
}

uint32_t tovDirectPlay::LinkMs() const
{
    // The link's time is real time: a headless run's installed clock stands still while its
    // frame waits on the others, and every request in the wait would fall in one second.
    static const plat::SteadyClock steady;
    return (m_linkClock != nullptr ? *m_linkClock : static_cast<const plat::Clock&>(steady)).TickMs();
}

bool tovDirectPlay::TakeAnswer(plat::NetPlayerId from, bool news)
{
    const uint32_t now = LinkMs();
    bool flood = false;
    bool answer = false;
    {
        std::scoped_lock guard(m_sharesMutex);
        Shares& shares = m_shares[from];
        flood = !news && shares.requests.Take(now, kFloodRequestsPerSecond) == tovNetAllowance::Verdict::kDropFirst;
        answer = !shares.answered || now - shares.answeredMs >= kAnswerGapMs;
        if (answer)
        {
            shares.answered = true;
            shares.answeredMs = now;
        }
        // An answer now carries the latest parameters: nothing more is owed.
        shares.owed = !answer;
    }
    if (flood)
        TellFlood(from, " asks for the parameters more than four times a second: the requests are merged "
                        "into one answer a second");
    return answer;
}

void tovDirectPlay::SendOwedAnswers()
{
    if (!IsHost() || !IsSessionOpen())
        return;
    const uint32_t now = LinkMs();
    std::vector<plat::NetPlayerId> due;
    {
        std::scoped_lock guard(m_sharesMutex);
        for (auto& [id, shares] : m_shares)
            if (shares.owed && now - shares.answeredMs >= kAnswerGapMs)
            {
                shares.owed = false;
                shares.answeredMs = now;
                due.push_back(id);
            }
    }
    for (const plat::NetPlayerId id : due)
        SendGameParams(id, false);
}

void tovDirectPlay::TellFlood(plat::NetPlayerId from, const char* what)
{
    std::string name = "player " + std::to_string(from);
    if (const int32_t slot = SlotOfId(from); slot >= 0)
    {
        std::scoped_lock guard(m_players[slot]->lock);
        name = NameOf(m_players[slot]->name);
    }
    plat::DebugOutput((name + what).c_str());
}

void tovDirectPlay::OnGameParams(plat::NetPlayerId from, const tovNet::GameParamsMsg& msg)
{
    const uint8_t senderSlot = msg.header.senderSlot;
    // Only the transport's current host publishes parameters: it names itself in its own table,
    // and it takes none from anyone. The host relays every player's messages, so the slot byte
    // and the table alone would let any player speak for it.
    bool duplicate = false;
    for (uint32_t i = 0; i < msg.count; ++i)
        for (uint32_t j = i + 1; j < msg.count; ++j)
            duplicate = duplicate || (msg.ids[i] != 0 && msg.ids[i] == msg.ids[j]);
    if (IsHost() || from != m_transport->GetHostId() || senderSlot >= msg.count || msg.ids[senderSlot] != from ||
        duplicate)
    {
        Drop();
        return;
    }
    GAMEPARAMS params = msg.params;
    if (msg.header.stamp != 0xFFFFFFFFu && msg.timeOfDay != -1.0)
    {
        params.hostStamp = static_cast<int32_t>(msg.header.stamp);
        params.receiptStamp = static_cast<int32_t>(GetElapsedMs());
        params.hostTimeOfDay = msg.timeOfDay;
    }
    else
    {
        // The sender's own stamps mean nothing here.
        params.ClearHostClock();
    }
    StoreGameParams(params);
    // Seated before the table, a player is not new whatever the table moves: a swap of two
    // players empties the second one's seat before the table seats it again.
    const auto seatedBefore = GetSlotIds();
    for (uint32_t i = 0; i < msg.count; ++i)
    {
        const plat::NetPlayerId id = msg.ids[i];
        // A player the transport does not know would keep its seat for good.
        if (id == 0 || !m_transport->HasPlayer(id) || HeardLeave(id))
            continue;
        SeatFromTable(id, static_cast<int32_t>(i),
                      std::find(seatedBefore.begin(), seatedBefore.end(), id) == seatedBefore.end());
    }
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) != 0)
            player.flags = slot == senderSlot ? player.flags | kHostSlot : player.flags & ~kHostSlot;
    }
}

void tovDirectPlay::SeatFromTable(plat::NetPlayerId id, int32_t slot, bool announce)
{
    const int32_t seated = SlotOfId(id);
    if (seated != slot)
    {
        // The host's table wins over any seat this copy had: the player moves, and whoever sat
        // in its slot here gives it up (the table seats that one too, if anywhere).
        if (seated >= 0)
            EmptySlot(seated);
        EmptySlot(slot);
        OnPlayerJoined(id, slot, announce && seated < 0);
    }
    if (id != m_localId.load())
        return;
    m_localSlot = slot;
    // A new seat reads phase 0 on every copy: one set before the seat came is told from it, on
    // the main thread, after any phase set meanwhile.
    if (seated != slot && m_localPhase.load() != 0)
        Post([this] { SetLocalPhase(m_localPhase.load()); });
}

void tovDirectPlay::OnPlayerHeader(plat::NetPlayerId from, const tovNet::PlayerHeaderMsg& msg)
{
    const int32_t slot = SlotOfId(from);
    if (slot < 0)
        return;
    bool news = false;
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        news = player.state.m_phase != msg.phase;
        player.version = tovNet::kVersion;
        player.state.m_phase = msg.phase;
        player.lakeMask = msg.lakeMask;
        player.resultA = msg.resultA;
        player.resultB = msg.resultB;
        if (msg.phase == kResultsPhase || msg.phase == kResultsTakenPhase)
            player.resultsExchanged = true;
        player.livewell = msg.livewell;
        player.heardSinceMove = true;
    }
    if (msg.replyWanted != 0 && IsHost() && TakeAnswer(from, news))
        Post([this, from] { SendGameParams(from, false); });
    // A host that took over between the days holds its next day back until every player has
    // spoken since the move. A cut host's start asks once and no wait of its own asks again: the
    // day goes out on the word that settles it.
    if (IsHost() && m_owesDayEnd.load())
        Post(
            [this]
            {
                const int32_t own = GetPlayerPhase(kLocalSlot);
                if (m_owesDayEnd.load() && (own == kDayParamsPhase || own == kInDayPhase))
                    SyncPhase(own, true);
            });
}

void tovDirectPlay::OnPlayerState(plat::NetPlayerId from, const tovNet::PlayerStateMsg& msg)
{
    int32_t slot = SlotOfId(from);
    if (slot < 0)
    {
        // A player the table has not seated yet takes the slot it names, only when it is free,
        // and only on the host: elsewhere the host's table alone seats players.
        const uint8_t named = msg.header.senderSlot;
        if (!IsHost() || named >= tovNet::kSlots || IsSlotActive(named))
        {
            Drop();
            return;
        }
        slot = OnPlayerJoined(from, named);
        if (slot != named)
            return;
    }
    else if (!SenderSlotMatches(from, msg.header.senderSlot))
    {
        Drop();
        return;
    }
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    player.state.anglerValue = msg.state.anglerValue;
    player.state.CopyAnglerPart(msg.state);
    static_cast<tovBoatState&>(player.state) = static_cast<const tovBoatState&>(msg.state);
    player.state.m_phase = msg.state.m_phase;
    player.time = Now();
    player.flags |= kChanged;
}

void tovDirectPlay::OnEvent(plat::NetPlayerId from, const tovNet::EventMsg& msg)
{
    const int32_t slot = SlotOfId(from);
    if (slot < 0)
        return;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    tovDirectPlayState& state = player.state;
    switch (msg.kind)
    {
    case tovNet::EventMsg::kThrottle:
        state.SetThrottle(msg.values[0]);
        state.m_changeMask |= tovBoatState::kThrottle;
        break;
    case tovNet::EventMsg::kSteering:
        state.SetSteering(msg.values[0]);
        state.m_changeMask |= tovBoatState::kSteering;
        break;
    case tovNet::EventMsg::kRangeControl:
        state.SetRangeControl(msg.values[0]);
        state.m_changeMask |= tovBoatState::kTrim;
        break;
    case tovNet::EventMsg::kAnglerPhase:
        state.block[tovAnglerState::kPhaseWord] = msg.subKind;
        if (msg.subKind == tovNet::EventMsg::kCastTargetSubKind)
            state.castTarget = msg.values;
        else if (msg.subKind == tovNet::EventMsg::kFlagsSubKind)
        {
            state.readyInWaitCast = (msg.word & 0xFFFF) != 0;
            state.fastReelInWaitCast = (msg.word >> 16) != 0;
        }
        break;
    case tovNet::EventMsg::kTackleChoice:
    {
        const auto first = static_cast<int16_t>(msg.word & 0xFFFF);
        const auto second = static_cast<int16_t>(msg.word >> 16);
        // The pair is the trolling motor's command and level: out of range, the event is refused.
        if (first < 0 || first > 5 || second < -1 || second > 9)
        {
            Drop();
            return;
        }
        state.m_lastTrollingCommand = first;
        state.m_trollingLevel = second;
        state.m_changeMask |= tovBoatState::kTrolling;
        break;
    }
    case tovNet::EventMsg::kLeftFishing:
        state.m_throttle = state.m_steering = state.m_trim = 0.0f;
        state.m_speed = state.m_targetSpeed = 0.0f;
        state.m_changeMask |= tovBoatState::kSpeed;
        player.time = Now();
        break;
    default:
        return;
    }
    player.flags |= kChanged;
}

void tovDirectPlay::OnChatText(plat::NetPlayerId from, const tovNet::ChatTextMsg& msg)
{
    std::string name;
    if (const int32_t slot = SlotOfId(from); slot >= 0)
    {
        std::scoped_lock guard(m_players[slot]->lock);
        name = NameOf(m_players[slot]->name);
    }
    ShowNetMessage(name + ": " + msg.text.data());
}

void tovDirectPlay::OnNameChanged(plat::NetPlayerId from)
{
    const int32_t slot = SlotOfId(from);
    if (slot < 0)
        return;
    const std::string fetched = m_transport->GetPlayerName(from).substr(0, kNameChars - 1);
    std::string old;
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        old = NameOf(player.name);
        player.name.fill(0);
        std::strncpy(player.name.data(), fetched.c_str(), kNameChars - 1);
    }
    const std::string now = NameOf(m_players[slot]->name);
    if (!old.empty() && !now.empty() && old != now)
    {
        char line[2 * kNameChars + 32];
        std::snprintf(line, sizeof(line), "%s has changed name to %s.", old.c_str(), now.c_str());
        ShowNetMessage(line);
    }
}

void tovDirectPlay::TakeGivenName()
{
    const int32_t slot = SlotOfId(m_localId.load());
    if (slot < 0)
        return;
    const std::string given = m_transport->GetPlayerName(m_localId.load()).substr(0, kNameChars - 1);
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    player.name.fill(0);
    std::strncpy(player.name.data(), given.c_str(), kNameChars - 1);
}

// --- Main thread: rigs from states ----------------------------------------------------------

void tovDirectPlay::ApplyPlayerStates()
{
    ClearLeftSlots();
    tovGameSession* session = TheGameSession();
    const bool lowDetail = TheUserProfile().GetDetail() < kLowDetailBelow;
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        plat::NetPlayerId id = 0;
        tovPlayerState state;
        {
            std::scoped_lock guard(player.lock);
            if ((player.flags & kActive) == 0 || player.id == 0 || player.rig)
                continue;
            id = player.id;
            state.CopyPlayerState(player.state);
        }
        QrPointer<tovAnglerRigBase> rig;
        const bool local = id == m_localId.load();
        if (local)
        {
            if (session != nullptr)
                rig = session->GetCurrentAngler();
        }
        else if (state.m_paintScheme >= 0 && m_rigFactory)
        {
            ToWorld(state);
            rig = m_rigFactory(slot, state, lowDetail);
            if (rig && session != nullptr)
                session->AddAngler(rig.Get(), false);
        }
        if (!rig)
            continue;
        {
            std::scoped_lock guard(player.lock);
            if (player.id == id && (player.flags & kActive) != 0 && !player.rig)
            {
                player.rig = rig;
                continue;
            }
        }
        // The slot changed hands while the rig was made: it must not stay on the lake.
        if (!local)
            RetireRig(std::move(rig), slot);
    }
}
