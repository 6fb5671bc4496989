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

#include <cstdint>
#include <cstring>

namespace plat
{

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QR_SPAN_AVX2 1
namespace span_avx2
{
SpanFunction Function();
} // namespace span_avx2
#endif

} // namespace plat
