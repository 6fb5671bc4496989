#include "Qr3dsParticleSystem.h"

#include "QrForce.h"
#include "QrMeshCollider.h"
#include "QrParticles.h"
#include "QrStream.h"

#include "CRandom.h"
#include "Format.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

QR_IMPLEMENT_RTTI(Qr3dsParticleSystem, QrNode)
QR_IMPLEMENT_CREATE(Qr3dsParticleSystem)

const float Qr3dsParticleSystem::kTwoPi = float(8.0 * std::atan(1.0));

namespace
{
// The pre-roll runs five steps per second, and no more steps than this however long it is.
constexpr float kPreRollStepsPerSecond = 5.0f;
constexpr uint32_t kMaxPreRollSteps = 0xFFFF;
} // namespace

Qr3dsParticleSystem::Qr3dsParticleSystem()
{
    plat::CRandSeed(13);
}

Qr3dsParticleSystem::~Qr3dsParticleSystem()
{
    QrForce::ReleaseChain(m_forces);
    QrForce::ReleaseChain(m_colliders);
}

// --- set-up

void Qr3dsParticleSystem::SetMaxParticles(uint32_t count)
{
    // Particle nodes leave the system with their particles.
    for (uint32_t i = 0; i < m_activeCount; ++i)
        if (QrNode* node = m_particleNodes[i].Get())
            DetachChild(node);
    m_spinRates.reset();
    m_ages.reset();
    m_generations.reset();
    m_ownPositions.reset();
    m_velocities.reset();
    m_rotations.reset();
    m_particleNodes.reset();
    m_storedRecords.reset();
    m_storedCount = 0;
    m_activeCount = 0;
    m_maxParticles = count;
    m_spinRates = std::make_unique<float[]>(count);
    m_ages = std::make_unique<float[]>(count);
    m_generations = std::make_unique<uint32_t[]>(count);
    m_ownPositions = std::make_unique<QrPoint3[]>(count);
    m_velocities = std::make_unique<QrPoint3[]>(count);
    m_rotations = std::make_unique<Rotation[]>(count);
    m_particleNodes = std::make_unique<QrPointer<QrNode>[]>(count);
    m_heldBack.clear();
    m_heldBack.reserve(count);
    SyncGeometry();
}

void Qr3dsParticleSystem::SetDirection(const QrPoint3& vector)
{
    const float length = vector.Length();
    m_direction = length > 0.0f ? vector / length : vector;
    const float x = std::fabs(vector.x);
    const float y = std::fabs(vector.y);
    const float z = std::fabs(vector.z);
    if (z > x && z > y)
    {
        m_rightAxis = {1.0f, 0.0f, 0.0f};
        m_upAxis = {0.0f, 1.0f, 0.0f};
    }
    else if (x > y && x >= z)
    {
        m_rightAxis = {0.0f, 1.0f, 0.0f};
        m_upAxis = {0.0f, 0.0f, 1.0f};
    }
    else
    {
        m_rightAxis = {0.0f, 0.0f, 1.0f};
        m_upAxis = {1.0f, 0.0f, 0.0f};
    }
}

void Qr3dsParticleSystem::SetGenerationTemplateCount(uint32_t count)
{
    m_generationTemplates.clear();
    m_generationTemplates.resize(count);
}

QrAVObject* Qr3dsParticleSystem::GetGenerationTemplate(uint32_t index) const
{
    return index < m_generationTemplates.size() ? m_generationTemplates[index].Get() : nullptr;
}

void Qr3dsParticleSystem::SetGenerationTemplate(QrAVObject* object, uint32_t index)
{
    if (index < m_generationTemplates.size())
        m_generationTemplates[index] = object;
}

void Qr3dsParticleSystem::AddStoredRecord(const SpawnRecord& record)
{
    if (!m_storedRecords && m_maxParticles > 0)
        m_storedRecords = std::make_unique<SpawnRecord[]>(m_maxParticles);
    if (m_storedCount >= m_maxParticles)
        return;
    m_storedRecords[m_storedCount++] = record;
}

const Qr3dsParticleSystem::SpawnRecord* Qr3dsParticleSystem::GetStoredRecord(uint32_t index) const
{
    return index < m_storedCount ? &m_storedRecords[index] : nullptr;
}

