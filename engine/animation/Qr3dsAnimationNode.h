#pragma once
// Scene node driven by key arrays: rotation keys (or one Euler key), position keys and
// visibility keys set its local transform and app-culled flag at a time. The framework's
// key-framed models copy keys between nodes with the Set operations and switch clips with
// the Replace operations.
//
// Ownership: arrays installed by Set or by loading belong to the node. Replace hands the node
// a caller's array that stays the caller's (it must outlive its installation, and the node
// never frees it); the node's own arrays that a Replace displaces stay alive with the node, so
// pointers the caller took from them remain valid and may be put back.

#include "QrAnimKey.h"
#include "QrAnimTiming.h"
#include "QrEulerRotKey.h"
#include "QrKeyArray.h"
#include "QrNode.h"
#include "QrRotKey.h"
#include "QrVisibilityKey.h"

class Qr3dsAnimationNode : public QrNode, public QrAnimTiming
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    Qr3dsAnimationNode();

    // Both Update forms stay callable: the world update and the timing step.
    using QrAnimTiming::Update;
    using QrNode::Update;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    QrPointer<QrAVObject> CreateClone() override;
    void ApplyAtTime(float time) override;

    // A copy with the keys, the positioned-object part and the node's own settings, but no
    // children and no lights.
    virtual QrPointer<Qr3dsAnimationNode> CloneWithoutChildren();

    // Copies: clones the keys (a first key of the Euler type installs that one key), prepares
    // them and widens the time range. No keys or a count below 1 leaves none.
    void SetRotKeys(QrRotKey* const* keys, int32_t count);
    void SetEulerKey(const QrEulerRotKey* key);
    void SetPosKeys(QrAnimKey* const* keys, int32_t count);
    void SetVisibilityKeys(QrVisibilityKey* const* keys, int32_t count);
    // Borrows: installs the caller's array as it is and recomputes the time range.
    void ReplaceRotKeys(QrRotKey** keys, int32_t count);
    void ReplaceEulerKey(QrEulerRotKey* key);
    void ReplacePosKeys(QrAnimKey** keys, int32_t count);
    void ReplaceVisibilityKeys(QrVisibilityKey** keys, int32_t count);
    // The range of the installed keys alone (begin FLT_MAX, end -FLT_MAX without any).
    void ComputeTimeRange();

    // The rotation, position and visibility at local time t.
    QrRotKey InterpolateRotation(float t);
    QrAnimKey InterpolatePosition(float t);
    void UpdateVisibility(float t);

    bool IsEuler() const { return m_isEuler != 0; }
    // For an Euler key, the count of its first axis array with two or more keys.
    int32_t GetRotCount() const { return m_rotCount; }
    QrRotKey* const* GetRotKeys() const { return m_rotKeys.GetKeys(); }
    // The number of entries in the rotation array (1 for an Euler key).
    int32_t GetRotArraySize() const { return m_rotKeys.GetCount(); }
    QrEulerRotKey* GetEulerKey() const;
    int32_t GetPosCount() const { return m_posKeys.GetCount(); }
    QrAnimKey* const* GetPosKeys() const { return m_posKeys.GetKeys(); }
    int32_t GetVisibilityCount() const { return m_visKeys.GetCount(); }
    QrVisibilityKey* const* GetVisibilityKeys() const { return m_visKeys.GetKeys(); }

protected:
    ~Qr3dsAnimationNode() override;

    // Timing, the Euler flag, the three arrays (cloned) and the caches.
    void CopyAnimationMembers(Qr3dsAnimationNode* clone);

private:
    void WidenWithRotKeys();

    uint8_t m_isEuler = 0;
    int32_t m_rotCount = 0;
    int32_t m_rotCache = 0;
    QrKeyArray<QrRotKey> m_rotKeys;
    int32_t m_posCache = 0;
    QrKeyArray<QrAnimKey> m_posKeys;
    QrKeyArray<QrVisibilityKey> m_visKeys;
};
