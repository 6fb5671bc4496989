// The boat's driving step, its contacts with the shore and other boats, and its pose.

#include "tovBoat.h"

#include "Qr3dsAnimationNode.h"
#include "QrBound.h"
#include "qrxAssetCache.h"
#include "qrxWaveGrid.h"
#include "tovAppServices.h"
#include "tovBoatProbe.h"
#include "tovSoundFacade.h"
#include "tovWeather.h"
#include "tovWorldServices.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kDegreesToRadians = 0.017453333f;
// The search for free water around an aground boat: steps of 10 feet out to 6000 feet.
constexpr float kFreeWaterStep = 0.01f * 10.0f;
constexpr float kFreeWaterReach = 0.01f * 6000.0f;
constexpr float kNearRadius = 0.01f * 0.1f;
// The per-frame easing factors of the heave and the height hold at this frame rate; other
// frame lengths ease by the same amount per second.
constexpr double kEaseFrameRate = 30.0;

float EaseFactor(double perFrame, double dt)
{
    if (!(dt > 0.0))
        return 0.0f;
    return float(1.0 - std::pow(1.0 - perFrame, std::min(dt, 10.0) * kEaseFrameRate));
}
} // namespace

void tovBoat::Update(double now, double elapsed)
{
    OnIdle(now, elapsed);
    if (!m_probe)
        return;
    tovWorldServices* world = GetWorldServices();
    tovWeather* weather = world ? world->GetWeather() : nullptr;
    m_probe->Sample(now, elapsed, GetPosition(), m_speed, weather ? weather->GetWater() : 0.0f,
                    world ? world->GetLake() : nullptr);
}

void tovBoat::OnIdle(double now, double dt)
{
    m_now = now;
    const QrPoint3 c = GetPosition();
    if (IsLocalBoat())
        FindFreeWater(c);
    tovBoatStateBase::Update(dt);
    QrPoint3 p = GetPosition();
    if (TestCollision(c, p, false))
        SetPosition(p);
    UpdatePose(now, dt);
}

void tovBoat::FindFreeWater(const QrPoint3& c)
{
    tovWorldServices* world = GetWorldServices();
    if (!world || world->GroundHeight(c) <= kDraftLimit)
        return;
    for (int32_t step = 1; float(step) * kFreeWaterStep <= kFreeWaterReach; ++step)
    {
        const float r = float(step) * kFreeWaterStep;
        const QrPoint3 candidates[4] = {c + QrPoint3(0.0f, 0.0f, r), c - QrPoint3(0.0f, 0.0f, r),
                                        c + QrPoint3(r, 0.0f, 0.0f), c - QrPoint3(r, 0.0f, 0.0f)};
        for (const QrPoint3& q : candidates)
        {
            if (world->IsOnLake(q) && world->GroundHeight(q) <= kDraftLimit)
            {
                SetPosition(q);
                return;
            }
        }
    }
}

bool tovBoat::CheckGround(QrPoint3& newPos, const QrPoint3& ahead, bool keepSpeed)
{
    const bool contact = tovBoatStateBase::CheckGround(newPos, ahead, keepSpeed);
    if (contact)
        NoteContact(kGroundSound);
    // The other boats are met on every sub-step too: tested only from the frame's start to its
    // end, a long frame would carry the boat through one.
    TestCollision(GetPosition(), newPos, keepSpeed);
    return contact;
}

void tovBoat::NoteContact(int32_t soundId)
{
    if (m_now - m_contactTime > kContactSoundGap)
        PlaySound(soundId);
    m_contactTime = m_now;
}

void tovBoat::PlaySound(int32_t soundId)
{
    if (!IsLocalBoat() || !g_soundFacade)
        return;
    if (SoundRecord* sound = tovSoundFacade::FindSound(GetAppServices().GetMainPack(), uint32_t(soundId)))
        g_soundFacade->Play(sound, false, 0);
}

bool tovBoat::IsLocalBoat() const
{
    tovWorldServices* world = GetWorldServices();
    return world && world->GetPlayerBoat() == this;
}

bool tovBoat::TestCollision(const QrPoint3& from, QrPoint3& to, bool keepSpeed)
{
    if (to.x == from.x && to.z == from.z)
        return false;
    tovWorldServices* world = GetWorldServices();
    if (!world)
        return false;
    bool hit = false;
    QrBound self;
    self.Set(from, GetWorldBound().GetRadius());
    // The boat list is the world's; a runaway list never buys unbounded work.
    constexpr int32_t kMaxBoats = 4096;
    for (int32_t i = 0; i < kMaxBoats; ++i)
    {
        tovBoat* other = world->GetBoat(i);
        if (!other)
            break;
        if (other == this)
            continue;
        const QrPoint3 move = to - from;
        if (!QrBound::SweptIntersect(self, move, other->GetWorldBound(), QrPoint3(0.0f, 0.0f, 0.0f)))
            continue;
        QrPoint3 dir = move;
        dir.Unitize();
        if (ResolveBoatContact(from, to, dir * kLookAhead, other, keepSpeed))
            hit = true;
    }
    if (hit)
        NoteContact(kBoatContactSound);
    return hit;
}

bool tovBoat::IsNearBoat(const QrPoint3& p, tovBoat* other)
{
    QrBound probe;
    probe.Set(p, kNearRadius);
    return probe.IsInside(other->GetWorldBound());
}

