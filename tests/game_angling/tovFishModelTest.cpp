#include "tovBlackCrappie.h"
#include "tovBluegill.h"
#include "tovCarp.h"
#include "tovCastingTarget.h"
#include "tovFish.h"
#include "tovFishFactory.h"
#include "tovFishSizeTable.h"
#include "tovLargemouthBass.h"
#include "tovLure.h"
#include "tovModelFileCache.h"
#include "tovMuskie.h"
#include "tovNorthernPike.h"
#include "tovPerch.h"
#include "tovPickerel.h"
#include "tovRedSunfish.h"
#include "tovSauger.h"
#include "tovSmallmouthBass.h"
#include "tovSpottedBass.h"
#include "tovStripedBass.h"
#include "tovSunfish.h"
#include "tovWalleye.h"
#include "tovWhiteBass.h"
#include "tovWhiteCrappie.h"

#include "tovAppServices.h"
#include "tovInstallSettings.h"

#include "qrxFrameworkClasses.h"
#include "qrxGraphSearcher.h"

#include "QrBound.h"
#include "QrEngineAnimationClasses.h"
#include "QrMatrix3.h"
#include "QrObject.h"
#include "QrTestFixture.h"
#include "QrVertexColorProperty.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <typeinfo>

namespace
{

class tovFishModelTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterEngineAnimationClasses();
        RegisterFrameworkClasses();
        SetInstallRoot(testfiles::DataDir());
        tovFishSizeTable::Clear();
    }

    void TearDown() override
    {
        tovFish::ReleaseModelCache();
        EXPECT_EQ(tovModelFileCache::GetFileCount(), 0u);
        tovFishSizeTable::Clear();
        SetInstallRoot("");
        QrEngineTest::TearDown();
    }

    static QrAVObject* Find(QrObject* root, const char* name)
    {
        qrxGraphSearcher searcher;
        return QrDynamicCast<QrAVObject>(searcher.Find(root, name));
    }
};

// The species numbers are fixed by saved games and messages: each must build its own class.
TEST_F(tovFishModelTest, EverySpeciesBuildsItsOwnClassAndSwims)
{
    const std::array<const std::type_info*, kSpeciesCount> classes = {
        &typeid(tovBlackCrappie), &typeid(tovBluegill),     &typeid(tovCarp),           &typeid(tovLargemouthBass),
        &typeid(tovMuskie),       &typeid(tovNorthernPike), &typeid(tovPerch),          &typeid(tovPickerel),
        &typeid(tovRedSunfish),   &typeid(tovSauger),       &typeid(tovSmallmouthBass), &typeid(tovSpottedBass),
        &typeid(tovStripedBass),  &typeid(tovSunfish),      &typeid(tovWhiteCrappie),   &typeid(tovWalleye),
        &typeid(tovWhiteBass),
    };
    for (int32_t species = 0; species < kSpeciesCount; ++species)
    {
        SCOPED_TRACE(species);
        QrPointer<tovFish> fish = CreateFish(species);
        ASSERT_TRUE(fish);
        EXPECT_TRUE(typeid(*fish.Get()) == *classes[size_t(species)]);
        EXPECT_EQ(fish->GetSpecies(), species);
        ASSERT_TRUE(fish->HasModel()) << tovFish::GetModelFile(species);
        EXPECT_TRUE(Find(fish.Get(), tovFish::kNearNode));
        EXPECT_TRUE(Find(fish.Get(), tovFish::kFarNode));
        EXPECT_GE(fish->GetTimingCount(), 2u);

        // The tail swings as the manual clock moves on.
        QrAVObject* tail = Find(fish.Get(), "Tail");
        ASSERT_TRUE(tail);
        fish->Update(0.0, 0.25);
        const QrMatrix3 first = tail->GetRotate();
        fish->Update(0.0, 0.25);
        EXPECT_NE(first, tail->GetRotate());
    }
    EXPECT_FALSE(CreateFish(-1));
    EXPECT_FALSE(CreateFish(kSpeciesCount));
}

