// The session's shared parameters, phases and waits, and what it sends.
#include "tovDirectPlay.h"

#include "Clock.h"
#include "qrxBaseApp.h"
#include "tovAnglerRig.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{

constexpr int32_t kAnnouncePasses = 20;
constexpr int32_t kWaitStepMs = 100;

void Sleep(int32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Differs from tournament to tournament (the calendar's second) and day to day; not from the
// session's time, so that a headless run on a fixed calendar draws one field every run.
uint16_t WeighInSeed(int32_t day)
{
    uint32_t x = static_cast<uint32_t>(plat::CalendarSeconds()) ^ (static_cast<uint32_t>(day) * 2654435761u);
    x ^= x >> 16;
    return static_cast<uint16_t>(x);
}

} // namespace

void tovDirectPlay::SetParam(int32_t tovNetworkPlay::GAMEPARAMS::*field, int32_t value, bool broadcast)
{
    if (IsSessionOpen() && !IsHost())
        return;
    {
        std::scoped_lock guard(GameParamsLock());
        GAMEPARAMS& params = TheGameParams();
        params.*field = value;
        // Day 0 is a game before its first day: no phase of a day or a weigh-in goes beside it.
        if (field == &GAMEPARAMS::day && value == 0 && params.phase >= kDayStartPhase)
            params.phase = static_cast<uint16_t>(kSetUpPhase);
    }
    if (broadcast && IsSessionOpen())
        SendGameParams(plat::kNetAllPlayers, false);
}

void tovDirectPlay::SetLakeId(int32_t id, bool broadcast)
{
    SetParam(&GAMEPARAMS::lakeId, id, broadcast);
}

void tovDirectPlay::SetPlayerIndex(int32_t index, bool broadcast)
{
    SetParam(&GAMEPARAMS::playerIndex, index, broadcast);
}

void tovDirectPlay::SetDay(int32_t day, bool broadcast)
{
    SetParam(&GAMEPARAMS::day, day, broadcast);
}

void tovDirectPlay::SetSetting0(int32_t value, bool broadcast)
{
    SetParam(&GAMEPARAMS::setting0, value, broadcast);
}

void tovDirectPlay::SetSetting1(int32_t value, bool broadcast)
{
    SetParam(&GAMEPARAMS::setting1, value, broadcast);
}

int32_t tovDirectPlay::GetPlayerIndex()
{
    return CopyGameParams().playerIndex;
}

int32_t tovDirectPlay::GetSetting0()
{
    return CopyGameParams().setting0;
}

int32_t tovDirectPlay::GetSetting1()
{
    return CopyGameParams().setting1;
}

int32_t tovDirectPlay::GetDay()
{
    return CopyGameParams().day;
}

void tovDirectPlay::BroadcastGameParams()
{
    if (IsHost())
        SendGameParams(plat::kNetAllPlayers, false);
}

bool tovDirectPlay::SendMessage(plat::NetPlayerId to, std::vector<uint8_t> message)
{
    if (!IsSessionOpen() || message.size() < tovNet::kHeaderSize)
        return false;
    message[1] = static_cast<uint8_t>(m_localSlot.load());
    if (tovNet::IsGameMessage(message[0]))
        tovNet::StampGame(message, m_game.load());
    std::vector<tovNetPacer::Message> out;
    bool sent = false;
    bool firstHeld = false;
    {
        std::scoped_lock guard(m_sendMutex);
        const bool holding = m_pacer.HeldCount() > 0;
        m_pacer.Offer({to, std::move(message)}, SendNs(), out);
        sent = Transmit(out);
        firstHeld = !holding && m_pacer.HeldCount() > 0;
    }
    // The receive thread sends it at its turn: it takes a new wait on the transport.
    if (firstHeld)
        m_transport->Wake();
    return sent;
}

void tovDirectPlay::SendHeld()
{
    if (!IsSessionOpen())
        return;
    std::vector<tovNetPacer::Message> out;
    std::scoped_lock guard(m_sendMutex);
    m_pacer.TakeDue(SendNs(), out);
    Transmit(out);
}

bool tovDirectPlay::Transmit(std::vector<tovNetPacer::Message>& messages)
{
    bool sent = true;
    for (tovNetPacer::Message& message : messages)
    {
        // Stamped as it leaves: a held message tells when it went.
        tovNet::StampMessage(message.bytes, GetElapsedMs());
        const uint8_t type = message.bytes[0];
        const auto send = [&](bool guaranteed)
        { return m_transport->Send(message.to, message.bytes.data(), message.bytes.size(), guaranteed); };
        // A line the player typed, shown here, must not vanish where the link takes only guaranteed
        // messages for a while (coming back to a new host): there it goes guaranteed.
        sent = (send(tovNet::IsGuaranteed(type)) || (type == tovNet::kChatText && send(true))) && sent;
    }
    return sent;
}

uint64_t tovDirectPlay::SendNs() const
{
    // Real time, as the link's shares: a headless run's installed clock races or stands still.
    static const plat::SteadyClock steady;
    return (m_sendClock != nullptr ? *m_sendClock : static_cast<const plat::Clock&>(steady)).Nanoseconds();
}

void tovDirectPlay::SendGameParams(plat::NetPlayerId to, bool full)
{
    // An answer or a table queued while this copy hosted says nothing once it has stepped down.
    if (!IsHost())
        return;
    tovNet::GameParamsMsg msg;
    msg.header.type = full ? tovNet::kParamsFull : tovNet::kParamsUpdate;
    msg.timeOfDay = TheGameClock().GetTimeOfDay();
    msg.params = CopyGameParams();
    msg.ids = GetSlotIds();
    SendMessage(to, msg.Write());
}

void tovDirectPlay::SetLocalLivewell(const std::array<tovNet::LivewellEntry, tovNet::kLivewellPlaces>& livewell)
{
    m_localLivewell = livewell;
}

void tovDirectPlay::SendPlayerHeader()
{
    const int32_t slot = m_localSlot.load();
    tovNet::PlayerHeaderMsg msg;
    msg.lakeMask = m_localLakeMask;
    msg.livewell = m_localLivewell;
    QrPointer<tovAnglerRigBase> rig;
    if (slot >= 0 && slot < tovNet::kSlots)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        msg.phase = player.state.m_phase;
        msg.resultA = player.resultA;
        msg.resultB = player.resultB;
        rig = player.rig;
    }
    if (const auto* angler = dynamic_cast<const tovAnglerRig*>(rig.Get()))
    {
        std::array<int32_t, kAnglerSnapshotWords> words{};
        angler->FillSnapshot(words);
        for (int32_t place = 0; place < tovNet::kLivewellPlaces; ++place)
        {
            const int32_t* fish = words.data() + 1 + tovDirectPlay::kSnapshotFishWords * place;
            const bool occupied = (fish[tovDirectPlay::kSnapshotWeightWord + 3] & 0xff) != 0;
            msg.livewell[place] = {occupied ? fish[0] : -1,
                                   static_cast<uint32_t>(fish[tovDirectPlay::kSnapshotWeightWord]),
                                   static_cast<uint32_t>(fish[tovDirectPlay::kSnapshotWeightWord + 1])};
        }
    }
    SendMessage(plat::kNetAllPlayers, msg.Write());
}

