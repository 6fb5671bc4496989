// The lighting half of QrTerrainPage: grid normals from the heights and pre-lit colours.

#include "QrTerrainPage.h"

#include "QrLight.h"
#include "QrMaterialProperty.h"

#include <cmath>
#include <memory>

namespace
{

QrPoint3 Product(const QrPoint3& a, const QrPoint3& b)
{
    return QrPoint3(a.x * b.x, a.y * b.y, a.z * b.z);
}

QrColorA Opaque(const QrPoint3& rgb)
{
    return QrColorA(rgb.x, rgb.y, rgb.z, 1.0f);
}

// base + diffuse * weight, opaque.
QrColorA Lit(const QrColorA& base, const QrColorA& diffuse, float weight)
{
    return QrColorA(base.r + diffuse.r * weight, base.g + diffuse.g * weight, base.b + diffuse.b * weight, 1.0f);
}

} // namespace

void QrTerrainPage::EnsureGridColors()
{
    if (m_gridColors)
        return;
    m_gridColors = std::make_unique<QrColorA[]>(m_gridVertexCount);
    BindAttributeArrays();
}

float QrTerrainPage::NeighbourHeight(QrTerrainPage* const* neighbours, int32_t column, int32_t row, uint32_t side) const
{
    const int32_t last = m_size - 1;
    const QrTerrainPage* page = neighbours ? neighbours[side] : nullptr;
    // Only a built page of the same size continues this one.
    if (page && page->m_size == m_size && page->m_heights)
    {
        switch (side)
        {
        case kNeighbourMinusY:
            return page->GetSampleHeight(uint32_t(column), uint32_t(last - 1));
        case kNeighbourPlusX:
            return page->GetSampleHeight(1, uint32_t(row));
        case kNeighbourPlusY:
            return page->GetSampleHeight(uint32_t(column), 1);
        default:
            return page->GetSampleHeight(uint32_t(last - 1), uint32_t(row));
        }
    }
    // No neighbour: continue the slope at the border, so the border difference becomes the
    // one-sided difference. A zero normal there would light a lake's edge flat, a seam in view.
    switch (side)
    {
    case kNeighbourMinusY:
        return 2.0f * GetSampleHeight(uint32_t(column), 0) - GetSampleHeight(uint32_t(column), 1);
    case kNeighbourPlusX:
        return 2.0f * GetSampleHeight(uint32_t(last), uint32_t(row)) -
               GetSampleHeight(uint32_t(last - 1), uint32_t(row));
    case kNeighbourPlusY:
        return 2.0f * GetSampleHeight(uint32_t(column), uint32_t(last)) -
               GetSampleHeight(uint32_t(column), uint32_t(last - 1));
    default:
        return 2.0f * GetSampleHeight(0, uint32_t(row)) - GetSampleHeight(1, uint32_t(row));
    }
}

void QrTerrainPage::ComputeNormals(QrTerrainPage* const* neighbours, QrPoint3* normals)
{
    if (m_size == 0)
        return;
    if (!normals)
    {
        if (!m_gridNormals)
        {
            m_gridNormals = std::make_unique<QrPoint3[]>(m_gridVertexCount);
            BindAttributeArrays();
        }
        normals = m_gridNormals.get();
    }
    const int32_t n = m_size;
    const int32_t last = n - 1;
    const float k = -0.5f * m_inverseSpacing;
    // Every vertex gets a central difference; a sample beyond the border comes from the page on
    // that side.
    const auto height = [&](int32_t column, int32_t row)
    {
        if (column < 0)
            return NeighbourHeight(neighbours, column, row, kNeighbourMinusX);
        if (column > last)
            return NeighbourHeight(neighbours, column, row, kNeighbourPlusX);
        if (row < 0)
            return NeighbourHeight(neighbours, column, row, kNeighbourMinusY);
        if (row > last)
            return NeighbourHeight(neighbours, column, row, kNeighbourPlusY);
        return GetSampleHeight(uint32_t(column), uint32_t(row));
    };
    for (int32_t row = 0; row < n; ++row)
    {
        for (int32_t column = 0; column < n; ++column)
        {
            const float dx = height(column + 1, row) - height(column - 1, row);
            const float dy = height(column, row + 1) - height(column, row - 1);
            QrPoint3 normal(k * dx, k * dy, 1.0f);
            const float length = normal.Length();
            normal = length > 1.0e-6f ? normal / length : QrPoint3();
            normals[row * n + column] = normal;
        }
    }
}

