#include "QrCollisionData.h"

#include "QrOBBLeaf.h"
#include "QrOBBNode.h"

QrCollisionData::QrCollisionData(uint16_t triangleCount, const uint16_t* indices, const QrPoint3* modelVertices,
                                 const QrPoint3* worldVertices, uint32_t splitSize)
    : m_worldVertices(worldVertices)
{
    m_rotation.MakeIdentity();
    if (triangleCount == 0 || !indices || !modelVertices)
        return;
    if (triangleCount < 2)
        m_root = QrOBBLeaf::BuildFromTriangle(this, indices, modelVertices, 0);
    else
        m_root = QrOBBNode::Build(this, triangleCount, indices, modelVertices, splitSize);
}

QrCollisionData::~QrCollisionData() = default;

void QrCollisionData::SetWorldTransform(const QrMatrix3& rotation, const QrPoint3& translation, float scale)
{
    m_placementStale = 1;
    m_rotation = rotation;
    m_translation = translation;
    m_scale = scale;
}

void QrCollisionData::RefreshWorldBoxes()
{
    if (!m_placementStale)
        return;
    m_placementStale = 0;
    if (m_root)
        m_root->UpdateWorldBoxes(m_rotation, m_translation, m_scale);
}

uint32_t QrCollisionData::TestCollision(QrCollisionData* other, int32_t budget, int32_t otherBudget)
{
    if (!other || other == this)
        return 0;
    other->RefreshWorldBoxes();
    RefreshWorldBoxes();
    if (!m_root)
        return 0;
    return m_root->Test(other->m_root.get(), budget, otherBudget) ? 1 : 0;
}

uint32_t QrCollisionData::FindCollisions(QrCollisionData* other, QrAVObject* objectA, QrAVObject* objectB,
                                         int32_t budget, int32_t otherBudget)
{
    if (!other || other == this)
        return 0;
    other->RefreshWorldBoxes();
    RefreshWorldBoxes();
    if (!m_root)
        return 0;
    return m_root->Find(other->m_root.get(), objectA, objectB, budget, otherBudget) == 1 ? 1 : 0;
}