void tovDirectPlay::SendOwnPlayerState()
{
    const int32_t slot = m_localSlot.load();
    if (slot < 0 || slot >= tovNet::kSlots)
        return;
    PlayerInfo& player = *m_players[slot];
    tovNet::PlayerStateMsg msg;
    QrPointer<tovAnglerRigBase> rig;
    {
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) == 0 || !player.rig)
            return;
        msg.state.CopyPlayerState(player.state);
        msg.state.m_phase = player.state.m_phase;
        rig = player.rig;
    }
    if (const auto* angler = dynamic_cast<const tovAnglerRig*>(rig.Get()))
        FillPlayerState(*angler, msg.state);
    ToMap(msg.state);
    msg.state.m_changeMask = tovBoatState::kAllMask;
    SendMessage(plat::kNetAllPlayers, msg.Write());
}

void tovDirectPlay::SendEvent(tovNet::EventMsg event)
{
    if (m_localSlot.load() == kLocalSlot)
        return;
    SendMessage(plat::kNetAllPlayers, event.Write());
}

void tovDirectPlay::SendThrottle(float value)
{
    tovNet::EventMsg e;
    e.kind = tovNet::EventMsg::kThrottle;
    e.values[0] = value;
    SendEvent(e);
}

void tovDirectPlay::SendSteering(float value)
{
    tovNet::EventMsg e;
    e.kind = tovNet::EventMsg::kSteering;
    e.values[0] = value;
    SendEvent(e);
}

void tovDirectPlay::SendRangeControl(float value)
{
    tovNet::EventMsg e;
    e.kind = tovNet::EventMsg::kRangeControl;
    e.values[0] = value;
    SendEvent(e);
}

