#include "tovLocalRig.h"

#include "tovAngler.h"
#include "tovAnglerLooks.h"
#include "tovBoat.h"
#include "tovMotorSound.h"
#include "tovNetFacade.h"
#include "tovUserProfile.h"

#include <cmath>

namespace
{

// The profile's looks: 0 the paint scheme (also the angler's look), 1 and 2 the colour choices.
// The rig writes them into saved games, so it takes only looks a saved game may hold.
int32_t ProfileLook(int32_t i)
{
    return tovAnglerLooks::ProfileLookOrDefault(i, TheUserProfile().GetLook(i));
}

} // namespace

tovLocalRig::tovLocalRig(bool lowDetail)
    : tovAnglerRig(ProfileLook(0), ProfileLook(0), TheUserProfile().GetGender() == 1 ? 1 : 0, -1, lowDetail,
                   new tovBoat(TheUserProfile().GetDetail()))
{
    // The look screen shows the first colour on the shirt and the second on the cap.
    SetAppearance(-1, ProfileLook(2), ProfileLook(1));
    QrPointer<tovBoat> boat = GetBoat();
    boat->ResetProbe();
    m_angler = new tovAngler(GetLook(), GetGender(), -1);
    m_angler->SetAppearance(GetLook(), GetColour1(), GetColour2());
    m_angler->SetBoat(boat.Get());
    m_angler->SetTackle(GetTackle().Get());
    boat->SetAnglerNode(m_angler.Get());
}

tovLocalRig::~tovLocalRig()
{
    // The figure keeps a plain pointer to the boat: both let go of each other here.
    if (QrPointer<tovBoat> boat = GetBoat())
        boat->SetAnglerNode(nullptr);
    m_angler->SetBoat(nullptr);
}

void tovLocalRig::StartMotor()
{
    if (m_motorRunning)
        return;
    m_motorRunning = true;
    GetBoat()->UpdateMotorSound(0);
    SetMode(kModeDriving);
    m_angler->StartToDriving();
    NetSendAnglerPhase1();
}

void tovLocalRig::StopMotor()
{
    if (!m_motorRunning)
        return;
    StopOutboard();
    if (GetMode() == kModeDriving)
    {
        SetMode(kModeSeated);
        m_angler->SitDown();
        NetSendAnglerPhase0();
    }
}

void tovLocalRig::StopOutboard()
{
    m_motorRunning = false;
    QrPointer<tovBoat> boat = GetBoat();
    const float before = boat->GetThrottle();
    boat->ResetThrottle();
    // Set first: a transition or start sound that ends now must silence the motor.
    tovMotorSound::SetStopping(true);
    boat->UpdateMotorSound(4);
    if (boat->GetThrottle() != before)
        NetSendThrottle(boat->GetThrottle());
}

void tovLocalRig::Throttle(int32_t command)
{
    // The lever does nothing until the motor runs.
    if (!m_motorRunning)
        return;
    QrPointer<tovBoat> boat = GetBoat();
    const float before = boat->GetThrottle();
    switch (command)
    {
    case kThrottleUp:
        boat->IncreaseThrottle(kThrottleStep);
        break;
    case kThrottleReverse:
        boat->SetReverse(true);
        break;
    case kThrottleDown:
        boat->DecreaseThrottle(kThrottleStep);
        break;
    case kThrottleIdle:
        boat->ResetThrottle();
        break;
    default:
        return;
    }
    if (boat->GetThrottle() == before)
        return;
    boat->UpdateMotorSound(command);
    NetSendThrottle(boat->GetThrottle());
}

void tovLocalRig::Steer(float amount)
{
    if (!std::isfinite(amount) || amount == 0.0f)
        return;
    QrPointer<tovBoat> boat = GetBoat();
    const float before = boat->GetSteering();
    if (amount > 0.0f)
        boat->IncreaseSteering(amount);
    else
        boat->DecreaseSteering(-amount);
    if (boat->GetSteering() != before)
        NetSendSteering(boat->GetSteering());
}

void tovLocalRig::CentreWheel()
{
    QrPointer<tovBoat> boat = GetBoat();
    const float before = boat->GetSteering();
    boat->CentreSteering();
    if (boat->GetSteering() != before)
        NetSendSteering(boat->GetSteering());
}

