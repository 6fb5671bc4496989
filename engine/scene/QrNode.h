#pragma once
// Interior object of the scene graph: ordered child slots (which may be empty), the instance
// each child has under this node, the lights that light the subtree, a sort mode for deferred
// drawing and the sorter it makes for that. Carries the recursions: world update with bounds
// merged back up, the draw and display traversals, picking, collision, name search, transform
// push-down and tree optimisation. A node has one instance: attaching it to a second parent
// takes it away from the first.
//
// Subclasses that override only one of the two UpdateWorldBound forms add
// "using QrNode::UpdateWorldBound;" so that the other stays visible.

#include "QrAVObject.h"
#include "QrTArray.h"
#include "QrTPointerArray.h"
#include "QrTPointerList.h"

#include <cstdint>
#include <vector>

class QrLight;

class QrNode : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Sort modes: turn the camera's sort flag on or off for the subtree, or inherit it.
    enum : uint32_t
    {
        kSortOn = 0,
        kSortOff = 1,
        kSortInherit = 2,
    };

    // Optimize flags.
    enum : uint32_t
    {
        kOptimizeRemoveEmpty = 2,
        kOptimizeDissolvePassThrough = 4,
        kOptimizeKeepTransparent = 8,
    };

    static constexpr const char* kReparentWarning = "Warning, RI2.0 child abduction in progress!\n";

    QrNode();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrAVInstance* AttachParent(QrNode* parent) override;
    void DetachParent(QrNode* parent) override;
    QrPointer<QrAVObject> CreateClone() override;
    void UpdateAllInstances() override;
    void Update(QrAVInstance* instance) override;
    void ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame) override;
    bool IsDisplayable() override;
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    void PopState(QrCamera* camera, QrAVInstance* instance) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    void PushDisplayState(QrCamera* camera, QrAVInstance* instance) override;
    void PopDisplayState(QrCamera* camera, QrAVInstance* instance) override;
    void Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance) override;
    void CreateCollisionData(QrAVInstance* instance, uint32_t splitSize) override;
    void DeleteCollisionData(QrAVInstance* instance) override;
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    bool FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                           QrAVInstance* instance) override;
    QrAVObject* GetObjectByName(const char* name) override;
    void AppendDescendLinks(std::vector<QrAVObject*>& out) const override;
    void ReleaseLinks() override;
    bool Optimize(uint32_t flags) override;
    bool SharesProperties(QrAVObject* other, uint32_t typeMask) override;
    bool UpdateWorldBound(QrAVInstance* instance) override;

    // --- children
    // Null is ignored, and so is this node or one of its ancestors (the tree stays a tree).
    // firstFree false appends; true fills the first empty slot.
    virtual void AttachChild(QrAVObject* child, bool firstFree = false);
    // Detaches the first slot holding the child; null when it is not a child.
    virtual QrPointer<QrAVObject> DetachChild(QrAVObject* child);
    // Null past the used size or for an empty slot.
    virtual QrPointer<QrAVObject> DetachChildAt(uint32_t index);
    // Puts child (may be null) into slot index; returns the child it replaced. This node or
    // one of its ancestors is refused: nothing changes and null is returned.
    virtual QrPointer<QrAVObject> SetAt(uint32_t index, QrAVObject* child);
    // Is the object this node or one of its ancestors (attaching it here would close a cycle)?
    bool IsSelfOrAncestor(const QrAVObject* object);
    // Rebuilds this node's bound, then its ancestors'.
    virtual void PropagateBoundUp();
    // Merges the displayable children's bounds; false when the bound did not move.
    virtual bool UpdateWorldBound();
    virtual void DisplayChildren(QrCamera* camera, QrSorter* sorter);

    // Child slots, empty ones included (one past the highest slot in use).
    uint32_t GetChildCount() const { return m_children.GetUsedSize(); }
    // Slots that hold a child.
    uint32_t GetNonEmptyChildCount() const { return m_children.GetCount(); }
    // Null for an empty slot or past the used size.
    QrAVObject* GetChildAt(uint32_t index) const { return m_children.GetAtChecked(index); }
    QrAVInstance* GetChildInstanceAt(uint32_t index) const { return m_childInstances.GetAtChecked(index); }

    // --- lights (kept in step with each light's list of affected nodes)
    void AttachLight(QrLight* light);
    void DetachLight(QrLight* light);
    const QrTPointerList<QrLight>& GetLights() const { return m_lights; }

    uint32_t GetSortMode() const { return m_sortMode; }
    void SetSortMode(uint32_t mode) { m_sortMode = mode; }
    QrSorter* GetSorter() const { return m_sorter; }

protected:
    ~QrNode() override;

    void CopyMembers(QrNode* clone);

    QrTArray<QrAVObject> m_children;
    QrTPointerArray<QrAVInstance> m_childInstances;
    QrTPointerList<QrLight> m_lights;
    uint32_t m_sortMode = kSortInherit;
    uint8_t m_savedSortFlag = 1;
    // Made on first need by Display, deleted with the node.
    QrSorter* m_sorter = nullptr;
    uint8_t m_displayable = 1;

private:
    // SetAt without the cycle check.
    QrPointer<QrAVObject> PutAt(uint32_t index, QrAVObject* child);
    // Detaches every child slot and appends the children in slot order (empty slots dropped).
    void TakeAllChildren(QrTArray<QrAVObject>& out);
    // Does another slot than index hold the child (a leaf attached twice shares one record)?
    bool HoldsChildElsewhere(const QrAVObject* child, uint32_t index) const;
    // The slot of the only child, or -1 when there are none or several.
    int32_t OnlyChildIndex() const;
    // Swept-sphere gate of the collision descent; makes both records' instances current.
    bool SweptBoundsMeet(QrCollisionRecord& self, QrCollisionRecord& other);
};
