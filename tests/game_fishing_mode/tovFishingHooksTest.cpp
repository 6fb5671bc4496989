#include "FishingWorldHarness.h"

#include "tovAppServices.h"
#include "tovFishModels.h"
#include "tovFishSpecies.h"
#include "tovFishingHooks.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"

#include "PackWriter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace
{

class tovFishingHooksTest : public FishingWorldHarness
{
protected:
    void TearDown() override
    {
        SetAppServices(nullptr);
        TheLakeCatalogue().Clear();
        FishingWorldHarness::TearDown();
    }

    testfiles::TempDir m_dir;
};

// A lake that gives muskies no share but, like every lake, a usual muskie weight under key 4
// far above the others: the day begun for it holds only the species it gives a share.
TEST_F(tovFishingHooksTest, TheDayHoldsOnlyTheSpeciesItsLakeGivesAShare)
{
    tools::PackContents pack;
    auto add = [&pack](uint32_t key, const std::string& text) {
        pack.Add({0x80000007, key, 0, {}, std::vector<uint8_t>(text.begin(), text.end())}, {0});
    };
    add(72, "9");
    add(76, "Clearwater.txt"); // the sample lake's water
    for (uint32_t k = 0; k < 17; ++k)
    {
        add(30 + k, "0.5");
        add(50 + k, "4");
        add(k, k == kMuskie ? "100" : "1");
    }
    add(2000 + kLargemouthBass, "3");
    add(2000 + kBlackCrappie, "1");
    add(2000 + kMuskie, "0");
    std::string error;
    ASSERT_TRUE(tools::WritePackFiles(pack, m_dir.File("Test"), error)) << error;
    TheLakeCatalogue().Clear();
    TheLakeCatalogue().AddLakeFile("Test.waf", m_dir.Path());
    TheLakeCatalogue().SelectLake(nullptr, 9);
    ASSERT_EQ(TheLakeCatalogue().GetCurrentLakeId(), 9);

    struct : tovNullAppServices
    {
        QrRender* GetRenderer() override { return renderer; }
        QrRender* renderer = nullptr;
    } services;
    services.renderer = m_rig->GetRenderer();
    SetAppServices(&services);
    tovGameSession session;
    tovFishingHooks hooks;
    hooks.BeginGame(session);
    ASSERT_TRUE(hooks.IsWorldBuilt());
    const tovFishPopulation& population = hooks.GetWorld().GetFish()->GetPopulation();
    ASSERT_GT(population.GetCount(), 50);
    std::array<int32_t, 17> counts{};
    for (int32_t i = 0; i < population.GetCount(); ++i)
        ++counts[size_t(population.GetFish(i).species)];
    EXPECT_EQ(counts[kMuskie], 0);
    EXPECT_EQ(counts[kLargemouthBass] + counts[kBlackCrappie], population.GetCount());
    EXPECT_GT(counts[kLargemouthBass], counts[kBlackCrappie]);
    EXPECT_GT(counts[kBlackCrappie], 0);
}

} // namespace
