#pragma once
// Float key whose Hermite tangents come from tension, continuity and bias. The tangents of an
// array are computed by FillDerivedValues, which the owners call when they install the array.

#include "QrBezierFloatKey.h"

class QrTCBFloatKey : public QrBezierFloatKey
{
public:
    using QrBezierFloatKey::QrBezierFloatKey;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeTCB; }
    bool IsEqual(const QrFloatKey& other) const override;
    std::unique_ptr<QrFloatKey> Clone() const override;

    // Tangents of this key from the values of its neighbours and the time intervals to them.
    void ComputeTangents(float prev, float next, float dtPrev, float dtNext);
    // Tangents of every key of a TCB array (mirrored phantom neighbours at the ends); nothing
    // below two keys. Keys of other types in the array are skipped.
    static void FillDerivedValues(QrFloatKey* const* keys, int32_t count);
    // The key as a TCB key (a morph key is one too), null otherwise.
    static QrTCBFloatKey* AsTCB(QrFloatKey* key);

    float m_tension = 0.0f;
    float m_continuity = 0.0f;
    float m_bias = 0.0f;

protected:
    bool AreTCBFieldsEqual(const QrTCBFloatKey& other) const;
};
