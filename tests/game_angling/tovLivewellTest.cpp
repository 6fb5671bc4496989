#include "tovAnglerRig.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace
{

QrPointer<tovAnglerRig> NewRig()
{
    return QrPointer<tovAnglerRig>(new tovAnglerRig(0, 0, 0, -1, false, nullptr));
}

int32_t Word(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                static_cast<uint32_t>(bytes[at + 3]) << 24);
}

TEST(tovLivewell, SixthFishGivesUpTheSmallest)
{
    struct Case
    {
        std::array<int32_t, 6> ounces;
        int32_t givenUp;
    };
    const Case cases[] = {
        {{40, 30, 20, 50, 60, 70}, 2},
        {{10, 30, 20, 50, 60, 70}, 0},
        {{40, 30, 20, 50, 60, 5}, 5},
        {{30, 30, 30, 30, 30, 30}, 0}, // equals: the first is given up
    };
    for (const Case& c : cases)
    {
        QrPointer<tovAnglerRig> rig = NewRig();
        for (int32_t oz : c.ounces)
            ASSERT_GE(rig->AddToLivewell(3, oz, 15, 0.0002f), 0);
        EXPECT_EQ(rig->GetLivewellCount(), 6);
        EXPECT_EQ(rig->AddToLivewell(3, 99, 15, 0.0002f), -1) << "a full livewell takes no seventh fish";
        EXPECT_EQ(rig->ReleaseSmallestOverLimit(), c.givenUp);
        EXPECT_EQ(rig->GetLivewellCount(), 5);
        EXPECT_EQ(rig->GetLivewell().places[static_cast<size_t>(c.givenUp)].inUse, 0);
        EXPECT_EQ(rig->ReleaseSmallestOverLimit(), -1) << "five fish are within the limit";
    }
}

TEST(tovLivewell, CountFollowsOccupiedPlaces)
{
    QrPointer<tovAnglerRig> rig = NewRig();
    rig->AddToLivewell(3, 0, 10, 0.0f);
    EXPECT_EQ(rig->GetLivewell().places[0].weightOunces, 1) << "a fish never weighs 0 oz";
    rig->AddToLivewell(10, 20, 12, 0.0f);
    rig->RemoveFromLivewell(0);
    rig->RemoveFromLivewell(0);
    rig->RemoveFromLivewell(-1);
    rig->RemoveFromLivewell(6);
    rig->RemoveFromLivewell(4);
    EXPECT_EQ(rig->GetLivewellCount(), 1);
    EXPECT_EQ(rig->GetLivewell().CountOccupied(), 1);
    EXPECT_EQ(rig->AddToLivewell(11, 20, 12, 0.0f), 0) << "the freed place is reused first";
    EXPECT_EQ(rig->AddToLivewell(17, 20, 12, 0.0f), -1);
    EXPECT_EQ(rig->AddToLivewell(-1, 20, 12, 0.0f), -1);
    EXPECT_EQ(rig->GetLivewellCount(), 2);
}

TEST(tovLivewell, BytesAndSnapshotRoundTrip)
{
    QrPointer<tovAnglerRig> rig = NewRig();
    rig->AddToLivewell(3, 77, 18, 0.25f);
    rig->AddToLivewell(10, 33, 12, 0.5f);
    rig->RemoveFromLivewell(0);

    std::vector<uint8_t> bytes(tovLivewell::kByteSize, 0xEE);
    rig->CopyLivewellOut(bytes.data());
    const size_t place1 = 4 + 280;
    EXPECT_EQ(Word(bytes, 0), 1);
    EXPECT_EQ(Word(bytes, place1 + 0), 10);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[place1 + 4]), "Smallmouth Bass");
    EXPECT_EQ(Word(bytes, place1 + 264), 33);
    EXPECT_EQ(Word(bytes, place1 + 268), 12);
    float scale = 0.0f;
    std::memcpy(&scale, &bytes[place1 + 272], 4);
    EXPECT_EQ(scale, 0.5f);
    EXPECT_EQ(bytes[place1 + 276], 1);
    EXPECT_EQ(bytes[4 + 276], 0) << "place 0 was emptied";
    EXPECT_EQ(bytes[place1 + 277] | bytes[place1 + 278] | bytes[place1 + 279], 0);

    QrPointer<tovAnglerRig> copy = NewRig();
    copy->CopyLivewellIn(bytes.data());
    std::vector<uint8_t> again(tovLivewell::kByteSize);
    copy->CopyLivewellOut(again.data());
    EXPECT_EQ(again, bytes);

    std::array<int32_t, 421> words{};
    rig->FillSnapshot(words);
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[(place1 + 264) / 4], 33);
    QrPointer<tovAnglerRig> remote = NewRig();
    remote->ApplySnapshot(words);
    remote->CopyLivewellOut(again.data());
    EXPECT_EQ(again, bytes);
}

