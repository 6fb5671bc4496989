#include "PackTestSupport.h"

#include "ResourceTypes.h"

namespace packtest
{

namespace
{

uint16_t LoadCounted(uint32_t id, uint32_t, const uint8_t*, uint32_t, uint8_t*, void** object, bool* discard)
{
    Counters& counters = Handlers();
    plat::Event* gate = counters.gate.load();
    if (gate && id == counters.gatedId)
    {
        ++counters.waitingAtGate;
        plat::Waitable* waitable = gate;
        plat::WaitAny(&waitable, 1);
        --counters.waitingAtGate;
    }
    ++counters.loads;
    {
        std::lock_guard<std::mutex> lock(counters.orderLock);
        counters.order.push_back(id);
    }
    if (id == counters.failingId)
        return 5;
    *object = new uint32_t(id);
    ++counters.made;
    *discard = (id & 1) == 0; // odd ids keep their data buffer
    return 0;
}

void UnloadCounted(uint32_t, uint32_t, const uint8_t*, uint32_t, uint8_t*, void** object)
{
    delete static_cast<uint32_t*>(*object);
    *object = nullptr;
    ++Handlers().unloads;
}

} // namespace

Counters& Handlers()
{
    static Counters counters;
    return counters;
}

void RegisterTestTypes()
{
    ResourcePack::RegisterType(kHighType, &LoadCounted, &UnloadCounted);
    ResourcePack::RegisterType(kLowType, &LoadCounted, &UnloadCounted);
    RegisterSoundResourceType();
    RegisterDataResourceType();
    RegisterBlobResourceType();
    RegisterImageResourceType();
}

tools::PackItem Item(uint32_t type, uint32_t id, uint32_t flags, uint32_t dataSize)
{
    tools::PackItem item;
    item.type = type;
    item.id = id;
    item.flags = flags;
    item.info = {uint8_t(id), uint8_t(id >> 8)};
    item.data.assign(dataSize, uint8_t(id * 7));
    return item;
}

void PackTest::SetUp()
{
    Counters& counters = Handlers();
    counters.loads = 0;
    counters.unloads = 0;
    counters.made = 0;
    counters.failingId = 0xFFFFFFFF;
    counters.gate = nullptr;
    counters.gatedId = 0;
    counters.order.clear();
    RegisterTestTypes();
}

void PackTest::TearDown()
{
    ResourcePack::Close(&m_pack);
    ResourcePack::ShutdownLoader();
    // Closing unloads every object a handler made, exactly once.
    EXPECT_EQ(Handlers().unloads.load(), Handlers().made.load());
}

ResourcePack* PackTest::OpenPack(const tools::PackContents& contents)
{
    std::string error;
    const std::string base = m_dir.File("pack");
    EXPECT_TRUE(tools::WritePackFiles(contents, base, error)) << error;
    EXPECT_EQ(ResourcePack::Open(base, &m_pack, false), kResourceOk);
    return m_pack;
}

uint32_t PackTest::Count(uint32_t type, uint32_t id)
{
    uint32_t flags = 0;
    uint32_t count = 0;
    EXPECT_TRUE(m_pack->GetItemState(type, id, flags, count));
    return count;
}

uint32_t PackTest::Flags(uint32_t type, uint32_t id)
{
    uint32_t flags = 0;
    uint32_t count = 0;
    EXPECT_TRUE(m_pack->GetItemState(type, id, flags, count));
    return flags;
}

} // namespace packtest
