#include "qrxSkyDome.h"

#include "qrxSkyCamAction.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrMatrix3.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <array>
#include <cmath>

QR_IMPLEMENT_RTTI(qrxSkyDome, QrNode)

namespace
{

constexpr uint16_t kSectorVertices = 13;
constexpr uint16_t kSectorTriangles = 8;
constexpr int kSectors = 5;
// Heights of the rings: the pole, the cap ring, the middle ring and the rim.
constexpr double kCapZ = 0.85065;
constexpr double kMiddleZ = 0.447213;

// One sector's vertices as (angle in degrees, ring height); the sector k turns them by 72 k.
// Vertices repeat within and between sectors so that every sector is laid out alike.
constexpr double kSectorLayout[kSectorVertices][2] = {
    {72, kCapZ}, {0, kCapZ}, {0, 1.0},       {36, kMiddleZ}, {0, kMiddleZ}, {72, kMiddleZ}, {18, 0},
    {-18, 0},    {54, 0},    {36, kMiddleZ}, {72, kMiddleZ}, {18, 0},       {0, kMiddleZ},
};
// Wound so that (b - a) x (c - b) points into the dome, toward the camera inside it.
constexpr uint16_t kSectorIndices[kSectorTriangles * 3] = {
    0, 1, 2, 3, 4, 1, 0, 3, 1, 5, 3, 0, 6, 7, 4, 8, 9, 10, 11, 12, 9, 8, 11, 9,
};

struct DomeTables
{
    std::array<QrPoint3, qrxSkyDome::kVertexCount> vertices;
    // Seen from above: u = 0.5 + x / 2, v = 0.5 - y / 2.
    std::array<QrPoint3, qrxSkyDome::kVertexCount> textureCoords;
    std::array<QrColorA, qrxSkyDome::kVertexCount> colors;
    std::array<uint16_t, qrxSkyDome::kTriangleCount * 3> indices;

    DomeTables()
    {
        const double degree = 3.14159265358979323846 / 180.0;
        for (int k = 0; k < kSectors; ++k)
        {
            for (uint16_t i = 0; i < kSectorVertices; ++i)
            {
                const double angle = (kSectorLayout[i][0] + 72.0 * k) * degree;
                const double z = kSectorLayout[i][1];
                const double r = std::sqrt(std::max(0.0, 1.0 - z * z));
                const size_t n = size_t(k * kSectorVertices + i);
                vertices[n] = QrPoint3(float(r * std::cos(angle)), float(r * std::sin(angle)), float(z));
                textureCoords[n] = QrPoint3(0.5f + vertices[n].x * 0.5f, 0.5f - vertices[n].y * 0.5f, 1.0f);
                colors[n] = QrColorA(1.0f, 1.0f, 1.0f, 1.0f);
            }
            for (uint16_t j = 0; j < kSectorTriangles * 3; ++j)
                indices[size_t(k * kSectorTriangles * 3 + j)] = uint16_t(kSectorIndices[j] + k * kSectorVertices);
        }
    }
};

const DomeTables& Tables()
{
    static const DomeTables tables;
    return tables;
}

uint32_t g_skyTextureMode = 1;

// [0, 1]; a value that is not a number counts as 0.
float Limit01(float value)
{
    return value > 0.0f ? std::min(value, 1.0f) : 0.0f;
}

} // namespace

const QrPoint3* qrxSkyDome::GetUnitVertices()
{
    return Tables().vertices.data();
}

const uint16_t* qrxSkyDome::GetTriangleIndices()
{
    return Tables().indices.data();
}

void qrxSkyDome::SetTextureMode(uint32_t mode)
{
    g_skyTextureMode = mode;
}

uint32_t qrxSkyDome::GetTextureMode()
{
    return g_skyTextureMode;
}

