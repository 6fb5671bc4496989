#pragma once
// What the sky controller drives of the lake's water: on or off with the detail level, the
// wave height and pace from the weather's wave value, and the surface texture's animation.
// The water implements it; the sky borrows it (the fishing world owns the water).

class qrxAnimatedTextureProperty;

class tovWaterEffects
{
public:
    virtual ~tovWaterEffects() = default;

    // Off: the water lies flat and still.
    virtual void SetActive(bool on) = 0;
    // Height of the waves in world units.
    virtual void SetWaveScale(float scale) = 0;
    // Seconds of one wave cycle of the main wave grid.
    virtual void SetWavePeriod(float seconds) = 0;
    // The animated surface texture; null when the water has none.
    virtual qrxAnimatedTextureProperty* GetAnimatedTexture() const = 0;
};
