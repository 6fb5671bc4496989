#pragma once
// Inner box of a collision tree: fitted to a range of triangles and split about its centre
// into up to two children (a node for a part of several triangles, a leaf for one). A node
// whose range was smaller than the split size keeps no children and stands for all of them.

#include "QrOBB.h"

#include <cstdint>
#include <memory>

class QrOBBNode : public QrOBB
{
public:
    explicit QrOBBNode(QrCollisionData* owner) : QrOBB(owner) {}

    // Tree over all triangleCount triangles (indices: three per triangle). Ranges of fewer than
    // splitSize + 1 triangles stay whole.
    static std::unique_ptr<QrOBBNode> Build(QrCollisionData* owner, uint32_t triangleCount, const uint16_t* indices,
                                            const QrPoint3* modelVertices, uint32_t splitSize);

    bool IsLeaf() const override { return false; }
    bool Test(QrOBB* other, int32_t budget, int32_t otherBudget) override;
    int32_t Find(QrOBB* other, QrAVObject* objectA, QrAVObject* objectB, int32_t budget, int32_t otherBudget) override;

private:
    struct BuildContext;
    void BuildRange(BuildContext& context, uint32_t first, uint32_t last, uint32_t* order, uint32_t* target);
    void FitBox(const BuildContext& context, uint32_t first, uint32_t last, const uint32_t* order);
    // Splits order[first..last] into target: left part from the front, right part from the
    // back. Returns the last position of the left part.
    uint32_t Partition(const BuildContext& context, uint32_t first, uint32_t last, const uint32_t* order,
                       uint32_t* target) const;
    std::unique_ptr<QrOBB> BuildPart(BuildContext& context, uint32_t first, uint32_t last, uint32_t* order,
                                     uint32_t* target);
};
