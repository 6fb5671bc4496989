#pragma once
// A node whose subtree can be taken out of collision and pick queries while it stays drawn.

#include "QrNode.h"

#include <cstdint>

class QrCollisionSwitch : public QrNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrCollisionSwitch();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // A collision switch again, with the flag (a plain node would let queries in).
    QrPointer<QrAVObject> CreateClone() override;
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override;
    bool FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick,
                           QrAVInstance* instance) override;

    // 0: collision and pick queries do not see the subtree.
    uint8_t GetCollide() const { return m_collide; }
    void SetCollide(uint8_t collide) { m_collide = collide; }

protected:
    ~QrCollisionSwitch() override;

private:
    uint8_t m_collide = 1;
};
