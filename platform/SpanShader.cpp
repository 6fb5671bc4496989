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
    uint32_t key = s.depth ? kSpanDepth : 0;
    key |= s.fog ? kSpanFog : 0;
    if (s.blend)
    {
        const bool alpha = s.srcBlend == BlendFactor::SrcAlpha && s.destBlend == BlendFactor::InvSrcAlpha;
        key |= (alpha ? kSpanBlendAlpha : kSpanBlendAny) << kSpanBlendShift;
    }
    if (s.combine && (s.plainColor != Combiner::Plain::Diffuse || s.plainAlpha != Combiner::Plain::Diffuse))
    {
        const TextureSampler& t = s.samplers[0];
        // Without a level of detail the loop addresses the base level from one pointer.
        const TextureSampler::Level& base = t.LevelAt(0);
        if (!t.NeedsLod() && static_cast<int64_t>(base.pitch) * base.height >= (int64_t{1} << 31))
            return;
        const uint32_t tex = t.NeedsLod() ? kSpanTexLod : (t.MagLinear() ? kSpanTexBilinear : kSpanTexPoint);
        key |= tex << kSpanTexShift;
    }
#ifdef QR_SPAN_AVX2
    if (path == RasterPath::Avx2)
    {
        s.span = span_avx2::SpanFunctionFor(key);
        return;
    }
#endif
    s.span = span_baseline::SpanFunctionFor(key);
}

} // namespace plat
