// One animation frame of a busy scene, at 30 frames a second of animation time:
//   Skins:      200 skinned models of 1,000 vertices (a tube of 25 rings on a chain of five
//               turning bones; rigid rings and two-bone blends), normals recomputed
//   Particles:  20 fountains of 500 particles (gravity, a floor and a ball), kept full
//   Frame:      both, as one frame of the game would run them
// The time reported is per frame.
#include "Qr3dsBone.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrEngineAnimationClasses.h"
#include "QrGravity.h"
#include "QrLinearRotKey.h"
#include "QrParticles.h"
#include "QrPlanarCollider.h"
#include "QrSphericalCollider.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace
{

constexpr int kModels = 200;
constexpr int kSystems = 20;
constexpr uint16_t kParticles = 500;
constexpr float kFrame = 1.0f / 30.0f;

// 25 rings of 40 vertices around a chain of five bones, one per five rings, each turning
// back and forth about x; the rings between two bones blend them.
QrPointer<Qr3dsSkinAndBone> MakeModel()
{
    const int rings = 25, segments = 40, bones = 5;
    std::vector<QrPointer<Qr3dsBone>> chain;
    for (int b = 0; b < bones; ++b)
    {
        QrPointer<Qr3dsBone> bone(new Qr3dsBone);
        bone->SetTranslate(0.0f, 0.0f, b == 0 ? 0.0f : 1.0f);
        std::vector<std::unique_ptr<QrRotKey>> keys;
        std::vector<QrRotKey*> pointers;
        for (int k = 0; k < 3; ++k)
        {
            const float angle = k == 1 ? 0.3f + 0.05f * float(b) : 0.0f;
            keys.push_back(std::make_unique<QrLinearRotKey>(float(k), angle, QrPoint3(1.0f, 0.0f, 0.0f)));
            pointers.push_back(keys.back().get());
        }
        bone->SetRotKeys(pointers.data(), int32_t(pointers.size()));
        bone->SetCycleType(QrAnimTiming::kCycleLoop);
        if (b > 0)
            chain.back()->AttachChild(bone.Get());
        chain.push_back(bone);
    }

    std::vector<QrPoint3> vertices, normals;
    std::vector<Qr3dsSkin::Influence> influences;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const double phi = 2.0 * 3.14159265358979 * s / segments;
            const QrPoint3 n(float(std::cos(phi)), float(std::sin(phi)), 0.0f);
            const QrPoint3 p(0.3f * n.x, 0.3f * n.y, 0.2f * float(r));
            vertices.push_back(p);
            normals.push_back(n);
            const int b = std::min(r / 5, bones - 1);
            const QrPoint3 local(p.x, p.y, p.z - float(b));
            if (r % 5 != 4 || b + 1 >= bones)
            {
                influences.emplace_back(Qr3dsSkin::kRigid, local, chain[size_t(b)].Get());
                continue;
            }
            influences.emplace_back(0.5f, local, chain[size_t(b)].Get());
            influences.back().Append(0.5f, QrPoint3(p.x, p.y, p.z - float(b + 1)), chain[size_t(b + 1)].Get());
        }
    std::vector<uint16_t> indices;
    for (int r = 0; r + 1 < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const uint16_t a = uint16_t(r * segments + s), c = uint16_t(r * segments + (s + 1) % segments);
            indices.insert(indices.end(),
                           {a, c, uint16_t(c + segments), a, uint16_t(c + segments), uint16_t(a + segments)});
        }
    QrPointer<Qr3dsSkin> skin(new Qr3dsSkin(uint16_t(vertices.size()), vertices.data(), normals.data(),
                                            uint16_t(indices.size() / 3), indices.data(), nullptr, nullptr,
                                            influences.data()));
    QrPointer<Qr3dsSkinAndBone> binding(new Qr3dsSkinAndBone);
    binding->SetMode(QrAnimTiming::kModeUpdate);
    binding->SetRootBone(chain[0].Get());
    binding->AddSkin(skin.Get());
    return binding;
}

