#include "tovWater.h"

#include "qrxWaveGrid.h"
#include "tovWaterFollowAction.h"

#include "tovAppServices.h"
#include "tovInstallSettings.h"
#include "tovUserProfile.h"

#include "qrxAnimatedTextureProperty.h"
#include "qrxIdleManager.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrCorrectionProperty.h"
#include "QrMaterialProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"

#include <algorithm>
#include <cmath>

QR_IMPLEMENT_RTTI(tovWater, QrNode)

namespace
{
constexpr float kWavePeriod = 2.0f;
constexpr float kStartAmplitude = 1.0f;
constexpr float kFrameInterval = 0.05f;
constexpr int32_t kFrameCount = 8;
// Tile side and origin of each ring, in patch sizes: each ring's open centre is the next finer one.
constexpr float kRingTile[tovWater::kRingCount] = {4.0f, 12.0f, 36.0f};
constexpr float kRingOrigin[tovWater::kRingCount] = {-4.0f, -16.0f, -52.0f};
// How far under the troughs (over the crests below water) each ring sits, in wave radii.
constexpr float kRingDepth[tovWater::kRingCount] = {1.1f, 1.2f, 1.3f};
const QrColorA kLayerColor(1.0f, 1.0f, 1.0f, 0.85f);
} // namespace

bool tovWater::IsTransparencyAllowed()
{
    const double detail = double(TheUserProfile().GetDetail());
    const int32_t level = std::isfinite(detail) ? int32_t(std::clamp(std::trunc(detail * 15.0), -1.0, 100.0)) : 0;
    return level >= 2 && (level >= 8 || !GetAppServices().IsSoftwareRendering());
}

tovWater::tovWater(int32_t n, float spacing, qrxIdleManager* textureIdle)
    : m_cells(n), m_patchSize(float(n) * spacing), m_spacing(spacing)
{
    SetName("tovWater");
    const bool transparent = IsTransparencyAllowed();
    m_grid = qrxWaveGrid::Create(n, n, spacing, spacing, kStartAmplitude);
    if (m_grid)
    {
        m_grid->SetWavePeriod(kWavePeriod);
        m_grid->SetAlphaFlag(transparent);
        m_grid->UpdateWaves(0.0);
    }
    AttachSurfaceProperties(transparent, textureIdle);
    if (m_grid)
    {
        for (int32_t r = 0; r < kPatchSide; ++r)
            for (int32_t c = 0; c < kPatchSide; ++c)
            {
                QrPointer<QrNode> patch(new QrNode);
                patch->AttachChild(m_grid.Get());
                patch->SetTranslate(float(c) * m_patchSize, 0.0f, float(r) * m_patchSize);
                m_patches[size_t(kPatchSide * r + c)] = patch;
                AttachChild(patch.Get());
            }
        m_layerAlpha = new QrAlphaProperty;
        m_layerAlpha->m_enabled = transparent ? 1 : 0;
        m_layerAlpha->m_source = 6;
        m_layerAlpha->m_destination = 7;
        for (int32_t k = 0; k < kRingCount; ++k)
            BuildRing(k);
    }
    UpdateAllInstances();
    m_follow = new tovWaterFollowAction(this);
}

tovWater::~tovWater()
{
    // A camera may keep the action alive after the water is gone.
    if (m_follow)
        m_follow->SetWater(nullptr);
    if (m_texture)
        m_texture->LeaveManagers();
}

void tovWater::AttachSurfaceProperties(bool transparent, qrxIdleManager* textureIdle)
{
    QrPointer<QrVertexColorProperty> vertexColor(new QrVertexColorProperty);
    vertexColor->m_mode = 5;
    AttachProperty(vertexColor.Get());
    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    material->m_ambient = QrPoint3(0.0f, 0.0f, 0.5f);
    material->m_diffuse = QrPoint3(1.0f, 1.0f, 1.0f);
    material->m_specular = QrPoint3(1.0f, 1.0f, 1.0f);
    material->m_emissive = QrPoint3(0.0f, 0.0f, 0.0f);
    AttachProperty(material.Get());
    QrPointer<QrTextureModeProperty> mode(new QrTextureModeProperty);
    mode->m_applyMode = QrTextureModeProperty::kApplyModulateAlpha;
    mode->m_filterMode = transparent ? 1 : 0;
    mode->m_clampMode = QrTextureModeProperty::kWrapBoth;
    AttachProperty(mode.Get());
    m_texture = new qrxAnimatedTextureProperty;
    m_texture->MakeFrameFormat(0, kFrameCount - 1, 1, 2);
    m_texture->SetFrames(DataFilePath("testmap.bmp").c_str(), true);
    m_texture->SetFrameInterval(kFrameInterval);
    m_texture->SetRunning(0);
    if (textureIdle)
        textureIdle->Add(m_texture.Get());
    AttachProperty(m_texture.Get());
    QrPointer<QrCorrectionProperty> correction(new QrCorrectionProperty);
    correction->m_enabled = 1;
    AttachProperty(correction.Get());
}