void tovDirectPlay::SendTackleChoice(int32_t first, int32_t second)
{
    tovNet::EventMsg e;
    e.kind = tovNet::EventMsg::kTackleChoice;
    e.word = (static_cast<uint32_t>(first) & 0xFFFF) | static_cast<uint32_t>(second) << 16;
    SendEvent(e);
}

namespace
{

tovNet::EventMsg AnglerPhaseEvent(uint8_t subKind)
{
    tovNet::EventMsg e;
    e.kind = tovNet::EventMsg::kAnglerPhase;
    e.subKind = subKind;
    return e;
}

} // namespace

void tovDirectPlay::SendAnglerPhase0()
{
    SendEvent(AnglerPhaseEvent(0));
}

void tovDirectPlay::SendAnglerPhase1()
{
    SendEvent(AnglerPhaseEvent(1));
}

void tovDirectPlay::SendAnglerPhase1Via45()
{
    SendEvent(AnglerPhaseEvent(1));
}

void tovDirectPlay::SendCastTarget(const QrPoint3& point)
{
    tovNet::EventMsg e = AnglerPhaseEvent(tovNet::EventMsg::kCastTargetSubKind);
    e.values = {point.x, point.y, point.z};
    SendEvent(e);
}

void tovDirectPlay::SendAnglerFlagsA()
{
    tovNet::EventMsg e = AnglerPhaseEvent(tovNet::EventMsg::kFlagsSubKind);
    e.word = 1;
    SendEvent(e);
}

void tovDirectPlay::SendAnglerFlagsAB()
{
    tovNet::EventMsg e = AnglerPhaseEvent(tovNet::EventMsg::kFlagsSubKind);
    e.word = 0x10001;
    SendEvent(e);
}

void tovDirectPlay::SendAnglerFlagsOff()
{
    SendEvent(AnglerPhaseEvent(tovNet::EventMsg::kFlagsSubKind));
}

void tovDirectPlay::SendLeftFishing()
{
    tovNet::EventMsg e;
    e.kind = tovNet::EventMsg::kLeftFishing;
    SendEvent(e);
}

void tovDirectPlay::Ping(int32_t slot)
{
    plat::NetPlayerId to = plat::kNetAllPlayers;
    if (slot != kLocalSlot)
    {
        const auto ids = GetSlotIds();
        if (slot < 0 || slot >= tovNet::kSlots || ids[slot] == 0)
            return;
        to = ids[slot];
    }
    SendMessage(to, tovNet::PingMsg().Write());
}

void tovDirectPlay::SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase* rig)
{
    if (text == nullptr || (rig != nullptr && FindRigSlotByPointer(rig) >= 0))
        return;
    tovNet::ChatTextMsg msg;
    msg.SetText(text);
    SendMessage(plat::kNetAllPlayers, msg.Write());
    if (!noLocalEcho)
        ShowNetMessage(msg.text.data());
}

void tovDirectPlay::DisableJoining()
{
    if (IsHost())
        m_transport->SetJoinable(false);
}

void tovDirectPlay::EnableJoining()
{
    if (IsHost())
        m_transport->SetJoinable(true);
}

// --- Phases ---------------------------------------------------------------------------------

void tovDirectPlay::ResetPlayerStates(int32_t phase)
{
    {
        std::scoped_lock guard(m_leftResultsMutex);
        m_leftResults.clear();
    }
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        QrPointer<tovAnglerRigBase> rig;
        {
            std::scoped_lock guard(player.lock);
            if ((player.flags & kActive) == 0)
                continue;
            rig = std::move(player.rig);
            // A player stays in the phase it announced until it announces another: read as 0 in
            // between, a player still on its way to the lake would count as weighed in.
            const uint16_t announced = player.state.m_phase;
            player.state = tovDirectPlayState();
            player.state.m_phase = announced;
            player.livewell = {};
            player.time = -1.0;
        }
        // A remote rig leaves the world with its record; ApplyPlayerStates builds a new one.
        if (rig && slot != m_localSlot.load())
            RetireRig(std::move(rig), slot);
    }
    SetLocalPhase(phase);
}

void tovDirectPlay::SetLocalPhase(int32_t phase)
{
    m_localPhase = phase;
    // Back before a game's days: no last day is left to wait for.
    if (phase < kBetweenDaysPhase)
        m_owesDayEnd = false;
    const int32_t slot = m_localSlot.load();
    if (slot < 0 || slot >= tovNet::kSlots)
        return;
    {
        std::scoped_lock guard(m_players[slot]->lock);
        m_players[slot]->state.m_phase = static_cast<uint16_t>(phase);
    }
    if (IsHost())
        SyncPhase(0, true);
    if (m_localSlot.load() == slot)
        SendPlayerHeader();
}

