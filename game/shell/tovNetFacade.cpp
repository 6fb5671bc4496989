#include "tovNetFacade.h"

#include "KeyNumbers.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovMessageBox.h"
#include "tovNetPhases.h"
#include "tovNetworkPlayGameParams.h"
#include "tovNullNetworkPlay.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

namespace
{

tovNullNetworkPlay g_nullSession;
tovNetworkPlay* g_session = &g_nullSession;
bool g_networkLaunch = false;
std::function<void()> g_waitDrawing;
std::function<void()> g_waitFrameHook;
bool g_leftGame = false;
// This copy closed its last game's final and has not begun another: no game runs in the session.
bool g_gameOver = false;
// This copy has begun a day of its network game since the session opened or the set-up of the
// game began.
bool g_dayBegun = false;

// Application seconds of the periodic service's last actions; empty until first used.
struct ServiceTimers
{
    std::optional<double> ping;
    std::optional<double> stateSend;
    std::optional<double> paramsCheck;
};
ServiceTimers g_timers;

constexpr double kPingPeriod = 2.0;
constexpr double kStatePeriod = 0.5;
constexpr double kClockPeriod = 5.0;
constexpr double kBroadcastPeriod = 10.0;
constexpr double kSecondsPerDay = 86400.0;

bool Due(const std::optional<double>& last, double now, double period)
{
    return !last || now - *last >= period;
}

// The session when a network game runs, else null.
tovNetworkPlay* Game()
{
    return g_session->IsSessionOpen() ? g_session : nullptr;
}

void EmptyBuffer(char* buffer, size_t n)
{
    if (buffer != nullptr && n > 0)
        buffer[0] = '\0';
}

} // namespace

void SetNetworkPlay(tovNetworkPlay* session)
{
    g_session = session != nullptr ? session : &g_nullSession;
    g_timers = {};
}

tovNetworkPlay& TheNetworkPlay()
{
    return *g_session;
}

bool HasNetworkPlay()
{
    return g_session != &g_nullSession;
}

bool IsNetworkLaunch()
{
    return g_networkLaunch;
}

void SetNetworkLaunch(bool on)
{
    g_networkLaunch = on;
}

bool IsNetworkGame()
{
    return Game() != nullptr;
}

bool IsNetworkHost()
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->IsHost();
}

bool NetOpenSession(plat::WindowBackend* window)
{
    const bool opened = g_session->Open(window);
    if (opened)
    {
        g_gameOver = false;
        g_dayBegun = false;
    }
    return opened;
}

void NetCloseSession()
{
    g_session->Close();
}

void NetResetPlayers(int32_t phase)
{
    g_session->ResetPlayerStates(phase);
    if (phase != kSetUpPhase)
        return;
    // Back on the set-up a new game begins: the host takes new players until its first day.
    g_gameOver = false;
    g_dayBegun = false;
    NetEnableJoining();
}

void NetDrainQueue()
{
    g_session->DrainMainThreadQueue();
}

void NetSetLakeId(int32_t id, bool broadcast)
{
    g_session->SetLakeId(id, broadcast);
}

void NetSetPlayerIndex(int32_t index, bool broadcast)
{
    g_session->SetPlayerIndex(index, broadcast);
}

void NetSetDay(int32_t day, bool broadcast)
{
    g_session->SetDay(day, broadcast);
}

void NetSetSetting0(int32_t value, bool broadcast)
{
    g_session->SetSetting0(value, broadcast);
}

void NetSetSetting1(int32_t value, bool broadcast)
{
    g_session->SetSetting1(value, broadcast);
}

int32_t NetGetPlayerIndex()
{
    if (tovNetworkPlay* game = Game())
        return game->GetPlayerIndex();
    const tovGameSession* session = TheGameSession();
    return session != nullptr ? session->GetSkillLevel(true) : 0;
}

int32_t NetGetSetting0()
{
    if (tovNetworkPlay* game = Game())
        return game->GetSetting0();
    return TheUserProfile().GetSetting0(true);
}

int32_t NetGetSetting1()
{
    if (tovNetworkPlay* game = Game())
        return game->GetSetting1();
    return TheUserProfile().GetSetting1(true);
}

