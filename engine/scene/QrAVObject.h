#pragma once
// Abstract base of everything placed in a scene: local transform (translation, rotation,
// uniform scale) relative to the parent, local velocity, render-state properties and an
// application-culled flag. World data exists once per parent: the object owns one
// QrAVInstance per parent (a leaf may hang under several nodes), and every per-frame
// operation is given the instance it works on and makes it the current one first.

#include "QrAVInstance.h"
#include "QrIdArray.h"
#include "QrMatrix3.h"
#include "QrObject.h"
#include "QrPoint3.h"
#include "QrPointerList.h"
#include "QrProperty.h"
#include "QrTArray.h"

#include <cstdint>
#include <functional>
#include <vector>

class QrBound;
class QrCamera;
class QrCollisionRecord;
class QrNode;
class QrPick;
class QrPlane;
class QrSorter;

class QrAVObject : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // The passed-plane masks of the frustum test: 128 bits, bit i for plane i.
    static constexpr uint32_t kPlaneMaskWords = 4;
    static constexpr uint32_t kMaxPlanes = 32 * kPlaneMaskWords;

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // --- instances: one per parent, key null for the parentless record
    virtual QrAVInstance* AttachParent(QrNode* parent);
    virtual void DetachParent(QrNode* parent);
    // A new record of the class's instance type, not yet in the array.
    virtual QrAVInstance* CreateInstance();
    // Parent of the current instance.
    virtual QrNode* GetParent();
    // The object itself; classes that copy themselves return a new object.
    virtual QrPointer<QrAVObject> CreateClone();

    // --- world data
    // Updates every instance, then the bounds of each instance's ancestors.
    virtual void UpdateAllInstances();
    virtual void Update(QrAVInstance* instance);
    // Nothing here; the node pushes it down to its children, geometry bakes it into its vertices.
    virtual void ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame);
    // World bound of the current instance.
    virtual QrBound& GetWorldBound();
    virtual bool IsDisplayable();

    // --- drawing
    virtual void PushState(QrCamera* camera, QrAVInstance* instance);
    virtual void PopState(QrCamera* camera, QrAVInstance* instance);
    virtual void Draw(QrCamera* camera, QrAVInstance* instance);
    virtual void PushDisplayState(QrCamera* camera, QrAVInstance* instance);
    virtual void PopDisplayState(QrCamera* camera, QrAVInstance* instance);
    // Offers the object to the sorter, else draws it now.
    virtual void Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance);
    virtual void SetAppCulled(uint8_t culled);
    virtual uint8_t GetAppCulled();

    // --- collision and picking; the defaults answer "no contact"
    virtual void CreateCollisionData(QrAVInstance* instance, uint32_t splitSize);
    virtual void DeleteCollisionData(QrAVInstance* instance);
    virtual bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other);
    // 1 when a contact callback asked the search to stop.
    virtual int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other);
    // True when the pick is satisfied and the search may stop.
    virtual bool FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                                   QrAVInstance* instance);

    // --- tree services
    virtual QrAVObject* GetObjectByName(const char* name);
    // Appends what the world update and the draw descend into from this object (children, a
    // scene root, a particle template): a load refuses cycles and excess depth through them.
    virtual void AppendDescendLinks(std::vector<QrAVObject*>& out) const;
    // Drops the references LinkObject made. A failed load calls it on every scene object it
    // made, so that objects which reference one another are freed with the rest.
    virtual void ReleaseLinks() {}
    // True tells the parent that it may remove or dissolve this object.
    virtual bool Optimize(uint32_t flags);
    virtual bool SharesProperties(QrAVObject* other, uint32_t typeMask);
    // Joins a group of objects into one new object; the default makes none (out null).
    virtual void CreateMerged(QrPointer<QrAVObject>& out, QrTArray<QrAVObject>& group);
    virtual void UpdateWorldData(QrAVInstance* instance);
    // False, bound unchanged; geometry overrides it.
    virtual bool UpdateWorldBound(QrAVInstance* instance);

    // --- non-virtual
    // Replaces the root instance by one of the most-derived instance type (call at the end of
    // a derived constructor whose CreateInstance differs).
    QrAVInstance* ResetRootInstance();

    QrAVInstance* GetCurrentInstance() const { return m_currentInstance; }
    // Null is ignored: the current instance always names one of the object's records.
    void SetCurrentInstance(QrAVInstance* instance);
    uint32_t GetInstanceCount() const { return m_instances.GetCount(); }
    // Records in array order (index below GetInstanceCount()).
    QrAVInstance* GetInstanceAt(uint32_t index) const { return m_instances.GetAt(index); }
    QrAVInstance* FindInstance(QrNode* parent) const { return m_instances.Find(parent); }

    // Null is ignored; the property gains a reference and goes to the head of the list in place
    // of any property of its type.
    void AttachProperty(QrProperty* property);
    // Removes the property (one reference released); false when it is not in the list.
    bool DetachProperty(QrProperty* property);
    // Removes every property the predicate accepts; returns how many went.
    uint32_t DetachPropertiesIf(const std::function<bool(QrProperty*)>& match);
    QrPointerList<QrProperty>& GetPropertyList() { return m_properties; }
    const QrPointerList<QrProperty>& GetPropertyList() const { return m_properties; }

    // Local transform; callers change it in place and run Update (or UpdateAllInstances) after.
    QrPoint3& GetTranslate() { return m_translate; }
    const QrPoint3& GetTranslate() const { return m_translate; }
    void SetTranslate(float x, float y, float z) { m_translate = QrPoint3(x, y, z); }
    QrMatrix3& GetRotate() { return m_rotate; }
    const QrMatrix3& GetRotate() const { return m_rotate; }
    // Rotation by angle (radians) about the unit axis (x, y, z).
    void SetRotate(float angle, float x, float y, float z);
    float GetScale() const { return m_scale; }
    // Stores the absolute value: a uniform scale has no sign.
    void SetScale(float scale);
    QrPoint3& GetVelocity() { return m_velocity; }
    const QrPoint3& GetVelocity() const { return m_velocity; }

    // Frustum test of the current instance's world bound against the camera's planes not yet
    // passed; planes found wholly inside are marked in the camera's mask and in localMask.
    bool IsCulledByFrustum(QrCamera* camera, uint32_t localMask[kPlaneMaskWords]);
    // The same test on explicit planes and a passed-plane mask.
    bool IsCulledByPlanes(uint32_t planeCount, const QrPlane* const* planes, uint32_t passedMask[kPlaneMaskWords],
                          uint32_t localMask[kPlaneMaskWords]);
    // Per-object steps of the draw and display traversals.
    void CullAndDraw(QrCamera* camera, QrAVInstance* instance);
    void CullAndDisplay(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance);
    // Does the ray (any length of direction) meet the current instance's world bound?
    bool RayIntersectsWorldBound(const QrPoint3& origin, const QrPoint3& direction);

protected:
    QrAVObject();
    ~QrAVObject() override;

    // Copies this object's part into a clone made by a subclass's CreateClone.
    void CopyMembers(QrAVObject* clone);

    // A list of references in a scene file: a count, then one link id each. LoadCountedLinks
    // reads them and queues the count in the owner's load record ahead of the ids, where
    // LinkObject takes it back before it resolves them.
    static void LoadCountedLinks(QrStream& stream, QrObject* owner, const char* what);
    // Queues a value (a count, or a placeholder id) in the owner's load record.
    static void QueueLoadCount(QrObject* owner, uint32_t count);
    static uint32_t TakeLoadCount(QrObject* owner);

    QrAVInstance* m_currentInstance = nullptr;
    QrIdArray<QrAVInstance, QrNode*> m_instances;
    uint8_t m_appCulled = 0;
    QrPoint3 m_translate;
    QrMatrix3 m_rotate;
    float m_scale = 1.0f;
    QrPointerList<QrProperty> m_properties;
    QrPoint3 m_velocity;

private:
    // Makes a fresh parentless record through CreateInstance (virtual: the caller's class).
    QrAVInstance* MakeRootInstance();
};
