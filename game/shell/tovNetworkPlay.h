#pragma once
// What the game asks of a network session. Code outside network play calls the Net…
// functions of tovNetFacade.h, never this interface directly; the session in the network layer
// implements it and installs itself through SetNetworkPlay. Without an installed session the
// null object answers "no session". Main thread only unless an operation says otherwise.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QrPoint3;
class tovAnglerRigBase;
class tovBoat;
class tovBoatState;
class tovPlayerState;

namespace plat
{
class WindowBackend;
} // namespace plat

class tovGameParamsRecord;

class tovNetworkPlay
{
public:
    // The parameters the host shares with every player (tovNetworkPlayGameParams.h).
    struct GAMEPARAMS;

    static constexpr int32_t kMaxPlayers = 5;
    // As a slot argument: the local player; as an addressee: everyone.
    static constexpr int32_t kLocalSlot = 255;
    static constexpr size_t kAnglerSnapshotWords = 421;
    // The number of fish, then the six livewell fish records, as the rig's snapshot holds them.
    using AnglerSnapshot = std::array<uint32_t, kAnglerSnapshotWords>;

    virtual ~tovNetworkPlay() = default;

    // The set-up dialog, then hosting or joining; false when it was left or failed.
    virtual bool Open(plat::WindowBackend* window) = 0;
    virtual void Close() = 0;
    virtual bool IsSessionOpen() = 0;
    virtual bool IsHost() = 0;
    // Fresh state records for every active slot, then the local phase.
    virtual void ResetPlayerStates(int32_t phase) = 0;
    // Host: new players are refused (the start of a day closes the door) or admitted again.
    virtual void DisableJoining() = 0;
    virtual void EnableJoining() = 0;

    // Shared parameters: stored only by the host or while no session is open; broadcast sends
    // them to everyone when a session is open.
    virtual void SetLakeId(int32_t id, bool broadcast) = 0;
    virtual void SetPlayerIndex(int32_t index, bool broadcast) = 0;
    virtual void SetDay(int32_t day, bool broadcast) = 0;
    virtual void SetSetting0(int32_t value, bool broadcast) = 0;
    virtual void SetSetting1(int32_t value, bool broadcast) = 0;
    virtual int32_t GetPlayerIndex() = 0;
    virtual int32_t GetSetting0() = 0;
    virtual int32_t GetSetting1() = 0;
    // Host only: the parameters to everyone.
    virtual void BroadcastGameParams() = 0;
    // Milliseconds since this player's session began (the clock of the receipt stamp).
    virtual uint32_t GetElapsedMs() = 0;

    // True when the parameters of the phase are in effect for this player.
    virtual bool SyncPhase(int32_t phase, bool announce) = 0;
    virtual void SetLocalPhase(int32_t phase) = 0;
    virtual bool IsPlayerInPhase(int32_t phase, int32_t slot) = 0;
    // Blocks (pumping the window) until every player is through; false when the program quits.
    virtual bool WaitForPhase(int32_t first, int32_t second, int32_t third, int32_t fourth) = 0;
    // Blocks (pumping the window) until the host's parameters of the phase are in effect here
    // (the host's are at once); false when the program quits.
    virtual bool WaitForHostPhase(int32_t phase) = 0;
    // A new game's set-up: blocks (pumping the window) while another player is still in the
    // last game's weigh-in, then the host numbers the new game. False when the program quits.
    virtual bool BeginGame() { return true; }

    // The start of a game's first day. Host: true once every other seated player stands at its
    // own start too; a session that keeps no phases never waits.
    virtual bool IsEveryoneAtDayStart() { return true; }
    // Host: the seated players (by slot) the start of the first day still waits for.
    virtual std::vector<int32_t> SlotsNotAtDayStart() { return {}; }
    // This copy's own phase (0 without a session).
    virtual int32_t GetLocalPhase() { return 0; }
    // The phase the slot's player last said it is in, as this copy heard it (0 for no player).
    virtual int32_t GetPlayerPhase(int32_t /*slot*/) { return 0; }
    // Where the host's game stands for a copy at the start of its first day: not begun (the host
    // will wait for this copy, or its last game is over), on its first day, or past it.
    enum class HostGame : int32_t
    {
        kNotBegun,
        kFirstDay,
        kPastFirstDay,
    };
    virtual HostGame GetHostGame() { return HostGame::kNotBegun; }
    // The network game this copy plays: the host's count (0 before the host's first).
    virtual uint16_t GetGameNumber() const { return 0; }
    // The player of the slot has begun a day of the game under way: one still on its way there
    // (profiles, set-up, its start of the day) has not.
    virtual bool HasBegunDay(int32_t /*slot*/) { return true; }

