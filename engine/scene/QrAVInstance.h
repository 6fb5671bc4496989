#pragma once
// The world state a positioned object has under one parent. An object hanging under several
// parents owns one record per parent in its instance array; every per-frame operation is
// handed the record it works on. Plain record: not reference counted, owned by the object.

#include "QrBound.h"
#include "QrMatrix3.h"
#include "QrPoint3.h"

#include <cstdint>

class QrNode;
struct QrContact;

// Told of a contact while the record is its object's current instance; non-zero stops the search.
using QrCollisionCallback = int32_t (*)(QrContact* contact);

class QrAVInstance
{
public:
    QrAVInstance();
    QrAVInstance(const QrAVInstance&) = delete;
    QrAVInstance& operator=(const QrAVInstance&) = delete;
    virtual ~QrAVInstance() = default;

    // Key of the record in its object's instance array.
    QrNode* GetId() const { return m_parent; }
    void SetId(QrNode* parent) { m_parent = parent; }

    // Also the record's key in the instance array; null for the parentless (root) record.
    // Not counted: the parent holds the counted reference to the child.
    QrNode* m_parent = nullptr;
    QrPoint3 m_worldTranslate;
    QrMatrix3 m_worldRotate;
    float m_worldScale = 1.0f;
    QrBound m_worldBound;
    QrPoint3 m_worldVelocity;
    // Set at creation and by every world update of geometry: its world arrays need rebuilding.
    uint8_t m_stale = 1;
    // No engine operation sets it; the application installs one per record.
    QrCollisionCallback m_collisionCallback = nullptr;
    uint32_t m_reserved = 0;
};
