// The render paths of QrD3DDriver: geometry arrays in, culled and prepared records, emitted
// directly or through the clipper, drawn as one batch (flushed as often as the buffer fills).
// No floating-point mode is set around a path: x86-64 float arithmetic is SSE, single precision
// with no x87 control word, and the compiler assumes round-to-nearest (truncation is the casts').

#include "QrBound.h"
#include "QrColorA.h"
#include "QrCopyVertices.h"
#include "QrD3DDevice.h"
#include "QrD3DDriver.h"
#include "QrPlane.h"
#include "QrRenderCode.h"
#include "QrTextureModeProperty.h"

#include <new>

namespace
{

inline bool FacesEye(const QrPlane& plane, const QrPoint3& eye)
{
    const QrPoint3& n = plane.GetNormal();
    // Strictly in front: a plane through the eye is culled.
    return plane.GetConstant() < n.x * eye.x + n.y * eye.y + n.z * eye.z;
}

} // namespace

const QrMaterialRecord& QrD3DDriver::GetLightingMaterial() const
{
    const QrMaterialRecord* current = m_materials.GetCurrent();
    return current ? *current : m_materials.GetDefault();
}

uint32_t QrD3DDriver::PrepareBuffers(uint32_t vertexCount, uint32_t triangleCount, bool clearUsed)
{
    // A camera sent after the frame began is taken up before its first draw.
    UpdateCamera();
    if (m_workBuffer.Reserve(vertexCount) != 0)
        return QrRenderCode::kGrowFailed;
    if (triangleCount)
    {
        if (triangleCount > m_triangles.size())
        {
            try
            {
                m_triangles.resize(size_t{triangleCount} + QrVertexWorkBuffer::kGrowSlack);
            }
            catch (const std::bad_alloc&)
            {
                return QrRenderCode::kGrowFailed;
            }
        }
        m_triangleCount = 0;
    }
    if (clearUsed)
    {
        QrTransformedVertex* records = m_workBuffer.Records();
        for (uint32_t i = 0; i < vertexCount; ++i)
            records[i].used = 0;
    }
    m_specularSwitch = (m_stateFlags & kStateSpecular) && GetLightingMaterial().specular.z > 0.0f;
    return QrRenderCode::kOk;
}

uint32_t QrD3DDriver::PrepareVertices(const QrBound& bound, uint32_t count, const QrPoint3* positions,
                                      const QrPoint3* normals, const QrPoint3* textureCoords, uint32_t textureSets,
                                      const QrColorA* colors)
{
    QrD3DDevice& device = *m_device;
    QrTransformedVertex* records = m_workBuffer.Records();
    device.SetTwoSets(false);
    bool color = true;
    const bool stage0 = device.GetStageTexture(0) != nullptr;
    const bool stage1 = device.GetStageTexture(1) != nullptr;
    if (!stage0 && !stage1)
        textureCoords = nullptr;
    if (textureCoords)
    {
        if (device.GetApplyMode(0) == QrTextureModeProperty::kApplyReplace)
        {
            // The texture replaces the colour: none is computed.
            QrCopyVertices(count, records, positions, textureCoords);
            color = false;
        }
        if (stage1 && textureSets > 1)
        {
            device.SetTwoSets(true);
            const QrPoint3* second = textureCoords + count;
            for (uint32_t i = 0; i < count; ++i)
            {
                if (records[i].used)
                {
                    records[i].tu1 = second[i].x;
                    records[i].tv1 = second[i].y;
                }
            }
        }
    }

    // Only the lighting computes highlights; every other source leaves the records without.
    bool lit = false;
    if (color)
    {
        const QrMaterialRecord* material = m_materials.GetCurrent();
        switch (device.GetVertexColorMode())
        {
        case 1:
            if (colors)
            {
                QrCopyVerticesVertexColor(count, records, positions, textureCoords, colors);
            }
            else
            {
                QrCopyVertices(count, records, positions, textureCoords);
                color = false;
            }
            break;
        case 2:
        case 3:
            if (!material)
                return QrRenderCode::kNoMaterial;
            if (device.GetVertexColorMode() == 3 && colors)
                QrCopyVerticesMaterialVertexColor(count, records, positions, textureCoords, *material, colors);
            else
                QrCopyVerticesMaterial(count, records, positions, textureCoords, *material);
            break;
        case 4:
        case 5:
        case 6:
            lit = true;
            QrLightVertices(*this, count, records, positions, normals, textureCoords,
                            device.GetVertexColorMode() == 4 ? nullptr : colors, bound, m_specularSwitch,
                            device.GetVertexColorMode() == 6);
            break;
        default:
            QrCopyVertices(count, records, positions, textureCoords);
            color = false;
            break;
        }
    }
    if (!color || !lit)
        m_specularSwitch = false;

    QrFogKind fog = QrFogKind::None;
    if (m_fog.enabled)
        fog = m_fog.range ? QrFogKind::Range : m_fog.vertexAlpha ? QrFogKind::VertexAlpha : QrFogKind::Depth;
    SetEmitKernels(QrChooseTriangleKernel(color, m_specularSwitch, device.GetTwoSets(), fog),
                   QrChoosePointKernel(color, m_specularSwitch), QrChooseLineKernel(color));
    return QrRenderCode::kOk;
}

