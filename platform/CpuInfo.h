#pragma once
// The processor's signature: the low 14 bits of the identification leaf (stepping bits 0-3,
// model 4-7, family 8-11, type 12-13). 0 where the instruction does not exist.

#include <cstdint>

namespace plat
{

uint32_t ReadProcessorSignature();

} // namespace plat
