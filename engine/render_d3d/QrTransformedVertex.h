#pragma once
// One vertex of the geometry pipeline's work: the world position copied in, then the colours,
// fog and specular filled by the vertex set-up, and where it went in the vertex buffer.

#include <cstdint>

struct QrTransformedVertex
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float tu0 = 0.0f;
    float tv0 = 0.0f;
    // Only when two texture sets are drawn.
    float tu1 = 0.0f;
    float tv1 = 0.0f;
    // 0..255.
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
    float fog = 0.0f;
    float specular = 0.0f;
    uint16_t bufferIndex = 0;
    // Only records that a kept primitive uses are filled and emitted.
    uint8_t used = 0;
    // The vertex-buffer batch it was last emitted in; 0 after the vertex set-up.
    uint8_t batch = 0;
};
