#include "tovBoatState.h"

#include "BoatTestWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

// A record that notes every move the ground check is asked about.
class RecordingState : public tovBoatState
{
public:
    bool CheckGround(QrPoint3& newPos, const QrPoint3& ahead, bool keepSpeed) override
    {
        const QrPoint3 from = GetPosition();
        m_moves.push_back(std::hypot(newPos.x - from.x, newPos.z - from.z));
        return tovBoatState::CheckGround(newPos, ahead, keepSpeed);
    }
    std::vector<float> m_moves;
};

// Open water everywhere, ten feet deep.
class tovBoatMotionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_world.m_ground = [](const QrPoint3&) { return -0.1f; };
    }
    BoatTestWorld m_world;
};

TEST_F(tovBoatMotionTest, TargetSpeedFollowsThrottleWheelAndTrim)
{
    struct Case
    {
        float throttle, wheel, trim, target;
    };
    const Case cases[] = {
        {1.0f, 0.0f, 0.0f, 1.045f},
        {1.0f, 0.0f, 1.0f, 1.1495f},
        {1.0f, 1.0f, 1.0f, 1.1495f * 0.9f},
        {1.0f, -1.0f, 0.0f, 1.045f * 0.9f},
        {0.5f, 0.0f, 0.0f, 0.32266666f},
        // Between entries 1 and 2.
        {0.125f, 0.0f, 0.0f, 0.0616f + (0.08066667f - 0.0616f) * 0.5f},
        // Reverse reads the table at 1.2.
        {-0.1f, 0.0f, 0.0f, -(0.0616f + (0.08066667f - 0.0616f) * 0.2f)},
        {0.0f, 1.0f, 1.0f, 0.0f},
    };
    for (const Case& c : cases)
    {
        tovBoatState state;
        state.m_throttle = c.throttle;
        state.m_steering = c.wheel;
        state.m_trim = c.trim;
        state.UpdateTargetSpeed();
        EXPECT_NEAR(state.GetTargetSpeed(), c.target, 1e-6f) << c.throttle << " " << c.wheel << " " << c.trim;
    }
    EXPECT_NEAR(-0.06541333f, -(0.0616f + (0.08066667f - 0.0616f) * 0.2f), 1e-7f);
}

TEST_F(tovBoatMotionTest, RpmAndMphReadTheTable)
{
    const float throttles[] = {0.0f, 0.5f, 1.0f, 1.0f / 24.0f, -0.1f, 7.0f};
    const float rpms[] = {0.0f, 3000.0f, 6000.0f, 250.0f, 500.0f + 100.0f, 6000.0f};
    for (size_t i = 0; i < std::size(throttles); ++i)
    {
        tovBoatState state;
        state.m_throttle = throttles[i];
        EXPECT_NEAR(state.GetRpm(), rpms[i], 0.5f) << throttles[i];
    }
    tovBoatState state;
    state.m_speed = 1.045f;
    EXPECT_NEAR(state.GetSpeedMph(), 71.25f, 0.01f);
}

