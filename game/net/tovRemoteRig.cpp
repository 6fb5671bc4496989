#include "tovRemoteRig.h"

#include "tovAngler.h"
#include "tovBoatState.h"
#include "tovNetFacade.h"
#include "tovPlayerState.h"
#include "tovUserProfile.h"
#include "tovWorldServices.h"

#include <cmath>
#include <initializer_list>

namespace
{

class tovRemoteBoat : public tovBoat
{
public:
    explicit tovRemoteBoat(float detail) : tovBoat(detail) {}

    void OnIdle(double now, double dt) override { tovRemoteRig::ApplyBoatState(*this, now, dt); }

private:
    ~tovRemoteBoat() override = default;
};

bool Finite(std::initializer_list<float> values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

QrPointer<tovBoat> NewRemoteBoat()
{
    return QrPointer<tovBoat>(new tovRemoteBoat(TheUserProfile().GetDetail()));
}

tovRemoteRig::tovRemoteRig(int32_t paintScheme, int32_t word0, int32_t word1, int32_t word2, bool lowDetail)
    : tovAnglerRig(paintScheme, word0, word1, word2, lowDetail, NewRemoteBoat().Get())
{
    QrPointer<tovBoat> boat = GetBoat();
    m_angler = new tovAngler(GetLook(), GetGender(), -1);
    m_angler->SetBoat(boat.Get());
    m_angler->SetTackle(GetTackle().Get());
    boat->SetAnglerNode(m_angler.Get());
}

tovRemoteRig::~tovRemoteRig()
{
    // The figure keeps a plain pointer to the boat: both let go of each other here.
    if (QrPointer<tovBoat> boat = GetBoat())
        boat->SetAnglerNode(nullptr);
    m_angler->SetBoat(nullptr);
}

QrPointer<tovRemoteRig> tovRemoteRig::FromState(const tovPlayerState& state, bool lowDetail)
{
    QrPointer<tovRemoteRig> rig(
        new tovRemoteRig(state.m_paintScheme, state.block[0], state.block[1], state.block[2], lowDetail));
    rig->SetAnglerValue(state.anglerValue);
    return rig;
}

void tovRemoteRig::Idle(double now, double elapsed)
{
    tovPlayerState state;
    if (NetGetRigPlayerState(this, state))
        ApplyAnglerStateRecord(*this, state);
    tovAnglerRig::Idle(now, elapsed);
    FollowMode();
    m_angler->Update(now, elapsed);
}

void tovRemoteRig::FollowMode()
{
    const int32_t before = m_shownMode;
    const int32_t mode = GetMode();
    if (mode == before)
        return;
    m_shownMode = mode;
    switch (mode)
    {
    case kModeSeated:
        m_angler->SitDown();
        break;
    case kModeDriving:
        m_angler->StartToDriving();
        break;
    case kModeAiming:
        m_angler->StartFromDriving();
        break;
    case kModeCasting:
        m_angler->Cast(GetCastAngle());
        break;
    case kModeWaitCast:
        if (before == kModeCasting)
            m_angler->Reel();
        break;
    default:
        break;
    }
}

void tovRemoteRig::ApplyBoatState(tovBoat& boat, double now, double elapsed)
{
    tovBoatState record;
    boat.CaptureState(record);
    record.m_changeMask = tovBoatState::kAllMask;
    tovBoatState received;
    double age = 0.0;
    if (NetGetRigBoatState(&boat, received, age))
        MergeReceivedBoatState(record, received);
    const QrPoint3 from = boat.GetPosition();
    record.Update(elapsed);
    boat.ApplyState(record);
    QrPoint3 to = boat.GetPosition();
    if (boat.TestCollision(from, to, false))
        boat.SetPosition(to);
    boat.UpdatePose(now, elapsed);
}

void MergeReceivedBoatState(tovBoatState& record, const tovBoatState& received)
{
    const uint32_t mask = received.m_changeMask;
    if ((mask & tovBoatState::kThrottle) && Finite({received.m_throttle}))
        record.SetThrottle(received.m_throttle);
    if ((mask & tovBoatState::kSteering) && Finite({received.m_steering}))
        record.SetSteering(received.m_steering);
    if ((mask & tovBoatState::kTrim) && Finite({received.m_trim}))
        record.SetRangeControl(received.m_trim);
    const QrPoint3& p = received.m_position;
    // A boat off the lake (or any while no lake stands) keeps its last position.
    tovWorldServices* world = GetWorldServices();
    if ((mask & tovBoatState::kPosition) && Finite({p.x, p.y, p.z}) && world != nullptr && world->IsInLakeExtent(p))
        record.SetPosition(p);
    const QrMatrix3& r = received.m_rotation;
    if ((mask & tovBoatState::kRotation) &&
        Finite({r.m[0][0], r.m[0][1], r.m[0][2], r.m[1][0], r.m[1][1], r.m[1][2], r.m[2][0], r.m[2][1], r.m[2][2]}))
        record.SetRotation(r);
    if ((mask & tovBoatState::kSpeed) && Finite({received.m_speed, received.m_targetSpeed}))
    {
        record.m_speed = received.m_speed;
        record.m_targetSpeed = received.m_targetSpeed;
    }
    if ((mask & tovBoatState::kTurn) && Finite({received.m_turnRate, received.m_targetTurnRate}))
    {
        record.m_turnRate = received.m_turnRate;
        record.m_targetTurnRate = received.m_targetTurnRate;
    }
    if ((mask & tovBoatState::kPitch) && Finite({received.m_pitch, received.m_pitchTarget}))
    {
        record.m_pitch = received.m_pitch;
        record.m_pitchTarget = received.m_pitchTarget;
    }
    if ((mask & tovBoatState::kRoll) && Finite({received.m_roll, received.m_rollTarget}))
    {
        record.m_roll = received.m_roll;
        record.m_rollTarget = received.m_rollTarget;
    }
    if ((mask & tovBoatState::kTrolling) && received.m_trollingLevel >= -1 && received.m_trollingLevel <= 9 &&
        received.m_lastTrollingCommand >= 0 && received.m_lastTrollingCommand <= 5)
    {
        record.m_trollingLevel = received.m_trollingLevel;
        record.m_lastTrollingCommand = received.m_lastTrollingCommand;
    }
    record.m_changeMask |= mask;
}
