// One part of the span loops built for AVX2 (no FMA: products and sums stay separately
// rounded), texels read by plain loads; QR_SPAN_PART says which. Only reached after a run-time
// check of the processor.
#include "SpanShader.h"

#include "SpanShaderIncludes.h"

#ifdef QR_SPAN_AVX2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#define QR_SPAN_AVX2_BODY 1

namespace plat::span_avx2
{
#include "SpanShaderImpl.h"

static_assert(QR_SPAN_PART < kSpanParts);
template void AddSpanLoops<QR_SPAN_PART>(SpanFunction* table);
} // namespace plat::span_avx2

#undef QR_SPAN_AVX2_BODY

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
