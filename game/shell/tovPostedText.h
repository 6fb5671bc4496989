#pragma once
// How posted lines stand on the screen: rows of text, each on a dark plate of its own width, in
// the band the current screen names, where they hide none of its texts and controls. The
// application draws its posted lines so; a screen draws a line of its own (the host's waiting
// line) the same way.

#include "qrxScratchImage.h"

#include "ColorRef.h"
#include "Rect.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat
{
class Font;
}

class tovPostedText : public qrxScratchImage
{
public:
    // A band holds as many whole rows as fit.
    static constexpr int32_t kRow = 20;
    // The plate's margin either side of its text.
    static constexpr int32_t kPad = 4;
    static constexpr plat::ColorRef kColor = 255;
    // The band of a screen that names none: under the screens' titles and the chat panel's place.
    static constexpr plat::Rect kDefaultBand{4, 112, 636, 300};

    static int32_t RowsIn(const plat::Rect& band);
    // The widest text a row of the band takes.
    static int32_t TextWidth(const plat::Rect& band) { return band.Width() - 2 * kPad; }
    // The rows one under the other from the band's top left, each on its plate; rows that do not
    // fit the band are left out from the end.
    static void DrawRows(const std::vector<std::string>& rows, const plat::Font& font, const plat::Rect& band);
};
