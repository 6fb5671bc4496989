#pragma once
// Position key on a cubic segment given by the tangents at its ends. The segment's quadratic
// and cubic coefficients are kept in the key that starts it, so evaluation is one cubic in
// Horner form; they are stored in files too and recomputed whenever an array is installed.

#include "QrAnimKey.h"

class QrBezierPosKey : public QrAnimKey
{
public:
    using QrAnimKey::QrAnimKey;

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) const override;
    uint32_t GetType() const override { return kTypeBezier; }
    bool IsEqual(const QrAnimKey& other) const override;
    std::unique_ptr<QrAnimKey> Clone() const override;
    QrAnimKey Interpolate(float s, const QrAnimKey& next) const override;
    QrPoint3 FirstDerivative(float s, const QrAnimKey& next) const override;
    QrPoint3 SecondDerivative(float s, const QrAnimKey& next) const override;
    void FillDerivedValues(QrAnimKey* const* keys, int32_t count) override;
    float MaxCurvature(QrAnimKey* const* keys, int32_t count) const override;

    QrPoint3 m_inTangent;
    QrPoint3 m_outTangent;
    QrPoint3 m_coefB;
    QrPoint3 m_coefA;

protected:
    // The key as a curve key (Bezier or TCB), null for any other kind in the array.
    static QrBezierPosKey* AsCurveKey(QrAnimKey* key);
    // Coefficients of every segment from each key's outgoing and the next key's incoming tangent.
    static void ComputeCoefficients(QrAnimKey* const* keys, int32_t count);
    bool AreCurveFieldsEqual(const QrBezierPosKey& other) const;
};
