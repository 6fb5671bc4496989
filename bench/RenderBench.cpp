// Frame time of the large sample scene (about 19,000 textured, lit triangles in ten layers that
// each cover the 640 x 480 screen) through the renderer: once with a rasterizer that only
// measures what it is given (the transform, clip, light and emit work), once with the
// display's own rasterizer (the whole frame). The difference is the rasterization; pixels per
// second count the screen area of the triangles the device was asked to fill.
#include "HeadlessRenderer.h"
#include "QrAVObject.h"
#include "QrCamera.h"
#include "QrEngineCoreClasses.h"
#include "QrStream.h"
#include "Rasterizer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace
{

// Draws nothing; adds up the screen area of every triangle it is handed.
class AreaRasterizer : public plat::Rasterizer
{
public:
    explicit AreaRasterizer(double* area) : m_area(area) {}

    void Draw(const plat::DrawCall& call) override
    {
        if (call.primitive != plat::PrimitiveType::TriangleList || !call.indices)
            return;
        const uint32_t stride = plat::VertexStride(call.format);
        auto at = [&](uint32_t i, float& x, float& y)
        {
            plat::TlVertex1 v;
            std::memcpy(&v, call.vertices + size_t{call.indices[i]} * stride, sizeof v);
            x = v.x;
            y = v.y;
        };
        for (uint32_t t = 0; t + 2 < call.indexCount; t += 3)
        {
            float x0, y0, x1, y1, x2, y2;
            at(t, x0, y0);
            at(t + 1, x1, y1);
            at(t + 2, x2, y2);
            *m_area += std::fabs((x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)) * 0.5;
        }
    }

private:
    double* m_area;
};

// The renderer made as the game makes it, on a headless window, with the scene loaded.
class Rig
{
public:
    explicit Rig(plat::RasterizerFactory rasterizer) : m_rig(std::move(rasterizer))
    {
        RegisterEngineCoreClasses();
        if (!m_rig.GetRenderer())
            return;
        m_stream = std::make_unique<QrStream>();
        if (!m_stream->Load((std::string(QR_DATA_DIR) + "/Data/Engine/Render/large_scene.qrf").c_str()))
            return;
        for (uint32_t i = 0; i < m_stream->GetLoadedCount() && !m_camera; ++i)
            m_camera = QrDynamicCast<QrCamera>(m_stream->GetLoadedAt(i));
        if (!m_camera || !m_camera->GetSceneRoot())
            return;
        m_camera->GetSceneRoot()->UpdateAllInstances();
        m_camera->UpdateAllInstances();
        m_camera->SetDisplay(m_rig.GetDisplay());
        m_camera->SetViewportFromDisplay(3);
    }

    ~Rig()
    {
        if (m_camera)
            m_camera->SetDisplay(nullptr);
        m_camera = nullptr;
        m_stream.reset();
    }

    bool Ready() const { return m_camera != nullptr; }

    // Colour and depth cleared every frame, as the game's frame does: without it most of the
    // scene would fail the depth test from the second frame on.
    void Frame()
    {
        m_camera->SetViewportFromDisplay(3);
        m_camera->RenderFrame(0.0f, 0.0f);
        m_rig.GetDisplay()->EndFrame();
    }

private:
    HeadlessRenderer m_rig;
    std::unique_ptr<QrStream> m_stream;
    QrPointer<QrCamera> m_camera;
};

void TransformClipLight(benchmark::State& state)
{
    double area = 0.0;
    Rig rig([&area] { return std::make_unique<AreaRasterizer>(&area); });
    if (!rig.Ready())
    {
        state.SkipWithError("the large sample scene did not load");
        return;
    }
    rig.Frame();
    const double perFrame = area;
    for (auto _ : state)
        rig.Frame();
    state.counters["pixels_per_frame"] = perFrame;
}
BENCHMARK(TransformClipLight)->Unit(benchmark::kMillisecond);

void WholeFrame(benchmark::State& state)
{
    double area = 0.0;
    {
        Rig counter([&area] { return std::make_unique<AreaRasterizer>(&area); });
        if (!counter.Ready())
        {
            state.SkipWithError("the large sample scene did not load");
            return;
        }
        counter.Frame();
    }
    // The display's default rasterizer.
    Rig rig(plat::RasterizerFactory{});
    for (auto _ : state)
        rig.Frame();
    state.counters["pixels_per_second"] =
        benchmark::Counter(area * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(WholeFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
