#pragma once
// Screen 10: the end of every tournament day. An ordinary day shows the results board after
// two seconds; the final stages a ceremony of clips, crowd pictures, announcer lines and the
// player's fish brought to the scale one at a time. It owns the program-wide standings.
// Timers, flags and end actions of sounds and clips all run on the main thread.

#include "tovShellIFace.h"
#include "tovStandings.h"
#include "tovWeighInPorts.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AviObject;
class qrxFloatingText;

namespace plat
{
class Font;
}

class tovWeighInIFace : public tovShellIFace
{
public:
    static constexpr int32_t kScreenId = tovAppServices::kWeighInId;
    static constexpr uint32_t kOff = UINT32_MAX;
    static constexpr int32_t kBoardPicture = 844;
    static constexpr const char* kWaitingText = "Waiting for the other players";
    // The board's prompt line.
    static constexpr int32_t kPromptY = 450;

    enum Timer
    {
        kCrowdPictures,
        kCallPlayer,
        kGetUp,
        kWeighStep,
        kComment,
        kBoardPage,
        kDayResults,
        kCrowdNoise,
        kTimerCount,
    };

    struct Ceremony
    {
        bool weighing = false;
        bool resultsReady = false;
        bool waitForClick = false;
        bool ceremonyOver = false;
        bool callPending = false;
        bool dayResultsShown = false;
        bool seasonPage = false;
        bool prizesShown = false;
        bool firstFish = true;
        bool clipDone = false;
        bool soundDone = false;
        int32_t crowdCounter = 0;
        int32_t firstPlaceShown = 1;
        std::array<uint32_t, kTimerCount> timers{};
    };

    // Null ports use the game's defaults.
    explicit tovWeighInIFace(std::unique_ptr<tovWeighInPorts> ports = nullptr);
    ~tovWeighInIFace() override;

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    void PreUpdate(float elapsed) override;
    int32_t Update(float now, float elapsed) override;
    // Escape leads on as a click does: leaving by a road of its own would lose the day's result
    // and, in a network game, hold every other player in the closing wait. The application asks
    // only for an Escape no box or chat panel took.
    bool AllowsEscape() override;
    bool KeepsEscape() const override { return true; }

    // Clicks and due timers of one frame at a program time; Update calls it.
    void Step(uint32_t nowMs, bool clicked);
    void ResetStandingsData();
    // The livewell place the livewell screen hands back before returning here (-1 none).
    void SetChosenPlace(int32_t place) { m_chosenPlace = place; }

    // The lines the board shows now: x, y and text.
    struct Line
    {
        int32_t x;
        int32_t y;
        std::string text;
        // In the board's smaller letters: a name too wide for its column at full size.
        bool small = false;
    };
    // A name ends before the fish count's column, at x 460, with a gap between them.
    static constexpr int32_t kNameRight = 450;
    static constexpr int32_t kBoardTextHeight = 28;
    static constexpr int32_t kSmallTextHeight = 22;
    std::vector<Line> BoardLines() const;
    // The board's day and lake.
    std::vector<Line> HeaderLines() const;
    // The board with the waiting line through a blocking network wait: the day and lake only, or
    // with the results shown. The first frame is presented here, the others by the wait.
    void ShowWaiting(bool results);
    void DrawWaiting(bool results);
    std::vector<Line> SeasonLines() const;
    // Where the application's posted text lines stand: on the board the gap between its last row
    // and its prompt, which hides nothing (the chat panel stands over its top); otherwise the
    // application's own band.
    plat::Rect PostedTextBand() const override;
    static constexpr plat::Rect kPostedTextBand{4, 415, 636, 439};

    tovStandings& Standings() { return m_standings; }
    const Ceremony& GetCeremony() const { return m_state; }
    int32_t GetBoardSelector() const { return m_boardSelector; }
    int32_t GetBackgroundId() const { return m_backgroundId; }
    bool IsClipPlaying() const;
    const std::string& GetLastClip() const { return m_lastClip; }
    int32_t GetFieldSize() const { return m_standings.m_fieldSize; }

private:
    static void OnOpeningClipEnd(uintptr_t self);
    static void OnOpeningSoundEnd(uintptr_t self);
    static void OnGetUpClipEnd(uintptr_t self);
    static bool OnWeightMessageClosed(int32_t answer, uintptr_t self);
    static void OnLeaderLineEnd(uintptr_t self);
    static void OnNextFishLineEnd(uintptr_t self);
    static void OnCeremonyEnd(uintptr_t self);