void Qr3dsParticleSystem::AddForce(QrForce* force)
{
    QrForce::PushFront(m_forces, force);
}

void Qr3dsParticleSystem::AddCollider(QrForce* collider)
{
    QrForce::PushFront(m_colliders, collider);
}

void Qr3dsParticleSystem::SetGeometry(QrParticles* geometry)
{
    if (geometry == m_geometry.Get())
        return;
    const QrPoint3* from = Positions();
    std::vector<QrPoint3> live(from, from ? from + m_activeCount : from);
    m_geometry = geometry;
    if (QrPoint3* to = Positions())
        std::copy(live.begin(), live.end(), to);
    SyncGeometry();
}

QrPoint3* Qr3dsParticleSystem::Positions()
{
    QrParticles* geometry = m_geometry.Get();
    if (geometry && geometry->GetVertices() && geometry->GetVertexCount() >= m_maxParticles)
        return geometry->GetVertices();
    return m_ownPositions.get();
}

const QrPoint3* Qr3dsParticleSystem::GetPositions() const
{
    return const_cast<Qr3dsParticleSystem*>(this)->Positions();
}

QrNode* Qr3dsParticleSystem::GetParticleNode(uint32_t index) const
{
    return index < m_maxParticles ? m_particleNodes[index].Get() : nullptr;
}

void Qr3dsParticleSystem::SyncGeometry()
{
    QrParticles* geometry = m_geometry.Get();
    if (!geometry)
        return;
    const uint32_t shown = std::min<uint32_t>(m_activeCount, geometry->GetVertexCount());
    geometry->SetActiveCount(uint16_t(shown));
    // A geometry too small for every particle draws the leading ones from a copy.
    const QrPoint3* positions = Positions();
    if (positions == m_ownPositions.get() && geometry->GetVertices() && positions)
        std::copy(positions, positions + shown, geometry->GetVertices());
    geometry->MarkVerticesChanged();
}

void Qr3dsParticleSystem::ReadEmitterFrame(QrMatrix3& rotation, QrPoint3& translation)
{
    QrAVObject* frame = m_geometry ? static_cast<QrAVObject*>(m_geometry.Get()) : this;
    const QrAVInstance* instance = frame->GetCurrentInstance();
    rotation = instance->m_worldRotate;
    translation = instance->m_worldTranslate;
}

void Qr3dsParticleSystem::CacheEmitterFrame()
{
    ReadEmitterFrame(m_emitterRotation, m_emitterTranslation);
}

// --- time

void Qr3dsParticleSystem::ApplyAtTime(float time)
{
    const float t = ComputeScaledTime(time);
    if (!m_started || time == 0.0f)
    {
        m_started = true;
        m_lastTime = t;
        CacheEmitterFrame();
        Prime();
        return;
    }
    if (std::fabs(t - m_lastTime) < 0.0001f)
        return;
    if (t < m_lastTime)
    {
        while (m_activeCount > 0)
            RemoveParticle(m_activeCount - 1);
        m_lastTime = GetBeginTime();
        CacheEmitterFrame();
        Prime();
    }
    Step(t);
    m_lastTime = t;
    if (GetUpdateWorld())
        UpdateAllInstances();
}

