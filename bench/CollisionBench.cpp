// Swept collision of two 2,000-triangle spheres of radius 1, the second starting 2.5 away. The
// argument is how far it closes over the step, in hundredths: 100 meets half way and ends 0.5
// deep; 55 ends 0.05 deep.
//   Build:          the box tree of one mesh
//   Test/Find:      the tree queries alone (world boxes already placed), down to the triangles
//   FindBoxes:      the same search stopped 4 levels down each tree
//   ShapeQuery:     the whole geometry entry point: bound gate, placement, box refresh, search
#include "QrCollisionData.h"
#include "QrCollisionRecord.h"
#include "QrContact.h"
#include "QrTriShape.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace
{

struct Mesh
{
    std::vector<QrPoint3> vertices;
    std::vector<uint16_t> indices;
    uint16_t TriangleCount() const { return uint16_t(indices.size() / 3); }
};

// 26 rings of 40 segments: 2 x 26 x 40 - 2 x 40 = 2,000 triangles.
Mesh Sphere(float radius)
{
    const int rings = 26, segments = 40;
    Mesh mesh;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= segments; ++s)
        {
            const double theta = 3.14159265358979 * r / rings, phi = 2.0 * 3.14159265358979 * s / segments;
            mesh.vertices.push_back(QrPoint3(float(radius * std::sin(theta) * std::cos(phi)),
                                             float(radius * std::sin(theta) * std::sin(phi)),
                                             float(radius * std::cos(theta))));
        }
    const int row = segments + 1;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const uint16_t a = uint16_t(r * row + s), b = uint16_t(a + 1), c = uint16_t(a + row), d = uint16_t(c + 1);
            if (r != 0)
                mesh.indices.insert(mesh.indices.end(), {a, b, d});
            if (r != rings - 1)
                mesh.indices.insert(mesh.indices.end(), {a, d, c});
        }
    return mesh;
}

constexpr float kStart = 2.5f;

QrPoint3 Velocity(const benchmark::State& state)
{
    return QrPoint3(-0.01f * float(state.range(0)), 0.0f, 0.0f);
}

int64_t g_contacts = 0;

int32_t CountContact(QrContact*)
{
    ++g_contacts;
    return 0;
}

// Both collision data placed for the step, as the geometry would before a query.
struct Pair
{
    explicit Pair(const QrPoint3& velocity) : mesh(Sphere(1.0f))
    {
        worldA = mesh.vertices;
        for (const QrPoint3& v : mesh.vertices)
            worldB.push_back(v + QrPoint3(kStart, 0, 0));
        a = std::make_unique<QrCollisionData>(mesh.TriangleCount(), mesh.indices.data(), mesh.vertices.data(),
                                              worldA.data(), 0);
        b = std::make_unique<QrCollisionData>(mesh.TriangleCount(), mesh.indices.data(), mesh.vertices.data(),
                                              worldB.data(), 0);
        QrMatrix3 identity;
        identity.MakeIdentity();
        a->SetWorldTransform(identity, QrPoint3(), 1.0f);
        b->SetWorldTransform(identity, QrPoint3(kStart, 0, 0), 1.0f);
        a->SetTimeInterval(1.0f);
        b->SetTimeInterval(1.0f);
        b->SetVelocity(velocity);
    }
    Mesh mesh;
    std::vector<QrPoint3> worldA, worldB;
    std::unique_ptr<QrCollisionData> a, b;
};

void BM_Build(benchmark::State& state)
{
    const Mesh mesh = Sphere(1.0f);
    for (auto _ : state)
    {
        QrCollisionData data(mesh.TriangleCount(), mesh.indices.data(), mesh.vertices.data(), mesh.vertices.data(), 0);
        benchmark::DoNotOptimize(data.GetRoot());
    }
    state.counters["triangles"] = mesh.TriangleCount();
}
BENCHMARK(BM_Build)->Unit(benchmark::kMicrosecond);

void BM_Test(benchmark::State& state)
{
    Pair pair(Velocity(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(pair.a->TestCollision(pair.b.get(), -1, -1));
}
BENCHMARK(BM_Test)->Arg(100)->Arg(55)->Unit(benchmark::kMicrosecond);

// Contacts are counted through a shape's callback: the search reports every pair it reaches.
void RunFind(benchmark::State& state, int32_t budget)
{
    Pair pair(Velocity(state));
    const QrPoint3 corner[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t one[] = {0, 1, 2};
    QrPointer<QrTriShape> reported(new QrTriShape(3, corner, nullptr, 1, one, nullptr, nullptr));
    reported->GetCurrentInstance()->m_collisionCallback = CountContact;
    g_contacts = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(pair.a->FindCollisions(pair.b.get(), reported.Get(), nullptr, budget, budget));
    state.counters["contacts/query"] = double(g_contacts) / double(state.iterations());
}

void BM_Find(benchmark::State& state)
{
    RunFind(state, -1);
}
BENCHMARK(BM_Find)->Arg(100)->Arg(55)->Unit(benchmark::kMicrosecond);

void BM_FindBoxes(benchmark::State& state)
{
    RunFind(state, 4);
}
BENCHMARK(BM_FindBoxes)->Arg(100)->Arg(55)->Unit(benchmark::kMicrosecond);

void BM_ShapeQuery(benchmark::State& state)
{
    const Mesh mesh = Sphere(1.0f);
    QrPointer<QrTriShape> a(new QrTriShape(uint16_t(mesh.vertices.size()), mesh.vertices.data(), nullptr,
                                           mesh.TriangleCount(), mesh.indices.data(), nullptr, nullptr));
    QrPointer<QrTriShape> b(new QrTriShape(uint16_t(mesh.vertices.size()), mesh.vertices.data(), nullptr,
                                           mesh.TriangleCount(), mesh.indices.data(), nullptr, nullptr));
    b->SetTranslate(kStart, 0, 0);
    b->GetVelocity() = Velocity(state);
    a->Update(a->GetCurrentInstance());
    b->Update(b->GetCurrentInstance());
    a->GetCurrentInstance()->m_collisionCallback = CountContact;
    QrCollisionRecord ra, rb;
    ra.m_reportedObject = ra.m_object = a.Get();
    ra.m_instance = a->GetCurrentInstance();
    rb.m_reportedObject = rb.m_object = b.Get();
    rb.m_instance = b->GetCurrentInstance();
    g_contacts = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(a->FindCollisions(1.0f, ra, rb));
    state.counters["contacts/query"] = double(g_contacts) / double(state.iterations());
}
BENCHMARK(BM_ShapeQuery)->Arg(100)->Arg(55)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
