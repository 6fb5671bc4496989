#include "SpanShader.h"

#include "SpanShaderIncludes.h"

namespace plat
{
namespace
{

// Every part's loops, the keys that share a loop pointing to it. Filled on first use.
template <uint32_t... Parts> struct SpanTables
{
    SpanFunction baseline[kSpanKeyCount] = {};
    SpanFunction avx2[kSpanKeyCount] = {};

    SpanTables()
    {
#ifndef QR_SPAN_REFERENCE_ONLY
        (span_baseline::AddSpanLoops<Parts>(baseline), ...);
#endif
#ifdef QR_SPAN_AVX2
        (span_avx2::AddSpanLoops<Parts>(avx2), ...);
#endif
        for (uint32_t key = 0; key < kSpanKeyCount; ++key)
        {
            baseline[key] = baseline[NormalizedSpanKey(key)];
            avx2[key] = avx2[NormalizedSpanKey(key)];
        }
    }
};

template <uint32_t... Parts> auto MakeTables(std::integer_sequence<uint32_t, Parts...>)
{
    return SpanTables<Parts...>();
}

const auto& Tables()
{
    static const auto tables = MakeTables(std::make_integer_sequence<uint32_t, kSpanParts>{});
    return tables;
}

} // namespace

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

RasterPath EffectivePath(RasterPath path)
{
    if (path == RasterPath::Best)
        return RasterPathAvailable(RasterPath::Avx2) ? RasterPath::Avx2 : RasterPath::Baseline;
    return RasterPathAvailable(path) ? path : RasterPath::Reference;
}

void ChooseSpanFunction(RasterSetup& s, RasterPath path)
{
    s.span = nullptr;
    path = EffectivePath(path);
    if (path == RasterPath::Reference || (s.depth && s.depthWide))
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
        s.span = Tables().avx2[key];
        return;
    }
#endif
    s.span = Tables().baseline[key];
}

} // namespace plat
