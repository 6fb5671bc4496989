#include "QrClip.h"

#include "QrD3DDriver.h"
#include "QrEmitKernels.h"
#include "QrPlane.h"
#include "QrRenderCode.h"
#include "QrTransformedVertex.h"
#include "QrTriangleRef.h"

namespace
{

template <bool kTwoSets, bool kSpecular, bool kFog>
uint32_t Lerp(float dP, float dQ, const QrTransformedVertex& p, const QrTransformedVertex& q, QrTransformedVertex& out)
{
    // Moves from P away from Q by t: where the distance dP + (dP - dQ) t is 0.
    const float t = dP / (dQ - dP);
    auto at = [t](float a, float b) { return a + (a - b) * t; };
    QrTransformedVertex v;
    v.x = at(p.x, q.x);
    v.y = at(p.y, q.y);
    v.z = at(p.z, q.z);
    v.tu0 = at(p.tu0, q.tu0);
    v.tv0 = at(p.tv0, q.tv0);
    if constexpr (kTwoSets)
    {
        v.tu1 = at(p.tu1, q.tu1);
        v.tv1 = at(p.tv1, q.tv1);
    }
    v.red = at(p.red, q.red);
    v.green = at(p.green, q.green);
    v.blue = at(p.blue, q.blue);
    v.alpha = at(p.alpha, q.alpha);
    if constexpr (kFog)
        v.fog = at(p.fog, q.fog);
    if constexpr (kSpecular)
        v.specular = at(p.specular, q.specular);
    v.used = 1;
    v.batch = 0;
    // Written last: out may be P or Q.
    out = v;
    return QrRenderCode::kOk;
}

inline float Distance(const QrPlane& plane, const QrTransformedVertex& v)
{
    const QrPoint3& n = plane.GetNormal();
    return n.x * v.x + n.y * v.y + n.z * v.z - plane.GetConstant();
}

// The point on edge P-Q in a fresh pool record; null when the pool cannot grow.
QrTransformedVertex* Cut(QrD3DDriver& driver, float dP, float dQ, QrTransformedVertex& p, QrTransformedVertex& q)
{
    QrTransformedVertex* out = driver.GetWorkBuffer().TakeClipRecord();
    if (out)
        driver.GetClipInterpolator()(dP, dQ, p, q, *out);
    return out;
}

uint32_t Next(QrD3DDriver& driver, QrTransformedVertex* a, QrTransformedVertex* b, QrTransformedVertex* c,
              uint32_t plane)
{
    if (!a || !b || !c)
        return QrRenderCode::kOk;
    QrTriangleRef piece;
    piece.corner[0] = a;
    piece.corner[1] = b;
    piece.corner[2] = c;
    if (plane + 1 >= driver.GetClipPlaneCount())
        return driver.GetTriangleKernel()(driver, piece);
    return QrClipPolygon(driver, piece, plane + 1);
}

} // namespace

uint32_t QrClipLerp1Tex(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                        QrTransformedVertex& o)
{
    return Lerp<false, false, false>(a, b, p, q, o);
}

uint32_t QrClipLerp1TexFog(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                           QrTransformedVertex& o)
{
    return Lerp<false, false, true>(a, b, p, q, o);
}

uint32_t QrClipLerp1TexSpec(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                            QrTransformedVertex& o)
{
    return Lerp<false, true, false>(a, b, p, q, o);
}

uint32_t QrClipLerp1TexFogSpec(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                               QrTransformedVertex& o)
{
    return Lerp<false, true, true>(a, b, p, q, o);
}

uint32_t QrClipLerp2Tex(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                        QrTransformedVertex& o)
{
    return Lerp<true, false, false>(a, b, p, q, o);
}

uint32_t QrClipLerp2TexFog(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                           QrTransformedVertex& o)
{
    return Lerp<true, false, true>(a, b, p, q, o);
}

uint32_t QrClipLerp2TexSpec(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                            QrTransformedVertex& o)
{
    return Lerp<true, true, false>(a, b, p, q, o);
}

