// The span loop's body, included once per instruction set inside that set's namespace (so it
// has no include guard and includes nothing: the including file brings the headers first).
// Each step repeats the batch pipeline's arithmetic exactly, lane by lane, so that the pixels
// are the same to the bit.

namespace
{

constexpr int kLanes = 8;

// The stages are inlined into the span loop: passed between calls, the lanes would go
// through memory.
#define QR_SPAN_INLINE [[gnu::always_inline]] inline

// Eight lanes as one value: the compiler's vector extension, which every target lowers to its
// widest registers (two halves on the base x86-64 set), lane by lane as the scalar code would.
using F8 = float __attribute__((vector_size(32)));
using I8 = int32_t __attribute__((vector_size(32)));
using U16x8 = uint16_t __attribute__((vector_size(16)));

inline I8 Select(I8 mask, I8 a, I8 b)
{
    return (mask & a) | (~mask & b);
}

inline F8 Select(I8 mask, F8 a, F8 b)
{
    I8 ia;
    I8 ib;
    std::memcpy(&ia, &a, sizeof ia);
    std::memcpy(&ib, &b, sizeof ib);
    const I8 r = Select(mask, ia, ib);
    F8 out;
    std::memcpy(&out, &r, sizeof out);
    return out;
}

inline F8 SplatF(float v)
{
    return F8{v, v, v, v, v, v, v, v};
}

inline I8 SplatI(int32_t v)
{
    return I8{v, v, v, v, v, v, v, v};
}

// Whether any lane of a mask (0 or -1 per lane) is set.
inline bool Any(I8 mask)
{
    uint64_t quarter[4];
    std::memcpy(quarter, &mask, sizeof quarter);
    return (quarter[0] | quarter[1] | quarter[2] | quarter[3]) != 0;
}

// The low 16 bits of each lane.
inline U16x8 Narrow(I8 v)
{
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    using U16x16 = uint16_t __attribute__((vector_size(32)));
    U16x16 halves;
    std::memcpy(&halves, &v, sizeof halves);
    return __builtin_shufflevector(halves, halves, 0, 2, 4, 6, 8, 10, 12, 14);
#else
    return __builtin_convertvector(v, U16x8);
#endif
}

inline I8 Min255(I8 v)
{
    return Select(v < 255, v, SplatI(255));
}

// ChannelFromFloat per lane: clamped to 0..255 (NaN to 0), rounded to nearest.
inline I8 Channel8(F8 v)
{
    v = Select(v > 0.0f, v, SplatF(0.0f));
    v = Select(v < 255.0f, v, SplatF(255.0f));
    return __builtin_convertvector(v + 0.5f, I8);
}

inline I8 Div255x8(I8 x)
{
    const I8 t = x + 128;
    return (t + (t >> 8)) >> 8;
}

inline I8 Mul255x8(I8 a, I8 b)
{
    return Div255x8(a * b);
}

struct Color8
{
    I8 r;
    I8 g;
    I8 b;
    I8 a;
};

// floor(f) per lane as FloorToInt: limited to +-2^30, NaN to the lower limit.
inline I8 Floor8(F8 f)
{
    f = Select(f > -1073741824.0f, f, SplatF(-1073741824.0f));
    f = Select(f < 1073741824.0f, f, SplatF(1073741824.0f));
    const I8 i = __builtin_convertvector(f, I8);
    return i + (__builtin_convertvector(i, F8) > f);
}

// Log2Approximation per lane.
inline F8 Log2Approximation8(F8 x)
{
    I8 bits;
    std::memcpy(&bits, &x, sizeof bits);
    const I8 exponent = ((bits >> 23) & 0x1FF) - 127;
    const F8 mantissa = __builtin_convertvector(bits & 0x7FFFFF, F8) * (1.0f / 8388608.0f);
    return Select(x > 1e-30f, __builtin_convertvector(exponent, F8) + mantissa, SplatF(-100.0f));
}

// One mip level per lane.
struct Levels8
{
    F8 fw;
    F8 fh;
    I8 width;
    I8 height;
    I8 maskX;
    I8 maskY;
    I8 pitch;
    const uint8_t* pixels[kLanes];
    const uint8_t* shared; // every lane's level when they have one, else null
};

QR_SPAN_INLINE Levels8 GatherLevels(const TextureSampler& s, I8 level)
{
    Levels8 l;
    const TextureSampler::Level& first = s.LevelAt(static_cast<uint32_t>(level[0]));
    if (!Any(level != level[0]) && static_cast<int64_t>(first.pitch) * first.height < (int64_t{1} << 31))
    {
        const TextureSampler::Level& at = first;
        l.fw = SplatF(at.fw);
        l.fh = SplatF(at.fh);
        l.width = SplatI(at.width);
        l.height = SplatI(at.height);
        l.maskX = SplatI(static_cast<int32_t>(at.maskX));
        l.maskY = SplatI(static_cast<int32_t>(at.maskY));
        l.pitch = SplatI(at.pitch);
        for (int k = 0; k < kLanes; ++k)
            l.pixels[k] = at.pixels;
        l.shared = at.pixels;
        return l;
    }
    l.shared = nullptr;
    for (int k = 0; k < kLanes; ++k)
    {
        const TextureSampler::Level& at = s.LevelAt(static_cast<uint32_t>(level[k]));
        l.fw[k] = at.fw;
        l.fh[k] = at.fh;
        l.width[k] = at.width;
        l.height[k] = at.height;
        l.maskX[k] = static_cast<int32_t>(at.maskX);
        l.maskY[k] = static_cast<int32_t>(at.maskY);
        l.pitch[k] = at.pitch;
        l.pixels[k] = at.pixels;
    }
    return l;
}

// Texel coordinates onto the level as the sampler's addressing does; pow2: every level in use
// has power-of-two sides.
inline I8 Address8(TextureAddress mode, I8 i, I8 size, I8 mask, bool pow2)
{
    if (mode == TextureAddress::Clamp)
    {
        i = Select(i < 0, SplatI(0), i);
        return Select(i < size, i, size - 1);
    }
    if (pow2)
        return i & mask;
    for (int k = 0; k < kLanes; ++k)
    {
        const int32_t m = i[k] % size[k];
        i[k] = m < 0 ? m + size[k] : m;
    }
    return i;
}

inline Color8 Expand565(I8 raw)
{
    const I8 r = (raw >> 11) & 31;
    const I8 g = (raw >> 5) & 63;
    const I8 b = raw & 31;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2, SplatI(255)};
}

