#include "tovDirectPlay.h"

#include "Clock.h"
#include "qrxBaseApp.h"
#include "tovAnglerRig.h"
#include "tovAnglingWorld.h"
#include "tovAppServices.h"
#include "tovBoat.h"
#include "tovFishSpecies.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovUserProfile.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace
{

void CopyName(std::array<char, tovDirectPlay::kNameChars>& out, const std::string& name)
{
    out.fill(0);
    std::strncpy(out.data(), name.c_str(), out.size() - 1);
}

std::string CutName(const std::string& name)
{
    return name.substr(0, std::min(name.find('\0'), tovDirectPlay::kNameChars - 1));
}

// This player's name in a session: a profile named with outer spaces plays without them.
std::string LocalName(const std::string& name)
{
    return CutName(tovUserProfile::TrimmedName(CutName(name)));
}

} // namespace

tovDirectPlay::tovDirectPlay(std::unique_ptr<plat::NetSession> transport) : m_transport(std::move(transport))
{
    for (auto& player : m_players)
        player = std::make_unique<PlayerInfo>();
    m_localName = LocalName(TheUserProfile().GetName());
    m_transportFilters = m_transport->SetRelayFilter(m_relayFilter);
    SetNetworkPlay(this);
}

tovDirectPlay::~tovDirectPlay()
{
    // What is still queued runs for its releases only: the callbacks' owners may be gone.
    m_messageSink = nullptr;
    m_rigRemover = nullptr;
    Close();
    DrainMainThreadQueue();
    if (&TheNetworkPlay() == this)
        SetNetworkPlay(nullptr);
}

double tovDirectPlay::Now()
{
    return plat::GetTimeMs() * 0.001;
}

void tovDirectPlay::SetWeatherAccess(WeatherGetter getter, WeatherSetter setter)
{
    m_getWeather = std::move(getter);
    m_setWeather = std::move(setter);
}

std::vector<plat::NetSessionInfo> tovDirectPlay::EnumerateSessions(int32_t timeoutMs)
{
    return m_transport->Enumerate(timeoutMs);
}

bool tovDirectPlay::HostSession(const std::string& sessionName, const std::string& address)
{
    Close();
    m_localLakeMask = TheLakeCatalogue().GetLakeMask();
    if (!m_transport->Host(sessionName, address, kMaxPlayers, m_localName))
        return false;
    m_sessionStartMs = plat::GetTimeMs();
    m_host = true;
    // A new session counts its games anew.
    m_game = 0;
    {
        std::scoped_lock guard(GameParamsLock());
        TheGameParams().game = 0;
    }
    m_localId = m_transport->GetLocalId();
    m_hostId = m_localId.load();
    m_hostMoved = false;
    m_localSlot = OnPlayerJoined(m_localId, kLocalSlot);
    StartReceiveThread();
    return true;
}

bool tovDirectPlay::JoinSession(const std::string& address)
{
    Close();
    m_localLakeMask = TheLakeCatalogue().GetLakeMask();
    m_joinFailure.clear();
    m_joinRefused = false;
    if (!m_transport->Join(address, m_localName))
    {
        const plat::NetJoinFailure failure = m_transport->GetJoinFailure();
        m_joinRefused = failure == plat::NetJoinFailure::Full || failure == plat::NetJoinFailure::Begun ||
                        failure == plat::NetJoinFailure::TurnedAway || failure == plat::NetJoinFailure::NoPort;
        switch (failure)
        {
        case plat::NetJoinFailure::Full:
            m_joinFailure = "The session is full.";
            break;
        case plat::NetJoinFailure::Begun:
            m_joinFailure = "The game has already begun.";
            break;
        case plat::NetJoinFailure::TurnedAway:
            m_joinFailure = "The host turned this player away for a while.";
            break;
        case plat::NetJoinFailure::NoPort:
            m_joinFailure = "No free port was found to play from.";
            break;
        default:
            m_joinFailure = "No game was found at " + address + ".";
            break;
        }
        return false;
    }
    m_sessionStartMs = plat::GetTimeMs();
    m_host = m_transport->IsHost();
    // Taken from the host's first parameters.
    m_game = 0;
    m_localId = m_transport->GetLocalId();
    m_hostId = m_transport->GetHostId();
    m_hostMoved = false;
    // The host's slot table names this player's slot.
    StartReceiveThread();
    // The host lets go a seat that has not introduced itself a while after the welcome.
    SendPlayerHeader();
    return true;
}