bool NetSyncPhase(int32_t phase)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->SyncPhase(phase, true);
}

void NetSetLocalPhase(int32_t phase)
{
    if (tovNetworkPlay* game = Game())
        game->SetLocalPhase(phase);
}

bool NetIsPlayerInPhase(int32_t phase, int32_t slot)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->IsPlayerInPhase(phase, slot);
}

bool NetWaitForPhase(int32_t first, int32_t second, int32_t third)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->WaitForPhase(first, second, 1, third);
}

bool NetWaitForHostPhase(int32_t phase)
{
    tovNetworkPlay* game = Game();
    return game == nullptr || game->WaitForHostPhase(phase);
}

bool NetBeginGame()
{
    tovNetworkPlay* game = Game();
    return game == nullptr || game->BeginGame();
}

bool NetIsEveryoneAtDayStart()
{
    tovNetworkPlay* game = Game();
    return game == nullptr || game->IsEveryoneAtDayStart();
}

tovNetworkPlay::HostGame NetGetHostGame()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetHostGame() : tovNetworkPlay::HostGame::kNotBegun;
}

uint16_t NetGetGameNumber()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetGameNumber() : 0;
}

bool NetHasBegunDay(int32_t slot)
{
    tovNetworkPlay* game = Game();
    return game == nullptr || game->HasBegunDay(slot);
}

std::vector<int32_t> NetSlotsNotAtDayStart()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->SlotsNotAtDayStart() : std::vector<int32_t>{};
}

int32_t NetGetLocalPhase()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetLocalPhase() : kSetUpPhase;
}

int32_t NetGetPlayerPhase(int32_t slot)
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetPlayerPhase(slot) : 0;
}

void NetSetWaitDrawing(std::function<void()> draw)
{
    g_waitDrawing = std::move(draw);
}

void NetSetWaitFrameHook(std::function<void()> hook)
{
    g_waitFrameHook = std::move(hook);
}

bool NetDrawWaitFrame()
{
    if (g_waitFrameHook)
        g_waitFrameHook();
    if (!g_waitDrawing)
        return false;
    g_waitDrawing();
    return true;
}

void NetMarkLeftGame()
{
    g_leftGame = true;
    if (tovGameSession* session = TheGameSession())
        session->SetLeftGame();
}

bool NetTakeLeftGame()
{
    const bool left = g_leftGame;
    g_leftGame = false;
    return left;
}

bool NetIsGameUnderWay()
{
    return IsNetworkGame() && !g_gameOver;
}

void NetFinishGame()
{
    g_gameOver = true;
    NetEnableJoining();
}

void NetLeaveGame()
{
    g_session->Close();
    if (tovGameSession* session = TheGameSession())
        session->SetLeftGame();
}

void NetDisableJoining()
{
    if (tovNetworkPlay* game = Game())
        game->DisableJoining();
}

void NetEnableJoining()
{
    if (tovNetworkPlay* game = Game())
        game->EnableJoining();
}

uint32_t NetGetCommonLakeMask()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetCommonLakeMask() : ~0u;
}

uint32_t NetGetWeighInSeed()
{
    return Game() != nullptr ? CopyGameParams().weighInSeed : 0;
}

int32_t NetGetLocalSlot()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetLocalSlot() : -1;
}

bool NetGetPlayerAnglerState(int32_t slot, tovNetworkPlay::AnglerSnapshot& out)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->GetPlayerAnglerState(slot, out);
}

bool NetGetPlayerResults(int32_t slot, int32_t& a, int32_t& b)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->GetPlayerResults(slot, a, b);
}

bool NetAddPlayerResults(int32_t slot, int32_t a, int32_t b)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->AddPlayerResults(slot, a, b);
}

void NetClearPlayerResults()
{
    g_session->ClearPlayerResults();
}

bool NetGetPlayerName(int32_t slot, char* buffer, size_t n)
{
    EmptyBuffer(buffer, n);
    tovNetworkPlay* game = Game();
    if (game == nullptr || buffer == nullptr || n == 0)
        return false;
    const bool found = game->GetPlayerName(slot, buffer, n);
    // Whatever the session wrote, the caller gets a terminated text.
    buffer[n - 1] = '\0';
    return found;
}

