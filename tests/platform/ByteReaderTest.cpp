#include "ByteReader.h"
#include "ByteWriter.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsLittleAndBigEndianFields)
{
    plat::ByteWriter w;
    w.U8(0xAB);
    w.U16(0x1234);
    w.U32(0xDEADBEEF);
    w.F32(1.5f);
    w.F64(-2.25);
    w.U16BE(0x1234);
    w.U32BE(0x01020304);
    plat::ByteReader r(w.Buffer().data(), w.Size());
    EXPECT_EQ(r.U8(), 0xAB);
    EXPECT_EQ(r.U16(), 0x1234);
    EXPECT_EQ(r.U32(), 0xDEADBEEFu);
    EXPECT_EQ(r.F32(), 1.5f);
    EXPECT_EQ(r.F64(), -2.25);
    EXPECT_EQ(r.U16BE(), 0x1234);
    EXPECT_EQ(r.U32BE(), 0x01020304u);
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(w.Buffer()[1], 0x34); // low byte first
}

TEST(ByteReader, FirstFailureIsStickyAndLaterReadsAreZero)
{
    const uint8_t bytes[] = {1, 2, 3};
    plat::ByteReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.U8(), 0u); // a byte remains, but the reader has failed
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_EQ(r.Current(), nullptr);
}

TEST(ByteReader, CanReadChecksProductsWithoutOverflow)
{
    const uint8_t bytes[16] = {};
    plat::ByteReader r(bytes, sizeof bytes);
    EXPECT_TRUE(r.CanRead(4, 4));
    EXPECT_FALSE(r.Failed());
    EXPECT_FALSE(r.CanRead(0xFFFFFFFFull, 0x100000001ull));
    EXPECT_TRUE(r.Failed());

    plat::ByteReader r2(bytes, sizeof bytes);
    EXPECT_FALSE(r2.CanRead(5, 4));
    EXPECT_TRUE(r2.Failed());
}

TEST(ByteReader, SkipAndSeekStayInsideTheBlock)
{
    const uint8_t bytes[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    plat::ByteReader r(bytes, sizeof bytes);
    EXPECT_TRUE(r.Skip(3));
    EXPECT_EQ(r.U8(), 3);
    EXPECT_TRUE(r.Seek(7));
    EXPECT_EQ(r.U8(), 7);
    EXPECT_FALSE(r.Seek(9));
    EXPECT_TRUE(r.Failed());
}

TEST(ByteWriter, PatchOverwritesInPlace)
{
    plat::ByteWriter w;
    w.U32(0);
    w.U8(9);
    w.PatchU32(0, 0x04030201);
    ASSERT_EQ(w.Size(), 5u);
    EXPECT_EQ(w.Buffer()[0], 1);
    EXPECT_EQ(w.Buffer()[3], 4);
    EXPECT_EQ(w.Buffer()[4], 9);
}
