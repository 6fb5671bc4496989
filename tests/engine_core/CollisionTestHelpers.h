#pragma once
// Shared pieces of the collision tests: contact callbacks that log what they are told, and
// small meshes (boxes and grids) as plain arrays.

#include "QrContact.h"
#include "QrMathTestHelpers.h"
#include "QrMatrix3.h"
#include "QrPoint3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace collisiontest
{

// Every contact a callback receives, in order, with which callback received it.
struct LoggedContact
{
    char who;
    QrContact contact;
};

inline std::vector<LoggedContact> g_contacts;
inline int32_t g_answerA = 0;
inline int32_t g_answerB = 0;

inline int32_t CallbackA(QrContact* contact)
{
    g_contacts.push_back({'A', *contact});
    return g_answerA;
}

inline int32_t CallbackB(QrContact* contact)
{
    g_contacts.push_back({'B', *contact});
    return g_answerB;
}

inline void ResetLog()
{
    g_contacts.clear();
    g_answerA = 0;
    g_answerB = 0;
}

inline QrMatrix3 Rotation(float angle, float x, float y, float z)
{
    QrMatrix3 m;
    m.MakeRotation(angle, x, y, z);
    return m;
}

struct Mesh
{
    std::vector<QrPoint3> vertices;
    std::vector<uint16_t> indices;
    uint16_t TriangleCount() const { return static_cast<uint16_t>(indices.size() / 3); }
};

// Axis-aligned box of half sizes (hx, hy, hz) about center; twelve triangles wound outward.
// Opposite faces are split along crossing diagonals, so the mesh is as symmetric as the box
// and its fitted box is the box itself.
inline Mesh BoxMesh(const QrPoint3& center, float hx, float hy, float hz)
{
    Mesh mesh;
    for (int k = 0; k < 8; ++k)
        mesh.vertices.push_back(QrPoint3(center.x + ((k & 1) ? hx : -hx), center.y + ((k & 2) ? hy : -hy),
                                         center.z + ((k & 4) ? hz : -hz)));
    const uint16_t faces[6][4] = {{0, 2, 3, 1}, {5, 7, 6, 4}, {0, 1, 5, 4}, {6, 7, 3, 2}, {0, 4, 6, 2}, {3, 7, 5, 1}};
    for (const auto& f : faces)
    {
        mesh.indices.insert(mesh.indices.end(), {f[0], f[1], f[2]});
        mesh.indices.insert(mesh.indices.end(), {f[0], f[2], f[3]});
    }
    return mesh;
}

// Flat grid in the plane z = height over [0, cellsX x size] x [0, cellsY x size], two triangles
// per cell wound toward +z, row by row.
inline Mesh GridMesh(int cellsX, int cellsY, float size, float height = 0.0f)
{
    Mesh mesh;
    for (int j = 0; j <= cellsY; ++j)
        for (int i = 0; i <= cellsX; ++i)
            mesh.vertices.push_back(QrPoint3(i * size, j * size, height));
    const int row = cellsX + 1;
    for (int j = 0; j < cellsY; ++j)
        for (int i = 0; i < cellsX; ++i)
        {
            const uint16_t v00 = static_cast<uint16_t>(j * row + i), v10 = static_cast<uint16_t>(v00 + 1),
                           v01 = static_cast<uint16_t>(v00 + row), v11 = static_cast<uint16_t>(v01 + 1);
            mesh.indices.insert(mesh.indices.end(), {v00, v10, v11, v00, v11, v01});
        }
    return mesh;
}

} // namespace collisiontest
