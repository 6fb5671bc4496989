#include "tovSavedGame.h"
#include "ByteReader.h"
#include "ByteWriter.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

constexpr size_t kGameNumberOffset = 28;
constexpr size_t kWeatherOffset = 32;
// The career row lies in the header's alignment word: in version 6 plus one (0: not known), in
// version 8 as it is (-1: none).
constexpr size_t kCareerRowOffset = 404;
constexpr int32_t kCareerRows = 4;
constexpr size_t kClockOffset = 408;
constexpr size_t kNamesSize = tovSavedGame::kStandingsRows * tovSavedGame::kStandingsNameSize;
constexpr size_t kTotalsOffset = kNamesSize + 800;
constexpr size_t kCountsOffset = kTotalsOffset + 160 + 80;
constexpr size_t kAnglerClockOffset = 1760;

void Pad(plat::ByteWriter& out, size_t offset)
{
    while (out.Size() < offset)
        out.U8(0);
}

template <size_t N> void WriteBytes(plat::ByteWriter& out, const std::array<uint8_t, N>& bytes)
{
    out.Write(bytes.data(), bytes.size());
}

template <typename T, size_t N> void WriteWords(plat::ByteWriter& out, const std::array<T, N>& words)
{
    for (T w : words)
        out.I32(w);
}

template <size_t N> void ReadBytes(plat::ByteReader& in, std::array<uint8_t, N>& bytes)
{
    in.Read(bytes.data(), bytes.size());
}

template <size_t N> void ReadWords(plat::ByteReader& in, std::array<int32_t, N>& words)
{
    for (int32_t& w : words)
        w = in.I32();
}

bool InRange(int32_t v, int32_t low, int32_t high)
{
    return v >= low && v <= high;
}

// A game is saved during one of its days. Quick fish from the main menu counts the day on from
// the last game, so those days run past a tournament's four.
int32_t MaxDay(int32_t mode)
{
    return mode == tovSavedGame::kQuickFish || mode == tovSavedGame::kPractice ? tovSavedGame::kMaxQuickFishDay
                                                                               : tovGameSession::kDays;
}

// An old save's game number: the same for every load of one file, never 0.
uint32_t HeaderHash(const uint8_t* header)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < tovSavedGame::kHeaderSize; ++i)
        hash = (hash ^ header[i]) * 16777619u;
    return hash != 0 ? hash : 1u;
}

} // namespace

std::vector<uint8_t> tovSavedGame::Write() const
{
    std::vector<uint8_t> out;
    WriteHeader(out);
    for (size_t i = 0; i < anglers.size(); ++i)
    {
        WriteAngler(out, anglers[i]);
        if (i == 0)
        {
            out.insert(out.end(), profileName.begin(), profileName.end());
            out.push_back(0);
        }
    }
    return out;
}

void tovSavedGame::WriteHeader(std::vector<uint8_t>& bytes) const
{
    plat::ByteWriter out;
    out.I32(kVersion);
    out.I32(anglers.empty() ? 0 : static_cast<int32_t>(anglers.size() - 1));
    out.I32(lakeId);
    out.I32(mode);
    out.I32(dayLengthSetting);
    out.I32(tournamentLengthSetting);
    out.I32(terrainSector);
    // The game number and career row go in reserved words so that a later load counts the same game.
    Pad(out, kGameNumberOffset);
    out.U32(gameNumber);
    Pad(out, kWeatherOffset);
    weather.Write(out);
    Pad(out, kCareerRowOffset);
    out.I32(InRange(careerRow, 0, kCareerRows - 1) ? careerRow + 1 : 0);
    Pad(out, kClockOffset);
    WriteBytes(out, clock);
    WriteBytes(out, season.running);
    WriteWords(out, season.events);
    WriteWords(out, season.completed);
    WriteWords(out, season.lakeOrder);
    WriteWords(out, season.fishWeight);
    WriteWords(out, season.winnings);
    out.I32(day);
    WriteBytes(out, standings);
    const std::vector<uint8_t>& b = out.Buffer();
    bytes.insert(bytes.end(), b.begin(), b.end());
}

