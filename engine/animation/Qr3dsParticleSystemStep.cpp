// The simulation step of Qr3dsParticleSystem: frame carry, deaths, motion through the
// collider and force chains, emission. The generator draws are taken in a fixed order (see
// Emit), so a scene replays the same particles.

#include "Qr3dsParticleSystem.h"

#include "QrForce.h"
#include "QrParticles.h"

#include "CRandom.h"

#include <algorithm>
#include <cmath>

namespace
{
// One draw of the generator, 0 .. 1.
float UnitDraw()
{
    return float(plat::CRand()) / float(plat::kCRandMax);
}

// One draw, -1 .. 1.
float SignedDraw()
{
    return 2.0f * float(plat::CRand()) / float(plat::kCRandMax) - 1.0f;
}

QrPoint3 WithLength(const QrPoint3& v, float length)
{
    const float current = v.Length();
    return current > 0.0f ? v * (length / current) : v;
}
} // namespace

Qr3dsParticleSystem::SpawnRecord Qr3dsParticleSystem::MakeRecord(uint32_t index) const
{
    SpawnRecord record;
    record.m_spinRate = m_spinRates[index];
    record.m_age = m_ages[index];
    record.m_generation = m_generations[index];
    record.m_position = GetPositions()[index];
    record.m_velocity = m_velocities[index];
    record.m_angle = m_rotations[index].m_angle;
    record.m_axis = m_rotations[index].m_axis;
    return record;
}

void Qr3dsParticleSystem::RemoveParticle(uint32_t index)
{
    if (index >= m_activeCount)
        return;
    if (QrNode* node = m_particleNodes[index].Get())
        DetachChild(node);
    const uint32_t last = m_activeCount - 1;
    QrPoint3* positions = Positions();
    m_ages[index] = m_ages[last];
    m_generations[index] = m_generations[last];
    positions[index] = positions[last];
    m_particleNodes[index] = std::move(m_particleNodes[last]);
    m_particleNodes[last] = nullptr;
    m_velocities[index] = m_velocities[last];
    m_rotations[index] = m_rotations[last];
    m_spinRates[index] = m_spinRates[last];
    --m_activeCount;
}

void Qr3dsParticleSystem::AddContinuation(const SpawnRecord& record)
{
    if (int32_t(record.m_generation) >= m_maxGeneration)
        return;
    // Callers have just freed a slot; a full system still never writes past its arrays.
    if (m_activeCount >= m_maxParticles)
        return;
    const uint32_t j = m_activeCount;
    m_ages[j] = record.m_age - m_lifeSpan;
    m_generations[j] = record.m_generation + 1;
    Positions()[j] = record.m_position;
    m_velocities[j] = record.m_velocity;
    m_rotations[j] = {record.m_angle, record.m_axis};
    m_spinRates[j] = record.m_spinRate;
    if (m_template)
    {
        QrAVObject* source = m_template.Get();
        if (!m_generationTemplates.empty())
        {
            const size_t g = std::min<size_t>(record.m_generation, m_generationTemplates.size() - 1);
            // An empty entry falls back to the template.
            if (m_generationTemplates[g])
                source = m_generationTemplates[g].Get();
        }
        QrPointer<QrNode> node = MakeParticleNode(source->CreateClone().Get(), record.m_position);
        node->GetRotate().MakeFromKind(6, record.m_angle, record.m_axis.x, record.m_axis.y, record.m_axis.z);
        m_particleNodes[j] = node;
    }
    ++m_activeCount;
    if (QrParticles* geometry = m_geometry.Get())
        geometry->SetActiveCount(uint16_t(std::min<uint32_t>(m_activeCount, geometry->GetVertexCount())));
}

bool Qr3dsParticleSystem::SkipShortLives(SpawnRecord& record, float dt) const
{
    // Lives after the next that also end within this step are taken at once (the next may
    // still end here by rounding), so that a tiny life span costs one pass, not one per life.
    const double later = std::floor((double(record.m_age) + dt) / m_lifeSpan) - 2.0;
    if (!(later > 0.0))
        return true;
    if (later >= double(m_maxGeneration) - double(record.m_generation))
        return false; // the last generation dies within the step
    record.m_generation += uint32_t(later);
    record.m_age = float(double(record.m_age) - later * m_lifeSpan);
    return true;
}

