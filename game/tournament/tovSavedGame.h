#pragma once
// A saved game as it lies in a ".wsv" file: a 3808-byte header (session, lake, weather, clock,
// standings) and one 1816-byte record per angler, the local angler's first and followed by the
// player's profile name. Reading checks the whole file before anything uses it, so a damaged
// file is refused as a whole. Blocks other parts of the game own (the clock, the standings, the
// livewell) are kept as the bytes they stored.
#include "tovAnglerLooks.h"
#include "tovLivewell.h"
#include "tovWeatherRecord.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class tovSavedGame
{
public:
    // The format's version, which every reader of it takes. What this game adds (the game
    // number, the career row, the standings' player marks) lies in words the format reserves,
    // each coded so that zero says "not known": a save of another writer holds zeros there.
    static constexpr int32_t kVersion = 6;
    // Versions this game wrote before: 7 with the game number, 8 with the row and marks too.
    static constexpr int32_t kVersionWithNumber = 7;
    static constexpr int32_t kVersionWithMarks = 8;
    // The standings' player marks: the first words of the block after the names.
    static constexpr size_t kStandingsMarksOffset = 1600;
    static constexpr size_t kHeaderSize = 3808;
    static constexpr size_t kAnglerSize = 1816;
    static constexpr size_t kClockSize = 56;
    static constexpr size_t kStandingsSize = 2760;
    static constexpr size_t kLivewellSize = 1684;
    static constexpr size_t kLivewellFishSize = 280;
    static constexpr int32_t kLivewellFish = 6;
    static constexpr int32_t kStandingsRows = 20;
    static constexpr size_t kStandingsNameSize = 80;
    // The standings hold twenty rows: no game has more anglers than that.
    static constexpr int32_t kMaxOtherAnglers = kStandingsRows - 1;
    // The profile's name field: a longer name cannot be loaded as a profile.
    static constexpr size_t kMaxNameLength = 259;
    // Lake ids run from 0 to 31; a saved game always names one.
    static constexpr int32_t kMaxLakeId = 31;
    // The game numbers its anglers from 1; the bound keeps a damaged id out of arithmetic.
    static constexpr int32_t kMaxAnglerId = 0xFFFF;
    // A lake has at most 32 sectors; -1 is none.
    static constexpr int32_t kMaxTerrainSector = 31;
    // A season's fish weight: every event of the longest order, four days of five fish at the
    // livewell's heaviest.
    static constexpr int32_t kMaxSeasonOunces = 32 * 4 * 5 * tovLivewell::kMaxOunces;
    static constexpr int32_t kLooks = tovAnglerLooks::kLooks;
    static constexpr int32_t kPaintSchemes = tovAnglerLooks::kPaintSchemes;
    static constexpr size_t kMaxFileSize = kHeaderSize + kAnglerSize * (kMaxOtherAnglers + 1) + kMaxNameLength + 1;

    enum Mode : int32_t
    {
        kQuickFish = 0,
        kPractice = 1,
        kSeason = 3,
    };
    // Far more quick-fish days than a player plays in one run; the bound keeps day + 1 defined.
    static constexpr int32_t kMaxQuickFishDay = 1'000'000;

    struct Angler
    {
        int32_t id = 0;
        int32_t gender = 0;
        int32_t look = 0;
        int32_t colour1 = 0;
        int32_t colour2 = 0;
        int32_t paintScheme = 0;
        std::array<float, 3> position{};
        // Row by row, as the boat keeps it.
        std::array<float, 9> rotation{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
        // Fish count and six fish records, copied whole.
        std::array<uint8_t, kLivewellSize> livewell{};
        std::array<uint8_t, kClockSize> clock{};
        bool operator==(const Angler&) const = default;
    };

    // A season's lake order holds this many events per tournament length.
    static constexpr int32_t kSeasonLakes = 32;

    // The session's season block, per tournament length.
    struct Season
    {
        std::array<uint8_t, 4> running{};
        std::array<int32_t, 4> events{};
        std::array<int32_t, 4> completed{};
        std::array<int32_t, 4 * kSeasonLakes> lakeOrder{};
        std::array<int32_t, 4> fishWeight{};
        std::array<int32_t, 4> winnings{};
        bool operator==(const Season&) const = default;
        // Counts within the order, completed events within the count, the lakes still to come
        // named by a catalogue index below lakeCount, the fish weight within kMaxSeasonOunces
        // and the winnings from 0 to maxWinnings.
        bool IsValid(int32_t lakeCount, int64_t maxWinnings) const;
    };

    enum class ReadResult
    {
        kOk,
        // Not version 6, 7 or 8: the caller says the format is incompatible, then that the
        // header is bad.
        kWrongVersion,
        kBadHeader,
        kBadRecords,
    };

    // The session's game number (never 0 in a file that loads: a save that does not know it is
    // numbered by a hash of its header).
    uint32_t gameNumber = 0;
    // The profile's career row the game was counted in (0 to 3); -1 when none was kept (and in
    // a save of version 7 or of another writer).
    int32_t careerRow = -1;
    int32_t lakeId = -1;
    int32_t mode = kQuickFish;
    int32_t dayLengthSetting = 0;
    int32_t tournamentLengthSetting = 0;
    int32_t terrainSector = -1;
    tovWeatherRecord weather;
    std::array<uint8_t, kClockSize> clock{};
    Season season;
    int32_t day = 1;
    // Names and the 200 words after them, totals and the 20 after them, counts and the 10 after.
    std::array<uint8_t, kStandingsSize> standings{};
    // The local angler first.
    std::vector<Angler> anglers;
    std::string profileName;

    std::vector<uint8_t> Write() const;
    // On any result but kOk this object is left as it was.
    ReadResult Read(const uint8_t* data, size_t size);

    bool operator==(const tovSavedGame&) const = default;

private:
    void WriteHeader(std::vector<uint8_t>& out) const;
    static void WriteAngler(std::vector<uint8_t>& out, const Angler& angler);
    ReadResult ReadHeader(const uint8_t* data, size_t size, int32_t& otherAnglers);
    static bool ReadAngler(const uint8_t* data, Angler& out);
    static bool IsStandingsValid(const std::array<uint8_t, kStandingsSize>& standings);
    static bool IsClockValid(const std::array<uint8_t, kClockSize>& clock);
};
