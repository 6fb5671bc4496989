#include "tovLakeDesc.h"

#include "Files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <system_error>

namespace
{

// Whitespace-separated tokens of a text held in memory.
class Tokens
{
public:
    explicit Tokens(const std::string& text) : m_text(text) {}

    // False at the end of the text or for an over-long token (then tooLong is set).
    bool Next(std::string& token)
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        const size_t start = m_at;
        while (m_at < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        if (m_at - start > tovLakeDesc::kMaxToken)
        {
            tooLong = true;
            return false;
        }
        token.assign(m_text, start, m_at - start);
        return !token.empty();
    }
    bool AtEnd()
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
        return m_at >= m_text.size();
    }

    bool tooLong = false;

private:
    const std::string& m_text;
    size_t m_at = 0;
};

bool Is(const std::string& token, const char* key)
{
    return strcasecmp(token.c_str(), key) == 0;
}

class Parser
{
public:
    Parser(const std::string& text, std::string& error) : m_tokens(text), m_error(error) {}

    bool Fail(const std::string& why)
    {
        if (m_error.empty())
            m_error = m_tokens.tooLong ? "a token is longer than 255 characters" : why;
        return false;
    }
    bool Word(const std::string& key, std::string& out) { return m_tokens.Next(out) || Fail("no value after " + key); }
    bool Number(const std::string& key, double& out)
    {
        std::string token;
        if (!Word(key, token))
            return false;
        char* end = nullptr;
        out = std::strtod(token.c_str(), &end);
        return (*end == '\0' && std::isfinite(out)) || Fail("bad number after " + key + ": " + token);
    }
    bool Float(const std::string& key, float& out)
    {
        double value = 0.0;
        if (!Number(key, value) || std::fabs(value) > 3.0e38)
            return Fail("bad number after " + key);
        out = float(value);
        return true;
    }
    bool TileIndex(const std::string& key, int32_t& out)
    {
        double value = 0.0;
        if (!Number(key, value))
            return false;
        if (value != std::floor(value) || value < 0 || value > tovLakeDesc::kMaxTileIndex - tovSectorDesc::kTiles + 1)
            return Fail("bad tile index after " + key);
        out = int32_t(value);
        return true;
    }
    bool Location(const std::string& key, std::vector<tovLakeDesc::Location>& list)
    {
        tovLakeDesc::Location location{};
        for (double& v : location)
            if (!Number(key, v))
                return false;
        if (list.size() >= tovLakeDesc::kMaxLocations)
            return Fail("too many " + key + " entries");
        list.push_back(location);
        return true;
    }

    bool Header(tovLakeDesc& desc);
    bool Sector(tovSectorDesc& sector, bool& more);

    Tokens m_tokens;

private:
    std::string& m_error;
};

bool Parser::Header(tovLakeDesc& d)
{
    std::string key;
    while (m_tokens.Next(key))
    {
        bool ok = true;
        if (Is(key, "SECTOR"))
            return true;
        if (Is(key, "MIN_ELEV"))
            ok = Float(key, d.minElev);
        else if (Is(key, "MAX_ELEV"))
            ok = Float(key, d.maxElev);
        else if (Is(key, "SPAN"))
            ok = Float(key, d.span);
        else if (Is(key, "RESOLUTION"))
            ok = Float(key, d.resolution);
        else if (Is(key, "WATER_LEVEL_MIN"))
            ok = Float(key, d.waterLevelMin);
        else if (Is(key, "WATER_LEVEL_MAX"))
            ok = Float(key, d.waterLevelMax);
        else if (Is(key, "TERRAIN_BASE_NAME"))
            ok = Word(key, d.baseName);
        else if (Is(key, "UNDERWATER_TEXTURE"))
            ok = Word(key, d.underwaterTexture);
        else if (Is(key, "TERRAIN_ELEV_MULT"))
            ok = Float(key, d.elevMult);
        else if (Is(key, "ORIGIN_X"))
            ok = Number(key, d.originX);
        else if (Is(key, "ORIGIN_Y"))
            ok = Number(key, d.originY);
        else if (Is(key, "START_LOC"))
        {
            // The first start doubles as the first computer boat until one is named.
            ok = Location(key, d.starts);
            if (ok && d.bots.empty())
                d.bots.push_back(d.starts.back());
        }
        else if (Is(key, "BOT_LOC"))
            ok = Location(key, d.bots);
        else
        {
            std::string skipped;
            ok = m_tokens.Next(skipped) || !m_tokens.tooLong;
        }
        if (!ok)
            return Fail("bad value");
    }
    return Fail("no SECTOR block");
}

