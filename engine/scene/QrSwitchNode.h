#pragma once
// A node that draws one of its children, the active one, chosen by the application. With
// update-active-only set the children's world update is deferred: only the active child is
// updated, and only when it is drawn, at most once per update of the switch. The bound is kept
// in the node's own frame over every displayable child, so it stays valid when the active
// child changes between updates.

#include "QrBound.h"
#include "QrNode.h"

#include <cstdint>
#include <vector>

class QrSwitchNode : public QrNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrSwitchNode();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrPointer<QrAVObject> CreateClone() override;
    void Update(QrAVInstance* instance) override;
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    void Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance) override;
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    // Optimizes each child in place; the children are never regrouped or removed.
    bool Optimize(uint32_t flags) override;

    void AttachChild(QrAVObject* child, bool firstFree = false) override;
    QrPointer<QrAVObject> DetachChild(QrAVObject* child) override;
    QrPointer<QrAVObject> DetachChildAt(uint32_t index) override;
    QrPointer<QrAVObject> SetAt(uint32_t index, QrAVObject* child) override;
    void PropagateBoundUp() override;
    using QrNode::UpdateWorldBound;
    // Rebuilds the model bound from the children and places it in the world.
    bool UpdateWorldBound() override;
    // The switch shows its active child only.
    void DisplayChildren(QrCamera* camera, QrSorter* sorter) override;

    // -1: nothing is drawn. An index past the children or at an empty slot draws nothing too.
    int32_t GetActiveIndex() const { return m_activeIndex; }
    void SetActiveIndex(int32_t index) { m_activeIndex = index; }
    uint8_t GetUpdateActiveOnly() const { return m_updateActiveOnly; }
    void SetUpdateActiveOnly(uint8_t flag) { m_updateActiveOnly = flag; }
    // The active child, or null.
    QrAVObject* GetActiveChild() const;
    // Bound of the displayable children in the node's frame.
    const QrBound& GetModelBound() const { return m_modelBound; }

protected:
    ~QrSwitchNode() override;

    void CopyMembers(QrSwitchNode* clone);

    // The lazy world update: the active child is brought up to date when it is next drawn.
    // A model bound never computed is computed here first, updating every child once.
    void UpdateLazily();
    // With update-active-only set, updates the child at index when it is not up to date.
    void RefreshChild(uint32_t index);
    // Hands a collision query with the child at index to the other side of the query.
    bool HandTestToOther(uint32_t index, float time, QrCollisionRecord& self, QrCollisionRecord& other);
    int32_t HandFindToOther(uint32_t index, float time, QrCollisionRecord& self, QrCollisionRecord& other);

    int32_t m_activeIndex = -1;
    uint8_t m_updateActiveOnly = 0;

private:
    // Every child change: the stamps restart, and no child counts as up to date.
    void RestartStamps();
    // Updates every child with its instance and marks each as up to date.
    void UpdateAllChildren();
    void ComputeModelBound();
    void PlaceWorldBound();

    // Advanced by each lazy update; a child whose stamp equals it is up to date.
    uint32_t m_updateStamp = 1;
    // Per child slot, the update stamp at its last update; 0: never.
    std::vector<uint32_t> m_childStamps;
    QrBound m_modelBound;
};