bool tovDirectPlay::ApplyHostClock()
{
    return NetApplyHostClock(m_params, GetElapsedMs());
}

bool tovDirectPlay::SyncPhase(int32_t phase, bool announce)
{
    return SyncPhaseAs(IsHost(), phase, announce);
}

bool tovDirectPlay::SyncPhaseAs(bool host, int32_t phase, bool announce)
{
    GAMEPARAMS params = CopyGameParams();
    if (phase == 0)
        phase = GetPlayerPhase(kLocalSlot);
    if (host)
    {
        if ((phase == kDayParamsPhase || phase == kInDayPhase) && m_owesDayEnd.load())
        {
            if (!AllOthersSeated(
                    [](const PlayerInfo& player)
                    { return player.heardSinceMove && IsPhaseCompatible(kBetweenDaysPhase, player.state.m_phase); }))
                return false;
            m_owesDayEnd = false;
            // The day this copy went on to as a client went into no parameters; its clock may
            // stand at the last day's end. The day goes out at its start, which every copy takes.
            if (const tovGameSession* session = TheGameSession())
                params.day = session->GetDay();
            TheGameClock().SetGameTime(0.0);
        }
        const bool changed = params.phase != phase;
        params.phase = static_cast<uint16_t>(phase);
        if (phase == kDayStartPhase)
            params.lakeId = TheLakeCatalogue().GetCurrentLakeId();
        if ((phase == kDayParamsPhase || phase == kInDayPhase) && m_getWeather)
            m_getWeather(params.weather);
        // Every copy draws the day's computer anglers from this seed.
        if (phase == kResultsPhase && changed)
            params.weighInSeed = WeighInSeed(params.day);
        StoreGameParams(params);
        if (changed)
            BroadcastGameParams();
        return true;
    }
    if (phase < kBetweenDaysPhase && params.lakeId >= 0 && params.lakeId != TheLakeCatalogue().GetCurrentLakeId())
        TheLakeCatalogue().SelectLake(TheGameSession(), params.lakeId);
    ApplyHostClock();
    if (!IsPhaseCompatible(phase, params.phase))
    {
        if (announce)
        {
            for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
            {
                PlayerInfo& player = *m_players[slot];
                bool hostReady = false;
                {
                    std::scoped_lock guard(player.lock);
                    hostReady = (player.flags & (kActive | kHostSlot | kLeft)) == (kActive | kHostSlot) &&
                                IsPhaseCompatible(phase, player.state.m_phase);
                }
                // The host answers once a second at most: asking more often is a flood (a host that
                // took over may stand in a day it has not yet published).
                const uint32_t now = LinkMs();
                if (hostReady && HostHeardSinceMove() && (!m_asked.load() || now - m_askedMs.load() >= kAnswerGapMs))
                {
                    m_asked = true;
                    m_askedMs = now;
                    SendPlayerHeader();
                    Sleep(kWaitStepMs);
                    break;
                }
            }
        }
        return false;
    }
    // A client's clock goes to the day's start here (SetDay), or where the host's clock says a day
    // starts (ApplyHostClock above, and the periodic service).
    if (phase == kDayParamsPhase)
    {
        // A day this copy plays already (its clock runs: the player is back on the lake from the
        // menu) keeps the host's time of day taken above; restarting it would give the morning.
        tovGameSession* session = TheGameSession();
        const bool dayUnderWay = session != nullptr && session->GetDay() == params.day && TheGameClock().IsRunning();
        if (session != nullptr && !dayUnderWay)
            session->SetDay(params.day, true);
    }
    if ((phase == kDayParamsPhase || phase == kInDayPhase) && m_setWeather)
        m_setWeather(params.weather);
    return true;
}

