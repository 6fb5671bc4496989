#pragma once
// Fish by species number, and the start-up preload of one species.

#include "tovFish.h"

#include "QrPointer.h"

#include <cstdint>

// A new fish of the species' class; null out of 0..16.
QrPointer<tovFish> CreateFish(int32_t species);

// Builds one fish of the species, records its model size, runs its set-up and lets it go, so
// that the species' model is cached before play. False out of range or when the species'
// model file cannot be read (its size stays 0 then).
bool PreloadFishSpecies(int32_t species);
