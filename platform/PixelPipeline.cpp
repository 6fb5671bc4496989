#include "PixelPipeline.h"

#include "RasterColor.h"

#include <algorithm>
#include <cstring>

namespace plat
{
namespace
{

inline uint32_t StoredDepth(double z, uint32_t maxValue)
{
    if (!(z > 0.0))
        return 0;
    if (z >= static_cast<double>(maxValue))
        return maxValue;
    return static_cast<uint32_t>(z + 0.5);
}

// Computes each pixel's stored depth and, with the test on, keeps only the pixels that pass.
void DepthStage(const RasterSetup& s, const AttributePlanes& p, PixelBatch& b)
{
    const uint32_t n = b.count;
    if (s.depthMax <= 0xFFFF)
    {
        // Up to 16 bits single precision is ample, and the loop runs four pixels at a time.
        const float z0 = static_cast<float>(p.z0);
        const float zx = static_cast<float>(p.zx);
        const float zy = static_cast<float>(p.zy);
        const float limit = static_cast<float>(s.depthMax);
        for (uint32_t i = 0; i < n; ++i)
        {
            float z =
                z0 + zx * (static_cast<float>(b.x[i]) - p.originX) + zy * (static_cast<float>(b.y[i]) - p.originY);
            z = z > 0.0f ? z : 0.0f;
            z = z < limit ? z : limit;
            b.z[i] = static_cast<uint32_t>(static_cast<int32_t>(z + 0.5f));
        }
    }
    else
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            const double fx = static_cast<double>(b.x[i]) - p.originX;
            const double fy = static_cast<double>(b.y[i]) - p.originY;
            b.z[i] = StoredDepth(p.z0 + p.zx * fx + p.zy * fy, s.depthMax);
        }
    }
    if (!s.depthTest)
        return;
    // Locals: the stores below could otherwise alias the setup and force reloads.
    const uint8_t* depth = s.depth;
    const intptr_t pitch = s.depthPitch;
    const uint32_t mask = s.depthMax;
    uint32_t kept = 0;
    auto test = [&](auto readStored)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            const uint32_t stored = readStored(depth + b.y[i] * pitch, b.x[i]);
            const uint32_t z = b.z[i];
            // Written unconditionally, counted only when kept.
            b.x[kept] = b.x[i];
            b.y[kept] = b.y[i];
            b.z[kept] = z;
            kept += z <= (stored & mask) ? 1 : 0;
        }
    };
    if (s.depthWide)
    {
        test(
            [](const uint8_t* row, int32_t x)
            {
                uint32_t v;
                std::memcpy(&v, row + static_cast<intptr_t>(x) * 4, 4);
                return v;
            });
    }
    else
    {
        test(
            [](const uint8_t* row, int32_t x)
            {
                uint16_t v;
                std::memcpy(&v, row + static_cast<intptr_t>(x) * 2, 2);
                return uint32_t{v};
            });
    }
    b.count = kept;
}

// Four consecutive colour planes (red, green, blue, alpha) into channels, in one loop.
void EvaluateColor(const AttributePlanes& p, uint32_t first, const PixelBatch& b, uint32_t n, PixelChannels& out)
{
    const float* base = p.base + first;
    const float* gx = p.gx + first;
    const float* gy = p.gy + first;
    for (uint32_t i = 0; i < n; ++i)
    {
        const float fx = b.fx[i];
        const float fy = b.fy[i];
        out.r[i] = static_cast<uint16_t>(ChannelFromFloat(base[0] + gx[0] * fx + gy[0] * fy));
        out.g[i] = static_cast<uint16_t>(ChannelFromFloat(base[1] + gx[1] * fx + gy[1] * fy));
        out.b[i] = static_cast<uint16_t>(ChannelFromFloat(base[2] + gx[2] * fx + gy[2] * fy));
        out.a[i] = static_cast<uint16_t>(ChannelFromFloat(base[3] + gx[3] * fx + gy[3] * fy));
    }
}

void EvaluateChannel(const AttributePlanes& p, uint32_t attr, const PixelBatch& b, uint32_t n, uint16_t* out)
{
    const float base = p.base[attr];
    const float gx = p.gx[attr];
    const float gy = p.gy[attr];
    for (uint32_t i = 0; i < n; ++i)
        out[i] = static_cast<uint16_t>(ChannelFromFloat(base + gx * b.fx[i] + gy * b.fy[i]));
}

