#include "QrEmitKernels.h"

#include "QrColorA.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrDDContext.h"
#include "QrPoint3.h"
#include "QrRenderCode.h"
#include "QrTransformedVertex.h"
#include "QrTriangleRef.h"
#include "VertexFormat.h"

#include <cstring>

namespace
{

constexpr uint32_t kNoFogSpecular = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Truncating, limited to a byte; NaN gives 0.
inline uint32_t ToByte(float v)
{
    return v >= 255.0f ? 255u : v > 0.0f ? static_cast<uint32_t>(v) : 0u;
}

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

// The world-to-screen transform of the camera record, read once per kernel call.
struct ScreenTransform
{
    const float (*m)[4];
    float cx;
    float cy;

    explicit ScreenTransform(const QrD3DDriver& driver)
        : m(driver.GetCamera().combined), cx(driver.GetCamera().cx), cy(driver.GetCamera().cy)
    {
    }

    // w is the view depth; depth the z row before the division.
    void Apply(float x, float y, float z, plat::TlVertex2& out, float& w) const
    {
        w = m[3][0] * x + m[3][1] * y + m[3][2] * z + m[3][3];
        const float rhw = 1.0f / w;
        out.x = (m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3]) * rhw + cx;
        out.y = (m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3]) * rhw + cy;
        out.z = (m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3]) * rhw;
        out.rhw = rhw;
    }
};

// Clamps the fog ramp to a byte: 255 no fog, 0 full fog.
inline uint32_t FogByte(float f)
{
    return f >= 255.0f ? 255u : f > 0.0f ? static_cast<uint32_t>(f) : 0u;
}

struct FogInputs
{
    QrPoint3 eye;
    float squaredFar;
    float rangeScale;
    float farPlane;
    float depthScale;

    explicit FogInputs(const QrD3DDriver& driver)
        : eye(driver.GetCameraLocation()), squaredFar(driver.GetFog().squaredFar),
          rangeScale(driver.GetFog().rangeScale), farPlane(driver.GetFog().end), depthScale(driver.GetFog().scale)
    {
    }
};

inline void WriteVertex(QrVertexBuffer& buffer, const plat::TlVertex2& v)
{
    std::memcpy(buffer.NextVertex(), &v, buffer.Stride());
}

