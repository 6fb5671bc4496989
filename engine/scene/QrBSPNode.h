#pragma once
// A node with a splitting plane and exactly two children, whose drawing order it takes from
// the camera's side of the plane: child 0 first while the camera is on the positive side,
// child 1 first while it is on the negative side.

#include "QrNode.h"
#include "QrPlane.h"

#include <cstdint>

class QrBSPNode : public QrNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrBSPNode();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrPointer<QrAVObject> CreateClone() override;
    // Moves the plane with the transform handed to the children.
    void ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    // Optimizes both children in place; they are never moved or dissolved.
    bool Optimize(uint32_t flags) override;
    void UpdateWorldData(QrAVInstance* instance) override;
    void DisplayChildren(QrCamera* camera, QrSorter* sorter) override;

    // In the node's frame.
    const QrPlane& GetModelPlane() const { return m_modelPlane; }
    void SetModelPlane(const QrPlane& plane) { m_modelPlane = plane; }
    // Derived at each world update.
    const QrPlane& GetWorldPlane() const { return m_worldPlane; }

    // True when child 0 comes first: the eye is on the front side of the world plane, or on
    // the plane with its view axis (the first row of the camera's stored world rotation) not
    // pointing to the back.
    bool DrawsFrontFirst(const QrPoint3& eye, const QrPoint3& viewAxis) const;

protected:
    ~QrBSPNode() override;

    void CopyMembers(QrBSPNode* clone);

private:
    // Slots in drawing order for the camera, or {0, 1} without one.
    void DrawOrder(QrCamera* camera, uint32_t order[2]) const;

    QrPlane m_modelPlane;
    QrPlane m_worldPlane;
};