QrPointer<QrTriShape> tovWater::MakeRingMesh(float tile) const
{
    const float repeats = tile / m_patchSize;
    const QrPoint3 vertices[4] = {{0.0f, 0.0f, 0.0f}, {tile, 0.0f, 0.0f}, {tile, 0.0f, tile}, {0.0f, 0.0f, tile}};
    const uint16_t indices[6] = {0, 3, 1, 1, 3, 2};
    const QrPoint3 uv[4] = {{0.0f, 0.0f, 0.0f}, {0.0f, repeats, 0.0f}, {repeats, repeats, 0.0f}, {repeats, 0.0f, 0.0f}};
    const QrColorA colors[4] = {kLayerColor, kLayerColor, kLayerColor, kLayerColor};
    QrPointer<QrTriShape> mesh(new QrTriShape(4, vertices, nullptr, 2, indices, uv, colors));
    mesh->CalculateNormals();
    mesh->AttachProperty(m_layerAlpha.Get());
    return mesh;
}

void tovWater::BuildRing(int32_t k)
{
    const float tile = kRingTile[k] * m_patchSize;
    const float origin = kRingOrigin[k] * m_patchSize;
    m_ringMeshes[size_t(k)] = MakeRingMesh(tile);
    size_t t = 0;
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t j = 0; j < 3; ++j)
        {
            if (i == 1 && j == 1)
                continue;
            QrPointer<QrNode> node(new QrNode);
            node->AttachChild(m_ringMeshes[size_t(k)].Get());
            node->SetTranslate(origin + float(i) * tile, 0.0f, origin + float(j) * tile);
            m_ringNodes[size_t(k)][t++] = node;
            AttachChild(node.Get());
        }
}

QrNode* tovWater::GetPatch(int32_t index) const
{
    return index >= 0 && index < kPatchSide * kPatchSide ? m_patches[size_t(index)].Get() : nullptr;
}

QrNode* tovWater::GetRingNode(int32_t k, int32_t t) const
{
    if (k < 1 || k > kRingCount || t < 0 || t >= kRingTiles)
        return nullptr;
    return m_ringNodes[size_t(k - 1)][size_t(t)].Get();
}

QrTriShape* tovWater::GetRingMesh(int32_t k) const
{
    return k >= 1 && k <= kRingCount ? m_ringMeshes[size_t(k - 1)].Get() : nullptr;
}

void tovWater::Update(double, double elapsed)
{
    if (m_active && m_grid)
        m_grid->UpdateWaves(elapsed);
}

void tovWater::SetActive(bool on)
{
    if (m_grid && !on && m_active)
    {
        SetWaveScale(0.0f);
        m_grid->UpdateWaves(0.01);
    }
    m_active = on ? 1 : 0;
}

void tovWater::SetWavePeriod(float seconds)
{
    m_grid->SetWavePeriod(seconds);
}

void tovWater::SetWaveScale(float a)
{
    if (!m_grid)
        return;
    m_grid->SetWaveAmount(a);
    SetRingHeights(a, m_below != 0);
}

void tovWater::SetRingHeights(float a, bool below)
{
    for (int32_t k = 0; k < kRingCount; ++k)
        SetRingHeight(k, kRingDepth[k] * a, below);
}

void tovWater::SetRingHeight(int32_t k, float h, bool below)
{
    for (const QrPointer<QrNode>& node : m_ringNodes[size_t(k)])
    {
        if (!node)
            continue;
        node->GetTranslate().y = below ? h : -h;
        node->UpdateAllInstances();
    }
}

void tovWater::SetAlphaFlag(bool on)
{
    if (m_grid)
        m_grid->SetAlphaFlag(on);
    if (m_layerAlpha)
        m_layerAlpha->m_enabled = on ? 1 : 0;
}

void tovWater::AttachToCamera(QrCamera* camera)
{
    if (camera)
        camera->AttachObject(m_follow.Get());
}

void tovWater::SetUnderwater(bool below)
{
    if (uint8_t(below) == m_below)
        return;
    m_below = below ? 1 : 0;
    FlipWinding();
    if (m_grid)
        SetRingHeights(m_grid->GetWaveAmount(), below);
}

void tovWater::FlipWinding()
{
    if (m_grid)
        m_grid->FlipWinding();
    for (const QrPointer<QrTriShape>& mesh : m_ringMeshes)
    {
        if (!mesh)
            continue;
        mesh->ReverseWinding();
        mesh->CalculateNormals();
        mesh->MarkVerticesChanged();
        mesh->UpdateAllInstances();
    }
}

void tovWater::Recentre(const QrPoint3& p)
{
    if (!m_grid || !std::isfinite(p.x) || !std::isfinite(p.z))
        return;
    const float s = m_patchSize;
    const float x0 = std::floor(p.x / s) * s - 1.5f * s;
    const float z0 = std::floor(p.z / s) * s - 1.5f * s;
    QrPoint3& t = GetTranslate();
    if (t.x == x0 && t.z == z0)
        return;
    t = QrPoint3(x0, 0.0f, z0);
    UpdateAllInstances();
}
