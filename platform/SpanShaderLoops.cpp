// One part of the span loops for the build's base instruction set; QR_SPAN_PART (set by the
// build, one object per part) says which.
#include "SpanShader.h"

#include "SpanShaderIncludes.h"

namespace plat::span_baseline
{
#include "SpanShaderImpl.h"

static_assert(QR_SPAN_PART < kSpanParts);
template void AddSpanLoops<QR_SPAN_PART>(SpanFunction* table);
} // namespace plat::span_baseline
