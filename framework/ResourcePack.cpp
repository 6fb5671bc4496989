#include "ResourcePack.h"

#include "ByteReader.h"
#include "Files.h"
#include "Path.h"

#include <algorithm>
#include <filesystem>
#include <new>

namespace
{

// An index larger than this is not a pack we wrote; refusing it bounds the read.
constexpr uint64_t kMaxIndexBytes = 256ull << 20;

constexpr uint32_t kTypeCountAt = 136;
constexpr uint32_t kDataBaseAt = 152;
constexpr uint32_t kInfoSizeAt = 160;

} // namespace

ResourcePack::~ResourcePack() = default;

uint16_t ResourcePack::Open(const std::string& basePath, ResourcePack** out, bool /*mapped*/, std::string* failedFile)
{
    const std::string indexName = basePath + ".waf";
    const std::string dataName = basePath + ".wdt";
    const auto fail = [failedFile](uint16_t code, const std::string& file)
    {
        if (failedFile)
            *failedFile = file;
        return code;
    };
    if (!out)
        return fail(kResourceOpenFailed, indexName);
    std::unique_ptr<ResourcePack> pack(new (std::nothrow) ResourcePack());
    if (!pack)
        return fail(kResourceNoMemory, indexName);
    std::vector<uint8_t> index;
    const auto indexPath = plat::FindPathCaseInsensitive(plat::NativePath(indexName), plat::PathKind::kFile);
    if (!indexPath)
        return fail(kResourceOpenFailed, indexName);
    std::error_code error;
    const uintmax_t indexSize = std::filesystem::file_size(*indexPath, error);
    if (!error && indexSize > kMaxIndexBytes)
        return fail(kResourceReadFailed, *indexPath);
    if (!plat::ReadFile(*indexPath, index, kMaxIndexBytes))
        return fail(kResourceOpenFailed, *indexPath);
    if (!pack->m_data.Open(dataName))
        return fail(kResourceOpenFailed, dataName);
    bool dataShort = false;
    const uint16_t code = pack->ParseIndex(index, dataShort);
    if (code != kResourceOk)
        return fail(code, dataShort ? plat::FindPathCaseInsensitive(plat::NativePath(dataName)).value_or(dataName)
                                    : *indexPath);
    *out = pack.release();
    return kResourceOk;
}

// Every count, offset and length is checked against the two files before anything is
// allocated or read by it; the binary searches need strictly ascending types and ids.
uint16_t ResourcePack::ParseIndex(const std::vector<uint8_t>& index, bool& dataShort)
{
    if (index.size() < kHeaderSize)
        return kResourceReadFailed;
    plat::ByteReader reader(index.data(), index.size());
    reader.Seek(kTypeCountAt);
    const uint32_t typeCount = reader.U32();
    const uint32_t groupCount = reader.U32();
    reader.Seek(kDataBaseAt);
    m_dataBase = reader.U32();
    reader.Seek(kInfoSizeAt);
    const uint32_t infoSize = reader.U32();
    reader.Seek(kHeaderSize);

    if (!reader.CanRead(typeCount, 8))
        return kResourceReadFailed;
    m_types.resize(typeCount);
    for (TypeTable& table : m_types)
        table.type = reader.U32();
    for (TypeTable& table : m_types)
        table.count = reader.U32();
    for (uint32_t i = 1; i < typeCount; ++i)
    {
        if (m_types[i - 1].type >= m_types[i].type)
            return kResourceReadFailed;
    }

    if (!reader.CanRead(groupCount, 12))
        return kResourceReadFailed;
    m_groups.resize(groupCount);
    std::vector<uint32_t> entryCounts(groupCount);
    for (uint32_t i = 0; i < groupCount; ++i)
    {
        m_groups[i].id = reader.U32();
        entryCounts[i] = reader.U32();
        reader.Skip(4);
    }
    for (uint32_t i = 0; i < groupCount; ++i)
    {
        if (!reader.CanRead(entryCounts[i], 8))
            return kResourceReadFailed;
        m_groups[i].entries.resize(entryCounts[i]);
        for (auto& entry : m_groups[i].entries)
        {
            entry.first = reader.U32();
            entry.second = reader.U32();
        }
    }

    const uint64_t dataSize = m_data.Size();
    for (TypeTable& table : m_types)
    {
        if (!reader.CanRead(table.count, kItemRecordSize))
            return kResourceReadFailed;
        table.items.reset(new (std::nothrow) Item[table.count]);
        if (!table.items)
            return kResourceNoMemory;
        for (uint32_t i = 0; i < table.count; ++i)
        {
            Item& item = table.items[i];
            item.id = reader.U32();
            // Run-time fields are zero in the file; whatever stands there is not trusted.
            item.flags = reader.U32() & (kAsync | kOnFirstUse);
            reader.Skip(8);
            item.infoLength = reader.U32();
            item.dataSize = reader.U32();
            item.infoOffset = reader.U32();
            item.dataOffset = reader.U32();
            reader.Skip(8);
            if (i > 0 && table.items[i - 1].id >= item.id)
                return kResourceReadFailed;
            if (uint64_t(item.infoOffset) + item.infoLength > infoSize)
                return kResourceReadFailed;
            if (uint64_t(m_dataBase) + item.dataOffset + item.dataSize > dataSize)
            {
                dataShort = true;
                return kResourceReadFailed;
            }
        }
    }

    if (!reader.CanRead(infoSize, 1))
        return kResourceReadFailed;
    m_info.assign(reader.Current(), reader.Current() + infoSize);
    return reader.Failed() ? kResourceReadFailed : kResourceOk;
}

