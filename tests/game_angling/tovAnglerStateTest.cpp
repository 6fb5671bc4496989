#include "tovAnglerState.h"
#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovPlayerState.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace
{

QrPointer<tovAnglerRig> NewRig()
{
    return QrPointer<tovAnglerRig>(new tovAnglerRig(2, 4, 1, 3, false, nullptr));
}

TEST(tovAnglerState, WireImageRoundTrips)
{
    tovAnglerState state;
    state.block = {1, 2, 3, 4, 9};
    state.castTarget = {1.5f, -2.0f, 3.25f};
    state.readyInWaitCast = 1;
    state.fastReelInWaitCast = 1;
    state.anglerValue = -7;
    std::array<uint8_t, tovAnglerState::kByteSize> bytes{};
    state.Write(bytes.data());
    EXPECT_EQ(bytes[12], 4) << "phase word";
    EXPECT_EQ(bytes[16], 9);
    float y = 0.0f;
    std::memcpy(&y, &bytes[24], 4);
    EXPECT_EQ(y, -2.0f);
    EXPECT_EQ(bytes[32], 1);
    EXPECT_EQ(bytes[33], 1);
    EXPECT_EQ(bytes[36], 0xF9);
    EXPECT_EQ(bytes[39], 0xFF);
    tovAnglerState back;
    back.Read(bytes.data());
    EXPECT_EQ(back.block, state.block);
    EXPECT_EQ(back.castTarget, state.castTarget);
    EXPECT_EQ(back.anglerValue, -7);
    EXPECT_EQ(back.fastReelInWaitCast, 1);

    back.Reset();
    EXPECT_EQ(back.block, (std::array<int32_t, 5>{}));
    EXPECT_EQ(back.readyInWaitCast + back.fastReelInWaitCast, 0);
    EXPECT_EQ(back.anglerValue, -7) << "reset keeps the angler value";
    EXPECT_EQ(back.castTarget[2], 3.25f);
}

TEST(tovAnglerState, PlayerStateLayout)
{
    // The angler part follows the 108-byte boat part in the wire image.
    tovPlayerState state;
    EXPECT_EQ(state.anglerValue, 0);
    EXPECT_EQ(state.block, (std::array<int32_t, 5>{}));
    state.anglerValue = 4;
    state.block[3] = 2;
    state.m_throttle = 0.5f;
    tovPlayerState copy;
    copy.CopyPlayerState(state);
    EXPECT_EQ(copy.anglerValue, 4);
    EXPECT_EQ(copy.block[3], 2);
    EXPECT_EQ(copy.m_throttle, 0.5f);
}

TEST(tovAnglerState, FillThenApplyMovesAnotherRig)
{
    QrPointer<tovAnglerRig> local = NewRig();
    local->SetAnglerValue(1);
    local->SetLureModelIndex(6);
    local->SetMode(tovAnglerRig::kModeAiming);
    local->CastAt(QrPoint3(1.0f, 0.0f, 2.0f));
    local->ReadyOn();
    tovPlayerState record;
    FillPlayerState(*local, record);
    EXPECT_EQ(record.anglerValue, 1);
    EXPECT_EQ(record.block, (std::array<int32_t, 5>{4, 1, 3, tovAnglerRig::kModeCasting, 6}));
    EXPECT_EQ(record.castTarget, (std::array<float, 3>{1.0f, 0.0f, 2.0f}));
    EXPECT_EQ(record.readyInWaitCast, 1);

    QrPointer<tovAnglerRig> remote = NewRig();
    remote->SetLureModel("jig.qrf", 5);
    remote->SetMode(tovAnglerRig::kModeAiming);
    record.block[3] = 3;
    ApplyAnglerStateRecord(*remote, record);
    EXPECT_EQ(remote->GetAnglerValue(), 1);
    EXPECT_EQ(remote->GetMode(), tovAnglerRig::kModeCasting);
    EXPECT_EQ(remote->GetCastTarget().z, 2.0f);
    EXPECT_EQ(remote->GetTackle()->GetState(), tovTackle::kStateCastFlight);
    remote->Idle(0.5, 0.5);
    EXPECT_EQ(remote->GetMode(), tovAnglerRig::kModeCasting);
    remote->Idle(1.0, 0.5);
    EXPECT_EQ(remote->GetMode(), tovAnglerRig::kModeWaitCast) << "the lure lands after its flight";
    EXPECT_EQ(remote->GetTackle()->GetState(), tovTackle::kStateReel);
    EXPECT_TRUE(remote->GetTackleObject()->IsInWater());
    EXPECT_EQ(remote->GetTackleObject()->GetPosition().x, 1.0f) << "the lure lands at the target";
}

TEST(tovAnglerState, FillTakesTheBoatPart)
{
    QrPointer<tovBoat> boat(new tovBoat(0.0f));
    QrPointer<tovAnglerRig> rig(new tovAnglerRig(0, 0, 1, -1, true, boat.Get()));
    boat->SetPosition(QrPoint3(2.5f, 0.0f, -1.5f));
    boat->SetThrottle(0.25f);
    tovPlayerState record;
    FillPlayerState(*rig, record);
    EXPECT_EQ(record.m_position.x, 2.5f);
    EXPECT_EQ(record.m_position.z, -1.5f);
    EXPECT_EQ(record.m_throttle, boat->GetThrottle());
    EXPECT_EQ(record.block[1], 1);
}

TEST(tovAnglerState, PhaseTable)
{
    enum Flags
    {
        None,
        Ready,
        Fast,
    };
    struct Row
    {
        int32_t mode;
        int32_t phase;
        Flags flags;
        int32_t modeAfter;
        bool readyAfter;
        bool fastReelAfter;
    };
    const Row rows[] = {
        {0, 0, None, 0, false, false},   {0, 11, None, 0, false, false}, {0, 1, None, 1, false, false},
        {0, 10, None, 1, false, false},  {0, 4, None, 1, false, false},  {0, 5, None, 0, false, false},
        {1, 0, None, 0, false, false},   {1, 1, None, 1, false, false},  {1, 2, None, 2, false, false},
        {1, 4, None, 2, false, false},   {1, 9, None, 1, false, false},  {2, 0, None, 1, false, false},
        {2, 10, None, 1, false, false},  {2, 2, None, 2, false, false},  {2, 3, None, 3, false, false},
        {4, 4, Ready, 4, true, false},   {4, 4, Fast, 4, true, true},    {4, 4, None, 4, false, false},
        {4, 0, None, 4, false, false},   {4, 2, None, 4, false, false},  {4, 12, Ready, 4, false, false},
        {4, -1, Ready, 4, false, false},
    };
    for (const Row& row : rows)
    {
        QrPointer<tovAnglerRig> rig = NewRig();
        rig->SetMode(row.mode);
        tovAnglerState record;
        record.block[3] = row.phase;
        record.readyInWaitCast = row.flags == Ready;
        record.fastReelInWaitCast = row.flags == Fast;
        ApplyAnglerStateRecord(*rig, record);
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " phase " << row.phase);
        EXPECT_EQ(rig->GetMode(), row.modeAfter);
        EXPECT_EQ(rig->IsReadyInWaitCast(), row.readyAfter);
        EXPECT_EQ(rig->GetTackle()->IsFastReel(), row.fastReelAfter);
    }
}

TEST(tovAnglerState, AimAndCastAngleFollowsTheSide)
{
    struct Row
    {
        QrPoint3 target;
        float angle;
    };
    // Boat at the origin heading 0 (toward +z).
    const Row rows[] = {{{0, 0, 5}, 0.0f}, {{5, 0, 0}, -90.0f}, {{-5, 0, 0}, 90.0f}, {{0, 0, -5}, 180.0f}};
    for (const Row& row : rows)
    {
        QrPointer<tovAnglerRig> rig = NewRig();
        rig->SetMode(tovAnglerRig::kModeAiming);
        tovAnglerState record;
        record.block[3] = 3;
        record.SetCastTarget(row.target);
        ApplyAnglerStateRecord(*rig, record);
        EXPECT_NEAR(rig->GetCastAngle(), row.angle, 1e-3f) << row.target.x << "," << row.target.z;
    }
}

} // namespace
