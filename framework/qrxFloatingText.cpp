#include "qrxFloatingText.h"

#include "Canvas.h"
#include "Font.h"

#include <algorithm>
#include <string>
#include <string_view>

qrxFloatingText::qrxFloatingText(const plat::Font* font, plat::ColorRef color) : m_font(font), m_color(color) {}

int32_t qrxFloatingText::DrawText(int32_t x, int32_t y, const char* text, plat::Rect* outRect)
{
    if (!GetRenderer() || !m_font)
        return 0;
    const std::string_view line = text ? text : "";
    if (line.empty())
    {
        if (outRect)
            *outRect = {x, y, x, y + m_font->MeasureText("s").height};
        return x;
    }
    const plat::Size size = m_font->MeasureText(line);
    if (plat::Canvas* canvas = BeginDraw(size.width, size.height))
        canvas->Text(0, 0, line, *m_font, m_color, plat::kColorBlack);
    if (outRect)
        *outRect = {x, y, x + size.width, y + size.height};
    return FinishDraw(size.width, size.height, x, y) ? 1 : 0;
}

void qrxFloatingText::DrawBoxedText(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* text,
                                    plat::Rect* outRect)
{
    if (!GetRenderer() || !m_font || !text || !*text)
        return;
    const int32_t width = right - left;
    // A box lower than one line would cut the letters' feet off: it grows to a whole line.
    const int32_t height = std::max(bottom - top, m_font->Height());
    if (plat::Canvas* canvas = BeginDraw(width, height))
    {
        canvas->Fill({0, 0, width, height}, plat::kColorBlack);
        canvas->TextInBox({0, 0, width, height}, text, *m_font, m_color);
    }
    if (outRect)
    {
        const plat::Size size = m_font->MeasureText(text);
        *outRect = {left, top, left + size.width, top + size.height};
    }
    FinishDraw(width, height, left, top);
}

std::string qrxFloatingText::FitToWidth(const plat::Font& font, std::string_view text, int32_t width,
                                        std::string_view after)
{
    std::string fitted = std::string(text) + std::string(after);
    size_t kept = text.size();
    while (kept > 0 && font.MeasureText(fitted).width > width)
    {
        --kept;
        while (kept > 0 && text[kept - 1] == ' ')
            --kept;
        fitted = std::string(text.substr(0, kept)) + "..." + std::string(after);
    }
    return fitted;
}
