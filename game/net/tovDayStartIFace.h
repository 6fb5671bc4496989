#pragma once
// The start-of-day screen (19): a picture with Back and Start. Start empties the standings and,
// in a network game, waits for every player to reach the start of the day before switching to
// the fishing mode.

#include "tovShellIFace.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class qrxFloatingText;
namespace plat
{
class Font;
}

class tovDayStartIFace : public tovShellIFace
{
public:
    static constexpr int32_t kBackButton = 1;
    static constexpr int32_t kStartButton = 2;
    static constexpr const char* kCutText = "You did not make the cut.";
    // A copy that comes to its start after the others fished the first day without it.
    static constexpr const char* kBegunText = "The game has already begun.";
    // The host's line while its start waits, followed by the names of the players it waits for.
    static constexpr const char* kWaitingForText = "Waiting for: ";
    // The waiting line of these names, within width in font (the posted lines' face): the longest
    // names are cut to an even share of the room the shorter ones leave.
    static std::string WaitingLine(const plat::Font& font, const std::vector<std::string>& names, int32_t width);
    // The waiting line, then the posted lines, stand under the waiting banner, above the boats:
    // the banner stays readable however many lines come.
    plat::Rect PostedTextBand() const override;
    static constexpr plat::Rect kPostedTextBand{4, 184, 636, 284};

    tovDayStartIFace();
    ~tovDayStartIFace() override;
    // The one instance, or null.
    static tovDayStartIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    // While the banner waits for the other players, Escape asks whether to leave the network
    // game instead of leaving the screen.
    bool AllowsEscape() override;
    bool KeepsEscape() const override;

    bool IsStartRequested() const { return m_startRequested; }
    // Set on the frames the waiting banner was drawn.
    bool IsWaiting() const { return m_waiting; }
    // The host's waiting line as the last frame drew it; empty on a frame without it.
    const std::string& GetShownWaitingLine() const { return m_waitingLine; }
    // The screen is the wait of a network player cut from the tournament: no buttons, the
    // banner and the cut's line until the day ends on the host's clock.
    bool IsCutWait() const { return m_cutWait; }

private:
    enum class NetworkStart
    {
        kWait,
        kBegin,
        // This copy left the session: the others' game is past the day it would start.
        kRefused,
    };
    NetworkStart FollowNetworkStart();
    // Host: draws whom its start waits for now, the first row of its band. Drawn on every frame
    // of the wait and on no other, the line never stands stale nor twice.
    void ShowWhomHostWaitsFor();
    // Off the start by any road but the help picture or the day: the announcement is taken back.
    void TakeBackStart();
    void StartDay();
    // A cut player's day, once the host's has begun: this copy's phase says it is in the day,
    // so that the day's end takes it to the weigh-in, and its clock runs.
    void FollowCutDay();
    static bool OnLeaveAnswer(int32_t answer, uintptr_t argument);
    // Escape's question at the start; also before Back when Back would leave the network game.
    void AskToLeave() override;

    QrPointer<QrImage> m_banner;
    bool m_startRequested = false;
    // This copy said it stands at its start (not the host: its phase begins the day for all).
    bool m_announced = false;
    // The host was seen before its start since this copy said it stands at its own.
    bool m_hostWaits = false;
    // The host's game number when it was seen so: a later game's start need not wait for this copy.
    uint16_t m_hostWaitsGame = 0;
    // This copy's phase when it came to the start: what it says again when it leaves unstarted.
    int32_t m_entryPhase = 0;
    std::string m_waitingLine;
    bool m_waiting = false;
    bool m_askingLeave = false;
    bool m_leaveChosen = false;
    bool m_cutWait = false;
    bool m_cutDayBegun = false;
    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<qrxFloatingText> m_text;
    // The posted lines' face, in which the waiting line is fitted and drawn.
    std::unique_ptr<plat::Font> m_postedFont;
};
