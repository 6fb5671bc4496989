#include "CpuInfo.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace plat
{

uint32_t ReadProcessorSignature()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    // Answers 0 when leaf 1 is beyond the highest leaf the processor offers.
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0)
        return 0;
    return eax & 0x3FFFu;
#else
    return 0;
#endif
}

} // namespace plat
