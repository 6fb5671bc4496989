// One lake's values per input: "KEY=VALUE" lines, each the text item of that key in the lake's
// pack (the species triples 0-16, 30-46 and 50-66, the species tables 2000-2216, the prizes 81,
// or any other key but the id), selected through the catalogue as a game selects its lake. The
// values then go where the game sends them: a fish population stocked from the tables and size
// bounds, a tournament day's field rolled from the bass shares and bounds and its final weighed
// on stage, and the prizes paid into a season. Every fish is of a species with a finite size in
// the livewell's bounds, every catch within the weigh-in's, the stage weigh-in ends, and a
// season's winnings stay within what its save may hold.
#include "FuzzSupport.h"

#include "PackWriter.h"
#include "tovAnglingWorld.h"
#include "tovFishPopulation.h"
#include "tovFishSpecies.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovLivewell.h"
#include "tovSavedGame.h"
#include "tovStandings.h"
#include "uRandom.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

constexpr uint32_t kBytes = 0x80000007;
constexpr uint32_t kIdKey = 72;
// Keys past the catalogue's own are not looked at: the pack stays small.
constexpr uint32_t kLastKey = 3000;

// A flat lake ten units deep everywhere, with the selected lake's species bounds.
class FlatLake : public tovAnglingWorld
{
public:
    explicit FlatLake(const tovLakeValues& values) : m_values(values) {}
    float GroundHeight(const QrPoint3&) const override { return -10.0f; }
    float WaterHeight() const override { return 0.0f; }
    bool IsOnLake(const QrPoint3&) const override { return true; }
    float GetPopulationDensity(const QrPoint3&) const override { return 0.5f; }
    void QueryPopulation(const QrPoint3&, float& a, float& b, float& c, float& d) const override
    {
        a = b = c = d = 0.5f;
    }
    const tovWeather* GetWeather() const override { return nullptr; }
    QrPoint3 WorldToMap(const QrPoint3& world) const override { return world; }
    QrPoint3 MapToWorld(const QrPoint3& map) const override { return map; }
    float GetSpeciesShare(int32_t species) const override
    {
        return species >= 0 && species < tovLakeValues::kSpeciesCount ? m_values.speciesTriples[size_t(species)][2]
                                                                      : 0.0f;
    }
    void GetSpeciesBounds(int32_t species, float& bound1, float& bound2) const override
    {
        const bool known = species >= 0 && species < tovLakeValues::kSpeciesCount;
        bound1 = known ? m_values.speciesTriples[size_t(species)][0] : 0.0f;
        bound2 = known ? m_values.speciesTriples[size_t(species)][1] : 0.0f;
    }
    void GetBotLocation(int32_t, double& x, double& z, double& heading) const override { x = z = heading = 0.0; }

private:
    const tovLakeValues& m_values;
};

bool WritePack(const uint8_t* data, size_t size)
{
    tools::PackContents contents;
    contents.Add({kBytes, kIdKey, 0, {}, {'0'}}, {0});
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0 || equals > 4)
            continue;
        const std::string keyText = line.substr(0, equals);
        if (keyText.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const auto key = static_cast<uint32_t>(std::stoul(keyText));
        if (key == kIdKey || key > kLastKey)
            continue;
        const std::string value = line.substr(equals + 1);
        contents.Add({kBytes, key, 0, {}, std::vector<uint8_t>(value.begin(), value.end())}, {0});
    }
    std::string error;
    // A pack the writer refuses is not a lake.
    return tools::WritePackFiles(contents, fuzzsupport::Folder() + "/Lakes/Fuzzed", error);
}

