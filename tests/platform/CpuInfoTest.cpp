#include "CpuInfo.h"

#include <gtest/gtest.h>

// Every x86 processor that runs this has the identification leaf and is family 6 or a
// family above 6 reported as 15 (extended families): the field must come from bits 8-11.
TEST(CpuInfo, SignatureHoldsFamilyAndModelFields)
{
#if defined(__x86_64__) || defined(__i386__)
    const uint32_t signature = plat::ReadProcessorSignature();
    EXPECT_EQ(signature & ~0x3FFFu, 0u);
    const uint32_t family = (signature >> 8) & 0xF;
    EXPECT_TRUE(family == 6 || family == 15) << std::hex << signature;
#else
    EXPECT_EQ(plat::ReadProcessorSignature(), 0u);
#endif
}
