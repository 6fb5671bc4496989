#pragma once
// What the span loop's body needs, included before it in every instruction-set build so that
// these headers are compiled for the base instruction set.

#include "Combiner.h"
#include "DeviceState.h"
#include "PixelBatch.h"
#include "RasterColor.h"
#include "RasterSetup.h"
#include "RasterVertex.h"
#include "TextureSampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace plat
{

// What a span loop is built for, as bits of its key: the rest of the states it reads at run
// time, once per call.
constexpr uint32_t kSpanDepth = 1;      // a 16-bit depth buffer in use
constexpr uint32_t kSpanFog = 2;        // vertex or table fog
constexpr uint32_t kSpanBlendShift = 2; // two bits:
constexpr uint32_t kSpanBlendNone = 0;
constexpr uint32_t kSpanBlendAlpha = 1; // source alpha over its complement
constexpr uint32_t kSpanBlendAny = 2;
constexpr uint32_t kSpanTexShift = 4; // two bits:
constexpr uint32_t kSpanTexNone = 0;  // no texel read
constexpr uint32_t kSpanTexPoint = 1; // the base level, point-sampled
constexpr uint32_t kSpanTexBilinear = 2;
constexpr uint32_t kSpanTexLod = 3; // levels and filters by level of detail
constexpr uint32_t kSpanKeyCount = 64;

// Blend value 3 is no mode: its keys share the general blend's loop.
constexpr uint32_t NormalizedSpanKey(uint32_t key)
{
    return ((key >> kSpanBlendShift) & 3) == 3 ? key & ~(1u << kSpanBlendShift) : key;
}

// The loops compile in this many parts, each its own object (platform/CMakeLists.txt reads the
// number here): one file of them all took minutes. Twelve parts take one loop of each texture
// mode apiece, the dearest of them spread evenly.
constexpr uint32_t kSpanParts = 12;

// The part that builds a normalized key's loop: its place among the twelve distinct loops
// of its texture mode.
constexpr uint32_t SpanPartOf(uint32_t key)
{
    const uint32_t blend = (key >> kSpanBlendShift) & 3;
    return (blend * 4 + (key & (kSpanDepth | kSpanFog))) % kSpanParts;
}

// Each part sets table[key] for the normalized keys whose loops it builds.
namespace span_baseline
{
template <uint32_t Part> void AddSpanLoops(SpanFunction* table);
} // namespace span_baseline

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(QR_SPAN_REFERENCE_ONLY)
#define QR_SPAN_AVX2 1
namespace span_avx2
{
template <uint32_t Part> void AddSpanLoops(SpanFunction* table);
} // namespace span_avx2
#endif

} // namespace plat
