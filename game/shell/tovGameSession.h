#pragma once
// The one running game: its mode, its day, the anglers taking part and which of them the
// local player controls. The application creates it at start-up; the game-mode screens start
// games through it, the fishing mode builds its world from it, the weigh-in reads it and
// saved games store its day fields. Main thread only.

#include "QrPointer.h"
#include "tovAnglerRigBase.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

class tovUserProfile;

class tovGameSession
{
public:
    enum Mode : int32_t
    {
        kQuickFish = 0,
        kPractice = 1,
        kTournament = 2,
        kSeason = 3,
    };
    static constexpr int32_t kDays = 4;
    // A season's lake order holds this many events.
    static constexpr int32_t kSeasonLakes = 32;
    static constexpr int32_t kComputerAnglers = 4;
    // The lake holds the field's boats: every other network player takes a computer angler's.
    static int32_t ComputerAnglersBeside(int32_t otherPlayers)
    {
        return otherPlayers <= 0 ? kComputerAnglers : std::max(0, kComputerAnglers - otherPlayers);
    }

    tovGameSession();
    virtual ~tovGameSession();
    tovGameSession(const tovGameSession&) = delete;
    tovGameSession& operator=(const tovGameSession&) = delete;

    // A loaded game goes on with one its player started and was counted for then.
    void StartGame(int32_t mode, bool createAnglers)
    {
        m_leftGame = false;
        Start(mode, createAnglers, m_resumed);
    }
    // The next day of the game under way: new anglers and world, no new game counted. A network
    // player cut from the field has no angler on the lake.
    void RestartGame(bool createAnglers = true) { Start(m_mode, createAnglers, true); }
    void SetDay(int32_t day, bool force);
    // This copy's own day alone: a network host's day goes to the others with its next game.
    void SetOwnDay(int32_t day);
    void NextDay() { SetDay(m_day + 1, false); }
    int32_t GetDay() const { return m_day; }
    int32_t GetMode() const { return m_mode; }
    // The game-mode screen chooses the mode before the game starts.
    void SetMode(int32_t mode) { m_mode = mode; }
    // In a network game the host's shared value unless forceLocal.
    int32_t GetSkillLevel(bool forceLocal) const;
    // Also tells the network session, which sends it on when broadcast is set.
    void SetSkillLevel(int32_t level, bool broadcast);
    // The profile's career row the game under way was counted in and is credited to: the
    // network row for a network game, else the skill level's.
    int32_t GetCareerRow() const { return m_careerRow; }
    static constexpr int32_t kNetworkCareerRow = 3;
    // The row a saved game was counted in, which its load keeps (-1: a save that kept none,
    // whose row follows the game the player now plays). A new game forgets it.
    void SetSavedCareerRow(int32_t row) { m_savedCareerRow = row; }
    // The row is the game's own (its skill's or the network row when it began), which saves
    // keep; after a load of a save that kept none it is the skill's shown, which never counted it.
    bool IsCareerRowOwn() const { return m_careerRowOwn; }
    // Whether the profile's row counted the game under way among its games started: not when
    // the row is not the game's own, nor when the row, or the profile in all, counts fewer
    // games than it had when the game began (a fresh profile of the same name).
    bool IsCountedIn(const tovUserProfile& profile) const;
    // The skill the network set-up plays at, and so a loaded network game.
    static constexpr int32_t kNetworkSkillLevel = 2;

    void AddAngler(tovAnglerRigBase* angler, bool makeCurrent);
    void RemoveAngler(tovAnglerRigBase* angler);
    void SetCurrentAngler(tovAnglerRigBase* angler);
    // Null or a new reference to the local player's angler.
    QrPointer<tovAnglerRigBase> GetCurrentAngler() const { return m_current; }
    void ClearAnglers();
    const std::vector<QrPointer<tovAnglerRigBase>>& GetAnglers() const { return m_anglers; }

    // Zeroes the day flags, day values and day results (a new game chosen on the screens).
    void ClearDayRecords();

    // Stored with saved games, in this order.
    std::array<uint8_t, kDays> m_dayFlags{};
    std::array<int32_t, kDays> m_dayValues1{};
    std::array<int32_t, kDays> m_dayValues2{};
    std::array<int32_t, 128> m_block{};
    std::array<int32_t, kDays> m_dayResults1{};
    std::array<int32_t, kDays> m_dayResults2{};
    // Set when a saved game is being or has just been loaded; the fishing mode clears it.
    bool m_resumed = false;

    // Names the game for the career's credit: drawn when a new game starts (0 before any),
    // kept through its days and by its saves. A new game on a profile never draws a number
    // that profile drew before, even in a run seeded as an earlier one.
    uint32_t GetGameNumber() const { return m_gameNumber; }
    void SetGameNumber(uint32_t number) { m_gameNumber = number; }

    // The day's fishing is over (its clock ran out, or it went to the weigh-in) until the next
    // day or game starts.
    bool IsDayOver() const { return m_dayOver; }
    void SetDayOver();
    // The player left the network game: it is over for this copy until a game starts. The
    // weigh-in may still set up the next day of the game left; that does not bring it back.
    void SetLeftGame() { m_leftGame = true; }
    // A day to go back to and to save: none once the day is over or the game was left.
    bool HasDayToResume() const { return !m_dayOver && !m_leftGame; }

    // A season of this tournament length (0 to 3) is under way.
    bool IsSeasonUnderWay(int32_t length) const;
    // The catalogue index of the next lake of the season under way for this length; 0, the
    // first lake of a new order, when none is, and -1 when the order holds no next event.
    int32_t SeasonLakeIndex(int32_t length) const;

    // A network player cut from the tournament's field stays in the session, fishing no more,
    // until the final's board; a new game clears it.
    bool IsCutFromField() const { return m_cutFromField; }
    void SetCutFromField(bool cut) { m_cutFromField = cut; }

private:
    // The session's players besides this one; none outside a network game.
    static int32_t OtherPlayers();
    // Tournament and season starts count a game in the profile unless the game goes on.
    void Start(int32_t mode, bool createAnglers, bool continuing);

    int32_t m_mode = kQuickFish;
    std::vector<QrPointer<tovAnglerRigBase>> m_anglers;
    QrPointer<tovAnglerRigBase> m_current;
    int32_t m_skillLevel = 0;
    int32_t m_day = 0;
    bool m_dayOver = false;
    bool m_leftGame = false;
    uint32_t m_gameNumber = 0;
    int32_t m_careerRow = 0;
    int32_t m_savedCareerRow = -1;
    bool m_careerRowOwn = true;
    bool m_cutFromField = false;
};

// Game numbers come from a generator of their own, so that drawing them leaves the shared
// generator's sequence as it was. The application seeds it from the run's seed.
void SeedGameNumbers(int32_t seed);

// The most recently built session that still exists, or null.
tovGameSession* TheGameSession();

// Game seconds the player gave back by weighing in early; cleared when a game starts.
int32_t& RemainingTime();
