#include "tovLocalRig.h"

#include "tovAngler.h"
#include "tovBoat.h"
#include "tovNetFacade.h"

#include <cmath>

tovLocalRig::tovLocalRig(bool lowDetail) : tovAnglerRig(0, 0, 0, -1, lowDetail, new tovBoat(lowDetail ? 0.0f : 1.0f))
{
    QrPointer<tovBoat> boat = GetBoat();
    boat->ResetProbe();
    m_angler = new tovAngler(GetLook(), GetGender(), -1);
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
    StopMotor();
    m_angler->LowerTrollingMotor();
}

void tovLocalRig::RaiseTrollingMotor()
{
    TrollingCommand(tovTrollingMotor::kOff);
    m_angler->RaiseTrollingMotor();
}

void tovLocalRig::StandToFish()
{
    if (GetMode() != kModeDriving)
        return;
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

void tovLocalRig::Idle(double now, double elapsed)
{
    tovAnglerRig::Idle(now, elapsed);
    // The saved game and the look screen set the rig's look; the figure follows.
    m_angler->SetAppearance(GetLook(), GetColour1(), GetColour2());
    m_angler->Update(now, elapsed);
}
