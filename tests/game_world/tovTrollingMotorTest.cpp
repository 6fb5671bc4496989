#include "tovTrollingMotor.h"

#include "QrTestFixture.h"
#include "tovBoatState.h"
#include "tovWake.h"

#include "qrxObjectFlyer.h"

#include "QrNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

using Trolling = tovTrollingMotor;

TEST(tovTrollingMotor, CommandsSetTheLevelAndTheDirection)
{
    const struct
    {
        const char* what;
        std::vector<int32_t> commands;
        int16_t level;
        int16_t lastCommand;
    } cases[] = {
        {"off at first", {}, -1, Trolling::kOff},
        {"forward three times", {0, 0, 0}, 2, Trolling::kForward},
        {"then left keeps the level", {0, 0, 0, 2}, 2, Trolling::kLeft},
        {"a new direction keeps, a repeat speeds", {1, 3, 3}, 1, Trolling::kRight},
        {"ten forwards stop at nine", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 9, Trolling::kForward},
        {"slower steps down", {0, 0, 0, 4}, 1, Trolling::kForward},
        {"slower at level zero stops", {0, 4}, -1, Trolling::kOff},
        {"slower while off stays off", {4, 4}, -1, Trolling::kOff},
        {"off stops at any level", {0, 0, 0, 5}, -1, Trolling::kOff},
        {"a start after off is level zero", {0, 0, 5, 1}, 0, Trolling::kBack},
        {"unknown codes change nothing", {0, 0, 6, -1, 99}, 1, Trolling::kForward},
    };
    for (const auto& c : cases)
    {
        tovBoatState state;
        Trolling motor(state);
        for (const int32_t command : c.commands)
            motor.OnMotorEvent(command);
        EXPECT_EQ(motor.GetLevel(), c.level) << c.what;
        EXPECT_EQ(motor.GetLastCommand(), c.lastCommand) << c.what;
    }
}

TEST(tovTrollingMotor, AReceivedStateIsKeptInRange)
{
    tovBoatState state;
    Trolling motor(state);
    state.m_trollingLevel = 40;
    state.m_lastTrollingCommand = -7;
    motor.ClampState();
    EXPECT_EQ(motor.GetLevel(), 9);
    EXPECT_EQ(motor.GetLastCommand(), Trolling::kForward);
    state.m_trollingLevel = -300;
    state.m_lastTrollingCommand = 300;
    motor.ClampState();
    EXPECT_EQ(motor.GetLevel(), -1);
    EXPECT_EQ(motor.GetLastCommand(), Trolling::kOff);
}

class tovTrollingMotorTest : public QrEngineTest
{
};

TEST_F(tovTrollingMotorTest, TheMotorCreepsAndTurnsTheBoatAndSpinsItsPropeller)
{
    QrPointer<QrNode> boat(new QrNode);
    QrPointer<QrNode> propeller(new QrNode);
    boat->UpdateAllInstances();
    qrxObjectFlyer flyer(boat.Get());
    flyer.m_speedFactor = 0.05f;
    flyer.m_turnFactor = 10.0f;
    tovBoatState state;
    Trolling motor(state);
    motor.Step(flyer, propeller.Get(), 1.0f); // off: nothing moves
    EXPECT_FLOAT_EQ(boat->GetTranslate().z, 0.0f);
    EXPECT_FLOAT_EQ(motor.GetPropellerAngle(), 0.0f);

    motor.OnMotorEvent(Trolling::kForward);
    motor.OnMotorEvent(Trolling::kForward); // level 1: factor 1.1
    motor.Step(flyer, propeller.Get(), 0.5f);
    EXPECT_NEAR(boat->GetTranslate().Length(), 0.05f * 1.1f * 0.5f, 1e-6f);
    // max(level + 1, 4) x 0.1 x dt x 900 degrees, backwards.
    EXPECT_NEAR(motor.GetPropellerAngle(), -180.0f, 1e-3f);
    EXPECT_NEAR(propeller->GetRotate().m[0][0], -1.0f, 1e-5f);

    motor.OnMotorEvent(Trolling::kRight);
    motor.Step(flyer, nullptr, 1.0f); // 10 x 1.1 degrees
    const QrMatrix3& r = boat->GetRotate();
    EXPECT_NEAR(std::acos(std::clamp(r.m[0][0], -1.0f, 1.0f)) * 57.29578f, 11.0f, 1e-3f);
}

TEST_F(tovTrollingMotorTest, LoweringStopsTheMotorAndTheWakesRunOnlyWhenStowed)
{
    QrPointer<tovWake> inner(new tovWake);
    QrPointer<tovWake> outer(new tovWake);
    tovWake* wakes[2] = {inner.Get(), outer.Get()};
    tovBoatState state;
    Trolling motor(state);
    EXPECT_FLOAT_EQ(motor.SetTrollingMotorDeploy(1.0f, wakes, 2), Trolling::kDeployedTime);
    motor.OnMotorEvent(Trolling::kForward);
    EXPECT_FALSE(inner->IsEnabled());
    EXPECT_TRUE(motor.IsRunning());

    EXPECT_FLOAT_EQ(motor.SetTrollingMotorDeploy(0.5f, wakes, 2), 0.5f * Trolling::kDeployedTime);
    EXPECT_FALSE(motor.IsRunning());
    EXPECT_FALSE(inner->IsEnabled());
    EXPECT_FALSE(outer->IsEnabled());

    EXPECT_FLOAT_EQ(motor.SetTrollingMotorDeploy(-2.0f, wakes, 2), 0.0f);
    EXPECT_TRUE(inner->IsEnabled());
    EXPECT_TRUE(outer->IsEnabled());
}

} // namespace