void tovDirectPlay::SetLocalName(const std::string& name)
{
    m_localName = LocalName(name);
}

std::string tovDirectPlay::GetLocalName() const
{
    return m_localName;
}

std::string tovDirectPlay::GetSessionAddress() const
{
    return m_transport->GetAddress();
}

bool tovDirectPlay::Open(plat::WindowBackend* /*window*/)
{
    Close();
    // The profile chosen since start-up names the player unless the dialog names it otherwise.
    m_localName = LocalName(TheUserProfile().GetName());
    if (!m_setupDialog || !m_setupDialog(*this) || !IsSessionOpen())
        return false;
    // The name the player chose, not the one the host may have made unique in the session; a
    // profile whose name has outer spaces stays the player's under its trimmed name.
    if (LocalName(TheUserProfile().GetName()) != m_localName)
        TheUserProfile().SetName(m_localName.c_str(), true);
    LoadUserProfile(TheUserProfile());
    if (m_profileListHook)
        m_profileListHook();
    return true;
}

void tovDirectPlay::Close()
{
    {
        // What is held goes before the leave: a header may carry the last phase the others see.
        std::vector<tovNetPacer::Message> held;
        std::scoped_lock guard(m_sendMutex);
        m_pacer.TakeAll(held);
        if (IsSessionOpen())
            Transmit(held);
    }
    StopReceiveThread();
    {
        // What a player of this session was owed means nothing to the next one.
        std::scoped_lock guard(m_sharesMutex);
        m_shares.clear();
        m_heardLeft.clear();
        if (!m_transportFilters)
            m_relayFilter->Forget(plat::kNetAllPlayers);
    }
    const plat::NetPlayerId localId = m_localId.load();
    {
        std::scoped_lock guard(m_leftResultsMutex);
        m_leftResults.clear();
    }
    m_transport->Close();
    // What the old session had still queued (a host change, a leave) would be read as the next
    // session's: a joiner would take itself for the host, or a newcomer of the same id for gone.
    plat::NetMessage stale;
    while (m_transport->Receive(stale, 0))
    {
    }
    m_localId = 0;
    m_hostId = 0;
    m_localSlot = kLocalSlot;
    m_localPhase = 0;
    m_begunAsClient = false;
    m_owesDayEnd = false;
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        QrPointer<tovAnglerRigBase> rig;
        bool local = false;
        {
            std::scoped_lock guard(player.lock);
            rig = std::move(player.rig);
            local = player.id != 0 && player.id == localId;
        }
        ClearSlot(slot);
        if (rig && !local)
            RetireRig(std::move(rig), slot);
    }
}

void tovDirectPlay::StartReceiveThread()
{
    m_stopReceiving = false;
    m_receiveThread = std::thread([this] { ReceiveLoop(); });
}

void tovDirectPlay::StopReceiveThread()
{
    if (!m_receiveThread.joinable())
        return;
    m_stopReceiving = true;
    m_transport->Wake();
    m_receiveThread.join();
}

void tovDirectPlay::ReceiveLoop()
{
    while (!m_stopReceiving.load())
    {
        plat::NetMessage message;
        if (m_transport->Receive(message, HeldWaitMs()))
            HandleMessage(message);
        // Held messages go at their turn while the main thread draws no frame (a lake loading,
        // a wait that serves another session).
        SendHeld();
    }
}

int32_t tovDirectPlay::HeldWaitMs()
{
    std::scoped_lock guard(m_sendMutex);
    const std::optional<uint64_t> next = m_pacer.NextTurn();
    if (!next)
        return -1;
    const uint64_t now = SendNs();
    constexpr uint64_t kNsPerMs = 1000000;
    return *next <= now ? 0 : static_cast<int32_t>(std::min<uint64_t>((*next - now + kNsPerMs - 1) / kNsPerMs, 1000));
}

void tovDirectPlay::Post(std::function<void()> work)
{
    std::scoped_lock guard(m_queueMutex);
    m_mainQueue.push_back(std::move(work));
}

void tovDirectPlay::DrainMainThreadQueue()
{
    std::vector<std::function<void()>> work;
    {
        std::scoped_lock guard(m_queueMutex);
        work.swap(m_mainQueue);
    }
    for (auto& item : work)
        item();
    // Once a frame, whatever the screen: a player who came and went (before the day, too) frees
    // its seat here, so that the questions asked of the seats only read them.
    ClearLeftSlots();
    SendOwedAnswers();
    SendHeld();
}