TEST_F(tovFishModelTest, TheStateSetsHowFastTheLoopRuns)
{
    QrPointer<tovFish> cruising = CreateFish(kLargemouthBass);
    QrPointer<tovFish> fighting = CreateFish(kLargemouthBass);
    fighting->SetBehavior(tovFishBehavior::kFight);
    EXPECT_GT(fighting->GetAnimationSpeed(), cruising->GetAnimationSpeed());
    for (int frame = 0; frame < 3; ++frame)
    {
        cruising->Update(frame * 0.1, 0.1);
        fighting->Update(frame * 0.1, 0.1);
    }
    EXPECT_NEAR(cruising->GetAnimationTime(), 0.3 * cruising->GetAnimationSpeed(), 1e-9);
    EXPECT_NEAR(fighting->GetAnimationTime(), 0.3 * fighting->GetAnimationSpeed(), 1e-9);
    EXPECT_NE(Find(cruising.Get(), "Tail")->GetRotate(), Find(fighting.Get(), "Tail")->GetRotate());

    // The livewell shows slow fins; a state outside 0..6 changes nothing; a bad step stands still.
    fighting->SetBehavior(tovFishBehavior::kLivewell);
    EXPECT_LT(fighting->GetAnimationSpeed(), cruising->GetAnimationSpeed());
    fighting->SetBehavior(7);
    EXPECT_EQ(fighting->GetBehaviorState(), tovFishBehavior::kLivewell);
    fighting->SetAnimationTime(std::nan(""));
    const double before = fighting->GetAnimationTime();
    EXPECT_TRUE(std::isfinite(before));
    fighting->Update(1.0, std::nan(""));
    fighting->Update(1.0, -1.0);
    EXPECT_EQ(fighting->GetAnimationTime(), before);
}

TEST_F(tovFishModelTest, ModelSizeFillsTheTableAndSetsWorldLength)
{
    QrPointer<tovFish> fish = CreateFish(kBluegill);
    fish->SetScale(3.0f);
    EXPECT_EQ(tovFishSizeTable::Get(kBluegill), 0.0f);
    fish->RecordModelSize(kBluegill);
    EXPECT_EQ(fish->GetScale(), 1.0f);
    const float size = tovFishSizeTable::Get(kBluegill);
    EXPECT_FLOAT_EQ(size, 2.0f * fish->GetWorldBound().GetRadius() * 100.0f);
    // Models are two units nose to tail.
    EXPECT_GT(size, 180.0f);
    EXPECT_LT(size, 300.0f);
    EXPECT_EQ(tovFishSizeTable::Get(kCarp), 0.0f);

    // A 12-inch fish spans about a foot (0.01 units) in the world.
    fish->SetLength(12.0f);
    EXPECT_NEAR(2.0f * fish->GetWorldBound().GetRadius(), 0.01f, 0.0015f);
    fish->SetLength(-3.0f);
    fish->SetLength(std::nanf(""));
    EXPECT_EQ(fish->GetLength(), 12.0f);
    fish->SetupSpecies();
    EXPECT_EQ(fish->GetAttrib()->GetInt(), kBluegill);
    EXPECT_EQ(fish->GetAttrib()->GetF3(), size);
    EXPECT_EQ(fish->GetAttrib()->GetF4(), 12.0f);
}

TEST_F(tovFishModelTest, FishCarryTheProgramsVertexColourMode)
{
    class Services : public tovNullAppServices
    {
    public:
        QrVertexColorProperty* GetSharedVertexColor() override { return m_property.Get(); }
        QrPointer<QrVertexColorProperty> m_property{new QrVertexColorProperty};
    };
    Services services;
    SetAppServices(&services);
    QrPointer<tovFish> fish = CreateFish(kSauger);
    SetAppServices(nullptr);
    bool found = false;
    for (QrProperty* property : fish->GetPropertyList())
        found = found || property == services.m_property.Get();
    EXPECT_TRUE(found);
}

