#pragma once
// One entry of a lake's population catalogue: the picture of a kind of tree, plant or rock,
// its share among the entries of its kind, its size range (hundreds of feet) and the distance
// out to which its cutouts are drawn.

#include "QrPointer.h"
#include "QrTextureProperty.h"

#include <array>
#include <cstdint>
#include <string>

class tovPopulationType
{
public:
    // The catalogue's lists; 0 and 8 stay empty.
    enum Kind : int32_t
    {
        kTallTree = 1,
        kShortTree = 2,
        kShrub = 3,
        kUnderWaterPlant = 4,
        kSurfacePlant = 5,
        kRock = 6,
        kDeadTree = 7,
        kInOutPlant = 9,
        kKindCount = 10,
    };

    std::string m_textureFile;
    // Null when the picture did not load.
    QrPointer<QrTextureProperty> m_texture;
    // As read; after the catalogue is loaded the cumulative share within its kind.
    float m_weight = 1.0f;
    float m_unused = 0.0f;
    float m_sizeLow = 1.0f;
    float m_sizeHigh = 1.0f;
    // Read and kept; placement does not use them.
    std::array<float, 4> m_extra{0.0f, 1.0f, 0.0f, 1.0f};
    // World units; 0 draws at any distance, below 0 until the detail default is applied.
    float m_viewDistance = -1.0f;
};