TEST(tovLivewell, HostileBlockIsSanitised)
{
    std::vector<uint8_t> bytes(tovLivewell::kByteSize, 0xAB);
    bytes[0] = 100; // the count lies
    bytes[1] = bytes[2] = bytes[3] = 0;
    // Place 2: a valid species 5; every other place keeps species 0xABABABAB.
    const size_t place2 = 4 + 2 * 280;
    bytes[place2] = 5;
    bytes[place2 + 1] = bytes[place2 + 2] = bytes[place2 + 3] = 0;
    const int32_t ounces = 40, inches = 14;
    const float scale = 1.2f;
    std::memcpy(&bytes[place2 + 264], &ounces, 4);
    std::memcpy(&bytes[place2 + 268], &inches, 4);
    std::memcpy(&bytes[place2 + 272], &scale, 4);
    QrPointer<tovAnglerRig> rig = NewRig();
    rig->CopyLivewellIn(bytes.data());
    const tovLivewell& well = rig->GetLivewell();
    EXPECT_EQ(well.count, 1);
    EXPECT_EQ(well.places[2].inUse, 1);
    EXPECT_EQ(well.places[2].name[tovLivewellFish::kNameSize - 1], '\0');
    EXPECT_EQ(well.places[0].inUse, 0);
    // What was loaded can be released and refilled without breaking the count.
    rig->RemoveFromLivewell(2);
    rig->RemoveFromLivewell(2);
    EXPECT_EQ(rig->GetLivewellCount(), 0);
    EXPECT_EQ(rig->ReleaseSmallestOverLimit(), -1);
}

// Each field a place from a file or a peer carries is bounded on its own: a place wrong in one
// of them is emptied, one at the limits is kept.
TEST(tovLivewell, ImplausiblePlacesAreEmptied)
{
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const struct
    {
        int32_t species;
        int32_t ounces;
        int32_t inches;
        float scale;
        bool kept;
    } cases[] = {
        {16, tovLivewell::kMaxOunces, tovLivewell::kMaxInches, tovLivewell::kMaxDisplayScale, true},
        {0, 0, 0, 0.0f, true},
        {17, 20, 10, 1.0f, false},
        {-1, 20, 10, 1.0f, false},
        {3, INT32_MAX, 10, 1.0f, false},
        {3, tovLivewell::kMaxOunces + 1, 10, 1.0f, false},
        {3, -1, 10, 1.0f, false},
        {3, 20, INT32_MIN, 1.0f, false},
        {3, 20, tovLivewell::kMaxInches + 1, 1.0f, false},
        {3, 20, 10, -0.5f, false},
        {3, 20, 10, std::nanf(""), false},
        {3, 20, 10, kInf, false},
        {3, 20, 10, tovLivewell::kMaxDisplayScale * 1.01f, false},
    };
    for (const auto& c : cases)
    {
        tovLivewell well;
        well.count = 1;
        tovLivewellFish& fish = well.places[4];
        fish.species = c.species;
        fish.weightOunces = c.ounces;
        fish.lengthInches = c.inches;
        fish.displayScale = c.scale;
        fish.inUse = 7;
        well.Sanitize();
        const std::string what = std::to_string(c.species) + " " + std::to_string(c.ounces) + " oz " +
                                 std::to_string(c.inches) + " in " + std::to_string(c.scale);
        EXPECT_EQ(well.count, c.kept ? 1 : 0) << what;
        EXPECT_EQ(fish.inUse, c.kept ? 1 : 0) << what;
        if (!c.kept)
        {
            EXPECT_EQ(fish.weightOunces, 0) << what;
        }
    }
}

} // namespace