// Texture coordinates of one stage at every pixel, and with mipmaps or split filters the level
// of detail: log2 of the larger footprint of a pixel step along x or y, in level-0 texels.
void TextureStage(const RasterSetup& s, const AttributePlanes& p, PixelBatch& b, uint32_t stage)
{
    const uint32_t n = b.count;
    const uint32_t iu = kAttrU0 + 2 * s.coordSet[stage];
    const uint32_t iv = iu + 1;
    const TextureSampler& sampler = s.samplers[stage];
    const float bu = p.base[iu], ux = p.gx[iu], uy = p.gy[iu];
    const float bv = p.base[iv], vx = p.gx[iv], vy = p.gy[iv];
    if (s.perspective)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            b.u[i] = (bu + ux * b.fx[i] + uy * b.fy[i]) * b.invW[i];
            b.v[i] = (bv + vx * b.fx[i] + vy * b.fy[i]) * b.invW[i];
        }
    }
    else
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            b.u[i] = bu + ux * b.fx[i] + uy * b.fy[i];
            b.v[i] = bv + vx * b.fx[i] + vy * b.fy[i];
        }
    }
    if (!sampler.NeedsLod())
        return;
    // u = U / W with U and W linear on screen: du/dx = (dU/dx - u dW/dx) / W.
    const float wx = s.perspective ? p.gx[kAttrW] : 0.0f;
    const float wy = s.perspective ? p.gy[kAttrW] : 0.0f;
    const float width = sampler.BaseWidth();
    const float height = sampler.BaseHeight();
    for (uint32_t i = 0; i < n; ++i)
    {
        const float scale = s.perspective ? b.invW[i] : 1.0f;
        const float u = b.u[i];
        const float v = b.v[i];
        const float dudx = (p.gx[iu] - u * wx) * scale * width;
        const float dvdx = (p.gx[iv] - v * wx) * scale * height;
        const float dudy = (p.gy[iu] - u * wy) * scale * width;
        const float dvdy = (p.gy[iv] - v * wy) * scale * height;
        const float rx = dudx * dudx + dvdx * dvdx;
        const float ry = dudy * dudy + dvdy * dvdy;
        b.lod[i] = 0.5f * Log2Approximation(rx > ry ? rx : ry);
    }
}

void Fog(const RasterSetup& s, const AttributePlanes& p, PixelBatch& b)
{
    const uint32_t n = b.count;
    uint16_t amount[kBatchSize]; // 255 no fog, 0 all fog
    if (s.tableFog)
    {
        // Linear in view depth (1 / rhw) from start to end.
        const float range = s.fogEnd - s.fogStart;
        for (uint32_t i = 0; i < n; ++i)
        {
            const float depth = b.invW[i];
            const float f = range > 0.0f ? (s.fogEnd - depth) / range : (depth < s.fogEnd ? 1.0f : 0.0f);
            amount[i] = static_cast<uint16_t>(ChannelFromFloat(f * 255.0f));
        }
    }
    else
    {
        EvaluateChannel(p, kAttrFog, b, n, amount);
    }
    uint16_t* channels[3] = {b.color.r, b.color.g, b.color.b};
    const int32_t fog[3] = {s.fogColor.r, s.fogColor.g, s.fogColor.b};
    for (int c = 0; c < 3; ++c)
    {
        uint16_t* x = channels[c];
        for (uint32_t i = 0; i < n; ++i)
            x[i] = static_cast<uint16_t>(Lerp255(x[i], fog[c], amount[i]));
    }
}

void Factor(BlendFactor f, const uint16_t* src, const uint16_t* srcAlpha, const uint16_t* dest, uint32_t n,
            uint16_t* out)
{
    switch (f)
    {
    case BlendFactor::One:
    case BlendFactor::DestAlpha: // the target has no alpha: it reads as opaque
        std::fill(out, out + n, uint16_t{255});
        break;
    case BlendFactor::SrcColor:
        std::copy(src, src + n, out);
        break;
    case BlendFactor::InvSrcColor:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint16_t>(255 - src[i]);
        break;
    case BlendFactor::SrcAlpha:
        std::copy(srcAlpha, srcAlpha + n, out);
        break;
    case BlendFactor::InvSrcAlpha:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint16_t>(255 - srcAlpha[i]);
        break;
    case BlendFactor::DestColor:
        std::copy(dest, dest + n, out);
        break;
    case BlendFactor::InvDestColor:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint16_t>(255 - dest[i]);
        break;
    default: // Zero, InvDestAlpha, and SrcAlphaSat = min(source alpha, 1 - destination alpha)
        std::fill(out, out + n, uint16_t{0});
        break;
    }
}

void BlendStage(const RasterSetup& s, PixelBatch& b)
{
    const uint32_t n = b.count;
    PixelChannels& dest = b.scratch[0];
    for (uint32_t i = 0; i < n; ++i)
    {
        uint16_t p;
        std::memcpy(&p, s.color + static_cast<intptr_t>(b.y[i]) * s.colorPitch + b.x[i] * 2, 2);
        const Rgba d = UnpackRgb565(p);
        dest.r[i] = static_cast<uint16_t>(d.r);
        dest.g[i] = static_cast<uint16_t>(d.g);
        dest.b[i] = static_cast<uint16_t>(d.b);
    }
    uint16_t* src[3] = {b.color.r, b.color.g, b.color.b};
    const uint16_t* dst[3] = {dest.r, dest.g, dest.b};
    uint16_t fs[kBatchSize];
    uint16_t fd[kBatchSize];
    for (int c = 0; c < 3; ++c)
    {
        Factor(s.srcBlend, src[c], b.color.a, dst[c], n, fs);
        Factor(s.destBlend, src[c], b.color.a, dst[c], n, fd);
        uint16_t* x = src[c];
        const uint16_t* d = dst[c];
        for (uint32_t i = 0; i < n; ++i)
            x[i] = static_cast<uint16_t>(AddSat(Mul255(x[i], fs[i]), Mul255(d[i], fd[i])));
    }
}

