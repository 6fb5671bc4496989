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
    rasterizer.SetThreads(static_cast<uint32_t>(state.range(0)));
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

// The argument is the number of threads filling triangles (1: the caller's only).
BENCHMARK(BM_TexturedGouraudDepth)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(4)->UseRealTime();
BENCHMARK(BM_BilinearMipmappedFogged)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(4)->UseRealTime();
BENCHMARK(BM_UntexturedBlended)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(4)->UseRealTime();

BENCHMARK_MAIN();
