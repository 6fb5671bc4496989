// The lake packs of Lakes/: one small pack per lake whose group 0 holds the text values the
// lake catalogue reads: id, description file, per-species weights, shares, depths and
// activities, prize list, travel speed, dock cell, air and water ranges and the lake's name;
// and the set-up screen's two pictures of the lake and its announcement; and the travel map's
// pictures. Four lakes on two grounds: each pack has an id of its own, since the set-up and a
// season's events choose lakes by id, but Oxbow Bend and the spring variant of Clearwater lie
// on the water of the other two.

#include "GenSetupScreens.h"
#include "GenTravelMap.h"
#include "SampleData.h"

#include "PackWriter.h"

#include <array>
#include <cstdio>
#include <string>

namespace gen
{

namespace
{

constexpr uint32_t kBytes = 0x80000007;
constexpr int kSpecies = 17;

// Typical weights in pounds (smallest, largest, usual) of the seventeen species: crappie,
// bluegill, carp, largemouth, muskie, pike, perch, pickerel, red sunfish, sauger, smallmouth,
// spotted bass, striper, sunfish, white crappie, walleye, white bass.
constexpr std::array<std::array<float, 3>, kSpecies> kWeights = {{
    {0.2f, 2.5f, 0.6f},
    {0.1f, 1.5f, 0.4f},
    {2.0f, 30.0f, 8.0f},
    {0.5f, 12.0f, 2.5f},
    {5.0f, 40.0f, 15.0f},
    {2.0f, 25.0f, 6.0f},
    {0.1f, 2.0f, 0.5f},
    {0.5f, 6.0f, 1.5f},
    {0.1f, 1.0f, 0.3f},
    {0.5f, 5.0f, 1.5f},
    {0.5f, 8.0f, 2.0f},
    {0.5f, 7.0f, 1.8f},
    {3.0f, 45.0f, 10.0f},
    {0.1f, 1.2f, 0.3f},
    {0.2f, 2.5f, 0.6f},
    {1.0f, 15.0f, 3.0f},
    {0.5f, 4.0f, 1.2f},
}};

// Where each species keeps in summer, in feet (0: at any depth), and how readily it bites (1 as
// usual), on every sample lake; in the order of kWeights.
constexpr std::array<float, kSpecies> kDepthFeet = {10.0f, 6.0f,  8.0f,  8.0f,  15.0f, 10.0f, 12.0f, 5.0f, 4.0f,
                                                    20.0f, 12.0f, 12.0f, 20.0f, 5.0f,  10.0f, 18.0f, 12.0f};
constexpr std::array<float, kSpecies> kActivity = {1.0f, 1.2f, 0.6f, 1.0f, 0.5f, 0.8f, 1.0f, 0.9f, 1.0f,
                                                   0.8f, 1.0f, 1.0f, 0.7f, 1.1f, 1.0f, 0.8f, 1.0f};

struct Lake
{
    const char* file;
    const char* name;
    int id;
    const char* prizes;
    const char* air;
    const char* water;
    int speed;
    int dockColumn, dockRow;
    // Shares of the species (bass 3, 10 and 11 always present; 0: none in the lake).
    std::array<float, kSpecies> shares;
    // The lake description the pack names; null: the pack's own name. A variant of a lake
    // describes the same water.
    const char* description = nullptr;
};

const Lake kLakes[] = {
    {"Clearwater",
     "Clearwater Reservoir",
     0,
     "50000,25000,15000,10000,5000",
     "58,88",
     "62,78",
     30,
     112,
     96,
     {0.05f, 0.08f, 0.04f, 0.30f, 0.00f, 0.03f, 0.06f, 0.02f, 0.02f, 0.00f, 0.15f, 0.10f, 0.00f, 0.05f, 0.03f, 0.04f,
      0.03f}},
    {"Sandridge",
     "Sandridge Lake",
     1,
     "40000,20000,12000,8000,4000",
     "62,94",
     "66,82",
     35,
     80,
     140,
     {0.04f, 0.10f, 0.06f, 0.35f, 0.00f, 0.00f, 0.05f, 0.03f, 0.03f, 0.00f, 0.08f, 0.14f, 0.04f, 0.05f, 0.02f, 0.00f,
      0.01f}},
    // The dock cell is that of the ground the lake lies on.
    {"Oxbow",
     "Oxbow Bend",
     3,
     "20000,10000,6000,4000,2000",
     "64,92",
     "63,80",
     25,
     80,
     140,
     {0.06f, 0.12f, 0.10f, 0.25f, 0.00f, 0.05f, 0.08f, 0.04f, 0.04f, 0.02f, 0.06f, 0.06f, 0.00f, 0.06f, 0.04f, 0.02f,
      0.00f},
     "Sandridge"},
    {"ClearwaterSpring",
     "Clearwater Reservoir in Spring",
     2,
     "45000,22000,14000,9000,4500",
     "48,76",
     "52,64",
     30,
     112,
     96,
     {0.08f, 0.06f, 0.03f, 0.28f, 0.00f, 0.05f, 0.07f, 0.03f, 0.01f, 0.00f, 0.18f, 0.08f, 0.00f, 0.04f, 0.05f, 0.03f,
      0.01f},
     "Clearwater"},
};

std::string Number(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(v));
    return text;
}

void AddText(tools::PackContents& pack, uint32_t key, const std::string& text)
{
    pack.Add({kBytes, key, 0, {}, std::vector<uint8_t>(text.begin(), text.end())}, {0});
}

tools::PackContents MakeLakePack(const Lake& lake)
{
    tools::PackContents pack;
    AddText(pack, 72, std::to_string(lake.id));
    AddText(pack, 76, std::string(lake.description ? lake.description : lake.file) + ".txt");
    for (uint32_t k = 0; k < kSpecies; ++k)
    {
        AddText(pack, 30 + k, Number(kWeights[k][0]));
        AddText(pack, 50 + k, Number(kWeights[k][1]));
        AddText(pack, k, Number(kWeights[k][2]));
        const bool bass = k == 3 || k == 10 || k == 11;
        AddText(pack, 2000 + k, Number(lake.shares[k] * (bass ? 1.2f : 1.0f)));
        AddText(pack, 2100 + k, Number(kDepthFeet[k]));
        AddText(pack, 2200 + k, Number(kActivity[k]));
    }
    AddText(pack, 78, std::to_string(lake.dockColumn));
    AddText(pack, 79, std::to_string(lake.dockRow));
    AddText(pack, 81, lake.prizes);
    AddText(pack, 82, std::to_string(lake.speed));
    AddText(pack, 83, lake.air);
    AddText(pack, 84, lake.water);
    AddText(pack, 85, lake.name);
    AddLakeSetupItems(pack, lake.name, lake.file);
    AddTravelMapItems(pack, lake.description ? lake.description : lake.file, lake.name);
    return pack;
}

} // namespace

std::vector<tools::PackContents> MakeSampleLakePacks()
{
    std::vector<tools::PackContents> packs;
    for (const Lake& lake : kLakes)
        packs.push_back(MakeLakePack(lake));
    return packs;
}

void GenerateLakePacks(Context& context)
{
    for (const Lake& lake : kLakes)
    {
        std::string error;
        tools::PackBytes bytes;
        if (!tools::BuildPack(MakeLakePack(lake), bytes, error))
        {
            context.Error(error);
            continue;
        }
        context.WriteBytes(std::string("Lakes/") + lake.file + ".waf", bytes.index);
        context.WriteBytes(std::string("Lakes/") + lake.file + ".wdt", bytes.data);
    }
}

} // namespace gen