void Qr3dsParticleSystem::Prime()
{
    QrPoint3* positions = Positions();
    for (uint32_t i = 0; i < m_storedCount && m_activeCount < m_maxParticles; ++i)
    {
        const SpawnRecord& record = m_storedRecords[i];
        const uint32_t j = m_activeCount;
        const int r = plat::CRand();
        positions[j] = record.m_position;
        m_velocities[j] = record.m_velocity * (m_speed + (float(r) / float(plat::kCRandMax) - 0.5f) * m_speedVariation);
        m_rotations[j] = {record.m_angle, record.m_axis};
        m_spinRates[j] = record.m_spinRate;
        m_ages[j] = 0.0f;
        m_generations[j] = 0;
        QrAVObject* object = record.m_object.Get();
        // The system itself or one above it would hang the scene under itself.
        for (QrAVObject* above = this; object && above; above = above->GetParent())
            if (above == object)
                object = nullptr;
        if (object)
            m_particleNodes[j] = MakeParticleNode(object, positions[j]);
        else if (m_template)
            m_particleNodes[j] = MakeParticleNode(m_template->CreateClone().Get(), positions[j]);
        ++m_activeCount;
    }
    if (m_preRollTime > 0.0f)
    {
        // Fewer, longer steps when the particles times the steps would stall the first frame.
        const uint64_t affordable = std::max<uint64_t>(1, kPreRollBudget / std::max<uint32_t>(1, m_maxParticles));
        const uint32_t cap = uint32_t(std::min<uint64_t>(kMaxPreRollSteps, affordable));
        const float steps = std::floor(m_preRollTime * kPreRollStepsPerSecond);
        const uint32_t n = steps < 1.0f ? 1u : steps > float(cap) ? cap : uint32_t(steps);
        const float saved = m_lastTime;
        const float dt = m_preRollTime / float(n);
        m_lastTime = GetBeginTime() - m_preRollTime;
        for (uint32_t i = 0; i < n; ++i)
        {
            Step(m_lastTime + dt);
            m_lastTime += dt;
        }
        m_lastTime = saved;
    }
    SyncGeometry();
}

QrPointer<QrNode> Qr3dsParticleSystem::MakeParticleNode(QrAVObject* child, const QrPoint3& position)
{
    QrPointer<QrNode> node(new QrNode);
    node->AttachChild(child);
    node->GetTranslate() = position;
    // Slots of retired particles are reused, so the child array stays as long as the
    // largest number of particles alive at once.
    AttachChild(node.Get(), true);
    return node;
}

// --- clone

void Qr3dsParticleSystem::CopyParameters(Qr3dsParticleSystem* clone) const
{
    clone->m_useTotal = m_useTotal;
    clone->m_reservedA = m_reservedA;
    clone->m_speed = m_speed;
    clone->m_speedVariation = m_speedVariation;
    clone->m_lifeSpan = m_lifeSpan;
    clone->m_birthRate = m_birthRate;
    clone->m_emitterWidth = m_emitterWidth;
    clone->m_emitterHeight = m_emitterHeight;
    clone->m_reservedB = m_reservedB;
    clone->m_reservedC = m_reservedC;
    clone->m_reservedD = m_reservedD;
    clone->m_reservedE = m_reservedE;
    clone->m_emitterType = m_emitterType;
    clone->m_directionJitter = m_directionJitter;
    clone->m_maxGeneration = m_maxGeneration;
    clone->m_collisionAction = m_collisionAction;
    clone->m_spinPeriod = m_spinPeriod;
    clone->m_spinPeriodVariation = m_spinPeriodVariation;
    clone->m_fixedSpinAxis = m_fixedSpinAxis;
    clone->m_reservedF = m_reservedF;
    clone->m_spinAxis = m_spinAxis;
    clone->m_preRollTime = m_preRollTime;
    clone->m_emissionStopTime = m_emissionStopTime;
    clone->m_polarSpread = m_polarSpread;
    clone->m_polarCenter = m_polarCenter;
    clone->m_azimuthSpread = m_azimuthSpread;
    clone->m_azimuthCenter = m_azimuthCenter;
    clone->m_launchMode = m_launchMode;
}

QrPointer<QrAVObject> Qr3dsParticleSystem::CreateClone()
{
    QrPointer<Qr3dsParticleSystem> clone(new Qr3dsParticleSystem);
    CopyTimingTo(*clone);
    QrNode::CopyMembers(clone.Get());
    // Live particles are not copied: drop the copies of their nodes.
    std::unordered_set<const QrAVObject*> particleNodes;
    for (uint32_t i = 0; i < m_activeCount; ++i)
        particleNodes.insert(m_particleNodes[i].Get());
    for (uint32_t i = 0; i < GetChildCount(); ++i)
        if (GetChildAt(i) && particleNodes.count(GetChildAt(i)))
            clone->SetAt(i, nullptr);

    clone->SetMaxParticles(m_maxParticles);
    CopyParameters(clone.Get());
    clone->SetDirection(m_direction);
    if (m_template)
    {
        clone->SetGenerationTemplateCount(GetGenerationTemplateCount());
        for (uint32_t i = 0; i < GetGenerationTemplateCount(); ++i)
            if (QrAVObject* generation = m_generationTemplates[i].Get())
                clone->SetGenerationTemplate(generation->CreateClone().Get(), i);
    }
    for (uint32_t i = 0; i < m_storedCount; ++i)
        clone->AddStoredRecord(m_storedRecords[i]);
    clone->SetGeometry(m_geometry.Get());
    for (QrForce* force = m_forces; force; force = force->GetNext())
        clone->AddForce(force->Clone().Get());
    for (QrForce* collider = m_colliders; collider; collider = collider->GetNext())
        clone->AddCollider(collider->Clone().Get());
    return clone;
}