// A fountain that keeps about 500 particles in the air: 250 born a second, living 2 s.
QrPointer<Qr3dsParticleSystem> MakeFountain()
{
    const std::vector<QrPoint3> zeros(kParticles, QrPoint3());
    QrPointer<QrParticles> drops(new QrParticles(kParticles, zeros.data(), nullptr, nullptr));
    QrPointer<Qr3dsParticleSystem> fountain(new Qr3dsParticleSystem);
    fountain->SetMode(QrAnimTiming::kModeUpdate);
    fountain->SetBeginTime(0.0f);
    fountain->SetEndTime(1e6f);
    fountain->SetMaxParticles(kParticles);
    fountain->m_birthRate = 250.0f;
    fountain->m_lifeSpan = 2.0f;
    fountain->m_speed = 4.0f;
    fountain->m_speedVariation = 1.0f;
    fountain->m_directionJitter = 1.0f;
    fountain->SetDirection({0.0f, 0.25f, 1.0f});
    fountain->m_spinPeriod = 0.75f;
    fountain->AttachChild(drops.Get());
    fountain->SetGeometry(drops.Get());
    QrPointer<QrGravity> gravity(new QrGravity);
    gravity->m_direction = {0.0f, 0.0f, 1.0f};
    gravity->m_strength = 25.0f;
    fountain->AddForce(gravity.Get());
    QrPointer<QrPlanarCollider> floor(new QrPlanarCollider);
    floor->m_normal = {0.0f, 0.0f, 1.0f};
    floor->m_distance = 0.5f;
    floor->m_position = {0.0f, 0.0f, -0.5f};
    floor->m_heightAxis = {0.0f, 1.0f, 0.0f};
    floor->m_width = 8.0f;
    floor->m_height = 8.0f;
    floor->m_bounce = 0.5f;
    fountain->AddCollider(floor.Get());
    QrPointer<QrSphericalCollider> ball(new QrSphericalCollider);
    ball->m_center = {0.0f, 1.25f, 2.5f};
    ball->m_bounce = 0.8f;
    fountain->AddCollider(ball.Get());
    return fountain;
}

class Scene
{
public:
    Scene(bool skins, bool particles)
    {
        RegisterEngineAnimationClasses();
        for (int i = 0; skins && i < kModels; ++i)
            m_models.push_back(MakeModel());
        for (int i = 0; particles && i < kSystems; ++i)
            m_systems.push_back(MakeFountain());
        // Two seconds in, so every fountain is full.
        while (m_time < 2.0f)
            Frame();
    }
    ~Scene()
    {
        m_models.clear();
        m_systems.clear();
        Qr3dsSkinAndBone::FreeSharedBuffers();
    }

    void Frame()
    {
        m_time += kFrame;
        for (const auto& model : m_models)
            static_cast<QrAnimTiming&>(*model).Update(m_time);
        for (const auto& system : m_systems)
            static_cast<QrAnimTiming&>(*system).Update(m_time);
    }

    uint32_t Particles() const
    {
        uint32_t n = 0;
        for (const auto& system : m_systems)
            n += system->GetActiveCount();
        return n;
    }

private:
    std::vector<QrPointer<Qr3dsSkinAndBone>> m_models;
    std::vector<QrPointer<Qr3dsParticleSystem>> m_systems;
    float m_time = 0.0f;
};

void Run(benchmark::State& state, bool skins, bool particles)
{
    Scene scene(skins, particles);
    for (auto _ : state)
        scene.Frame();
    state.counters["particles"] = double(scene.Particles());
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void Skins(benchmark::State& state)
{
    Run(state, true, false);
}

void Particles(benchmark::State& state)
{
    Run(state, false, true);
}

void Frame(benchmark::State& state)
{
    Run(state, true, true);
}

} // namespace

BENCHMARK(Skins)->Unit(benchmark::kMillisecond);
BENCHMARK(Particles)->Unit(benchmark::kMillisecond);
BENCHMARK(Frame)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
