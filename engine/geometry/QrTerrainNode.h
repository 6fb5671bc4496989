#pragma once
// One square block of a terrain page's block tree. Blocks are numbered as a complete quadtree
// (root 0, children of i are 4i+1 .. 4i+4) and live in one array owned by the page; the tree
// never changes after construction, only the flags and the error bounds do.

#include <cstdint>

struct QrTerrainNode
{
    enum : uint8_t
    {
        // Fixed at build: the top triangles meet along (2h, 0)-(0, 2h) when set, else (0, 0)-(2h, 2h).
        kDiagonal = 0x01,
        // Examined in the running refinement pass.
        kSettled = 0x02,
        kVisible = 0x04,
        kVisibilityTested = 0x08,
        kPassFlags = kSettled | kVisible | kVisibilityTested,
    };
    // Order of the five vertex errors.
    enum : uint32_t
    {
        kBottom = 0,
        kRight = 1,
        kTop = 2,
        kLeft = 3,
        kCenter = 4,
        kErrorCount = 5,
    };

    // Grid column and row of the lower corner; the block spans 2 * halfSize cells each way.
    uint8_t m_column = 0;
    uint8_t m_row = 0;
    uint8_t m_halfSize = 0;
    uint8_t m_flags = 0;
    // Squared vertical errors of the edge midpoints and the centre.
    float m_errors[kErrorCount] = {};
    // Largest squared error of the block and everything below it.
    float m_subtreeError = 0.0f;
    // Below the lower bound a vertex error activates nothing in the block, above the upper bound
    // it activates everywhere; in between each vertex is tested. Refreshed as the cut moves.
    float m_lowerBound = 0.0f;
    float m_upperBound = 0.0f;
    // x, y and height.
    float m_boxMin[3] = {};
    float m_boxMax[3] = {};
};
