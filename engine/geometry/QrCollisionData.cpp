#include "QrCollisionData.h"

#include "QrBound.h"
#include "QrCollisionRecord.h"
#include "QrGeometry.h"
#include "QrGeometryInstance.h"
#include "QrOBBLeaf.h"
#include "QrOBBNode.h"

namespace
{

// Placement and motion of the instance for this query; null when it has no collision data.
QrCollisionData* Place(QrAVInstance* instance, float time)
{
    QrCollisionData* data = static_cast<QrGeometryInstance*>(instance)->GetCollisionData();
    if (!data)
        return nullptr;
    data->SetTimeInterval(time);
    data->SetVelocity(instance->m_worldVelocity);
    data->SetWorldTransform(instance->m_worldRotate, instance->m_worldTranslate, instance->m_worldScale);
    return data;
}

} // namespace

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

int32_t QrCollisionData::QueryGeometry(QrGeometry& geometry, float time, QrCollisionRecord& self,
                                       QrCollisionRecord& other, bool find)
{
    QrAVObject* otherObject = other.m_object;
    if (!otherObject)
        return 0;
    // The bounds are taken as each instance is made current: both sides may be one object.
    geometry.SetCurrentInstance(self.m_instance);
    QrAVInstance* mine = geometry.GetCurrentInstance();
    const QrBound myBound = geometry.GetWorldBound();
    otherObject->SetCurrentInstance(other.m_instance);
    QrAVInstance* theirs = otherObject->GetCurrentInstance();
    const QrBound& theirBound = otherObject->GetWorldBound();
    if (!QrBound::SweptIntersect(myBound, mine->m_worldVelocity, theirBound, theirs->m_worldVelocity))
        return 0;

    geometry.CreateCollisionData(mine, self.m_splitSize);
    if (!otherObject->IsKindOf(&QrGeometry::ms_RTTI))
    {
        // A node (or anything else) spreads the pair over what it holds, with the roles exchanged.
        if (find)
            return otherObject->FindCollisions(time, other, self) == 1 ? 1 : 0;
        return otherObject->TestCollisions(time, other, self) ? 1 : 0;
    }
    QrGeometry& otherGeometry = static_cast<QrGeometry&>(*otherObject);
    otherGeometry.CreateCollisionData(theirs, other.m_splitSize);

    QrCollisionData* myData = Place(mine, time);
    if (!myData)
        return 0;
    QrCollisionData* theirData = Place(theirs, time);
    if (!theirData)
        return 0;
    if (mine->m_stale)
        geometry.UpdateWorldNormals(mine);
    if (theirs->m_stale)
        otherGeometry.UpdateWorldNormals(theirs);
    // The leaves read the world vertices where the instance keeps them now.
    myData->SetWorldVertices(static_cast<QrGeometryInstance*>(mine)->GetWorldVertices());
    theirData->SetWorldVertices(static_cast<QrGeometryInstance*>(theirs)->GetWorldVertices());
    otherGeometry.SetCurrentInstance(theirs);
    geometry.SetCurrentInstance(mine);

    if (find)
        return int32_t(myData->FindCollisions(theirData, self.m_reportedObject, other.m_reportedObject, self.m_budget,
                                              other.m_budget));
    return myData->TestCollision(theirData, self.m_budget, other.m_budget) != 0 ? 1 : 0;
}

void QrCollisionData::CreateForInstances(QrGeometry& geometry, QrAVInstance* instance, uint16_t triangleCount,
                                         const uint16_t* indices, uint32_t splitSize)
{
    const uint32_t indexCount = 3u * triangleCount;
    if (indexCount > 0 && !indices)
        return;
    for (uint32_t i = 0; i < indexCount; ++i)
        if (indices[i] >= geometry.GetVertexCount())
            return;
    auto build = [&](QrAVInstance* record)
    {
        geometry.SetCurrentInstance(record);
        QrGeometryInstance* target = static_cast<QrGeometryInstance*>(record);
        if (target->GetCollisionData())
            return;
        const QrPoint3* world = geometry.GetWorldVertices();
        target->SetCollisionData(
            std::make_unique<QrCollisionData>(triangleCount, indices, geometry.GetVertices(), world, splitSize));
    };
    if (instance)
    {
        build(instance);
        return;
    }
    for (uint32_t i = 0; i < geometry.GetInstanceCount(); ++i)
        if (QrAVInstance* record = geometry.GetInstanceAt(i))
            build(record);
}