void tovLocalRig::Trim(float amount)
{
    if (!std::isfinite(amount) || amount == 0.0f)
        return;
    QrPointer<tovBoat> boat = GetBoat();
    const float before = boat->GetRangeControl();
    if (amount > 0.0f)
        boat->IncreaseAuxControl(amount);
    else
        boat->DecreaseAuxControl(-amount);
    if (boat->GetRangeControl() != before)
        NetSendRangeControl(boat->GetRangeControl());
}

void tovLocalRig::ResetTrim()
{
    QrPointer<tovBoat> boat = GetBoat();
    const float before = boat->GetRangeControl();
    boat->ResetAuxControl();
    if (boat->GetRangeControl() != before)
        NetSendRangeControl(boat->GetRangeControl());
}

void tovLocalRig::TrollingCommand(int32_t command)
{
    if (command < tovTrollingMotor::kForward || command > tovTrollingMotor::kOff)
        return;
    // A stowed motor would push the boat from the deck: it runs only once in the water.
    if (command != tovTrollingMotor::kOff && m_angler->GetTrollingDeploy() < 1.0f)
        return;
    QrPointer<tovBoat> boat = GetBoat();
    boat->OnMotorEvent(command);
    tovTrollingMotor& motor = boat->GetTrollingMotor();
    NetSendTackleChoice(motor.GetLastCommand(), motor.GetLevel());
}

void tovLocalRig::LowerTrollingMotor()
{
    // The angler leaves the wheel and stands at the bow to lower it.
    StandToFish();
    m_angler->LowerTrollingMotor();
}

void tovLocalRig::RaiseTrollingMotor()
{
    TrollingCommand(tovTrollingMotor::kOff);
    m_angler->RaiseTrollingMotor();
}

void tovLocalRig::StandToFish()
{
    // From the wheel, running or not.
    if (GetMode() != kModeDriving && GetMode() != kModeSeated)
        return;
    if (m_motorRunning)
        StopOutboard();
    SetMode(kModeAiming);
    m_angler->StartFromDriving();
    NetSendAnglerPhase1B();
}

void tovLocalRig::SitToDrive()
{
    if (GetMode() != kModeAiming && GetMode() != kModeSeated)
        return;
    m_angler->ResetTrollingMotor();
    GetTackle()->ResetCast();
    SetMode(kModeSeated);
    StartMotor();
}

void tovLocalRig::CastAt(const QrPoint3& target)
{
    if (GetMode() != kModeAiming || !std::isfinite(target.x) || !std::isfinite(target.z))
        return;
    // The figure turns to the target, measured from the bow.
    const QrPoint3 boat = GetBoatPosition();
    const float toTarget = std::atan2(target.x - boat.x, target.z - boat.z) * 180.0f / 3.14159265f;
    tovAnglerRig::CastAt(target);
    m_angler->Cast(toTarget - GetBoatHeading());
    m_angler->SetReadyInWaitCast(false);
    m_angler->SetFastReelingInWaitCast(false);
    NetSendCastTarget(target);
}

void tovLocalRig::SendFlags(bool ready, bool fast)
{
    const bool wasReady = IsReadyInWaitCast();
    const bool wasFast = IsFastReelingInWaitCast();
    if (ready)
        fast ? tovAnglerRig::ReadyAndReel() : tovAnglerRig::ReadyOn();
    else
        tovAnglerRig::ReadyOff();
    m_angler->SetReadyInWaitCast(IsReadyInWaitCast());
    m_angler->SetFastReelingInWaitCast(IsFastReelingInWaitCast());
    if (IsReadyInWaitCast() == wasReady && IsFastReelingInWaitCast() == wasFast)
        return;
    if (!IsReadyInWaitCast())
        NetSendAnglerFlagsOff();
    else if (IsFastReelingInWaitCast())
        NetSendAnglerFlagsAB();
    else
        NetSendAnglerFlagsA();
}

void tovLocalRig::ReadyOn()
{
    SendFlags(true, false);
}

void tovLocalRig::ReadyAndReel()
{
    SendFlags(true, true);
}

void tovLocalRig::ReadyOff()
{
    SendFlags(false, false);
}

void tovLocalRig::Idle(double now, double elapsed)
{
    const int32_t before = GetMode();
    tovAnglerRig::Idle(now, elapsed);
    if (before == kModeCasting && GetMode() == kModeWaitCast)
        m_angler->Reel();
    // The saved game and the look screen set the rig's look; the figure follows.
    m_angler->SetAppearance(GetLook(), GetColour1(), GetColour2());
    m_angler->Update(now, elapsed);
}