void tovSavedGame::WriteAngler(std::vector<uint8_t>& bytes, const Angler& a)
{
    plat::ByteWriter out;
    for (int32_t v : {a.id, a.gender, a.look, a.colour1, a.colour2, a.paintScheme})
        out.I32(v);
    for (float v : a.position)
        out.F32(v);
    for (float v : a.rotation)
        out.F32(v);
    WriteBytes(out, a.livewell);
    Pad(out, kAnglerClockOffset);
    WriteBytes(out, a.clock);
    const std::vector<uint8_t>& b = out.Buffer();
    bytes.insert(bytes.end(), b.begin(), b.end());
}

tovSavedGame::ReadResult tovSavedGame::Read(const uint8_t* data, size_t size)
{
    tovSavedGame game;
    int32_t others = 0;
    if (const ReadResult r = game.ReadHeader(data, size, others); r != ReadResult::kOk)
        return r;
    size_t at = kHeaderSize;
    for (int32_t i = 0; i <= others; ++i)
    {
        if (size - at < kAnglerSize)
            return ReadResult::kBadRecords;
        Angler& a = game.anglers.emplace_back();
        if (!ReadAngler(data + at, a))
            return ReadResult::kBadRecords;
        at += kAnglerSize;
        if (i == 0)
        {
            const size_t left = size - at;
            const void* end = std::memchr(data + at, 0, std::min(left, kMaxNameLength + 1));
            if (end == nullptr)
                return ReadResult::kBadRecords;
            const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (data + at));
            // The name becomes a profile's file name: it must name one.
            if (length == 0)
                return ReadResult::kBadRecords;
            game.profileName.assign(reinterpret_cast<const char*>(data + at), length);
            at += length + 1;
        }
    }
    // The writer ends with the last record: anything after it is damage.
    if (at != size)
        return ReadResult::kBadRecords;
    *this = std::move(game);
    return ReadResult::kOk;
}

tovSavedGame::ReadResult tovSavedGame::ReadHeader(const uint8_t* data, size_t size, int32_t& others)
{
    plat::ByteReader in(data, size);
    const int32_t version = size >= 4 ? in.I32() : kVersion;
    if (version != kVersion && version != kVersionWithNumber && version != kVersionWithMarks)
        return ReadResult::kWrongVersion;
    if (size < kHeaderSize)
        return ReadResult::kBadHeader;
    others = in.I32();
    lakeId = in.I32();
    mode = in.I32();
    dayLengthSetting = in.I32();
    tournamentLengthSetting = in.I32();
    terrainSector = in.I32();
    in.Seek(kGameNumberOffset);
    gameNumber = in.U32();
    if (version == kVersion && gameNumber == 0)
        gameNumber = HeaderHash(data);
    in.Seek(kWeatherOffset);
    const bool weatherRead = weather.Read(in);
    in.Seek(kCareerRowOffset);
    const int32_t rowWord = in.I32();
    in.Seek(kClockOffset);
    ReadBytes(in, clock);
    ReadBytes(in, season.running);
    ReadWords(in, season.events);
    ReadWords(in, season.completed);
    ReadWords(in, season.lakeOrder);
    ReadWords(in, season.fishWeight);
    ReadWords(in, season.winnings);
    day = in.I32();
    ReadBytes(in, standings);
    careerRow = version == kVersionWithMarks ? rowWord : -1;
    // Another writer may leave anything in a reserved word: a row no profile has is not known.
    if (version == kVersion && InRange(rowWord, 1, kCareerRows))
        careerRow = rowWord - 1;
    if (version == kVersionWithNumber)
    {
        // Version 7 kept no career row and no player marks; the words held nothing read.
        std::fill_n(standings.begin() + kStandingsMarksOffset, kStandingsRows * 4, uint8_t{0});
    }
    else if (!InRange(careerRow, -1, kCareerRows - 1))
    {
        return ReadResult::kBadHeader;
    }
    if (in.Failed() || !weatherRead || !IsClockValid(clock) || !IsStandingsValid(standings))
        return ReadResult::kBadHeader;
    if (!InRange(others, 0, kMaxOtherAnglers) || !InRange(mode, kQuickFish, kSeason) ||
        !InRange(dayLengthSetting, 0, 3) || !InRange(tournamentLengthSetting, 0, 3) || !InRange(day, 1, MaxDay(mode)) ||
        !InRange(terrainSector, -1, kMaxTerrainSector) || !InRange(lakeId, 0, kMaxLakeId) || gameNumber == 0)
        return ReadResult::kBadHeader;
    // The weigh-in goes on from these at the end of a season day: a position past the order
    // would index outside it. Which lakes are installed, and their prizes, only the load can
    // tell.
    if (!season.IsValid(INT32_MAX, INT32_MAX))
        return ReadResult::kBadHeader;
    // A season game is an event of the season under way for its length: with that season's
    // flag off the load would book the event into a season the next set-up wipes.
    const size_t length = static_cast<size_t>(tournamentLengthSetting);
    if (mode == kSeason && (season.running[length] == 0 || season.completed[length] >= season.events[length]))
        return ReadResult::kBadHeader;
    return ReadResult::kOk;
}

