#pragma once
// Morph key naming the one target shown at its time; between two keys only their two targets
// blend, along the TCB curve of the target indices. A TCB float key underneath, like the
// weights key.

#include "QrTCBFloatKey.h"

#include <vector>

class QrMorphTargetKey : public QrTCBFloatKey
{
public:
    QrMorphTargetKey() = default;
    // The value is the target index.
    QrMorphTargetKey(float time, uint32_t target, uint32_t targetCount);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeMorphTarget; }
    bool IsEqual(const QrFloatKey& other) const override;

    std::unique_ptr<QrMorphTargetKey> CloneMorphKey() const;
    // targetCount weights, zero except this key's target (1 - h) and next's target (h), h
    // being how far the curve has gone from this target's index to next's. Targets outside
    // the count get nothing; two neighbouring keys of the same target give it weight 1.
    std::vector<float> InterpolateWeights(float s, const QrMorphTargetKey& next) const;
    // The TCB tangents of the target values.
    static void FillDerivedValues(QrMorphTargetKey* const* keys, int32_t count);

    uint32_t m_target = 0;
    uint32_t m_targetCount = 0;
};
