#include "tovStandings.h"

#include "uRandom.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

namespace
{
// Opponent names; the field draws from them without repeats.
const char* const kNames[tovStandings::kOpponentNames] = {
    "Walt Brenner",  "Dale Hoskins",  "Earl Pruitt",    "Mack Tolliver", "Lonnie Gaskell", "Ray Dunmore",
    "Cody Wheeler",  "Buck Harlan",   "Travis Kell",    "Jed Ammons",    "Luke Farrow",    "Wade Pickett",
    "Hank Sorrell",  "Clint Masters", "Rusty Beal",     "Vern Oakes",    "Gus Tremont",    "Billy Crane",
    "Tom Ridley",    "Carl Vickers",  "Dwight Fenton",  "Roy Chalmers",  "Otis Brandt",    "Frank Lyle",
    "Jimmy Stroud",  "Lee Ashby",     "Marty Colvin",   "Dean Whitlock", "Sam Petrie",     "Curtis Ball",
    "Glen Harker",   "Abe Stallings", "Boyd Kimsey",    "Chet Rowan",    "Ike Dunbar",     "Ned Culpepper",
    "Pete Langford", "Floyd Mercer",  "Homer Tisdale",  "Rex Galloway",  "Sonny Breck",    "Troy Maddox",
    "Virgil Haines", "Wes Calloway",  "Zeke Norwood",   "Brent Yoder",   "Alvin Shue",     "Kurt Lindell",
    "Dewey Pratt",   "Ollie Renfro",  "Mitch Cantrell",
};

constexpr int32_t kDayLengthDivisors[4] = {6, 12, 24, 48};
// Heavier than any bass; a fish size beyond it is not trusted.
constexpr float kMaxPounds = 100.0f;

} // namespace

void tovStandings::Reset()
{
    for (int32_t i = 0; i < kSlots; ++i)
    {
        m_totals[i] = 0.0;
        m_fishCounts[i] = 0;
        m_names[i].fill('\0');
        m_players[i] = 0;
        m_ranking[i] = i;
        m_dayCatch[i].fill(i == 0 ? -1 : 0);
    }
    m_reservedNames.clear();
}

int32_t tovStandings::FieldSize(int32_t length, int32_t day)
{
    static constexpr int32_t kTable[4][4] = {{5, 0, 0, 0}, {10, 5, 0, 0}, {20, 10, 5, 0}, {20, 20, 10, 5}};
    if (length < 0 || length > 3 || day < 1 || day > 4)
        return 0;
    return kTable[length][day - 1];
}

void tovStandings::PrepareDay(int32_t length, int32_t day)
{
    const bool keep = length == 3 && day == 2;
    for (int32_t i = 0; i < kSlots; ++i)
    {
        if (!keep)
        {
            m_totals[i] = 0.0;
            m_fishCounts[i] = 0;
        }
        m_ranking[i] = i;
        if (day == 1)
        {
            m_names[i].fill('\0');
            m_players[i] = 0;
        }
    }
}

void tovStandings::RunDay(int32_t fieldSize, std::vector<int32_t>& livewell, const char* localName,
                          const std::array<int32_t, kPrizes>& prizes, const tovOpponentRollContext& ctx)
{
    fieldSize = std::clamp(fieldSize, 1, kSlots);
    if (livewell.size() > static_cast<size_t>(kDayFish))
        livewell.erase(std::min_element(livewell.begin(), livewell.end()));

    m_dayCatch[0].fill(-1);
    if (fieldSize >= 6)
    {
        const size_t n = std::min(livewell.size(), static_cast<size_t>(kDayFish));
        for (size_t k = 0; k < n; ++k)
            m_dayCatch[0][k] = std::max(livewell[k], 0);
    }
    for (int32_t i = 1; i < kSlots; ++i)
        m_dayCatch[i].fill(0);
    m_prizes = prizes;
    m_fieldSize = fieldSize;

    uRandom& rnd = ctx.random != nullptr ? *ctx.random : SharedRandom();
    if (m_day == 1)
    {
        SetName(0, localName != nullptr ? localName : "");
        m_nameUsed.fill(0);
        // No computer angler bears a player's name: rows are told apart on every board.
        for (int32_t index = 0; index < kOpponentNames; ++index)
            for (const std::string& name : m_reservedNames)
                if (name == kNames[index])
                    m_nameUsed[index] = 1;
    }
    for (int32_t slot = 1; slot < fieldSize; ++slot)
    {
        if (m_day == 1)
        {
            // At most 19 names and 5 players' are taken from 51, so a free one is always found.
            int32_t index = rnd.next() % kOpponentNames;
            while (m_nameUsed[index] != 0)
                index = rnd.next() % kOpponentNames;
            m_nameUsed[index] = 1;
            SetName(slot, kNames[index]);
        }
        RollOpponentResults(slot, ctx);
    }
    m_ranking[0] = fieldSize - 1;
    m_ranking[fieldSize - 1] = 0;
    SortCatches(kSlots);
}

