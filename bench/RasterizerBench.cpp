// The software rasterizer on the benchmarks' game-like frame (RasterBenchFrame.h). Each
// iteration clears colour and depth and draws the frame; "frames/s" and "pixels/s" (covered
// pixels, depth-rejected ones included) are the rates of interest.
#include "RasterBenchFrame.h"
#include "SoftwareRasterizer.h"

#include <benchmark/benchmark.h>

using namespace rasterbench;

namespace
{

void Run(benchmark::State& state, Case c)
{
    Frame frame;
    SetCase(frame, c);
    plat::SoftwareRasterizer rasterizer;
    for (auto _ : state)
    {
        frame.Draw(rasterizer);
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = static_cast<double>(frame.TriangleCount());
    state.counters["frames/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pixels/s"] =
        benchmark::Counter(double{kWidth} * kHeight * kLayers, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TexturedGouraudDepth(benchmark::State& state)
{
    Run(state, Case::TexturedPoint);
}

void BM_BilinearMipmappedFogged(benchmark::State& state)
{
    Run(state, Case::BilinearMipmappedFogged);
}

void BM_UntexturedBlended(benchmark::State& state)
{
    Run(state, Case::UntexturedBlended);
}

} // namespace

BENCHMARK(BM_TexturedGouraudDepth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BilinearMipmappedFogged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UntexturedBlended)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
