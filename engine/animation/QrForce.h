#pragma once
// Base of what acts on particles: forces (which change a particle's velocity) and colliders
// (which find a hit along the particle's path in a step, move the particle there and bounce
// it). A particle system keeps two singly linked chains of them through the next pointer; the
// chain owns its members (one count each, released by the owner), so a force is in at most
// one chain.

#include "QrObject.h"
#include "QrPoint3.h"

#include <cstdint>

class QrForce : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // A new force of the same class with every field copied and no next.
    virtual QrPointer<QrForce> Clone() const = 0;
    // Acts on one particle in the particle system's frame. step is the step length in seconds;
    // a collider that reports a hit (true) leaves in it the time left after the hit. time is
    // the system's local time.
    virtual bool Apply(QrPoint3& position, QrPoint3& velocity, float& step, float time) = 0;

    QrForce* GetNext() const { return m_next; }
    // Members of the chain starting at head (0 for null).
    static uint32_t CountChain(const QrForce* head);

    // Chain bookkeeping for the owner: pushes force in front of head and takes a count on it.
    // False, and nothing changes, for null or a force that is already in a chain.
    static bool PushFront(QrForce*& head, QrForce* force);
    // Releases every member of the chain and leaves it empty.
    static void ReleaseChain(QrForce*& head);

protected:
    QrForce();
    ~QrForce() override;

private:
    QrForce* m_next = nullptr;
    bool m_chained = false;
};
