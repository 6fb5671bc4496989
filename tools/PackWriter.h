#pragma once
// Writes resource packs (".waf" index and ".wdt" data) for the sample data and tests. Items
// are sorted by type and id as the reader's binary searches need; groups keep their order.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tools
{

struct PackItem
{
    uint32_t type = 0;
    uint32_t id = 0;
    uint32_t flags = 0; // 1 asynchronous, 2 on first use
    std::vector<uint8_t> info;
    std::vector<uint8_t> data;
};

struct PackGroup
{
    uint32_t id = 0;
    std::vector<std::pair<uint32_t, uint32_t>> entries; // type, item id
};

struct PackContents
{
    std::vector<PackItem> items;
    std::vector<PackGroup> groups;

    // Adds the item (or finds the one with that type and id) and lists it in each group,
    // creating groups in the order they are first named.
    void Add(PackItem item, const std::vector<uint32_t>& groupIds);
};

struct PackBytes
{
    std::vector<uint8_t> index;
    std::vector<uint8_t> data;
};

// False (with the reason) when two items share a type and id.
bool BuildPack(const PackContents& contents, PackBytes& out, std::string& error);
// Writes basePath + ".waf" and basePath + ".wdt".
bool WritePackFiles(const PackContents& contents, const std::string& basePath, std::string& error);

// The 18-byte wave format record of PCM sound items: tag 1, then the usual fields.
std::vector<uint8_t> PcmFormatRecord(uint32_t rate, uint16_t channels, uint16_t bits);

} // namespace tools
