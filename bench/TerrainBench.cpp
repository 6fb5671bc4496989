// A 4 x 4 block of 129-sample pages (the sample terrain: flat, slope and rough) seen from a camera
// that flies a loop over it, one position per iteration, 64 positions round.
//   Update:        the level-of-detail frame alone: reset, visibility, refinement, activation
//   UpdateAndDraw: the same, then the camera's frame through the recording renderer (logging
//                  off): the draw lists built and handed over
//   FullPage:      a rough page refined at tolerance 0 (every vertex with an error) and its list
//                  built: the worst case
// Counters: drawn triangles per frame and visible pages per frame.
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrTerrainPage.h"
#include "RecordingRender.h"
#include "gen/GenTerrain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{

constexpr int kPages = gen::kTerrainBlockPages;
constexpr int kPathSteps = 64;

class TerrainScene
{
public:
    TerrainScene()
        : m_root(new QrNode), m_render(new RecordingRender(640, 480)), m_display(new QrDisplay),
          m_camera(new QrCamera(1.0f, 2000.0f))
    {
        QrTerrainPage::CreateSharedArrays(gen::kTerrainPageSize);
        const float cells = float(gen::kTerrainPageSize - 1) * gen::kTerrainSpacing;
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
            {
                m_heights[p][q] = gen::TerrainPageHeights(p, q);
                m_pages[p][q] =
                    new QrTerrainPage(gen::kTerrainPageSize, cells * float(q), cells * float(p), gen::kTerrainMinHeight,
                                      gen::kTerrainMaxHeight, gen::kTerrainSpacing, m_heights[p][q].data(), true);
                m_root->AttachChild(m_pages[p][q].Get());
            }
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
            {
                if (q + 1 < kPages)
                    m_pages[p][q]->LinkColumnEdge(m_pages[p][q + 1].Get());
                if (p + 1 < kPages)
                    m_pages[p][q]->LinkRowEdge(m_pages[p + 1][q].Get());
            }
        m_root->UpdateAllInstances();
        m_render->SetLogArrays(false);
        m_render->SetLogQueries(false);
        m_display->SetRenderer(m_render.Get());
        m_camera->SetDisplay(m_display.Get());
        m_camera->SetSceneRoot(m_root.Get());
    }

    ~TerrainScene()
    {
        m_camera->SetSceneRoot(nullptr);
        QrTerrainPage::DeleteSharedArrays();
    }

    // A loop round the block's centre at 110 units, looking ahead and down.
    void MoveTo(int step)
    {
        const float angle = 6.2831853f * float(step % kPathSteps) / float(kPathSteps);
        const float x = 256.0f + 180.0f * std::cos(angle), y = 256.0f + 180.0f * std::sin(angle);
        m_camera->SetTranslate(x, y, 110.0f);
        m_camera->UpdateAllInstances();
        m_camera->LookAt(QrPoint3(x - 90.0f * std::sin(angle), y + 90.0f * std::cos(angle), 40.0f),
                         QrPoint3(0.0f, 0.0f, 1.0f));
    }

    // The sector's frame: every page reset, then each visible one refined; returns visible pages.
    int UpdateLOD()
    {
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
                m_pages[p][q]->ResetLOD();
        const QrPoint3 eye = m_camera->GetWorldLocation();
        int visible = 0;
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
            {
                QrTerrainPage* page = m_pages[p][q].Get();
                const bool seen = page->IsVisible(m_camera.Get());
                if (seen)
                    page->UpdateLOD(m_camera.Get(), eye);
                page->SetAppCulled(seen ? 0 : 1);
                visible += seen;
            }
        return visible;
    }

    // Triangles drawn in the frame.
    uint32_t Draw()
    {
        m_camera->RenderFrame(0.0f, 0.0f);
        m_render->ClearLog();
        uint32_t triangles = 0;
        for (int p = 0; p < kPages; ++p)
            for (int q = 0; q < kPages; ++q)
                if (!m_pages[p][q]->GetAppCulled())
                    triangles += m_pages[p][q]->GetDrawTriangleCount();
        return triangles;
    }

    QrCamera* Camera() const { return m_camera.Get(); }
    QrTerrainPage* Page(int p, int q) const { return m_pages[p][q].Get(); }

private:
    std::vector<uint16_t> m_heights[kPages][kPages];
    QrPointer<QrTerrainPage> m_pages[kPages][kPages];
    QrPointer<QrNode> m_root;
    QrPointer<RecordingRender> m_render;
    QrPointer<QrDisplay> m_display;
    QrPointer<QrCamera> m_camera;
};

void BM_Update(benchmark::State& state)
{
    TerrainScene scene;
    int step = 0;
    int64_t visible = 0;
    for (auto _ : state)
    {
        scene.MoveTo(step++);
        visible += scene.UpdateLOD();
    }
    state.counters["pages"] = benchmark::Counter(double(visible), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Update)->Unit(benchmark::kMicrosecond);

void BM_UpdateAndDraw(benchmark::State& state)
{
    TerrainScene scene;
    int step = 0;
    int64_t visible = 0, triangles = 0;
    for (auto _ : state)
    {
        scene.MoveTo(step++);
        visible += scene.UpdateLOD();
        triangles += scene.Draw();
    }
    state.counters["pages"] = benchmark::Counter(double(visible), benchmark::Counter::kAvgIterations);
    state.counters["triangles"] = benchmark::Counter(double(triangles), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_UpdateAndDraw)->Unit(benchmark::kMicrosecond);

void BM_FullPage(benchmark::State& state)
{
    TerrainScene scene;
    QrTerrainPage* page = scene.Page(1, 3); // rough
    const QrPoint3 center = page->GetModelBound().GetCenter();
    scene.Camera()->SetTranslate(center.x + 0.25f, center.y + 0.25f, center.z + 400.0f);
    scene.Camera()->UpdateAllInstances();
    scene.Camera()->LookAt(center, QrPoint3(0.0f, 0.0f, 1.0f));
    page->SetPixelTolerance(scene.Camera(), 0.0f);
    int64_t triangles = 0;
    for (auto _ : state)
    {
        page->ResetLOD();
        if (page->IsVisible(scene.Camera()))
            page->UpdateLOD(scene.Camera(), scene.Camera()->GetWorldLocation());
        page->PushState(scene.Camera(), page->GetCurrentInstance());
        triangles += page->GetDrawTriangleCount();
    }
    state.counters["triangles"] = benchmark::Counter(double(triangles), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullPage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
