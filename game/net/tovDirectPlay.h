#pragma once
// The game's network session: up to five player slots, the shared parameters, each player's
// phase and latest boat and angler state, over a plat::NetSession. A receive thread takes every
// message, checks it (size against type, sender's slot against sender, values in range; a bad
// one is dropped and counted) and updates the slot records under their locks; anything that
// touches engine objects or game state (rigs, lines shown to the player, the profile) is queued
// for the main thread, which drains the queue at frame start and on every pass of the waits.

#include "NetSession.h"
#include "QrPointer.h"
#include "tovAnglerRigBase.h"
#include "tovDirectPlayState.h"
#include "tovNetAllowance.h"
#include "tovNetMessages.h"
#include "tovNetPacer.h"
#include "tovNetPhases.h"
#include "tovNetRelayFilter.h"
#include "tovNetworkPlay.h"
#include "tovNetworkPlayGameParams.h"
#include "tovSpinLock.h"

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class tovAnglingWorld;
namespace plat
{
class Clock;
}

class tovDirectPlay : public tovNetworkPlay
{
public:
    // Player-record flags.
    static constexpr uint32_t kActive = 1;
    static constexpr uint32_t kReserved = 2;
    static constexpr uint32_t kChanged = 4;
    static constexpr uint32_t kHostSlot = 8;
    static constexpr uint32_t kLeft = 0x8000;
    static constexpr size_t kNameChars = 32;
    // Each player's share of the host's link: one parameters answer to its headers a second (a
    // request within the second is owed, and answered with the latest parameters once the second
    // is up). More requests than kFloodRequestsPerSecond a second are a flood, told once in the
    // debug output. Chat lines and renames have their shares in the relay filter.
    // Not an answer to every header: each asks for one, and a flood of them would take the link.
    // A header that brings a new phase is news the host needs, not a repeated request: only
    // the others count toward a flood.
    static constexpr uint32_t kAnswerGapMs = 1000;
    static constexpr uint32_t kFloodRequestsPerSecond = 4;
    // Players heard leave that a session remembers: far more than a session sees come and go.
    static constexpr size_t kHeardLeftKept = 1024;
    static constexpr uint32_t kChatLinesPerSecond = tovNetRelayFilter::kChatLinesPerSecond;
    // Words of one livewell place in the angler snapshot: species, 65 of name, weight, length,
    // display scale, occupied byte.
    static constexpr size_t kSnapshotFishWords = 70;
    static constexpr size_t kSnapshotNameWords = 65;
    static constexpr size_t kSnapshotWeightWord = 1 + kSnapshotNameWords;

    // One slot.
    struct PlayerInfo
    {
        plat::NetPlayerId id = 0;
        QrPointer<tovAnglerRigBase> rig;
        tovDirectPlayState state;
        uint16_t version = 0;
        uint32_t lakeMask = 0;
        std::array<char, kNameChars> name{};
        int32_t resultA = 0;
        int32_t resultB = 0;
        // The player's results of the day reached the exchange; cleared with the results.
        bool resultsExchanged = false;
        // A header of the player came since the host last moved (what came before may have died
        // with the old host, or gone to it alone).
        bool heardSinceMove = true;
        std::array<tovNet::LivewellEntry, tovNet::kLivewellPlaces> livewell{};
        // Application seconds when the last state arrived; -1 none.
        double time = -1.0;
        uint32_t flags = 0;
        tovSpinLock lock;
    };

    // Runs the set-up dialog: true once it has hosted or joined through this session, false
    // when the player left it.
    using SetupDialog = std::function<bool(tovDirectPlay& session)>;
    // A new remote player's rig from its first state (paint scheme and angler words), or null.
    using RigFactory =
        std::function<QrPointer<tovAnglerRigBase>(int32_t slot, const tovPlayerState& state, bool lowDetail)>;
    // Takes the rig of a slot whose player left out of the world (main thread).
    using RigRemover = std::function<void(tovAnglerRigBase* rig)>;
    // A line for the player: chat, joins, leaves, renames (main thread).
    using MessageSink = std::function<void(const std::string& line)>;
    // The fishing world's weather as its flat record (false when there is no sky), and back.
    using WeatherGetter = std::function<bool(std::array<uint8_t, tovNetworkPlay::GAMEPARAMS::kWeatherBytes>& out)>;
    using WeatherSetter = std::function<void(const std::array<uint8_t, tovNetworkPlay::GAMEPARAMS::kWeatherBytes>& in)>;