void tovStandings::RollOpponentResults(int32_t slot, const tovOpponentRollContext& ctx)
{
    if (slot < 0 || slot >= kSlots)
        return;
    uRandom& rnd = ctx.random != nullptr ? *ctx.random : SharedRandom();
    auto& values = m_dayCatch[slot];
    values.fill(0);
    const int32_t count = rnd.next() % kDayLengthDivisors[std::clamp(ctx.dayLength, 0, 3)];
    const float a = std::max(ctx.shares[0], 0.0f);
    const float b = std::max(ctx.shares[1], 0.0f);
    const float c = std::max(ctx.shares[2], 0.0f);
    const float sum = a + b + c;
    std::vector<int32_t> fish;
    fish.reserve(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k)
    {
        const float x = static_cast<float>(rnd.next() % 100) * 0.01f;
        int32_t which = 0; // species 3
        // A lake without bass shares (or with unreadable ones) stocks largemouth only.
        if (sum > 0.0f && std::isfinite(sum))
        {
            if (x < c / sum)
                which = 2;
            else if (x < (b + c) / sum)
                which = 1;
        }
        static constexpr int32_t kSpecies[3] = {3, 10, 11};
        float pounds = 0.0f;
        if (ctx.fishSize)
            pounds = ctx.fishSize(kSpecies[which], x, ctx.bounds[which][0], ctx.bounds[which][1], ctx.skillLevel, 1.0f);
        if (!std::isfinite(pounds))
            pounds = 0.0f;
        fish.push_back(static_cast<int32_t>(std::clamp(pounds, 0.0f, kMaxPounds) * 16.0f));
    }
    std::sort(fish.begin(), fish.end(), std::greater<>());
    for (size_t k = 0; k < fish.size() && k < static_cast<size_t>(kDayFish); ++k)
        values[k] = fish[k];
}

void tovStandings::SortCatches(int32_t fieldSize)
{
    fieldSize = std::clamp(fieldSize, 0, kSlots);
    for (int32_t slot = 0; slot < fieldSize; ++slot)
    {
        auto& v = m_dayCatch[slot];
        for (int32_t pass = 0; pass < kDayFish; ++pass)
            for (int32_t k = 0; k + 1 < kDayFish; ++k)
                if (v[k + 1] < v[k])
                    std::swap(v[k], v[k + 1]);
    }
}

void tovStandings::SortRanking(int32_t fieldSize)
{
    fieldSize = std::clamp(fieldSize, 0, kSlots);
    // A player who left stands below every angler still in the game, whatever its total.
    const auto above = [this](int32_t a, int32_t b)
    { return HasLeft(a) != HasLeft(b) ? HasLeft(b) : m_totals[a] > m_totals[b]; };
    for (int32_t pass = 0; pass < fieldSize; ++pass)
        for (int32_t p = 0; p + 1 < fieldSize; ++p)
            if (above(m_ranking[p + 1], m_ranking[p]))
                std::swap(m_ranking[p], m_ranking[p + 1]);
}

void tovStandings::AddAllCatches(int32_t fieldSize)
{
    fieldSize = std::clamp(fieldSize, 0, kSlots);
    for (int32_t slot = 0; slot < fieldSize; ++slot)
        for (int32_t v : m_dayCatch[slot])
            if (v > 0)
            {
                m_totals[slot] += v;
                ++m_fishCounts[slot];
            }
}

bool tovStandings::HasFish(int32_t slot) const
{
    return FirstFish(slot) >= 0;
}

int32_t tovStandings::FirstFish(int32_t slot) const
{
    if (slot < 0 || slot >= kSlots)
        return -1;
    for (int32_t k = 0; k < kDayFish; ++k)
        if (m_dayCatch[slot][k] > 0)
            return k;
    return -1;
}

int32_t tovStandings::LocalPlace() const
{
    for (int32_t p = 0; p < kPrizes; ++p)
        if (m_ranking[p] == 0)
            return p;
    // Outside the first five: no place that pays.
    return -1;
}

int32_t tovStandings::LocalRank(int32_t fieldSize) const
{
    fieldSize = std::clamp(fieldSize, 0, kSlots);
    for (int32_t p = 0; p < fieldSize; ++p)
        if (m_ranking[p] == 0)
            return p;
    return std::max(fieldSize - 1, 0);
}