uint32_t NetGetPlayerId(int32_t slot)
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetPlayerId(slot) : 0;
}

std::vector<tovNetworkPlay::LeftResults> NetGetLeftPlayersResults()
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->GetLeftPlayersResults() : std::vector<tovNetworkPlay::LeftResults>{};
}

bool NetGetRigPlayerName(const tovBoat* boat, char* buffer, size_t n)
{
    EmptyBuffer(buffer, n);
    const int32_t slot = NetFindRigSlotB(boat);
    return slot >= 0 && NetGetPlayerName(slot, buffer, n);
}

void NetChangePlayerName(const char* name)
{
    if (tovNetworkPlay* game = Game())
        game->ChangePlayerName(name);
}

bool NetFindRigSlot(tovBoat* boat)
{
    tovNetworkPlay* game = Game();
    if (game == nullptr)
        return false;
    const int32_t slot = game->FindRigSlot(boat);
    if (slot >= 0 && boat != nullptr)
        GetFishingModeHooks().PlaceBoatAtStart(*boat, slot);
    return true;
}

int32_t NetFindRigSlotB(const tovBoat* boat)
{
    tovNetworkPlay* game = Game();
    return game != nullptr ? game->FindRigSlot(boat) : -1;
}

bool NetGetRigBoatState(const tovBoat* boat, tovBoatState& out, double& age)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->GetRigBoatState(boat, out, age);
}

bool NetGetRigPlayerState(const tovAnglerRigBase* rig, tovPlayerState& out)
{
    tovNetworkPlay* game = Game();
    return game != nullptr && game->GetRigPlayerState(rig, out);
}

void NetApplyPlayerStates()
{
    if (tovNetworkPlay* game = Game())
        game->ApplyPlayerStates();
}

void NetSendChatText(const char* text, bool noEcho, const tovAnglerRigBase* rig)
{
    if (tovNetworkPlay* game = Game())
        game->SendChatText(text, noEcho, rig);
}

void NetSendLeftFishing()
{
    if (tovNetworkPlay* game = Game())
        game->SendLeftFishing();
}

void NetSendThrottle(float value)
{
    if (tovNetworkPlay* game = Game())
        game->SendThrottle(value);
}

void NetSendSteering(float value)
{
    if (tovNetworkPlay* game = Game())
        game->SendSteering(value);
}

void NetSendRangeControl(float value)
{
    if (tovNetworkPlay* game = Game())
        game->SendRangeControl(value);
}

void NetSendTackleChoice(int32_t first, int32_t second)
{
    if (tovNetworkPlay* game = Game())
        game->SendTackleChoice(first, second);
}

void NetSendAnglerPhase0()
{
    if (tovNetworkPlay* game = Game())
        game->SendAnglerPhase0();
}

void NetSendAnglerPhase1()
{
    if (tovNetworkPlay* game = Game())
        game->SendAnglerPhase1();
}

void NetSendAnglerPhase1B()
{
    if (tovNetworkPlay* game = Game())
        game->SendAnglerPhase1Via45();
}

void NetSendCastTarget(const QrPoint3& point)
{
    if (tovNetworkPlay* game = Game())
        game->SendCastTarget(point);
}

void NetSendAnglerFlagsA()
{
    if (tovNetworkPlay* game = Game())
        game->SendAnglerFlagsA();
}

void NetSendAnglerFlagsAB()
{
    if (tovNetworkPlay* game = Game())
        game->SendAnglerFlagsAB();
}

void NetSendAnglerFlagsOff()
{
    if (tovNetworkPlay* game = Game())
        game->SendAnglerFlagsOff();
}

void NetPing(double time)
{
    tovNetworkPlay* game = Game();
    if (game == nullptr || !Due(g_timers.ping, time, kPingPeriod))
        return;
    game->Ping(tovNetworkPlay::kLocalSlot);
    g_timers.ping = time;
}

