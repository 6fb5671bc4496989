#include "tovWeighInNet.h"

#include "tovNetFacade.h"
#include "tovStandings.h"
#include "uRandom.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace tovWeighInNet
{

namespace
{

// Ounces of a day's catch no player can beat: five fish at the heaviest a fish may be.
constexpr int32_t kMostOunces = tovStandings::kDayFish * 100 * 16;

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
        if (slot == self || !NetGetPlayerName(slot, name, sizeof name))
            continue;
        int32_t ounces = 0, fish = 0;
        NetGetPlayerResults(slot, ounces, fish);
        // Another player's numbers: a catch no livewell could hold is taken as none.
        Catch day{std::clamp(ounces, 0, kMostOunces), std::clamp(fish, 0, tovStandings::kDayFish)};
        if (day.fish == 0 || day.ounces < day.fish)
            day = Catch{};
        players.push_back({name, day});
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

void PlacePlayers(tovStandings& standings, const std::vector<Player>& players, uint32_t seed,
                  const tovOpponentRollContext& ctx, std::vector<std::string>& fieldPlayers)
{
    const int32_t field = std::clamp(standings.m_fieldSize, 1, tovStandings::kSlots);
    std::vector<bool> human(static_cast<size_t>(field), false);
    human[0] = true;
    int32_t next = 1;
    if (standings.m_day <= 1)
        fieldPlayers.clear();
    for (const Player& player : players)
    {
        int32_t row = -1;
        if (standings.m_day <= 1)
        {
            if (next < field)
                standings.SetName(row = next++, player.name.c_str());
        }
        else
        {
            for (int32_t r = 1; r < field && row < 0; ++r)
                if (!human[static_cast<size_t>(r)] && player.name == standings.GetName(r))
                    row = r;
        }
        if (row < 0)
            continue;
        if (standings.m_day <= 1)
            fieldPlayers.push_back(player.name);
        human[static_cast<size_t>(row)] = true;
        auto& catchRow = standings.m_dayCatch[static_cast<size_t>(row)];
        catchRow.fill(0);
        // The exchange carries a day's weight and count, not each fish.
        for (int32_t k = 0; k < player.day.fish; ++k)
            catchRow[static_cast<size_t>(k)] =
                player.day.ounces / player.day.fish + (k < player.day.ounces % player.day.fish);
    }
    // A player of the first day who has left the session since (this copy may weigh in after
    // the others have gone) keeps its row with no catch: drawn as a computer angler's, it would
    // take the draws of the others and every computer angler's catch would differ from copy to copy.
    if (standings.m_day > 1)
        for (const std::string& name : fieldPlayers)
        {
            const auto present = [&](const Player& p) { return p.name == name; };
            if (std::any_of(players.begin(), players.end(), present))
                continue;
            for (int32_t r = 1; r < field; ++r)
                if (!human[static_cast<size_t>(r)] && name == standings.GetName(r))
                {
                    human[static_cast<size_t>(r)] = true;
                    standings.m_dayCatch[static_cast<size_t>(r)].fill(0);
                    break;
                }
        }
    std::vector<int32_t> computers;
    for (int32_t r = 1; r < field; ++r)
        if (!human[static_cast<size_t>(r)])
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
    // not with its own player last; a player named like a computer angler comes before it.
    std::stable_sort(standings.m_ranking.begin(), standings.m_ranking.begin() + field,
                     [&](int32_t a, int32_t b)
                     {
                         const int order = std::strcmp(standings.GetName(a), standings.GetName(b));
                         return order < 0 ||
                                (order == 0 && human[static_cast<size_t>(a)] && !human[static_cast<size_t>(b)]);
                     });
}

} // namespace tovWeighInNet
