#include "PackTestSupport.h"

#include "ResourceTypes.h"

#include "ByteWriter.h"
#include "Files.h"

#include <filesystem>

using namespace packtest;

namespace
{

class ResourcePackTest : public PackTest
{
};

tools::PackContents TwoGroupsSharingAnItem()
{
    tools::PackContents pack;
    pack.Add(Item(kHighType, 1), {10});
    pack.Add(Item(kHighType, 2), {10, 11});
    pack.Add(Item(kLowType, 3), {11});
    return pack;
}

} // namespace

TEST_F(ResourcePackTest, ItemInTwoGroupsLoadsOnceAndStaysUntilBothUnload)
{
    OpenPack(TwoGroupsSharingAnItem());
    EXPECT_EQ(ResourcePack::LoadGroup(10, m_pack), kResourceOk);
    EXPECT_EQ(ResourcePack::LoadGroup(11, m_pack), kResourceOk);
    EXPECT_EQ(Handlers().loads, 3);
    EXPECT_EQ(Count(kHighType, 2), 2u);

    ResourcePack::UnloadGroup(10, m_pack);
    EXPECT_EQ(Count(kHighType, 1), 0u);
    EXPECT_EQ(Handlers().unloads, 1);
    ASSERT_NE(ResourcePack::GetItem(kHighType, 2, m_pack), nullptr);
    EXPECT_EQ(*static_cast<uint32_t*>(ResourcePack::GetItem(kHighType, 2, m_pack)), 2u);

    ResourcePack::UnloadGroup(11, m_pack);
    EXPECT_EQ(Handlers().unloads, 3);
    EXPECT_EQ(ResourcePack::GetItem(kHighType, 2, m_pack), nullptr);
    // A group never loaded, and one unloaded twice, leave every count at zero.
    ResourcePack::UnloadGroup(11, m_pack);
    ResourcePack::UnloadGroup(99, m_pack);
    EXPECT_EQ(Count(kHighType, 2), 0u);
    EXPECT_EQ(Count(kLowType, 3), 0u);
}

TEST_F(ResourcePackTest, FailedLoadStillReferencesTheRestOfTheGroup)
{
    // Group 10 fails on its first item; item 2, shared with group 11, must keep group 11's
    // reference when group 10 is unloaded.
    OpenPack(TwoGroupsSharingAnItem());
    Handlers().failingId = 1;
    EXPECT_EQ(ResourcePack::LoadGroup(10, m_pack), kResourceReadFailed);
    EXPECT_EQ(Count(kHighType, 2), 1u);
    EXPECT_NE(Flags(kHighType, 1) & ResourcePack::kHandlerFailed, 0u);
    EXPECT_EQ(ResourcePack::GetItem(kHighType, 1, m_pack), nullptr);

    EXPECT_EQ(ResourcePack::LoadGroup(11, m_pack), kResourceOk);
    ResourcePack::UnloadGroup(10, m_pack);
    EXPECT_EQ(Count(kHighType, 2), 1u);
    EXPECT_NE(ResourcePack::GetItem(kHighType, 2, m_pack), nullptr);
    EXPECT_EQ(Flags(kHighType, 1) & ResourcePack::kFailureFlags, 0u);
}

TEST_F(ResourcePackTest, OnFirstUseLoadsOnlyWhenAskedWhileItsGroupIsLoaded)
{
    tools::PackContents pack;
    pack.Add(Item(kHighType, 5, ResourcePack::kOnFirstUse), {1});
    OpenPack(pack);
    EXPECT_EQ(ResourcePack::GetItem(kHighType, 5, m_pack), nullptr);
    EXPECT_EQ(ResourcePack::LoadGroup(1, m_pack), kResourceOk);
    EXPECT_EQ(Handlers().loads, 0);
    EXPECT_NE(ResourcePack::GetItem(kHighType, 5, m_pack), nullptr);
    EXPECT_NE(ResourcePack::GetItem(kHighType, 5, m_pack), nullptr);
    EXPECT_EQ(Handlers().loads, 1);
}

TEST_F(ResourcePackTest, LookupsAcrossTheSignBitAndDuplicateGroups)
{
    tools::PackContents pack;
    pack.Add(Item(kLowType, 0x90000000u), {7});
    pack.Add(Item(kHighType, 4), {7});
    pack.Add(Item(kHighType, 0xFFFFFFF0u), {8});
    // A second record with group id 7: only the first is used.
    pack.groups.push_back({7, {{kHighType, 0xFFFFFFF0u}}});
    OpenPack(pack);
    EXPECT_NE(ResourcePack::GetItemAddress(kLowType, 0x90000000u, m_pack), nullptr);
    EXPECT_NE(ResourcePack::GetItemAddress(kHighType, 0xFFFFFFF0u, m_pack), nullptr);
    EXPECT_EQ(ResourcePack::GetItemAddress(kHighType, 5, m_pack), nullptr);
    EXPECT_EQ(ResourcePack::GetItemAddress(0x80000021u, 4, m_pack), nullptr);
    EXPECT_EQ(ResourcePack::LoadGroup(7, m_pack), kResourceOk);
    EXPECT_EQ(Count(kHighType, 0xFFFFFFF0u), 0u);
    EXPECT_EQ(Count(kHighType, 4), 1u);
    EXPECT_EQ(ResourcePack::LoadGroup(12, m_pack), kResourceNotFound);
}

