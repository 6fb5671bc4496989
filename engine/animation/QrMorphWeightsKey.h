#pragma once
// Morph key holding the blend weight of every target, each weight on its own TCB curve.
// A TCB float key underneath: Clone and Interpolate are those of the TCB key (scalar value);
// the morph shape copies keys with CloneMorphKey and blends with InterpolateWeights.

#include "QrTCBFloatKey.h"

#include <vector>

class QrMorphWeightsKey : public QrTCBFloatKey
{
public:
    QrMorphWeightsKey() = default;
    QrMorphWeightsKey(float time, std::vector<float> weights);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeMorphWeights; }
    bool IsEqual(const QrFloatKey& other) const override;

    std::unique_ptr<QrMorphWeightsKey> CloneMorphKey() const;
    // A new weight per target, each the Hermite of its own weight curve towards next. Targets
    // that next does not have keep this key's weight.
    std::vector<float> InterpolateWeights(float s, const QrMorphWeightsKey& next) const;
    // TCB tangents of every weight across the array (nothing below two keys). Afterwards each
    // key's value holds its last weight.
    static void FillDerivedValues(QrMorphWeightsKey* const* keys, int32_t count);

    int32_t GetCount() const { return int32_t(m_weights.size()); }

    // Three arrays of the target count; the tangents are derived.
    std::vector<float> m_weights;
    std::vector<float> m_inTangents;
    std::vector<float> m_outTangents;
};
