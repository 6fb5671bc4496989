#include "SceneTestObjects.h"

#include "QrPick.h"
#include "QrPickResult.h"

QR_IMPLEMENT_RTTI(SceneTestLeaf, QrAVObject)
QR_IMPLEMENT_CREATE(SceneTestLeaf)

bool SceneTestLeaf::UpdateWorldBound(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    GetWorldBound().Transform(m_model, m_currentInstance->m_worldRotate, m_currentInstance->m_worldTranslate,
                              m_currentInstance->m_worldScale);
    return true;
}

bool SceneTestLeaf::FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                                      QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    m_pickedInstances.push_back(instance);
    if (!RayIntersectsWorldBound(origin, direction))
        return false;
    pick.AddResult(new QrPickResult(this, instance));
    return pick.StopsAtFirstHit();
}

bool SceneTestLeaf::TestCollisions(float, QrCollisionRecord& self, QrCollisionRecord&)
{
    m_collisionRecords.push_back(self);
    return m_collides;
}

int32_t SceneTestLeaf::FindCollisions(float, QrCollisionRecord& self, QrCollisionRecord&)
{
    m_collisionRecords.push_back(self);
    return m_findAnswer;
}

void SceneTestLeaf::ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame)
{
    m_transforms.push_back({rotation, translation, inParentFrame});
}
