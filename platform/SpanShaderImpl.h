// The span loops' bodies, included once per instruction set and part inside that set's
// namespace (so it has no include guard and includes nothing: the including file brings the
// headers first and instantiates AddSpanLoops for its part).
// Each step repeats the batch pipeline's arithmetic exactly, lane by lane, so that the pixels
// are the same to the bit. One loop is built per span key (SpanShaderIncludes.h): the
// states it fixes cost no test per pixel, the others are read once per call into locals.

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

QR_SPAN_INLINE I8 Select(I8 mask, I8 a, I8 b)
{
    return mask ? a : b;
}

QR_SPAN_INLINE F8 Select(I8 mask, F8 a, F8 b)
{
    return mask ? a : b;
}

QR_SPAN_INLINE F8 SplatF(float v)
{
    return F8{v, v, v, v, v, v, v, v};
}

QR_SPAN_INLINE I8 SplatI(int32_t v)
{
    return I8{v, v, v, v, v, v, v, v};
}

// Whether any lane of a mask (0 or -1 per lane) is set.
QR_SPAN_INLINE bool Any(I8 mask)
{
#if defined(__x86_64__) && defined(QR_SPAN_AVX2_BODY)
    const __m256i m = reinterpret_cast<__m256i>(mask);
    return !_mm256_testz_si256(m, m);
#elif defined(__x86_64__)
    __m128i halves[2];
    std::memcpy(halves, &mask, sizeof halves);
    return _mm_movemask_epi8(_mm_or_si128(halves[0], halves[1])) != 0;
#else
    uint64_t quarter[4];
    std::memcpy(quarter, &mask, sizeof quarter);
    return (quarter[0] | quarter[1] | quarter[2] | quarter[3]) != 0;
#endif
}

// The low 16 bits of each lane.
QR_SPAN_INLINE U16x8 Narrow(I8 v)
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

// v > lo ? v : lo and v < hi ? v : hi per lane, NaN included: exactly what the processor's
// maximum and minimum compute.
QR_SPAN_INLINE F8 Max8(F8 v, F8 lo)
{
#if defined(__x86_64__) && defined(QR_SPAN_AVX2_BODY)
    return reinterpret_cast<F8>(_mm256_max_ps(reinterpret_cast<__m256>(v), reinterpret_cast<__m256>(lo)));
#elif defined(__x86_64__)
    __m128 a[2];
    __m128 b[2];
    std::memcpy(a, &v, sizeof a);
    std::memcpy(b, &lo, sizeof b);
    const __m128 r[2] = {_mm_max_ps(a[0], b[0]), _mm_max_ps(a[1], b[1])};
    F8 out;
    std::memcpy(&out, r, sizeof out);
    return out;
#else
    return Select(v > lo, v, lo);
#endif
}

QR_SPAN_INLINE F8 Min8(F8 v, F8 hi)
{
#if defined(__x86_64__) && defined(QR_SPAN_AVX2_BODY)
    return reinterpret_cast<F8>(_mm256_min_ps(reinterpret_cast<__m256>(v), reinterpret_cast<__m256>(hi)));
#elif defined(__x86_64__)
    __m128 a[2];
    __m128 b[2];
    std::memcpy(a, &v, sizeof a);
    std::memcpy(b, &hi, sizeof b);
    const __m128 r[2] = {_mm_min_ps(a[0], b[0]), _mm_min_ps(a[1], b[1])};
    F8 out;
    std::memcpy(&out, r, sizeof out);
    return out;
#else
    return Select(v < hi, v, hi);
#endif
}

QR_SPAN_INLINE I8 Min255(I8 v)
{
#if defined(__x86_64__) && defined(QR_SPAN_AVX2_BODY)
    return reinterpret_cast<I8>(_mm256_min_epi32(reinterpret_cast<__m256i>(v), _mm256_set1_epi32(255)));
#else
    return Select(v < 255, v, SplatI(255));
#endif
}

// ChannelFromFloat per lane: clamped to 0..255 (NaN to 0), rounded to nearest.
QR_SPAN_INLINE I8 Channel8(F8 v)
{
    v = Min8(Max8(v, SplatF(0.0f)), SplatF(255.0f));
    return __builtin_convertvector(v + 0.5f, I8);
}

QR_SPAN_INLINE I8 Div255x8(I8 x)
{
    const I8 t = x + 128;
    return (t + (t >> 8)) >> 8;
}

QR_SPAN_INLINE I8 Mul255x8(I8 a, I8 b)
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
QR_SPAN_INLINE I8 Floor8(F8 f)
{
    f = Min8(Max8(f, SplatF(-1073741824.0f)), SplatF(1073741824.0f));
#if defined(__x86_64__) && defined(QR_SPAN_AVX2_BODY)
    return __builtin_convertvector(
        reinterpret_cast<F8>(_mm256_round_ps(reinterpret_cast<__m256>(f), _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC)),
        I8);
#else
    const I8 i = __builtin_convertvector(f, I8);
    return i + (__builtin_convertvector(i, F8) > f);
#endif
}

// Log2Approximation per lane.
QR_SPAN_INLINE F8 Log2Approximation8(F8 x)
{
    I8 bits;
    std::memcpy(&bits, &x, sizeof bits);
    const I8 exponent = ((bits >> 23) & 0x1FF) - 127;
    const F8 mantissa = __builtin_convertvector(bits & 0x7FFFFF, F8) * (1.0f / 8388608.0f);
    return Select(x > 1e-30f, __builtin_convertvector(exponent, F8) + mantissa, SplatF(-100.0f));
}

// 32 bits at base + offset[k] per lane. Eight loads and inserts rather than the processor's
// gather instruction: on recent processors (and under the microcode that guards gathers)
// that is several times slower.
QR_SPAN_INLINE I8 Gather32(const uint8_t* base, I8 offset)
{
#ifdef QR_SPAN_AVX2_BODY
    const __m256i o = reinterpret_cast<__m256i>(offset);
    const __m128i low = _mm256_castsi256_si128(o);
    const __m128i high = _mm256_extracti128_si256(o, 1);
    const uint64_t q[4] = {
        static_cast<uint64_t>(_mm_cvtsi128_si64(low)), static_cast<uint64_t>(_mm_extract_epi64(low, 1)),
        static_cast<uint64_t>(_mm_cvtsi128_si64(high)), static_cast<uint64_t>(_mm_extract_epi64(high, 1))};
    auto at = [base](uint64_t pair, int half)
    {
        int32_t v;
        std::memcpy(&v, base + static_cast<int32_t>(static_cast<uint32_t>(pair >> (32 * half))), 4);
        return v;
    };
    return reinterpret_cast<I8>(_mm256_setr_epi32(at(q[0], 0), at(q[0], 1), at(q[1], 0), at(q[1], 1), at(q[2], 0),
                                                  at(q[2], 1), at(q[3], 0), at(q[3], 1)));
#else
    I8 out;
    for (int k = 0; k < kLanes; ++k)
    {
        uint32_t v;
        std::memcpy(&v, base + offset[k], 4);
        out[k] = static_cast<int32_t>(v);
    }
    return out;
#endif
}