int32_t tovStandings::LocalPrize() const
{
    const int32_t p = LocalPlace();
    return p >= 0 ? m_prizes[p] : 0;
}

bool tovStandings::Advances(int32_t fieldSize, int32_t length) const
{
    if (fieldSize < 6)
        return true;
    if (m_day == 1 && length == 3)
        return true;
    const int32_t rank = LocalRank(fieldSize);
    if (fieldSize == 20)
        return rank < 10;
    if (fieldSize == 10)
        return rank < 5;
    return false;
}

void tovStandings::Cut(int32_t fieldSize)
{
    int32_t keep = 0;
    if (fieldSize == 10)
        keep = 5;
    else if (fieldSize == 20)
        keep = 10;
    else
        return;
    std::array<std::array<char, kNameSize>, kSlots> names = m_names;
    const std::array<int32_t, kSlots> players = m_players;
    int32_t to = 1;
    for (int32_t p = 0; p < keep; ++p)
    {
        const int32_t slot = m_ranking[p];
        if (slot != 0 && to < kSlots)
        {
            m_players[to] = players[slot];
            m_names[to++] = names[slot];
        }
    }
    // The anglers cut go with their names: the standings hold the next day's field alone.
    for (; to < kSlots; ++to)
    {
        m_names[to].fill('\0');
        m_players[to] = 0;
    }
}

tovStandings::Reveal tovStandings::RevealNext(bool localLivewellHasFish)
{
    for (int32_t p = kPrizes - 1; p >= 0; --p)
    {
        const int32_t slot = m_ranking[p];
        if (slot == 0)
        {
            if (localLivewellHasFish)
                return Reveal::kWait;
            continue;
        }
        if (!HasFish(slot))
            continue;
        const int32_t leader = m_ranking[0];
        for (int32_t k = FirstFish(slot); k >= 0 && k < kDayFish; ++k)
        {
            if (static_cast<int64_t>(m_totals[leader] - m_totals[slot]) < 0)
                break;
            int32_t& v = m_dayCatch[slot][k];
            if (v <= 0)
                continue;
            m_totals[slot] += v;
            ++m_fishCounts[slot];
            v = 0;
        }
        return Reveal::kStep;
    }
    if (localLivewellHasFish)
        return Reveal::kWait;
    SortRanking(kPrizes);
    return Reveal::kReady;
}

void tovStandings::AddLocalFish(int32_t ounces)
{
    m_totals[0] += std::max(ounces, 0);
    ++m_fishCounts[0];
    SortRanking(m_fieldSize > 0 ? m_fieldSize : kPrizes);
}

void tovStandings::SetName(int32_t slot, const char* name)
{
    if (slot < 0 || slot >= kSlots)
        return;
    auto& field = m_names[static_cast<size_t>(slot)];
    field.fill('\0');
    if (name != nullptr)
        std::strncpy(field.data(), name, kNameSize - 1);
}

void tovStandings::MarkLeft(int32_t slot)
{
    int32_t& mark = m_players.at(static_cast<size_t>(slot));
    if (mark > 0)
        mark = -mark;
    m_dayCatch.at(static_cast<size_t>(slot)).fill(0);
}

const char* tovStandings::OpponentName(int32_t index)
{
    return index >= 0 && index < kOpponentNames ? kNames[index] : "";
}

void tovStandings::StoreBlock(uint8_t* out) const
{
    plat::ByteWriter w;
    for (const auto& name : m_names)
        w.Write(name.data(), name.size());
    for (int32_t v : m_players)
        w.I32(v);
    for (int32_t v : m_reserved1)
        w.I32(v);
    for (double v : m_totals)
        w.F64(v);
    for (int32_t v : m_reserved2)
        w.I32(v);
    for (int32_t v : m_fishCounts)
        w.I32(v);
    for (int32_t v : m_reserved3)
        w.I32(v);
    std::copy(w.Buffer().begin(), w.Buffer().end(), out);
}

void tovStandings::LoadBlock(const uint8_t* in)
{
    plat::ByteReader r(in, kBlockSize);
    for (auto& name : m_names)
    {
        r.Read(name.data(), name.size());
        // A name always ends inside its field.
        name.back() = '\0';
    }
    for (int32_t& v : m_players)
    {
        v = r.I32();
        // Negated it must still name an id.
        if (v == INT32_MIN)
            v = 0;
    }
    for (int32_t& v : m_reserved1)
        v = r.I32();
    for (double& v : m_totals)
    {
        v = r.F64();
        if (!std::isfinite(v))
            v = 0.0;
    }
    for (int32_t& v : m_reserved2)
        v = r.I32();
    for (int32_t& v : m_fishCounts)
        v = r.I32();
    for (int32_t& v : m_reserved3)
        v = r.I32();
}
