#pragma once
// Scene node that emits, moves and retires particles over animation time. Particle data live
// in the system's own frame (the linked geometry's, when there is one): positions are the
// vertices of a linked particle geometry (or an array of the system's own), and with a
// template every particle also gets a node of its own, hung under the system, carrying a
// clone of the template. Two owned chains of forces act on every particle: colliders first,
// then forces. All randomness comes from the C runtime generator, which every construction
// reseeds with 13, so a scene replays the same particles.

#include "QrAnimTiming.h"
#include "QrForce.h"
#include "QrMatrix3.h"
#include "QrNode.h"
#include "QrParticles.h"
#include "QrPoint3.h"

#include <cstdint>
#include <memory>
#include <vector>

class Qr3dsParticleSystem : public QrNode, public QrAnimTiming
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    enum : uint32_t
    {
        kEmitterBox = 0,
        kEmitterDirected = 1,
        // any other value: random direction
    };
    enum : uint32_t
    {
        kCollideBounce = 0,
        kCollideDie = 1,
        kCollideDieAndContinue = 2,
        kContinueOnDeath = 3,
    };
    enum : uint32_t
    {
        kLaunchRandomAngle = 1,
        kLaunchSpherical = 3,
    };

    // A particle as stored in the file or held back to continue as the next generation.
    struct SpawnRecord
    {
        float m_spinRate = 0.0f;
        float m_age = 0.0f;
        uint32_t m_generation = 0;
        QrPoint3 m_position;
        QrPoint3 m_velocity;
        QrPointer<QrAVObject> m_object;
        float m_angle = 0.0f;
        QrPoint3 m_axis;
    };
    // A particle's spin state: the angle turned so far about its axis.
    struct Rotation
    {
        float m_angle = 0.0f;
        QrPoint3 m_axis;
    };

    static constexpr size_t kSpawnRecordBytes = 56;
    // Live particles a system with a template emits up to (each carries a scene object);
    // lower than a file may ask, because every one adds a parent record to the shared leaf.
    static constexpr uint32_t kMaxObjectParticles = 1024;
    // Particle steps the pre-roll may take in all: it runs within the first frame, so past
    // the budget it takes fewer, longer steps instead of stalling.
    static constexpr uint64_t kPreRollBudget = 1u << 20;
    // The most particles a file may ask for: what one particle geometry can draw.
    static constexpr uint32_t kMaxFileParticles = 0xFFFF;
    // 8 atan(1), rounded to float once.
    static const float kTwoPi;

    Qr3dsParticleSystem();

    // Both Update forms stay callable: the world update and the timing step.
    using QrAnimTiming::Update;
    using QrNode::Update;

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    // The node part and every parameter; particles, links and timing are not compared.
    bool IsEqual(const QrObject* other) const override;
    // Parameters, timing, node part, shared geometry, cloned forces and generation templates;
    // no template and no live particles.
    QrPointer<QrAVObject> CreateClone() override;
    void ApplyAtTime(float time) override;
    void ReleaseLinks() override;
    // The node's children, the template and the generation templates (particles clone them).
    void AppendDescendLinks(std::vector<QrAVObject*>& out) const override;

    // --- set-up
    // Frees every particle and stored record and sizes the per-particle arrays for count.
    void SetMaxParticles(uint32_t count);
    // Stores the unit direction and picks the two jitter axes from its largest component.
    void SetDirection(const QrPoint3& vector);
    void SetGenerationTemplateCount(uint32_t count);
    QrAVObject* GetGenerationTemplate(uint32_t index) const;
    void SetGenerationTemplate(QrAVObject* object, uint32_t index);
    // Appends a copy while fewer than max particles are stored.
    void AddStoredRecord(const SpawnRecord& record);
    // Push onto the front of their chain, which then owns them (a force already in a chain is
    // refused).
    void AddForce(QrForce* force);
    void AddCollider(QrForce* collider);
    QrAVObject* GetTemplate() const { return m_template.Get(); }
    void SetTemplate(QrAVObject* object) { m_template = object; }
    QrParticles* GetGeometry() const { return m_geometry.Get(); }
    // Live positions move to the geometry's vertices (or back to the system's own array).
    void SetGeometry(QrParticles* geometry);

    // --- simulation
    // Adds the stored records as particles and runs the pre-roll.
    void Prime();
    // One step from the last time to local time t (the caller then sets the last time).
    void Step(float t);
    // The last live particle takes the slot; the removed particle's node leaves the system.
    void RemoveParticle(uint32_t index);
    // Appends the record's next generation unless it is the last one.
    void AddContinuation(const SpawnRecord& record);
    // A record of particle index as it is now (no object).
    SpawnRecord MakeRecord(uint32_t index) const;

    // --- state
    uint32_t GetMaxParticles() const { return m_maxParticles; }
    uint32_t GetActiveCount() const { return m_activeCount; }
    // Live particles at the front: index below the active count.
    const QrPoint3* GetPositions() const;
    const QrPoint3* GetVelocities() const { return m_velocities.get(); }
    const float* GetAges() const { return m_ages.get(); }
    const uint32_t* GetGenerations() const { return m_generations.get(); }
    const float* GetSpinRates() const { return m_spinRates.get(); }
    const Rotation* GetRotations() const { return m_rotations.get(); }
    QrNode* GetParticleNode(uint32_t index) const;
    float GetLastTime() const { return m_lastTime; }
    float GetEmissionRemainder() const { return m_emissionRemainder; }
    QrForce* GetForces() const { return m_forces; }
    QrForce* GetColliders() const { return m_colliders; }
    uint32_t GetStoredRecordCount() const { return m_storedCount; }
    const SpawnRecord* GetStoredRecord(uint32_t index) const;
    uint32_t GetGenerationTemplateCount() const { return uint32_t(m_generationTemplates.size()); }
    const QrPoint3& GetDirection() const { return m_direction; }
    const QrPoint3& GetRightAxis() const { return m_rightAxis; }
    const QrPoint3& GetUpAxis() const { return m_upAxis; }

    // --- parameters
    uint8_t m_useTotal = 0;
    float m_reservedA = 1.0f;
    float m_speed = 1.0f;
    float m_speedVariation = 0.0f;
    float m_lifeSpan = 0.0f;
    float m_birthRate = 1.0f;
    float m_emitterWidth = 1.0f;
    float m_emitterHeight = 1.0f;
    uint32_t m_reservedB = 0;
    uint32_t m_reservedC = 0;
    uint32_t m_reservedD = 0;
    uint32_t m_reservedE = 0;
    uint32_t m_emitterType = kEmitterDirected;
    float m_directionJitter = 0.0f;
    int32_t m_maxGeneration = 0;
    uint32_t m_collisionAction = kCollideBounce;
    float m_spinPeriod = 0.0f;
    float m_spinPeriodVariation = 0.0f;
    uint32_t m_fixedSpinAxis = 0;
    uint32_t m_reservedF = 0;
    QrPoint3 m_spinAxis{1.0f, 0.0f, 0.0f};
    float m_preRollTime = 0.0f;
    float m_emissionStopTime = -1.0f;
    float m_polarSpread = 0.0f;
    float m_polarCenter = 0.0f;
    float m_azimuthSpread = 0.0f;
    float m_azimuthCenter = 0.0f;
    uint32_t m_launchMode = 0;

