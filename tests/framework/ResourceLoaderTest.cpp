// The loader thread against the main thread: run under ThreadSanitizer too.

#include "PackTestSupport.h"

#include <chrono>
#include <thread>

using namespace packtest;

namespace
{

class ResourceLoaderTest : public PackTest
{
protected:
    void SetUp() override
    {
        PackTest::SetUp();
        ASSERT_EQ(ResourcePack::InitLoader(), kResourceOk);
        Handlers().gatedId = 1;
        Handlers().gate = &m_gate;
    }
    // Waits until the loader stands inside the gated load.
    void WaitForLoaderAtGate()
    {
        for (int i = 0; i < 5000 && Handlers().waitingAtGate == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(Handlers().waitingAtGate, 1);
    }
    std::vector<uint32_t> Order()
    {
        std::lock_guard<std::mutex> lock(Handlers().orderLock);
        return Handlers().order;
    }

    plat::Event m_gate{plat::Event::Reset::kManual};
};

tools::PackContents AsyncGroups(uint32_t groups)
{
    tools::PackContents pack;
    for (uint32_t id = 1; id <= groups; ++id)
        pack.Add(Item(kHighType, id, ResourcePack::kAsync), {id});
    return pack;
}

} // namespace

TEST_F(ResourceLoaderTest, GetItemOnAQueuedItemWaitsForTheLoader)
{
    OpenPack(AsyncGroups(2));
    ASSERT_EQ(ResourcePack::LoadGroup(1, m_pack), kResourceOk);
    WaitForLoaderAtGate();
    ASSERT_EQ(ResourcePack::LoadGroup(2, m_pack), kResourceOk);
    EXPECT_NE(Flags(kHighType, 2) & ResourcePack::kQueued, 0u);
    std::thread opener(
        [this]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            m_gate.Set();
        });
    EXPECT_NE(ResourcePack::GetItem(kHighType, 2, m_pack), nullptr);
    EXPECT_NE(ResourcePack::GetItem(kHighType, 1, m_pack), nullptr);
    opener.join();
    EXPECT_EQ(Order(), (std::vector<uint32_t>{1, 2}));
}

TEST_F(ResourceLoaderTest, UnloadedBeforeTheLoaderReachesItNeverLoadsAndTheRestKeepOrder)
{
    OpenPack(AsyncGroups(5));
    for (uint32_t group = 1; group <= 5; ++group)
        ASSERT_EQ(ResourcePack::LoadGroup(group, m_pack), kResourceOk);
    WaitForLoaderAtGate();
    // Removal waits for the load in progress, so it runs beside the gate's opening; the
    // gate opens once the group's reference is gone, whoever then wins the loader lock.
    std::thread unloader([this] { ResourcePack::UnloadGroup(2, m_pack); });
    for (int i = 0; i < 5000 && Count(kHighType, 2) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_gate.Set();
    unloader.join();
    EXPECT_NE(ResourcePack::GetItem(kHighType, 5, m_pack), nullptr);
    EXPECT_NE(ResourcePack::GetItem(kHighType, 3, m_pack), nullptr);
    EXPECT_EQ(Order(), (std::vector<uint32_t>{1, 3, 4, 5}));
    EXPECT_EQ(ResourcePack::GetItem(kHighType, 2, m_pack), nullptr);
    EXPECT_EQ(Flags(kHighType, 2) & (ResourcePack::kLoaded | ResourcePack::kQueued), 0u);
}

TEST_F(ResourceLoaderTest, AFullRingNeverOverwritesAPendingRequest)
{
    tools::PackContents pack;
    const uint32_t total = ResourcePack::kRingSize + 101;
    for (uint32_t id = 1; id <= total; ++id)
        pack.Add(Item(kHighType, id, ResourcePack::kAsync), {id == 1 ? 1u : 2u});
    OpenPack(pack);
    ASSERT_EQ(ResourcePack::LoadGroup(1, m_pack), kResourceOk);
    WaitForLoaderAtGate();
    // 500 requests fill the ring; the rest load at once rather than replace one.
    ASSERT_EQ(ResourcePack::LoadGroup(2, m_pack), kResourceOk);
    EXPECT_EQ(Handlers().loads, int(total - 1 - ResourcePack::kRingSize));
    m_gate.Set();
    for (uint32_t id = 1; id <= total; ++id)
        ASSERT_NE(ResourcePack::GetItem(kHighType, id, m_pack), nullptr) << id;
    EXPECT_EQ(Handlers().loads, int(total));
}

TEST_F(ResourceLoaderTest, ClosingAPackRemovesAllItsPendingRequests)
{
    tools::PackContents other;
    for (uint32_t id = 10; id <= 14; ++id)
        other.Add(Item(kHighType, id, ResourcePack::kAsync), {7});
    other.Add(Item(kHighType, 1, ResourcePack::kAsync), {8});
    ResourcePack* second = nullptr;
    std::string error;
    ASSERT_TRUE(tools::WritePackFiles(other, m_dir.File("second"), error));
    ASSERT_EQ(ResourcePack::Open(m_dir.File("second"), &second, false), kResourceOk);

    OpenPack(AsyncGroups(3));
    ASSERT_EQ(ResourcePack::LoadGroup(1, m_pack), kResourceOk);
    WaitForLoaderAtGate();
    ASSERT_EQ(ResourcePack::LoadGroup(7, second), kResourceOk);
    ASSERT_EQ(ResourcePack::LoadGroup(3, m_pack), kResourceOk);
    std::thread closer([&second] { ResourcePack::Close(&second); });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    m_gate.Set();
    closer.join();
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(ResourcePack::GetItem(kHighType, 3, m_pack), nullptr);
    // Whatever the second pack loaded before it closed was unloaded with it.
    EXPECT_EQ(Handlers().made - 2, Handlers().unloads);
}

TEST_F(ResourceLoaderTest, ShutdownWithPendingRequestsLeavesNothingQueued)
{
    OpenPack(AsyncGroups(3));
    for (uint32_t group = 1; group <= 3; ++group)
        ASSERT_EQ(ResourcePack::LoadGroup(group, m_pack), kResourceOk);
    WaitForLoaderAtGate();
    std::thread opener(
        [this]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            m_gate.Set();
        });
    ResourcePack::ShutdownLoader();
    opener.join();
    EXPECT_FALSE(ResourcePack::IsLoaderRunning());
    for (uint32_t id = 2; id <= 3; ++id)
        EXPECT_EQ(Flags(kHighType, id) & ResourcePack::kQueued, 0u);
    RegisterTestTypes();
}
