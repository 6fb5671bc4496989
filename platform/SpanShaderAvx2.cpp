// The span loop built for AVX2 (no FMA: products and sums stay separately rounded). Only
// reached after a run-time check of the processor.
#include "SpanShader.h"

#include "SpanShaderIncludes.h"

#ifdef QR_SPAN_AVX2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace plat::span_avx2
{
#include "SpanShaderImpl.h"

SpanFunction Function()
{
    return &ShadeSpans;
}
} // namespace plat::span_avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif
