#pragma once
// Collision data of one instance of a triangle geometry: a tree of oriented boxes over its
// triangles and the world placement and motion of that instance for the query at hand. Made
// on demand by the geometry and owned by its instance record; not a scene object.

#include "QrMatrix3.h"
#include "QrPoint3.h"

#include <cstdint>
#include <memory>

class QrAVInstance;
class QrAVObject;
class QrCollisionRecord;
class QrGeometry;
class QrOBB;

class QrCollisionData
{
public:
    // indices: three per triangle. The tree copies what it keeps of them; the model vertices
    // are read only while building. worldVertices is the instance's world array, read by the
    // leaves at query time (SetWorldVertices follows it when it moves). No triangles: no tree,
    // and every query answers no contact.
    QrCollisionData(uint16_t triangleCount, const uint16_t* indices, const QrPoint3* modelVertices,
                    const QrPoint3* worldVertices, uint32_t splitSize);
    QrCollisionData(const QrCollisionData&) = delete;
    QrCollisionData& operator=(const QrCollisionData&) = delete;
    virtual ~QrCollisionData();

    // Non-zero when a pair of boxes overlaps within the budgets (0 for the same data).
    virtual uint32_t TestCollision(QrCollisionData* other, int32_t budget, int32_t otherBudget);
    // 1 when a contact callback asked to stop (0 for the same data).
    virtual uint32_t FindCollisions(QrCollisionData* other, QrAVObject* objectA, QrAVObject* objectB, int32_t budget,
                                    int32_t otherBudget);

    // The world boxes are recomputed from it before the next query.
    void SetWorldTransform(const QrMatrix3& rotation, const QrPoint3& translation, float scale);

    // The geometry side of TestCollisions (find false) and FindCollisions (find true) for a
    // geometry object: the swept-bound gate, the lazy build on both sides, the placement of
    // both data and the tree query. Pairs whose other side is not geometry are handed to it
    // with the roles exchanged. The result is the query's: a bool for a test, 1 for a find
    // whose callback asked to stop.
    static int32_t QueryGeometry(QrGeometry& geometry, float time, QrCollisionRecord& self, QrCollisionRecord& other,
                                 bool find);
    // Builds the data of the instance (null: of every instance) of a triangle geometry that has
    // none yet, over the given triangles. Triangles naming a vertex the geometry does not have
    // make no data: queries of that instance then answer no contact.
    static void CreateForInstances(QrGeometry& geometry, QrAVInstance* instance, uint16_t triangleCount,
                                   const uint16_t* indices, uint32_t splitSize);

    // Length T of the tested interval [0, T].
    float GetTimeInterval() const { return m_timeInterval; }
    void SetTimeInterval(float time) { m_timeInterval = time; }
    // World velocity of the instance over the interval.
    const QrPoint3& GetVelocity() const { return m_velocity; }
    void SetVelocity(const QrPoint3& velocity) { m_velocity = velocity; }
    const QrMatrix3& GetRotation() const { return m_rotation; }
    const QrPoint3& GetTranslation() const { return m_translation; }
    float GetScale() const { return m_scale; }
    bool IsPlacementStale() const { return m_placementStale != 0; }
    const QrPoint3* GetWorldVertices() const { return m_worldVertices; }
    void SetWorldVertices(const QrPoint3* worldVertices) { m_worldVertices = worldVertices; }
    // Null for a geometry without triangles.
    QrOBB* GetRoot() const { return m_root.get(); }

private:
    // Recomputes the world boxes when the placement changed.
    void RefreshWorldBoxes();

    float m_timeInterval = 0.0f;
    std::unique_ptr<QrOBB> m_root;
    uint32_t m_placementStale = 0;
    QrPoint3 m_velocity;
    QrMatrix3 m_rotation;
    QrPoint3 m_translation;
    float m_scale = 1.0f;
    // Borrowed from the instance that owns this data.
    const QrPoint3* m_worldVertices = nullptr;
};
