#include "tovPopulationCatalogue.h"

#include "qrxAssetCache.h"

#include "Files.h"
#include "Path.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace
{

// A real catalogue holds a few dozen entries on a few hundred lines.
constexpr uintmax_t kMaxFileBytes = 256 * 1024;
constexpr size_t kMaxTypesPerKind = 64;
constexpr size_t kRecordTokens = 8;

std::array<std::vector<tovPopulationType>, tovPopulationType::kKindCount> g_lists;

struct Token
{
    std::string text;
    uint32_t line;
};

std::vector<Token> Tokens(const std::vector<uint8_t>& bytes)
{
    std::vector<Token> tokens;
    uint32_t line = 0;
    std::string current;
    for (const uint8_t byte : bytes)
    {
        if (std::isspace(byte) || byte == 0)
        {
            if (!current.empty())
                tokens.push_back({std::move(current), line});
            current.clear();
            if (byte == '\n')
                ++line;
        }
        else
            current.push_back(char(byte));
    }
    if (!current.empty())
        tokens.push_back({std::move(current), line});
    return tokens;
}

// The whole token must be a finite number.
bool Number(const std::string& text, float& out)
{
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

// A picture is a plain file name in the catalogue's folder, never a path leading elsewhere.
bool PlainFileName(const std::string& name)
{
    return plat::FitsMaxPath(name) && name.find_first_of("/\\:") == std::string::npos && name != "." && name != "..";
}

// The record after a keyword; false when a field is not a usable number.
bool ReadRecord(const Token* fields, tovPopulationType& type)
{
    float values[7];
    for (size_t i = 0, k = 0; i < kRecordTokens; ++i)
        if (i != 1 && !Number(fields[i].text, values[k++]))
            return false;
    type.m_weight = values[0];
    type.m_textureFile = fields[1].text;
    for (size_t i = 0; i < 4; ++i)
        type.m_extra[i] = values[1 + i];
    type.m_sizeLow = values[5];
    type.m_sizeHigh = values[6];
    // Weights are shares: a negative one would make the cumulative shares fall back.
    return type.m_weight >= 0.0f;
}

// View distances (far, middle, near) by detail level.
std::array<float, 3> DefaultDistances(int32_t level)
{
    if (level >= 0 && level <= 5)
        return {10.0f, 8.0f, 2.0f};
    if (level >= 6 && level <= 10)
        return {20.0f, 16.0f, 4.0f};
    if (level >= 11 && level <= 14)
        return {25.0f, 20.0f, 5.0f};
    return {0.0f, 0.0f, 0.0f};
}

float DefaultDistance(int32_t kind, const std::array<float, 3>& d)
{
    switch (kind)
    {
    case tovPopulationType::kTallTree:
    case tovPopulationType::kInOutPlant:
    case tovPopulationType::kDeadTree:
        return d[0];
    case tovPopulationType::kUnderWaterPlant:
        return d[2];
    default:
        return d[1];
    }
}

void MakeCumulative(std::vector<tovPopulationType>& list)
{
    double total = 0.0;
    for (const tovPopulationType& type : list)
        total += type.m_weight;
    double sum = 0.0;
    for (size_t k = 0; k < list.size(); ++k)
    {
        sum += list[k].m_weight;
        // All weights zero: equal shares rather than a division by zero.
        list[k].m_weight = total > 0.0 ? float(sum / total) : float(double(k + 1) / double(list.size()));
    }
}

} // namespace

int32_t DetailLevelOf(float detail)
{
    const float level = std::trunc(detail * 15.0f);
    return level >= 0.0f && level <= 15.0f ? int32_t(level) : -1;
}

int32_t PopulationKindOf(const std::string& keyword)
{
    static const struct
    {
        const char* name;
        int32_t kind;
    } kKinds[] = {{"tallTree", tovPopulationType::kTallTree},
                  {"shortTree", tovPopulationType::kShortTree},
                  {"shrub", tovPopulationType::kShrub},
                  {"underWaterPlant", tovPopulationType::kUnderWaterPlant},
                  {"surfacePlant", tovPopulationType::kSurfacePlant},
                  {"rock", tovPopulationType::kRock},
                  {"deadTree", tovPopulationType::kDeadTree},
                  {"inOutPlant", tovPopulationType::kInOutPlant}};
    for (const auto& k : kKinds)
        if (plat::EqualNoCase(keyword, k.name))
            return k.kind;
    return -1;
}

void ClearPopulationCatalogue()
{
    for (std::vector<tovPopulationType>& list : g_lists)
        list.clear();
}

const std::vector<tovPopulationType>& GetPopulationTypes(int32_t kind)
{
    static const std::vector<tovPopulationType> kNone;
    return kind >= 0 && kind < tovPopulationType::kKindCount ? g_lists[size_t(kind)] : kNone;
}

bool LoadPopulationCatalogue(const std::string& path, int32_t detailLevel)
{
    ClearPopulationCatalogue();
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    if (ec || size > kMaxFileBytes || !plat::ReadFile(path, bytes))
        return false;
    const std::vector<Token> tokens = Tokens(bytes);
    const std::string folder = plat::FolderOf(path);
    const std::array<float, 3> distances = DefaultDistances(detailLevel);
    for (size_t i = 0; i < tokens.size();)
    {
        const int32_t kind = PopulationKindOf(tokens[i].text);
        if (kind < 0)
        {
            const uint32_t line = tokens[i].line;
            while (i < tokens.size() && tokens[i].line == line)
                ++i;
            continue;
        }
        // A record cut short by the end of the file is dropped.
        if (tokens.size() - i - 1 < kRecordTokens)
            break;
        tovPopulationType type;
        std::vector<tovPopulationType>& list = g_lists[size_t(kind)];
        if (ReadRecord(&tokens[i + 1], type) && list.size() < kMaxTypesPerKind)
        {
            if (type.m_viewDistance < 0.0f)
                type.m_viewDistance = DefaultDistance(kind, distances);
            if (PlainFileName(type.m_textureFile))
                type.m_texture = qrxAssetCache::Get().Load(plat::JoinPath(folder, type.m_textureFile).c_str(), 0);
            list.push_back(std::move(type));
        }
        i += 1 + kRecordTokens;
    }
    for (std::vector<tovPopulationType>& list : g_lists)
        MakeCumulative(list);
    return true;
}