// The 16-bit words at base + offset[k] (offsets even). Without single loads: the aligned
// 32-bit word holding each, which lies within its row as rows start on 4 bytes and their
// pitch is a multiple of 4.
QR_SPAN_INLINE I8 Gather16(const uint8_t* base, I8 offset)
{
#ifdef QR_SPAN_AVX2_BODY
    // Loaded one by one, each 16-bit word is read as it is.
    const __m256i o = reinterpret_cast<__m256i>(offset);
    const __m128i low = _mm256_castsi256_si128(o);
    const __m128i high = _mm256_extracti128_si256(o, 1);
    const uint64_t q[4] = {
        static_cast<uint64_t>(_mm_cvtsi128_si64(low)), static_cast<uint64_t>(_mm_extract_epi64(low, 1)),
        static_cast<uint64_t>(_mm_cvtsi128_si64(high)), static_cast<uint64_t>(_mm_extract_epi64(high, 1))};
    auto at = [base](uint64_t pair, int half)
    {
        uint16_t v;
        std::memcpy(&v, base + static_cast<int32_t>(static_cast<uint32_t>(pair >> (32 * half))), 2);
        return static_cast<int32_t>(v);
    };
    return reinterpret_cast<I8>(_mm256_setr_epi32(at(q[0], 0), at(q[0], 1), at(q[1], 0), at(q[1], 1), at(q[2], 0),
                                                  at(q[2], 1), at(q[3], 0), at(q[3], 1)));
#else
    const I8 words = Gather32(base, offset & ~3);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return (words >> ((offset & 2) << 3)) & 0xFFFF;
#else
    return (words >> ((~offset & 2) << 3)) & 0xFFFF;
#endif
#endif
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
    bool aligned;          // shared starts on 4 bytes and its pitch is a multiple of 4
};

QR_SPAN_INLINE void ShareLevel(const TextureSampler::Level& at, Levels8& l)
{
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
    l.aligned = ((reinterpret_cast<uintptr_t>(at.pixels) | static_cast<uintptr_t>(at.pitch)) & 3) == 0;
}

// Whether a level's offsets fit 32 bits for one base pointer.
QR_SPAN_INLINE bool Shareable(const TextureSampler::Level& at)
{
    return static_cast<int64_t>(at.pitch) * at.height < (int64_t{1} << 31);
}