QR_SPAN_INLINE Color8 Texels565(const Levels8& l, I8 x, I8 y)
{
    I8 raw;
    if (l.shared)
    {
        // Offsets fit 32 bits: a level is far smaller than 2 GB.
        const I8 offset = y * l.pitch + x * 2;
        for (int k = 0; k < kLanes; ++k)
        {
            uint16_t v;
            std::memcpy(&v, l.shared + offset[k], 2);
            raw[k] = v;
        }
    }
    else
    {
        for (int k = 0; k < kLanes; ++k)
        {
            uint16_t v;
            std::memcpy(&v, l.pixels[k] + static_cast<intptr_t>(y[k]) * l.pitch[k] + static_cast<intptr_t>(x[k]) * 2,
                        2);
            raw[k] = v;
        }
    }
    return Expand565(raw);
}

// Texels (x, y) and (x + 1, y) of a level shared by the lanes, as one 32-bit read each:
// first in the low half, second in the high half.
QR_SPAN_INLINE I8 TexelPairs565(const Levels8& l, I8 x, I8 y)
{
    const I8 offset = y * l.pitch + x * 2;
    I8 pairs;
    for (int k = 0; k < kLanes; ++k)
    {
        uint32_t v;
        std::memcpy(&v, l.shared + offset[k], 4);
        pairs[k] = static_cast<int32_t>(v);
    }
    return pairs;
}