// --- scene file

void Qr3dsParticleSystem::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    LoadTiming(stream);
    const uint32_t maxParticles = stream.LoadU32();
    if (maxParticles > kMaxFileParticles)
    {
        stream.Fail(plat::Format("%u particles", maxParticles));
        return;
    }
    SetMaxParticles(maxParticles);
    m_useTotal = stream.LoadU8();
    m_reservedA = stream.LoadF32();
    m_speed = stream.LoadF32();
    m_speedVariation = stream.LoadF32();
    m_lifeSpan = stream.LoadF32();
    m_reservedC = stream.LoadU32();
    m_birthRate = stream.LoadF32();
    m_emitterWidth = stream.LoadF32();
    m_emitterHeight = stream.LoadF32();
    m_reservedB = stream.LoadU32();
    m_reservedD = stream.LoadU32();
    m_reservedE = stream.LoadU32();
    m_emitterType = stream.LoadU32();
    m_directionJitter = stream.LoadF32();
    QrPoint3 direction;
    direction.LoadBinary(stream);
    SetDirection(direction);
    m_maxGeneration = stream.LoadI32();
    m_collisionAction = stream.LoadU32();
    m_spinPeriod = stream.LoadF32();
    m_spinPeriodVariation = stream.LoadF32();
    m_fixedSpinAxis = stream.LoadU32();
    m_reservedF = stream.LoadU32();
    m_spinAxis.LoadBinary(stream);
    m_preRollTime = stream.LoadF32();
    m_emissionStopTime = stream.LoadF32();
    m_polarSpread = stream.LoadF32();
    m_polarCenter = stream.LoadF32();
    m_azimuthSpread = stream.LoadF32();
    m_azimuthCenter = stream.LoadF32();
    m_launchMode = stream.LoadU32();

    if (stream.LoadLinkID(this) != 0)
    {
        SetGenerationTemplateCount(stream.LoadCount(4, "generation templates"));
        for (size_t i = 0; i < m_generationTemplates.size(); ++i)
            stream.LoadLinkID(this);
    }

    // The presence word holds the number of records in use (older writers stored any other
    // non-zero value: then every slot is a record).
    const uint32_t present = stream.LoadU32();
    m_loadedRecordSlots = 0;
    if (present != 0)
    {
        if (uint64_t(m_maxParticles) * kSpawnRecordBytes > stream.GetRemaining())
        {
            stream.Fail(plat::Format("%u stored particles", m_maxParticles));
            return;
        }
        const uint32_t used = std::min(present, m_maxParticles);
        for (uint32_t i = 0; i < m_maxParticles; ++i)
        {
            SpawnRecord record;
            record.m_spinRate = stream.LoadF32();
            record.m_age = stream.LoadF32();
            record.m_generation = stream.LoadU32();
            record.m_position.LoadBinary(stream);
            record.m_velocity.LoadBinary(stream);
            stream.LoadLinkID(this);
            record.m_angle = stream.LoadF32();
            record.m_axis.LoadBinary(stream);
            if (i < used)
                AddStoredRecord(record);
        }
        m_loadedRecordSlots = m_maxParticles;
    }
    stream.LoadLinkID(this);
    m_loadedForceCount = stream.LoadCount(4, "forces");
    for (uint32_t i = 0; i < m_loadedForceCount; ++i)
        stream.LoadLinkID(this);
    m_loadedColliderCount = stream.LoadCount(4, "colliders");
    for (uint32_t i = 0; i < m_loadedColliderCount; ++i)
        stream.LoadLinkID(this);
}

