#include "QrDisplay.h"

#include "QrAVObject.h"
#include "QrAlphaProperty.h"
#include "QrCorrectionProperty.h"
#include "QrDitherProperty.h"
#include "QrFogProperty.h"
#include "QrImage.h"
#include "QrLight.h"
#include "QrMaterialProperty.h"
#include "QrMultiTextureProperty.h"
#include "QrRender.h"
#include "QrShadeProperty.h"
#include "QrSpecularProperty.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTransparentProperty.h"
#include "QrVertexColorProperty.h"
#include "QrWireframeProperty.h"
#include "QrZBufferProperty.h"

#include <utility>

// Deferred records belong to the camera; until that class is part of the build no record
// can exist, so the record entry point has nothing to draw.
#include "QrSortedDrawRecord.h"

QR_IMPLEMENT_RTTI(QrDisplay, QrObject)
QR_IMPLEMENT_CREATE(QrDisplay)

namespace
{
// The order in which a new frame puts every type back to its default.
constexpr uint32_t kDefaultStateOrder[] = {
    QrProperty::kAlpha,        QrProperty::kAudio,       QrProperty::kCorrection,  QrProperty::kFog,
    QrProperty::kMaterial,     QrProperty::kShade,       QrProperty::kTextureMode, QrProperty::kTexture,
    QrProperty::kMultiTexture, QrProperty::kTransparent, QrProperty::kWireframe,   QrProperty::kZBuffer,
    QrProperty::kDither,       QrProperty::kVertexColor, QrProperty::kSpecular,
};

// The order in which a renderer is brought to the defaults from scratch (audio is never sent).
constexpr uint32_t kAllDefaultsOrder[] = {
    QrProperty::kAlpha,     QrProperty::kCorrection,   QrProperty::kFog,         QrProperty::kMaterial,
    QrProperty::kShade,     QrProperty::kTextureMode,  QrProperty::kTexture,     QrProperty::kTransparent,
    QrProperty::kWireframe, QrProperty::kDither,       QrProperty::kVertexColor, QrProperty::kSpecular,
    QrProperty::kZBuffer,   QrProperty::kMultiTexture,
};
} // namespace

QrDisplay::QrDisplay() = default;

QrDisplay::~QrDisplay()
{
    // The property caches go before the renderer that received them.
    for (uint32_t t = 0; t < kTypeCount; ++t)
    {
        m_current[t] = nullptr;
        m_lastSent[t] = nullptr;
    }
    m_renderer = nullptr;
}

// --- renderer

void QrDisplay::SetRenderer(QrRender* renderer)
{
    if (renderer)
    {
        m_renderer = renderer;
        ResetStateCache();
        SendAllDefaults();
        for (uint32_t& count : m_overrideCount)
            count = 0;
        return;
    }
    m_renderer = nullptr;
    // The stack is abandoned: its lights are no longer held by it.
    for (int32_t i = 0; i <= m_lightTop; ++i)
    {
        if (m_lights[i] && m_lights[i]->m_useCount > 0)
            --m_lights[i]->m_useCount;
        m_lights[i] = nullptr;
    }
    m_lightTop = -1;
    m_lightOverflow = 0;
    ResetStateCache();
}

void QrDisplay::ResetStateCache()
{
    for (uint32_t t = 0; t < kTypeCount; ++t)
    {
        QrProperty* fallback = QrProperty::GetDefault(t);
        m_lastSent[t] = fallback;
        m_current[t] = fallback;
    }
}

void QrDisplay::SendAllDefaults()
{
    if (!m_renderer)
        return;
    for (uint32_t t : kAllDefaultsOrder)
        SendProperty(t, QrProperty::GetDefault(t));
}

// --- frame

void QrDisplay::ApplyDefaultState()
{
    if (!m_renderer)
        return;
    m_renderer->BeginFrame();
    for (uint32_t t : kDefaultStateOrder)
    {
        QrProperty* fallback = QrProperty::GetDefault(t);
        if (m_lastSent[t] == fallback)
            continue;
        m_lastSent[t] = fallback;
        SendProperty(t, fallback);
    }
}

