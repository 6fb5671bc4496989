#include "tovLakeCatalogue.h"

#include "Path.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "tovInstallSettings.h"
#include "tovNetFacade.h"
#include "uRandom.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{

// Ids 0 to 30 take part in counting and random choice; 31 only marks the mask.
constexpr int32_t kCountedIds = 31;

// Decimal with the usual leading-digits rule; out-of-range text is clamped, not undefined.
int32_t ParseInt(const char* text, const char** end)
{
    char* stop = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &stop, 10);
    if (end != nullptr)
        *end = stop;
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

float ParseFloat(const char* text)
{
    const float v = std::strtof(text, nullptr);
    return std::isfinite(v) ? v : 0.0f;
}

// Each comma-separated integer that is present overwrites its place in out.
template <size_t N> void ParseIntList(const char* text, std::array<int32_t, N>& out)
{
    for (size_t i = 0; i < N && text != nullptr; ++i)
    {
        out[i] = ParseInt(text, nullptr);
        text = std::strchr(text, ',');
        if (text != nullptr)
            ++text;
    }
}

} // namespace

tovLakeCatalogue::~tovLakeCatalogue()
{
    CloseLakeFile();
}

void tovLakeCatalogue::ScanIfEmpty()
{
    if (m_entries.empty())
        ScanLakeFiles();
}

void tovLakeCatalogue::ScanLakeFiles()
{
    if (!m_entries.empty())
        return;
    const std::string pattern = LakesFilePath("*.waf");
    if (pattern.empty())
        return;
    const std::string folder = plat::FindPathCaseInsensitive(plat::FolderOf(pattern), plat::PathKind::kFolder)
                                   .value_or(plat::FolderOf(pattern));
    for (const std::string& name : plat::ListFiles(folder, "*.waf"))
        AddLakeFile(name, folder);
}

void tovLakeCatalogue::AddLakeFile(const std::string& fileName, const std::string& folder)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return;
    Entry entry;
    entry.path = plat::JoinPath(folder, fileName.substr(0, dot));
    m_entries.push_back(entry);
    if (OpenLakeFile(static_cast<int32_t>(m_entries.size() - 1)))
    {
        if (const char* id = static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, 72, m_pack)))
            m_entries.back().id = ParseInt(id, nullptr);
        CloseLakeFile();
    }
    const int32_t id = m_entries.back().id;
    if (id >= 0 && id <= 31)
        m_mask |= 1u << id;
}

bool tovLakeCatalogue::OpenLakeFile(int32_t index)
{
    CloseLakeFile();
    if (index < 0 || index >= static_cast<int32_t>(m_entries.size()))
        return false;
    RegisterBlobResourceType();
    if (ResourcePack::Open(m_entries[static_cast<size_t>(index)].path, &m_pack) != kResourceOk || m_pack == nullptr)
    {
        m_pack = nullptr;
        return false;
    }
    ResourcePack::LoadGroup(0, m_pack);
    return true;
}

void tovLakeCatalogue::CloseLakeFile()
{
    if (m_pack == nullptr)
        return;
    ResourcePack::UnloadGroup(0, m_pack);
    ResourcePack::Close(&m_pack);
    m_pack = nullptr;
}

uint32_t tovLakeCatalogue::GetLakeMask()
{
    ScanIfEmpty();
    return m_mask;
}

int32_t tovLakeCatalogue::CountLakes(uint32_t mask)
{
    ScanIfEmpty();
    if (mask == 0)
        return static_cast<int32_t>(m_entries.size());
    int32_t n = 0;
    for (int32_t id = 0; id < kCountedIds; ++id)
        if ((mask & m_mask & (1u << id)) != 0)
            ++n;
    return n;
}

int32_t tovLakeCatalogue::FindLakeIndex(int32_t id)
{
    ScanIfEmpty();
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].id == id)
            return static_cast<int32_t>(i);
    return -1;
}

std::string tovLakeCatalogue::FindDescriptionPath(int32_t id)
{
    // Entries whose pack has no id item carry -1: no id names them.
    const int32_t index = id < 0 ? -1 : FindLakeIndex(id);
    if (index < 0)
        return std::string();
    // A pack of its own, so a pack the catalogue holds open stays open.
    RegisterBlobResourceType();
    ResourcePack* pack = nullptr;
    if (ResourcePack::Open(m_entries[static_cast<size_t>(index)].path, &pack) != kResourceOk || pack == nullptr)
        return std::string();
    ResourcePack::LoadGroup(0, pack);
    std::string path;
    if (const char* file = static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, 76, pack)))
        path = LakesFilePath(file);
    ResourcePack::UnloadGroup(0, pack);
    ResourcePack::Close(&pack);
    return path;
}