    explicit tovDirectPlay(std::unique_ptr<plat::NetSession> transport);
    ~tovDirectPlay() override;
    tovDirectPlay(const tovDirectPlay&) = delete;
    tovDirectPlay& operator=(const tovDirectPlay&) = delete;

    // What the set-up dialog calls. The local name is the player's name in the session.
    std::vector<plat::NetSessionInfo> EnumerateSessions(int32_t timeoutMs);
    bool HostSession(const std::string& sessionName, const std::string& address);
    // False when the join failed; GetJoinFailure then says why, for the player.
    bool JoinSession(const std::string& address);
    const std::string& GetJoinFailure() const { return m_joinFailure; }
    // The last join failed for a reason the player can act on: a host answered no (full, begun,
    // turned away), or no port here was free to play from.
    bool WasJoinRefused() const { return m_joinRefused; }
    void SetLocalName(const std::string& name);
    std::string GetLocalName() const;
    std::string GetSessionAddress() const;
    plat::NetPlayerId GetLocalId() const { return m_localId.load(); }

    void SetSetupDialog(SetupDialog dialog) { m_setupDialog = std::move(dialog); }
    void SetRigFactory(RigFactory factory) { m_rigFactory = std::move(factory); }
    void SetRigRemover(RigRemover remover) { m_rigRemover = std::move(remover); }
    void SetMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }
    // Runs once Open has given the profile the session's name (the profiles list shows it).
    void SetProfileListHook(std::function<void()> hook) { m_profileListHook = std::move(hook); }
    void SetWeatherAccess(WeatherGetter getter, WeatherSetter setter);
    // Lake-map conversions of the wire; without a world, positions pass unchanged.
    void SetAnglingWorld(const tovAnglingWorld* world) { m_world = world; }
    // The clock of the players' shares of the link (tests); null: the system's steady clock.
    void SetLinkClock(const plat::Clock* clock) { m_linkClock = clock; }
    // The clock of the send pacer's turns (tests; set before hosting or joining); null: the
    // system's steady clock.
    void SetSendClock(const plat::Clock* clock) { m_sendClock = clock; }

    // tovNetworkPlay.
    bool Open(plat::WindowBackend* window) override;
    void Close() override;
    bool IsSessionOpen() override { return m_localId.load() != 0; }
    bool IsHost() override { return m_host.load(); }
    void ResetPlayerStates(int32_t phase) override;
    void SetLakeId(int32_t id, bool broadcast) override;
    void SetPlayerIndex(int32_t index, bool broadcast) override;
    void SetDay(int32_t day, bool broadcast) override;
    void SetSetting0(int32_t value, bool broadcast) override;
    void SetSetting1(int32_t value, bool broadcast) override;
    int32_t GetPlayerIndex() override;
    int32_t GetSetting0() override;
    int32_t GetSetting1() override;
    int32_t GetDay();
    void BroadcastGameParams() override;
    uint32_t GetElapsedMs() override;
    bool SyncPhase(int32_t phase, bool announce) override;
    void SetLocalPhase(int32_t phase) override;
    bool IsPlayerInPhase(int32_t phase, int32_t slot) override;
    bool WaitForPhase(int32_t first, int32_t second, int32_t third, int32_t fourth) override;
    int32_t GetLocalSlot() override { return m_localSlot.load(); }
    int32_t GetLocalPhase() override { return m_localPhase.load(); }
    bool GetPlayerAnglerState(int32_t slot, AnglerSnapshot& out) override;
    bool GetPlayerResults(int32_t slot, int32_t& a, int32_t& b) override;
    bool AddPlayerResults(int32_t slot, int32_t a, int32_t b) override;
    void ClearPlayerResults() override;
    bool GetPlayerName(int32_t slot, char* buffer, size_t n) override;
    uint32_t GetPlayerId(int32_t slot) override;
    std::vector<LeftResults> GetLeftPlayersResults() override;
    void ChangePlayerName(const char* name) override;
    int32_t FindRigSlot(const tovBoat* boat) override;
    bool GetRigBoatState(const tovBoat* boat, tovBoatState& out, double& age) override;
    bool GetRigPlayerState(const tovAnglerRigBase* rig, tovPlayerState& out) override;
    void ApplyPlayerStates() override;
    void Ping(int32_t slot) override;
    void SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase* rig) override;
    void SendOwnPlayerState() override;
    void SendLeftFishing() override;
    void SendThrottle(float value) override;
    void SendSteering(float value) override;
    void SendRangeControl(float value) override;
    void SendTackleChoice(int32_t first, int32_t second) override;
    void SendAnglerPhase0() override;
    void SendAnglerPhase1() override;
    void SendAnglerPhase1Via45() override;
    void SendCastTarget(const QrPoint3& point) override;
    void SendAnglerFlagsA() override;
    void SendAnglerFlagsAB() override;
    void SendAnglerFlagsOff() override;
    void DrainMainThreadQueue() override;

    void DisableJoining() override;
    void EnableJoining() override;
    bool WaitForHostPhase(int32_t phase) override;
    bool BeginGame() override;
    bool IsEveryoneAtDayStart() override;
    std::vector<int32_t> SlotsNotAtDayStart() override;
    HostGame GetHostGame() override;
    bool HasBegunDay(int32_t slot) override;
    uint32_t GetCommonLakeMask() override;
    uint16_t GetGameNumber() const override { return m_game.load(); }
    // A copy in one of these phases is in a network game's day or weigh-in: it takes no other
    // game's phases. Before the first day and once the last game is closed it is between games.
    static bool IsBetweenGames(int32_t phase);
    // Another player is still in the weigh-in of the game this copy has left.
    bool IsAnyoneStillWeighing();
    // A player whose phase is q counts as being in phase p.
    static bool IsPhaseCompatible(int32_t p, int32_t q);
    // 0 for an inactive slot; 255 = local.
    int32_t GetPlayerPhase(int32_t slot) override;
    bool IsSlotActive(int32_t slot);
    // Whether a header of the slot's player has come (the local player's always has).
    bool HasHeaderOf(int32_t slot);
    int32_t FindRigSlotByPointer(const tovAnglerRigBase* rig);
    bool AnnouncePlayer(int32_t phase, bool announce);
    void SendPlayerHeader();
    // Type 2 (full) or 3 to one player, or to all for plat::kNetAllPlayers.
    void SendGameParams(plat::NetPlayerId to, bool full);
    // The local livewell the player header carries.
    void SetLocalLivewell(const std::array<tovNet::LivewellEntry, tovNet::kLivewellPlaces>& livewell);
    // Slot ids as the session sees them (0 free).
    std::array<plat::NetPlayerId, tovNet::kSlots> GetSlotIds();

    tovGameParamsRecord* GetParamsRecord() override { return &m_params; }
    // This copy's parameters, under their lock.
    GAMEPARAMS CopyGameParams() { return m_params.Copy(); }
    void StoreGameParams(const GAMEPARAMS& params) { m_params.Store(params); }

    // Messages refused since the session object was built.
    uint32_t GetDroppedCount() const { return m_dropped.load(); }
    // The receive path for one message (the receive thread calls it; tests may too).
    void HandleMessage(const plat::NetMessage& message);