QR_SPAN_INLINE Color8 Point8(const RasterSetup& s, const Levels8& l, F8 u, F8 v)
{
    const TextureSampler& t = s.samplers[0];
    const I8 x = Address8(t.AddressModeU(), Floor8(u * l.fw), l.width, l.maskX, s.spanPow2);
    const I8 y = Address8(t.AddressModeV(), Floor8(v * l.fh), l.height, l.maskY, s.spanPow2);
    return Texels565(l, x, y);
}

// Texel centres on half-integers, 8 bits of fraction, two horizontal blends and a vertical one.
Color8 Bilinear8(const RasterSetup& s, const Levels8& l, F8 u, F8 v)
{
    const TextureSampler& t = s.samplers[0];
    const I8 fx = Floor8((u * l.fw - 0.5f) * 256.0f);
    const I8 fy = Floor8((v * l.fh - 0.5f) * 256.0f);
    const I8 ax = fx & 255;
    const I8 ay = fy & 255;
    const I8 x0 = Address8(t.AddressModeU(), fx >> 8, l.width, l.maskX, s.spanPow2);
    const I8 x1 = Address8(t.AddressModeU(), (fx >> 8) + 1, l.width, l.maskX, s.spanPow2);
    const I8 y0 = Address8(t.AddressModeV(), fy >> 8, l.height, l.maskY, s.spanPow2);
    const I8 y1 = Address8(t.AddressModeV(), (fy >> 8) + 1, l.height, l.maskY, s.spanPow2);
    Color8 c[4];
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (l.shared && !Any(x1 != x0 + 1))
    {
        // Each row's two texels side by side in memory.
        const I8 top = TexelPairs565(l, x0, y0);
        const I8 bottom = TexelPairs565(l, x0, y1);
        c[0] = Expand565(top & 0xFFFF);
        c[1] = Expand565((top >> 16) & 0xFFFF);
        c[2] = Expand565(bottom & 0xFFFF);
        c[3] = Expand565((bottom >> 16) & 0xFFFF);
    }
    else
#endif
    {
        c[0] = Texels565(l, x0, y0);
        c[1] = Texels565(l, x1, y0);
        c[2] = Texels565(l, x0, y1);
        c[3] = Texels565(l, x1, y1);
    }
    // In floats, exactly: every product and sum is an integer below 2^24.
    const F8 wx1 = __builtin_convertvector(ax, F8);
    const F8 wx0 = 256.0f - wx1;
    const F8 wy1 = __builtin_convertvector(ay, F8);
    const F8 wy0 = 256.0f - wy1;
    auto mix = [&](I8 Color8::*channel)
    {
        auto f = [&](int i) { return __builtin_convertvector(c[i].*channel, F8); };
        const F8 top = f(0) * wx0 + f(1) * wx1;
        const F8 bottom = f(2) * wx0 + f(3) * wx1;
        return __builtin_convertvector(top * wy0 + bottom * wy1 + 32768.0f, I8) >> 16;
    };
    return {mix(&Color8::r), mix(&Color8::g), mix(&Color8::b), SplatI(255)};
}

QR_SPAN_INLINE Color8 Filtered8(const RasterSetup& s, const Levels8& l, bool linear, F8 u, F8 v)
{
    return linear ? Bilinear8(s, l, u, v) : Point8(s, l, u, v);
}

inline Color8 SelectColor(I8 mask, const Color8& a, const Color8& b)
{
    return {Select(mask, a.r, b.r), Select(mask, a.g, b.g), Select(mask, a.b, b.b), Select(mask, a.a, b.a)};
}

