#include "GenKeys.h"
#include "SampleData.h"
#include "SampleObjects.h"
#include "SampleShapes.h"

#include "Qr3dsBone.h"
#include "Qr3dsMorphShape.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrColorA.h"
#include "QrGravity.h"
#include "QrLinearRotKey.h"
#include "QrMaterialProperty.h"
#include "QrMeshCollider.h"
#include "QrMorphWeightsKey.h"
#include "QrNode.h"
#include "QrParticleBomb.h"
#include "QrParticles.h"
#include "QrPlanarCollider.h"
#include "QrSphericalCollider.h"
#include "QrTCBRotKey.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace gen
{

namespace
{

const double kPi = 3.14159265358979;
const QrPoint3 kX{1.0f, 0.0f, 0.0f};
const QrPoint3 kZ{0.0f, 0.0f, 1.0f};

// Triangles between rings of segments vertices each (rings stacked in order), wound outward.
std::vector<uint16_t> TubeIndices(int rings, int segments)
{
    std::vector<uint16_t> indices;
    for (int r = 0; r + 1 < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const uint16_t a = uint16_t(r * segments + s), b = uint16_t(r * segments + (s + 1) % segments);
            const uint16_t c = uint16_t(a + segments), d = uint16_t(b + segments);
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    return indices;
}

// A bone driven by its binding, turning about axis through the angles at times 0, 1, 2, 3
// (the last equal to the first, so the loop closes).
QrPointer<Qr3dsBone> MakeBone(const char* name, float z, const QrPoint3& axis, const float angles[4], bool tcb)
{
    QrPointer<Qr3dsBone> bone(new Qr3dsBone);
    bone->SetName(name);
    bone->SetTranslate(0.0f, 0.0f, z);
    OwnedKeys<QrRotKey> keys;
    for (int i = 0; i < 4; ++i)
    {
        if (tcb)
            keys.Add(std::make_unique<QrTCBRotKey>(float(i), angles[i], axis));
        else
            keys.Add(std::make_unique<QrLinearRotKey>(float(i), angles[i], axis));
    }
    bone->SetRotKeys(keys.Data(), keys.Count());
    return bone;
}

} // namespace

// A bending tube: five rings of eight vertices around a chain pelvis -> spine -> neck, one
// unit apart, with a thigh bone off the pelvis. Rings 0 and 1 follow the pelvis, ring 2 is half
// pelvis and half spine, ring 3 follows the spine and ring 4 blends spine and neck. Every bone
// names the binding as its controller, which the framework's key-framed models step.
SkinnedModel MakeSkinnedModel()
{
    const float still[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float sway[4] = {0.0f, 0.3f, -0.3f, 0.0f};
    const float bend[4] = {0.0f, 0.5f, 0.2f, 0.0f};
    const float nod[4] = {0.0f, -0.4f, 0.4f, 0.0f};
    QrPointer<Qr3dsBone> pelvis = MakeBone("pelvis", 0.0f, kZ, sway, false);
    QrPointer<Qr3dsBone> spine = MakeBone("spine", 1.0f, kX, bend, true);
    QrPointer<Qr3dsBone> neck = MakeBone("neck", 1.0f, kX, nod, true);
    QrPointer<Qr3dsBone> thigh = MakeBone("thigh", -0.5f, kX, still, false);
    thigh->SetTranslate(0.3f, 0.0f, -0.5f);
    pelvis->AttachChild(spine.Get());
    pelvis->AttachChild(thigh.Get());
    spine->AttachChild(neck.Get());

    const int rings = 5, segments = 8;
    std::vector<QrPoint3> vertices, normals;
    std::vector<Qr3dsSkin::Influence> influences;
    // Bone origins at rest: pelvis 0, spine 1, neck 2 along z.
    const auto offset = [](const QrPoint3& p, float boneZ) { return QrPoint3(p.x, p.y, p.z - boneZ); };
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const double phi = 2.0 * kPi * s / segments;
            const QrPoint3 n(float(std::cos(phi)), float(std::sin(phi)), 0.0f);
            const QrPoint3 p(0.4f * n.x, 0.4f * n.y, 0.5f * float(r));
            vertices.push_back(p);
            normals.push_back(n);
            if (r <= 1)
                influences.emplace_back(Qr3dsSkin::kRigid, offset(p, 0.0f), pelvis.Get());
            else if (r == 2)
            {
                influences.emplace_back(0.5f, offset(p, 0.0f), pelvis.Get());
                influences.back().Append(0.5f, offset(p, 1.0f), spine.Get());
            }
            else if (r == 3)
                influences.emplace_back(Qr3dsSkin::kRigid, offset(p, 1.0f), spine.Get());
            else
            {
                influences.emplace_back(0.7f, offset(p, 1.0f), spine.Get());
                influences.back().Append(0.3f, offset(p, 2.0f), neck.Get());
            }
        }
    const std::vector<uint16_t> indices = TubeIndices(rings, segments);
    QrPointer<Qr3dsSkin> body(new Qr3dsSkin(uint16_t(vertices.size()), vertices.data(), normals.data(),
                                            uint16_t(indices.size() / 3), indices.data(), nullptr, nullptr,
                                            influences.data()));
    body->SetName("body");

    QrPointer<Qr3dsSkinAndBone> binding(new Qr3dsSkinAndBone);
    binding->SetName("skeleton");
    binding->SetMode(QrAnimTiming::kModeUpdate);
    binding->SetCycleType(QrAnimTiming::kCycleLoop);
    binding->SetBeginTime(0.0f);
    binding->SetEndTime(3.0f);
    binding->SetRootBone(pelvis.Get());
    binding->AddSkin(body.Get());
    for (Qr3dsBone* bone : {pelvis.Get(), spine.Get(), neck.Get(), thigh.Get()})
        bone->SetLinkedObject(binding.Get());
    // Posed once, so the file holds the skin as the bones put it at time 0.
    binding->ApplyAtTime(0.0f);
    return {pelvis, body, binding};
}

// A 3 x 3 sheet that bulges up in the middle, then tilts, then flattens again (weights keys).
QrPointer<Qr3dsMorphShape> MakeMorphShape()
{
    std::vector<QrPoint3> flat, bulge, tilt;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
        {
            const QrPoint3 p(float(x) - 1.0f, float(y) - 1.0f, 0.0f);
            flat.push_back(p);
            bulge.push_back(QrPoint3(p.x, p.y, (x == 1 && y == 1) ? 1.0f : 0.0f));
            tilt.push_back(QrPoint3(p.x, p.y, 0.5f * p.x));
        }
    std::vector<uint16_t> indices;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
        {
            const uint16_t a = uint16_t(y * 3 + x), b = uint16_t(a + 1), c = uint16_t(a + 3), d = uint16_t(a + 4);
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    const std::vector<QrPoint3> normals(flat.size(), QrPoint3(0.0f, 0.0f, 1.0f));
    QrPointer<Qr3dsMorphShape> sheet(new Qr3dsMorphShape(uint16_t(flat.size()), flat.data(), normals.data(),
                                                         uint16_t(indices.size() / 3), indices.data(), nullptr,
                                                         nullptr));
    sheet->SetName("sheet");
    sheet->SetMode(QrAnimTiming::kModeUpdate);
    sheet->SetCycleType(QrAnimTiming::kCycleLoop);
    sheet->SetRecomputeNormals(1);
    OwnedKeys<QrFloatKey> keys;
    keys.Add(std::make_unique<QrMorphWeightsKey>(0.0f, std::vector<float>{0.0f, 0.0f, 0.0f}));
    keys.Add(std::make_unique<QrMorphWeightsKey>(1.0f, std::vector<float>{0.0f, 1.0f, 0.0f}));
    keys.Add(std::make_unique<QrMorphWeightsKey>(2.0f, std::vector<float>{0.0f, 0.5f, 1.0f}));
    keys.Add(std::make_unique<QrMorphWeightsKey>(3.0f, std::vector<float>{0.0f, 0.0f, 0.0f}));
    sheet->SetKeys(keys.Data(), keys.Count());
    const QrPoint3* targets[3] = {flat.data(), bulge.data(), tilt.data()};
    // Stored with absolute targets: the first apply turns them into offsets.
    sheet->SetTargets(targets, 3, uint16_t(flat.size()));
    return sheet;
}

// A fountain of 48 particles drawn as points: directed launches with jitter and spin, two
// particles already in the air, gravity, a floor below the nozzle and a ball above it.
QrPointer<Qr3dsParticleSystem> MakeFountain()
{
    const uint16_t capacity = 48;
    std::vector<QrPoint3> zeros(capacity, QrPoint3());
    std::vector<QrColorA> colours;
    for (uint16_t i = 0; i < capacity; ++i)
        colours.push_back(QrColorA(0.6f, 0.8f, 1.0f, 1.0f - float(i) / float(2 * capacity)));
    QrPointer<QrParticles> drops(new QrParticles(capacity, zeros.data(), nullptr, colours.data()));
    drops->SetName("drops");
    drops->SetParticleSize(0.05f);

    QrPointer<Qr3dsParticleSystem> fountain(new Qr3dsParticleSystem);
    fountain->SetName("fountain");
    fountain->SetMode(QrAnimTiming::kModeUpdate);
    fountain->SetBeginTime(0.0f);
    fountain->SetEndTime(3600.0f);
    fountain->SetMaxParticles(capacity);
    fountain->m_birthRate = 18.0f;
    fountain->m_lifeSpan = 2.5f;
    fountain->m_speed = 4.0f;
    fountain->m_speedVariation = 1.0f;
    fountain->m_emitterWidth = 0.4f;
    fountain->m_emitterHeight = 0.4f;
    fountain->m_directionJitter = 1.0f;
    fountain->SetDirection({0.0f, 0.25f, 1.0f});
    fountain->m_spinPeriod = 0.75f;
    fountain->m_spinPeriodVariation = 0.5f;
    fountain->m_launchMode = Qr3dsParticleSystem::kLaunchRandomAngle;
    for (float x : {-0.1f, 0.1f})
    {
        Qr3dsParticleSystem::SpawnRecord record;
        record.m_position = {x, 0.0f, 0.5f};
        record.m_velocity = {0.0f, 0.0f, 1.0f};
        fountain->AddStoredRecord(record);
    }
    fountain->AttachChild(drops.Get());
    fountain->SetGeometry(drops.Get());

    QrPointer<QrGravity> gravity(new QrGravity);
    gravity->SetName("gravity");
    gravity->m_direction = kZ;
    gravity->m_strength = 25.0f;
    fountain->AddForce(gravity.Get());
    QrPointer<QrPlanarCollider> basin(new QrPlanarCollider);
    basin->SetName("basin");
    basin->m_normal = kZ;
    basin->m_distance = 0.5f;
    basin->m_position = {0.0f, 0.0f, -0.5f};
    basin->m_heightAxis = {0.0f, 1.0f, 0.0f};
    basin->m_widthAxis = kX;
    basin->m_width = 6.0f;
    basin->m_height = 6.0f;
    basin->m_bounce = 0.5f;
    fountain->AddCollider(basin.Get());
    QrPointer<QrSphericalCollider> ball(new QrSphericalCollider);
    ball->SetName("ball");
    ball->m_center = {0.0f, 1.25f, 2.5f};
    ball->m_bounce = 0.8f;
    fountain->AddCollider(ball.Get());
    return fountain;
}

QrPointer<QrParticleBomb> MakeBlast()
{
    QrPointer<QrParticleBomb> blast(new QrParticleBomb);
    blast->SetName("blast");
    blast->m_range = 3.0f;
    blast->m_duration = 0.5f;
    blast->m_strength = 12.0f;
    blast->m_startTime = 1.0f;
    blast->m_falloff = QrParticleBomb::kFalloffLinear;
    blast->m_symmetry = QrParticleBomb::kSymmetryCylindrical;
    blast->m_position = {0.0f, 0.0f, 1.0f};
    blast->m_axis = kZ;
    return blast;
}

QrPointer<QrMeshCollider> MakeMeshCollider(QrObject* mesh)
{
    QrPointer<QrMeshCollider> collider(new QrMeshCollider);
    collider->SetName("rock surface");
    collider->SetMesh(mesh);
    collider->m_bounce = 0.3f;
    collider->m_reserved[0] = 1;
    return collider;
}

void GenerateSkinsAndParticles(Context& context)
{
    // The model's root holds the bone tree and the skin; the binding stands beside it.
    const SkinnedModel model = MakeSkinnedModel();
    QrPointer<QrNode> root(new QrNode);
    root->SetName("Scene Root");
    root->AttachChild(model.rootBone.Get());
    root->AttachChild(model.skin.Get());
    context.WriteScene("Data/Engine/Animation/skinned_model.qrf", {root.Get(), model.binding.Get()});
    QrPointer<Qr3dsMorphShape> sheet = MakeMorphShape();
    context.WriteScene("Data/Engine/Animation/morph_sheet.qrf", {sheet.Get()});
    QrPointer<QrNode> fountainRoot(new QrNode);
    fountainRoot->SetName("Scene Root");
    QrPointer<Qr3dsParticleSystem> fountain = MakeFountain();
    fountain->AttachProperty(MakeGlowMaterial("spray glow").Get());
    fountainRoot->AttachChild(fountain.Get());
    context.WriteScene("Data/Engine/Animation/fountain.qrf", {fountainRoot.Get()});

    // A rock in a spray: a blast pushes the particles off the rock's axis, and the rock's mesh
    // is named as a collider (which tests nothing).
    QrPointer<QrNode> blastRoot(new QrNode);
    blastRoot->SetName("Scene Root");
    QrPointer<QrTriShape> rock = MakeBox("rock", 0.5f, 0.5f, 0.5f, QrColorA(0.4f, 0.4f, 0.4f, 1.0f));
    blastRoot->AttachChild(rock.Get());
    QrPointer<Qr3dsParticleSystem> spray = MakeFountain();
    spray->SetName("spray");
    spray->AddForce(MakeBlast().Get());
    spray->AddCollider(MakeMeshCollider(rock.Get()).Get());
    spray->AttachProperty(MakeGlowMaterial("spray glow").Get());
    blastRoot->AttachChild(spray.Get());
    context.WriteScene("Data/Engine/Animation/blast.qrf", {blastRoot.Get()});
    // The bindings made here would otherwise live until exit.
    Qr3dsSkinAndBone::FreeSharedBuffers();
}

} // namespace gen
