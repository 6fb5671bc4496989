#include "tovPostedText.h"

#include "Canvas.h"
#include "Font.h"

#include <algorithm>

int32_t tovPostedText::RowsIn(const plat::Rect& band)
{
    return std::max(band.Height(), 0) / kRow;
}

void tovPostedText::DrawRows(const std::vector<std::string>& rows, const plat::Font& font, const plat::Rect& band)
{
    const size_t count = std::min(rows.size(), static_cast<size_t>(RowsIn(band)));
    if (count == 0)
        return;
    // Over a busy screen (the profile list's rows, the lake) a row on its plate reads as a notice,
    // not as marks on what lies beneath. Around the plates the scratch image stays black, which
    // the blit leaves out.
    const plat::ColorRef plate = plat::MakeColorRef(20, 24, 32);
    std::vector<int32_t> plates;
    for (size_t i = 0; i < count; ++i)
        plates.push_back(std::min(font.MeasureText(rows[i]).width + 2 * kPad, band.Width()));
    const int32_t width = *std::max_element(plates.begin(), plates.end());
    const int32_t height = static_cast<int32_t>(count) * kRow;
    const int32_t textTop = std::max(0, (kRow - font.Height()) / 2);
    if (plat::Canvas* canvas = BeginDraw(width, height))
    {
        canvas->Fill({0, 0, width, height}, plat::kColorBlack);
        for (size_t i = 0; i < count; ++i)
        {
            const int32_t y = static_cast<int32_t>(i) * kRow;
            canvas->Fill({0, y, plates[i], y + kRow}, plate);
            canvas->Text(kPad, y + textTop, rows[i], font, kColor, plate);
        }
    }
    FinishDraw(width, height, band.left, band.top);
}