template <bool kColor, bool kSpecular, bool kTwoSets, QrFogKind kFog>
uint32_t EmitTriangle(QrD3DDriver& driver, const QrTriangleRef& triangle)
{
    QrD3DDevice& device = *driver.GetDevice();
    QrVertexBuffer& buffer = device.VertexBuffer();
    if (buffer.IsFull(device.GetVertexCapacity()) && buffer.Flush(device) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    if (!buffer.IsLocked())
        return QrRenderCode::kDrawFailed;

    const uint32_t batch = buffer.BatchNumber();
    const ScreenTransform screen(driver);
    const FogInputs fogInputs(driver);
    for (QrTransformedVertex* r : triangle.corner)
    {
        if (r->batch == batch)
        {
            buffer.WriteIndex(r->bufferIndex);
            continue;
        }
        plat::TlVertex2 v;
        float w = 0.0f;
        screen.Apply(r->x, r->y, r->z, v, w);

        uint32_t fog = 255;
        uint32_t alpha = kColor ? ToByte(r->alpha) : 255u;
        if constexpr (kFog == QrFogKind::Range)
        {
            const float dx = r->x - fogInputs.eye.x;
            const float dy = r->y - fogInputs.eye.y;
            const float dz = r->z - fogInputs.eye.z;
            fog = FogByte((fogInputs.squaredFar - (dx * dx + dy * dy + dz * dz)) * fogInputs.rangeScale);
        }
        else if constexpr (kFog == QrFogKind::Depth)
        {
            // From the view depth against the far plane: the projected depth fogs almost everything.
            fog = FogByte((fogInputs.farPlane - w) * fogInputs.depthScale);
        }
        else if constexpr (kFog == QrFogKind::VertexAlpha && kColor)
        {
            fog = 255u - alpha;
            alpha = 255u;
        }

        if constexpr (kColor)
            v.diffuse = Argb(alpha, ToByte(r->red), ToByte(r->green), ToByte(r->blue));
        else
            v.diffuse = kWhite;
        if constexpr (kColor && kSpecular)
        {
            const uint32_t s = ToByte(r->specular);
            v.specular = Argb(fog, s, s, s);
        }
        else
        {
            v.specular = fog << 24;
        }
        v.tu = r->tu0;
        v.tv = r->tv0;
        if constexpr (kTwoSets)
        {
            v.tu1 = r->tu1;
            v.tv1 = r->tv1;
        }
        WriteVertex(buffer, v);
        r->bufferIndex = buffer.WriteVertex();
        r->batch = batch;
        buffer.WriteIndex(r->bufferIndex);
    }
    buffer.EndTriangles(1);
    return QrRenderCode::kOk;
}

enum class PointColor
{
    Specular,
    Record,
    White,
};

template <PointColor kColor>
uint32_t EmitPoints(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size)
{
    QrD3DDevice& device = *driver.GetDevice();
    QrVertexBuffer& buffer = device.VertexBuffer();
    const QrCameraRecord& camera = driver.GetCamera();
    const ScreenTransform screen(driver);
    const float width = static_cast<float>(device.GetContext()->GetDrawingWidth());
    const float height = static_cast<float>(device.GetContext()->GetDrawingHeight());
    // World size projected at depth w: the point size scaled like the frustum's width.
    const float scale = 2.0f * camera.nearPlane * camera.sx * size / (camera.right - camera.left);
    for (uint32_t i = 0; i < count; ++i)
    {
        const QrTransformedVertex& r = records[i];
        if (!r.used)
            continue;
        plat::TlVertex2 centre;
        float w = 0.0f;
        screen.Apply(r.x, r.y, r.z, centre, w);
        const float h = centre.rhw * scale;
        if (!(centre.x - h >= 1.0f && centre.y - h >= 1.0f && centre.x + h < width - 1.0f &&
              centre.y + h < height - 1.0f))
            continue;
        if (buffer.VertexCount() >= device.GetVertexCapacity() && buffer.Flush(device) != QrRenderCode::kOk)
            return QrRenderCode::kDrawFailed;
        if (!buffer.IsLocked())
            return QrRenderCode::kDrawFailed;

        if constexpr (kColor == PointColor::White)
            centre.diffuse = kWhite;
        else
            centre.diffuse = Argb(ToByte(r.alpha), ToByte(r.red), ToByte(r.green), ToByte(r.blue));
        if constexpr (kColor == PointColor::Specular)
        {
            const uint32_t s = ToByte(r.specular);
            centre.specular = Argb(FogByte(r.fog), s, s, s);
        }
        else
        {
            centre.specular = kNoFogSpecular;
        }
        const float corners[4][4] = {
            {-h, -h, 0.0f, 1.0f}, {-h, h, 0.0f, 0.0f}, {h, h, 1.0f, 0.0f}, {h, -h, 1.0f, 1.0f}};
        uint16_t index[4];
        for (uint32_t k = 0; k < 4; ++k)
        {
            plat::TlVertex2 v = centre;
            v.x = centre.x + corners[k][0];
            v.y = centre.y + corners[k][1];
            v.tu = corners[k][2];
            v.tv = corners[k][3];
            v.tu1 = v.tu;
            v.tv1 = v.tv;
            WriteVertex(buffer, v);
            index[k] = buffer.WriteVertex();
        }
        for (uint32_t k : {0u, 1u, 3u, 1u, 2u, 3u})
            buffer.WriteIndex(index[k]);
        buffer.EndTriangles(2);
    }
    return QrRenderCode::kOk;
}

template <bool kColor> uint32_t EmitLine(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b)
{
    QrD3DDevice& device = *driver.GetDevice();
    QrVertexBuffer& buffer = device.VertexBuffer();
    if (buffer.VertexCount() >= device.GetVertexCapacity() && buffer.Flush(device) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    if (!buffer.IsLocked())
        return QrRenderCode::kDrawFailed;
    const ScreenTransform screen(driver);
    for (QrTransformedVertex* r : {&a, &b})
    {
        plat::TlVertex2 v;
        float w = 0.0f;
        screen.Apply(r->x, r->y, r->z, v, w);
        v.diffuse = kColor ? Argb(ToByte(r->alpha), ToByte(r->red), ToByte(r->green), ToByte(r->blue)) : kWhite;
        v.specular = kNoFogSpecular;
        v.tu = r->tu0;
        v.tv = r->tv0;
        v.tu1 = r->tu1;
        v.tv1 = r->tv1;
        WriteVertex(buffer, v);
        r->bufferIndex = buffer.WriteVertex();
        r->batch = buffer.BatchNumber();
    }
    return QrRenderCode::kOk;
}

} // namespace

#define QR_EMIT_TRIANGLE(name, color, specular, twoSets, fog)                                                          \
    uint32_t name(QrD3DDriver& driver, const QrTriangleRef& triangle)                                                  \
    {                                                                                                                  \
        return EmitTriangle<color, specular, twoSets, QrFogKind::fog>(driver, triangle);                               \
    }

QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex1NoFog, true, true, false, None)
QR_EMIT_TRIANGLE(QrEmitTriangle, true, true, false, Range)
QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex1AlphaFog, true, true, false, VertexAlpha)
QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex1DepthFog, true, true, false, Depth)
QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex2NoFog, true, true, true, None)
QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex2RangeFog, true, true, true, Range)
QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex2AlphaFog, true, true, true, VertexAlpha)
QR_EMIT_TRIANGLE(QrEmitTriColorSpecTex2DepthFog, true, true, true, Depth)
QR_EMIT_TRIANGLE(QrEmitTriColorTex1NoFog, true, false, false, None)
QR_EMIT_TRIANGLE(QrEmitTriColorTex1RangeFog, true, false, false, Range)
QR_EMIT_TRIANGLE(QrEmitTriColorTex1AlphaFog, true, false, false, VertexAlpha)
QR_EMIT_TRIANGLE(QrEmitTriColorTex1DepthFog, true, false, false, Depth)
QR_EMIT_TRIANGLE(QrEmitTriColorTex2NoFog, true, false, true, None)
QR_EMIT_TRIANGLE(QrEmitTriColorTex2RangeFog, true, false, true, Range)
QR_EMIT_TRIANGLE(QrEmitTriColorTex2AlphaFog, true, false, true, VertexAlpha)
QR_EMIT_TRIANGLE(QrEmitTriColorTex2DepthFog, true, false, true, Depth)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex1NoFog, false, false, false, None)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex1RangeFog, false, false, false, Range)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex1AlphaFog, false, false, false, VertexAlpha)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex1DepthFog, false, false, false, Depth)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex2NoFog, false, false, true, None)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex2RangeFog, false, false, true, Range)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex2AlphaFog, false, false, true, VertexAlpha)
QR_EMIT_TRIANGLE(QrEmitTriWhiteTex2DepthFog, false, false, true, Depth)