qrxSkyDome::qrxSkyDome(float radius) : m_radius(radius)
{
    const DomeTables& tables = Tables();
    m_geometry = new QrTriShape(kVertexCount, tables.vertices.data(), nullptr, kTriangleCount, tables.indices.data(),
                                tables.textureCoords.data(), tables.colors.data());
    AttachChild(m_geometry.Get());
    // A low dome: the sky is drawn far less high than wide.
    QrMatrix3 flatten;
    flatten.MakeIdentity();
    flatten.m[2][2] = 0.2f;
    ApplyTransform(flatten, QrPoint3(0.0f, 0.0f, 0.0f), false);
    // The tables stand on z; the scene's up is y.
    SetRotate(float(3.14159265358979323846 / 2.0), 1.0f, 0.0f, 0.0f);
    SetScale(std::fabs(m_radius));

    // Drawn first, behind everything, without touching the depth buffer.
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 0;
    depth->m_write = 0;
    AttachProperty(depth.Get());
    QrPointer<QrAlphaProperty> alpha(new QrAlphaProperty);
    alpha->m_enabled = 1;
    alpha->m_source = 6;
    alpha->m_destination = 7;
    AttachProperty(alpha.Get());
    QrPointer<QrVertexColorProperty> vertexColor(new QrVertexColorProperty);
    vertexColor->m_mode = 1;
    AttachProperty(vertexColor.Get());
    m_textureMode = new QrTextureModeProperty;
    m_textureMode->m_applyMode = QrTextureModeProperty::kApplyModulateAlpha;
    m_textureMode->m_filterMode = g_skyTextureMode;
    m_textureMode->m_clampMode = QrTextureModeProperty::kWrapBoth;
    AttachProperty(m_textureMode.Get());

    SetBrightness(1.0f);
    SetAlpha(0.0f);
    m_camAction = new qrxSkyCamAction(this);
    UpdateAllInstances();
}

qrxSkyDome::~qrxSkyDome()
{
    // The camera may keep the action on its list after the dome is gone.
    if (m_camAction)
        m_camAction->m_dome = nullptr;
}

void qrxSkyDome::AttachTexture(QrPointer<QrTextureProperty>& slot, bool& attached)
{
    if (!slot || attached)
        return;
    AttachProperty(slot.Get());
    attached = true;
}

void qrxSkyDome::DetachTexture(QrPointer<QrTextureProperty>& slot, bool& attached)
{
    if (slot && attached)
        DetachProperty(slot.Get());
    attached = false;
}

void qrxSkyDome::SetBlend(float blend)
{
    if (blend == m_blend)
        return;
    m_blend = blend;
    if (blend >= 0.5f)
    {
        DetachTexture(m_first, m_firstAttached);
        AttachTexture(m_second, m_secondAttached);
    }
    else
    {
        DetachTexture(m_second, m_secondAttached);
        AttachTexture(m_first, m_firstAttached);
    }
}

void qrxSkyDome::SetFirstProperty(QrTextureProperty* property)
{
    DetachTexture(m_first, m_firstAttached);
    m_first = property;
    if (m_blend < 0.5f)
        AttachTexture(m_first, m_firstAttached);
}

void qrxSkyDome::SetSecondProperty(QrTextureProperty* property)
{
    DetachTexture(m_second, m_secondAttached);
    m_second = property;
    if (m_blend >= 0.5f)
        AttachTexture(m_second, m_secondAttached);
}

void qrxSkyDome::AttachToCamera(QrCamera* camera)
{
    if (camera)
        camera->AttachObject(m_camAction.Get());
}

void qrxSkyDome::SetScaleFactor(float factor)
{
    m_scaleFactor = factor;
    SetScale(std::fabs(factor * m_radius));
}

QrColorA* qrxSkyDome::Colors()
{
    return m_geometry->GetColors();
}

void qrxSkyDome::SetAlpha(float alpha)
{
    m_alpha = Limit01(alpha);
    QrColorA* colors = Colors();
    for (uint16_t i = 0; i < kVertexCount; ++i)
        colors[i].a = m_alpha;
}

void qrxSkyDome::SetBrightness(float brightness)
{
    m_brightness = Limit01(brightness);
    QrColorA* colors = Colors();
    for (uint16_t i = 0; i < kVertexCount; ++i)
        colors[i].r = colors[i].g = colors[i].b = m_brightness;
}