void QrDisplay::EndFrame()
{
    if (m_renderer)
        m_renderer->EndFrame();
}

void QrDisplay::DisplayFrame()
{
    if (m_renderer)
        m_renderer->DisplayFrame();
}

void QrDisplay::ClearBuffer(const QrRect* rect, uint32_t flags)
{
    if (m_renderer)
        m_renderer->ClearBuffer(rect, flags);
}

uint32_t QrDisplay::GetWidth() const
{
    return m_renderer ? m_renderer->GetBufferWidth() : 0;
}

uint32_t QrDisplay::GetHeight() const
{
    return m_renderer ? m_renderer->GetBufferHeight() : 0;
}

// --- sending

void QrDisplay::SendProperty(uint32_t type, QrProperty* property)
{
    QrRender* renderer = m_renderer.Get();
    if (!renderer || !property)
        return;
    switch (type)
    {
    case QrProperty::kAlpha:
        if (auto* alpha = QrDynamicCast<QrAlphaProperty>(property))
            renderer->SetAlphaBlending(alpha->m_enabled, alpha->m_source, alpha->m_destination);
        break;
    case QrProperty::kCorrection:
        if (auto* correction = QrDynamicCast<QrCorrectionProperty>(property))
            renderer->SetCorrection(correction->m_enabled);
        break;
    case QrProperty::kFog:
        if (auto* fog = QrDynamicCast<QrFogProperty>(property))
        {
            // The renderer gets a copy: it must not see later edits through the pointer.
            const QrPoint3 color = fog->m_color;
            renderer->SetFog(fog->m_enabled, fog->m_depth, fog->m_mode, color);
        }
        break;
    case QrProperty::kMaterial:
        if (auto* material = QrDynamicCast<QrMaterialProperty>(property))
        {
            // The renderer converts a material again only when its revision moved.
            if (material->m_changed)
            {
                material->m_changed = 0;
                ++material->m_revision;
            }
            renderer->SetMaterial(material);
        }
        break;
    case QrProperty::kShade:
        if (auto* shade = QrDynamicCast<QrShadeProperty>(property))
            renderer->SetShade(shade->m_smooth);
        break;
    case QrProperty::kTextureMode:
        if (auto* mode = QrDynamicCast<QrTextureModeProperty>(property))
        {
            renderer->SetTextureApplyMode(mode->m_applyMode);
            renderer->SetTextureFilterMode(mode->m_filterMode);
            renderer->SetTextureClampMode(mode->m_clampMode);
        }
        break;
    case QrProperty::kTexture:
        SendTexture(property);
        break;
    case QrProperty::kTransparent:
        if (auto* transparent = QrDynamicCast<QrTransparentProperty>(property))
        {
            renderer->SetTransparent(transparent->m_enabled);
            renderer->SetTransparentValue(transparent->m_value);
        }
        break;
    case QrProperty::kWireframe:
        if (auto* wireframe = QrDynamicCast<QrWireframeProperty>(property))
            renderer->SetWireframe(wireframe->m_enabled);
        break;
    case QrProperty::kZBuffer:
        if (auto* zbuffer = QrDynamicCast<QrZBufferProperty>(property))
        {
            renderer->SetZBufferTest(zbuffer->m_test);
            renderer->SetZBufferWrite(zbuffer->m_write);
        }
        break;
    case QrProperty::kDither:
        if (auto* dither = QrDynamicCast<QrDitherProperty>(property))
            renderer->SetDither(dither->m_enabled);
        break;
    case QrProperty::kVertexColor:
        if (auto* vertexColor = QrDynamicCast<QrVertexColorProperty>(property))
            renderer->SetVertexColorMode(vertexColor->m_mode);
        break;
    case QrProperty::kSpecular:
        if (auto* specular = QrDynamicCast<QrSpecularProperty>(property))
            renderer->SetSpecular(specular->m_enabled);
        break;
    case QrProperty::kMultiTexture:
        SendMultiTexture(property);
        break;
    default:
        // Audio state is kept but never sent.
        break;
    }
}

