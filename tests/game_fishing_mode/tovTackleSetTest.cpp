#include "tovTackleSet.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using T = tovTackleSet;

TEST(tovTackleSet, LureRecordsParseLikeTheGameReadsThem)
{
    const struct
    {
        const char* text;
        T::LureRecord expected;
    } cases[] = {
        {"3,0,0.5,0.2,7,0.4,0.6,2.0", {3, 0.5f, 0.2f, 7, 0.4f, 0.6f, 2.0f}},
        {"2", {2, 0.0f, 0.0f, 0, 0.0f, 1.0f, 0.0f}},
        {"", {}},
        // Leading commas and runs of commas separate once; a field without a number is 0.
        {",,4,,x,0.5,,,-2", {4, 0.5f, -2.0f, 0, 0.0f, 1.0f, 0.0f}},
        {"7abc,1,2.5xyz", {7, 2.5f, 0.0f, 0, 0.0f, 1.0f, 0.0f}},
        // Numbers past their type stop at its ends; a NaN or an infinity reads as 0.
        {"99999999999999,0,nan,inf,-99999999999999", {INT32_MAX, 0.0f, 0.0f, INT32_MIN, 0.0f, 1.0f, 0.0f}},
    };
    for (const auto& c : cases)
    {
        const T::LureRecord r = T::ParseLureRecord(c.text);
        const T::LureRecord& e = c.expected;
        EXPECT_EQ(r.model, e.model) << c.text;
        EXPECT_FLOAT_EQ(r.secondPosture, e.secondPosture) << c.text;
        EXPECT_FLOAT_EQ(r.firstPosture, e.firstPosture) << c.text;
        EXPECT_EQ(r.speciesRow, e.speciesRow) << c.text;
        EXPECT_FLOAT_EQ(r.temperature, e.temperature) << c.text;
        EXPECT_FLOAT_EQ(r.wave, e.wave) << c.text;
        EXPECT_FLOAT_EQ(r.clarity, e.clarity) << c.text;
    }
    EXPECT_STREQ(T::LureModelFile(3), "Spoon.QRF");
    EXPECT_STREQ(T::LureModelFile(10), "TopwaterPopper.QRF");
    EXPECT_EQ(T::LureModelFile(11), nullptr);
    EXPECT_EQ(T::LureModelFile(-1), nullptr);
}

TEST(tovTackleSet, LineChoicesGiveTheirTypesAndColours)
{
    const struct
    {
        int32_t kind, label, type;
    } types[] = {{3, 1, 14}, {1, 13, 4}, {0, 5, 5},  {0, 11, 9}, {2, 8, 13},
                 {3, 9, 21}, {0, 2, -1}, {2, 9, -1}, {4, 5, -1}, {-1, 5, -1}};
    for (const auto& c : types)
        EXPECT_EQ(T::LineType(c.kind, c.label), c.type) << c.kind << " " << c.label;
    // Every offered pound test has a line type.
    for (int32_t kind = 0; kind < T::kLineKinds; ++kind)
        for (int32_t label : T::PoundTests(kind))
            EXPECT_GE(T::LineType(kind, label), 0);
    EXPECT_TRUE(T::PoundTests(4).empty());
    EXPECT_EQ(std::vector<int32_t>(T::LineColours(3).begin(), T::LineColours(3).end()), (std::vector<int32_t>{3, 4}));
    EXPECT_FLOAT_EQ(T::LineColour(4).b, 0.01f);
    EXPECT_FLOAT_EQ(T::LineColour(4).a, 0.3f);
    EXPECT_FLOAT_EQ(T::LineColour(5).a, 0.0f);
    EXPECT_FLOAT_EQ(T::LineColour(-1).r, 0.0f);
}

// Profiles are files: families and items off their tables give no id rather than a
// neighbour's picture.
TEST(tovTackleSet, LureIdsOnlyFromValuesOnTheirTables)
{
    const struct
    {
        int32_t family, item, lure, rodSet, rodPage;
    } cases[] = {
        {0, 0, 1100, 4100, 3100}, {2, 19, 1319, 4319, 3319}, {5, 15, 1915, 4915, 3915}, {1, 31, 1231, 4231, 3231},
        {0, 9, 0, 0, 0},          {3, -1, 0, 0, 0},          {6, 0, 0, 0, 0},           {-5, 0, 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        T::RodSet rod{};
        rod[T::kFamily] = c.family;
        if (c.family >= 0 && c.family < T::kFamilies)
            rod[static_cast<size_t>(T::kFirstItem + c.family)] = c.item;
        EXPECT_EQ(T::LureRecordId(rod), c.lure) << c.family << " " << c.item;
        EXPECT_EQ(T::RodSetPictureId(rod), c.rodSet);
        EXPECT_EQ(T::RodPagePictureId(rod), c.rodPage);
    }
    const struct
    {
        int32_t family, item, colours;
    } colours[] = {{2, 9, 6}, {2, 10, 3}, {2, 13, 6}, {2, 20, 0}, {4, 0, 0}, {5, 3, 6}, {3, 5, 3}, {6, 0, 0}};
    for (const auto& c : colours)
        EXPECT_EQ(T::ColourCount(c.family, c.item), c.colours) << c.family << " " << c.item;
    EXPECT_TRUE(T::AllowsAddOn(5));
    EXPECT_FALSE(T::AllowsAddOn(2));
    EXPECT_FALSE(T::AllowsAddOn(9));
}

TEST(tovTackleSet, RecordsGoBetweenProfileAndSetAndFlagsKeepTheirUpperBytes)
{
    tovUserProfile profile;
    profile.GetTackle()[3][T::kFamily] = 5;
    profile.SetCurrentRod(3);
    T set;
    EXPECT_TRUE(set.NeedsReload());
    set.LoadFromProfile(profile);
    EXPECT_EQ(set.GetCurrentRod(), 3);
    EXPECT_EQ(set.GetCurrentRodSet()[T::kFamily], 5);
    set.SetCurrentRod(7);
    set.SetCurrentRod(-1);
    EXPECT_EQ(set.GetCurrentRod(), 3);
    set.GetRod(1)[T::kAddOn] = 4;
    set.SetCurrentRod(1);
    tovUserProfile other;
    set.StoreInProfile(other);
    EXPECT_EQ(other.GetTackle()[1][T::kAddOn], 4);
    EXPECT_EQ(other.GetCurrentRod(), 1);

    EXPECT_EQ(T::WithLowByte(0x12345600, true), 0x12345601);
    EXPECT_EQ(T::WithLowByte(0x12345601, false), 0x12345600);
    EXPECT_FALSE(T::LowByteFlag(0x100));
    EXPECT_TRUE(T::LowByteFlag(0x101));
}

} // namespace