bool Parser::Sector(tovSectorDesc& s, bool& more)
{
    more = false;
    std::string key;
    while (m_tokens.Next(key))
    {
        bool ok = true;
        if (Is(key, "SECTOR"))
        {
            more = true;
            break;
        }
        if (Is(key, "SECTOR_ROW"))
            ok = TileIndex(key, s.row);
        else if (Is(key, "SECTOR_COLUMN"))
            ok = TileIndex(key, s.column);
        else if (Is(key, "SECTOR_ORIGIN_X"))
        {
            ok = Number(key, s.originX);
            s.centreX = s.originX + tovSectorDesc::kHalfCells;
        }
        else if (Is(key, "SECTOR_ORIGIN_Y"))
        {
            ok = Number(key, s.originY);
            s.centreY = s.originY + tovSectorDesc::kHalfCells;
        }
        else if (Is(key, "NE_LAT"))
            ok = Number(key, s.neLatitude);
        else if (Is(key, "NE_LON"))
            ok = Number(key, s.neLongitude);
        else if (Is(key, "SW_LAT"))
            ok = Number(key, s.swLatitude);
        else if (Is(key, "SW_LON"))
            ok = Number(key, s.swLongitude);
        else
        {
            std::string skipped;
            ok = m_tokens.Next(skipped) || !m_tokens.tooLong;
        }
        if (!ok)
            return Fail("bad value in a sector block");
    }
    if (m_tokens.tooLong)
        return Fail("");
    // A block without its first tile would name files of tile -1.
    return (s.row >= 0 && s.column >= 0) || Fail("a sector block lacks SECTOR_ROW or SECTOR_COLUMN");
}

} // namespace

void tovLakeDesc::Reset()
{
    *this = tovLakeDesc();
}

bool tovLakeDesc::Parse(const std::string& text, std::string& error)
{
    Reset();
    error.clear();
    if (text.size() > kMaxFileBytes)
    {
        error = "the description is too large";
        return false;
    }
    Parser parser(text, error);
    if (!parser.Header(*this))
        return false;
    bool more = true;
    while (more && !parser.m_tokens.AtEnd())
    {
        if (sectors.size() >= kMaxSectors)
            return parser.Fail("more than 32 sectors");
        tovSectorDesc sector;
        if (!parser.Sector(sector, more))
            return false;
        sectors.push_back(sector);
    }
    if (sectors.empty())
        return parser.Fail("no sector block");
    // The cell size divides world positions.
    if (!(span > 0.0f && resolution > 0.0f && elevMult > 0.0f))
        return parser.Fail("SPAN, RESOLUTION and TERRAIN_ELEV_MULT must be above 0");
    if (baseName.empty())
        return parser.Fail("no TERRAIN_BASE_NAME");
    return true;
}

bool tovLakeDesc::Load(const std::string& path, std::string& error)
{
    Reset();
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    if (!ec && size > kMaxFileBytes)
        error = "the description is too large";
    else if (ec || !plat::ReadFile(path, bytes))
        error = "cannot be read";
    else if (Parse(std::string(bytes.begin(), bytes.end()), error))
        return true;
    Reset();
    return false;
}

float tovLakeDesc::CellSize() const
{
    return 1.0f / elevMult * span * resolution * 0.01f;
}

bool tovLakeDesc::HoldsWorldPoint(size_t sector, double x, double z) const
{
    const double cell = CellSize();
    if (sector >= sectors.size() || !std::isnormal(cell))
        return false;
    const double side = tovSectorDesc::kTiles * 128.0;
    const double mapX = sectors[sector].originX + tovSectorDesc::kHalfCells - x / cell;
    const double mapY = sectors[sector].originY + tovSectorDesc::kHalfCells - z / cell;
    return std::any_of(sectors.begin(), sectors.end(),
                       [&](const tovSectorDesc& s) {
                           return mapX >= s.originX && mapX <= s.originX + side && mapY >= s.originY &&
                                  mapY <= s.originY + side;
                       });
}