QR_SPAN_INLINE Levels8 GatherLevels(const TextureSampler& s, I8 level)
{
    Levels8 l;
    const TextureSampler::Level& first = s.LevelAt(static_cast<uint32_t>(level[0]));
    if (!Any(level != level[0]) && Shareable(first))
    {
        ShareLevel(first, l);
        return l;
    }
    l.shared = nullptr;
    l.aligned = false;
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
QR_SPAN_INLINE I8 Address8(TextureAddress mode, I8 i, I8 size, I8 mask, bool pow2)
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

// raw holds 16 bits. A 5-bit channel c widens to c << 3 | c >> 2, which is (33 c) >> 2, and a
// 6-bit one to c << 2 | c >> 4, which is (65 c) >> 4.
QR_SPAN_INLINE Color8 Expand565(I8 raw)
{
    const I8 r = raw >> 11;
    const I8 g = (raw >> 5) & 63;
    const I8 b = raw & 31;
    return {(r * 33) >> 2, (g * 65) >> 4, (b * 33) >> 2, SplatI(255)};
}

// The raw 16-bit texels at (x, y).
QR_SPAN_INLINE I8 Raw565(const Levels8& l, I8 x, I8 y)
{
    I8 raw;
    if (l.shared && l.aligned)
    {
        // Offsets fit 32 bits: a level is far smaller than 2 GB.
        raw = Gather16(l.shared, y * l.pitch + x * 2);
    }
    else if (l.shared)
    {
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
    return raw;
}

QR_SPAN_INLINE Color8 Texels565(const Levels8& l, I8 x, I8 y)
{
    return Expand565(Raw565(l, x, y));
}

// How the span loop reads stage 0's texture: its addressing, and for the loops without a
// level of detail the base level itself.
struct TexelSource
{
    TextureAddress addressU;
    TextureAddress addressV;
    bool pow2;
    Levels8 base;
    // With a level of detail: every pixel of the call takes level `base` and the filter
    // `fixedLinear`, with no blend of levels (FixLevel).
    bool fixed = false;
    bool fixedLinear = false;
};

QR_SPAN_INLINE Color8 Point8(const TexelSource& t, const Levels8& l, F8 u, F8 v)
{
    const I8 x = Address8(t.addressU, Floor8(u * l.fw), l.width, l.maskX, t.pow2);
    const I8 y = Address8(t.addressV, Floor8(v * l.fh), l.height, l.maskY, t.pow2);
    return Texels565(l, x, y);
}

using U8 = uint32_t __attribute__((vector_size(32)));

// a.lo * w.lo + a.hi * w.hi per lane, over the signed 16-bit halves of each lane.
QR_SPAN_INLINE I8 MultiplyAddHalves(I8 a, I8 w)
{
#if defined(__x86_64__) && defined(QR_SPAN_AVX2_BODY)
    return reinterpret_cast<I8>(_mm256_madd_epi16(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(w)));
#elif defined(__x86_64__)
    __m128i ah[2];
    __m128i wh[2];
    std::memcpy(ah, &a, sizeof ah);
    std::memcpy(wh, &w, sizeof wh);
    const __m128i r[2] = {_mm_madd_epi16(ah[0], wh[0]), _mm_madd_epi16(ah[1], wh[1])};
    I8 out;
    std::memcpy(&out, r, sizeof out);
    return out;
#else
    return ((a << 16) >> 16) * ((w << 16) >> 16) + (a >> 16) * (w >> 16);
#endif
}

// The channels of two RGB565 texels, first in the low half of each lane and second in the
// high half, expanded to 0..255 in place: red, green, blue.
struct Pairs8
{
    I8 r;
    I8 g;
    I8 b;
};

// In 16-bit lanes, widened as Expand565 does (no product leaves its lane).
QR_SPAN_INLINE Pairs8 ExpandPairs565(I8 pairs)
{
    using U16x16 = uint16_t __attribute__((vector_size(32)));
    const U16x16 p = reinterpret_cast<U16x16>(pairs);
    const U16x16 r = p >> 11;
    const U16x16 g = (p >> 5) & 63;
    const U16x16 b = p & 31;
    return {reinterpret_cast<I8>(static_cast<U16x16>((r * 33) >> 2)),
            reinterpret_cast<I8>(static_cast<U16x16>((g * 65) >> 4)),
            reinterpret_cast<I8>(static_cast<U16x16>((b * 33) >> 2))};
}

// Texel centres on half-integers, 8 bits of fraction, two horizontal blends and a vertical one,
// in integers: the same values the reference computes exactly in floats.
QR_SPAN_INLINE Color8 Bilinear8(const TexelSource& t, const Levels8& l, F8 u, F8 v)
{
    const I8 fx = Floor8((u * l.fw - 0.5f) * 256.0f);
    const I8 fy = Floor8((v * l.fh - 0.5f) * 256.0f);
    const I8 ax = fx & 255;
    const I8 ay = fy & 255;
    const I8 x0 = Address8(t.addressU, fx >> 8, l.width, l.maskX, t.pow2);
    const I8 x1 = Address8(t.addressU, (fx >> 8) + 1, l.width, l.maskX, t.pow2);
    const I8 y0 = Address8(t.addressV, fy >> 8, l.height, l.maskY, t.pow2);
    const I8 y1 = Address8(t.addressV, (fy >> 8) + 1, l.height, l.maskY, t.pow2);
    I8 top;
    I8 bottom;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (l.shared && !Any(x1 != x0 + 1))
    {
        // Each row's two texels side by side in memory, read as one 32-bit word.
        top = Gather32(l.shared, y0 * l.pitch + x0 * 2);
        bottom = Gather32(l.shared, y1 * l.pitch + x0 * 2);
    }
    else
#endif
    {
        auto pair = [](I8 first, I8 second)
        { return reinterpret_cast<I8>(reinterpret_cast<U8>(first) | reinterpret_cast<U8>(second) << 16); };
        top = pair(Raw565(l, x0, y0), Raw565(l, x1, y0));
        bottom = pair(Raw565(l, x0, y1), Raw565(l, x1, y1));
    }
    const Pairs8 a = ExpandPairs565(top);
    const Pairs8 b = ExpandPairs565(bottom);
    // Horizontal weights as halves: 256 - ax for the first texel, ax for the second.
    const I8 wx = (256 - ax) | ax << 16;
    const I8 wy0 = 256 - ay;
    auto mix = [&](I8 Pairs8::*channel)
    {
        const I8 upper = MultiplyAddHalves(a.*channel, wx);
        const I8 lower = MultiplyAddHalves(b.*channel, wx);
        return (upper * wy0 + lower * ay + 32768) >> 16;
    };
    return {mix(&Pairs8::r), mix(&Pairs8::g), mix(&Pairs8::b), SplatI(255)};
}

QR_SPAN_INLINE Color8 Filtered8(const TexelSource& t, const Levels8& l, bool linear, F8 u, F8 v)
{
    return linear ? Bilinear8(t, l, u, v) : Point8(t, l, u, v);
}

QR_SPAN_INLINE Color8 SelectColor(I8 mask, const Color8& a, const Color8& b)
{
    return {Select(mask, a.r, b.r), Select(mask, a.g, b.g), Select(mask, a.b, b.b), Select(mask, a.a, b.a)};
}

// The level of detail of the larger of the squared texel steps along x and y.
QR_SPAN_INLINE F8 LodOf8(F8 squared)
{
    return 0.5f * Log2Approximation8(squared);
}

// What a level of detail picks: the level, the weight of the next one (0..255) and whether
// the texture is minified (-1) or magnified (0). Each is monotonic in the level of detail,
// the weight within one level.
struct LevelChoice8
{
    I8 level;
    I8 f;
    I8 minified;
};

QR_SPAN_INLINE LevelChoice8 ChooseLevel8(const TextureSampler& t, F8 lod)
{
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
    return {Select(minified, level, SplatI(0)), f, minified};
}

// The texel colours at (u, v) with levels of detail lod, levels and filters chosen and
// blended as the sampler's batches do.
QR_SPAN_INLINE Color8 SampleLod8(const TextureSampler& t, const TexelSource& src, F8 u, F8 v, F8 lod)
{
    const int32_t last = static_cast<int32_t>(t.LevelCount()) - 1;
    const LevelChoice8 choice = ChooseLevel8(t, lod);
    const I8 level = choice.level;
    const I8 f = choice.f;
    const I8 minified = choice.minified;
    const Levels8 levels = GatherLevels(t, level);
    Color8 c = Filtered8(src, levels, t.MinLinear(), u, v);
    if (t.MagLinear() != t.MinLinear())
        c = SelectColor(minified, c, Filtered8(src, levels, t.MagLinear(), u, v));
    if (!Any(f != 0))
        return c;
    // The next level, blended in by f (a lane with f = 0 keeps its colour exactly).
    const I8 next = Select(level < last, level + 1, SplatI(last));
    const Color8 d = Filtered8(src, GatherLevels(t, next), t.MinLinear(), u, v);
    c.r = (c.r * (256 - f) + d.r * f + 128) >> 8;
    c.g = (c.g * (256 - f) + d.g * f + 128) >> 8;
    c.b = (c.b * (256 - f) + d.b * f + 128) >> 8;
    return c;
}

// n 16-bit words from at into lanes (the rest 0): all eight at once when the row holds them.
QR_SPAN_INLINE I8 Load8(const uint8_t* at, int n, bool whole)
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
// full: a run with every lane drawn stores without reading the old words (a loss where the
// loop has just read them for blending, or where short rows make the test a coin toss).
QR_SPAN_INLINE void Store8(uint8_t* at, int n, bool whole, I8 drawn, I8 values, bool full = false)
{
    if (full && whole && !Any(~drawn))
    {
        // Every lane drawn: nothing of the old words is kept.
        const U16x8 out = Narrow(values);
        std::memcpy(at, &out, sizeof out);
        return;
    }
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
QR_SPAN_INLINE I8 BlendFactor8(BlendFactor f, I8 src, I8 a, I8 dst)
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

QR_SPAN_INLINE I8 Pick(Combiner::Plain plain, I8 diffuse, I8 texel)
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

// floor(q / (255 * 32)) for 0 <= q < 2^20: floor(floor(q / 32) / 255), the latter exact by
// multiplication for values below 2^14.
QR_SPAN_INLINE I8 Dither8(I8 c, int32_t levels, I8 bias)
{
    const I8 q = c * (levels * 32) + bias;
    return ((q >> 5) * 32897) >> 23;
}

// The states of one draw a span loop reads, copied out of the setup once per call: the
// pixel stores go through byte pointers, which could alias the setup and force reloads.
struct SpanParams
{
    uint8_t* color;
    intptr_t colorPitch;
    uint8_t* depth;
    intptr_t depthPitch;
    int32_t clipRight;
    bool depthTest;
    bool depthWrite;
    bool specular;
    bool tableFog;
    bool dither;
    bool perspective;
    Combiner::Plain plainColor;
    Combiner::Plain plainAlpha;
    BlendFactor srcBlend;
    BlendFactor destBlend;
    float fogStart;
    float fogEnd;
    int32_t fogR;
    int32_t fogG;
    int32_t fogB;
    float zLimit;
    int32_t zMask;
    uint32_t iu; // attribute of stage 0's u (v follows)
    float texWidth;
    float texHeight;
    // Pixels of several rows may share a pass: the target's rows start on 4 bytes, their
    // pitches are multiples of 4 and every pixel's offset fits 31 bits.
    bool packable;
};

SpanParams ParamsOf(const RasterSetup& s)
{
    SpanParams c;
    c.color = s.color;
    c.colorPitch = s.colorPitch;
    c.depth = s.depth;
    c.depthPitch = s.depthPitch;
    c.clipRight = s.clip.right;
    c.depthTest = s.depthTest;
    c.depthWrite = s.depthWrite;
    c.specular = s.specular;
    c.tableFog = s.tableFog;
    c.dither = s.dither;
    c.perspective = s.perspective;
    c.plainColor = s.plainColor;
    c.plainAlpha = s.plainAlpha;
    c.srcBlend = s.srcBlend;
    c.destBlend = s.destBlend;
    c.fogStart = s.fogStart;
    c.fogEnd = s.fogEnd;
    c.fogR = s.fogColor.r;
    c.fogG = s.fogColor.g;
    c.fogB = s.fogColor.b;
    c.zLimit = static_cast<float>(s.depthMax);
    c.zMask = static_cast<int32_t>(s.depthMax);
    c.iu = kAttrU0 + 2 * s.coordSet[0];
    c.texWidth = s.samplers[0].BaseWidth();
    c.texHeight = s.samplers[0].BaseHeight();
    auto fits = [&s](const uint8_t* base, int32_t pitch)
    {
        return ((reinterpret_cast<uintptr_t>(base) | static_cast<uint32_t>(pitch)) & 3) == 0 && pitch > 0 &&
               static_cast<int64_t>(pitch) * s.clip.bottom < (int64_t{1} << 31);
    };
    c.packable = fits(s.color, s.colorPitch) && (!s.depth || fits(s.depth, s.depthPitch));
    return c;
}

// One row's part of the planes: base + gx fx + gy fy with gy fy the row's.
// One plane with the y part of the lanes' rows: base + gx fx + gy fy, gy fy per lane.
struct RowPlane
{
    float base;
    float gx;
    float gy;
    F8 yTerm;
    const float* columns = nullptr; // base + gx fx by column, from the call's first, where filled

    QR_SPAN_INLINE F8 At(F8 fx) const { return base + gx * fx + yTerm; }

    // Columns: the sums for the eight columns from `column` of the table, which holds the
    // same values base + gx fx rounds to.
    template <bool Columns> QR_SPAN_INLINE F8 At(F8 fx, int32_t column) const
    {
        if constexpr (Columns)
        {
            F8 x;
            std::memcpy(&x, columns + column, sizeof x);
            return x + yTerm;
        }
        else
        {
            return At(fx);
        }
    }
};

QR_SPAN_INLINE RowPlane RowOf(const AttributePlanes& p, uint32_t attr)
{
    return {p.base[attr], p.gx[attr], p.gy[attr], SplatF(0.0f)};
}

// The texels of one run under the key's texturing.
template <uint32_t Tex>
QR_SPAN_INLINE Color8 Texels8(const RasterSetup& s, const SpanParams& c, const AttributePlanes& p,
                              const TexelSource& src, F8 u, F8 v, F8 invW)
{
    if constexpr (Tex == kSpanTexPoint)
        return Point8(src, src.base, u, v);
    else if constexpr (Tex == kSpanTexBilinear)
        return Bilinear8(src, src.base, u, v);
    else
    {
        if (src.fixed)
            return Filtered8(src, src.base, src.fixedLinear, u, v);
        // du/dx = (dU/dx - u dW/dx) / W with U and W linear on screen.
        const uint32_t iu = c.iu;
        const uint32_t iv = iu + 1;
        const float wx = c.perspective ? p.gx[kAttrW] : 0.0f;
        const float wy = c.perspective ? p.gy[kAttrW] : 0.0f;
        const F8 scale = c.perspective ? invW : SplatF(1.0f);
        const F8 dudx = (p.gx[iu] - u * wx) * scale * c.texWidth;
        const F8 dvdx = (p.gx[iv] - v * wx) * scale * c.texHeight;
        const F8 dudy = (p.gy[iu] - u * wy) * scale * c.texWidth;
        const F8 dvdy = (p.gy[iv] - v * wy) * scale * c.texHeight;
        const F8 rx = dudx * dudx + dvdx * dvdx;
        const F8 ry = dudy * dudy + dvdy * dvdy;
        return SampleLod8(s.samplers[0], src, u, v, LodOf8(Max8(rx, ry)));
    }
}

// The row's planes a key reads.
struct RowPlanes
{
    RowPlane z;
    RowPlane w;
    RowPlane diffuse[4];
    RowPlane specular[3];
    RowPlane fog;
    RowPlane u;
    RowPlane v;
    // The diffuse colour of a triangle whose colour planes are flat.
    // Scalars: a vector copied through memory in halves stalls the reload.
    int32_t flatDiffuse[4];
    int32_t firstColumn = 0; // the column of the tables' first entry
    bool fullStores = false; // rows long enough that most runs are whole: the tables filled
};

// The planes with no row's part yet.
QR_SPAN_INLINE RowPlanes RowPlanesOf(const AttributePlanes& p, uint32_t iu)
{
    RowPlanes r;
    r.z = {static_cast<float>(p.z0), static_cast<float>(p.zx), static_cast<float>(p.zy), SplatF(0.0f)};
    r.w = RowOf(p, kAttrW);
    for (uint32_t i = 0; i < 4; ++i)
        r.diffuse[i] = RowOf(p, kAttrDiffuseR + i);
    for (uint32_t i = 0; i < 3; ++i)
        r.specular[i] = RowOf(p, kAttrSpecularR + i);
    r.fog = RowOf(p, kAttrFog);
    r.u = RowOf(p, iu);
    r.v = RowOf(p, iu + 1);
    return r;
}

// Whether a key's loop divides by the interpolated rhw.
template <uint32_t Key> QR_SPAN_INLINE bool NeedsW(const SpanParams& c)
{
    constexpr uint32_t kTex = (Key >> kSpanTexShift) & 3;
    constexpr bool kFog = (Key & kSpanFog) != 0;
    return kTex != kSpanTexNone ? c.perspective || (kFog && c.tableFog) : kFog && c.tableFog;
}

// Sets the y parts of the planes a key reads for lanes at fy (from the planes' origin).
template <uint32_t Key, bool Flat = false> QR_SPAN_INLINE void SetRows(const SpanParams& c, RowPlanes& r, F8 fy)
{
    constexpr bool kDepth = (Key & kSpanDepth) != 0;
    constexpr uint32_t kTex = (Key >> kSpanTexShift) & 3;
    constexpr uint32_t kBlend = (Key >> kSpanBlendShift) & 3;
    constexpr bool kFog = (Key & kSpanFog) != 0;
    if constexpr (kDepth)
        r.z.yTerm = r.z.gy * fy;
    if (NeedsW<Key>(c))
        r.w.yTerm = r.w.gy * fy;
    if constexpr (!Flat)
    {
        r.diffuse[0].yTerm = r.diffuse[0].gy * fy;
        r.diffuse[1].yTerm = r.diffuse[1].gy * fy;
        r.diffuse[2].yTerm = r.diffuse[2].gy * fy;
        if constexpr (kBlend != kSpanBlendNone)
            r.diffuse[3].yTerm = r.diffuse[3].gy * fy;
    }
    if (c.specular)
    {
        r.specular[0].yTerm = r.specular[0].gy * fy;
        r.specular[1].yTerm = r.specular[1].gy * fy;
        r.specular[2].yTerm = r.specular[2].gy * fy;
    }
    if (kFog && !c.tableFog)
        r.fog.yTerm = r.fog.gy * fy;
    if constexpr (kTex != kSpanTexNone)
    {
        r.u.yTerm = r.u.gy * fy;
        r.v.yTerm = r.v.gy * fy;
    }
}

// The colour of one run's lanes from texturing through fog; Flat: the diffuse colour is
// r.flatDiffuse; Columns: the planes' x parts come from their tables at `column`.
template <uint32_t Key, bool Flat = false, bool Columns = false>
QR_SPAN_INLINE Color8 Shade8(const RasterSetup& s, const SpanParams& c, const AttributePlanes& p,
                             const TexelSource& src, const RowPlanes& r, F8 fx, F8 invW, int32_t column = 0)
{
    constexpr uint32_t kTex = (Key >> kSpanTexShift) & 3;
    constexpr uint32_t kBlend = (Key >> kSpanBlendShift) & 3;
    // Alpha matters only to blending.
    Color8 col;
    if constexpr (Flat)
        col = {SplatI(r.flatDiffuse[0]), SplatI(r.flatDiffuse[1]), SplatI(r.flatDiffuse[2]), SplatI(r.flatDiffuse[3])};
    else
        col = {Channel8(r.diffuse[0].At<Columns>(fx, column)), Channel8(r.diffuse[1].At<Columns>(fx, column)),
               Channel8(r.diffuse[2].At<Columns>(fx, column)),
               kBlend != kSpanBlendNone ? Channel8(r.diffuse[3].At<Columns>(fx, column)) : SplatI(255)};
    if constexpr (kTex != kSpanTexNone)
    {
        F8 u = r.u.At<Columns>(fx, column);
        F8 v = r.v.At<Columns>(fx, column);
        if (c.perspective)
        {
            u = u * invW;
            v = v * invW;
        }
        const Color8 t = Texels8<kTex>(s, c, p, src, u, v, invW);
        col = {Pick(c.plainColor, col.r, t.r), Pick(c.plainColor, col.g, t.g), Pick(c.plainColor, col.b, t.b),
               Pick(c.plainAlpha, col.a, t.a)};
    }
    if (c.specular)
    {
        col.r = Min255(col.r + Channel8(r.specular[0].At<Columns>(fx, column)));
        col.g = Min255(col.g + Channel8(r.specular[1].At<Columns>(fx, column)));
        col.b = Min255(col.b + Channel8(r.specular[2].At<Columns>(fx, column)));
    }
    if constexpr ((Key & kSpanFog) != 0)
    {
        I8 amount;
        if (c.tableFog)
        {
            const float range = c.fogEnd - c.fogStart;
            F8 f;
            if (range > 0.0f)
                f = (c.fogEnd - invW) / range;
            else
                f = Select(invW < c.fogEnd, SplatF(1.0f), SplatF(0.0f));
            amount = Channel8(f * 255.0f);
        }
        else
        {
            amount = Channel8(r.fog.At<Columns>(fx, column));
        }
        const I8 keep = 255 - amount;
        col.r = Div255x8(col.r * amount + c.fogR * keep);
        col.g = Div255x8(col.g * amount + c.fogG * keep);
        col.b = Div255x8(col.b * amount + c.fogB * keep);
    }
    return col;
}

// Blends with the target's stored pixels (read only by blending keys) and packs to RGB565;
// bias holds the lanes' dither terms.
template <uint32_t Key> QR_SPAN_INLINE I8 Pack8(const SpanParams& c, I8 stored, I8 bias, Color8 col)
{
    constexpr uint32_t kBlend = (Key >> kSpanBlendShift) & 3;
    if constexpr (kBlend != kSpanBlendNone)
    {
        const I8 r5 = (stored >> 11) & 31;
        const I8 g6 = (stored >> 5) & 63;
        const I8 b5 = stored & 31;
        const I8 dest[3] = {r5 << 3 | r5 >> 2, g6 << 2 | g6 >> 4, b5 << 3 | b5 >> 2};
        I8* channels[3] = {&col.r, &col.g, &col.b};
        for (int i = 0; i < 3; ++i)
        {
            I8 fs;
            I8 fd;
            if constexpr (kBlend == kSpanBlendAlpha)
            {
                fs = col.a;
                fd = 255 - col.a;
            }
            else
            {
                fs = BlendFactor8(c.srcBlend, *channels[i], col.a, dest[i]);
                fd = BlendFactor8(c.destBlend, *channels[i], col.a, dest[i]);
            }
            *channels[i] = Min255(Mul255x8(*channels[i], fs) + Mul255x8(dest[i], fd));
        }
    }
    if (c.dither)
        return Dither8(col.r, 31, bias) << 11 | Dither8(col.g, 63, bias) << 5 | Dither8(col.b, 31, bias);
    return (col.r >> 3) << 11 | (col.g >> 2) << 5 | (col.b >> 3);
}

// The pixels lo..hi of row y, eight at a time from lo. Long: the rows are long, the planes'
// tables filled and runs with every lane drawn store without reading.
template <uint32_t Key, bool Flat, bool Long>
QR_SPAN_INLINE void ShadeRow(const RasterSetup& s, const SpanParams& c, const AttributePlanes& p, RowPlanes& r,
                             const TexelSource& src, int32_t y, int32_t lo, int32_t hi)
{
    constexpr bool kDepth = (Key & kSpanDepth) != 0;
    constexpr uint32_t kBlend = (Key >> kSpanBlendShift) & 3;
    uint8_t* colorRow = c.color + static_cast<intptr_t>(y) * c.colorPitch;
    uint8_t* depthRow = kDepth ? c.depth + static_cast<intptr_t>(y) * c.depthPitch : nullptr;
    SetRows<Key, Flat>(c, r, SplatF(static_cast<float>(y) - p.originY));
    const bool needsW = NeedsW<Key>(c);
    constexpr bool kFull = Long && kBlend == kSpanBlendNone;
    // The dither terms (2 t + 1) 255 of the row's thresholds t, by column modulo 4.
    I8 bias[4];
    if (c.dither)
        for (int32_t m = 0; m < 4; ++m)
            for (int k = 0; k < kLanes; ++k)
                bias[m][k] = static_cast<int32_t>((2 * DitherThreshold(m + k, y) + 1) * 255);
    const int32_t clipRight = c.clipRight;
    const I8 lane = {0, 1, 2, 3, 4, 5, 6, 7};
    for (int32_t x0 = lo; x0 <= hi; x0 += kLanes)
    {
        const int n = hi - x0 + 1 < kLanes ? hi - x0 + 1 : kLanes;
        // All eight lanes lie within the rows' drawable memory.
        const bool whole = x0 + kLanes <= clipRight;
        const F8 fx = __builtin_convertvector(x0 + lane, F8) - p.originX;
        const int32_t column = x0 - r.firstColumn;
        I8 drawn = lane < n;
        I8 z = {};
        if constexpr (kDepth)
        {
            F8 d = r.z.At<Long>(fx, column);
            d = Min8(Max8(d, SplatF(0.0f)), SplatF(c.zLimit));
            z = __builtin_convertvector(d + 0.5f, I8);
            if (c.depthTest)
            {
                const I8 stored = Load8(depthRow + static_cast<intptr_t>(x0) * 2, n, whole);
                drawn &= z <= (stored & c.zMask);
                if (!Any(drawn))
                    continue;
            }
        }
        F8 invW = {};
        if (needsW)
            invW = 1.0f / r.w.At<Long>(fx, column);
        const Color8 col = Shade8<Key, Flat, Long>(s, c, p, src, r, fx, invW, column);
        uint8_t* color = colorRow + static_cast<intptr_t>(x0) * 2;
        const I8 stored = kBlend != kSpanBlendNone ? Load8(color, n, whole) : I8{};
        Store8(color, n, whole, drawn, Pack8<Key>(c, stored, c.dither ? bias[x0 & 3] : I8{}, col), kFull);
        if constexpr (kDepth)
            if (c.depthWrite)
                Store8(depthRow + static_cast<intptr_t>(x0) * 2, n, whole, drawn, z, kFull);
    }
}

// Up to eight pixels from several rows, (xs[k], ys[k]) for the lanes below n (the other
// lanes repeat lane 0): short rows share a pass instead of taking one each.
template <uint32_t Key>
QR_SPAN_INLINE void ShadePacked(const RasterSetup& s, const SpanParams& c, const AttributePlanes& p, RowPlanes& r,
                                const TexelSource& src, I8 xs, I8 ys, int n)
{
    constexpr bool kDepth = (Key & kSpanDepth) != 0;
    constexpr uint32_t kBlend = (Key >> kSpanBlendShift) & 3;
    const I8 lane = {0, 1, 2, 3, 4, 5, 6, 7};
    SetRows<Key>(c, r, __builtin_convertvector(ys, F8) - p.originY);
    const F8 fx = __builtin_convertvector(xs, F8) - p.originX;
    // Offsets fit 32 bits: checked for the whole target once per call.
    const I8 colorAt = ys * static_cast<int32_t>(c.colorPitch) + xs * 2;
    I8 depthAt = {};
    I8 drawn = lane < n;
    I8 z = {};
    if constexpr (kDepth)
    {
        depthAt = ys * static_cast<int32_t>(c.depthPitch) + xs * 2;
        F8 d = r.z.At(fx);
        d = Min8(Max8(d, SplatF(0.0f)), SplatF(c.zLimit));
        z = __builtin_convertvector(d + 0.5f, I8);
        if (c.depthTest)
        {
            const I8 storedDepth = Gather16(c.depth, depthAt);
            drawn &= z <= (storedDepth & c.zMask);
            if (!Any(drawn))
                return;
        }
    }
    F8 invW = {};
    if (NeedsW<Key>(c))
        invW = 1.0f / r.w.At(fx);
    const Color8 col = Shade8<Key>(s, c, p, src, r, fx, invW);
    I8 bias = {};
    if (c.dither)
        for (int k = 0; k < kLanes; ++k)
            bias[k] = static_cast<int32_t>((2 * DitherThreshold(xs[k], ys[k]) + 1) * 255);
    const I8 stored = kBlend != kSpanBlendNone ? Gather16(c.color, colorAt) : I8{};
    const I8 packed = Pack8<Key>(c, stored, bias, col);
    const bool writeDepth = kDepth && c.depthWrite;
    for (int k = 0; k < n; ++k)
    {
        if (!drawn[k])
            continue;
        const uint16_t colorWord = static_cast<uint16_t>(packed[k]);
        std::memcpy(c.color + colorAt[k], &colorWord, 2);
        if (writeDepth)
        {
            const uint16_t depthWord = static_cast<uint16_t>(z[k]);
            std::memcpy(c.depth + depthAt[k], &depthWord, 2);
        }
    }
}

using D4 = double __attribute__((vector_size(32)));

QR_SPAN_INLINE D4 Abs4(D4 v)
{
    return v < 0.0 ? -v : v;
}

QR_SPAN_INLINE D4 Min4(D4 a, D4 b)
{
    return a < b ? a : b;
}

QR_SPAN_INLINE D4 Max4(D4 a, D4 b)
{
    return a > b ? a : b;
}

// Where every pixel of the box x0..x1, y0..y1 provably picks the same level, filter and no
// blend of levels, src takes them and the pixels skip their level of detail. Each texel step
// (u and v along x and y, one per lane) is N / W^2 * size with W linear on screen and N =
// dP/dx W - P dW/dx linear in y alone (its y twin in x alone), so its extremes over the box
// lie at the box's edges; the bounds are widened by all the rounding the pixels' float
// arithmetic can add. The level choice is monotonic in the squared step, so both ends of its
// range agreeing settles every pixel between. Planes that are not finite, or W reaching
// zero, decide nothing. Inlined: locals whose address escapes are reloaded after every
// pixel store.
QR_SPAN_INLINE void FixLevel(const TextureSampler& t, const SpanParams& c, const AttributePlanes& p, int32_t x0,
                             int32_t x1, int32_t y0, int32_t y1, TexelSource& src)
{
    constexpr double kUlp = 1.0 / 4194304.0; // 2^-22: over a float operation's relative rounding
    const uint32_t iu = c.iu;
    const uint32_t iv = iu + 1;
    // The box's offsets from the planes' origin, rounded as the pixels round theirs.
    const double fx0 = static_cast<float>(x0) - p.originX;
    const double fx1 = static_cast<float>(x1) - p.originX;
    const double fy0 = static_cast<float>(y0) - p.originY;
    const double fy1 = static_cast<float>(y1) - p.originY;
    const double ax = std::max(std::fabs(fx0), std::fabs(fx1));
    const double ay = std::max(std::fabs(fy0), std::fabs(fy1));
    const bool perspective = c.perspective;
    const double bw = perspective ? p.base[kAttrW] : 1.0;
    const double gwx = perspective ? p.gx[kAttrW] : 0.0;
    const double gwy = perspective ? p.gy[kAttrW] : 0.0;
    // A plane's pixel values stray from its exact ones by at most three roundings.
    const double eW = (std::fabs(bw) + std::fabs(gwx) * ax + std::fabs(gwy) * ay) * kUlp;
    const double wMin = bw + std::min(gwx * fx0, gwx * fx1) + std::min(gwy * fy0, gwy * fy1);
    const double wMax = bw + std::max(gwx * fx0, gwx * fx1) + std::max(gwy * fy0, gwy * fy1);
    const double wLo = wMin - eW;
    if (!(wLo > 0.0) || !(wMax < 1e30))
        return;
    const D4 inverses = D4{1.0, 1.0, 1.0, 1.0} / D4{wLo, wMin, wMax, 1.0};
    const double inverseLo = inverses[0];
    const double inverseMin2 = inverses[1] * inverses[1];
    const double inverseMax2 = inverses[2] * inverses[2];
    // Lanes: u along x, v along x, u along y, v along y; "d" the lane's direction, "o" the other.
    const D4 b = {p.base[iu], p.base[iv], p.base[iu], p.base[iv]};
    const D4 gd = {p.gx[iu], p.gx[iv], p.gy[iu], p.gy[iv]};
    const D4 go = {p.gy[iu], p.gy[iv], p.gx[iu], p.gx[iv]};
    const D4 gwd = {gwx, gwx, gwy, gwy};
    const D4 gwo = {gwy, gwy, gwx, gwx};
    const D4 ad = {ax, ax, ay, ay};
    const D4 ao = {ay, ay, ax, ax};
    const D4 size = {c.texWidth, c.texHeight, c.texWidth, c.texHeight};
    const D4 magnitude = Abs4(b) + Abs4(gd) * ad + Abs4(go) * ao;
    const D4 eP = magnitude * kUlp;
    const D4 pk = magnitude + eP;                 // bounds |P| over the box
    const D4 q = pk * (inverseLo * (1.0 + kUlp)); // bounds |u| as the pixels compute it
    const D4 qError = (eP + pk * (eW * inverseLo)) * inverseLo + q * kUlp;
    // N at the box's two edges across the lane's direction.
    const D4 a = gd * bw - gwd * b;
    const D4 cross = gd * gwo - gwd * go;
    const D4 n0 = a + cross * D4{fy0, fy0, fx0, fx0};
    const D4 n1 = a + cross * D4{fy1, fy1, fx1, fx1};
    // (dP - u dW) / W * size: its numerator's size and error, then the step's error.
    const D4 gdAbs = Abs4(gd);
    const D4 gwdAbs = Abs4(gwd);
    const D4 num = gdAbs + q * gwdAbs;
    const D4 numError = gwdAbs * qError + (gdAbs + 2.0 * q * gwdAbs) * kUlp;
    const D4 delta = 2.0 * inverseLo * size * (numError + num * (eW * inverseLo + 3.0 * kUlp));
    const D4 zero = {};
    const auto crosses = ((n0 <= 0.0) != (n1 <= 0.0)) | (n0 == 0.0) | (n1 == 0.0);
    const D4 hi = Max4(Abs4(n0), Abs4(n1));
    const D4 lo = crosses != 0 ? zero : Min4(Abs4(n0), Abs4(n1));
    const D4 stepLo = Max4(zero, size * lo * inverseMax2 - delta);
    const D4 stepHi = size * hi * inverseMin2 + delta;
    const D4 squaredLo = stepLo * stepLo;
    const D4 squaredHi = stepHi * stepHi;
    // The squares' and sum's roundings, then the conversion to float, stay within the factors.
    const double mLo = std::max(squaredLo[0] + squaredLo[1], squaredLo[2] + squaredLo[3]) * (1.0 - 8.0 * kUlp);
    const double mHi = std::max(squaredHi[0] + squaredHi[1], squaredHi[2] + squaredHi[3]) * (1.0 + 8.0 * kUlp);
    const double pMax = std::max(std::max(pk[0], pk[1]), std::max(pk[2], pk[3]));
    if (!(mLo >= 0.0) || !(mHi < 1e30) || !(pMax < 1e30))
        return;
    const F8 ends = {static_cast<float>(mLo), static_cast<float>(mHi)};
    const LevelChoice8 choice = ChooseLevel8(t, LodOf8(ends));
    // Minification matters only where it changes the filter.
    const bool filterVaries = t.MagLinear() != t.MinLinear() && choice.minified[0] != choice.minified[1];
    if (choice.level[0] != choice.level[1] || filterVaries || choice.f[0] != 0 || choice.f[1] != 0)
        return;
    const TextureSampler::Level& level = t.LevelAt(static_cast<uint32_t>(choice.level[0]));
    if (!Shareable(level))
        return;
    ShareLevel(level, src.base);
    src.fixed = true;
    src.fixedLinear = choice.minified[0] ? t.MinLinear() : t.MagLinear();
}

template <uint32_t Key>
void ShadeSpansAs(const RasterSetup& s, const AttributePlanes& planes, const Span* spans, uint32_t count)
{
    constexpr uint32_t kTex = (Key >> kSpanTexShift) & 3;
    // Locals: the pixel stores cannot alias them.
    const SpanParams c = ParamsOf(s);
    const AttributePlanes p = planes;
    TexelSource src; // the base level is set only for the loops that read it
    if constexpr (kTex != kSpanTexNone)
    {
        const TextureSampler& t = s.samplers[0];
        src.addressU = t.AddressModeU();
        src.addressV = t.AddressModeV();
        src.pow2 = s.spanPow2;
        if constexpr (kTex != kSpanTexLod)
            ShareLevel(t.LevelAt(0), src.base);
    }
    RowPlanes r = RowPlanesOf(p, c.iu);
    // A triangle whose vertices share their colour (an evenly lit flat surface) converts it
    // once: base + 0 x + 0 y is base, or a zero of either sign, which converts alike.
    constexpr uint32_t kBlend = (Key >> kSpanBlendShift) & 3;
    constexpr uint32_t kColorPlanes = kBlend != kSpanBlendNone ? 4 : 3;
    bool flat = true;
    for (uint32_t i = 0; i < kColorPlanes; ++i)
        flat = flat && p.gx[kAttrDiffuseR + i] == 0.0f && p.gy[kAttrDiffuseR + i] == 0.0f;
    if (flat)
        for (uint32_t i = 0; i < 4; ++i)
            r.flatDiffuse[i] = i < kColorPlanes ? Channel8(SplatF(p.base[kAttrDiffuseR + i]))[0] : 255;
    // Rows long enough that most runs are whole (larger triangles) take the x part of every
    // plane they read, base + gx fx, from tables made once per column of the spans (eight
    // past the last, which a run may reach) instead of once per pixel. Where blending reads
    // the target anyway the tables are the only gain, and pay only where their columns are
    // read several times over: short rows or few of them (small triangles) use each column
    // too seldom.
    int32_t first = spans[0].lo;
    int32_t last = spans[0].hi;
    int32_t top = spans[0].y;
    int32_t bottom = spans[0].y;
    int64_t pixels = 0;
    int64_t runsRead = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        first = spans[i].lo < first ? spans[i].lo : first;
        last = spans[i].hi > last ? spans[i].hi : last;
        top = spans[i].y < top ? spans[i].y : top;
        bottom = spans[i].y > bottom ? spans[i].y : bottom;
        pixels += spans[i].hi - spans[i].lo + 1;
        runsRead += (spans[i].hi - spans[i].lo) / kLanes + 1;
    }
    if constexpr (kTex == kSpanTexLod)
    {
        FixLevel(s.samplers[0], c, p, first, last, top, bottom, src);
        s.oneLevelCalls += src.fixed ? 1 : 0;
    }
    const int64_t runsMade = (last - first) / kLanes + 2;
    r.fullStores = pixels >= int64_t{16} * count && (kBlend == kSpanBlendNone || runsRead >= 3 * runsMade);
    if (r.fullStores)
    {
        constexpr bool kDepth = (Key & kSpanDepth) != 0;
        constexpr bool kFog = (Key & kSpanFog) != 0;
        RowPlane* filled[12];
        uint32_t used = 0;
        if constexpr (kDepth)
            filled[used++] = &r.z;
        if (NeedsW<Key>(c))
            filled[used++] = &r.w;
        for (uint32_t i = 0; !flat && i < kColorPlanes; ++i)
            filled[used++] = &r.diffuse[i];
        for (uint32_t i = 0; c.specular && i < 3; ++i)
            filled[used++] = &r.specular[i];
        if (kFog && !c.tableFog)
            filled[used++] = &r.fog;
        if constexpr (kTex != kSpanTexNone)
        {
            filled[used++] = &r.u;
            filled[used++] = &r.v;
        }
        const size_t runs = static_cast<size_t>(last - first) / kLanes + 2;
        thread_local std::vector<float> tables;
        if (tables.size() < used * runs * kLanes)
            tables.resize(used * runs * kLanes);
        r.firstColumn = first;
        const I8 lanes = {0, 1, 2, 3, 4, 5, 6, 7};
        for (uint32_t k = 0; k < used; ++k)
        {
            RowPlane& plane = *filled[k];
            float* table = tables.data() + k * runs * kLanes;
            plane.columns = table;
            for (size_t run = 0; run < runs; ++run)
            {
                const int32_t x0 = first + static_cast<int32_t>(run) * kLanes;
                const F8 fx = __builtin_convertvector(x0 + lanes, F8) - p.originX;
                const F8 sum = plane.base + plane.gx * fx;
                std::memcpy(table + run * kLanes, &sum, sizeof sum);
            }
        }
    }
    const bool isLong = r.fullStores;
    auto row = [&](int32_t y, int32_t lo, int32_t hi)
    {
        if (flat && isLong)
            ShadeRow<Key, true, true>(s, c, p, r, src, y, lo, hi);
        else if (flat)
            ShadeRow<Key, true, false>(s, c, p, r, src, y, lo, hi);
        else if (isLong)
            ShadeRow<Key, false, true>(s, c, p, r, src, y, lo, hi);
        else
            ShadeRow<Key, false, false>(s, c, p, r, src, y, lo, hi);
    };
    // Packing pays where shading a pass costs far more than its gathers and single stores:
    // filtered texturing.
    if (kTex < kSpanTexBilinear || !c.packable)
    {
        for (uint32_t i = 0; i < count; ++i)
            row(spans[i].y, spans[i].lo, spans[i].hi);
        return;
    }
    // Whole runs of eight along each row; the rest of the rows packed eight pixels a pass.
    const I8 lane = {0, 1, 2, 3, 4, 5, 6, 7};
    I8 xs = {};
    I8 ys = {};
    int n = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const Span& span = spans[i];
        int32_t x = span.lo;
        const int32_t whole = (span.hi - span.lo + 1) & ~(kLanes - 1);
        if (whole > 0)
        {
            row(span.y, x, x + whole - 1);
            x += whole;
        }
        // The rest of the row into lanes n.. of the pass, flushing it when full.
        while (x <= span.hi)
        {
            const int take = span.hi - x + 1 < kLanes - n ? span.hi - x + 1 : kLanes - n;
            const I8 in = (lane >= n) & (lane < n + take);
            xs = Select(in, lane + (x - n), xs);
            ys = Select(in, SplatI(span.y), ys);
            n += take;
            x += take;
            if (n == kLanes)
            {
                ShadePacked<Key>(s, c, p, r, src, xs, ys, n);
                n = 0;
            }
        }
    }
    if (n > 0)
    {
        for (int k = n; k < kLanes; ++k)
        {
            xs[k] = xs[0];
            ys[k] = ys[0];
        }
        ShadePacked<Key>(s, c, p, r, src, xs, ys, n);
    }
}

// A key's loop into the table, when the part builds it.
template <uint32_t Part, uint32_t Key> void AddLoop(SpanFunction* table)
{
    if constexpr (NormalizedSpanKey(Key) == Key && SpanPartOf(Key) == Part)
        table[Key] = &ShadeSpansAs<Key>;
}

template <uint32_t Part, uint32_t... Keys> void AddLoops(SpanFunction* table, std::integer_sequence<uint32_t, Keys...>)
{
    (AddLoop<Part, Keys>(table), ...);
}

#undef QR_SPAN_INLINE

} // namespace

template <uint32_t Part> void AddSpanLoops(SpanFunction* table)
{
    AddLoops<Part>(table, std::make_integer_sequence<uint32_t, kSpanKeyCount>{});
}