TEST_F(tovFishModelTest, PreloadCachesTheNineSpeciesAndLeavesNoObjects)
{
    constexpr int32_t kPreloaded[] = {0, 1, 2, 3, 9, 11, 12, 14, 16};
    const uint32_t live = QrObject::GetLiveCount();
    for (int32_t species : kPreloaded)
        EXPECT_TRUE(PreloadFishSpecies(species)) << species;
    EXPECT_EQ(QrObject::GetLiveCount(), live);
    EXPECT_EQ(tovModelFileCache::GetFileCount(), std::size(kPreloaded));
    for (int32_t species = 0; species < kSpeciesCount; ++species)
    {
        const bool preloaded = std::find(std::begin(kPreloaded), std::end(kPreloaded), species) != std::end(kPreloaded);
        EXPECT_EQ(tovFishSizeTable::Get(species) > 0.0f, preloaded) << species;
    }
    EXPECT_FALSE(PreloadFishSpecies(17));
}

TEST_F(tovFishModelTest, WithoutItsFileAFishIsAnEmptyNodeThatStillSteps)
{
    SetInstallRoot("/nonexistent");
    EXPECT_FALSE(PreloadFishSpecies(kWalleye));
    EXPECT_EQ(tovFishSizeTable::Get(kWalleye), 0.0f);
    QrPointer<tovFish> fish = CreateFish(kWalleye);
    EXPECT_FALSE(fish->HasModel());
    fish->SetLength(20.0f);
    fish->Update(0.0, 0.1);
    QrPointer<tovLure> lure(new tovLure("Crankbait.QRF", 1));
    EXPECT_FALSE(lure->GetModel());
    lure->SetHidden(true);
    QrPointer<tovCastingTarget> target(new tovCastingTarget);
    EXPECT_FALSE(target->HasModel());
}

TEST_F(tovFishModelTest, EveryLureFileBuildsAMovingModel)
{
    for (const char* file :
         {"Crankbait.QRF", "Spinner.QRF", "Worm.QRF", "Spoon.QRF", "TopwaterWalker.QRF", "RatJig.QRF", "Buzzbait.QRF",
          "Crayfish.QRF", "Frog.QRF", "lizard.QRF", "TopwaterPopper.QRF"})
    {
        SCOPED_TRACE(file);
        QrPointer<tovLure> lure(new tovLure(file, 0));
        ASSERT_TRUE(lure->GetModel());
        EXPECT_GE(lure->GetModel()->GetTimingCount(), 1u);
        EXPECT_EQ(lure->GetModel()->GetScale(), tovLure::kModelScale);
        lure->SetPosition(QrPoint3(1.0f, -0.01f, 2.0f));
        EXPECT_EQ(lure->GetModel()->GetTranslate(), QrPoint3(1.0f, -0.01f, 2.0f));
        lure->SetHidden(true);
        EXPECT_EQ(lure->GetModel()->GetAppCulled(), 1);
        lure->Initialise();
        EXPECT_EQ(lure->GetModel()->GetAppCulled(), 0);
        EXPECT_EQ(lure->GetModel()->GetTranslate(), QrPoint3());
    }
}

TEST_F(tovFishModelTest, TheCastingTargetFloatsWhereItIsAimed)
{
    QrPointer<tovCastingTarget> target(new tovCastingTarget);
    ASSERT_TRUE(target->HasModel());
    EXPECT_GE(target->GetTimingCount(), 2u);
    EXPECT_FALSE(target->IsShown());
    EXPECT_EQ(target->GetAppCulled(), 1);
    target->SetTarget(QrPoint3(0.3f, -2.0f, 0.4f));
    EXPECT_EQ(target->GetTranslate(), QrPoint3(0.3f, tovCastingTarget::kHeight, 0.4f));
    target->Show(true);
    EXPECT_EQ(target->GetAppCulled(), 0);
}

} // namespace
