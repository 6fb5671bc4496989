#pragma once
// What an angler's looks may be, wherever they come from: a profile, a rig or a saved game.
// The angler model has four looks and four colour choices (a colour of -1 keeps the model's
// own); boats have one paint scheme (-1 none). A profile's first look is both the angler's
// look and the boat's paint scheme, its other two the colour choices.
#include <cstdint>

struct tovAnglerLooks
{
    static constexpr int32_t kLooks = 4;
    static constexpr int32_t kPaintSchemes = 1;
    static constexpr int32_t kProfileLooks = 3;

    static constexpr bool IsLook(int32_t v) { return v >= 0 && v < kLooks; }
    static constexpr bool IsColour(int32_t v) { return v >= -1 && v < kLooks; }
    static constexpr bool IsPaintScheme(int32_t v) { return v >= -1 && v < kPaintSchemes; }
    static constexpr bool IsProfileLook(int32_t index, int32_t v)
    {
        if (index == 0)
            return IsLook(v) && IsPaintScheme(v);
        return index > 0 && index < kProfileLooks && IsColour(v);
    }
    // The profile's look, or 0 (a new player's) for one no screen makes.
    static constexpr int32_t ProfileLookOrDefault(int32_t index, int32_t v) { return IsProfileLook(index, v) ? v : 0; }
};
