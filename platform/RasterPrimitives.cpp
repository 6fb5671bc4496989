#include "RasterPrimitives.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace plat
{
namespace
{

constexpr int64_t kSubpixels = 256;
constexpr int64_t kGuardFixed = static_cast<int64_t>(kGuardBand) * kSubpixels;

int64_t Snap(float v)
{
    return static_cast<int64_t>(std::floor(static_cast<double>(v) * kSubpixels + 0.5));
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

int64_t ClampToInt64(double v, int64_t lo, int64_t hi)
{
    if (!(v > static_cast<double>(lo)))
        return lo;
    if (v > static_cast<double>(hi))
        return hi;
    return static_cast<int64_t>(v);
}

// One edge as E(P) = a Px + b Py + c in 1/256 pixel units, positive inside; bias 1 on top and
// left edges turns E >= 0 into E + bias > 0 there.
struct Edge
{
    int64_t a = 0;
    int64_t b = 0;
    int64_t c = 0;
    int64_t bias = 0;
    double invA = 0.0; // 1 / (256 a)
};

// The first pixel x in [lo, hi + 1] with a256 x + k > 0, for a256 > 0. The float estimate
// only saves time: the integer tests decide.
int64_t FirstInside(const Edge& e, int64_t k, int64_t lo, int64_t hi)
{
    const int64_t a256 = e.a * kSubpixels;
    int64_t x = ClampToInt64(std::floor(static_cast<double>(-k) * e.invA) + 1.0, lo, hi + 1);
    while (x > lo && a256 * (x - 1) + k > 0)
        --x;
    while (x <= hi && a256 * x + k <= 0)
        ++x;
    return x;
}

// The last pixel x in [lo - 1, hi] with a256 x + k > 0, for a256 < 0.
int64_t LastInside(const Edge& e, int64_t k, int64_t lo, int64_t hi)
{
    const int64_t a256 = e.a * kSubpixels;
    int64_t x = ClampToInt64(std::ceil(static_cast<double>(-k) * e.invA) - 1.0, lo - 1, hi);
    while (x < hi && a256 * (x + 1) + k > 0)
        ++x;
    while (x >= lo && a256 * x + k <= 0)
        --x;
    return x;
}

} // namespace

void DrawTriangle(const RasterSetup& setup, SpanKernel kernel, const RasterVertex& v0, const RasterVertex& v1,
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

    Edge edges[3];
    for (int i = 0; i < 3; ++i)
    {
        const int j = (i + 1) % 3;
        Edge& e = edges[i];
        e.a = py[i] - py[j];
        e.b = px[j] - px[i];
        e.c = -(e.a * px[i] + e.b * py[i]);
        const int64_t dy = py[j] - py[i];
        e.bias = (dy < 0 || (dy == 0 && px[j] > px[i])) ? 1 : 0;
        e.invA = e.a != 0 ? 1.0 / static_cast<double>(e.a * kSubpixels) : 0.0;
    }

    // Attribute planes through the snapped positions, from vertex 0.
    const double x0 = static_cast<double>(px[0]) / kSubpixels;
    const double y0 = static_cast<double>(py[0]) / kSubpixels;
    const double dx1 = static_cast<double>(px[1] - px[0]) / kSubpixels;
    const double dy1 = static_cast<double>(py[1] - py[0]) / kSubpixels;
    const double dx2 = static_cast<double>(px[2] - px[0]) / kSubpixels;
    const double dy2 = static_cast<double>(py[2] - py[0]) / kSubpixels;
    const double invDet = 1.0 / (dx1 * dy2 - dx2 * dy1);
    double gx[kAttrStride] = {};
    double gy[kAttrStride] = {};
    float ddx[kAttrStride] = {};
    float ddy[kAttrStride] = {};
    for (uint32_t i = 0; i < kAttrCount; ++i)
    {
        const double d1 = static_cast<double>(v[1]->attr[i]) - v[0]->attr[i];
        const double d2 = static_cast<double>(v[2]->attr[i]) - v[0]->attr[i];
        gx[i] = (d1 * dy2 - d2 * dy1) * invDet;
        gy[i] = (d2 * dx1 - d1 * dx2) * invDet;
        ddx[i] = static_cast<float>(gx[i]);
        ddy[i] = static_cast<float>(gy[i]);
    }
    const double depthScale = setup.depthMax;
    const double z0 = v[0]->attr[kAttrZ] * depthScale - setup.depthBias;
    const double dzdx = gx[kAttrZ] * depthScale;
    const double dzdy = gy[kAttrZ] * depthScale;

    float start[kAttrStride] = {};
    Span span;
    span.start = start;
    span.dx = ddx;
    span.dy = ddy;
    span.dz = dzdx;
    for (int64_t y = top; y <= bottom; ++y)
    {
        const int64_t sy = y * kSubpixels;
        int64_t lo = left;
        int64_t hi = right;
        for (const Edge& e : edges)
        {
            const int64_t k = e.b * sy + e.c + e.bias;
            if (e.a == 0)
            {
                if (k <= 0)
                    hi = lo - 1;
            }
            else if (e.a > 0)
            {
                lo = FirstInside(e, k, lo, hi);
            }
            else
            {
                hi = LastInside(e, k, lo, hi);
            }
            if (lo > hi)
                break;
        }
        if (lo > hi)
            continue;
        const double ox = static_cast<double>(lo) - x0;
        const double oy = static_cast<double>(y) - y0;
        for (uint32_t i = 0; i < kAttrCount; ++i)
            start[i] = static_cast<float>(v[0]->attr[i] + gx[i] * ox + gy[i] * oy);
        span.y = static_cast<int32_t>(y);
        span.x0 = static_cast<int32_t>(lo);
        span.x1 = static_cast<int32_t>(hi + 1);
        span.z0 = z0 + dzdx * ox + dzdy * oy;
        kernel(setup, span);
    }
}

void DrawLine(const RasterSetup& setup, SpanKernel kernel, const RasterVertex& a, const RasterVertex& b)
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
    // Limits far outside any surface keep the integer conversions defined.
    constexpr int64_t kFar = int64_t{1} << 40;
    const int64_t p0 = ClampToInt64(std::floor(major0 + 0.5), -kFar, kFar);
    const int64_t p1 = ClampToInt64(std::floor(major0 + dMajor + 0.5), -kFar, kFar);
    if (p0 == p1)
        return;
    const Rect& clip = setup.clip;
    const int64_t first = p1 > p0 ? p0 : p1 + 1;
    const int64_t last = p1 > p0 ? p1 - 1 : p0;
    const int64_t lo = std::max<int64_t>(first, xMajor ? clip.left : clip.top);
    const int64_t hi = std::min<int64_t>(last, (xMajor ? clip.right : clip.bottom) - 1);
    const int64_t minorLo = xMajor ? clip.top : clip.left;
    const int64_t minorHi = (xMajor ? clip.bottom : clip.right) - 1;

    float along[kAttrStride] = {};
    const float none[kAttrStride] = {};
    for (uint32_t i = 0; i < kAttrCount; ++i)
        along[i] = static_cast<float>((static_cast<double>(b.attr[i]) - a.attr[i]) / dMajor);
    float start[kAttrStride] = {};
    Span span;
    span.start = start;
    span.dx = xMajor ? along : none;
    span.dy = xMajor ? none : along;
    for (int64_t m = lo; m <= hi; ++m)
    {
        const double t = std::clamp((static_cast<double>(m) - major0) / dMajor, 0.0, 1.0);
        const int64_t minor = ClampToInt64(std::floor(minor0 + dMinor * t + 0.5), -kFar, kFar);
        if (minor < minorLo || minor > minorHi)
            continue;
        for (uint32_t i = 0; i < kAttrCount; ++i)
            start[i] = static_cast<float>(a.attr[i] + (static_cast<double>(b.attr[i]) - a.attr[i]) * t);
        const double z = a.attr[kAttrZ] + (static_cast<double>(b.attr[kAttrZ]) - a.attr[kAttrZ]) * t;
        span.x0 = static_cast<int32_t>(xMajor ? m : minor);
        span.y = static_cast<int32_t>(xMajor ? minor : m);
        span.x1 = span.x0 + 1;
        span.z0 = z * setup.depthMax - setup.depthBias;
        kernel(setup, span);
    }
}

} // namespace plat
