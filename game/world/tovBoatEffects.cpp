// The boat's outboard sounds, trolling motor and wakes: what tovBoat hands on to its
// motor-sound machine, its trolling motor with the flyer, and its two wakes.
#include "tovBoat.h"
#include "tovInstallSettings.h"
#include "tovWake.h"

#include "qrxAssetCache.h"

#include "QrAVInstance.h"
#include "QrTextureProperty.h"

namespace
{
const char* const kWakePictures[tovBoat::GetWakeCount()] = {"innerWake.tga", "outerWake.tga"};
// Below this detail level the boat lays no wakes.
constexpr float kWakeDetail = 0.3f;
} // namespace

void tovBoat::BuildEffects()
{
    m_flyer.SetBoat(this);
    if (m_detail <= kWakeDetail)
        return;
    for (int32_t i = 0; i < GetWakeCount(); ++i)
    {
        m_wakes[i] = new tovWake;
        const QrPointer<QrTextureProperty> texture =
            qrxAssetCache::Get().Load(DataFilePath(kWakePictures[i]).c_str(), 0);
        m_wakes[i]->SetTexture(texture.Get());
        m_wakes[i]->SetNarrowing(false);
        m_wakes[i]->SetPerformance(m_detail);
    }
}

tovWake* tovBoat::GetWake(int32_t i) const
{
    return i >= 0 && i < GetWakeCount() ? m_wakes[i].Get() : nullptr;
}

tovMotorSound& tovBoat::GetMotorSound()
{
    m_motorSound.SetLocal(IsLocalBoat());
    return m_motorSound;
}

void tovBoat::UpdateMotorSound(int32_t request)
{
    GetMotorSound().UpdateMotorSound(request, GetThrottle());
}

void tovBoat::RestartMotorLoop()
{
    GetMotorSound().RestartMotorLoop(GetThrottle());
}

void tovBoat::StopEngineSounds()
{
    GetMotorSound().StopEngineSounds();
}

void tovBoat::StopMotorSounds()
{
    GetMotorSound().StopMotorSounds();
}

void tovBoat::OnMotorEvent(int32_t command)
{
    GetMotorSound();
    m_trollingControl.OnMotorEvent(command);
}

void tovBoat::StopTrollingMotor()
{
    GetMotorSound();
    m_trollingControl.StopTrollingMotor();
}

void tovBoat::SetTrollingMotorDeploy(float fraction)
{
    GetMotorSound();
    tovWake* wakes[GetWakeCount()] = {m_wakes[0].Get(), m_wakes[1].Get()};
    m_trollingTimeWanted = m_trollingControl.SetTrollingMotorDeploy(fraction, wakes, GetWakeCount());
}

void tovBoat::StepTrolling(double dt)
{
    if (!m_trollingControl.IsRunning())
        return;
    const tovBoatFlyer::Drive drive(m_flyer);
    m_trollingControl.Step(m_flyer, m_trollingPropeller.Get(), float(dt));
}

void tovBoat::UpdateWakes(double dt)
{
    const QrAVInstance* instance = GetCurrentInstance();
    const QrPoint3 position = instance ? instance->m_worldTranslate : GetPosition();
    const QrMatrix3 rotation = GetWorldRotation();
    for (QrPointer<tovWake>& wake : m_wakes)
        if (wake)
            wake->Update(dt, position, rotation, m_speed, m_speed / kMaxSpeed);
}