bool tovBoat::ResolveBoatContact(const QrPoint3& from, QrPoint3& to, const QrPoint3& ahead, tovBoat* other,
                                 bool keepSpeed)
{
    if (!other || !IsNearBoat(to + ahead, other))
        return false;
    const QrPoint3 s = (to - from) * 0.125f;
    QrPoint3 p = to;
    for (int32_t i = 1; i <= 7; ++i)
    {
        p -= s;
        if (!IsNearBoat(p + ahead, other))
        {
            to = p;
            if (!keepSpeed)
                m_speed = m_targetSpeed = m_speed * float(8 - i) / 8.0f;
            return true;
        }
    }
    to = from;
    if (!keepSpeed)
        m_speed = m_targetSpeed = 0.0f;
    return true;
}

float tovBoat::GetHeadingDegrees() const
{
    const QrMatrix3 r = GetWorldRotation();
    float x = r.m[2][0];
    float z = r.m[2][2];
    const float length = std::sqrt(x * x + z * z);
    if (length > 1e-6f)
    {
        x /= length;
        z /= length;
    }
    else
        x = z = 0.0f;
    float h = std::acos(std::clamp(z, -1.0f, 1.0f)) * 57.29564747f;
    if (x < 0.0f)
        h = 360.0f - h;
    // The full turn reads as north.
    return h >= 360.0f ? 0.0f : h;
}

// --- pose

void tovBoat::UpdatePose(double /*now*/, double dt)
{
    if (m_trollingTimeWanted != m_trollingTimeApplied)
    {
        m_trollingTimeApplied = m_trollingTimeWanted;
        for (Qr3dsAnimationNode* node : {m_trollingMotor.Get(), m_trollingFulcrum.Get()})
            if (node)
                node->QrAnimTiming::Update(m_trollingTimeApplied);
    }
    if (m_propeller)
    {
        m_propellerAngle = float(double(m_propellerAngle) - double(GetThrottle()) * dt * 1080.0);
        m_propellerAngle = std::fmod(m_propellerAngle, 360.0f);
        m_propeller->GetRotate() = [this]
        {
            const float a = m_propellerAngle * kDegreesToRadians;
            const float c = std::cos(a);
            const float s = std::sin(a);
            return QrMatrix3(c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f);
        }();
    }
    const float n = m_speed / kMaxSpeed;
    UpdatePitchTarget(n);
    m_pitch += (m_pitchTarget - m_pitch) * float(std::min(dt * 3.33, 1.0));
    UpdateRollTarget(n);
    m_roll += (m_rollTarget - m_roll) * float(std::min(dt * 6.66, 1.0));
    UpdateHeaveTarget(n);

    // Eased by the frame's length, so the boat bobs alike at every frame rate.
    m_heave += (m_heaveTarget - m_heave) * EaseFactor(0.1, dt);
    m_translate.y += ((m_heave + m_baseHeight) - m_translate.y) * EaseFactor(0.5, dt);

    if (m_rocking)
    {
        const float p = m_pitch * kDegreesToRadians;
        const float r = m_roll * -kDegreesToRadians;
        const float cp = std::cos(p), sp = std::sin(p), cr = std::cos(r), sr = std::sin(r);
        m_rocking->GetRotate() = QrMatrix3(cr, sr, 0.0f, -sr * cp, cr * cp, sp, sp * sr, -sp * cr, cp);
    }

    const float trim = GetRangeControl() * 0.2268933f;
    const float ct = std::cos(trim), st = std::sin(trim);
    const QrMatrix3 a(ct, st, 0.0f, -st, ct, 0.0f, 0.0f, 0.0f, 1.0f);
    const float yaw = (-90.0f - 28.0f * GetSteering()) * kDegreesToRadians;
    const float cy = std::cos(yaw), sy = std::sin(yaw);
    const QrMatrix3 b(cy, 0.0f, -sy, 0.0f, 1.0f, 0.0f, sy, 0.0f, cy);
    const QrMatrix3 outboard = a.Multiply(b);
    if (m_outboard)
        m_outboard->GetRotate() = outboard;
    if (m_lodOutboard)
        m_lodOutboard->GetRotate() = outboard;
    UpdateAllInstances();
}

void tovBoat::UpdateHeaveTarget(float n)
{
    const float a = 0.01f * n * 0.8f;
    const float b = GetRangeControl() * 0.01f * n * 0.8f;
    const float c = m_targetSpeed > m_speed ? (m_targetSpeed - m_speed) / kMaxSpeed * 0.01f : 0.0f;
    m_heaveTarget = std::max(GetWaveHeight(n) + c + b + a, 0.01f * 0.43f - m_baseHeight);
}

float tovBoat::GetWaveHeight(float n) const
{
    const qrxWaveGrid* grid = m_waveGrid.Get();
    if (!grid || m_waveVertex < 0 || grid->GetMovingCount() <= 0)
        return 0.0f;
    const int32_t v = m_waveVertex % grid->GetMovingCount();
    const int32_t phase = grid->GetPhases()[v];
    if (phase < 0 || phase >= qrxWaveGrid::kTableSize)
        return 0.0f;
    return grid->GetWaveTable()[phase].y * grid->GetHeightFactors()[v] * (1.0f - n * 0.9f) * 0.48f;
}