// The texel colours at (u, v) with levels of detail lod, levels and filters chosen and
// blended as the sampler's batches do.
QR_SPAN_INLINE Color8 Sample8(const RasterSetup& s, F8 u, F8 v, F8 lod)
{
    const TextureSampler& t = s.samplers[0];
    if (!t.NeedsLod())
        return Filtered8(s, GatherLevels(t, SplatI(0)), t.MagLinear(), u, v);
    const int32_t last = static_cast<int32_t>(t.LevelCount()) - 1;
    const I8 minified = lod > 0.0f;
    I8 level;
    I8 f = {};
    if (t.Mip() == TextureFilter::Linear)
    {
        level = Floor8(lod);
        const I8 frac = __builtin_convertvector((lod - __builtin_convertvector(level, F8)) * 256.0f, I8);
        f = Select(frac < 255, frac, SplatI(255));
        const I8 over = level >= last;
        level = Select(over, SplatI(last), level);
        f = Select(over | ~minified, SplatI(0), f);
    }
    else
    {
        const I8 nearest = Floor8(lod + 0.5f);
        level = Select(nearest < last, nearest, SplatI(last));
    }
    level = Select(minified, level, SplatI(0));
    const Levels8 levels = GatherLevels(t, level);
    Color8 c = Filtered8(s, levels, t.MinLinear(), u, v);
    if (t.MagLinear() != t.MinLinear())
        c = SelectColor(minified, c, Filtered8(s, levels, t.MagLinear(), u, v));
    if (!Any(f != 0))
        return c;
    // The next level, blended in by f (a lane with f = 0 keeps its colour exactly).
    const I8 next = Select(level < last, level + 1, SplatI(last));
    const Color8 d = Filtered8(s, GatherLevels(t, next), t.MinLinear(), u, v);
    c.r = (c.r * (256 - f) + d.r * f + 128) >> 8;
    c.g = (c.g * (256 - f) + d.g * f + 128) >> 8;
    c.b = (c.b * (256 - f) + d.b * f + 128) >> 8;
    return c;
}

using Level = TextureSampler::Level;

// n 16-bit words from at into lanes (the rest 0): all eight at once when the row holds them.
inline I8 Load8(const uint8_t* at, int n, bool whole)
{
    U16x8 v = {};
    if (whole)
    {
        std::memcpy(&v, at, sizeof v);
    }
    else
    {
        for (int k = 0; k < n; ++k)
        {
            uint16_t w;
            std::memcpy(&w, at + 2 * k, 2);
            v[k] = w;
        }
    }
    return __builtin_convertvector(v, I8);
}

// The low 16 bits of values into the lanes of at where drawn is set, the others kept.
inline void Store8(uint8_t* at, int n, bool whole, I8 drawn, I8 values)
{
    if (whole)
    {
        U16x8 old;
        std::memcpy(&old, at, sizeof old);
        const I8 merged = Select(drawn, values, __builtin_convertvector(old, I8));
        const U16x8 out = Narrow(merged);
        std::memcpy(at, &out, sizeof out);
        return;
    }
    for (int k = 0; k < n; ++k)
    {
        if (drawn[k])
        {
            const uint16_t w = static_cast<uint16_t>(values[k]);
            std::memcpy(at + 2 * k, &w, 2);
        }
    }
}

// A blend factor per lane; a is the source alpha. The target has no alpha: it reads opaque.
inline I8 BlendFactor8(BlendFactor f, I8 src, I8 a, I8 dst)
{
    switch (f)
    {
    case BlendFactor::One:
    case BlendFactor::DestAlpha:
        return SplatI(255);
    case BlendFactor::SrcColor:
        return src;
    case BlendFactor::InvSrcColor:
        return 255 - src;
    case BlendFactor::SrcAlpha:
        return a;
    case BlendFactor::InvSrcAlpha:
        return 255 - a;
    case BlendFactor::DestColor:
        return dst;
    case BlendFactor::InvDestColor:
        return 255 - dst;
    default:
        return SplatI(0);
    }
}

inline F8 PlaneF(const AttributePlanes& p, uint32_t attr, F8 fx, float fy)
{
    return p.base[attr] + p.gx[attr] * fx + p.gy[attr] * fy;
}

inline I8 Plane8(const AttributePlanes& p, uint32_t attr, F8 fx, float fy)
{
    return Channel8(PlaneF(p, attr, fx, fy));
}