    void SetUpDay();
    // The board, the cursor and the text a shown page needs, on entry or back from help.
    void ShowBoard();
    void ResumeAfterHelp();
    bool IsNetworkDay() const;
    // This copy's player was cut from a network tournament's field and watches it to its end.
    bool IsCutCopy() const;
    // A network tournament goes on past this day: a player cut here stays to watch it.
    bool StaysCut() const;
    // A cut copy's day: its field is weighed at once; a day before the final goes straight on to
    // the next day's wait, the final shows its board.
    void PassCutDay();
    // The better half into the next day's field, without this copy's player.
    void CutWithoutLocal(int32_t field);
    // A network day's results close for every player together (the next day's or the menu).
    void CloseNetworkDay(bool nextDay);
    void StartCrowdPictures(uint32_t nowMs);
    void HandleClick();
    void LeaveDayResults();
    void RunTimers(uint32_t nowMs);
    bool Due(Timer t, uint32_t nowMs) const;
    void Arm(Timer t, uint32_t nowMs, uint32_t delayMs);
    void Off(Timer t) { m_state.timers[t] = kOff; }
    void CallPlayer(uint32_t nowMs);
    void GetUp();
    void Comment();
    void WeighStep(uint32_t nowMs);
    void ResultsReady();
    void DayResults(uint32_t nowMs);
    void LeaveSeasonPage();
    void FinishTournament();
    void CreditCareer(int32_t prize);
    void BookSeasonWeight();
    // Plays a sound whose end action must come: a sound that cannot play ends at once.
    void PlayWithEnd(int32_t id, SoundEndCallback onEnd);
    void PlayClip(const char* name, SoundEndCallback onEnd);
    void SetBackground(int32_t id);
    // A row's name after its lead (the place, or nothing): whole at full size when it fits its
    // column, else the lead stays and the name follows in smaller letters, cut when still too wide.
    void AddName(std::vector<Line>& lines, int32_t x, int32_t y, const std::string& lead, const std::string& name,
                 const char* suffix) const;
    void DrawLine(const Line& line);
    void Draw();
    // The board or the background, by the board selector.
    QrImage* ShownPicture() const;
    int32_t Draw(int32_t modulus);
    int32_t Length() const;
    bool LivewellHasFish() { return !m_ports->LivewellWeights().empty(); }
    bool IsSeason() const;
    bool IsFinal() const { return m_standings.m_fieldSize > 0 && m_standings.m_fieldSize < 6; }

    std::unique_ptr<tovWeighInPorts> m_ports;
    std::unique_ptr<AviObject> m_clip;
    // This frame's Space ended a clip, so it leads nowhere else.
    bool m_spaceStoppedClip = false;
    // Escape was pressed since the last frame.
    bool m_escapePressed = false;
    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<plat::Font> m_smallFont;
    std::unique_ptr<qrxFloatingText> m_text;
    std::unique_ptr<qrxFloatingText> m_smallText;
    int32_t m_boardSelector = kBoardPicture;
    int32_t m_backgroundId = kBoardPicture;
    int32_t m_chosenPlace = -1;
    QrPointer<QrImage> m_board;
    tovStandings m_standings;
    // A network day's ranking as its field was set up, the same on every copy.
    std::array<int32_t, tovStandings::kSlots> m_fieldOrder{};
    Ceremony m_state;
    uint32_t m_nowMs = 0;
    int32_t m_previousScreen = 0;
    std::string m_lastClip;
    // A cut copy's final closed its results with the others when its board came up.
    bool m_networkClosed = false;
    // Left for the help picture, which comes back to the page as it stood.
    bool m_leftForHelp = false;
    uint32_t m_leftForHelpAtMs = 0;
    // The end action of the clip that plays, and of one stopped by a visit to the help picture.
    SoundEndCallback m_clipEnd = nullptr;
    SoundEndCallback m_clipEndOnReturn = nullptr;
};

// The program-wide weigh-in, set by its constructor; null when none exists.
tovWeighInIFace* TheWeighIn();
// Empties the program-wide standings (the day-start screen's button).
void ResetStandings();