void WriteStage(const RasterSetup& s, PixelBatch& b)
{
    const uint32_t n = b.count;
    uint16_t packed[kBatchSize];
    if (s.dither)
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            const uint32_t t = DitherThreshold(b.x[i], b.y[i]);
            packed[i] =
                static_cast<uint16_t>(DitherChannel(b.color.r[i], 31, t) << 11 |
                                      DitherChannel(b.color.g[i], 63, t) << 5 | DitherChannel(b.color.b[i], 31, t));
        }
    }
    else
    {
        for (uint32_t i = 0; i < n; ++i)
            packed[i] =
                static_cast<uint16_t>((b.color.r[i] >> 3) << 11 | (b.color.g[i] >> 2) << 5 | (b.color.b[i] >> 3));
    }
    uint8_t* color = s.color;
    const intptr_t pitch = s.colorPitch;
    for (uint32_t i = 0; i < n; ++i)
    {
        if (b.keep[i])
            std::memcpy(color + b.y[i] * pitch + static_cast<intptr_t>(b.x[i]) * 2, &packed[i], 2);
    }
    if (!s.depth || !s.depthWrite)
        return;
    for (uint32_t i = 0; i < n; ++i)
    {
        if (!b.keep[i])
            continue;
        if (s.depthWide)
        {
            uint8_t* at = s.depth + static_cast<intptr_t>(b.y[i]) * s.depthPitch + b.x[i] * 4;
            uint32_t word;
            std::memcpy(&word, at, 4);
            word = (word & s.depthKeep) | b.z[i];
            std::memcpy(at, &word, 4);
        }
        else
        {
            const uint16_t word = static_cast<uint16_t>(b.z[i]);
            std::memcpy(s.depth + static_cast<intptr_t>(b.y[i]) * s.depthPitch + b.x[i] * 2, &word, 2);
        }
    }
}

} // namespace

void ShadeBatch(const RasterSetup& s, const AttributePlanes& p, PixelBatch& b)
{
    if (s.depth)
        DepthStage(s, p, b);
    const uint32_t n = b.count;
    if (n == 0)
        return;
    std::memset(b.keep, 1, n);
    // Exact: positions and origins are multiples of 1/256 well within a float's precision
    // (a line's origin is its first end point as given).
    if (s.needsInvW)
    {
        const float w0 = p.base[kAttrW];
        const float wx = p.gx[kAttrW];
        const float wy = p.gy[kAttrW];
        for (uint32_t i = 0; i < n; ++i)
        {
            const float fx = static_cast<float>(b.x[i]) - p.originX;
            const float fy = static_cast<float>(b.y[i]) - p.originY;
            b.fx[i] = fx;
            b.fy[i] = fy;
            b.invW[i] = 1.0f / (w0 + wx * fx + wy * fy);
        }
    }
    else
    {
        for (uint32_t i = 0; i < n; ++i)
        {
            b.fx[i] = static_cast<float>(b.x[i]) - p.originX;
            b.fy[i] = static_cast<float>(b.y[i]) - p.originY;
        }
    }
    EvaluateColor(p, kAttrDiffuseR, b, n, s.combine ? b.diffuse : b.color);
    if (s.combine)
    {
        // Stages without a texture read opaque white.
        for (uint32_t stage = 0; stage < s.combiner.StageCount(); ++stage)
        {
            if (s.sampled[stage])
                continue;
            PixelChannels& t = b.texels[stage];
            std::fill(t.r, t.r + n, uint16_t{255});
            std::fill(t.g, t.g + n, uint16_t{255});
            std::fill(t.b, t.b + n, uint16_t{255});
            std::fill(t.a, t.a + n, uint16_t{255});
        }
        for (uint32_t j = 0; j < s.sampledCount; ++j)
        {
            const uint32_t stage = s.sampledStages[j];
            TextureStage(s, p, b, stage);
            s.samplers[stage].SampleBatch(b.u, b.v, b.lod, n, b.texels[stage], b.scratch, b.keep);
        }
        s.combiner.CombineBatch(b.diffuse, b.texels, n, b.color, b.scratch);
    }
    if (s.specular)
    {
        uint16_t add[kBatchSize];
        uint16_t* channels[3] = {b.color.r, b.color.g, b.color.b};
        for (uint32_t c = 0; c < 3; ++c)
        {
            EvaluateChannel(p, kAttrSpecularR + c, b, n, add);
            uint16_t* x = channels[c];
            for (uint32_t i = 0; i < n; ++i)
                x[i] = static_cast<uint16_t>(AddSat(x[i], add[i]));
        }
    }
    if (s.fog)
        Fog(s, p, b);
    if (s.blend)
        BlendStage(s, b);
    WriteStage(s, b);
    b.count = 0;
}

} // namespace plat
