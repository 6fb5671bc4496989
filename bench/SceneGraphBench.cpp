// Cull-and-draw traversal of a large scene through a renderer that only counts: 10,001 nodes
// (a root, 100 groups of 99) holding 5,000 box shapes. Reports scene objects (nodes and shapes)
// traversed per millisecond.
//   BM_DrawAllInView      every object inside the frustum
//   BM_DrawPartlyCulled   the camera close to one corner: most groups culled at their bound
//   BM_UpdateAndDraw      world update of the whole tree, then the frame (world arrays rebuilt)

#include "QrCamera.h"
#include "QrColorA.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrProperty.h"
#include "RecordingRender.h"
#include "gen/SampleShapes.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace
{

constexpr int kGroups = 100;
constexpr int kNodesPerGroup = 99;
constexpr int kShapesPerGroup = 50;
constexpr double kObjects = 1 + kGroups + kGroups * kNodesPerGroup + kGroups * kShapesPerGroup;

// Counts the per-draw calls instead of writing them down.
class CountingRender : public RecordingRender
{
public:
    void SetClipPlanes(const QrPlane* const*, uint32_t, uint32_t, uint32_t) override {}
    void SetWorldTransform(const QrPoint3&, const QrMatrix3&, float) override {}
    uint32_t RenderShape(uint16_t, uint16_t, const QrPoint3*, const QrPoint3*, const QrPlane*, uint16_t,
                         const QrPoint3*, const QrColorA*, const uint16_t*, const QrBound&, const QrPoint3&) override
    {
        ++m_shapes;
        return 0;
    }

    uint64_t m_shapes = 0;
};

struct Scene
{
    QrPointer<QrNode> root{new QrNode};
    QrPointer<CountingRender> render{new CountingRender};
    QrPointer<QrDisplay> display{new QrDisplay};
    QrPointer<QrCamera> camera{new QrCamera(1.0f, 1000.0f)};

    Scene()
    {
        QrProperty::CreateDefaults();
        render->SetLogQueries(false);
        render->SetLogArrays(false);
        display->SetRenderer(render.Get());
        // Groups on a 10 x 10 grid 20 apart; in each, nodes on a grid 2 apart, every other one
        // holding its own box.
        const QrColorA grey(0.5f, 0.5f, 0.5f, 1);
        for (int g = 0; g < kGroups; ++g)
        {
            QrPointer<QrNode> group(new QrNode);
            group->SetTranslate(float(g % 10) * 20.0f - 90.0f, 0.0f, float(g / 10) * 20.0f - 90.0f);
            for (int n = 0; n < kNodesPerGroup; ++n)
            {
                QrPointer<QrNode> node(new QrNode);
                node->SetTranslate(float(n % 10) * 2.0f - 9.0f, 0.0f, float(n / 10) * 2.0f - 9.0f);
                if (n % 2 == 0)
                    node->AttachChild(gen::MakeBox(nullptr, 0.5f, 0.5f, 0.5f, grey).Get());
                group->AttachChild(node.Get());
            }
            root->AttachChild(group.Get());
        }
        root->UpdateAllInstances();
        camera->SetDisplay(display.Get());
        camera->SetSceneRoot(root.Get());
    }

    ~Scene() { camera->SetSceneRoot(nullptr); }

    void LookFrom(const QrPoint3& eye, const QrPoint3& target)
    {
        camera->SetTranslate(eye.x, eye.y, eye.z);
        camera->Update(camera->GetCurrentInstance());
        camera->LookAt(target, QrPoint3(0, 1, 0));
    }

    void Frame(benchmark::State& state, bool update)
    {
        render->m_shapes = 0;
        uint64_t frames = 0;
        const auto start = std::chrono::steady_clock::now();
        for (auto _ : state)
        {
            if (update)
                root->UpdateAllInstances();
            camera->RenderFrame(0.0f, 0.0f);
            render->ClearLog();
            ++frames;
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.counters["nodes_per_ms"] = ms > 0.0 ? kObjects * double(frames) / ms : 0.0;
        state.counters["drawn"] = frames ? double(render->m_shapes) / double(frames) : 0.0;
    }
};

void BM_DrawAllInView(benchmark::State& state)
{
    Scene scene;
    scene.LookFrom(QrPoint3(0, 250, 250), QrPoint3(0, 0, 0));
    scene.Frame(state, false);
}
BENCHMARK(BM_DrawAllInView)->Unit(benchmark::kMillisecond);

void BM_DrawPartlyCulled(benchmark::State& state)
{
    Scene scene;
    scene.LookFrom(QrPoint3(-100, 10, -100), QrPoint3(-60, 0, -60));
    scene.Frame(state, false);
}
BENCHMARK(BM_DrawPartlyCulled)->Unit(benchmark::kMillisecond);

void BM_UpdateAndDraw(benchmark::State& state)
{
    Scene scene;
    scene.LookFrom(QrPoint3(0, 250, 250), QrPoint3(0, 0, 0));
    scene.Frame(state, true);
}
BENCHMARK(BM_UpdateAndDraw)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
