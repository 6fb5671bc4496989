#include "tovWeighInNet.h"

#include "tovNetFacade.h"
#include "tovStandings.h"
#include "uRandom.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>

namespace tovWeighInNet
{

namespace
{

// Ounces of a day's catch no player can beat: five fish at the heaviest a fish may be.
constexpr int32_t kMostOunces = tovStandings::kDayFish * 100 * 16;

// Another player's numbers: a catch no livewell could hold is taken as none.
Catch Trusted(int32_t ounces, int32_t fish)
{
    Catch day{std::clamp(ounces, 0, kMostOunces), std::clamp(fish, 0, tovStandings::kDayFish)};
    if (day.fish == 0 || day.ounces < day.fish)
        day = Catch{};
    return day;
}

} // namespace

Catch DayCatch(std::vector<int32_t> livewellOunces)
{
    if (livewellOunces.size() > static_cast<size_t>(tovStandings::kDayFish))
        livewellOunces.erase(std::min_element(livewellOunces.begin(), livewellOunces.end()));
    Catch day;
    for (int32_t ounces : livewellOunces)
        if (ounces > 0)
        {
            day.ounces += ounces;
            ++day.fish;
        }
    return day;
}

std::vector<Player> ExchangeCatches(const Catch& local)
{
    std::vector<Player> players;
    if (!IsNetworkGame())
        return players;
    const int32_t self = NetGetLocalSlot();
    NetAddPlayerResults(self, local.ounces, local.fish);
    NetWaitForPhase(kResultsPhase, kResultsTakenPhase, 0);
    for (int32_t slot = 0; slot < tovNetworkPlay::kMaxPlayers; ++slot)
    {
        char name[tovStandings::kNameSize] = {};
        // A player still on its way to its first day (the weigh-in's waits pass over one in its
        // set-up) fished none of the game: it has no row.
        if (slot == self || !NetGetPlayerName(slot, name, sizeof name) || !NetHasBegunDay(slot))
            continue;
        int32_t ounces = 0, fish = 0;
        NetGetPlayerResults(slot, ounces, fish);
        players.push_back({name, Trusted(ounces, fish), NetGetPlayerId(slot)});
    }
    // Players who left after their results were exchanged keep them, on a copy that weighs
    // after they left too.
    for (const tovNetworkPlay::LeftResults& left : NetGetLeftPlayersResults())
    {
        const auto same = [&](const Player& p) { return p.id == left.id; };
        if (left.id == 0 || std::any_of(players.begin(), players.end(), same))
            continue;
        players.push_back({left.name.substr(0, tovStandings::kNameSize - 1), Trusted(left.a, left.b), left.id});
    }
    return players;
}

bool CloseResults()
{
    return !IsNetworkGame() || NetWaitForPhase(kClosePhase, kClosedPhase, 0);
}

bool LeaveDay()
{
    if (!IsNetworkGame())
        return true;
    NetSetLocalPhase(kBetweenDaysPhase);
    return !IsNetworkHost() || NetWaitForPhase(kBetweenDaysPhase, kBetweenDaysPhase, 0);
}

uint32_t FieldSeed()
{
    return NetGetWeighInSeed();
}

int32_t RowMark(uint32_t id)
{
    return static_cast<int32_t>(id & 0x7FFFFFFFu);
}

void PlacePlayers(tovStandings& standings, const std::vector<Player>& players, int32_t localMark, uint32_t seed,
                  const tovOpponentRollContext& ctx)
{
    const int32_t field = std::clamp(standings.m_fieldSize, 1, tovStandings::kSlots);
    const bool firstDay = standings.m_day <= 1;
    // Row 0 is this copy's player (none on a cut copy), whoever it was when the game was saved.
    standings.SetPlayer(0, localMark);
    int32_t next = 1;
    std::vector<bool> present(static_cast<size_t>(field), false);
    // Standings from a save that kept no marks: the players are found by name this once, as
    // such a game always was, and marked from then on.
    bool unmarked = !firstDay;
    for (int32_t r = 1; r < field; ++r)
        unmarked = unmarked && !standings.IsPlayer(r);
    for (const Player& player : players)
    {
        const int32_t mark = RowMark(player.id);
        if (mark == 0)
            continue;
        int32_t row = -1;
        if (firstDay)
        {
            if (next < field)
            {
                row = next++;
                standings.SetName(row, player.name.c_str());
                standings.SetPlayer(row, mark);
            }
        }
        else
        {
            // Found by who the player is, never by name: a computer angler may bear it too.
            for (int32_t r = 1; r < field && row < 0; ++r)
                if (standings.GetPlayer(r) == mark)
                    row = r;
            for (int32_t r = 1; unmarked && r < field && row < 0; ++r)
                if (!standings.IsPlayer(r) && player.name == standings.GetName(r))
                {
                    row = r;
                    standings.SetPlayer(row, mark);
                }
        }
        if (row < 0)
            continue;
        present[static_cast<size_t>(row)] = true;
        auto& catchRow = standings.m_dayCatch[static_cast<size_t>(row)];
        catchRow.fill(0);
        // The exchange carries a day's weight and count, not each fish.
        for (int32_t k = 0; k < player.day.fish; ++k)
            catchRow[static_cast<size_t>(k)] =
                player.day.ounces / player.day.fish + (k < player.day.ounces % player.day.fish);
    }
    // A player of the field whose results this day did not bring (it left the session, or the
    // game was loaded without it) has left: its row stays, empty, below the others. Drawn as a
    // computer angler's, it would take the draws of the others.
    for (int32_t r = 1; r < field; ++r)
        if (standings.IsPlayer(r) && !present[static_cast<size_t>(r)])
            standings.MarkLeft(r);
    std::vector<int32_t> computers;
    for (int32_t r = 1; r < field; ++r)
        if (!standings.IsPlayer(r))
            computers.push_back(r);
    std::stable_sort(computers.begin(), computers.end(),
                     [&](int32_t a, int32_t b) { return std::strcmp(standings.GetName(a), standings.GetName(b)) < 0; });
    uRandom random(static_cast<int32_t>(seed % 2147483646u) + 1);
    tovOpponentRollContext drawn = ctx;
    drawn.random = &random;
    for (int32_t r : computers)
        standings.RollOpponentResults(r, drawn);
    standings.SortCatches(tovStandings::kSlots);
    // Equal totals keep their order in the ranking: every copy starts it in the names' order,
    // not with its own player last; a player's row before a computer angler's, and among
    // players by who they are, so that equal totals stand in one order on every copy.
    const auto key = [&](int32_t slot) { return standings.IsPlayer(slot) ? std::abs(standings.GetPlayer(slot)) : 0; };
    std::stable_sort(standings.m_ranking.begin(), standings.m_ranking.begin() + field,
                     [&](int32_t a, int32_t b)
                     {
                         const int order = std::strcmp(standings.GetName(a), standings.GetName(b));
                         if (order != 0)
                             return order < 0;
                         const int32_t ka = key(a), kb = key(b);
                         return (ka != 0) != (kb != 0) ? ka != 0 : ka < kb;
                     });
}

} // namespace tovWeighInNet