uint32_t QrClipLerp2TexFogSpec(float a, float b, const QrTransformedVertex& p, const QrTransformedVertex& q,
                               QrTransformedVertex& o)
{
    return Lerp<true, true, true>(a, b, p, q, o);
}

QrClipInterpolator QrChooseClipInterpolator(bool twoSets, bool specular, bool fog)
{
    static constexpr QrClipInterpolator kTable[2][2][2] = {
        {{QrClipLerp1Tex, QrClipLerp1TexFog}, {QrClipLerp1TexSpec, QrClipLerp1TexFogSpec}},
        {{QrClipLerp2Tex, QrClipLerp2TexFog}, {QrClipLerp2TexSpec, QrClipLerp2TexFogSpec}}};
    return kTable[twoSets ? 1 : 0][specular ? 1 : 0][fog ? 1 : 0];
}

uint32_t QrClipPolygon(QrD3DDriver& driver, const QrTriangleRef& triangle, uint32_t plane)
{
    const QrPlane& p = *driver.GetClipPlanes()[plane];
    QrTransformedVertex* a = triangle.corner[0];
    QrTransformedVertex* b = triangle.corner[1];
    QrTransformedVertex* c = triangle.corner[2];
    const float dA = Distance(p, *a);
    const float dB = Distance(p, *b);
    const float dC = Distance(p, *c);
    const bool inA = dA >= 0.0f;
    const bool inB = dB >= 0.0f;
    const bool inC = dC >= 0.0f;
    const int inside = int(inA) + int(inB) + int(inC);

    if (inside == 0)
        return QrRenderCode::kOk;
    if (inside == 3)
        return Next(driver, a, b, c, plane);
    if (inside == 1)
    {
        if (inA)
            return Next(driver, a, Cut(driver, dA, dB, *a, *b), Cut(driver, dA, dC, *a, *c), plane);
        if (inB)
            return Next(driver, b, Cut(driver, dB, dC, *b, *c), Cut(driver, dB, dA, *b, *a), plane);
        return Next(driver, c, Cut(driver, dC, dA, *c, *a), Cut(driver, dC, dB, *c, *b), plane);
    }
    QrTransformedVertex* x;
    QrTransformedVertex* y;
    QrTransformedVertex* k1;
    QrTransformedVertex* k2;
    if (!inA)
    {
        x = Cut(driver, dC, dA, *c, *a);
        y = Cut(driver, dB, dA, *b, *a);
        k1 = b;
        k2 = c;
    }
    else if (!inB)
    {
        x = Cut(driver, dA, dB, *a, *b);
        y = Cut(driver, dC, dB, *c, *b);
        k1 = c;
        k2 = a;
    }
    else
    {
        x = Cut(driver, dB, dC, *b, *c);
        y = Cut(driver, dA, dC, *a, *c);
        k1 = a;
        k2 = b;
    }
    // (X, Y, K1) and (X, K1, K2): both rotations of the input's order.
    const uint32_t first = Next(driver, x, y, k1, plane);
    if (first != QrRenderCode::kOk)
        return first;
    return Next(driver, x, k1, k2, plane);
}

uint32_t QrClipLine(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b, uint32_t plane)
{
    const uint32_t count = driver.GetClipPlaneCount();
    for (uint32_t i = plane; i < count; ++i)
    {
        const QrPlane& p = *driver.GetClipPlanes()[i];
        const float dA = Distance(p, a);
        const float dB = Distance(p, b);
        const bool inA = dA >= 0.0f;
        const bool inB = dB >= 0.0f;
        if (!inA && !inB)
            return QrRenderCode::kOk;
        if (!inA)
            driver.GetClipInterpolator()(dA, dB, a, b, a);
        else if (!inB)
            driver.GetClipInterpolator()(dA, dB, a, b, b);
    }
    return driver.GetLineKernel()(driver, a, b);
}