bool tovDirectPlay::WaitForAllPlayers(int32_t phase)
{
    for (int32_t pass = 0;; ++pass)
    {
        if (!PumpOnce())
            return false;
        // A session that ended has no one left to wait for.
        if (!IsSessionOpen())
            return true;
        PauseWait();
        if (pass % kAnnouncePasses == 0)
        {
            if (IsHost())
                SendPlayerHeader();
            else if (HostHeardSinceMove() || GetPlayerPhase(kLocalSlot) != phase)
                SetLocalPhase(phase);
        }
        const int32_t local = m_localSlot.load();
        if (local == kLocalSlot || !IsSlotActive(local))
            continue;
        ClearLeftSlots();
        bool all = true;
        for (int32_t slot = 0; slot < tovNet::kSlots && all; ++slot)
        {
            if (IsHost() && slot == local)
                continue;
            PlayerInfo& player = *m_players[slot];
            std::scoped_lock guard(player.lock);
            // After a move only a header sent since counts: what the others sent before may have
            // died with the old host.
            if ((player.flags & kActive) != 0 &&
                (!IsPhaseCompatible(phase, player.state.m_phase) || (slot != local && !player.heardSinceMove)))
                all = false;
        }
        if (all)
            return true;
    }
}

bool tovDirectPlay::WaitForPhase(int32_t first, int32_t second, int32_t /*third*/, int32_t /*fourth*/)
{
    const bool through = WaitForPhasePasses(first, second);
    EndWait();
    return through;
}

bool tovDirectPlay::WaitForPhasePasses(int32_t first, int32_t second)
{
    if (!IsHost())
        return FollowPhaseWait(first, second);
    SyncPhase(first, true);
    if (!WaitForAllPlayers(first))
        return false;
    // A host that stepped down in the wait follows the new host's end of it.
    if (!IsHost())
        return FollowPhaseWait(first, second);
    SetLocalPhase(first);
    return PublishWaitEnd(first, second);
}

bool tovDirectPlay::FollowPhaseWait(int32_t first, int32_t second)
{
    SetLocalPhase(second);
    // The road is not chosen once at entry: a copy that becomes host in the wait goes on as host.
    for (int32_t pass = 0;; ++pass)
    {
        if (IsHost())
            return TakeOverPhaseWait(first, second);
        if (SyncPhaseAs(false, second, false))
            return true;
        if (!PumpOnce())
            return false;
        if (!IsSessionOpen())
            return true;
        // Not on the first pass: SetLocalPhase has just sent this header, and its request.
        if (pass > 0 && pass % kAnnouncePasses == 0 && HostHeardSinceMove())
            SendPlayerHeader();
        PauseWait();
    }
}

bool tovDirectPlay::PublishWaitEnd(int32_t first, int32_t second)
{
    if (!WaitForAllPlayers(second))
        return false;
    if (!IsHost())
        return FollowPhaseWait(first, second);
    SetLocalPhase(second);
    Sleep(kWaitStepMs / 2);
    BroadcastGameParams();
    return true;
}

bool tovDirectPlay::TakeOverPhaseWait(int32_t first, int32_t second)
{
    // The old host published the wait's end (or went on past it) before it went: nothing is left.
    if (IsPhaseCompatible(second, CopyGameParams().phase))
        return true;
    // It went before it published the wait's start (the weigh-in's seed with it): this copy does.
    if (CopyGameParams().phase < first)
        SyncPhase(first, true);
    return PublishWaitEnd(first, second);
}

bool tovDirectPlay::WaitForHostPhase(int32_t phase)
{
    const bool through = WaitForHostPhasePasses(phase);
    EndWait();
    return through;
}

bool tovDirectPlay::WaitForHostPhasePasses(int32_t phase)
{
    for (int32_t pass = 0;; ++pass)
    {
        // Host now, the day is this copy's to publish: at once, or once every player has left the
        // last day when this copy became host between the two.
        const bool host = IsHost();
        if (SyncPhaseAs(host, phase, !host))
            return true;
        if (!PumpOnce())
            return false;
        // Alone in the session: nobody's parameters are awaited.
        if (!IsSessionOpen())
            return true;
        if (pass % kAnnouncePasses == 0 && HostHeardSinceMove())
            SendPlayerHeader();
        PauseWait();
    }
    return true;
}

bool tovDirectPlay::IsBetweenGames(int32_t phase)
{
    return phase < kBetweenDaysPhase || phase == kClosedPhase;
}

bool tovDirectPlay::IsAnyoneStillWeighing()
{
    return !AllOthersSeated([](const PlayerInfo& player)
                            { return player.state.m_phase < kResultsPhase || player.state.m_phase > kClosePhase; });
}