int32_t tovLakeCatalogue::FindLargestPrize()
{
    ScanIfEmpty();
    RegisterBlobResourceType();
    int32_t largest = 0;
    for (const Entry& entry : m_entries)
    {
        // A pack of its own, so a pack the catalogue holds open stays open.
        ResourcePack* pack = nullptr;
        if (ResourcePack::Open(entry.path, &pack) != kResourceOk || pack == nullptr)
            continue;
        ResourcePack::LoadGroup(0, pack);
        std::array<int32_t, 5> prizes{};
        ParseIntList(static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, 81, pack)), prizes);
        largest = std::max(largest, *std::max_element(prizes.begin(), prizes.end()));
        ResourcePack::UnloadGroup(0, pack);
        ResourcePack::Close(&pack);
    }
    return largest;
}

int32_t tovLakeCatalogue::GetLakeIdAt(int32_t index)
{
    ScanIfEmpty();
    if (index < 0 || index >= static_cast<int32_t>(m_entries.size()))
        return -1;
    return m_entries[static_cast<size_t>(index)].id;
}

int32_t tovLakeCatalogue::GetCurrentLakeIndex()
{
    return FindLakeIndex(m_currentId);
}

void tovLakeCatalogue::GetLakeIntList(int32_t out[5]) const
{
    std::copy(m_values.intList.begin(), m_values.intList.end(), out);
}

void tovLakeCatalogue::SelectLake(tovGameSession* /*session*/, int32_t id)
{
    if (id == m_currentId)
        return;
    const int32_t index = FindLakeIndex(id);
    if (index < 0)
        return;
    m_currentId = id;
    // Kept by the session on the host or before a session opens; the host sends it on.
    NetSetLakeId(id, true);
    m_currentPath = m_entries[static_cast<size_t>(index)].path;
    // A pack without key 76 has no description path, never the previous lake's.
    m_values.descriptionPath.clear();
    if (!OpenLakeFile(index))
    {
        // A lake whose pack cannot be read is not selected: nothing may load the old lake's
        // world under the new id.
        m_currentId = -1;
        m_currentPath.clear();
        return;
    }
    ReadValues();
    CloseLakeFile();
}

void tovLakeCatalogue::ReadValues()
{
    auto text = [this](uint32_t key)
    { return static_cast<const char*>(ResourcePack::GetItem(kResourceBytes, key, m_pack)); };
    tovLakeValues& v = m_values;
    if (const char* file = text(76))
        v.descriptionPath = LakesFilePath(file);
    for (int32_t k = 0; k < tovLakeValues::kSpeciesCount; ++k)
    {
        const uint32_t keys[3] = {30u + uint32_t(k), 50u + uint32_t(k), uint32_t(k)};
        for (size_t i = 0; i < 3; ++i)
            if (const char* t = text(keys[i]))
                v.speciesTriples[size_t(k)][i] = ParseFloat(t);
        for (size_t table = 0; table < 3; ++table)
        {
            const char* t = text(2000u + 100u * uint32_t(table) + uint32_t(k));
            v.speciesTables[table][size_t(k)] = t != nullptr ? ParseFloat(t) : 0.0f;
        }
    }
    const char* name = text(85);
    v.text = name != nullptr ? name : "";
    ParseIntList(text(81), v.intList);
    // A prize is paid, never taken: a negative one would leave a season's winnings below zero,
    // which no save of it could hold.
    for (int32_t& prize : v.intList)
        prize = std::max(prize, 0);
    v.pair1 = {60, 90};
    v.pair2 = {60, 77};
    ParseIntList(text(83), v.pair1);
    ParseIntList(text(84), v.pair2);
    const char* a = text(82);
    const char* b = text(78);
    const char* c = text(79);
    v.valueA = a != nullptr ? ParseInt(a, nullptr) : 30;
    v.valueB = b != nullptr ? ParseInt(b, nullptr) : 100;
    v.valueC = c != nullptr ? ParseInt(c, nullptr) : 100;
}

void tovLakeCatalogue::SelectLakeByIndex(tovGameSession* session, int32_t index)
{
    const int32_t id = GetLakeIdAt(index);
    if (id != -1)
        SelectLake(session, id);
}

bool tovLakeCatalogue::SelectRandomLake(tovGameSession* session, uint32_t mask)
{
    const uint32_t candidates = mask == 0 ? GetLakeMask() : mask & GetLakeMask();
    const int32_t n = CountLakes(candidates == 0 ? 0 : candidates);
    // No candidate: nothing to choose (mask 0 would count entries, not ids).
    if (candidates == 0 || n == 0)
        return false;
    int32_t r = SharedRandom().next() % n;
    for (int32_t id = 0; id < kCountedIds; ++id)
        if ((candidates & (1u << id)) != 0 && r-- == 0)
        {
            SelectLake(session, id);
            return true;
        }
    return false;
}

void tovLakeCatalogue::Clear()
{
    CloseLakeFile();
    m_entries.clear();
    m_mask = 0;
}

tovLakeCatalogue& TheLakeCatalogue()
{
    static tovLakeCatalogue catalogue;
    return catalogue;
}
