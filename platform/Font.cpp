#include "Font.h"

#include "FontCatalog.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace plat
{

namespace
{

constexpr int32_t kMaxHeight = 1024;

FT_Library Library()
{
    // Kept for the life of the program, like the font configuration.
    static FT_Library library = []
    {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return library;
}

// The vertical extent a window program's font height counts: the OS/2 table's "Windows"
// ascent and descent where present, else the face's own.
void DesignExtent(FT_Face face, double& ascent, double& descent, double& averageWidth)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0)
    {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    else
    {
        ascent = face->ascender;
        descent = -face->descender;
    }
    averageWidth = os2 ? os2->xAvgCharWidth : 0.0;
}

} // namespace

struct Font::Face
{
    FT_Face face = nullptr;
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
    }
};

Font::Font() = default;
Font::~Font() = default;

std::unique_ptr<Font> Font::Create(const std::string& face, int32_t height, int32_t weight)
{
    FT_Library library = Library();
    FontFile file;
    if (!library || height <= 0 || height > kMaxHeight || !FontCatalog::Find(face, weight, file))
        return nullptr;
    std::unique_ptr<Font> font(new Font);
    font->m_face = std::make_unique<Face>();
    if (FT_New_Face(library, file.path.c_str(), file.index, &font->m_face->face) != 0)
        return nullptr;
    FT_Face ft = font->m_face->face;
    if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0)
        return nullptr;
    FT_Select_Charmap(ft, FT_ENCODING_UNICODE);

    double ascent = 0, descent = 0, averageWidth = 0;
    DesignExtent(ft, ascent, descent, averageWidth);
    if (ascent + descent <= 0)
        return nullptr;
    // The height is the cell: ascent plus descent, so the em is scaled down to fit it.
    const double scale = height / (ascent + descent);
    const double emPixels = ft->units_per_EM * scale;
    FT_Size_RequestRec request = {};
    request.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
    request.height = static_cast<FT_Long>(std::lround(emPixels * 64.0));
    if (FT_Request_Size(ft, &request) != 0)
        return nullptr;
    font->m_ascent = std::clamp(static_cast<int32_t>(std::lround(ascent * scale)), 0, height);
    font->m_descent = height - font->m_ascent;
    font->m_filePath = file.path;
    font->m_familyName = file.family;
    font->m_averageWidth = static_cast<int32_t>(std::lround(averageWidth * scale));
    if (font->m_averageWidth <= 0)
        font->m_averageWidth = std::max(1, font->GlyphOf('x').advance);
    return font;
}

std::unique_ptr<Glyph> Font::Render(uint8_t character) const
{
    auto glyph = std::make_unique<Glyph>();
    // Control characters draw nothing and take no room.
    if (character < 0x20 || character == 0x7F)
        return glyph;
    FT_Face ft = m_face->face;
    if (FT_Load_Char(ft, character, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
        return glyph;
    const FT_GlyphSlot slot = ft->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
        return glyph;
    glyph->width = static_cast<int32_t>(bitmap.width);
    glyph->rows = static_cast<int32_t>(bitmap.rows);
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->coverage.resize(static_cast<size_t>(bitmap.width) * bitmap.rows);
    for (unsigned y = 0; y < bitmap.rows; ++y)
    {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        std::copy(row, row + bitmap.width, glyph->coverage.begin() + static_cast<ptrdiff_t>(y) * bitmap.width);
    }
    return glyph;
}

const Glyph& Font::GlyphOf(uint8_t character) const
{
    std::unique_ptr<Glyph>& slot = m_glyphs[character];
    if (!slot)
        slot = Render(character);
    return *slot;
}

Size Font::MeasureText(std::string_view text) const
{
    int32_t width = 0;
    for (const char c : text)
        width += GlyphOf(static_cast<uint8_t>(c)).advance;
    return {width, Height()};
}

} // namespace plat