bool Qr3dsParticleSystem::Collide(const QrPoint3& position, const QrPoint3& velocity, float step, float time,
                                  QrPoint3& hitPosition, QrPoint3& hitVelocity, float& timeLeft)
{
    bool hit = false;
    for (QrForce* collider = m_colliders; collider; collider = collider->GetNext())
    {
        QrPoint3 p = position;
        QrPoint3 v = velocity;
        float s = step;
        if (!collider->Apply(p, v, s, time))
            continue;
        // The earliest hit along the path leaves the most time.
        if (!hit || s > timeLeft)
        {
            hitPosition = p;
            hitVelocity = v;
            timeLeft = s;
        }
        hit = true;
    }
    return hit;
}

void Qr3dsParticleSystem::ApplyForces(QrPoint3& position, QrPoint3& velocity, float step, float time)
{
    for (QrForce* force = m_forces; force; force = force->GetNext())
    {
        float s = step;
        force->Apply(position, velocity, s, time);
    }
}

void Qr3dsParticleSystem::Step(float t)
{
    const float dt = t - m_lastTime;

    // Carry the particles along with the emitter frame, so they keep their world positions
    // and directions while it moves.
    QrMatrix3 rotation;
    QrPoint3 translation;
    ReadEmitterFrame(rotation, translation);
    const bool moved = rotation != m_emitterRotation || translation != m_emitterTranslation;
    const QrMatrix3 carry = rotation.TransposeTimes(m_emitterRotation);
    const QrPoint3 offset = rotation.Transpose().TimesPoint(m_emitterTranslation - translation);
    m_emitterRotation = rotation;
    m_emitterTranslation = translation;

    // Deaths come before any motion. Continuations appended here are examined too; with no
    // life span at all they would die at once, generation after generation.
    for (uint32_t i = 0; i < m_activeCount;)
    {
        if (!(m_ages[i] + dt > m_lifeSpan))
        {
            ++i;
            continue;
        }
        SpawnRecord record = MakeRecord(i);
        RemoveParticle(i);
        if (m_collisionAction == kContinueOnDeath && m_lifeSpan > 0.0f && SkipShortLives(record, dt))
            AddContinuation(record);
    }

    for (uint32_t i = 0; i < m_activeCount;)
    {
        QrPoint3* positions = Positions();
        QrPoint3& position = positions[i];
        QrPoint3& velocity = m_velocities[i];
        if (moved)
        {
            position = carry.TimesPoint(position) + offset;
            velocity = carry.TimesPoint(velocity);
        }
        QrPoint3 hitPosition, hitVelocity;
        float timeLeft = 0.0f;
        const bool hit = Collide(position, velocity, dt, t, hitPosition, hitVelocity, timeLeft);
        if (hit)
        {
            position = hitPosition;
            velocity = hitVelocity;
            position += velocity * timeLeft;
        }
        Rotation& spin = m_rotations[i];
        QrNode* node = m_particleNodes[i].Get();
        if (node)
            node->GetRotate().MakeFromKind(6, spin.m_angle, spin.m_axis.x, spin.m_axis.y, spin.m_axis.z);
        spin.m_angle += dt * m_spinRates[i];
        if (spin.m_angle > kTwoPi)
            spin.m_angle -= kTwoPi;
        if (!hit)
        {
            position += velocity * dt;
        }
        else if (m_collisionAction == kCollideDie || m_collisionAction == kCollideDieAndContinue)
        {
            const SpawnRecord record = MakeRecord(i);
            RemoveParticle(i);
            if (m_collisionAction == kCollideDieAndContinue)
                AddContinuation(record);
            continue;
        }
        ApplyForces(position, velocity, dt, t);
        if (node)
            node->GetTranslate() = position;
        m_ages[i] += dt;
        ++i;
    }

    // How many are born in this step; the fraction carries over.
    uint32_t n = 0;
    if (m_emissionStopTime != -1.0f && t > m_emissionStopTime)
    {
        m_emissionRemainder = 0.0f;
    }
    else
    {
        float x = m_useTotal ? dt / m_lifeSpan * float(m_maxParticles) : dt * m_birthRate;
        x += m_emissionRemainder;
        // A template puts an object into the scene per particle: no more than a frame can take.
        const uint32_t limit = m_template ? std::min(m_maxParticles, kMaxObjectParticles) : m_maxParticles;
        const uint32_t room = m_activeCount < limit ? limit - m_activeCount : 0;
        if (std::isnan(x))
        {
            m_emissionRemainder = 0.0f;
        }
        else if (!(x < float(room) + 1.0f))
        {
            // Full (or an endless rate): the rest is discarded.
            n = room;
            m_emissionRemainder = 0.0f;
        }
        else
        {
            const float whole = x >= 1.0f ? std::trunc(x) : 0.0f;
            n = uint32_t(whole);
            m_emissionRemainder = x - whole;
            if (n > room)
            {
                n = room;
                m_emissionRemainder = 0.0f;
            }
        }
    }

    m_heldBack.clear();
    for (uint32_t k = 0; k < n;)
    {
        if (Emit(m_activeCount + k, dt, t))
            ++k;
        else
            --n;
    }
    m_activeCount += n;
    for (const SpawnRecord& record : m_heldBack)
        AddContinuation(record);
    m_heldBack.clear();
    SyncGeometry();
}