void ResourcePack::Close(ResourcePack** pack)
{
    if (!pack || !*pack)
        return;
    ResourcePack* self = *pack;
    RemovePackRequests(self);
    for (TypeTable& table : self->m_types)
    {
        for (uint32_t i = 0; i < table.count; ++i)
        {
            Item& item = table.items[i];
            std::lock_guard<std::mutex> lock(item.lock);
            if (item.flags & kLoaded)
                self->UnloadItemLocked(table.type, item);
            item.flags &= ~(kLoaded | kDataKept | kQueued);
        }
    }
    std::fill(self->m_info.begin(), self->m_info.end(), uint8_t(0));
    delete self;
    *pack = nullptr;
}

ResourcePack::Item* ResourcePack::FindItem(uint32_t id, uint32_t type)
{
    const auto table = std::lower_bound(m_types.begin(), m_types.end(), type,
                                        [](const TypeTable& t, uint32_t value) { return t.type < value; });
    if (table == m_types.end() || table->type != type)
        return nullptr;
    Item* first = table->items.get();
    Item* last = first + table->count;
    Item* found = std::lower_bound(first, last, id, [](const Item& item, uint32_t value) { return item.id < value; });
    return (found != last && found->id == id) ? found : nullptr;
}

bool ResourcePack::GetItemState(uint32_t type, uint32_t id, uint32_t& flags, uint32_t& refCount)
{
    Item* item = FindItem(id, type);
    if (!item)
        return false;
    std::lock_guard<std::mutex> lock(item->lock);
    flags = item->flags;
    refCount = item->refCount;
    return true;
}

const ResourcePack::Group* ResourcePack::FindGroup(uint32_t groupId) const
{
    for (const Group& group : m_groups)
    {
        if (group.id == groupId)
            return &group;
    }
    return nullptr;
}

const uint8_t* ResourcePack::InfoOf(const Item& item) const
{
    return m_info.data() + item.infoOffset;
}

uint16_t ResourcePack::LoadGroup(uint32_t groupId, ResourcePack* pack)
{
    const Group* group = pack ? pack->FindGroup(groupId) : nullptr;
    if (!group)
        return kResourceNotFound;
    uint16_t firstFailure = kResourceOk;
    for (const auto& [type, id] : group->entries)
    {
        Item* item = pack->FindItem(id, type);
        if (!item)
            continue;
        std::unique_lock<std::mutex> lock(item->lock);
        ++item->refCount;
        if (item->flags & (kLoaded | kQueued))
            continue;
        if (item->flags & kAsync)
        {
            item->flags = (item->flags & ~kFailureFlags) | kQueued;
            lock.unlock();
            // A full ring, or no loader, loads the item now rather than lose the request.
            if (!QueueRequest(type, item, pack))
                LoadItem(type, item, pack);
            continue;
        }
        if (item->flags & kOnFirstUse)
            continue;
        item->flags &= ~kFailureFlags;
        lock.unlock();
        const uint16_t code = LoadItem(type, item, pack);
        if (code != kResourceOk && firstFailure == kResourceOk)
            firstFailure = code;
    }
    return firstFailure;
}

void ResourcePack::UnloadGroup(uint32_t groupId, ResourcePack* pack)
{
    const Group* group = pack ? pack->FindGroup(groupId) : nullptr;
    if (!group)
        return;
    for (const auto& [type, id] : group->entries)
    {
        Item* item = pack->FindItem(id, type);
        if (!item)
            continue;
        std::unique_lock<std::mutex> lock(item->lock);
        if (item->refCount > 0)
            --item->refCount;
        item->flags &= ~kFailureFlags;
        if (item->refCount != 0)
            continue;
        if (item->flags & kQueued)
        {
            lock.unlock();
            RemoveItemRequest(item);
            lock.lock();
        }
        if (item->flags & kLoaded)
            pack->UnloadItemLocked(type, *item);
        item->flags &= ~(kLoaded | kDataKept | kQueued);
    }
}

void* ResourcePack::GetItem(uint32_t type, uint32_t id, ResourcePack* pack)
{
    Item* item = pack ? pack->FindItem(id, type) : nullptr;
    if (!item)
        return nullptr;
    std::unique_lock<std::mutex> lock(item->lock);
    if (item->flags & kLoaded)
        return item->object;
    if (item->flags & kAsync)
    {
        if (!(item->flags & kQueued))
            return nullptr;
        lock.unlock();
        WaitForItem(type, id, pack);
        lock.lock();
        return (item->flags & kLoaded) ? item->object : nullptr;
    }
    if (item->refCount == 0)
        return nullptr;
    lock.unlock();
    if (LoadItem(type, item, pack) != kResourceOk)
        return nullptr;
    lock.lock();
    return item->object;
}

const uint8_t* ResourcePack::GetItemAddress(uint32_t type, uint32_t id, ResourcePack* pack)
{
    Item* item = pack ? pack->FindItem(id, type) : nullptr;
    return item ? pack->InfoOf(*item) : nullptr;
}
