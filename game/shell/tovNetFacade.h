#pragma once
// How the game reaches network play. Single-player code calls these unconditionally: in a
// network game (a session object with an open session) they act; otherwise each does nothing
// and answers a fixed default. Those marked "object" act whenever a session object is
// installed, open or not (the session keeps the values until a game is hosted). Main thread.

#include "tovNetworkPlay.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// Set by the application from its command line; the shell and the screens open sessions and
// wait for other players only while it is set. Clear at start.
bool IsNetworkLaunch();
void SetNetworkLaunch(bool on);

// A session object is installed and its session is open.
bool IsNetworkGame();
bool IsNetworkHost();

// Object: the set-up dialog, then hosting or joining.
bool NetOpenSession(plat::WindowBackend* window);
void NetCloseSession();
void NetResetPlayers(int32_t phase);
// Object: what the receive thread queued for the main thread (each frame start).
void NetDrainQueue();

// Object: the shared parameters (the host's, or this player's before a session).
void NetSetLakeId(int32_t id, bool broadcast);
void NetSetPlayerIndex(int32_t index, bool broadcast);
void NetSetDay(int32_t day, bool broadcast);
// The day-length level.
void NetSetSetting0(int32_t value, bool broadcast);
// The tournament length.
void NetSetSetting1(int32_t value, bool broadcast);
// Outside a network game: the session's own skill level and the profile's own settings.
int32_t NetGetPlayerIndex();
int32_t NetGetSetting0();
int32_t NetGetSetting1();

bool NetSyncPhase(int32_t phase);
void NetSetLocalPhase(int32_t phase);
bool NetIsPlayerInPhase(int32_t phase, int32_t slot = tovNetworkPlay::kLocalSlot);
bool NetWaitForPhase(int32_t first, int32_t second, int32_t third);
// Blocks until the host's parameters of the phase are in effect (the host's at once); false when
// the program quits. True outside a network game.
bool NetWaitForHostPhase(int32_t phase);
// The set-up of a new network game: waits while another player still weighs the last one, then
// the host numbers the game. True outside a network game.
bool NetBeginGame();
// The start of the first day (tovNetworkPlay): outside a network game nobody is waited for, no
// host's game is under way and every player has begun.
bool NetIsEveryoneAtDayStart();
tovNetworkPlay::HostGame NetGetHostGame();
// The network game this copy plays (0 outside one).
uint16_t NetGetGameNumber();
bool NetHasBegunDay(int32_t slot);
// Host: the seated players its start of the first day still waits for; empty elsewhere.
std::vector<int32_t> NetSlotsNotAtDayStart();
// This copy's phase in the network game (0 outside one).
int32_t NetGetLocalPhase();
// The phase a seated player last said it is in, as this copy heard it (0 outside a network game).
int32_t NetGetPlayerPhase(int32_t slot);
// What the blocking waits show on every pass: the waiting screen's own frame (its banner, its
// board), drawn without presenting; the wait serves the message box over it and presents it.
// The screen that waits sets it for the length of the wait and clears it after.
void NetSetWaitDrawing(std::function<void()> draw);
// Draws the waiting frame; false when no screen set one. The wait-frame hook runs first.
bool NetDrawWaitFrame();
// Runs on every frame a blocking wait shows: the headless harness keeps its digest and script
// going there, as a player's keys do at the waiting picture. Empty: none.
void NetSetWaitFrameHook(std::function<void()> hook);
// What Escape asks while a copy waits for the other players.
inline constexpr const char* kLeaveNetworkQuestion = "Leave the network game?";
// Raises that question, Return answering yes and Escape no; the answer goes to the callback.
void AskToLeaveNetworkGame(bool (*callback)(int32_t answer, uintptr_t argument), uintptr_t argument);

// A network game before its first day: this copy sits in an open session of a network launch
// and has not begun fishing its game (the first one, or the next one after a final). The main
// menu is no place to stand then (the others' start waits for this player, and nothing leads
// back from it), so Escape and a Back to the menu ask to leave the game instead.
bool NetIsBeforeFirstDay();
// Raises kLeaveNetworkQuestion unless a box is up: yes closes the session and marks the game
// left (the application's next frame leads to the main menu), no stays on the screen.
void AskToLeaveBeforeFirstDay();
// This copy begins a day of its game (the session's start of a day on the lake).
void NetNoteDayBegun();