bool Qr3dsParticleSystem::Emit(uint32_t j, float dt, float t)
{
    QrPoint3* positions = Positions();
    const float var = m_speedVariation;
    const float birth = float(plat::CRand()) * dt / float(plat::kCRandMax);
    const float spread = float(plat::CRand()) * var / float(plat::kCRandMax) - var / 2.0f;
    plat::CRand();
    m_ages[j] = dt - birth;
    m_generations[j] = 0;

    QrPoint3& velocity = m_velocities[j];
    if (m_emitterType == kEmitterBox)
    {
        velocity.x = float(plat::CRand()) * var / float(plat::kCRandMax) - var / 2.0f;
        velocity.y = float(plat::CRand()) * var / float(plat::kCRandMax) - var / 2.0f;
        velocity.z = float(plat::CRand()) * var / float(plat::kCRandMax) + m_speed - var / 2.0f;
    }
    else if (m_emitterType == kEmitterDirected && m_launchMode == kLaunchSpherical)
    {
        const float theta = SignedDraw() * m_polarSpread + m_polarCenter;
        const float phi = SignedDraw() * m_azimuthSpread + m_azimuthCenter;
        velocity = {std::sin(theta) * std::sin(phi), std::sin(theta) * std::cos(phi), std::cos(theta)};
        velocity.x *= (1.0f + spread * SignedDraw()) * m_speed;
        velocity.y *= (1.0f + spread * SignedDraw()) * m_speed;
        velocity.z *= (1.0f + spread * SignedDraw()) * m_speed;
    }
    else if (m_emitterType == kEmitterDirected)
    {
        float a = 0.0f;
        float c = 0.0f;
        if (m_directionJitter != 0.0f)
        {
            a = 0.05f - float(plat::CRand()) * 0.1f / float(plat::kCRandMax);
            c = 0.05f - float(plat::CRand()) * 0.1f / float(plat::kCRandMax);
        }
        velocity = WithLength(m_direction + m_rightAxis * a + m_upAxis * c, spread + m_speed);
    }
    else
    {
        QrPoint3 v;
        v.x = 0.5f - UnitDraw();
        v.y = 0.5f - UnitDraw();
        v.z = 0.5f - UnitDraw();
        velocity = WithLength(v, spread + m_speed);
    }

    Rotation& rotation = m_rotations[j];
    if (m_fixedSpinAxis)
    {
        rotation.m_axis = m_spinAxis;
    }
    else
    {
        QrPoint3 axis;
        axis.x = SignedDraw();
        axis.y = SignedDraw();
        axis.z = SignedDraw();
        const float length = axis.Length();
        rotation.m_axis = length > 0.000001f ? axis / length : QrPoint3::ZERO;
    }
    rotation.m_angle =
        m_launchMode == kLaunchRandomAngle ? float(plat::CRand()) * kTwoPi / float(plat::kCRandMax) : 0.0f;
    const float period = (float(plat::CRand()) * m_spinPeriodVariation / float(plat::kCRandMax) + 1.0f) * m_spinPeriod;
    m_spinRates[j] = period > -0.0001f && period < 0.0001f ? 0.0f : kTwoPi / period;

    QrPoint3& position = positions[j];
    position.x = float(plat::CRand()) * m_emitterWidth / float(plat::kCRandMax) - m_emitterWidth / 2.0f;
    position.y = float(plat::CRand()) * m_emitterHeight / float(plat::kCRandMax) - m_emitterHeight / 2.0f;
    position.z = 0.0f;

    QrPoint3 hitPosition, hitVelocity;
    float timeLeft = 0.0f;
    if (!Collide(position, velocity, m_ages[j], t, hitPosition, hitVelocity, timeLeft))
    {
        position += velocity * m_ages[j];
    }
    else
    {
        position = hitPosition;
        velocity = hitVelocity;
        position += velocity * timeLeft;
        if (m_collisionAction == kCollideDie || m_collisionAction == kCollideDieAndContinue)
        {
            if (m_collisionAction == kCollideDieAndContinue)
                m_heldBack.push_back(MakeRecord(j));
            return false;
        }
    }
    ApplyForces(position, velocity, m_ages[j], t);
    if (m_template)
        m_particleNodes[j] = MakeParticleNode(m_template->CreateClone().Get(), position);
    return true;
}