void tovDirectPlay::ShowNetMessage(const std::string& line)
{
    Post(
        [this, line]
        {
            GetAppServices().PostTextToMainWindow(line.c_str());
            if (m_messageSink)
                m_messageSink(line);
        });
}

void tovDirectPlay::Drop()
{
    ++m_dropped;
}

uint32_t tovDirectPlay::GetElapsedMs()
{
    return plat::GetTimeMs() - m_sessionStartMs;
}

void tovDirectPlay::ClearSlot(int32_t slot)
{
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    ResetRecord(player);
}

void tovDirectPlay::ResetRecord(PlayerInfo& player)
{
    player.id = 0;
    player.name.fill(0);
    player.resultA = player.resultB = 0;
    player.resultsExchanged = false;
    player.heardSinceMove = true;
    player.rig = nullptr;
    player.state = tovDirectPlayState();
    player.livewell = {};
    player.time = -1.0;
    player.version = 0;
    player.lakeMask = 0;
    player.flags = 0;
}

void tovDirectPlay::RetireRig(QrPointer<tovAnglerRigBase> rig, int32_t /*slot*/)
{
    if (tovGameSession* session = TheGameSession())
        session->RemoveAngler(rig.Get());
    if (m_rigRemover)
        m_rigRemover(rig.Get());
}

void tovDirectPlay::ClearLeftSlots()
{
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        QrPointer<tovAnglerRigBase> rig;
        std::optional<LeftResults> exchanged;
        {
            // Checked and cleared under one lock: the host's table may seat a newcomer here
            // meanwhile, and that player must stay.
            std::scoped_lock guard(player.lock);
            if ((player.flags & (kActive | kLeft)) != (kActive | kLeft))
                continue;
            if (player.resultsExchanged && slot != m_localSlot.load())
                exchanged = LeftResults{
                    player.id, std::string(player.name.data(), strnlen(player.name.data(), player.name.size())),
                    player.resultA, player.resultB};
            rig = std::move(player.rig);
            ResetRecord(player);
        }
        if (exchanged)
        {
            std::scoped_lock kept(m_leftResultsMutex);
            m_leftResults.push_back(std::move(*exchanged));
        }
        if (rig && slot != m_localSlot.load())
            RetireRig(std::move(rig), slot);
    }
}

void tovDirectPlay::EmptySlot(int32_t slot)
{
    PlayerInfo& player = *m_players[slot];
    QrPointer<tovAnglerRigBase> rig;
    bool local = false;
    {
        std::scoped_lock guard(player.lock);
        local = player.id != 0 && player.id == m_localId.load();
        rig = std::move(player.rig);
        ResetRecord(player);
    }
    if (local && m_localSlot.load() == slot)
        m_localSlot = kLocalSlot;
    // The local rig is the game's own angler: it only loses this seat.
    if (rig)
        Post(
            [this, rig = std::move(rig), local, slot]() mutable
            {
                if (!local)
                    RetireRig(std::move(rig), slot);
            });
}

int32_t tovDirectPlay::SlotOfId(plat::NetPlayerId id)
{
    if (id == 0)
        return -1;
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if (player.id == id && (player.flags & (kActive | kLeft)) == kActive)
            return slot;
    }
    return -1;
}

std::array<plat::NetPlayerId, tovNet::kSlots> tovDirectPlay::GetSlotIds()
{
    std::array<plat::NetPlayerId, tovNet::kSlots> ids{};
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & (kActive | kLeft)) == kActive)
            ids[slot] = player.id;
    }
    return ids;
}

bool tovDirectPlay::IsSlotActive(int32_t slot)
{
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    return (player.flags & kActive) != 0;
}

int32_t tovDirectPlay::GetPlayerPhase(int32_t slot)
{
    if (slot == kLocalSlot)
        slot = m_localSlot.load();
    if (slot < 0 || slot >= tovNet::kSlots)
        return 0;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    return (player.flags & kActive) != 0 ? player.state.m_phase : 0;
}