private:
    void StartReceiveThread();
    void StopReceiveThread();
    void ReceiveLoop();
    // How long the receive thread may wait for a message before a held one's turn (-1: none held).
    int32_t HeldWaitMs();
    void HandleAppMessage(plat::NetPlayerId from, const uint8_t* data, size_t size);
    void OnGameParams(plat::NetPlayerId from, const tovNet::GameParamsMsg& msg);
    void OnPlayerHeader(plat::NetPlayerId from, const tovNet::PlayerHeaderMsg& msg);
    void OnPlayerState(plat::NetPlayerId from, const tovNet::PlayerStateMsg& msg);
    void OnEvent(plat::NetPlayerId from, const tovNet::EventMsg& msg);
    void OnChatText(plat::NetPlayerId from, const tovNet::ChatTextMsg& msg);
    void OnNameChanged(plat::NetPlayerId from);
    // A message of another network game than this copy's: dropped (not counted as bad), though
    // the host still answers its header, which is how a copy behind learns the new number.
    bool OfAnotherGame(plat::NetPlayerId from, const uint8_t* data, size_t size);
    // The local record takes the name the host gave this player.
    void TakeGivenName();
    // announce: the "has joined" line (not for a player the host's table only moves).
    int32_t OnPlayerJoined(plat::NetPlayerId id, int32_t slot, bool announce = true);
    // The host's table names this player at this slot; announce as for OnPlayerJoined.
    void SeatFromTable(plat::NetPlayerId id, int32_t slot, bool announce);
    void OnPlayerLeft(plat::NetPlayerId id);
    bool HeardLeave(plat::NetPlayerId id);
    // The session's host moved to `host` (receive thread).
    void OnHostMoved(plat::NetPlayerId host);
    // Main thread, in the task the move posts: this copy takes the host role and, at that one
    // point, what it owes from where it stands (a seat, the next game's number, the day's end).
    void TakeHostRole();
    // Receive thread: the session moved away from this copy, which goes on as a client with its
    // seat; nothing a host keeps or owes stays with it.
    void DropHostRole();
    // Receive thread: a copy seated anew by a new host has a new id; its seat's record follows.
    void TakeLocalIdAnew();
    // The host's beginning of the next game: its number, the set-up's phase and day 0 in one
    // message.
    void NumberNextGame();
    // This copy is inside a game's days, as far as it knows: a new host keeps newcomers out.
    bool IsInsideGame();
    // The host's last published phase ends a day that is not the game's last: the next day is
    // still to be published.
    static bool IsNextDayUnpublished(const GAMEPARAMS& params);
    // Every seated player but this copy has sent a header since the host last moved.
    bool AllHeardSinceMove();
    // This copy hosts, or has heard its host since the host last moved: its link to the host is
    // up. A header said again before then waits with the others the link keeps, and all of them
    // reach the new host at once: a flood. The move's own header speaks for this copy meanwhile.
    bool HostHeardSinceMove();
    // Where the transport relays nothing, the relay filter's word on a received message: false
    // when it is past the sender's share.
    bool WithinShare(plat::NetPlayerId from, const uint8_t* data, size_t size);
    // A request for the parameters: true when it is answered now; else the player is owed one
    // answer, which the drain sends when the player's second is up. news: the request brings a
    // new phase.
    bool TakeAnswer(plat::NetPlayerId from, bool news);
    // Milliseconds of the link's clock.
    uint32_t LinkMs() const;
    // Nanoseconds of the send pacer's clock.
    uint64_t SendNs() const;
    // Main thread: the answers owed whose second is up.
    void SendOwedAnswers();
    // The debug output's line for a player's flood, by id.
    void TellFlood(plat::NetPlayerId from, const char* what);
    // The slot of an active, not-left player with this id; -1 none.
    int32_t SlotOfId(plat::NetPlayerId id);
    // A received message's slot byte names the sender's own slot (or none).
    bool SenderSlotMatches(plat::NetPlayerId from, uint8_t slot);
    void ClearSlot(int32_t slot);
    // The record's fields as a free slot's; the caller holds its lock.
    static void ResetRecord(PlayerInfo& player);
    // Clears a slot from either thread; its rig goes on the main thread.
    void EmptySlot(int32_t slot);
    void ClearLeftSlots();
    // Whether `holds` is true of every seated player but this copy, each read under its lock.
    template <class Holds> bool AllOthersSeated(const Holds& holds)
    {
        const int32_t local = m_localSlot.load();
        for (int32_t slot = 0; slot < tovNet::kSlots; ++slot)
        {
            if (slot == local)
                continue;
            PlayerInfo& player = *m_players[slot];
            std::scoped_lock guard(player.lock);
            if ((player.flags & (kActive | kLeft)) == kActive && !holds(player))
                return false;
        }
        return true;
    }
    // Never waits: a paced message before its turn is held, and the receive thread or the drain
    // sends it at its turn.
    bool SendMessage(plat::NetPlayerId to, std::vector<uint8_t> message);
    // The held messages whose turn has come.
    void SendHeld();
    // Stamps and sends; the caller holds m_sendMutex.
    bool Transmit(std::vector<tovNetPacer::Message>& messages);
    void SendEvent(tovNet::EventMsg event);
    void SetParam(int32_t tovNetworkPlay::GAMEPARAMS::*field, int32_t value, bool broadcast);
    bool ApplyHostClock();
    bool WaitForAllPlayers(int32_t phase);
    // SyncPhase on the road given, whatever this copy is by the time it runs.
    bool SyncPhaseAs(bool host, int32_t phase, bool announce);
    bool WaitForPhasePasses(int32_t first, int32_t second);
    // The host's end of a phase wait: every player in `second`, then this copy's word of it.
    bool PublishWaitEnd(int32_t first, int32_t second);
    // A client's part of a phase wait: the host's word that every player is in `second`.
    bool FollowPhaseWait(int32_t first, int32_t second);
    // The host's part of a phase wait, for a copy that became host inside the wait as a client.
    bool TakeOverPhaseWait(int32_t first, int32_t second);
    bool WaitForHostPhasePasses(int32_t phase);
    // One pass of a wait: the main-thread queue, one window message, the waiting frame with the
    // message box over it; false when the program quits. A Yes to the leave question leaves the
    // session here, so the wait ends.
    bool PumpOnce();
    // The pause between passes; while a box is up its frame is served through the pause, so
    // that a click on it is not missed.
    void PauseWait();
    void OnWaitKey(uint32_t key);
    void ServeWaitFrame();
    // A wait that ends takes its leave question down: nothing is left to leave from.
    void EndWait();
    static bool OnLeaveAnswer(int32_t answer, uintptr_t argument);
    void Post(std::function<void()> work);
    void ShowNetMessage(const std::string& line);
    void Drop();
    void ToMap(tovPlayerState& state) const;
    void ToWorld(tovPlayerState& state) const;
    // Takes a rig out of the game session (and the world) on the main thread.
    void RetireRig(QrPointer<tovAnglerRigBase> rig, int32_t slot);
    static double Now();

    // The record itself, for a change under GameParamsLock().
    GAMEPARAMS& TheGameParams() { return m_params.Params(); }
    tovSpinLock& GameParamsLock() { return m_params.Lock(); }

    std::unique_ptr<plat::NetSession> m_transport;
    tovGameParamsRecord m_params;
    std::array<std::unique_ptr<PlayerInfo>, tovNet::kSlots> m_players;
    std::atomic<plat::NetPlayerId> m_localId{0};
    std::atomic<int32_t> m_localSlot{kLocalSlot};
    // This copy's phase, whatever seat it has: a joiner may reach its start of the day before the
    // host's table seats it, and a seat the table moves starts a fresh record.
    std::atomic<int32_t> m_localPhase{0};
    std::atomic<bool> m_host{false};
    // The host as this copy last heard (0 without a session): a word of a move naming it is no move.
    std::atomic<plat::NetPlayerId> m_hostId{0};
    // Became host between two days, past the wait a host makes there for every player to leave the
    // last day: no new day is published until they have.
    std::atomic<bool> m_owesDayEnd{false};
    // This copy passed BeginGame as a client: it is on the set-up of a game the host numbers.
    std::atomic<bool> m_begunAsClient{false};
    // When this copy last asked a ready host for parameters it lacks: once an answer's gap.
    std::atomic<bool> m_asked{false};
    std::atomic<uint32_t> m_askedMs{0};
    // The host has moved since this copy opened its session.
    std::atomic<bool> m_hostMoved{false};
    std::atomic<uint16_t> m_game{0};
    std::atomic<uint32_t> m_dropped{0};
    std::atomic<bool> m_stopReceiving{false};
    uint32_t m_sessionStartMs = 0;
    // The name the player chose; the session may know it by another (the host keeps names unique).
    std::string m_localName;
    std::string m_joinFailure;
    bool m_joinRefused = false;
    // Read on the main thread when a session starts: the catalogue is the main thread's.
    uint32_t m_localLakeMask = 0;
    std::array<tovNet::LivewellEntry, tovNet::kLivewellPlaces> m_localLivewell{};
    std::thread m_receiveThread;
    std::mutex m_queueMutex;
    std::vector<std::function<void()>> m_mainQueue;
    struct Shares
    {
        // Counts requests, to tell a flood; answers go by the fields below.
        tovNetAllowance requests;
        // The tick of the last answer, when there was one.
        uint32_t answeredMs = 0;
        bool answered = false;
        bool owed = false;
    };
    // By player id, while the player is in the session.
    std::mutex m_sharesMutex;
    // The results of players who left after they were exchanged, kept until
    // the results are cleared or the players reset: a copy that weighs late still counts them.
    // Every copy keeps them, not the host alone: the host relays each header before the leave
    // that follows it, and with the host gone a copy keeps what it had heard.
    std::mutex m_leftResultsMutex;
    std::vector<LeftResults> m_leftResults;
    std::map<plat::NetPlayerId, Shares> m_shares;
    // Players this copy heard leave the session (under m_sharesMutex): never seated again.
    std::vector<plat::NetPlayerId> m_heardLeft;
    // Chat and renames: the transport's on the host, else this session's receive thread's.
    std::shared_ptr<tovNetRelayFilter> m_relayFilter = std::make_shared<tovNetRelayFilter>();
    // The pacer and the transport's sends under one lock: what the pacer lets go leaves in its
    // order, whichever thread sends.
    std::mutex m_sendMutex;
    tovNetPacer m_pacer;
    bool m_transportFilters = false;
    SetupDialog m_setupDialog;
    RigFactory m_rigFactory;
    RigRemover m_rigRemover;
    MessageSink m_messageSink;
    std::function<void()> m_profileListHook;
    WeatherGetter m_getWeather;
    WeatherSetter m_setWeather;
    const tovAnglingWorld* m_world = nullptr;
    const plat::Clock* m_linkClock = nullptr;
    const plat::Clock* m_sendClock = nullptr;
    // The waits' leave question (main thread): up, and answered yes.
    bool m_askingLeave = false;
    bool m_leaveChosen = false;
    double m_lastWaitFrame = -1.0;
};