// The texels at (u, v) with their levels of detail.
QR_SPAN_INLINE Color8 Texels8(const RasterSetup& s, const AttributePlanes& p, F8 u, F8 v, F8 invW)
{
    const TextureSampler& sampler = s.samplers[0];
    const uint32_t iu = kAttrU0 + 2 * s.coordSet[0];
    const uint32_t iv = iu + 1;
    F8 lod = {};
    if (sampler.NeedsLod())
    {
        // du/dx = (dU/dx - u dW/dx) / W with U and W linear on screen.
        const float wx = s.perspective ? p.gx[kAttrW] : 0.0f;
        const float wy = s.perspective ? p.gy[kAttrW] : 0.0f;
        const F8 scale = s.perspective ? invW : SplatF(1.0f);
        const float width = sampler.BaseWidth();
        const float height = sampler.BaseHeight();
        const F8 dudx = (p.gx[iu] - u * wx) * scale * width;
        const F8 dvdx = (p.gx[iv] - v * wx) * scale * height;
        const F8 dudy = (p.gy[iu] - u * wy) * scale * width;
        const F8 dvdy = (p.gy[iv] - v * wy) * scale * height;
        const F8 rx = dudx * dudx + dvdx * dvdx;
        const F8 ry = dudy * dudy + dvdy * dvdy;
        lod = 0.5f * Log2Approximation8(Select(rx > ry, rx, ry));
    }
    return Sample8(s, u, v, lod);
}

inline I8 Pick(Combiner::Plain plain, I8 diffuse, I8 texel)
{
    switch (plain)
    {
    case Combiner::Plain::Diffuse:
        return diffuse;
    case Combiner::Plain::Texel:
        return texel;
    default:
        return Mul255x8(diffuse, texel);
    }
}

// The colour of one run's lanes from texturing through fog.
QR_SPAN_INLINE Color8 Shade8(const RasterSetup& s, const AttributePlanes& p, F8 fx, float fy, F8 invW)
{
    // Alpha matters only to blending.
    Color8 c = {Plane8(p, kAttrDiffuseR, fx, fy), Plane8(p, kAttrDiffuseG, fx, fy), Plane8(p, kAttrDiffuseB, fx, fy),
                s.blend ? Plane8(p, kAttrDiffuseA, fx, fy) : SplatI(255)};
    if (s.combine)
    {
        const uint32_t iu = kAttrU0 + 2 * s.coordSet[0];
        F8 u = PlaneF(p, iu, fx, fy);
        F8 v = PlaneF(p, iu + 1, fx, fy);
        if (s.perspective)
        {
            u = u * invW;
            v = v * invW;
        }
        const Color8 t = Texels8(s, p, u, v, invW);
        c = {Pick(s.plainColor, c.r, t.r), Pick(s.plainColor, c.g, t.g), Pick(s.plainColor, c.b, t.b),
             Pick(s.plainAlpha, c.a, t.a)};
    }
    if (s.specular)
    {
        c.r = Min255(c.r + Plane8(p, kAttrSpecularR, fx, fy));
        c.g = Min255(c.g + Plane8(p, kAttrSpecularG, fx, fy));
        c.b = Min255(c.b + Plane8(p, kAttrSpecularB, fx, fy));
    }
    if (s.fog)
    {
        I8 amount;
        if (s.tableFog)
        {
            const float range = s.fogEnd - s.fogStart;
            F8 f;
            if (range > 0.0f)
                f = (s.fogEnd - invW) / range;
            else
                f = Select(invW < s.fogEnd, SplatF(1.0f), SplatF(0.0f));
            amount = Channel8(f * 255.0f);
        }
        else
        {
            amount = Plane8(p, kAttrFog, fx, fy);
        }
        const I8 keep = 255 - amount;
        c.r = Div255x8(c.r * amount + s.fogColor.r * keep);
        c.g = Div255x8(c.g * amount + s.fogColor.g * keep);
        c.b = Div255x8(c.b * amount + s.fogColor.b * keep);
    }
    return c;
}

inline I8 Dither8(I8 c, int32_t levels, I8 t)
{
    const I8 q = (c * (levels * 32) + (2 * t + 1) * 255);
    I8 out;
    for (int k = 0; k < kLanes; ++k)
        out[k] = static_cast<int32_t>(static_cast<uint32_t>(q[k]) / (255u * 32u));
    return out;
}

