// The boat's trolling motor through its pose: the flyer's moves stop short of shallow water
// and its turns are refused there; lowering the motor switches the boat's wakes.
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovWake.h"
#include "tovWorldClasses.h"
#include "tovWorldServices.h"

#include "QrTestFixture.h"
#include "TestFiles.h"

#include "qrxAssetCache.h"

#include <gtest/gtest.h>

namespace
{

// Deep water, with a bank beyond z = 0.3.
class BankWorld : public tovWorldServices
{
public:
    void SetUnderwater(bool /*below*/) override {}
    void SetLightAPosition(const QrPoint3& /*position*/) override {}
    float GroundHeight(const QrPoint3& p) override { return p.z > 0.3f ? 0.05f : -0.5f; }
    bool IsOnLake(const QrPoint3& /*p*/) override { return true; }
};

class tovBoatTrollingTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterGameWorldClasses();
        SetInstallRoot(testfiles::DataDir());
        SetWorldServices(&m_world);
    }
    void TearDown() override
    {
        SetWorldServices(nullptr);
        SetInstallRoot("");
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        QrEngineTest::TearDown();
    }
    QrPointer<tovBoat> Boat(float detail, float z)
    {
        QrPointer<tovBoat> boat(new tovBoat(detail));
        boat->SetPosition(QrPoint3(0.0f, 0.0f, z));
        boat->UpdateAllInstances();
        return boat;
    }
    static void Run(tovBoat* boat, double seconds)
    {
        for (int i = 0; i < int(seconds * 10.0); ++i)
            boat->UpdatePose(i * 0.1, 0.1);
    }

    BankWorld m_world;
};

TEST_F(tovBoatTrollingTest, TheMotorCreepsUpToTheBankAndNoFurther)
{
    QrPointer<tovBoat> boat = Boat(1.0f, 0.0f);
    for (int i = 0; i < 10; ++i)
        boat->OnMotorEvent(tovTrollingMotor::kForward);
    ASSERT_EQ(boat->GetTrollingLevel(), 9);
    Run(boat.Get(), 1.0);
    // 0.05 units a second at factor 1.9.
    EXPECT_NEAR(boat->GetPosition().z, 0.095f, 1e-4f);
    Run(boat.Get(), 10.0);
    const float z = boat->GetPosition().z;
    EXPECT_GT(z, 0.15f);
    EXPECT_LE(z + tovBoatFlyer::kReach, 0.3f);
    EXPECT_NEAR(boat->GetPosition().x, 0.0f, 1e-6f);

    // No move at all changes nothing.
    boat->GetFlyer().Translate(QrPoint3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(boat->GetPosition().z, z);
}

TEST_F(tovBoatTrollingTest, ATurnIsRefusedWhereAnEndOfTheBoatWouldBeShallow)
{
    const struct
    {
        float z;
        bool turns;
    } cases[] = {{0.0f, true}, {0.25f, false}};
    for (const auto& c : cases)
    {
        QrPointer<tovBoat> boat = Boat(1.0f, c.z);
        boat->OnMotorEvent(tovTrollingMotor::kRight);
        Run(boat.Get(), 1.0);
        EXPECT_EQ(boat->GetRotation().m[0][0] < 0.999f, c.turns) << c.z;
    }
}

TEST_F(tovBoatTrollingTest, WakesComeAboveDetailPointThreeAndStopWhileTheMotorIsDown)
{
    EXPECT_EQ(Boat(0.3f, 0.0f)->GetWake(0), nullptr);
    QrPointer<tovBoat> boat = Boat(0.31f, 0.0f);
    ASSERT_TRUE(boat->GetWake(0) && boat->GetWake(1));
    EXPECT_EQ(boat->GetWake(2), nullptr);
    boat->SetTrollingMotorDeploy(0.5f);
    EXPECT_FALSE(boat->GetWake(0)->IsEnabled());
    EXPECT_FALSE(boat->GetWake(1)->IsEnabled());
    boat->SetTrollingMotorDeploy(0.0f);
    EXPECT_TRUE(boat->GetWake(1)->IsEnabled());
}

} // namespace