bool tovDirectPlay::BeginGame()
{
    if (!IsSessionOpen())
        return true;
    // This copy has left its own weigh-in: the others' closing waits need not wait for it, as
    // it now waits for them.
    if (const int32_t own = GetPlayerPhase(kLocalSlot); own >= kResultsPhase && own < kClosedPhase)
        SetLocalPhase(kClosedPhase);
    // A copy that set up the next game while another still weighed the last one took that one
    // out of its final: the set-up waits until every weigh-in is closed.
    // The host's road is read as the wait ends, not at entry: a copy that became host in it numbers
    // the game, once every player has told it where it stands since the move.
    bool through = true;
    bool host = IsHost();
    for (int32_t pass = 0; through && IsSessionOpen(); ++pass)
    {
        ClearLeftSlots();
        host = IsHost();
        if (!IsAnyoneStillWeighing() && (!host || AllHeardSinceMove()))
            break;
        through = PumpOnce();
        if (through && IsSessionOpen())
            PauseWait();
    }
    EndWait();
    if (!through || !IsSessionOpen())
        return through;
    // A client whose host has not numbered the game yet (its parameters still the last game's) waits
    // for the number; should it host before that comes, it numbers the game.
    m_begunAsClient = !host && CopyGameParams().phase >= kDayStartPhase;
    if (host)
        NumberNextGame();
    return true;
}

void tovDirectPlay::NumberNextGame()
{
    m_begunAsClient = false;
    // The host numbers each game; the others take the number from its parameters. The game begins
    // here: its number, the set-up's phase and day 0 go out in one message, so that no copy reads
    // the new number beside the last game's closed day, or a day 0 beside its closed phase.
    uint16_t next = static_cast<uint16_t>(m_game.load() + 1);
    if (next == 0)
        next = 1;
    m_game = next;
    {
        std::scoped_lock guard(GameParamsLock());
        GAMEPARAMS& params = TheGameParams();
        params.game = next;
        params.phase = static_cast<uint16_t>(kSetUpPhase);
        params.day = 0;
    }
    BroadcastGameParams();
}

bool tovDirectPlay::IsEveryoneAtDayStart()
{
    return SlotsNotAtDayStart().empty();
}

std::vector<int32_t> tovDirectPlay::SlotsNotAtDayStart()
{
    std::vector<int32_t> away;
    if (!IsSessionOpen() || !IsHost())
        return away;
    const int32_t local = m_localSlot.load();
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        // The start's own phase, not the rule's 2 to 6: a day's phase may be the last game's, and a
        // set-up's 0 would count for every phase of the weigh-in once the day had begun without it.
        // After a move, a player whose word since says it fishes the day began it with the old host:
        // it does not come back to the start.
        const bool begun =
            m_hostMoved.load() && player.state.m_phase >= kDayParamsPhase && player.state.m_phase < kResultsPhase;
        if (slot != local && (player.flags & (kActive | kLeft)) == kActive &&
            ((player.state.m_phase != kDayStartPhase && !begun) || !player.heardSinceMove))
            away.push_back(slot);
    }
    return away;
}

tovNetworkPlay::HostGame tovDirectPlay::GetHostGame()
{
    if (!IsSessionOpen() || IsHost())
        return HostGame::kNotBegun;
    const GAMEPARAMS params = CopyGameParams();
    const int32_t phase = params.phase;
    // The tournament's length setting (0 to 3) is its last day less one.
    const int32_t lastDay = std::clamp(params.setting1, 0, 3) + 1;
    // Day 0 is a game before its first day, whatever phase stands beside it.
    if (phase < kDayStartPhase || (phase == kClosedPhase && params.day >= lastDay) ||
        (params.day < 1 && (phase == kBetweenDaysPhase || phase >= kResultsPhase)))
        return HostGame::kNotBegun;
    // Day 1's start or its fishing; 3 ends a day.
    const bool firstDay =
        phase == kDayStartPhase || (phase > kBetweenDaysPhase && phase < kResultsPhase && params.day <= 1);
    return firstDay ? HostGame::kFirstDay : HostGame::kPastFirstDay;
}

bool tovDirectPlay::HasBegunDay(int32_t slot)
{
    const int32_t phase = GetPlayerPhase(slot);
    // Phase 3 is set as a fishing game ends; the day's and the weigh-in's phases are above it.
    return phase >= kBetweenDaysPhase;
}

bool tovDirectPlay::AnnouncePlayer(int32_t phase, bool announce)
{
    if (!IsSlotActive(m_localSlot.load()))
        return false;
    if (announce)
        SendPlayerHeader();
    Sleep(kWaitStepMs / 2);
    ClearLeftSlots();
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) != 0 && !IsPhaseCompatible(phase, player.state.m_phase))
            return false;
    }
    return true;
}