bool QrDisplay::SendTexture(QrProperty* property)
{
    // No image (index -1, or an empty entry at the index) draws untextured; an empty entry must
    // not leave the previous object's texture bound.
    auto* texture = QrDynamicCast<QrTextureProperty>(property);
    const QrPointer<QrImage> image = texture ? texture->GetCurrentImage() : nullptr;
    m_renderer->SetTexture(image.Get());
    return image.Get() != nullptr;
}

bool QrDisplay::SendMultiTexture(QrProperty* property)
{
    auto* multi = QrDynamicCast<QrMultiTextureProperty>(property);
    if (!multi || multi->GetNonNullImageCount() == 0)
    {
        m_renderer->SetMultiTexture(nullptr, nullptr, nullptr, nullptr);
        return false;
    }
    m_multiImages.clear();
    for (uint32_t i = 0; i < multi->GetImageCount(); ++i)
        m_multiImages.push_back(multi->GetImage(i).Get());
    m_renderer->SetMultiTexture(m_multiImages.data(), multi->GetApplyModes(), multi->GetClampModes(),
                                multi->GetFilterModes());
    return true;
}

bool QrDisplay::Record(uint32_t type)
{
    if (m_current[type] == m_lastSent[type])
        return false;
    m_lastSent[type] = m_current[type];
    return true;
}

void QrDisplay::SendIfChanged(uint32_t type)
{
    if (Record(type))
        SendProperty(type, m_current[type].Get());
}

void QrDisplay::ApplyCurrentState()
{
    if (!m_renderer)
        return;
    SendIfChanged(QrProperty::kTextureMode);
    SendIfChanged(QrProperty::kVertexColor);
    // Transparent and correction matter only to a bound texture, so they travel with one.
    if (Record(QrProperty::kTexture) && SendTexture(m_current[QrProperty::kTexture].Get()))
    {
        SendIfChanged(QrProperty::kTransparent);
        SendIfChanged(QrProperty::kCorrection);
    }
    if (Record(QrProperty::kMultiTexture) && SendMultiTexture(m_current[QrProperty::kMultiTexture].Get()))
    {
        SendIfChanged(QrProperty::kTransparent);
        SendIfChanged(QrProperty::kCorrection);
    }
    SendIfChanged(QrProperty::kFog);
    SendIfChanged(QrProperty::kShade);
    SendIfChanged(QrProperty::kSpecular);
    SendIfChanged(QrProperty::kWireframe);
    SendIfChanged(QrProperty::kZBuffer);
    SendIfChanged(QrProperty::kMaterial);
    SendIfChanged(QrProperty::kAlpha);
    SendIfChanged(QrProperty::kDither);
}

// --- traversal state

void QrDisplay::PushProperties(QrPointerList<QrProperty>& list)
{
    list.ForEachSlot(
        [this](QrPointer<QrProperty>& entry)
        {
            const uint32_t t = entry->Type();
            if (t >= kTypeCount || !m_current[t])
                return;
            if (m_current[t]->m_override)
            {
                // The overriding property stays for the whole subtree; the pop undoes this by count.
                ++m_overrideCount[t];
                return;
            }
            // The list node keeps the displaced property until the pop.
            std::swap(entry, m_current[t]);
            m_overrideCount[t] = 0;
        });
}

void QrDisplay::PopProperties(QrPointerList<QrProperty>& list)
{
    list.ForEachSlot(
        [this](QrPointer<QrProperty>& entry)
        {
            const uint32_t t = entry->Type();
            if (t >= kTypeCount || !m_current[t])
                return;
            if (m_current[t]->m_override && m_overrideCount[t] > 0)
            {
                --m_overrideCount[t];
                return;
            }
            std::swap(entry, m_current[t]);
        });
}

void QrDisplay::PushLight(QrLight* light)
{
    if (!light)
        return;
    if (m_lightOverflow)
    {
        ++m_lightOverflow;
        return;
    }
    // The renderer refreshes its copy of the light when the revision moves.
    if (light->m_changed)
    {
        light->m_changed = 0;
        ++light->m_revision;
    }
    if (light->m_useCount == 0 && m_renderer)
        m_renderer->UpdateLight(light, 1);
    m_lights[++m_lightTop] = light;
    ++light->m_useCount;
    if (m_lightTop == kMaxLights - 1)
        m_lightOverflow = 1;
}

