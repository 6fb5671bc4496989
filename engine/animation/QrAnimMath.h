#pragma once
// Scalar and vector formulas shared by the key families, and the preparation pass that every
// rotation-key array runs before it is evaluated.

#include "QrPoint3.h"

#include <cstdint>

class QrRotKey;

class QrAnimMath
{
public:
    // 2 pi as the keys use it, made once from 8 atan2(1, 1) and rounded to float.
    static float TwoPi();

    // (1 - s) a + s b.
    static float Lerp(float s, float a, float b);
    static QrPoint3 Lerp(float s, const QrPoint3& a, const QrPoint3& b);
    // Cubic Hermite segment from p0 (outgoing tangent d0) to p1 (incoming tangent d1).
    static float Hermite(float s, float p0, float d0, float p1, float d1);
    // Kochanek-Bartels tangents of a value p between prev and next with tension, continuity
    // and bias; the time intervals weight the two sides.
    static void TCBTangents(float p, float prev, float next, float dtPrev, float dtNext, float tension,
                            float continuity, float bias, float& inTangent, float& outTangent);

    // Spherical interpolation of two unit vectors. Vectors too close to (anti)parallel for the
    // arc to be defined are blended linearly and renormalised instead.
    static QrPoint3 Slerp(float s, const QrPoint3& a, const QrPoint3& b);
    // Blend of a scalar segment p..q with control values a and b, shaped like squad.
    static float SquadBlend(float s, float p, float a, float b, float q);

    // Classifies each segment (turns and interpolation class), puts neighbouring quaternions
    // in the same hemisphere and clamps w into [-1, 1].
    static void RotKeysPrepare(QrRotKey* const* keys, int32_t count);
};
