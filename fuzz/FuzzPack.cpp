// One resource pack per input, used as the game uses one: the first four bytes give the
// index's length, the index follows, the rest is the data file. Every group is loaded, every
// item got (pictures decoded, sounds played through the headless output), the groups
// unloaded and the pack closed.
#include "FuzzSupport.h"

#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "tovSoundFacade.h"

#include <cstring>

namespace
{

constexpr size_t kMaxGroups = 64;
constexpr size_t kMaxItems = 256;

// The facade stops the sound manager when it goes: one for the whole run.
tovSoundFacade& Facade()
{
    static auto* facade = new tovSoundFacade;
    return *facade;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterImageResourceType();
    RegisterBlobResourceType();
    RegisterDataResourceType();
    RegisterSoundResourceType();
    if (ResourcePack::InitLoader() != kResourceOk)
        std::abort();
    fuzzsupport::StartSound();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    uint32_t indexSize = 0;
    std::memcpy(&indexSize, data, 4);
    indexSize = uint32_t(std::min<size_t>(indexSize, size - 4));
    fuzzsupport::WriteInput("pack.waf", data + 4, indexSize);
    fuzzsupport::WriteInput("pack.wdt", data + 4 + indexSize, size - 4 - indexSize);
    ResourcePack* pack = nullptr;
    if (ResourcePack::Open(fuzzsupport::Folder() + "/pack", &pack, false) != kResourceOk || !pack)
        return 0;
    std::vector<uint32_t> groups;
    for (const ResourcePack::Group& group : pack->Groups())
        if (groups.size() < kMaxGroups)
            groups.push_back(group.id);
    for (uint32_t group : groups)
        ResourcePack::LoadGroup(group, pack);
    tovSoundFacade& facade = Facade();
    size_t items = 0;
    for (const ResourcePack::TypeTable& table : pack->Types())
    {
        for (uint32_t i = 0; i < table.count && items < kMaxItems; ++i, ++items)
        {
            const uint32_t id = table.items[i].id;
            ResourcePack::GetItem(table.type, id, pack);
            ResourcePack::GetItemAddress(table.type, id, pack);
            if (table.type == kResourcePicture)
                LoadResourceImage(kResourcePicture, id, pack);
            if (table.type != kResourceSound)
                continue;
            if (SoundRecord* record = tovSoundFacade::FindSound(pack, id))
            {
                facade.Play(record, false, 0);
                facade.Play(record, true, -600);
            }
        }
    }
    fuzzsupport::PlayOn(8192);
    for (uint32_t group : groups)
        ResourcePack::UnloadGroup(group, pack);
    fuzzsupport::PlayOn(2048);
    ResourcePack::Close(&pack);
    StopEverySound();
    DeliverSoundEnds();
    return 0;
}
