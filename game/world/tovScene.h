#pragma once
// Root node of the fishing scene. What is put under it goes into one of five groups, plus the
// water surface; it draws whatever lies beyond the water plane (y = 0) first, then the water,
// then what is on the camera's side. Two z-buffer properties go with the two water-sided
// groups and trade their write flag when the camera crosses the plane. The fishing mode owns it.

#include "QrNode.h"
#include "QrPointer.h"

class QrZBufferProperty;
class tovWater;

class tovScene : public QrNode
{
    QR_DECLARE_RTTI

public:
    tovScene();

    // Objects with an alpha property anywhere in their subtree go to group A (local y >= 0)
    // or group B (below); everything else to the general group.
    void AttachChild(QrAVObject* child, bool firstFree = false) override;
    // The child leaves whichever of the groups holds it; a child of none stays where it is
    // and is handed back all the same. The water is detached from the scene itself.
    QrPointer<QrAVObject> DetachChild(QrAVObject* child) override;
    void DisplayChildren(QrCamera* camera, QrSorter* sorter) override;

    void AttachToGroupA(QrAVObject* object);
    void AttachToGroupB(QrAVObject* object);
    void SetUnderwater(bool below);
    bool IsUnderwater() const { return m_below != 0; }

    // Stores the water and attaches it as a direct child in place of the previous one.
    void SetWater(tovWater* water);
    tovWater* GetWater() const { return m_water.Get(); }

    QrNode* GetFirstGroup() const { return m_first.Get(); }
    QrNode* GetSecondGroup() const { return m_second.Get(); }
    QrNode* GetGeneralGroup() const { return m_general.Get(); }
    QrNode* GetGroupA() const { return m_groupA.Get(); }
    QrNode* GetGroupB() const { return m_groupB.Get(); }
    QrZBufferProperty* GetZBufferA() const { return m_zBufferA.Get(); }
    QrZBufferProperty* GetZBufferB() const { return m_zBufferB.Get(); }

protected:
    ~tovScene() override;

private:
    // Culls and displays one direct child with its instance under this node.
    void DisplayPart(QrAVObject* part, QrCamera* camera, QrSorter* sorter);

    QrPointer<QrNode> m_first;
    QrPointer<QrNode> m_second;
    QrPointer<QrNode> m_general;
    QrPointer<QrNode> m_groupA;
    QrPointer<tovWater> m_water;
    QrPointer<QrNode> m_groupB;
    QrPointer<QrZBufferProperty> m_zBufferA;
    QrPointer<QrZBufferProperty> m_zBufferB;
    uint8_t m_below = 0;
};
