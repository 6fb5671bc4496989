#include "RasterSpans.h"

#include <array>
#include <cstring>
#include <utility>

namespace plat
{
namespace
{

constexpr uint32_t kDepthTest = 0x1;
constexpr uint32_t kDepthWrite = 0x2;
constexpr uint32_t kCombine = 0x4;
constexpr uint32_t kBlend = 0x8;

// log2(x) for x > 0 from the float's exponent and mantissa, linear between powers of two:
// cheap and the same on every machine.
inline float Log2Approx(float x)
{
    if (!(x > 1e-30f))
        return -100.0f;
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int32_t exponent = static_cast<int32_t>(bits >> 23) - 127;
    const float mantissa = static_cast<float>(bits & 0x7FFFFF) * (1.0f / 8388608.0f);
    return static_cast<float>(exponent) + mantissa;
}

// Texels of level 0 per pixel, as log2: the larger of the texture's footprint along x and y.
inline float LevelOfDetail(const RasterSetup& s, const TextureSampler& t, const Span& sp, uint32_t set, float u,
                           float v, float invW)
{
    const uint32_t iu = kAttrU0 + 2 * set;
    const uint32_t iv = iu + 1;
    // u = U / W with U and W linear on screen: du/dx = (dU/dx - u dW/dx) / W.
    const float wdx = s.perspective ? sp.dx[kAttrW] : 0.0f;
    const float wdy = s.perspective ? sp.dy[kAttrW] : 0.0f;
    const float scale = s.perspective ? invW : 1.0f;
    const float dudx = (sp.dx[iu] - u * wdx) * scale * t.BaseWidth();
    const float dvdx = (sp.dx[iv] - v * wdx) * scale * t.BaseHeight();
    const float dudy = (sp.dy[iu] - u * wdy) * scale * t.BaseWidth();
    const float dvdy = (sp.dy[iv] - v * wdy) * scale * t.BaseHeight();
    const float rx = dudx * dudx + dvdx * dvdx;
    const float ry = dudy * dudy + dvdy * dvdy;
    return 0.5f * Log2Approx(rx > ry ? rx : ry);
}

inline int32_t BlendChannel(BlendFactor f, int32_t src, int32_t srcAlpha, int32_t dest)
{
    switch (f)
    {
    case BlendFactor::Zero:
        return 0;
    case BlendFactor::One:
        return 255;
    case BlendFactor::SrcColor:
        return src;
    case BlendFactor::InvSrcColor:
        return 255 - src;
    case BlendFactor::SrcAlpha:
        return srcAlpha;
    case BlendFactor::InvSrcAlpha:
        return 255 - srcAlpha;
    case BlendFactor::DestAlpha: // the target has no alpha: it reads as opaque
        return 255;
    case BlendFactor::DestColor:
        return dest;
    case BlendFactor::InvDestColor:
        return 255 - dest;
    default: // InvDestAlpha; SrcAlphaSat = min(source alpha, 1 - destination alpha)
        return 0;
    }
}

inline Rgba Blend(const RasterSetup& s, const Rgba& src, const Rgba& dest)
{
    auto channel = [&](int32_t sc, int32_t dc)
    {
        return AddSat(Mul255(sc, BlendChannel(s.srcBlend, sc, src.a, dc)),
                      Mul255(dc, BlendChannel(s.destBlend, sc, src.a, dc)));
    };
    return {channel(src.r, dest.r), channel(src.g, dest.g), channel(src.b, dest.b), 255};
}

// The colour of one pixel from its attributes; false when a colour key removes it.
template <uint32_t F> inline bool ShadePixel(const RasterSetup& s, const Span& sp, const float* a, Rgba& out)
{
    const Rgba diffuse{ChannelFromFloat(a[kAttrDiffuseR]), ChannelFromFloat(a[kAttrDiffuseG]),
                       ChannelFromFloat(a[kAttrDiffuseB]), ChannelFromFloat(a[kAttrDiffuseA])};
    float invW = 1.0f;
    if (s.needsInvW)
        invW = 1.0f / a[kAttrW];
    Rgba c = diffuse;
    if constexpr ((F & kCombine) != 0)
    {
        Rgba texels[kMaxTextureStages];
        for (uint32_t i = 0; i < s.combiner.StageCount(); ++i)
            texels[i] = {255, 255, 255, 255};
        const float coordScale = s.perspective ? invW : 1.0f;
        for (uint32_t j = 0; j < s.sampledCount; ++j)
        {
            const uint32_t stage = s.sampledStages[j];
            const uint32_t set = s.coordSet[stage];
            const TextureSampler& sampler = s.samplers[stage];
            const float u = a[kAttrU0 + 2 * set] * coordScale;
            const float v = a[kAttrV0 + 2 * set] * coordScale;
            const float lod = sampler.NeedsLod() ? LevelOfDetail(s, sampler, sp, set, u, v, invW) : 0.0f;
            bool keyed = false;
            texels[stage] = UnpackArgb(sampler.Sample(u, v, lod, keyed));
            if (keyed)
                return false;
        }
        c = s.combiner.Combine(diffuse, texels);
    }
    if (s.specular)
    {
        c.r = AddSat(c.r, ChannelFromFloat(a[kAttrSpecularR]));
        c.g = AddSat(c.g, ChannelFromFloat(a[kAttrSpecularG]));
        c.b = AddSat(c.b, ChannelFromFloat(a[kAttrSpecularB]));
    }
    if (s.fog)
    {
        int32_t f;
        if (s.tableFog)
        {
            // Linear in view depth between start (no fog) and end (all fog).
            const float depth = invW;
            const float range = s.fogEnd - s.fogStart;
            const float amount = range > 0.0f ? (s.fogEnd - depth) / range : (depth < s.fogEnd ? 1.0f : 0.0f);
            f = ChannelFromFloat(amount * 255.0f);
        }
        else
        {
            f = ChannelFromFloat(a[kAttrFog]);
        }
        c.r = Lerp255(c.r, s.fogColor.r, f);
        c.g = Lerp255(c.g, s.fogColor.g, f);
        c.b = Lerp255(c.b, s.fogColor.b, f);
    }
    out = c;
    return true;
}

inline uint32_t StoredDepth(double z, uint32_t maxValue)
{
    if (!(z > 0.0))
        return 0;
    if (z >= static_cast<double>(maxValue))
        return maxValue;
    return static_cast<uint32_t>(z + 0.5);
}

template <uint32_t F> void ShadeSpan(const RasterSetup& s, const Span& sp)
{
    uint8_t* colorRow = s.color + static_cast<intptr_t>(sp.y) * s.colorPitch;
    uint8_t* depthRow = nullptr;
    if constexpr ((F & (kDepthTest | kDepthWrite)) != 0)
        depthRow = s.depth + static_cast<intptr_t>(sp.y) * s.depthPitch;
    float a[kAttrStride];
    for (int32_t x = sp.x0; x < sp.x1; ++x)
    {
        const int32_t k = x - sp.x0;
        uint32_t z = 0;
        uint32_t stored = 0;
        uint8_t* zp = nullptr;
        if constexpr ((F & (kDepthTest | kDepthWrite)) != 0)
        {
            z = StoredDepth(sp.z0 + sp.dz * k, s.depthMax);
            if (s.depthWide)
            {
                zp = depthRow + static_cast<intptr_t>(x) * 4;
                std::memcpy(&stored, zp, 4);
            }
            else
            {
                zp = depthRow + static_cast<intptr_t>(x) * 2;
                uint16_t v;
                std::memcpy(&v, zp, 2);
                stored = v;
            }
            if constexpr ((F & kDepthTest) != 0)
            {
                if (z > (stored & s.depthMax))
                    continue;
            }
        }
        // Each pixel from the span start rather than by accumulation, so values never drift.
        const float fk = static_cast<float>(k);
        for (uint32_t i = 0; i < kAttrStride; ++i)
            a[i] = sp.start[i] + sp.dx[i] * fk;
        Rgba c;
        if (!ShadePixel<F>(s, sp, a, c))
            continue;
        uint8_t* cp = colorRow + static_cast<intptr_t>(x) * 2;
        if constexpr ((F & kBlend) != 0)
        {
            uint16_t dest;
            std::memcpy(&dest, cp, 2);
            c = Blend(s, c, UnpackRgb565(dest));
        }
        const uint16_t packed = PackRgb565(c);
        std::memcpy(cp, &packed, 2);
        if constexpr ((F & kDepthWrite) != 0)
        {
            if (s.depthWide)
            {
                const uint32_t word = (stored & s.depthKeep) | z;
                std::memcpy(zp, &word, 4);
            }
            else
            {
                const uint16_t word = static_cast<uint16_t>(z);
                std::memcpy(zp, &word, 2);
            }
        }
    }
}

template <uint32_t... F> constexpr auto MakeKernelTable(std::integer_sequence<uint32_t, F...>)
{
    return std::array<SpanKernel, sizeof...(F)>{&ShadeSpan<F>...};
}

constexpr auto kKernels = MakeKernelTable(std::make_integer_sequence<uint32_t, 16>{});

} // namespace

SpanKernel ChooseSpanKernel(const RasterSetup& setup)
{
    uint32_t f = 0;
    if (setup.depth && setup.depthTest)
        f |= kDepthTest;
    if (setup.depth && setup.depthWrite)
        f |= kDepthWrite;
    if (setup.combine)
        f |= kCombine;
    if (setup.blend)
        f |= kBlend;
    return kKernels[f];
}

} // namespace plat