// Blends with the n target pixels at row and packs to RGB565.
QR_SPAN_INLINE I8 Pack8(const RasterSetup& s, const uint8_t* row, int32_t x0, int n, bool whole, int32_t y, Color8 c)
{
    if (s.blend)
    {
        const I8 stored = Load8(row, n, whole);
        const I8 r5 = (stored >> 11) & 31;
        const I8 g6 = (stored >> 5) & 63;
        const I8 b5 = stored & 31;
        const I8 dest[3] = {r5 << 3 | r5 >> 2, g6 << 2 | g6 >> 4, b5 << 3 | b5 >> 2};
        I8* channels[3] = {&c.r, &c.g, &c.b};
        for (int i = 0; i < 3; ++i)
        {
            const I8 fs = BlendFactor8(s.srcBlend, *channels[i], c.a, dest[i]);
            const I8 fd = BlendFactor8(s.destBlend, *channels[i], c.a, dest[i]);
            *channels[i] = Min255(Mul255x8(*channels[i], fs) + Mul255x8(dest[i], fd));
        }
    }
    if (s.dither)
    {
        I8 t;
        for (int k = 0; k < kLanes; ++k)
            t[k] = static_cast<int32_t>(DitherThreshold(x0 + k, y));
        return Dither8(c.r, 31, t) << 11 | Dither8(c.g, 63, t) << 5 | Dither8(c.b, 31, t);
    }
    return (c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3);
}

QR_SPAN_INLINE void ShadeRow(const RasterSetup& s, const AttributePlanes& p, int32_t y, int32_t lo, int32_t hi)
{
    uint8_t* colorRow = s.color + static_cast<intptr_t>(y) * s.colorPitch;
    uint8_t* depthRow = s.depth ? s.depth + static_cast<intptr_t>(y) * s.depthPitch : nullptr;
    const float fy = static_cast<float>(y) - p.originY;
    const float z0 = static_cast<float>(p.z0);
    const float zx = static_cast<float>(p.zx);
    const float zy = static_cast<float>(p.zy);
    const float zLimit = static_cast<float>(s.depthMax);
    const int32_t zMask = static_cast<int32_t>(s.depthMax);
    const int32_t clipRight = s.clip.right;
    const I8 lane = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int32_t x0 = lo; x0 <= hi; x0 += kLanes)
    {
        const int n = hi - x0 + 1 < kLanes ? hi - x0 + 1 : kLanes;
        // All eight lanes lie within the rows' drawable memory.
        const bool whole = x0 + kLanes <= clipRight;
        const F8 fx = __builtin_convertvector(x0 + lane, F8) - p.originX;
        I8 drawn = lane < n;
        I8 z = {};
        if (depthRow)
        {
            F8 d = z0 + zx * fx + zy * fy;
            d = Select(d > 0.0f, d, SplatF(0.0f));
            d = Select(d < zLimit, d, SplatF(zLimit));
            z = __builtin_convertvector(d + 0.5f, I8);
            if (s.depthTest)
            {
                const I8 stored = Load8(depthRow + static_cast<intptr_t>(x0) * 2, n, whole);
                drawn &= z <= (stored & zMask);
                if (!Any(drawn))
                    continue;
            }
        }
        F8 invW = {};
        if (s.needsInvW)
            invW = 1.0f / (p.base[kAttrW] + p.gx[kAttrW] * fx + p.gy[kAttrW] * fy);
        const Color8 c = Shade8(s, p, fx, fy, invW);
        uint8_t* color = colorRow + static_cast<intptr_t>(x0) * 2;
        Store8(color, n, whole, drawn, Pack8(s, color, x0, n, whole, y, c));
        if (depthRow && s.depthWrite)
            Store8(depthRow + static_cast<intptr_t>(x0) * 2, n, whole, drawn, z);
    }
}

void ShadeSpans(const RasterSetup& s, const AttributePlanes& p, const Span* spans, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        ShadeRow(s, p, spans[i].y, spans[i].lo, spans[i].hi);
}

#undef QR_SPAN_INLINE

} // namespace
