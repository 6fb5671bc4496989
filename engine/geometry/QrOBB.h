#pragma once
// One box of a collision tree: the model-frame box fitted when the tree is built and its world
// copy under the owner's placement. Leaves box one triangle, nodes a range of triangles with up
// to two children. During a query every box moves with its owner's velocity over [0, T], T
// being the owner's time interval; the world fields hold the positions at time 0.

#include "QrMatrix3.h"
#include "QrPoint3.h"

#include <cstdint>
#include <memory>

class QrAVObject;
class QrCollisionData;
struct QrContact;

class QrOBB
{
public:
    explicit QrOBB(QrCollisionData* owner) : m_owner(owner) {}
    QrOBB(const QrOBB&) = delete;
    QrOBB& operator=(const QrOBB&) = delete;
    virtual ~QrOBB();

    virtual bool IsLeaf() const = 0;
    // True when a pair of boxes down the two trees overlaps during the interval. The budgets
    // are the levels each tree may still be descended; a negative budget has no limit.
    virtual bool Test(QrOBB* other, int32_t budget, int32_t otherBudget) = 0;
    // Reports the contacts of the pairs reached down the two trees to the callbacks of objectA
    // and objectB; 1 when a callback asked the search to stop, else 0.
    virtual int32_t Find(QrOBB* other, QrAVObject* objectA, QrAVObject* objectB, int32_t budget,
                         int32_t otherBudget) = 0;

    // World fields of this box and its whole subtree.
    void UpdateWorldBoxes(const QrMatrix3& rotation, const QrPoint3& translation, float scale);
    void Transform(const QrMatrix3& rotation, const QrPoint3& translation, float scale);

    // Fifteen-axis separation test of the two moving boxes over the interval.
    bool OverlapsMoving(const QrOBB& other) const;
    // False when the boxes stay apart over the whole interval. Otherwise the time of first
    // contact and the contact point (world, at that time); boxes already overlapping at the
    // start give time 0 and the midpoint of the two centres.
    bool SeparatingAxisTest(const QrOBB& other, float& time, QrPoint3& point) const;
    // Outward world normal of the box (at its time-0 position) at point; a flat box answers
    // with the axis it is flat across.
    void ContactNormal(const QrPoint3& point, QrPoint3& normal) const;
    // Contact of the two boxes reported to the objects' callbacks; 1 when one asked to stop.
    int32_t BoxContact(const QrOBB& other, QrAVObject* objectA, QrAVObject* objectB) const;
    // Calls A's callback with the record, then B's with the sides exchanged (each only when
    // the object's current instance has one); 1 when either returned non-zero.
    static int32_t ReportContact(QrContact& contact);

    QrOBB* GetFirstChild() const { return m_first.get(); }
    QrOBB* GetSecondChild() const { return m_second.get(); }
    bool HasChildren() const { return m_first || m_second; }
    QrCollisionData* GetOwner() const { return m_owner; }

    // Model frame: orthonormal axes, extents are half lengths along them.
    QrPoint3 m_modelCenter;
    QrPoint3 m_modelAxes[3];
    QrPoint3 m_modelExtents;
    QrPoint3 m_worldCenter;
    QrPoint3 m_worldAxes[3];
    QrPoint3 m_worldExtents;

protected:
    // Supplies the time interval, the velocity and the world placement; outlives the box.
    QrCollisionData* m_owner = nullptr;
    std::unique_ptr<QrOBB> m_first;
    std::unique_ptr<QrOBB> m_second;
};