void NetSendPeriodic(double time)
{
    tovNetworkPlay* game = Game();
    if (game == nullptr)
        return;
    if (Due(g_timers.stateSend, time, kStatePeriod))
    {
        game->SendOwnPlayerState();
        g_timers.stateSend = time;
    }
    if (!Due(g_timers.paramsCheck, time, kClockPeriod))
        return;
    if (!game->IsHost())
    {
        NetApplyHostClock(game->GetElapsedMs());
        g_timers.paramsCheck = time;
    }
    else if (Due(g_timers.paramsCheck, time, kBroadcastPeriod))
    {
        game->BroadcastGameParams();
        g_timers.paramsCheck = time;
    }
}

void NetUpdate(double time, double /*elapsed*/)
{
    NetSendPeriodic(time);
    NetApplyPlayerStates();
}

bool NetApplyHostClock(uint32_t elapsedMsNow)
{
    return NetApplyHostClock(TheGameParamsRecord(), elapsedMsNow);
}

bool NetApplyHostClock(tovGameParamsRecord& record, uint32_t elapsedMsNow)
{
    double timeOfDay = 0.0;
    bool dayStart = false;
    {
        std::scoped_lock guard(record.Lock());
        tovNetworkPlay::GAMEPARAMS& params = record.Params();
        if (!params.HasHostClock())
            return false;
        tovGameClock& clock = TheGameClock();
        dayStart = params.hostTimeOfDay == tovGameClock::kDayStartSeconds;
        // Wrapping difference of two readings of one millisecond counter.
        const auto sinceReceipt = static_cast<int32_t>(elapsedMsNow - static_cast<uint32_t>(params.receiptStamp));
        timeOfDay = params.hostTimeOfDay + double(sinceReceipt) * clock.GetRate() * 0.001;
        params.ClearHostClock();
    }
    // The host's time comes off the wire: a value that is no time of day must not reach the clock.
    if (!std::isfinite(timeOfDay))
        return false;
    const double gameSeconds =
        std::clamp(timeOfDay - tovGameClock::kDayStartSeconds, 0.0, kSecondsPerDay - tovGameClock::kDayStartSeconds);
    // The host's time is a moment old when it lands: a clock that ran past it keeps its own. A
    // host at its day's start begins a day: every copy's clock goes back to it, whatever day it ended.
    const double own = TheGameClock().GetGameTime();
    if (dayStart ? gameSeconds != own : gameSeconds > own)
        TheGameClock().SetGameTime(gameSeconds);
    return true;
}

void AskToLeaveNetworkGame(bool (*callback)(int32_t answer, uintptr_t argument), uintptr_t argument)
{
    ShowMessage(kMessageTwoAnswers, callback, argument, kLeaveNetworkQuestion);
    SetMessageAnswerKeys(plat::kKeyReturn, plat::kKeyEscape);
}

bool NetIsBeforeFirstDay()
{
    // The phase catches a copy that joined between days: its set-up is past, though it began no day here.
    return IsNetworkGame() && (g_gameOver || (!g_dayBegun && NetGetLocalPhase() < kBetweenDaysPhase));
}

void NetNoteDayBegun()
{
    g_dayBegun = true;
}

namespace
{

bool LeaveBeforeFirstDay(int32_t answer, uintptr_t)
{
    // The first answer is yes. The others see this player go as they see one lost.
    if (answer == 0)
    {
        NetCloseSession();
        NetMarkLeftGame();
    }
    return true;
}

} // namespace

void AskToLeaveBeforeFirstDay()
{
    if (!IsMessageBoxRaised())
        AskToLeaveNetworkGame(&LeaveBeforeFirstDay, 0);
}

bool tovLeaveFirst::Ask(int32_t choice)
{
    if (!NetIsGameUnderWay())
        return false;
    m_pending = choice;
    m_chosen = false;
    AskToLeaveNetworkGame(&tovLeaveFirst::OnAnswer, reinterpret_cast<uintptr_t>(this));
    return true;
}

bool tovLeaveFirst::OnAnswer(int32_t answer, uintptr_t argument)
{
    // The first answer is yes.
    if (answer == 0)
        reinterpret_cast<tovLeaveFirst*>(argument)->m_chosen = true;
    return true;
}

int32_t tovLeaveFirst::TakeChoice()
{
    if (!m_chosen)
        return kNoChoice;
    m_chosen = false;
    NetLeaveGame();
    return m_pending;
}