protected:
    ~Qr3dsParticleSystem() override;

private:
    // Where the live positions are: the geometry's vertices when it has room for every
    // particle, otherwise the system's own array (copied into the geometry's vertices).
    QrPoint3* Positions();
    // The linked geometry's world frame, else the system's.
    void ReadEmitterFrame(QrMatrix3& rotation, QrPoint3& translation);
    void CacheEmitterFrame();
    // Gives the geometry the live count (and the positions when they are kept apart).
    void SyncGeometry();
    // Runs the collider chain on a copy of the particle for each collider; the hit that
    // leaves the most time wins (the first of equals). False when none hit.
    bool Collide(const QrPoint3& position, const QrPoint3& velocity, float step, float time, QrPoint3& hitPosition,
                 QrPoint3& hitVelocity, float& timeLeft);
    void ApplyForces(QrPoint3& position, QrPoint3& velocity, float step, float time);
    // A particle node carrying child, placed at position, attached to the system.
    QrPointer<QrNode> MakeParticleNode(QrAVObject* child, const QrPoint3& position);
    // Launches one new particle into slot j; false when a collider took it at once (for action
    // 2 its continuation waits in m_heldBack until the batch is counted).
    bool Emit(uint32_t j, float dt, float t);
    void CopyParameters(Qr3dsParticleSystem* clone) const;
    // Moves a dying particle's record past the further lives that would also end within a
    // step of dt; false when its last generation ends there too.
    bool SkipShortLives(SpawnRecord& record, float dt) const;

    uint32_t m_maxParticles = 0;
    uint32_t m_activeCount = 0;
    QrPoint3 m_direction{0.0f, 0.0f, -1.0f};
    QrPoint3 m_rightAxis{1.0f, 0.0f, 0.0f};
    QrPoint3 m_upAxis{0.0f, 1.0f, 0.0f};
    float m_lastTime = -1.0f;
    // Set by the first apply: a local time at or below 0 is a time like any other.
    bool m_started = false;
    float m_emissionRemainder = 0.0f;
    QrMatrix3 m_emitterRotation{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    QrPoint3 m_emitterTranslation;

    QrPointer<QrAVObject> m_template;
    std::vector<QrPointer<QrAVObject>> m_generationTemplates;
    QrPointer<QrParticles> m_geometry;
    // Chains owned through QrForce's chain helpers.
    QrForce* m_forces = nullptr;
    QrForce* m_colliders = nullptr;

    // Per particle, max-particles entries each.
    std::unique_ptr<float[]> m_spinRates;
    std::unique_ptr<float[]> m_ages;
    std::unique_ptr<uint32_t[]> m_generations;
    std::unique_ptr<QrPoint3[]> m_ownPositions;
    std::unique_ptr<QrPoint3[]> m_velocities;
    std::unique_ptr<Rotation[]> m_rotations;
    std::unique_ptr<QrPointer<QrNode>[]> m_particleNodes;

    // Max-particles slots once the first is added; m_storedCount in use.
    std::unique_ptr<SpawnRecord[]> m_storedRecords;
    uint32_t m_storedCount = 0;
    // Continuations of one emission batch, added after it (kept to spare the step allocations).
    std::vector<SpawnRecord> m_heldBack;
    // Stored-record slots and chain lengths read by LoadBinary, for LinkObject.
    uint32_t m_loadedRecordSlots = 0;
    uint32_t m_loadedForceCount = 0;
    uint32_t m_loadedColliderCount = 0;
};
