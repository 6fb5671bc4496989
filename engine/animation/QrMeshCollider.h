#pragma once
// Collider bound to a scene object's mesh. It keeps its mesh (a counted reference shared by
// clones) and its settings through files, but tests nothing: particles pass through.

#include "QrForce.h"

class QrMeshCollider : public QrForce
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrMeshCollider();

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    // Only the object part is compared.
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrForce> Clone() const override;
    bool Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time) override;

    QrObject* GetMesh() const { return m_mesh.Get(); }
    void SetMesh(QrObject* mesh) { m_mesh = mesh; }

    float m_bounce = 1.0f;
    // Stored; nothing reads them.
    uint32_t m_reserved[3] = {0, 0, 0};

protected:
    ~QrMeshCollider() override;

private:
    QrPointer<QrObject> m_mesh;
};