// A new game chosen while a network game is under way waits for that question: the answer yes
// leaves the network game and the choice is gone on with after the box is served (a new game
// would otherwise serve the box, still answered, again).
class tovLeaveFirst
{
public:
    static constexpr int32_t kNoChoice = -1;

    // False, asking nothing, when no network game is under way: the choice is made at once.
    bool Ask(int32_t choice);
    // Once the box is served: the choice to go on with, the network game left, or kNoChoice.
    int32_t TakeChoice();
    void Forget() { m_chosen = false; }

private:
    static bool OnAnswer(int32_t answer, uintptr_t argument);

    int32_t m_pending = kNoChoice;
    bool m_chosen = false;
};
// The player left the network game from a wait: the application's next frame takes the mark
// (once) and goes to the main menu.
void NetMarkLeftGame();
bool NetTakeLeftGame();
// Host: refuses new players from the first day on, and admits them again once the game is over.
void NetDisableJoining();
void NetEnableJoining();
// This copy's network game runs: from the session's opening or the set-up until this copy's
// final is closed. Another game started meanwhile would be played inside it.
bool NetIsGameUnderWay();
// The final is closed on this copy (on the host: by every player): the game is over, and the
// host takes new players again.
void NetFinishGame();
// The player leaves the network game from a screen of its own (a new game chosen on the menus):
// the session closes and the day left behind cannot be returned to.
void NetLeaveGame();
// The lakes every player has, a bit per lake id; every lake outside a network game.
uint32_t NetGetCommonLakeMask();
// The seed of the day's computer anglers that the host shares with its weigh-in phase; 0 outside
// a network game.
uint32_t NetGetWeighInSeed();

// -1 outside a network game.
int32_t NetGetLocalSlot();
bool NetGetPlayerAnglerState(int32_t slot, tovNetworkPlay::AnglerSnapshot& out);
bool NetGetPlayerResults(int32_t slot, int32_t& a, int32_t& b);
bool NetAddPlayerResults(int32_t slot, int32_t a, int32_t b);
// Object.
void NetClearPlayerResults();
// Always empties the buffer first; false (empty) when the slot has no player.
bool NetGetPlayerName(int32_t slot, char* buffer, size_t n);
// The session's id of the slot's player (255: this player's); 0 when none.
uint32_t NetGetPlayerId(int32_t slot);
// The exchanged results of the players who have left since (empty outside a network game).
std::vector<tovNetworkPlay::LeftResults> NetGetLeftPlayersResults();
bool NetGetRigPlayerName(const tovBoat* boat, char* buffer, size_t n);
void NetChangePlayerName(const char* name);

// True in a network game; a boat driven by a player's rig is placed at that slot's start.
bool NetFindRigSlot(tovBoat* boat);
// The slot whose rig drives the boat, -1 when none.
int32_t NetFindRigSlotB(const tovBoat* boat);
bool NetGetRigBoatState(const tovBoat* boat, tovBoatState& out, double& age);
bool NetGetRigPlayerState(const tovAnglerRigBase* rig, tovPlayerState& out);
void NetApplyPlayerStates();

void NetSendChatText(const char* text, bool noEcho, const tovAnglerRigBase* rig);
void NetSendLeftFishing();
void NetSendThrottle(float value);
void NetSendSteering(float value);
void NetSendRangeControl(float value);
void NetSendTackleChoice(int32_t first, int32_t second);
void NetSendAnglerPhase0();
void NetSendAnglerPhase1();
void NetSendAnglerPhase1B();
void NetSendCastTarget(const QrPoint3& point);
void NetSendAnglerFlagsA();
void NetSendAnglerFlagsAB();
void NetSendAnglerFlagsOff();

// The frame's periodic service; times are application seconds.
// A ping to everyone, at most every 2 s (the first call always).
void NetPing(double time);
// Own state every 0.5 s; every 5 s a client takes the host's clock, every 10 s the host
// broadcasts the parameters.
void NetSendPeriodic(double time);
// NetSendPeriodic, then NetApplyPlayerStates.
void NetUpdate(double time, double elapsed);

// Client: when a parameters message has brought the host's clock since the last time, sets the
// game clock to the host's time of day carried forward to now, and marks the clock taken.
// True when it set the clock. Takes the parameters' lock.
bool NetApplyHostClock(uint32_t elapsedMsNow);
// The same from one session's own parameters.
bool NetApplyHostClock(tovGameParamsRecord& record, uint32_t elapsedMsNow);
