#pragma once
// The program-wide size of each species' model (twice its bound radius, times 100), written
// once per species by the start-up preload and read wherever a fish is scaled. A species never
// preloaded reads 0, so readers must guard against it.

#include <array>
#include <cstdint>

class tovFishSizeTable
{
public:
    static void Set(int32_t species, float size);
    static float Get(int32_t species);
    static void Clear();

private:
    static std::array<float, 17> s_sizes;
};
