#pragma once
// The field of a tournament day: up to twenty anglers, the local player always in slot 0,
// each with a name, the day's five fish, a running total and a fish count, and the order of
// places. Weights are in ounces. The weigh-in screen owns the one program-wide instance; a
// saved game copies the stored block (day to the last reserved word) whole. Main thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class uRandom;

// What a computer angler's catch is drawn from.
struct tovOpponentRollContext
{
    int32_t dayLength = 0; // profile setting 0, 0..3
    int32_t skillLevel = 0;
    // Shares of species 3, 10 and 11 in the lake, and their two size bounds.
    std::array<float, 3> shares{};
    std::array<std::array<float, 2>, 3> bounds{};
    // Pounds of one fish: species, the draw x in [0, 1), the two bounds, skill, factor.
    std::function<float(int32_t, float, float, float, int32_t, float)> fishSize;
    uRandom* random = nullptr;
};

class tovStandings
{
public:
    static constexpr int32_t kSlots = 20;
    static constexpr int32_t kNameSize = 80;
    static constexpr int32_t kDayFish = 5;
    static constexpr int32_t kOpponentNames = 51;
    static constexpr int32_t kPrizes = 5;
    // A livewell keeps at most this many fish; the day's catch is the first kDayFish.
    static constexpr int32_t kLivewellPlaces = 6;

    enum class Reveal
    {
        kWait,  // the ceremony waits for the local angler to bring a fish
        kStep,  // fish were added; the caller re-sorts and shows the board
        kReady, // every fish is weighed: the final results stand
    };

    tovStandings() { Reset(); }

    // Every slot empty and unranked; the local angler's five values -1, all others 0.
    void Reset();

    // Slots in play for a tournament length s (0..3) on a day (1..4); 0 when there is none.
    static int32_t FieldSize(int32_t length, int32_t day);
    static bool IsFinalDay(int32_t length, int32_t day) { return FieldSize(length, day) == 5; }
    // Clears totals, counts and ranking before the day's field is set up (names too on day 1);
    // day 2 of a four-day tournament keeps day 1's totals and counts.
    void PrepareDay(int32_t length, int32_t day);
    // Sets up the field: the local catch from the livewell weights (ounces of the occupied
    // places in livewell order; with more than five the smallest is dropped from the vector,
    // which the caller releases from the livewell), prizes, names on day 1 and every
    // opponent's catch; then lists the local angler last and sorts every catch.
    void RunDay(int32_t fieldSize, std::vector<int32_t>& livewell, const char* localName,
                const std::array<int32_t, kPrizes>& prizes, const tovOpponentRollContext& ctx);
    void RollOpponentResults(int32_t slot, const tovOpponentRollContext& ctx);

    void SortCatches(int32_t fieldSize);
    // Stable: equal totals keep their previous order.
    void SortRanking(int32_t fieldSize);
    void AddAllCatches(int32_t fieldSize);
    bool HasFish(int32_t slot) const;
    int32_t FirstFish(int32_t slot) const;
    // The place (0..4) the local angler holds among the first five, -1 outside them.
    int32_t LocalPlace() const;
    // The place (0-based) of the local angler in the whole field.
    int32_t LocalRank(int32_t fieldSize) const;
    // The prize of the local angler's place; 0 outside the first five.
    int32_t LocalPrize() const;
    bool Advances(int32_t fieldSize, int32_t length) const;
    // The better half's opponents move, in place order, to slots 1 upward.
    void Cut(int32_t fieldSize);
    // One step of the stage weigh-in of a field of five.
    Reveal RevealNext(bool localLivewellHasFish);
    // A fish the local angler brought to the scale on stage.
    void AddLocalFish(int32_t ounces);

    const char* GetName(int32_t slot) const { return m_names.at(static_cast<size_t>(slot)).data(); }
    void SetName(int32_t slot, const char* name);
    static const char* OpponentName(int32_t index);

    // Whose row: 0 a computer angler's, a session player's id for a player's, and the id
    // negated for a player who left the game before its results of a day were exchanged.
    int32_t GetPlayer(int32_t slot) const { return m_players.at(static_cast<size_t>(slot)); }
    bool IsPlayer(int32_t slot) const { return GetPlayer(slot) != 0; }
    bool HasLeft(int32_t slot) const { return GetPlayer(slot) < 0; }
    void SetPlayer(int32_t slot, int32_t id) { m_players.at(static_cast<size_t>(slot)) = id; }
    // The player of that id left: its row stays, below every angler still in the game.
    void MarkLeft(int32_t slot);
    // Names drawn for computer anglers on the first day skip these (the session's players).
    void SetReservedNames(std::vector<std::string> names) { m_reservedNames = std::move(names); }

    // The saved block from the names on (the day is stored apart): names, the rows' player
    // marks and 180 words, totals, 20 words, fish counts, 10 words; little-endian.
    static constexpr size_t kBlockSize = 2760;
    void StoreBlock(uint8_t* out) const;
    void LoadBlock(const uint8_t* in);

    // The stored block, in its saved order.
    int32_t m_day = 0;
    std::array<std::array<char, kNameSize>, kSlots> m_names{};
    std::array<int32_t, kSlots> m_players{};
    std::array<int32_t, 200 - kSlots> m_reserved1{};
    std::array<double, kSlots> m_totals{};
    std::array<int32_t, kSlots> m_reserved2{};
    std::array<int32_t, kSlots> m_fishCounts{};
    std::array<int32_t, 10> m_reserved3{};

    // Not stored.
    std::array<std::array<int32_t, kDayFish>, kSlots> m_dayCatch{};
    std::array<int32_t, kSlots> m_ranking{};
    int32_t m_fieldSize = 0;
    std::array<uint8_t, kOpponentNames> m_nameUsed{};
    std::array<int32_t, kPrizes> m_prizes{};
    int32_t m_weighedFish = 0;
    std::vector<std::string> m_reservedNames;
};