bool tovDirectPlay::IsPhaseCompatible(int32_t p, int32_t q)
{
    if (p < 4)
        return p <= q && q <= 6;
    if (p < 7)
        return p <= q && q <= 7;
    if (p < 10)
        return q >= p || q < 2;
    return q >= p || q <= 5;
}

bool tovDirectPlay::HasHeaderOf(int32_t slot)
{
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    return (player.flags & kActive) != 0 && player.version != 0;
}

bool tovDirectPlay::IsPlayerInPhase(int32_t phase, int32_t slot)
{
    if (slot == kLocalSlot)
        slot = m_localSlot.load();
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    // A seat whose player left is freed at the next drain; until then it is in no phase.
    return (player.flags & (kActive | kLeft)) == kActive && IsPhaseCompatible(phase, player.state.m_phase);
}

// --- Results, names, rigs -------------------------------------------------------------------

bool tovDirectPlay::GetPlayerResults(int32_t slot, int32_t& a, int32_t& b)
{
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    a = player.resultA;
    b = player.resultB;
    return true;
}

bool tovDirectPlay::AddPlayerResults(int32_t slot, int32_t a, int32_t b)
{
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    player.resultA += a;
    player.resultB += b;
    return true;
}

std::vector<tovNetworkPlay::LeftResults> tovDirectPlay::GetLeftPlayersResults()
{
    std::scoped_lock guard(m_leftResultsMutex);
    return m_leftResults;
}

void tovDirectPlay::ClearPlayerResults()
{
    {
        std::scoped_lock guard(m_leftResultsMutex);
        m_leftResults.clear();
    }
    for (auto& player : m_players)
    {
        std::scoped_lock guard(player->lock);
        player->resultA = player->resultB = 0;
        player->resultsExchanged = false;
    }
}

uint32_t tovDirectPlay::GetPlayerId(int32_t slot)
{
    if (slot == kLocalSlot)
        slot = m_localSlot.load();
    if (slot < 0 || slot >= tovNet::kSlots)
        return 0;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    return (player.flags & (kActive | kLeft)) == kActive ? player.id : 0;
}

bool tovDirectPlay::GetPlayerName(int32_t slot, char* buffer, size_t n)
{
    if (buffer == nullptr || n == 0)
        return false;
    buffer[0] = 0;
    if (slot == kLocalSlot)
        slot = m_localSlot.load();
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::scoped_lock guard(player.lock);
    if (player.id == 0 || (player.flags & (kActive | kLeft)) != kActive)
        return false;
    std::strncpy(buffer, player.name.data(), n - 1);
    buffer[n - 1] = 0;
    return true;
}

void tovDirectPlay::ChangePlayerName(const char* name)
{
    if (name == nullptr || LocalName(name) == m_localName)
        return;
    m_localName = LocalName(name);
    if (!IsSessionOpen())
        return;
    m_transport->SetPlayerName(m_localName);
    const int32_t slot = m_localSlot.load();
    if (slot >= 0 && slot < tovNet::kSlots)
    {
        // The session's name for the player, which the host may have made unique.
        const std::string given = CutName(m_transport->GetPlayerName(m_localId.load()));
        std::scoped_lock guard(m_players[slot]->lock);
        CopyName(m_players[slot]->name, given);
    }
    SendMessage(plat::kNetAllPlayers, tovNet::NameChangedMsg().Write());
}

uint32_t tovDirectPlay::GetCommonLakeMask()
{
    uint32_t mask = m_localLakeMask;
    AllOthersSeated(
        [&mask](const PlayerInfo& player)
        {
            mask &= player.lakeMask;
            return true;
        });
    return mask;
}

int32_t tovDirectPlay::FindRigSlotByPointer(const tovAnglerRigBase* rig)
{
    if (rig == nullptr)
        return -1;
    tovGameSession* session = TheGameSession();
    if (session != nullptr && session->GetCurrentAngler().Get() == rig && m_localSlot.load() != kLocalSlot)
        return m_localSlot.load();
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) != 0 && player.rig.Get() == rig)
            return slot;
    }
    return -1;
}

int32_t tovDirectPlay::FindRigSlot(const tovBoat* boat)
{
    if (boat == nullptr)
        return -1;
    auto drives = [boat](const tovAnglerRigBase* rig)
    {
        const auto* angler = dynamic_cast<const tovAnglerRig*>(rig);
        return angler != nullptr && angler->GetBoat().Get() == boat;
    };
    tovGameSession* session = TheGameSession();
    if (session != nullptr && m_localSlot.load() != kLocalSlot && drives(session->GetCurrentAngler().Get()))
        return m_localSlot.load();
    for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
    {
        PlayerInfo& player = *m_players[slot];
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) != 0 && drives(player.rig.Get()))
            return slot;
    }
    return -1;
}

