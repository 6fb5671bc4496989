#pragma once
// An open resource pack: a ".waf" index of typed items and groups, and a ".wdt" file with the
// items' bytes. Items are reference counted across groups and turned into objects by the
// handler registered for their type. The handler table, the request ring and the loader
// thread are program-wide and shared by every open pack. Public operations run on the main
// thread; the loader thread only serves queued requests.

#include "ReadOnlyFile.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum ResourceCode : uint16_t
{
    kResourceOk = 0,
    kResourceNoMemory = 1,
    kResourceOpenFailed = 3,
    kResourceReadFailed = 5,
    kResourceSeekFailed = 7,
    kResourceNotFound = 10,
    kResourceSystemFailed = 12,
};

// Makes the item's object from its bytes. Clear *discard to keep pointing into data (the pack
// keeps the buffer while the item is loaded); set it after copying what is needed.
using ResourceLoadHandler = uint16_t (*)(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t dataSize,
                                         uint8_t* data, void** object, bool* discard);
// Frees *object and clears it.
using ResourceUnloadHandler = void (*)(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t dataSize,
                                       uint8_t* data, void** object);

class ResourcePack
{
public:
    enum ItemFlags : uint32_t
    {
        kAsync = 1,
        kOnFirstUse = 2,
        kLoaded = 4,
        kDataKept = 8,
        kQueued = 16,
        kReadFailed = 32,
        kHandlerFailed = 64,
        kFailureFlags = kReadFailed | kHandlerFailed,
    };

    // One item's record while the pack is open. Flags, count, data and object change only
    // under the item's lock, which is held for a whole load.
    struct Item
    {
        uint32_t id = 0;
        uint32_t flags = 0;
        uint32_t refCount = 0;
        uint32_t infoLength = 0;
        uint32_t dataSize = 0;
        uint32_t infoOffset = 0;
        uint32_t dataOffset = 0;
        uint8_t* data = nullptr;
        void* object = nullptr;
        mutable std::mutex lock;
    };

    static constexpr uint32_t kHeaderSize = 168;
    static constexpr uint32_t kItemRecordSize = 40;
    static constexpr uint32_t kRingSize = 500;

    static uint16_t RegisterType(uint32_t type, ResourceLoadHandler load, ResourceUnloadHandler unload);
    static uint16_t InitLoader();
    static void ShutdownLoader();
    static bool IsLoaderRunning();

    // basePath without extension; index basePath + ".waf", data basePath + ".wdt". A damaged
    // index is refused with 5 and *out is left unchanged. Mapping is not offered: every caller
    // reads, so mapped is accepted and ignored. When the open fails, *failedFile (when given)
    // names the file that is missing or damaged.
    static uint16_t Open(const std::string& basePath, ResourcePack** out, bool mapped = false,
                         std::string* failedFile = nullptr);
    static void Close(ResourcePack** pack);

    // 0, 10 for an unknown group, or the first failed synchronous load's code. Every entry is
    // referenced even after a failure, so that UnloadGroup stays symmetric.
    static uint16_t LoadGroup(uint32_t groupId, ResourcePack* pack);
    static void UnloadGroup(uint32_t groupId, ResourcePack* pack);
    static void* GetItem(uint32_t type, uint32_t id, ResourcePack* pack);
    static const uint8_t* GetItemAddress(uint32_t type, uint32_t id, ResourcePack* pack);

    Item* FindItem(uint32_t id, uint32_t type);
    // Flags and count read under the item's lock (for callers and tests that watch loading).
    bool GetItemState(uint32_t type, uint32_t id, uint32_t& flags, uint32_t& refCount);

    struct TypeTable
    {
        uint32_t type = 0;
        uint32_t count = 0;
        std::unique_ptr<Item[]> items;
    };
    struct Group
    {
        uint32_t id = 0;
        std::vector<std::pair<uint32_t, uint32_t>> entries; // type, id
    };
    // The index as read, for listing tools.
    const std::vector<TypeTable>& Types() const { return m_types; }
    const std::vector<Group>& Groups() const { return m_groups; }

    ~ResourcePack();

private:
    ResourcePack() = default;
    // dataShort: the index is sound but its items reach past the end of the data file.
    uint16_t ParseIndex(const std::vector<uint8_t>& index, bool& dataShort);
    const Group* FindGroup(uint32_t groupId) const;
    const uint8_t* InfoOf(const Item& item) const;
    void UnloadItemLocked(uint32_t type, Item& item);

    static uint16_t LoadItem(uint32_t type, Item* item, ResourcePack* pack);
    static uint16_t WaitForItem(uint32_t type, uint32_t id, ResourcePack* pack);
    static bool QueueRequest(uint32_t type, Item* item, ResourcePack* pack);
    static bool PopRequest(uint32_t& type, Item*& item, ResourcePack*& pack);
    static void ClearRequests();
    static void RemovePackRequests(ResourcePack* pack);
    static void RemoveItemRequest(Item* item);
    static void RemoveRequests(ResourcePack* pack, Item* item);
    static void WorkerThread();

    uint32_t m_dataBase = 0;
    std::vector<uint8_t> m_info;
    std::vector<TypeTable> m_types;
    std::vector<Group> m_groups;
    plat::ReadOnlyFile m_data;
};
