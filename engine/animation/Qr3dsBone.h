#pragma once
// Animation node of a skeleton: besides its keys it keeps the transform accumulated from the
// root bone, which the skin binding recomputes and the skins read. Bones are applied by the
// binding, never by the timing list's UpdateAll; the linked object is the controller whose
// timing part steps the bone (the framework's key-framed models step that one instead).

#include "Qr3dsAnimationNode.h"
#include "QrMatrix3.h"
#include "QrPoint3.h"

class Qr3dsBone : public Qr3dsAnimationNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    Qr3dsBone();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrAVObject> CreateClone() override;
    void ReleaseLinks() override;
    // The node's children and a linked scene object: a load refuses a bone linked to its own
    // ancestor (a cycle of references nothing would break).
    void AppendDescendLinks(std::vector<QrAVObject*>& out) const override;

    QrObject* GetLinkedObject() const { return m_linkedObject.Get(); }
    // A counted reference: a bone linked to an object that holds the bone (or its root) makes
    // a cycle that whoever built it must break.
    void SetLinkedObject(QrObject* object) { m_linkedObject = object; }

    QrMatrix3 m_skinRotation{1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    QrPoint3 m_skinTranslation;
    float m_skinScale = 1.0f;
    uint8_t m_skinChanged = 0;

protected:
    ~Qr3dsBone() override;

private:
    QrPointer<QrObject> m_linkedObject;
};
