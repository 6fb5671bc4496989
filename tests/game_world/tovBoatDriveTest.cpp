// A scripted drive across the first sample lake from its first start, on a manual clock.

#include "tovBoat.h"

#include "BoatTestWorld.h"

#include "QrTestFixture.h"
#include "TestFiles.h"
#include "qrxAssetCache.h"
#include "tovInstallSettings.h"
#include "tovLake.h"
#include "tovWorldClasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// One control change, at a frame.
struct ScriptLine
{
    int32_t frame;
    enum Action
    {
        kThrottleUp,
        kThrottleDown,
        kLeft,
        kRight,
        kCentre,
        kTrimUp,
        kReverse,
        kNeutral,
    } action;
    float amount;
};

const ScriptLine kScript[] = {
    {5, ScriptLine::kThrottleUp, 0.4f}, {60, ScriptLine::kThrottleUp, 0.6f},    {90, ScriptLine::kTrimUp, 0.5f},
    {200, ScriptLine::kLeft, 0.3f},     {260, ScriptLine::kCentre, 0.0f},       {420, ScriptLine::kRight, 0.5f},
    {470, ScriptLine::kCentre, 0.0f},   {600, ScriptLine::kThrottleDown, 0.5f}, {700, ScriptLine::kLeft, 0.2f},
    {760, ScriptLine::kCentre, 0.0f},   {900, ScriptLine::kNeutral, 0.0f},      {960, ScriptLine::kReverse, 0.0f},
    {1020, ScriptLine::kNeutral, 0.0f},
};
constexpr int32_t kFrames = 1100;
constexpr double kFrameSeconds = 1.0 / 30.0;

struct DriveResult
{
    QrPoint3 start;
    QrPoint3 end;
    QrMatrix3 rotation;
    float speed = 0.0f;
    // Frames that ended aground.
    int32_t aground = 0;
};

class tovBoatDriveTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterGameWorldClasses();
        SetInstallRoot(testfiles::DataDir());
    }

    void TearDown() override
    {
        qrxAssetCache::Get().Clear();
        tovBoat::ReleaseStatics();
        SetInstallRoot("");
        QrEngineTest::TearDown();
    }

    static DriveResult Drive()
    {
        BoatTestWorld world;
        QrPointer<tovLake> lake(new tovLake(true));
        EXPECT_TRUE(lake->Load(testfiles::DataDir() + "/Lakes/Clearwater.txt")) << lake->LastError();
        world.m_lake = lake.Get();
        double x, y, heading;
        lake->GetStartLocation(0, x, y, heading);
        DriveResult result;
        lake->MapToWorld(x, y, result.start);
        QrPointer<tovBoat> boat(new tovBoat(0.1f));
        world.m_boats.push_back(boat.Get());
        world.m_player = boat.Get();
        const float a = float(heading) * 0.017453292f;
        boat->SetRotation(QrMatrix3(std::cos(a), 0.0f, -std::sin(a), 0.0f, 1.0f, 0.0f, std::sin(a), 0.0f, std::cos(a)));
        boat->SetPosition(result.start);
        boat->UpdateAllInstances();
        size_t next = 0;
        for (int32_t frame = 0; frame < kFrames; ++frame)
        {
            for (; next < std::size(kScript) && kScript[next].frame == frame; ++next)
                Apply(boat.Get(), kScript[next]);
            boat->Update(frame * kFrameSeconds, kFrameSeconds);
            if (world.GroundHeight(boat->GetPosition()) > tovBoatStateBase::kDraftLimit)
                ++result.aground;
        }
        result.end = boat->GetPosition();
        result.rotation = boat->GetRotate();
        result.speed = boat->GetSpeed();
        return result;
    }

    static void Apply(tovBoat* boat, const ScriptLine& line)
    {
        switch (line.action)
        {
        case ScriptLine::kThrottleUp:
            boat->IncreaseThrottle(line.amount);
            break;
        case ScriptLine::kThrottleDown:
            boat->DecreaseThrottle(line.amount);
            break;
        case ScriptLine::kLeft:
            boat->DecreaseSteering(line.amount);
            break;
        case ScriptLine::kRight:
            boat->IncreaseSteering(line.amount);
            break;
        case ScriptLine::kCentre:
            boat->CentreSteering();
            break;
        case ScriptLine::kTrimUp:
            boat->IncreaseAuxControl(line.amount);
            break;
        case ScriptLine::kReverse:
            boat->SetReverse(true);
            break;
        case ScriptLine::kNeutral:
            boat->ResetThrottle();
            break;
        }
    }
};

TEST_F(tovBoatDriveTest, AScriptedDriveEndsOnOpenWaterTheSameEveryRun)
{
    const DriveResult first = Drive();
    const DriveResult second = Drive();
    EXPECT_EQ(std::memcmp(&first.end, &second.end, sizeof first.end), 0);
    EXPECT_EQ(std::memcmp(&first.rotation, &second.rotation, sizeof first.rotation), 0);
    EXPECT_EQ(first.speed, second.speed);
    // Well away from the start, on water the boat can float in, never aground on the way.
    const float travelled = std::hypot(first.end.x - first.start.x, first.end.z - first.start.z);
    EXPECT_GT(travelled, 3.0f);
    EXPECT_EQ(first.aground, 0);
    // Backing off at the end leaves the boat nearly still.
    EXPECT_LT(std::fabs(first.speed), 0.05f);
}

} // namespace