void QrD3DDriver::SetEmitKernels(QrTriangleKernel triangle, QrPointKernel point, QrLineKernel line)
{
    m_triangleKernel = triangle;
    m_pointKernel = point;
    m_lineKernel = line;
}

void QrD3DDriver::ResetClipInterpolator()
{
    m_specularSwitch = false;
    m_clipInterpolator = QrClipLerp1Tex;
    m_triangleKernel = QrEmitTriWhiteTex1NoFog;
    m_pointKernel = QrEmitPointsWhite;
    m_lineKernel = QrEmitLineWhite;
}

void QrD3DDriver::ChooseClipInterpolator()
{
    m_clipInterpolator =
        QrChooseClipInterpolator(m_device && m_device->GetTwoSets(), m_specularSwitch, m_fog.enabled != 0);
}

uint32_t QrD3DDriver::DrawPreparedTriangles()
{
    ChooseClipInterpolator();
    if (ApplyDrawDefaults() != QrRenderCode::kOk)
        return QrRenderCode::kOk;
    QrD3DDevice& device = *m_device;
    if (device.BeginBatch(QrVertexBuffer::kModeTriangles) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    for (uint32_t i = 0; i < m_triangleCount; ++i)
    {
        const uint32_t code =
            m_clipPlaneCount ? QrClipPolygon(*this, m_triangles[i], 0) : m_triangleKernel(*this, m_triangles[i]);
        // A failed flush leaves no buffer to write into.
        if (code != QrRenderCode::kOk)
            break;
    }
    device.VertexBuffer().Draw(device);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDriver::RenderShape(const QrBound& bound, const QrPoint3& eye, uint32_t triangleCount,
                                  uint32_t vertexCount, const QrPoint3* positions, const QrPoint3* normals,
                                  const QrPlane* planes, const QrPoint3* textureCoords, uint32_t textureSets,
                                  const QrColorA* colors, const uint16_t* indices)
{
    if (triangleCount == 0 || vertexCount < 3 || !positions || !indices)
        return QrRenderCode::kOk;
    uint32_t code = PrepareBuffers(vertexCount, triangleCount, true);
    if (code != QrRenderCode::kOk)
        return code;
    QrTransformedVertex* records = m_workBuffer.Records();
    for (uint32_t i = 0; i < triangleCount; ++i)
    {
        const uint16_t* t = indices + 3 * size_t{i};
        // An index past the vertices names no prepared record.
        if (t[0] >= vertexCount || t[1] >= vertexCount || t[2] >= vertexCount)
            continue;
        if (planes && !FacesEye(planes[i], eye))
            continue;
        QrTriangleRef& entry = m_triangles[m_triangleCount++];
        for (int k = 0; k < 3; ++k)
        {
            entry.corner[k] = &records[t[k]];
            records[t[k]].used = 1;
        }
    }
    code = PrepareVertices(bound, vertexCount, positions, normals, textureCoords, textureSets, colors);
    if (code != QrRenderCode::kOk)
        return code;
    return DrawPreparedTriangles();
}

uint32_t QrD3DDriver::RenderTriangles(const QrBound& bound, const QrPoint3& eye, uint32_t triangleCount,
                                      const QrPoint3* positions, const QrPoint3* normals, const QrPlane* planes,
                                      const QrPoint3* textureCoords, uint32_t textureSets, const QrColorA* colors)
{
    if (triangleCount == 0 || !positions)
        return QrRenderCode::kOk;
    const uint32_t vertexCount = 3 * triangleCount;
    uint32_t code = PrepareBuffers(vertexCount, triangleCount, true);
    if (code != QrRenderCode::kOk)
        return code;
    QrTransformedVertex* records = m_workBuffer.Records();
    for (uint32_t i = 0; i < triangleCount; ++i)
    {
        if (planes && !FacesEye(planes[i], eye))
            continue;
        QrTriangleRef& entry = m_triangles[m_triangleCount++];
        for (uint32_t k = 0; k < 3; ++k)
        {
            entry.corner[k] = &records[3 * i + k];
            records[3 * i + k].used = 1;
        }
    }
    code = PrepareVertices(bound, vertexCount, positions, normals, textureCoords, textureSets, colors);
    if (code != QrRenderCode::kOk)
        return code;
    return DrawPreparedTriangles();
}

uint32_t QrD3DDriver::RenderTristrips(const QrBound& bound, const QrPoint3& eye, uint32_t triangleCount,
                                      const QrPoint3* positions, const QrPoint3* normals, const QrPlane* planes,
                                      const QrPoint3* textureCoords, uint32_t textureSets, const QrColorA* colors)
{
    if (triangleCount == 0 || !positions)
        return QrRenderCode::kOk;
    const uint32_t vertexCount = triangleCount + 2;
    uint32_t code = PrepareBuffers(vertexCount, triangleCount, true);
    if (code != QrRenderCode::kOk)
        return code;
    QrTransformedVertex* records = m_workBuffer.Records();
    for (uint32_t k = 0; k < triangleCount; ++k)
    {
        if (planes && !FacesEye(planes[k], eye))
            continue;
        // Odd triangles swap their last two corners so that every one keeps the strip's winding.
        const uint32_t second = (k & 1) ? k + 2 : k + 1;
        const uint32_t third = (k & 1) ? k + 1 : k + 2;
        QrTriangleRef& entry = m_triangles[m_triangleCount++];
        entry.corner[0] = &records[k];
        entry.corner[1] = &records[second];
        entry.corner[2] = &records[third];
        records[k].used = records[k + 1].used = records[k + 2].used = 1;
    }
    code = PrepareVertices(bound, vertexCount, positions, normals, textureCoords, textureSets, colors);
    if (code != QrRenderCode::kOk)
        return code;
    return DrawPreparedTriangles();
}

uint32_t QrD3DDriver::RenderPoints(const QrBound& bound, uint32_t count, const QrPoint3* positions,
                                   const QrPoint3* normals, const QrColorA* colors, float pointSize)
{
    if (count == 0 || !positions)
        return QrRenderCode::kOk;
    uint32_t code = PrepareBuffers(count, 0, false);
    if (code != QrRenderCode::kOk)
        return code;
    QrTransformedVertex* records = m_workBuffer.Records();
    for (uint32_t i = 0; i < count; ++i)
    {
        // Points are not clipped: one on or outside any plane is dropped.
        uint8_t inside = 1;
        for (uint32_t j = 0; j < m_clipPlaneCount && inside; ++j)
        {
            const QrPlane& plane = *m_clipPlanes[j];
            const QrPoint3& n = plane.GetNormal();
            const QrPoint3& p = positions[i];
            inside = n.x * p.x + n.y * p.y + n.z * p.z - plane.GetConstant() > 0.0f ? 1 : 0;
        }
        records[i].used = inside;
    }
    code = PrepareVertices(bound, count, positions, normals, nullptr, 0, colors);
    if (code != QrRenderCode::kOk)
        return code;
    code = ApplyDrawDefaults();
    if (code != QrRenderCode::kOk)
        return code;
    ChooseClipInterpolator();
    QrD3DDevice& device = *m_device;
    if (device.BeginBatch(QrVertexBuffer::kModeTriangles) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    code = m_pointKernel(*this, records, count, pointSize);
    if (code != QrRenderCode::kOk)
        return code;
    device.VertexBuffer().Draw(device);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDriver::RenderLines(const QrBound& bound, uint32_t lineCount, const QrPoint3* positions,
                                  const QrPoint3* textureCoords, const QrColorA* colors)
{
    if (lineCount == 0 || !positions)
        return QrRenderCode::kOk;
    const uint32_t vertexCount = 2 * lineCount;
    uint32_t code = PrepareBuffers(vertexCount, 0, false);
    if (code != QrRenderCode::kOk)
        return code;
    QrTransformedVertex* records = m_workBuffer.Records();
    for (uint32_t i = 0; i < vertexCount; ++i)
        records[i].used = 1;
    code = PrepareVertices(bound, vertexCount, positions, nullptr, textureCoords, textureCoords ? 1 : 0, colors);
    if (code != QrRenderCode::kOk)
        return code;
    code = ApplyDrawDefaults();
    if (code != QrRenderCode::kOk)
        return code;
    ChooseClipInterpolator();
    QrD3DDevice& device = *m_device;
    if (device.BeginBatch(QrVertexBuffer::kModeLines) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    for (uint32_t k = 0; k < lineCount; ++k)
    {
        QrTransformedVertex& a = records[2 * k];
        QrTransformedVertex& b = records[2 * k + 1];
        code = m_clipPlaneCount ? QrClipLine(*this, a, b, 0) : m_lineKernel(*this, a, b);
        if (code != QrRenderCode::kOk)
            break;
    }
    device.VertexBuffer().Draw(device);
    return QrRenderCode::kOk;
}

uint32_t QrD3DDriver::RenderScreenPolygon(uint32_t count, const QrPoint3* vertices, const QrPoint3* textureCoords,
                                          const QrColorA* colors)
{
    if (count < 3 || !vertices)
        return QrRenderCode::kOk;
    for (uint32_t i = 0; i < count; ++i)
    {
        const QrPoint3& v = vertices[i];
        if (!(v.x >= 0.0f && v.x <= 1.0f && v.y >= 0.0f && v.y <= 1.0f))
            return QrRenderCode::kOk;
    }
    // Screen polygons are unlit: no highlight is added to them.
    m_specularSwitch = false;
    UpdateCamera();
    uint32_t code = ApplyDrawDefaults();
    if (code != QrRenderCode::kOk)
        return code;
    QrD3DDevice& device = *m_device;
    device.SetTwoSets(false);
    if (device.BeginBatch(QrVertexBuffer::kModeTriangles) != QrRenderCode::kOk)
        return QrRenderCode::kDrawFailed;
    code = QrEmitScreenPolygon(*this, vertices, textureCoords, colors, count);
    device.VertexBuffer().Draw(device);
    return code;
}