bool tovSavedGame::Season::IsValid(int32_t lakeCount, int64_t maxWinnings) const
{
    for (size_t s = 0; s < events.size(); ++s)
    {
        if (!InRange(events[s], 0, kSeasonLakes) || !InRange(completed[s], 0, events[s]))
            return false;
        // Within this length's order whatever the count says.
        for (int32_t i = completed[s]; i < std::min(events[s], kSeasonLakes); ++i)
            if (!InRange(lakeOrder[s * kSeasonLakes + static_cast<size_t>(i)], 0, lakeCount - 1))
                return false;
        if (!InRange(fishWeight[s], 0, kMaxSeasonOunces) || winnings[s] < 0 || winnings[s] > maxWinnings)
            return false;
    }
    return true;
}

bool tovSavedGame::ReadAngler(const uint8_t* data, Angler& a)
{
    plat::ByteReader in(data, kAnglerSize);
    for (int32_t* v : {&a.id, &a.gender, &a.look, &a.colour1, &a.colour2, &a.paintScheme})
        *v = in.I32();
    for (float& v : a.position)
        v = in.F32();
    for (float& v : a.rotation)
        v = in.F32();
    ReadBytes(in, a.livewell);
    in.Seek(kAnglerClockOffset);
    ReadBytes(in, a.clock);
    if (in.Failed() || !InRange(a.id, 0, kMaxAnglerId) || !InRange(a.gender, 0, 1) || !tovAnglerLooks::IsLook(a.look) ||
        !tovAnglerLooks::IsColour(a.colour1) || !tovAnglerLooks::IsColour(a.colour2) ||
        !tovAnglerLooks::IsPaintScheme(a.paintScheme) || !IsClockValid(a.clock))
        return false;
    for (float v : a.position)
        if (!std::isfinite(v))
            return false;
    for (float v : a.rotation)
        if (!std::isfinite(v) || std::fabs(v) > 1.001f)
            return false;
    plat::ByteReader fish(a.livewell.data(), a.livewell.size());
    return InRange(fish.I32(), 0, kLivewellFish);
}

bool tovSavedGame::IsStandingsValid(const std::array<uint8_t, kStandingsSize>& s)
{
    for (int32_t row = 0; row < kStandingsRows; ++row)
        if (std::memchr(s.data() + row * kStandingsNameSize, 0, kStandingsNameSize) == nullptr)
            return false;
    plat::ByteReader in(s.data(), s.size());
    in.Seek(kTotalsOffset);
    for (int32_t row = 0; row < kStandingsRows; ++row)
    {
        const double total = in.F64();
        if (!std::isfinite(total) || total < 0.0)
            return false;
    }
    in.Seek(kCountsOffset);
    for (int32_t row = 0; row < kStandingsRows; ++row)
        if (in.I32() < 0)
            return false;
    // A mark is an id, or one negated: every one can be negated back.
    in.Seek(kStandingsMarksOffset);
    for (int32_t row = 0; row < kStandingsRows; ++row)
        if (in.I32() == INT32_MIN)
            return false;
    return !in.Failed();
}

bool tovSavedGame::IsClockValid(const std::array<uint8_t, kClockSize>& block)
{
    plat::ByteReader in(block.data(), block.size());
    tovGameClock probe;
    return probe.Load(in);
}
