#pragma once
// Test doubles for the scene-graph tests: a leaf with a model sphere (bounded like geometry)
// that records what the traversals hand it.

#include "QrAVObject.h"
#include "QrBound.h"
#include "QrCollisionRecord.h"

#include <vector>

class SceneTestLeaf : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    SceneTestLeaf() = default;
    SceneTestLeaf(const QrPoint3& center, float radius) { m_model.Set(center, radius); }

    bool UpdateWorldBound(QrAVInstance* instance) override;
    bool FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                           QrAVInstance* instance) override;
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    void ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame) override;
    bool IsDisplayable() override { return m_displayable; }

    QrBound m_model;
    bool m_displayable = true;
    // Answers of the collision entry points.
    bool m_collides = false;
    int32_t m_findAnswer = 0;

    std::vector<QrAVInstance*> m_pickedInstances;
    std::vector<QrCollisionRecord> m_collisionRecords;
    struct Transform
    {
        QrMatrix3 rotation;
        QrPoint3 translation;
        bool inParentFrame;
    };
    std::vector<Transform> m_transforms;
};
