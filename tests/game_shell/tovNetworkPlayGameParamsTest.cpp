#include "tovNetworkPlayGameParams.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

using Params = tovNetworkPlay::GAMEPARAMS;

Params Sample()
{
    Params p;
    p.receiptStamp = 0x01020304;
    p.hostStamp = -7;
    p.hostTimeOfDay = 30600.25;
    p.phase = 0xBEEF;
    p.weighInSeed = 0x5EED;
    p.day = 3;
    p.setting0 = 2;
    p.setting1 = 1;
    p.playerIndex = 2;
    p.lakeId = 17;
    for (size_t i = 0; i < p.weather.size(); ++i)
        p.weather[i] = static_cast<uint8_t>(i * 7 + 1);
    return p;
}

template <typename T> T At(const std::vector<uint8_t>& bytes, size_t offset)
{
    T v;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

TEST(tovNetworkPlayGameParamsTest, ImageHasEachFieldAtItsOffsetAndReadsBack)
{
    const Params p = Sample();
    plat::ByteWriter out;
    p.Write(out);
    const std::vector<uint8_t>& bytes = out.Buffer();
    ASSERT_EQ(bytes.size(), Params::kImageSize);
    // Little-endian on the wire whatever the host; this machine is little-endian too.
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(At<int32_t>(bytes, 4), -7);
    EXPECT_EQ(At<double>(bytes, 8), 30600.25);
    EXPECT_EQ(At<uint16_t>(bytes, 16), 0xBEEF);
    EXPECT_EQ(At<uint16_t>(bytes, 18), 0x5EED);
    EXPECT_EQ(At<int32_t>(bytes, 20), 3);
    EXPECT_EQ(At<int32_t>(bytes, 24), 2);
    EXPECT_EQ(At<int32_t>(bytes, 28), 1);
    EXPECT_EQ(At<int32_t>(bytes, 32), 2);
    EXPECT_EQ(At<int32_t>(bytes, 36), 17);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 40, p.weather.data(), Params::kWeatherBytes));

    plat::ByteReader in(bytes.data(), bytes.size());
    Params back;
    ASSERT_TRUE(back.Read(in));
    EXPECT_EQ(in.Remaining(), 0u);
    plat::ByteWriter again;
    back.Write(again);
    EXPECT_EQ(again.Buffer(), bytes);
}

TEST(tovNetworkPlayGameParamsTest, ShortImageLeavesTheRecordAndOutOfRangeLevelsAreClamped)
{
    plat::ByteWriter out;
    Sample().Write(out);
    std::vector<uint8_t> bytes = out.Buffer();

    Params kept;
    plat::ByteReader shortIn(bytes.data(), bytes.size() - 1);
    EXPECT_FALSE(kept.Read(shortIn));
    EXPECT_TRUE(shortIn.Failed());
    EXPECT_EQ(kept.lakeId, -1);
    EXPECT_FALSE(kept.HasHostClock());

    struct Row
    {
        int32_t setting0, setting1, index;
        int32_t want0, want1, wantIndex;
    };
    for (const Row& r : {Row{7, -2, 5, 3, 0, 2}, Row{-1, 4, -9, 0, 3, 0}, Row{3, 0, 1, 3, 0, 1}})
    {
        std::memcpy(bytes.data() + 24, &r.setting0, 4);
        std::memcpy(bytes.data() + 28, &r.setting1, 4);
        std::memcpy(bytes.data() + 32, &r.index, 4);
        plat::ByteReader in(bytes.data(), bytes.size());
        Params p;
        ASSERT_TRUE(p.Read(in));
        EXPECT_EQ(p.setting0, r.want0);
        EXPECT_EQ(p.setting1, r.want1);
        EXPECT_EQ(p.playerIndex, r.wantIndex);
        EXPECT_EQ(p.lakeId, 17) << "the other fields are read as they are";
    }
}

} // namespace
