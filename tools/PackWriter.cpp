#include "PackWriter.h"

#include "ByteWriter.h"
#include "Files.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace tools
{

namespace
{
// The data file starts with a few bytes of its own, so that item offsets count from a base.
constexpr char kDataSignature[16] = "QR pack data";
constexpr char kIndexSignature[] = "QR resource pack index";
} // namespace

void PackContents::Add(PackItem item, const std::vector<uint32_t>& groupIds)
{
    const uint32_t type = item.type;
    const uint32_t id = item.id;
    const auto existing = std::find_if(items.begin(), items.end(),
                                       [&](const PackItem& other) { return other.type == type && other.id == id; });
    if (existing == items.end())
        items.push_back(std::move(item));
    for (uint32_t groupId : groupIds)
    {
        auto group = std::find_if(groups.begin(), groups.end(), [&](const PackGroup& g) { return g.id == groupId; });
        if (group == groups.end())
        {
            groups.push_back({groupId, {}});
            group = groups.end() - 1;
        }
        group->entries.emplace_back(type, id);
    }
}

bool BuildPack(const PackContents& contents, PackBytes& out, std::string& error)
{
    std::vector<const PackItem*> sorted;
    for (const PackItem& item : contents.items)
        sorted.push_back(&item);
    std::sort(sorted.begin(), sorted.end(),
              [](const PackItem* a, const PackItem* b)
              { return a->type != b->type ? a->type < b->type : a->id < b->id; });
    std::map<uint32_t, uint32_t> typeCounts;
    for (size_t i = 0; i < sorted.size(); ++i)
    {
        if (i > 0 && sorted[i - 1]->type == sorted[i]->type && sorted[i - 1]->id == sorted[i]->id)
        {
            error =
                "two items of type " + std::to_string(sorted[i]->type) + " share id " + std::to_string(sorted[i]->id);
            return false;
        }
        ++typeCounts[sorted[i]->type];
    }

    plat::ByteWriter data;
    data.Write(kDataSignature, sizeof kDataSignature);
    const uint32_t dataBase = uint32_t(data.Size());
    std::vector<uint8_t> info;
    plat::ByteWriter records;
    for (const PackItem* item : sorted)
    {
        const uint32_t dataOffset = uint32_t(data.Size()) - dataBase;
        data.Write(item->data.data(), item->data.size());
        records.U32(item->id);
        records.U32(item->flags);
        records.U32(0);
        records.U32(0);
        records.U32(uint32_t(item->info.size()));
        records.U32(uint32_t(item->data.size()));
        records.U32(uint32_t(info.size()));
        records.U32(dataOffset);
        records.U32(0);
        records.U32(0);
        info.insert(info.end(), item->info.begin(), item->info.end());
    }

    plat::ByteWriter index;
    uint8_t header[136] = {};
    std::memcpy(header, kIndexSignature, sizeof kIndexSignature);
    index.Write(header, sizeof header);
    index.U32(uint32_t(typeCounts.size()));
    index.U32(uint32_t(contents.groups.size()));
    index.U32(0);
    index.U32(0);
    index.U32(dataBase);
    index.U32(0);
    index.U32(uint32_t(info.size()));
    index.U32(0);
    for (const auto& [type, count] : typeCounts)
        index.U32(type);
    for (const auto& [type, count] : typeCounts)
        index.U32(count);
    for (const PackGroup& group : contents.groups)
    {
        index.U32(group.id);
        index.U32(uint32_t(group.entries.size()));
        index.U32(0);
    }
    for (const PackGroup& group : contents.groups)
    {
        for (const auto& [type, id] : group.entries)
        {
            index.U32(type);
            index.U32(id);
        }
    }
    index.Write(records.Buffer().data(), records.Size());
    index.Write(info.data(), info.size());
    out.index = index.Take();
    out.data = data.Take();
    return true;
}

bool WritePackFiles(const PackContents& contents, const std::string& basePath, std::string& error)
{
    PackBytes bytes;
    if (!BuildPack(contents, bytes, error))
        return false;
    if (!plat::WriteFile(basePath + ".waf", bytes.index.data(), bytes.index.size()) ||
        !plat::WriteFile(basePath + ".wdt", bytes.data.data(), bytes.data.size()))
    {
        error = "cannot write " + basePath + ".waf/.wdt";
        return false;
    }
    return true;
}

std::vector<uint8_t> PcmFormatRecord(uint32_t rate, uint16_t channels, uint16_t bits)
{
    plat::ByteWriter format;
    const uint16_t blockAlign = uint16_t(channels * bits / 8);
    format.U16(1);
    format.U16(channels);
    format.U32(rate);
    format.U32(rate * blockAlign);
    format.U16(blockAlign);
    format.U16(bits);
    format.U16(0);
    return format.Take();
}

} // namespace tools
