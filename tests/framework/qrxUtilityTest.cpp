#include "qrxUtility.h"
#include "qrxProcessor.h"

#include "HeadlessWindowBackend.h"

#include <gtest/gtest.h>

namespace
{

TEST(qrxUtilityTest, EaseStartsAndEndsAtRestAndIsContinuous)
{
    EXPECT_DOUBLE_EQ(EaseValue(0.5, 0.0, 1.0, 0.3, 0.7), 0.5);
    EXPECT_EQ(EaseValue(0.0, 2.0, 5.0, 0.3, 0.7), 2.0);
    EXPECT_EQ(EaseValue(1.0, 2.0, 5.0, 0.3, 0.7), 5.0);
    for (double t : {0.3, 0.7})
    {
        const double before = EaseValue(t - 1e-9, 0.0, 1.0, 0.3, 0.7);
        const double after = EaseValue(t + 1e-9, 0.0, 1.0, 0.3, 0.7);
        EXPECT_NEAR(before, after, 1e-8) << t;
    }
    // Near rest at both ends: a step there moves it a fifth or less of the middle's rate.
    const double middleRate = 1.0 / 1.4;
    EXPECT_LT(EaseValue(0.001, 0.0, 1.0, 0.3, 0.7), 0.001 * middleRate / 5);
    EXPECT_GT(EaseValue(0.999, 0.0, 1.0, 0.3, 0.7), 1.0 - 0.001 * middleRate / 5);
}

TEST(qrxUtilityTest, PlaceWindowCentresAcrossAndAThirdDown)
{
    plat::HeadlessWindowBackend window;
    window.SetDesktopSize({1024, 768});
    window.Open(plat::WindowDesc{"t", 640, 480});
    PlaceWindow(&window);
    EXPECT_EQ(window.FrameRect().left, 192);
    EXPECT_EQ(window.FrameRect().top, 96);
    window.SetDesktopSize({600, 400});
    PlaceWindow(&window);
    EXPECT_EQ(window.FrameRect().left, -40) << "too wide: moved back by the overhang";
}

TEST(qrxUtilityTest, ProcessorFamiliesByTable)
{
    struct Case
    {
        uint32_t signature;
        bool f5, f6m1, f6m3;
    };
    for (const Case& c :
         {Case{0x0543, true, false, false}, Case{0x0617, false, true, false}, Case{0x0633, false, false, true},
          Case{0x06F2, false, false, true}, Case{0x0652 & 0x0F00, false, false, false}, Case{0, false, false, false}})
    {
        ClassifyCpuSignature(c.signature);
        EXPECT_EQ(IsCpuFamily5(), c.f5) << std::hex << c.signature;
        EXPECT_EQ(IsCpuFamily6Model1(), c.f6m1) << std::hex << c.signature;
        EXPECT_EQ(IsCpuFamily6Model3Up(), c.f6m3) << std::hex << c.signature;
    }
    ClassifyCpuSignature(0);
}

} // namespace
