#include "ResourceTypes.h"

#include "ResourcePack.h"
#include "SoundManager.h"
#include "SoundRecord.h"

#include <cstring>
#include <new>

namespace
{

// The byte count sits in a header aligned for any object, right before the bytes.
constexpr size_t kBlockHeader = alignof(std::max_align_t);

void* MakeBlock(const uint8_t* first, uint32_t firstSize, const uint8_t* second, uint32_t secondSize)
{
    const uint64_t total = uint64_t(firstSize) + secondSize;
    if (total > UINT32_MAX)
        return nullptr;
    auto* raw = new (std::nothrow) uint8_t[kBlockHeader + total + 1];
    if (!raw)
        return nullptr;
    const auto size = static_cast<uint32_t>(total);
    std::memcpy(raw, &size, sizeof size);
    uint8_t* bytes = raw + kBlockHeader;
    if (firstSize)
        std::memcpy(bytes, first, firstSize);
    if (secondSize)
        std::memcpy(bytes + firstSize, second, secondSize);
    bytes[total] = 0;
    return bytes;
}

} // namespace

uint32_t ResourceBlockSize(const void* object)
{
    if (!object)
        return 0;
    uint32_t size = 0;
    std::memcpy(&size, static_cast<const uint8_t*>(object) - kBlockHeader, sizeof size);
    return size;
}

uint16_t CopyResourceBytes(uint32_t, uint32_t, const uint8_t*, uint32_t size, uint8_t* data, void** object,
                           bool* discard)
{
    *discard = true;
    *object = MakeBlock(data, size, nullptr, 0);
    return *object ? kResourceOk : kResourceNoMemory;
}

uint16_t CopyResourceInfoAndBytes(uint32_t, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                                  void** object, bool* discard)
{
    *discard = true;
    *object = MakeBlock(info, infoLength, data, size);
    return *object ? kResourceOk : kResourceNoMemory;
}

void FreeResourceBlock(uint32_t, uint32_t, const uint8_t*, uint32_t, uint8_t*, void** object)
{
    if (!object || !*object)
        return;
    delete[](static_cast<uint8_t*>(*object) - kBlockHeader);
    *object = nullptr;
}

uint16_t LoadSoundResource(uint32_t, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                           void** object, bool* discard)
{
    *discard = false;
    auto* record = new (std::nothrow) SoundRecord;
    if (!record)
        return kResourceNoMemory;
    record->format = info;
    record->formatSize = infoLength;
    record->data = data;
    record->size = size;
    *object = record;
    return kResourceOk;
}

void UnloadSoundResource(uint32_t, uint32_t, const uint8_t*, uint32_t, uint8_t*, void** object)
{
    if (!object || !*object)
        return;
    auto* record = static_cast<SoundRecord*>(*object);
    // A slot still playing from the record would read freed samples and write its handle word.
    StopOwnedSounds(&record->handle);
    delete record;
    *object = nullptr;
}

uint16_t RegisterImageResourceType()
{
    return ResourcePack::RegisterType(kResourcePicture, &CopyResourceBytes, &FreeResourceBlock);
}

uint16_t RegisterBlobResourceType()
{
    return ResourcePack::RegisterType(kResourceBytes, &CopyResourceBytes, &FreeResourceBlock);
}

uint16_t RegisterDataResourceType()
{
    return ResourcePack::RegisterType(kResourceInfoAndData, &CopyResourceInfoAndBytes, &FreeResourceBlock);
}

uint16_t RegisterSoundResourceType()
{
    return ResourcePack::RegisterType(kResourceSound, &LoadSoundResource, &UnloadSoundResource);
}