TEST_F(tovBoatMotionTest, TurnPitchAndRollTargetsAgainstSpeed)
{
    struct Case
    {
        float norm, wheel, trim, turn, pitch, roll;
    };
    const Case cases[] = {
        // At rest: no turn, no pitch, no roll.
        {0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
        // An eighth of full speed turns at half the rate.
        {0.125f, 1.0f, 0.0f, 40.0f, 0.75f, 2.5f},
        // From a quarter on, the full 80 degrees a second.
        {0.5f, -1.0f, 1.0f, -80.0f, 2.0f + 3.0f, -10.0f},
        {1.0f, 0.5f, 0.5f, 40.0f, 2.0f + 6.0f, 10.0f},
        // Backing turns the other way.
        {-0.5f, 1.0f, 0.0f, -80.0f, -3.0f, -10.0f},
    };
    for (const Case& c : cases)
    {
        tovBoatState state;
        state.m_steering = c.wheel;
        state.m_trim = c.trim;
        state.m_speed = c.norm * tovBoatStateBase::kMaxSpeed;
        state.m_targetSpeed = state.m_speed;
        state.UpdateTurnTarget(c.norm);
        state.UpdatePitchTarget(c.norm);
        state.UpdateRollTarget(c.norm);
        EXPECT_NEAR(state.GetTargetTurnRate(), c.turn, 1e-4f) << c.norm;
        EXPECT_NEAR(state.GetPitchTarget(), c.pitch, 1e-4f) << c.norm;
        EXPECT_NEAR(state.GetRollTarget(), c.roll, 1e-4f) << c.norm;
    }
    // Accelerating lifts the bow.
    tovBoatState state;
    state.m_targetSpeed = tovBoatStateBase::kMaxSpeed * 0.5f;
    state.UpdatePitchTarget(0.0f);
    EXPECT_NEAR(state.GetPitchTarget(), 12.5f, 1e-4f);
}

TEST_F(tovBoatMotionTest, SpeedEasesAndTheBoatAdvancesAndTurns)
{
    tovBoatState state;
    state.m_throttle = 1.0f;
    state.m_steering = 1.0f;
    // Over a manual clock of 30 steps a second: speed rises by 1.665 per second of the gap.
    double t = 0.0;
    float expected = 0.0f;
    for (int frame = 0; frame < 90; ++frame, t += 1.0 / 30.0)
    {
        state.Update(1.0 / 30.0);
        expected += (1.045f * 0.9f - expected) * float(1.0 / 30.0 * 1.665);
    }
    EXPECT_NEAR(state.GetSpeed(), expected, 1e-5f);
    EXPECT_GT(state.GetTurnRate(), 79.0f);
    // The rotation stays a rotation about the vertical.
    const QrMatrix3 r = state.GetRotation();
    EXPECT_NEAR(r.m[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(r.m[0][0] * r.m[0][0] + r.m[0][2] * r.m[0][2], 1.0f, 1e-4f);
    EXPECT_GT(std::hypot(state.m_position.x, state.m_position.z), 0.5f);
}

TEST_F(tovBoatMotionTest, AParkedRecordIsNotTouched)
{
    tovBoatState state;
    state.m_position = QrPoint3(1.0f, 2.0f, 3.0f);
    state.m_steering = 1.0f;
    state.Update(0.5);
    EXPECT_EQ(state.m_position, QrPoint3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(state.GetTargetTurnRate(), 0.0f);
    EXPECT_EQ(state.m_changeMask, tovBoatState::kStepMask);
}

TEST_F(tovBoatMotionTest, LongFramesSplitIntoSubStepsNoLongerThanTheLookAhead)
{
    struct Case
    {
        float throttle;
        double dt;
        size_t steps;
    };
    const Case cases[] = {
        // Slow enough for the plain split: two of 0.25, twenty of 0.5.
        {0.05f, 0.5, 2},
        {0.05f, 10.0, 20},
        {0.05f, 0.2, 1},
        // Fast: cut to the look-ahead.
        {1.0f, 0.5, 5},
        {1.0f, 5.0, 44},
    };
    for (const Case& c : cases)
    {
        RecordingState state;
        state.m_throttle = c.throttle;
        state.m_speed = 1.045f;
        if (c.throttle < 0.5f)
            state.m_speed = 0.0616f * 0.6f;
        state.Update(c.dt);
        EXPECT_EQ(state.m_moves.size(), c.steps) << c.throttle << " " << c.dt;
        for (float move : state.m_moves)
            EXPECT_LE(move, tovBoatStateBase::kLookAhead * 1.0001f) << c.dt;
    }
    // Not finite or negative: nothing moves.
    RecordingState state;
    state.m_throttle = 1.0f;
    for (double dt : {-1.0, std::nan(""), HUGE_VAL})
        state.Update(dt);
    EXPECT_TRUE(state.m_moves.empty());
}

// A shore at x = 1: deep before it, the bank rising beyond.
TEST_F(tovBoatMotionTest, ShoreStopsAtTheLastFreeEighth)
{
    m_world.m_ground = [](const QrPoint3& p) { return p.x < 1.0f ? -0.5f : p.x - 0.99f; };
    tovBoatState state;
    state.m_rotation = QrMatrix3(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f);
    const QrPoint3 ahead(tovBoatStateBase::kLookAhead, 0.0f, 0.0f);
    struct Move
    {
        float start, end, stop, fraction;
    };
    const Move moves[] = {
        // The look-ahead point 0.12 ahead of the end must stay short of the shore.
        {0.80f, 0.90f, 0.875f, 6.0f / 8.0f},
        {0.80f, 0.88f, 0.87f, 7.0f / 8.0f},
        {0.80f, 0.87f, 0.87f, 1.0f},
        // No eighth is free: the boat stays and stops.
        {0.879f, 0.95f, 0.879f, 0.0f},
    };
    for (const Move& m : moves)
    {
        state.m_position = QrPoint3(m.start, 0.0f, 0.0f);
        state.m_speed = state.m_targetSpeed = 0.8f;
        QrPoint3 p(m.end, 0.0f, 0.0f);
        const bool contact = state.CheckGround(p, ahead, false);
        EXPECT_EQ(contact, m.fraction < 1.0f) << m.end;
        EXPECT_NEAR(p.x, m.stop, 1e-5f) << m.end;
        EXPECT_NEAR(state.GetSpeed(), 0.8f * m.fraction, 1e-5f) << m.end;
        EXPECT_EQ(state.GetTargetSpeed(), state.GetSpeed());
    }
    // Driving away from the shore is never blocked, even from the bank.
    state.m_position = QrPoint3(1.2f, 0.0f, 0.0f);
    QrPoint3 back(1.1f, 0.0f, 0.0f);
    EXPECT_FALSE(state.CheckGround(back, QrPoint3(-0.12f, 0.0f, 0.0f), false));
    EXPECT_EQ(back.x, 1.1f);
}

// A bar of land 15 feet wide: narrower than a quarter second at full speed.
TEST_F(tovBoatMotionTest, NoFrameLengthJumpsANarrowBar)
{
    m_world.m_ground = [](const QrPoint3& p) { return p.x >= 1.0f && p.x < 1.15f ? 0.1f : -0.5f; };
    for (double dt : {0.033, 0.25, 0.3, 1.0, 2.5, 5.0, 10.0})
    {
        for (float start : {0.0f, 0.05f, 0.1f, 0.15f, 0.2f})
        {
            tovBoatState state;
            state.m_rotation = QrMatrix3(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f);
            state.m_position = QrPoint3(start, 0.0f, 0.0f);
            state.m_throttle = 1.0f;
            state.m_speed = 1.045f;
            for (double t = 0.0; t < 12.0; t += dt)
                state.Update(dt);
            EXPECT_LT(state.m_position.x, 1.0f) << dt << " from " << start;
            EXPECT_GT(state.m_position.x, 1.0f - 2.0f * tovBoatStateBase::kLookAhead) << dt << " from " << start;
        }
    }
}

TEST_F(tovBoatMotionTest, LandCellsBlockEvenOverADeepBottom)
{
    m_world.m_onLake = [](const QrPoint3& p) { return p.x < 1.0f; };
    tovBoatState state;
    state.m_position = QrPoint3(0.95f, 0.0f, 0.0f);
    state.m_speed = state.m_targetSpeed = 0.5f;
    QrPoint3 p(1.05f, 0.0f, 0.0f);
    EXPECT_TRUE(state.CheckGround(p, QrPoint3(0.0f, 0.0f, 0.12f), false));
    EXPECT_LT(p.x, 1.0f);
    // Without a world every point is dry.
    SetWorldServices(nullptr);
    EXPECT_EQ(tovBoatStateBase::GroundAhead(QrPoint3(0.0f, 0.0f, 0.0f), QrPoint3(0.1f, 0.0f, 0.0f)), 0.0f);
    SetWorldServices(&m_world);
}

} // namespace

namespace
{

// Each setter marks its own field; a verbatim copy marks everything; an applied copy takes the
// paint scheme and only what the source's mask names.
TEST(tovBoatStateRecord, SettersMarkTheirFieldAndCopiesFollowTheMask)
{
    const struct
    {
        const char* name;
        void (*set)(tovBoatState&);
        uint32_t bit;
    } setters[] = {
        {"throttle", [](tovBoatState& s) { s.SetThrottle(0.5f); }, tovBoatState::kThrottle},
        {"steering", [](tovBoatState& s) { s.SetSteering(-0.5f); }, tovBoatState::kSteering},
        {"range", [](tovBoatState& s) { s.SetRangeControl(0.25f); }, tovBoatState::kTrim},
        {"position",
         [](tovBoatState& s) {
             s.SetPosition({1.0f, 2.0f, 3.0f});
         },
         tovBoatState::kPosition},
        {"rotation", [](tovBoatState& s) { s.SetRotation(QrMatrix3{}); }, tovBoatState::kRotation},
        {"trolling", [](tovBoatState& s) { s.SetTackleIds(3, 7); }, tovBoatState::kTrolling},
    };
    for (const auto& row : setters)
    {
        tovBoatState s;
        row.set(s);
        EXPECT_EQ(s.m_changeMask, row.bit) << row.name;
    }

    tovBoatState from;
    from.m_paintScheme = 0;
    from.m_throttle = 0.75f;
    from.m_position = {4.0f, 5.0f, 6.0f};
    from.m_pitch = 2.0f;
    from.m_pitchTarget = 3.0f;
    from.m_roll = 9.0f;
    from.m_changeMask = tovBoatState::kPosition | tovBoatState::kPitch;
    tovBoatState verbatim;
    verbatim.Assign(from, false);
    EXPECT_EQ(verbatim.m_changeMask, tovBoatState::kAllMask);
    EXPECT_EQ(verbatim.m_throttle, 0.75f);
    EXPECT_EQ(verbatim.m_roll, 9.0f);

    tovBoatState applied;
    applied.m_changeMask = tovBoatState::kSteering;
    applied.Assign(from, true);
    EXPECT_EQ(applied.m_paintScheme, 0);
    EXPECT_EQ(applied.m_position.z, 6.0f);
    EXPECT_EQ(applied.m_pitch, 2.0f);
    EXPECT_EQ(applied.m_pitchTarget, 3.0f);
    EXPECT_EQ(applied.m_throttle, 0.0f) << "not in the mask";
    EXPECT_EQ(applied.m_roll, 0.0f) << "not in the mask";
    EXPECT_EQ(applied.m_changeMask, tovBoatState::kSteering | tovBoatState::kPosition | tovBoatState::kPitch);
}

} // namespace