void QrTerrainPage::LightVertices(QrLight* light, QrMaterialProperty* material, QrTerrainPage* const* neighbours)
{
    if (!light || m_size == 0)
        return;
    if (!material)
        material = QrMaterialProperty::GetDefault();
    EnsureGridColors();
    std::unique_ptr<QrPoint3[]> temporary;
    QrPoint3* normals = m_gridNormals.get();
    if (!normals)
    {
        temporary = std::make_unique<QrPoint3[]>(m_gridVertexCount);
        normals = temporary.get();
    }
    ComputeNormals(neighbours, normals);

    const float dimmer = light->GetDimmer();
    const QrColorA base =
        Opaque(material->m_emissive + Product(material->m_ambient, light->GetAmbientColor()) * dimmer);
    const QrColorA diffuse = Opaque(Product(material->m_diffuse, light->GetDiffuseColor()) * dimmer);

    // The light into the page's model frame.
    const QrAVInstance* self = m_currentInstance;
    const QrMatrix3 transpose = self->m_worldRotate.Transpose();
    QrPoint3 position = transpose.TimesPoint(light->GetWorldPosition() - self->m_worldTranslate);
    if (self->m_worldScale != 0.0f)
        position.DivideScalar(self->m_worldScale);
    const QrPoint3 direction = transpose.TimesPoint(light->GetWorldDirection());

    switch (light->GetType())
    {
    case QrLight::kDirectional:
        LightDirectional(base, diffuse, direction, normals);
        break;
    case QrLight::kPoint:
        LightPoint(base, diffuse, position, normals);
        break;
    case QrLight::kSpot:
        LightSpot(base, diffuse, position, direction, light->GetSpotAngle() * QrLight::kDegreesToRadians, normals);
        break;
    default:
        LightAmbient(base);
        break;
    }
}

void QrTerrainPage::LightAmbient(const QrColorA& base)
{
    for (uint32_t v = 0; v < m_gridVertexCount; ++v)
        m_gridColors[v] = base;
}

void QrTerrainPage::LightDirectional(const QrColorA& base, const QrColorA& diffuse, const QrPoint3& direction,
                                     const QrPoint3* normals)
{
    // The direction is the way the light travels.
    for (uint32_t v = 0; v < m_gridVertexCount; ++v)
    {
        const float f = -direction.Dot(normals[v]);
        m_gridColors[v] = f > 0.0f ? Lit(base, diffuse, f) : base;
    }
}

void QrTerrainPage::LightPoint(const QrColorA& base, const QrColorA& diffuse, const QrPoint3& position,
                               const QrPoint3* normals)
{
    // No distance attenuation: the cosine of incidence only. Borders too: an unwritten border
    // keeps a stale or black colour along the page's edge.
    for (uint32_t v = 0; v < m_gridVertexCount; ++v)
    {
        const QrPoint3 toLight = position - GridPosition(v);
        const float f = toLight.Dot(normals[v]);
        m_gridColors[v] = f > 0.0f ? Lit(base, diffuse, f / toLight.Length()) : base;
    }
}

void QrTerrainPage::LightSpot(const QrColorA& base, const QrColorA& diffuse, const QrPoint3& position,
                              const QrPoint3& direction, float spotAngle, const QrPoint3* normals)
{
    const float cosine = std::cos(spotAngle);
    const float sine = std::sin(spotAngle);
    const float cos2 = cosine * cosine;
    const float sin2 = sine * sine;
    // Borders too, as the point light does.
    for (uint32_t v = 0; v < m_gridVertexCount; ++v)
    {
        // 1 on the axis, 0 at the cone's edge, times the cosine of incidence.
        const QrPoint3 toLight = position - GridPosition(v);
        const float q = toLight.Dot(direction);
        const float length2 = toLight.Dot(toLight);
        float weight = 0.0f;
        if (q < 0.0f)
        {
            const float u = q * q - length2 * cos2;
            const float f = toLight.Dot(normals[v]);
            const float denominator = std::sqrt(length2) * q * q * sin2;
            if (u >= 0.0f && f > 0.0f && denominator > 0.0f)
                weight = u * f / denominator;
        }
        m_gridColors[v] = Lit(base, diffuse, weight);
    }
}