void Qr3dsParticleSystem::ReleaseLinks()
{
    QrNode::ReleaseLinks();
    m_template = nullptr;
    m_generationTemplates.clear();
    // A collider's mesh may be this system or above it.
    QrForce::ReleaseChain(m_forces);
    QrForce::ReleaseChain(m_colliders);
}

void Qr3dsParticleSystem::AppendDescendLinks(std::vector<QrAVObject*>& out) const
{
    QrNode::AppendDescendLinks(out);
    if (m_template)
        out.push_back(m_template.Get());
    for (const QrPointer<QrAVObject>& generation : m_generationTemplates)
        if (generation)
            out.push_back(generation.Get());
    // Not drawn through the system, but held by it: a loop through a collider is never freed.
    for (QrForce* head : {m_forces, m_colliders})
        for (QrForce* force = head; force; force = force->GetNext())
            if (const QrMeshCollider* collider = QrDynamicCast<QrMeshCollider>(force))
                if (QrAVObject* mesh = QrDynamicCast<QrAVObject>(collider->GetMesh()))
                    out.push_back(mesh);
}

void Qr3dsParticleSystem::LinkObject(QrStream& stream)
{
    QrNode::LinkObject(stream);
    m_template = stream.ResolveLinkID<QrAVObject>(this);
    if (m_template)
        for (uint32_t i = 0; i < GetGenerationTemplateCount(); ++i)
            SetGenerationTemplate(stream.ResolveLinkID<QrAVObject>(this), i);
    for (uint32_t i = 0; i < m_loadedRecordSlots; ++i)
    {
        QrAVObject* object = stream.ResolveLinkID<QrAVObject>(this);
        if (i < m_storedCount)
            m_storedRecords[i].m_object = object;
    }
    SetGeometry(stream.ResolveLinkID<QrParticles>(this));
    // Each goes to the front: a chain runs in reverse file order.
    const auto link = [&](QrForce*& head, uint32_t count, const char* what)
    {
        for (uint32_t i = 0; i < count; ++i)
        {
            QrForce* force = stream.ResolveLinkID<QrForce>(this);
            if (force && !QrForce::PushFront(head, force) && !stream.Failed())
                stream.Fail(plat::Format("%s %u is already in a chain", what, i));
        }
    };
    link(m_forces, m_loadedForceCount, "force");
    link(m_colliders, m_loadedColliderCount, "collider");
    m_loadedRecordSlots = m_loadedForceCount = m_loadedColliderCount = 0;
}

bool Qr3dsParticleSystem::RegisterStreamables(QrStream& stream)
{
    if (!QrNode::RegisterStreamables(stream))
        return false;
    if (m_template)
        m_template->RegisterStreamables(stream);
    for (const auto& generation : m_generationTemplates)
        if (generation)
            generation->RegisterStreamables(stream);
    for (uint32_t i = 0; i < m_storedCount; ++i)
        if (m_storedRecords[i].m_object)
            m_storedRecords[i].m_object->RegisterStreamables(stream);
    // The record names the geometry, so it must be in the file even when no node holds it.
    if (m_geometry)
        m_geometry->RegisterStreamables(stream);
    for (QrForce* force = m_forces; force; force = force->GetNext())
        force->RegisterStreamables(stream);
    for (QrForce* collider = m_colliders; collider; collider = collider->GetNext())
        collider->RegisterStreamables(stream);
    return true;
}

