#include "RasterPrimitives.h"

#include "PixelPipeline.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace plat
{
namespace
{

constexpr int64_t kSubpixels = 256;
constexpr int64_t kGuardFixed = static_cast<int64_t>(kGuardBand) * kSubpixels;

// floor(v) limited to [lo, hi]; NaN gives lo. Inline: the library floor is a call without SSE4.1.
int64_t FloorClamped(double v, int64_t lo, int64_t hi)
{
    if (!(v > static_cast<double>(lo)))
        return lo;
    if (v >= static_cast<double>(hi))
        return hi;
    const int64_t i = static_cast<int64_t>(v);
    return static_cast<double>(i) > v ? i - 1 : i;
}

constexpr int64_t kFar = int64_t{1} << 40;

int64_t Snap(float v)
{
    return FloorClamped(static_cast<double>(v) * kSubpixels + 0.5, -kFar, kFar);
}

// Floor and ceiling of v / 256 (the shift of a negative value rounds down).
int64_t FloorPixel(int64_t v)
{
    return v >> 8;
}

int64_t CeilPixel(int64_t v)
{
    return -((-v) >> 8);
}

// floor(n / d) for d > 0 and |n| < 2^52, exactly: the float quotient (by inverse = 1 / d)
// gives a start, integer steps fix it.
int64_t FloorDiv(int64_t n, int64_t d, double inverse)
{
    int64_t q = static_cast<int64_t>(static_cast<double>(n) * inverse);
    int64_t r = n - q * d;
    while (r < 0)
    {
        --q;
        r += d;
    }
    while (r >= d)
    {
        ++q;
        r -= d;
    }
    return q;
}

// One edge as E(P) = a Px + b Py + c in 1/256 pixel units, positive inside; on top and left
// edges E >= 0 counts as inside, elsewhere E > 0. Walked row by row, it bounds each row's
// pixels from the left (a > 0) or the right (a < 0), with the exact quotient of the boundary
// stepped by integer additions; a horizontal edge (a = 0) admits whole rows or none.
class EdgeWalk
{
public:
    EdgeWalk(int64_t px0, int64_t py0, int64_t px1, int64_t py1, int64_t firstRow)
    {
        const int64_t a = py0 - py1;
        const int64_t b = px1 - px0;
        const int64_t c = -(a * px0 + b * py0);
        const int64_t dy = py1 - py0;
        const int64_t bias = (dy < 0 || (dy == 0 && px1 > px0)) ? 1 : 0;
        // Inside a row y: a 256 x + k(y) > 0, with k stepping by 256 b per row.
        const int64_t k = b * kSubpixels * firstRow + c + bias;
        m_kind = a > 0 ? Kind::Left : (a < 0 ? Kind::Right : Kind::Flat);
        if (m_kind == Kind::Flat)
        {
            m_q = k;
            m_sq = b * kSubpixels;
            return;
        }
        // Left: x > -k / (256 a), the first such x is floor(-k / d) + 1 with d = 256 a.
        // Right: x < k / d with d = -256 a, the last such x is floor((k - 1) / d).
        m_d = (a > 0 ? a : -a) * kSubpixels;
        const int64_t n = m_kind == Kind::Left ? -k : k - 1;
        const int64_t step = m_kind == Kind::Left ? -b * kSubpixels : b * kSubpixels;
        const double inverse = 1.0 / static_cast<double>(m_d);
        m_q = FloorDiv(n, m_d, inverse);
        m_r = n - m_q * m_d;
        m_sq = FloorDiv(step, m_d, inverse);
        m_sr = step - m_sq * m_d;
    }

    // Narrows [lo, hi] to this edge's inside on the current row. Branch-free: edges take
    // turns and their kinds differ.
    void Limit(int64_t& lo, int64_t& hi) const
    {
        const int64_t kNone = int64_t{1} << 62;
        const int64_t first = m_kind == Kind::Left ? m_q + 1 : -kNone;
        const int64_t last = m_kind == Kind::Right ? m_q : (m_kind == Kind::Flat && m_q <= 0 ? -kNone : kNone);
        lo = std::max(lo, first);
        hi = std::min(hi, last);
    }

    void NextRow()
    {
        // A flat edge has d = 1 and no remainder step, so the carry never fires for it.
        m_q += m_sq;
        m_r += m_sr;
        const int64_t carry = m_r >= m_d ? 1 : 0;
        m_q += carry;
        m_r -= carry * m_d;
    }

    enum class Kind
    {
        Left,
        Right,
        Flat
    };
    Kind GetKind() const { return m_kind; }

    // Limit and NextRow for an edge known to be of kind K.
    template <Kind K> void LimitAs(int64_t& lo, int64_t& hi) const
    {
        if constexpr (K == Kind::Left)
            lo = std::max(lo, m_q + 1);
        else if constexpr (K == Kind::Right)
            hi = std::min(hi, m_q);
        else
            hi = m_q <= 0 ? std::min(hi, lo - 1) : hi;
    }

    template <Kind K> void NextRowAs()
    {
        m_q += m_sq;
        if constexpr (K != Kind::Flat)
        {
            m_r += m_sr;
            const int64_t carry = m_r >= m_d ? 1 : 0;
            m_q += carry;
            m_r -= carry * m_d;
        }
    }

private:
    Kind m_kind = Kind::Flat;
    int64_t m_q = 0; // the bound (a flat edge: k)
    int64_t m_r = 0; // remainder of the boundary's numerator, 0 <= r < d
    int64_t m_d = 1;
    int64_t m_sq = 0; // per-row step of q and r
    int64_t m_sr = 0;
};

using Kind = EdgeWalk::Kind;

// Rows top..bottom of the triangle within columns left..right: emit(y, lo, hi) for each row
// with pixels, the loop made for the edges' kinds (found by the first three levels).
template <int Known, Kind K0 = Kind::Flat, Kind K1 = Kind::Flat, Kind K2 = Kind::Flat, class Emit>
void WalkRows(EdgeWalk (&e)[3], int64_t top, int64_t bottom, int64_t left, int64_t right, Emit& emit)
{
    if constexpr (Known < 3)
    {
        auto next = [&]<Kind K>()
        {
            if constexpr (Known == 0)
                WalkRows<1, K>(e, top, bottom, left, right, emit);
            else if constexpr (Known == 1)
                WalkRows<2, K0, K>(e, top, bottom, left, right, emit);
            else
                WalkRows<3, K0, K1, K>(e, top, bottom, left, right, emit);
        };
        switch (e[Known].GetKind())
        {
        case Kind::Left:
            next.template operator()<Kind::Left>();
            break;
        case Kind::Right:
            next.template operator()<Kind::Right>();
            break;
        case Kind::Flat:
            next.template operator()<Kind::Flat>();
            break;
        }
    }
    else
    {
        for (int64_t y = top; y <= bottom; ++y)
        {
            int64_t lo = left;
            int64_t hi = right;
            e[0].LimitAs<K0>(lo, hi);
            e[1].LimitAs<K1>(lo, hi);
            e[2].LimitAs<K2>(lo, hi);
            e[0].NextRowAs<K0>();
            e[1].NextRowAs<K1>();
            e[2].NextRowAs<K2>();
            if (lo <= hi)
                emit(y, lo, hi);
        }
    }
}

} // namespace

void DrawTriangle(const RasterSetup& setup, PixelBatch& batch, const RasterVertex& v0, const RasterVertex& v1,
                  const RasterVertex& v2)
{
    const RasterVertex* v[3] = {&v0, &v1, &v2};
    int64_t px[3];
    int64_t py[3];
    for (int i = 0; i < 3; ++i)
    {
        px[i] = Snap(v[i]->x);
        py[i] = Snap(v[i]->y);
        if (px[i] < -kGuardFixed || px[i] > kGuardFixed || py[i] < -kGuardFixed || py[i] > kGuardFixed)
            return;
    }
    const int64_t area = (px[1] - px[0]) * (py[2] - py[0]) - (py[1] - py[0]) * (px[2] - px[0]);
    if (area == 0)
        return;
    // Make the vertices run clockwise on screen (y down), where the edge functions are
    // positive inside.
    if (area < 0)
    {
        std::swap(v[1], v[2]);
        std::swap(px[1], px[2]);
        std::swap(py[1], py[2]);
    }

    const Rect& clip = setup.clip;
    const int64_t left = std::max<int64_t>(CeilPixel(std::min({px[0], px[1], px[2]})), clip.left);
    const int64_t right = std::min<int64_t>(FloorPixel(std::max({px[0], px[1], px[2]})), clip.right - 1);
    const int64_t top = std::max<int64_t>(CeilPixel(std::min({py[0], py[1], py[2]})), clip.top);
    const int64_t bottom = std::min<int64_t>(FloorPixel(std::max({py[0], py[1], py[2]})), clip.bottom - 1);
    if (left > right || top > bottom)
        return;

    EdgeWalk edges[3] = {EdgeWalk(px[0], py[0], px[1], py[1], top), EdgeWalk(px[1], py[1], px[2], py[2], top),
                         EdgeWalk(px[2], py[2], px[0], py[0], top)};

    // Attribute planes through the snapped positions, from vertex 0.
    const double x0 = static_cast<double>(px[0]) / kSubpixels;
    const double y0 = static_cast<double>(py[0]) / kSubpixels;
    const double dx1 = static_cast<double>(px[1] - px[0]) / kSubpixels;
    const double dy1 = static_cast<double>(py[1] - py[0]) / kSubpixels;
    const double dx2 = static_cast<double>(px[2] - px[0]) / kSubpixels;
    const double dy2 = static_cast<double>(py[2] - py[0]) / kSubpixels;
    const double invDet = 1.0 / (dx1 * dy2 - dx2 * dy1);
    AttributePlanes& planes = batch.planes;
    planes.originX = static_cast<float>(x0);
    planes.originY = static_cast<float>(y0);
    const float* a0 = v[0]->attr;
    const float* a1 = v[1]->attr;
    const float* a2 = v[2]->attr;
    // Only the attributes the pixels read, two at a time: each lane is the scalar double
    // arithmetic, so the planes are the same whichever way they are computed.
    using D2 = double __attribute__((vector_size(16)));
    const D2 ddx1 = {dx1, dx1};
    const D2 ddy1 = {dy1, dy1};
    const D2 ddx2 = {dx2, dx2};
    const D2 ddy2 = {dy2, dy2};
    const D2 dinv = {invDet, invDet};
    double zx = 0.0;
    double zy = 0.0;
    const uint32_t attributes = setup.attributeCount;
    for (uint32_t k = 0; k < attributes; k += 2)
    {
        const uint32_t i = setup.attributeList[k];
        const uint32_t j = setup.attributeList[k + 1 < attributes ? k + 1 : k];
        const D2 base = {a0[i], a0[j]};
        const D2 d1 = D2{a1[i], a1[j]} - base;
        const D2 d2 = D2{a2[i], a2[j]} - base;
        const D2 gx = (d1 * ddy2 - d2 * ddy1) * dinv;
        const D2 gy = (d2 * ddx1 - d1 * ddx2) * dinv;
        planes.base[i] = a0[i];
        planes.gx[i] = static_cast<float>(gx[0]);
        planes.gy[i] = static_cast<float>(gy[0]);
        planes.base[j] = a0[j];
        planes.gx[j] = static_cast<float>(gx[1]);
        planes.gy[j] = static_cast<float>(gy[1]);
        if (k == 0 && i == kAttrZ)
        {
            zx = gx[0];
            zy = gy[0];
        }
    }
    const double depthScale = setup.depthMax;
    planes.z0 = a0[kAttrZ] * depthScale - setup.depthBias;
    planes.zx = zx * depthScale;
    planes.zy = zy * depthScale;

    if (setup.span)
    {
        // Handed over in groups so that the span loop sets up once per triangle.
        constexpr uint32_t kGroup = 64;
        Span spans[kGroup];
        uint32_t count = 0;
        auto emit = [&](int64_t y, int64_t lo, int64_t hi)
        {
            spans[count++] = {static_cast<int32_t>(y), static_cast<int32_t>(lo), static_cast<int32_t>(hi)};
            if (count == kGroup)
            {
                setup.span(setup, planes, spans, count);
                count = 0;
            }
        };
        WalkRows<0>(edges, top, bottom, left, right, emit);
        if (count)
            setup.span(setup, planes, spans, count);
        return;
    }
    batch.count = 0;
    for (int64_t y = top; y <= bottom; ++y)
    {
        int64_t lo = left;
        int64_t hi = right;
        for (EdgeWalk& e : edges)
        {
            e.Limit(lo, hi);
            e.NextRow();
        }
        for (int64_t x = lo; x <= hi;)
        {
            const uint32_t run = static_cast<uint32_t>(std::min<int64_t>(hi - x + 1, kBatchSize - batch.count));
            batch.AddRun(static_cast<int32_t>(x), static_cast<int32_t>(y), run);
            x += run;
            if (batch.count == kBatchSize)
                ShadeBatch(setup, planes, batch);
        }
    }
    if (batch.count)
        ShadeBatch(setup, planes, batch);
}

void DrawLine(const RasterSetup& setup, PixelBatch& batch, const RasterVertex& a, const RasterVertex& b)
{
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double major0 = xMajor ? a.x : a.y;
    const double minor0 = xMajor ? a.y : a.x;
    const double dMajor = xMajor ? dx : dy;
    const double dMinor = xMajor ? dy : dx;
    if (dMajor == 0.0)
        return;
    // Pixel centres on integers: the pixels whose major coordinate rounds between the ends.
    const int64_t p0 = FloorClamped(major0 + 0.5, -kFar, kFar);
    const int64_t p1 = FloorClamped(major0 + dMajor + 0.5, -kFar, kFar);
    if (p0 == p1)
        return;
    const Rect& clip = setup.clip;
    const int64_t first = p1 > p0 ? p0 : p1 + 1;
    const int64_t last = p1 > p0 ? p1 - 1 : p0;
    const int64_t lo = std::max<int64_t>(first, xMajor ? clip.left : clip.top);
    const int64_t hi = std::min<int64_t>(last, (xMajor ? clip.right : clip.bottom) - 1);
    const int64_t minorLo = xMajor ? clip.top : clip.left;
    const int64_t minorHi = (xMajor ? clip.bottom : clip.right) - 1;

    // Attributes change along the major axis only.
    AttributePlanes planes;
    planes.originX = a.x;
    planes.originY = a.y;
    for (uint32_t i = 0; i < kAttrCount; ++i)
    {
        const float g = static_cast<float>((static_cast<double>(b.attr[i]) - a.attr[i]) / dMajor);
        planes.base[i] = a.attr[i];
        (xMajor ? planes.gx : planes.gy)[i] = g;
    }
    const double depthScale = setup.depthMax;
    planes.z0 = a.attr[kAttrZ] * depthScale - setup.depthBias;
    (xMajor ? planes.zx : planes.zy) = (static_cast<double>(b.attr[kAttrZ]) - a.attr[kAttrZ]) / dMajor * depthScale;

    batch.count = 0;
    for (int64_t m = lo; m <= hi; ++m)
    {
        const double along = static_cast<double>(m) - major0;
        const int64_t minor = FloorClamped(minor0 + dMinor * (along / dMajor) + 0.5, -kFar, kFar);
        if (minor < minorLo || minor > minorHi)
            continue;
        if (xMajor)
            batch.Add(static_cast<int32_t>(m), static_cast<int32_t>(minor));
        else
            batch.Add(static_cast<int32_t>(minor), static_cast<int32_t>(m));
        if (batch.count == kBatchSize)
            ShadeBatch(setup, planes, batch);
    }
    if (batch.count)
        ShadeBatch(setup, planes, batch);
}

} // namespace plat