TEST_F(ResourcePackTest, WithoutALoaderBackgroundItemsLoadWithTheirGroup)
{
    tools::PackContents pack;
    pack.Add(Item(kHighType, 1, ResourcePack::kAsync), {1});
    OpenPack(pack);
    ASSERT_FALSE(ResourcePack::IsLoaderRunning());
    EXPECT_EQ(ResourcePack::LoadGroup(1, m_pack), kResourceOk);
    EXPECT_EQ(Flags(kHighType, 1) & (ResourcePack::kLoaded | ResourcePack::kQueued), ResourcePack::kLoaded);
}

TEST_F(ResourcePackTest, ResourceTypesCopyBytesAndKeepSoundData)
{
    tools::PackContents pack;
    tools::PackItem text;
    text.type = kResourceBytes;
    text.id = 72;
    text.data = {'4', '2'};
    pack.Add(text, {1});
    tools::PackItem both = Item(kResourceInfoAndData, 3, 0, 3);
    pack.Add(both, {1});
    tools::PackItem sound = Item(kResourceSound, 6183, 0, 64);
    sound.info = tools::PcmFormatRecord(22050, 1, 16);
    pack.Add(sound, {1});
    OpenPack(pack);
    ASSERT_EQ(ResourcePack::LoadGroup(1, m_pack), kResourceOk);

    const auto* value = static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, 72, m_pack));
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "42");
    EXPECT_EQ(ResourceBlockSize(value), 2u);
    const auto* block = static_cast<const uint8_t*>(ResourcePack::GetItem(kResourceInfoAndData, 3, m_pack));
    ASSERT_EQ(ResourceBlockSize(block), 5u);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 5), (std::vector<uint8_t>{3, 0, 21, 21, 21}));
    EXPECT_EQ(Flags(kResourceBytes, 72) & ResourcePack::kDataKept, 0u);
    EXPECT_NE(Flags(kResourceSound, 6183) & ResourcePack::kDataKept, 0u);
}

// Every prefix of a valid index, and indexes with counts and offsets flipped, are refused
// with code 5 and touch nothing outside the files; what opens is loaded and used.
TEST_F(ResourcePackTest, DamagedIndexesAreRefused)
{
    tools::PackContents contents = TwoGroupsSharingAnItem();
    contents.Add(Item(kHighType, 9, ResourcePack::kOnFirstUse), {11});
    tools::PackBytes bytes;
    std::string error;
    ASSERT_TRUE(tools::BuildPack(contents, bytes, error));
    const std::string base = m_dir.File("bad");
    ASSERT_TRUE(plat::WriteFile(base + ".wdt", bytes.data.data(), bytes.data.size()));

    auto openWith = [&](const std::vector<uint8_t>& index)
    {
        EXPECT_TRUE(plat::WriteFile(base + ".waf", index.data(), index.size()));
        ResourcePack* pack = nullptr;
        const uint16_t code = ResourcePack::Open(base, &pack, false);
        if (pack)
        {
            for (uint32_t group : {10u, 11u})
                ResourcePack::LoadGroup(group, pack);
            for (uint32_t id : {1u, 2u, 3u, 9u})
            {
                ResourcePack::GetItem(kHighType, id, pack);
                ResourcePack::GetItemAddress(kHighType, id, pack);
            }
            ResourcePack::UnloadGroup(10, pack);
            ResourcePack::Close(&pack);
        }
        return code;
    };
    for (size_t length = 0; length < bytes.index.size(); ++length)
    {
        std::vector<uint8_t> prefix(bytes.index.begin(), bytes.index.begin() + length);
        ASSERT_EQ(openWith(prefix), kResourceReadFailed) << "prefix " << length;
    }
    ASSERT_EQ(openWith(bytes.index), kResourceOk);

    // Positions: type count, group count, data base, info size, the first type's item count,
    // the first group's entry count, the first item's info offset and data offset.
    const uint32_t typeCount = 2;
    const size_t items = 168 + 8 * typeCount + 12 * 2 + 8 * 5;
    const struct
    {
        size_t at;
        uint32_t value;
    } flips[] = {
        {136, 0x40000000},
        {140, 0x15555555},
        {152, 0xFFFFFF00},
        {160, 0x7FFFFFFF},
        {168 + 4 * typeCount, 0x06666666},
        {168 + 8 * typeCount + 4, 0x1FFFFFFF},
        {items + 24, 0xFFFFFFFE},
        {items + 28, 0x7FFFFFF0},
        {items + 20, 0xFFFFFFFF},
        {168, 0x90000000}, // types out of order
        {items + 80, 1},   // ids out of order
    };
    for (const auto& flip : flips)
    {
        std::vector<uint8_t> index = bytes.index;
        for (int i = 0; i < 4; ++i)
            index[flip.at + i] = uint8_t(flip.value >> (8 * i));
        EXPECT_EQ(openWith(index), kResourceReadFailed) << "flip at " << flip.at;
    }
    // Run-time fields stored as garbage are not trusted.
    std::vector<uint8_t> index = bytes.index;
    for (size_t i = 0; i < 40; ++i)
        if (i >= 8 && i < 16)
            index[items + i] = 0xEE;
    index[items + 4] = 0xFC;
    EXPECT_EQ(openWith(index), kResourceOk);

    // An index past 256 MiB (sparse here) is refused by its size, before it is read.
    ASSERT_TRUE(plat::WriteFile(base + ".waf", bytes.index.data(), bytes.index.size()));
    std::filesystem::resize_file(base + ".waf", (256u << 20) + 1);
    ResourcePack* pack = nullptr;
    EXPECT_EQ(ResourcePack::Open(base, &pack, false), kResourceReadFailed);
    EXPECT_EQ(pack, nullptr);
    std::vector<uint8_t> read;
    EXPECT_FALSE(plat::ReadFile(base + ".waf", read, 256u << 20));
    EXPECT_TRUE(read.empty());
}
