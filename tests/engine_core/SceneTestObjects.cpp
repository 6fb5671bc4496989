#include "SceneTestObjects.h"

#include "QrPick.h"
#include "QrPickResult.h"

QR_IMPLEMENT_RTTI(TestLeaf, QrAVObject)
QR_IMPLEMENT_CREATE(TestLeaf)

bool TestLeaf::UpdateWorldBound(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    GetWorldBound().Transform(m_model, m_currentInstance->m_worldRotate, m_currentInstance->m_worldTranslate,
                              m_currentInstance->m_worldScale);
    return true;
}

bool TestLeaf::FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                                 QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    m_pickedInstances.push_back(instance);
    if (!RayIntersectsWorldBound(origin, direction))
        return false;
    pick.AddResult(new QrPickResult(this, instance));
    return pick.StopsAtFirstHit();
}

bool TestLeaf::TestCollisions(float, QrCollisionRecord& self, QrCollisionRecord&)
{
    m_collisionRecords.push_back(self);
    return m_collides;
}

int32_t TestLeaf::FindCollisions(float, QrCollisionRecord& self, QrCollisionRecord&)
{
    m_collisionRecords.push_back(self);
    return m_findAnswer;
}

void TestLeaf::ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame)
{
    m_transforms.push_back({rotation, translation, inParentFrame});
}