#undef QR_EMIT_TRIANGLE

QrTriangleKernel QrChooseTriangleKernel(bool color, bool specular, bool twoSets, QrFogKind fog)
{
    // [sets][fog] per colour family.
    static constexpr QrTriangleKernel kColorSpecular[2][4] = {
        {QrEmitTriColorSpecTex1NoFog, QrEmitTriangle, QrEmitTriColorSpecTex1AlphaFog, QrEmitTriColorSpecTex1DepthFog},
        {QrEmitTriColorSpecTex2NoFog, QrEmitTriColorSpecTex2RangeFog, QrEmitTriColorSpecTex2AlphaFog,
         QrEmitTriColorSpecTex2DepthFog}};
    static constexpr QrTriangleKernel kColor[2][4] = {
        {QrEmitTriColorTex1NoFog, QrEmitTriColorTex1RangeFog, QrEmitTriColorTex1AlphaFog, QrEmitTriColorTex1DepthFog},
        {QrEmitTriColorTex2NoFog, QrEmitTriColorTex2RangeFog, QrEmitTriColorTex2AlphaFog, QrEmitTriColorTex2DepthFog}};
    static constexpr QrTriangleKernel kWhiteKernels[2][4] = {
        {QrEmitTriWhiteTex1NoFog, QrEmitTriWhiteTex1RangeFog, QrEmitTriWhiteTex1AlphaFog, QrEmitTriWhiteTex1DepthFog},
        {QrEmitTriWhiteTex2NoFog, QrEmitTriWhiteTex2RangeFog, QrEmitTriWhiteTex2AlphaFog, QrEmitTriWhiteTex2DepthFog}};
    const uint32_t sets = twoSets ? 1 : 0;
    const auto f = static_cast<uint32_t>(fog);
    if (!color)
        return kWhiteKernels[sets][f];
    return specular ? kColorSpecular[sets][f] : kColor[sets][f];
}

