#include "qrxProcessor.h"

#include "CpuInfo.h"

namespace
{
uint32_t g_signature = 0;
bool g_family5 = false;
bool g_family6Model1 = false;
bool g_family6Model3Up = false;
} // namespace

uint32_t DetectCpu()
{
    return plat::ReadProcessorSignature();
}

void ClassifyCpu()
{
    ClassifyCpuSignature(DetectCpu());
}

void ClassifyCpuSignature(uint32_t signature)
{
    g_signature = signature;
    const uint32_t family = (signature >> 8) & 0xF;
    const uint32_t model = (signature >> 4) & 0xF;
    g_family5 = family == 5;
    g_family6Model1 = family == 6 && model == 1;
    g_family6Model3Up = family == 6 && model >= 3;
}

uint32_t GetCpuSignature()
{
    return g_signature;
}

bool IsCpuFamily5()
{
    return g_family5;
}

bool IsCpuFamily6Model1()
{
    return g_family6Model1;
}

bool IsCpuFamily6Model3Up()
{
    return g_family6Model3Up;
}