void tovDirectPlay::ToMap(tovPlayerState& state) const
{
    if (m_world == nullptr)
        return;
    state.m_position = m_world->WorldToMap(state.m_position);
    state.SetCastTarget(m_world->WorldToMap(state.GetCastTarget()));
}

void tovDirectPlay::ToWorld(tovPlayerState& state) const
{
    if (m_world == nullptr)
        return;
    state.m_position = m_world->MapToWorld(state.m_position);
    state.SetCastTarget(m_world->MapToWorld(state.GetCastTarget()));
}

bool tovDirectPlay::GetRigBoatState(const tovBoat* boat, tovBoatState& out, double& age)
{
    const int32_t slot = FindRigSlot(boat);
    if (slot < 0)
        return false;
    PlayerInfo& player = *m_players[slot];
    tovPlayerState state;
    double time = -1.0;
    {
        std::scoped_lock guard(player.lock);
        if ((player.flags & (kActive | kChanged)) != (kActive | kChanged))
            return false;
        static_cast<tovBoatState&>(state) = player.state;
        time = player.time;
        player.flags &= ~kChanged;
        player.state.m_changeMask = 0;
        player.time = -1.0;
    }
    ToWorld(state);
    out = static_cast<const tovBoatState&>(state);
    age = time >= 0.0 ? Now() - time : 0.0;
    return true;
}

bool tovDirectPlay::GetRigPlayerState(const tovAnglerRigBase* rig, tovPlayerState& out)
{
    const int32_t slot = FindRigSlotByPointer(rig);
    if (slot < 0)
        return false;
    PlayerInfo& player = *m_players[slot];
    tovPlayerState state;
    {
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) == 0)
            return false;
        state.CopyPlayerState(player.state);
    }
    ToWorld(state);
    out.CopyPlayerState(state);
    return true;
}

bool tovDirectPlay::GetPlayerAnglerState(int32_t slot, AnglerSnapshot& out)
{
    if (slot < 0 || slot >= tovNet::kSlots)
        return false;
    PlayerInfo& player = *m_players[slot];
    std::array<tovNet::LivewellEntry, tovNet::kLivewellPlaces> livewell;
    QrPointer<tovAnglerRigBase> rig;
    {
        std::scoped_lock guard(player.lock);
        if ((player.flags & kActive) == 0 || !player.rig)
            return false;
        livewell = player.livewell;
        rig = player.rig;
    }
    if (slot == m_localSlot.load())
    {
        const auto* angler = dynamic_cast<const tovAnglerRig*>(rig.Get());
        if (angler == nullptr)
            return false;
        std::array<int32_t, kAnglerSnapshotWords> words{};
        angler->FillSnapshot(words);
        for (size_t i = 0; i < words.size(); ++i)
            out[i] = static_cast<uint32_t>(words[i]);
        return true;
    }
    out.fill(0);
    uint32_t count = 0;
    for (int32_t place = 0; place < tovNet::kLivewellPlaces; ++place)
    {
        uint32_t* fish = out.data() + 1 + tovDirectPlay::kSnapshotFishWords * place;
        const tovNet::LivewellEntry& entry = livewell[place];
        if (entry.species < 0 || entry.species >= tovNet::kSpeciesCount)
        {
            fish[0] = static_cast<uint32_t>(-1);
            continue;
        }
        ++count;
        fish[0] = static_cast<uint32_t>(entry.species);
        char name[tovDirectPlay::kSnapshotNameWords * 4] = {};
        GetFishSpeciesName(entry.species, name, sizeof(name));
        std::memcpy(fish + 1, name, sizeof(name));
        fish[1 + tovDirectPlay::kSnapshotNameWords] = entry.weight;
        fish[2 + tovDirectPlay::kSnapshotNameWords] = entry.length;
        const float scale = 0.0002f;
        std::memcpy(&fish[3 + tovDirectPlay::kSnapshotNameWords], &scale, sizeof(scale));
        fish[4 + tovDirectPlay::kSnapshotNameWords] = 1;
    }
    out[0] = count;
    return true;
}