uint32_t QrEmitPointsColorSpec(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size)
{
    return EmitPoints<PointColor::Specular>(driver, records, count, size);
}

uint32_t QrEmitPointsColor(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size)
{
    return EmitPoints<PointColor::Record>(driver, records, count, size);
}

uint32_t QrEmitPointsWhite(QrD3DDriver& driver, QrTransformedVertex* records, uint32_t count, float size)
{
    return EmitPoints<PointColor::White>(driver, records, count, size);
}

QrPointKernel QrChoosePointKernel(bool color, bool specular)
{
    if (!color)
        return QrEmitPointsWhite;
    return specular ? QrEmitPointsColorSpec : QrEmitPointsColor;
}

uint32_t QrEmitLineColor(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b)
{
    return EmitLine<true>(driver, a, b);
}

uint32_t QrEmitLineWhite(QrD3DDriver& driver, QrTransformedVertex& a, QrTransformedVertex& b)
{
    return EmitLine<false>(driver, a, b);
}

QrLineKernel QrChooseLineKernel(bool color)
{
    return color ? QrEmitLineColor : QrEmitLineWhite;
}

uint32_t QrEmitScreenPolygon(QrD3DDriver& driver, const QrPoint3* vertices, const QrPoint3* textureCoords,
                             const QrColorA* colors, uint32_t count)
{
    QrD3DDevice& device = *driver.GetDevice();
    QrVertexBuffer& buffer = device.VertexBuffer();
    const uint32_t limit = device.GetVertexCapacity();
    if (count < 3 || count > limit)
        return QrRenderCode::kOk;
    if (buffer.VertexCount() + count >= limit && buffer.Flush(device) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    if (!buffer.IsLocked())
        return QrRenderCode::kDrawFailed;

    const QrCameraRecord& camera = driver.GetCamera();
    const QrD3DDriver::ViewportValues& viewport = driver.GetViewport();
    const float n = camera.nearPlane;
    const float f = camera.farPlane;
    const uint32_t first = buffer.VertexCount();
    for (uint32_t i = 0; i < count; ++i)
    {
        const QrPoint3& p = vertices[i];
        plat::TlVertex2 v{};
        v.x = viewport.left + p.x * viewport.width;
        v.y = viewport.bottom - p.y * viewport.height;
        v.rhw = 0.95f / ((f - n) * p.z + n);
        v.z = f * p.z * v.rhw;
        if (colors)
            v.diffuse = Argb(ToByte(colors[i].a * 255.0f), ToByte(colors[i].r * 255.0f), ToByte(colors[i].g * 255.0f),
                             ToByte(colors[i].b * 255.0f));
        else
            v.diffuse = kWhite;
        v.specular = kNoFogSpecular;
        if (textureCoords)
        {
            v.tu = v.tu1 = textureCoords[i].x;
            v.tv = v.tv1 = textureCoords[i].y;
        }
        WriteVertex(buffer, v);
        buffer.WriteVertex();
    }
    for (uint32_t k = 2; k < count; ++k)
    {
        buffer.WriteIndex(static_cast<uint16_t>(first + k));
        buffer.WriteIndex(static_cast<uint16_t>(first));
        buffer.WriteIndex(static_cast<uint16_t>(first + k - 1));
    }
    buffer.EndTriangles(count - 2);
    return QrRenderCode::kOk;
}
