#include "tovWake.h"

#include "tovAppServices.h"
#include "tovUserProfile.h"

#include "QrAlphaProperty.h"
#include "QrColorA.h"
#include "QrMatrix3.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

QR_IMPLEMENT_RTTI(tovWake, QrNode)

namespace
{
const QrPoint3 kUnitQuad[4] = {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}};
const QrPoint3 kQuadTexture[4] = {{0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
const QrColorA kWhite[4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
const uint16_t kAboveIndices[6] = {2, 1, 0, 0, 3, 2};

constexpr float kHeightAbove = -0.005f;
constexpr float kMoving = 0.01f;
constexpr double kTileInterval = 0.5;
constexpr float kTileDistance = 0.04f;
constexpr float kMaxSpread = 0.45f;
constexpr float kFullSpread = 0.315f;
constexpr float kFadeSpan = 0.13499999f;
constexpr float kStopFade = 0.8f;
constexpr float kDropAlpha = 0.02f;

// Vertex roles: 1 and 2 the near edge (toward the boat), 0 and 3 the far edge; 0 and 1 on the
// boat's +x side, 2 and 3 on its -x side, so that the above-water list faces up.
void SetEdgeAlpha(QrTriShape* shape, float nearAlpha, float farAlpha)
{
    QrColorA* colours = shape->GetColors();
    colours[1].a = nearAlpha;
    colours[2].a = nearAlpha;
    colours[0].a = farAlpha;
    colours[3].a = farAlpha;
}

void SetAllAlpha(QrTriShape* shape, float alpha)
{
    SetEdgeAlpha(shape, alpha, alpha);
}

QrTriShape* MakeQuad()
{
    return new QrTriShape(4, kUnitQuad, nullptr, 2, kAboveIndices, kQuadTexture, kWhite);
}

bool TextureFiltered()
{
    const int level = int(15.0f * TheUserProfile().GetDetail());
    return level >= 2 && (level >= 8 || !GetAppServices().IsSoftwareRendering());
}
} // namespace

tovWake::tovWake()
{
    for (QrPointer<QrTriShape>& tile : m_tiles)
    {
        tile = MakeQuad();
        tile->SetAppCulled(1);
        SetAllAlpha(tile.Get(), 0.0f);
        AttachChild(tile.Get());
    }
    m_stern = MakeQuad();
    m_stern->SetAppCulled(1);
    SetAllAlpha(m_stern.Get(), 0.0f);
    AttachChild(m_stern.Get());

    QrPointer<QrZBufferProperty> zBuffer(new QrZBufferProperty);
    zBuffer->m_test = 1;
    zBuffer->m_write = 0;
    AttachProperty(zBuffer.Get());
    QrPointer<QrAlphaProperty> alpha(new QrAlphaProperty);
    alpha->m_enabled = 1;
    alpha->m_source = 6;
    alpha->m_destination = 7;
    AttachProperty(alpha.Get());
    QrPointer<QrVertexColorProperty> vertexColour(new QrVertexColorProperty);
    vertexColour->m_mode = 1;
    AttachProperty(vertexColour.Get());
    QrPointer<QrTextureModeProperty> textureMode(new QrTextureModeProperty);
    textureMode->m_applyMode = QrTextureModeProperty::kApplyModulateAlpha;
    textureMode->m_clampMode = QrTextureModeProperty::kWrapBoth;
    textureMode->m_filterMode = TextureFiltered() ? 1 : 0;
    AttachProperty(textureMode.Get());

    SetTranslate(0.0f, kHeightAbove, 0.0f);
    for (float& t : m_transparency)
        t = 1.0f;
    UpdateAllInstances();
}

tovWake::~tovWake() = default;

QrTriShape* tovWake::GetTile(int32_t i) const
{
    return i >= 0 && i < kTileCount ? m_tiles[i].Get() : nullptr;
}

float tovWake::GetTransparency(int32_t i) const
{
    return i >= 0 && i < kTileCount ? m_transparency[i] : 0.0f;
}

void tovWake::SetTexture(QrTextureProperty* texture)
{
    if (m_texture)
        DetachProperty(m_texture.Get());
    m_texture = texture;
    if (m_texture)
        AttachProperty(m_texture.Get());
}

void tovWake::HideTile(int32_t i)
{
    m_tiles[i]->SetAppCulled(1);
    m_transparency[i] = 1.0f;
    SetAllAlpha(m_tiles[i].Get(), 0.0f);
}

void tovWake::SetPerformance(float performance)
{
    const float p = std::clamp(std::isfinite(performance) ? performance : 0.0f, 0.0f, 1.0f);
    m_performance = p;
    m_spreadFactor = 2.0f - p;
    const int32_t available = kMinTiles + int32_t(15.0f * p);
    if (available < m_available)
    {
        for (int32_t i = available; i < m_available; ++i)
            HideTile(i);
        // The strip keeps its newest tiles, and the ring stays within its slots.
        m_inUse = std::min(m_inUse, available);
        if (m_newest >= available)
            m_newest = available - 1;
    }
    m_available = available;
}

void tovWake::SetEnabled(bool enabled)
{
    m_enabled = enabled ? 1 : 0;
    if (enabled)
        return;
    for (int32_t i = 0; i < kTileCount; ++i)
    {
        m_tiles[i]->SetAppCulled(1);
        SetAllAlpha(m_tiles[i].Get(), 0.0f);
    }
    m_stern->SetAppCulled(1);
    m_accumulated = 0.0;
    m_inUse = 0;
}

void tovWake::SetUnderwater(bool aboveWater)
{
    const uint8_t above = aboveWater ? 1 : 0;
    if (above == m_aboveWater)
        return;
    m_aboveWater = above;
    m_translate.y = above ? kHeightAbove : -kHeightAbove;
    // The lists of the two sides are each other's reverse.
    for (QrPointer<QrTriShape>& tile : m_tiles)
        tile->ReverseWinding();
    RefreshVisibility();
    UpdateAllInstances();
}

void tovWake::SetTileAlpha(int32_t tile, float alpha)
{
    if (tile < 0 || tile >= kTileCount)
        return;
    SetAllAlpha(m_tiles[tile].Get(), std::clamp(alpha, 0.0f, 1.0f));
}

void tovWake::MoveOrigin(const QrPoint3& shift)
{
    for (QrPointer<QrTriShape>& tile : m_tiles)
        for (int j = 0; j < 4; ++j)
            tile->GetVertices()[j] += shift;
    for (int j = 0; j < 4; ++j)
        m_stern->GetVertices()[j] += shift;
    m_lastPosition += shift;
    RefreshVisibility();
    UpdateAllInstances();
}

int32_t tovWake::TileFromNewest(int32_t k) const
{
    return ((m_newest - k) % m_available + m_available) % m_available;
}

tovWake::Stern tovWake::SternPoints(const QrPoint3& position, const QrMatrix3& orientation) const
{
    const float nv = m_normalisedVelocity;
    const float w = m_narrowing ? 0.027f - 0.019f * nv : 0.027f;
    const float nearZ = -0.048f - 0.012f * nv;
    const float farZ = -0.06f - 0.025f * nv;
    Stern s;
    s.nearLeft = position + orientation.TimesPoint({w, 0.0f, nearZ});
    s.nearRight = position + orientation.TimesPoint({-w, 0.0f, nearZ});
    s.farLeft = position + orientation.TimesPoint({w, 0.0f, farZ});
    s.farRight = position + orientation.TimesPoint({-w, 0.0f, farZ});
    return s;
}

void tovWake::Spread(double elapsed)
{
    for (int32_t k = 0; k < m_inUse; ++k)
    {
        const int32_t i = TileFromNewest(k);
        QrPoint3* v = m_tiles[i]->GetVertices();
        if (k > 0)
        {
            const QrPoint3* newer = m_tiles[TileFromNewest(k - 1)]->GetVertices();
            v[1] = newer[0];
            v[2] = newer[3];
        }
        QrPoint3 u(v[0].x - v[3].x, 0.0f, v[0].z - v[3].z);
        const float length = u.Unitize();
        const float g = float(m_spreadRate * (elapsed * 0.5) * length);
        if (length <= kMaxSpread)
        {
            v[0] += u * g;
            v[3] += u * -g;
        }
        const float spread = length + g;
        if (spread <= kFullSpread)
        {
            if (m_velocity > kMoving)
                m_transparency[i] = 1.0f;
        }
        else
        {
            const float t = 1.0f - (spread - kFullSpread) / kFadeSpan;
            m_transparency[i] = spread > kMaxSpread || t < 0.0f ? 0.0f : t;
        }
    }
}

void tovWake::Fade()
{
    if (m_velocity >= kMoving)
    {
        const float a = float(std::min(1.0, 2.0 * m_accumulated));
        // A single young tile would leave nothing to divide by.
        const float span = std::max(float(m_inUse) - a, 1.0f);
        float nearAlpha = 1.0f;
        for (int32_t k = 0; k < m_inUse; ++k)
        {
            const int32_t i = TileFromNewest(k);
            const float farAlpha = std::max(0.0f, (1.0f - float(k + 1) / span) * m_transparency[i]);
            SetEdgeAlpha(m_tiles[i].Get(), std::max(0.0f, nearAlpha), farAlpha);
            nearAlpha = farAlpha;
        }
        SetEdgeAlpha(m_stern.Get(), 0.0f, 1.0f);
        return;
    }
    int32_t dropped = 0;
    for (int32_t k = 0; k < m_inUse; ++k)
    {
        QrColorA* colours = m_tiles[TileFromNewest(k)]->GetColors();
        for (int j = 0; j < 4; ++j)
            colours[j].a *= kStopFade;
        if (colours[1].a < kDropAlpha)
            ++dropped;
    }
    QrColorA* stern = m_stern->GetColors();
    for (int j = 0; j < 4; ++j)
        stern[j].a *= kStopFade;
    m_inUse -= dropped;
}

void tovWake::LayTile(const Stern& stern, const QrMatrix3& orientation)
{
    const int32_t previous = m_inUse > 0 ? m_newest : -1;
    const int32_t slot = m_inUse > 0 ? (m_newest + 1) % m_available : 0;
    QrPoint3* v = m_tiles[slot]->GetVertices();
    v[1] = stern.nearLeft;
    v[2] = stern.nearRight;
    if (m_inUse >= 2 && previous >= 0)
    {
        const QrPoint3* older = m_tiles[previous]->GetVertices();
        v[0] = older[1];
        v[3] = older[2];
    }
    else
    {
        const QrPoint3 back = orientation.TimesPoint({0.0f, 0.0f, -0.005f});
        v[0] = stern.nearLeft + back;
        v[3] = stern.nearRight + back;
    }
    m_transparency[slot] = 1.0f;
    SetAllAlpha(m_tiles[slot].Get(), 1.0f);
    m_tiles[slot]->SetAppCulled(0);
    m_newest = slot;
    m_inUse = std::min(m_inUse + 1, m_available);
}

void tovWake::RefreshVisibility()
{
    if (m_newest < 0)
        return;
    for (int32_t k = 0; k < m_available; ++k)
    {
        QrTriShape* tile = m_tiles[TileFromNewest(k)].Get();
        if (k < m_inUse)
        {
            tile->SetAppCulled(0);
            tile->UpdateTrianglePlanes();
            tile->CalculateNormalsFromPlanes();
            tile->MarkVerticesChanged();
        }
        else
            tile->SetAppCulled(1);
    }
    m_stern->SetAppCulled(m_inUse > 0 ? 0 : 1);
    if (m_inUse > 0)
    {
        m_stern->UpdateTrianglePlanes();
        m_stern->CalculateNormalsFromPlanes();
        m_stern->MarkVerticesChanged();
    }
}

void tovWake::Update(double elapsed, const QrPoint3& position, const QrMatrix3& orientation, float velocity,
                     float normalisedVelocity)
{
    if (!m_enabled)
    {
        m_lastPosition = position;
        return;
    }
    m_accumulated += elapsed;
    m_velocity = velocity;
    m_normalisedVelocity = normalisedVelocity;
    m_spreadRate = (normalisedVelocity + 0.5f) * m_spreadFactor;
    Spread(elapsed);
    Fade();
    const float distance = (position - m_lastPosition).Length();

    const Stern stern = SternPoints(position, orientation);
    QrPoint3* patch = m_stern->GetVertices();
    patch[1] = stern.nearLeft;
    patch[2] = stern.nearRight;
    patch[0] = stern.farLeft;
    patch[3] = stern.farRight;
    if ((m_accumulated > kTileInterval || distance > kTileDistance || m_inUse == 0) && velocity > kMoving)
    {
        m_accumulated = 0.0;
        LayTile(stern, orientation);
    }
    else if (m_inUse > 0)
    {
        QrPoint3* v = m_tiles[m_newest]->GetVertices();
        v[1] = stern.nearLeft;
        v[2] = stern.nearRight;
    }
    RefreshVisibility();
    UpdateAllInstances();
    m_lastPosition = position;
}

std::string tovWake::DebugDump(int line) const
{
    const auto yesNo = [](bool b) { return b ? "TRUE" : "FALSE"; };
    const bool haveTile = m_inUse > 0 && m_newest >= 0;
    char text[96];
    switch (line)
    {
    case 0:
        std::snprintf(text, sizeof text, "Total tiles available : %d", int(m_available));
        break;
    case 1:
        std::snprintf(text, sizeof text, "Num tiles in use : %d", int(m_inUse));
        break;
    case 2:
        std::snprintf(text, sizeof text, "First wake tile index : %d", int(m_newest));
        break;
    case 3:
        std::snprintf(text, sizeof text, "Zeroth wake tile culled? : %s", yesNo(m_stern->GetAppCulled()));
        break;
    case 4:
        if (haveTile)
            std::snprintf(text, sizeof text, "First wake tile culled? : %s", yesNo(m_tiles[m_newest]->GetAppCulled()));
        else
            std::snprintf(text, sizeof text, "First wake tile culled? : N/A");
        break;
    case 5:
        if (haveTile)
            std::snprintf(text, sizeof text, "First wake tile xpncy modifier? : %.4f",
                          double(m_transparency[m_newest]));
        else
            std::snprintf(text, sizeof text, "First wake tile xpncy modifier? : N/A");
        break;
    case 6:
        std::snprintf(text, sizeof text, "Current velocity : %.4f", double(m_velocity));
        break;
    case 7:
        std::snprintf(text, sizeof text, "Current normalized velocity : %.4f", double(m_normalisedVelocity));
        break;
    case 8:
        std::snprintf(text, sizeof text, "Wake speed : %.4f", double(m_wakeSpeed));
        break;
    case 9:
        std::snprintf(text, sizeof text, "Wake length : %.4f", double(m_wakeLength));
        break;
    case 10:
        std::snprintf(text, sizeof text, "Wake spread rate : %.4f", double(m_spreadRate));
        break;
    case 11:
        std::snprintf(text, sizeof text, "Above water? : %s", yesNo(m_aboveWater != 0));
        break;
    case 12:
        std::snprintf(text, sizeof text, "Accumalated time delta : %.4f", m_accumulated);
        break;
    case 13:
        std::snprintf(text, sizeof text, "Performance modifier : %.4f", double(m_performance));
        break;
    default:
        std::snprintf(text, sizeof text, "ERROR : %d", line);
        break;
    }
    return text;
}