void CheckPopulation(const tovLakeValues& values, int32_t skill)
{
    FlatLake lake(values);
    tovFishPopulation population(lake);
    population.Populate(7, values.speciesTables, 0.0f, 0.0f, 50.0f, 50.0f, 300, skill);
    for (int32_t i = 0; i < population.GetCount(); ++i)
    {
        const tovFishPopulation::Fish& fish = population.GetFish(i);
        if (!IsValidSpecies(fish.species) || !std::isfinite(fish.weight) || !(fish.weight > 0.0f) ||
            fish.weight * 16.0f > float(tovLivewell::kMaxOunces) || !std::isfinite(fish.length) ||
            !(fish.length >= 0.0f) || fish.length > float(tovLivewell::kMaxInches) || !std::isfinite(fish.depth) ||
            fish.depth < 0.0f)
            std::abort();
    }
}

// A day's field from the lake, the way the weigh-in rolls it, and the stage weigh-in of a final.
int32_t CheckTournament(const tovLakeValues& values, int32_t skill, int32_t fieldSize)
{
    tovOpponentRollContext ctx;
    ctx.dayLength = 3;
    ctx.skillLevel = skill;
    static constexpr int32_t kSpecies[3] = {3, 10, 11};
    for (size_t k = 0; k < 3; ++k)
    {
        const auto& triple = values.speciesTriples[size_t(kSpecies[k])];
        ctx.shares[k] = triple[2];
        ctx.bounds[k] = {triple[0], triple[1]};
    }
    ctx.fishSize = [](int32_t species, float x, float low, float high, int32_t level, float factor)
    {
        float weight = 0.0f, length = 0.0f;
        DrawFishSizeForSpecies(species, weight, length, x, low, high, level, 0, factor);
        return weight;
    };
    uRandom random(11);
    ctx.random = &random;
    tovStandings standings;
    standings.m_day = 1;
    std::vector<int32_t> livewell = {40, 72, 120};
    standings.RunDay(fieldSize, livewell, "Angler", values.intList, ctx);
    for (int32_t slot = 1; slot < fieldSize; ++slot)
        for (int32_t ounces : standings.m_dayCatch[size_t(slot)])
            if (ounces < 0 || ounces > 1600)
                std::abort();
    if (fieldSize > 5)
    {
        standings.AddAllCatches(fieldSize);
        standings.SortRanking(fieldSize);
    }
    else
    {
        // Every fish the local angler has is brought, then the rest weigh in; a step adds at
        // least one fish, so the ceremony ends within the field's fish.
        for (int32_t ounces : livewell)
            standings.AddLocalFish(ounces);
        int32_t steps = 0;
        while (standings.RevealNext(false) != tovStandings::Reveal::kReady)
        {
            standings.SortRanking(fieldSize);
            if (++steps > fieldSize * tovStandings::kDayFish + 1)
                std::abort();
        }
    }
    for (int32_t slot = 0; slot < fieldSize; ++slot)
        if (!std::isfinite(standings.m_totals[size_t(slot)]) || standings.m_totals[size_t(slot)] < 0.0)
            std::abort();
    return standings.LocalPrize();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    std::filesystem::create_directories(fuzzsupport::Folder() + "/Lakes");
    SetInstallRoot(fuzzsupport::Folder());
    SetDiscRoot(fuzzsupport::Folder());
    SetInstallType(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WritePack(data, size))
        return 0;
    tovLakeCatalogue catalogue;
    catalogue.SelectLake(nullptr, 0);
    if (catalogue.GetCurrentLakeId() != 0)
        std::abort();
    const tovLakeValues& values = catalogue.GetValues();
    for (int32_t skill = 0; skill < 3; ++skill)
        CheckPopulation(values, skill);
    CheckTournament(values, 2, 20);
    const int32_t prize = CheckTournament(values, 0, 5);
    // A season of the order's every event paid this prize, booked as the weigh-in books it.
    int64_t winnings = 0;
    for (int32_t event = 0; event < tovSavedGame::kSeasonLakes; ++event)
        winnings = std::min<int64_t>(winnings + prize, INT32_MAX);
    const int64_t largest = catalogue.FindLargestPrize();
    if (winnings < 0 || winnings > int64_t{tovSavedGame::kSeasonLakes} * 4 * largest)
        std::abort();
    return 0;
}
