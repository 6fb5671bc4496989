#pragma once
// Drives a skeleton and the skins it deforms: at each apply it walks the bone tree from the
// root, composing every bone's skin transform from its parent's, then deforms each skin and
// refreshes its normals (or triangle planes). It holds its root bone and skins.
//
// Every binding made joins one program-wide list that holds a count on it, so bindings outlive
// the scene file that made them until FreeSharedBuffers. Bones name their binding as their
// linked object (a counted reference), which closes a cycle through the root bone; the list
// release breaks it by clearing, in each binding's bone tree, the links that name it.

#include "Qr3dsBone.h"
#include "Qr3dsSkin.h"
#include "QrAnimTiming.h"
#include "QrMatrix3.h"
#include "QrObject.h"
#include "QrPoint3.h"
#include "QrTArray.h"

#include <cstdint>

class Qr3dsSkinAndBone : public QrObject, public QrAnimTiming
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    Qr3dsSkinAndBone();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    // The object part and the skins pairwise; root bone and timing are not compared.
    bool IsEqual(const QrObject* other) const override;
    void ApplyAtTime(float time) override;

    // Applies the bone's keys at time, composes its skin transform under the parent's (marking
    // skinChanged when any part differs from before), then goes on into its bone children.
    // Children of other classes end the walk on their branch.
    void UpdateBone(Qr3dsBone* bone, float time, const QrMatrix3& parentRotation, const QrPoint3& parentTranslation,
                    float parentScale);

    // Appends the skin (null is ignored).
    void AddSkin(Qr3dsSkin* skin);
    uint32_t GetSkinCount() const { return m_skins.GetUsedSize(); }
    Qr3dsSkin* GetSkinAt(uint32_t index) const { return m_skins.GetAtChecked(index); }
    Qr3dsBone* GetRootBone() const { return m_rootBone.Get(); }
    void SetRootBone(Qr3dsBone* bone) { m_rootBone = bone; }

    // Releases every binding the program-wide list holds and the list itself; each binding's
    // bones stop naming it first. Nothing happens when there is no list.
    static void FreeSharedBuffers();
    // Bindings on the program-wide list now.
    static uint32_t GetSharedCount();

protected:
    ~Qr3dsSkinAndBone() override;

private:
    // Clears the linked object of every bone under the root that names this binding.
    void UnlinkBones(QrObject* node);

    QrPointer<Qr3dsBone> m_rootBone;
    QrTArray<Qr3dsSkin> m_skins{1, 1};
    // Skin ids read by LoadBinary, for LinkObject.
    uint32_t m_loadedSkinCount = 0;
};