    // 0 to 4, or 255 while the local player has none.
    virtual int32_t GetLocalSlot() = 0;
    virtual bool GetPlayerAnglerState(int32_t slot, AnglerSnapshot& out) = 0;
    virtual bool GetPlayerResults(int32_t slot, int32_t& a, int32_t& b) = 0;
    virtual bool AddPlayerResults(int32_t slot, int32_t a, int32_t b) = 0;
    virtual void ClearPlayerResults() = 0;
    // The lakes every player has: a bit per lake id.
    virtual uint32_t GetCommonLakeMask() = 0;
    // Fills at most n characters including the terminator; false when the slot has no player.
    virtual bool GetPlayerName(int32_t slot, char* buffer, size_t n) = 0;
    // A player who left the session after its results of the day were exchanged: they stand
    // for it until the results are cleared, or the players reset for a new game.
    struct LeftResults
    {
        uint32_t id = 0;
        std::string name;
        int32_t a = 0;
        int32_t b = 0;
    };
    virtual std::vector<LeftResults> GetLeftPlayersResults() { return {}; }
    // Who holds the slot, for as long as the session lasts; 0 when the slot has no player. A
    // session that keeps no ids of its own names its players by slot.
    virtual uint32_t GetPlayerId(int32_t slot)
    {
        char name[32] = {};
        return slot >= 0 && slot < kMaxPlayers && GetPlayerName(slot, name, sizeof name) ? uint32_t(slot) + 1 : 0;
    }
    virtual void ChangePlayerName(const char* name) = 0;

    // The slot whose rig drives the boat, -1 when none.
    virtual int32_t FindRigSlot(const tovBoat* boat) = 0;
    // The boat part of a remote player's latest state (world coordinates) and its age in seconds.
    virtual bool GetRigBoatState(const tovBoat* boat, tovBoatState& out, double& age) = 0;
    virtual bool GetRigPlayerState(const tovAnglerRigBase* rig, tovPlayerState& out) = 0;
    // Builds rigs for new remote players and clears the slots of those who left.
    virtual void ApplyPlayerStates() = 0;

    virtual void Ping(int32_t slot) = 0;
    // With a rig that belongs to a slot nothing is sent.
    virtual void SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase* rig) = 0;
    virtual void SendOwnPlayerState() = 0;
    virtual void SendLeftFishing() = 0;
    virtual void SendThrottle(float value) = 0;
    virtual void SendSteering(float value) = 0;
    virtual void SendRangeControl(float value) = 0;
    virtual void SendTackleChoice(int32_t first, int32_t second) = 0;
    virtual void SendAnglerPhase0() = 0;
    virtual void SendAnglerPhase1() = 0;
    virtual void SendAnglerPhase1Via45() = 0;
    virtual void SendCastTarget(const QrPoint3& point) = 0;
    virtual void SendAnglerFlagsA() = 0;
    virtual void SendAnglerFlagsAB() = 0;
    virtual void SendAnglerFlagsOff() = 0;

    // Runs on the main thread what the receive thread queued for it (engine objects and game
    // state are touched only there).
    virtual void DrainMainThreadQueue() = 0;
    // The session's own parameters; null: the program's record stands for them.
    virtual tovGameParamsRecord* GetParamsRecord() { return nullptr; }
};

// Borrowed; null puts the null object back ("no session object"). Installing restarts the
// periodic service's timers.
void SetNetworkPlay(tovNetworkPlay* session);
tovNetworkPlay& TheNetworkPlay();
// False while the null object stands in.
bool HasNetworkPlay();
