#pragma once
// Text drawn over the view through the scratch image: one line at a point, or wrapped and
// centred in a box. The font is borrowed from its owner; black text would vanish in the
// colour key, so callers choose lighter colours.

#include "qrxScratchImage.h"

#include "ColorRef.h"
#include "Rect.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace plat
{
class Font;
}

class qrxFloatingText : public qrxScratchImage
{
public:
    qrxFloatingText(const plat::Font* font, plat::ColorRef color);

    // Answers 0 without a renderer; for an empty text, x, with outRect one line high and no
    // width; otherwise 1 once the text is blitted. outRect may be null.
    int32_t DrawText(int32_t x, int32_t y, const char* text, plat::Rect* outRect);
    // outRect gets the extent of the whole text as one line at the box's corner.
    void DrawBoxedText(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text, plat::Rect* outRect);

    const plat::Font* GetFont() const { return m_font; }

    // text then after, whole when it is at most width wide in font; else as much of text as fits
    // (without the spaces it would end on), marked as cut with "...", then after, which stays.
    // When no letter fits, "..." and after, which may then still be wider.
    static std::string FitToWidth(const plat::Font& font, std::string_view text, int32_t width,
                                  std::string_view after = {});

private:
    const plat::Font* m_font;
    plat::ColorRef m_color;
};
