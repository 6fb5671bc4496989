#include "SpanShader.h"

#include "SpanShaderIncludes.h"

namespace plat
{
namespace span_baseline
{
#include "SpanShaderImpl.h"
} // namespace span_baseline

bool RasterPathAvailable(RasterPath path)
{
    switch (path)
    {
    case RasterPath::Avx2:
#ifdef QR_SPAN_AVX2
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    default:
        return true;
    }
}

void ChooseSpanFunction(RasterSetup& s, RasterPath path)
{
    s.span = nullptr;
    if (path == RasterPath::Best)
        path = RasterPathAvailable(RasterPath::Avx2) ? RasterPath::Avx2 : RasterPath::Baseline;
    if (path == RasterPath::Reference || !RasterPathAvailable(path) || (s.depth && s.depthWide))
        return;
    if (s.combine)
    {
        if (!s.combiner.PlainStage(s.plainColor, s.plainAlpha))
            return;
        const bool readsTexel = s.plainColor != Combiner::Plain::Diffuse || s.plainAlpha != Combiner::Plain::Diffuse;
        if (readsTexel && !(s.sampled[0] && s.samplers[0].PlainRgb565()))
            return;
        s.spanPow2 = s.sampled[0] && s.samplers[0].AllPow2();
    }
#ifdef QR_SPAN_AVX2
    if (path == RasterPath::Avx2)
    {
        s.span = span_avx2::Function();
        return;
    }
#endif
    s.span = &span_baseline::ShadeSpans;
}

} // namespace plat