void Qr3dsParticleSystem::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    SaveTiming(stream);
    stream.SaveU32(m_maxParticles);
    stream.SaveU8(m_useTotal);
    stream.SaveF32(m_reservedA);
    stream.SaveF32(m_speed);
    stream.SaveF32(m_speedVariation);
    stream.SaveF32(m_lifeSpan);
    stream.SaveU32(m_reservedC);
    stream.SaveF32(m_birthRate);
    stream.SaveF32(m_emitterWidth);
    stream.SaveF32(m_emitterHeight);
    stream.SaveU32(m_reservedB);
    stream.SaveU32(m_reservedD);
    stream.SaveU32(m_reservedE);
    stream.SaveU32(m_emitterType);
    stream.SaveF32(m_directionJitter);
    m_direction.SaveBinary(stream);
    stream.SaveI32(m_maxGeneration);
    stream.SaveU32(m_collisionAction);
    stream.SaveF32(m_spinPeriod);
    stream.SaveF32(m_spinPeriodVariation);
    stream.SaveU32(m_fixedSpinAxis);
    stream.SaveU32(m_reservedF);
    m_spinAxis.SaveBinary(stream);
    stream.SaveF32(m_preRollTime);
    stream.SaveF32(m_emissionStopTime);
    stream.SaveF32(m_polarSpread);
    stream.SaveF32(m_polarCenter);
    stream.SaveF32(m_azimuthSpread);
    stream.SaveF32(m_azimuthCenter);
    stream.SaveU32(m_launchMode);

    stream.SaveLinkID(m_template.Get());
    if (m_template)
    {
        stream.SaveU32(GetGenerationTemplateCount());
        for (const auto& generation : m_generationTemplates)
            stream.SaveLinkID(generation.Get());
    }
    stream.SaveU32(m_storedCount);
    if (m_storedCount > 0)
    {
        // Every slot is written; the ones not in use as zeros.
        const SpawnRecord none;
        for (uint32_t i = 0; i < m_maxParticles; ++i)
        {
            const SpawnRecord& record = i < m_storedCount ? m_storedRecords[i] : none;
            stream.SaveF32(record.m_spinRate);
            stream.SaveF32(record.m_age);
            stream.SaveU32(record.m_generation);
            record.m_position.SaveBinary(stream);
            record.m_velocity.SaveBinary(stream);
            stream.SaveLinkID(record.m_object.Get());
            stream.SaveF32(record.m_angle);
            record.m_axis.SaveBinary(stream);
        }
    }
    stream.SaveLinkID(m_geometry.Get());
    // The loader pushes each id to the front of its chain, so the ids go out from the tail:
    // a loaded system has its chains in the saved order and saves to the same bytes.
    for (const QrForce* head : {m_forces, m_colliders})
    {
        std::vector<const QrForce*> chain;
        for (const QrForce* force = head; force; force = force->GetNext())
            chain.push_back(force);
        stream.SaveU32(uint32_t(chain.size()));
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            stream.SaveLinkID(*it);
    }
}

bool Qr3dsParticleSystem::IsEqual(const QrObject* other) const
{
    if (!QrNode::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsParticleSystem*>(other);
    return m_useTotal == o->m_useTotal && m_reservedA == o->m_reservedA && m_reservedB == o->m_reservedB &&
           m_reservedC == o->m_reservedC && m_reservedD == o->m_reservedD && m_reservedE == o->m_reservedE &&
           m_speed == o->m_speed && m_speedVariation == o->m_speedVariation && m_lifeSpan == o->m_lifeSpan &&
           m_birthRate == o->m_birthRate && m_emitterWidth == o->m_emitterWidth &&
           m_emitterHeight == o->m_emitterHeight && GetGenerationTemplateCount() == o->GetGenerationTemplateCount() &&
           m_maxParticles == o->m_maxParticles && m_emitterType == o->m_emitterType && m_direction == o->m_direction &&
           m_directionJitter == o->m_directionJitter && m_maxGeneration == o->m_maxGeneration &&
           m_collisionAction == o->m_collisionAction && m_spinPeriod == o->m_spinPeriod &&
           m_spinPeriodVariation == o->m_spinPeriodVariation && m_fixedSpinAxis == o->m_fixedSpinAxis &&
           m_reservedF == o->m_reservedF && m_spinAxis == o->m_spinAxis && m_preRollTime == o->m_preRollTime &&
           m_emissionStopTime == o->m_emissionStopTime && m_polarSpread == o->m_polarSpread &&
           m_polarCenter == o->m_polarCenter && m_azimuthSpread == o->m_azimuthSpread &&
           m_azimuthCenter == o->m_azimuthCenter && m_launchMode == o->m_launchMode;
}
