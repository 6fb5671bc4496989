#pragma once
// Box of a single triangle: the leaf of a collision tree (or its root when the geometry has
// one triangle). It keeps the triangle's vertex indices and reads the vertices from its
// owner's world array, so that two leaves can be tested triangle against triangle.

#include "QrOBB.h"

#include <cstdint>
#include <memory>

class QrOBBLeaf : public QrOBB
{
public:
    explicit QrOBBLeaf(QrCollisionData* owner) : QrOBB(owner) {}

    // Box of triangle number triangle (indices 3 x triangle .. 3 x triangle + 2) of the model
    // vertices, flat across the triangle's plane.
    static std::unique_ptr<QrOBBLeaf> BuildFromTriangle(QrCollisionData* owner, const uint16_t* indices,
                                                        const QrPoint3* modelVertices, uint32_t triangle);

    bool IsLeaf() const override { return true; }
    bool Test(QrOBB* other, int32_t budget, int32_t otherBudget) override;
    int32_t Find(QrOBB* other, QrAVObject* objectA, QrAVObject* objectB, int32_t budget, int32_t otherBudget) override;

    // Swept triangle against triangle over the interval; the first contact goes to the
    // callbacks. 0 when the triangles do not meet or no callback asked to stop.
    int32_t TriangleContact(const QrOBBLeaf& other, QrAVObject* objectA, QrAVObject* objectB) const;

    // The triangle's world vertex k (0 to 2) at time 0; false when the owner has no world array.
    bool GetWorldVertex(int k, QrPoint3& vertex) const;

    uint16_t m_vertexIndices[3] = {};
};