void QrDisplay::PopLight()
{
    if (m_lightOverflow)
    {
        const uint32_t was = m_lightOverflow--;
        if (was > 1)
            return;
    }
    // A pop without a push must not reach below the stack.
    if (m_lightTop < 0)
        return;
    QrLight* light = m_lights[m_lightTop];
    m_lights[m_lightTop--] = nullptr;
    if (!light)
        return;
    if (light->m_useCount > 0)
        --light->m_useCount;
    if (light->m_useCount == 0 && m_renderer)
        m_renderer->UpdateLight(light, 0);
}

void QrDisplay::UpdateLights(QrLight* const* lights, int32_t top, uint32_t enable)
{
    if (!m_renderer || !lights)
        return;
    for (int32_t i = 0; i <= top; ++i)
        if (lights[i])
            m_renderer->UpdateLight(lights[i], enable);
}

void QrDisplay::DrawWithState(QrCamera* camera, QrAVObject* object, QrAVInstance* instance,
                              QrProperty* const* properties, int32_t lightTop, QrLight* const* lights)
{
    if (!object)
        return;
    if (!lights || lightTop < -1)
        lightTop = -1;
    if (lightTop > kMaxLights - 1)
        lightTop = kMaxLights - 1;

    // The record's lights replace the display's for this one draw.
    QrLight* savedLights[kMaxLights] = {};
    const int32_t savedTop = m_lightTop;
    const uint32_t savedOverflow = m_lightOverflow;
    for (int32_t i = 0; i < kMaxLights; ++i)
    {
        savedLights[i] = m_lights[i];
        m_lights[i] = i <= lightTop ? lights[i] : nullptr;
    }
    m_lightTop = lightTop;
    // A full stack must swallow pushes as the live one would.
    m_lightOverflow = lightTop == kMaxLights - 1 ? 1 : 0;
    UpdateLights(savedLights, savedTop, 0);
    UpdateLights(m_lights, m_lightTop, 1);

    QrPointer<QrProperty> savedCurrent[kTypeCount];
    uint32_t savedCounts[kTypeCount];
    for (uint32_t t = 0; t < kTypeCount; ++t)
    {
        savedCurrent[t] = std::move(m_current[t]);
        QrProperty* captured = properties ? properties[t] : nullptr;
        m_current[t] = captured ? captured : QrProperty::GetDefault(t);
        savedCounts[t] = m_overrideCount[t];
    }

    object->Display(camera, nullptr, instance);

    for (uint32_t t = 0; t < kTypeCount; ++t)
    {
        m_overrideCount[t] = savedCounts[t];
        m_current[t] = std::move(savedCurrent[t]);
    }
    QrLight* recordLights[kMaxLights] = {};
    for (int32_t i = 0; i <= lightTop; ++i)
        recordLights[i] = lights[i];
    for (int32_t i = 0; i < kMaxLights; ++i)
        m_lights[i] = savedLights[i];
    m_lightTop = savedTop;
    m_lightOverflow = savedOverflow;
    UpdateLights(recordLights, lightTop, 0);
    UpdateLights(m_lights, m_lightTop, 1);
}

void QrDisplay::DrawWithRecordState(QrCamera* camera, QrSortedDrawRecord* record)
{
    if (record)
        DrawWithState(camera, record->m_geometry.Get(), record->m_instance, record->m_properties, record->m_lightTop,
                      record->m_lights);
}

void QrDisplay::GetCurrentProperties(QrProperty** out) const
{
    for (uint32_t t = 0; t < kTypeCount; ++t)
        out[t] = m_current[t].Get();
}

void QrDisplay::ReleaseAudio()
{
    if (!m_audio)
        return;
    QrRSXAudioManager::ReleaseInterface(m_audio);
    m_audio = nullptr;
}
