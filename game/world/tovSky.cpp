#include "tovSky.h"

#include "qrxSkyDome.h"
#include "tovLake.h"
#include "tovWaterEffects.h"
#include "tovWeather.h"

#include "tovAppServices.h"
#include "tovInstallSettings.h"
#include "tovUserProfile.h"

#include "qrxAmbientSound.h"
#include "qrxAnimatedTextureProperty.h"
#include "qrxAssetCache.h"
#include "qrxIdleManager.h"

#include "Format.h"
#include "QrFogProperty.h"
#include "QrRender.h"
#include "QrTextureProperty.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kDomeRadius[tovSky::kDomeCount] = {1800.0f, 1700.0f};
constexpr float kDomeScaleFactor = 0.01f;
constexpr float kDomeHeight = 2.5f;
// Sky colours of the states, as 0..255 components.
constexpr float kStateColours[tovSky::kStateCount][3] = {
    {4, 102, 135}, {216, 237, 243}, {4, 102, 135}, {216, 237, 243}, {216, 237, 243}, {81, 81, 81},
};
const QrPoint3 kBelowWaterColour(55.0f / 255.0f, 47.0f / 255.0f, 39.0f / 255.0f);
// Seen from under the surface the lake is murky green rather than the dark brown of the sky's
// murk: the fish and the bottom must show through it.
const QrPoint3 kLakeWaterColour(62.0f / 255.0f, 94.0f / 255.0f, 70.0f / 255.0f);

// A weather value that is still unset (the marker is negative) reads as none of it.
float Known(float value)
{
    return value > 0.0f ? value : 0.0f;
}

float Limit01(float value)
{
    return value > 0.0f ? std::min(value, 1.0f) : 0.0f;
}

int DetailLevel()
{
    return int(15.0f * TheUserProfile().GetDetail());
}

} // namespace

const char* const tovSky::kPictures[kStateCount] = {
    "skyClearSunrise.bmp", "skyClearNice2.bmp", "skyClearSunrise.bmp",
    "sky_nice.bmp",        "sky_nice.bmp",      "skyOvercast.bmp",
};

tovSky::Choice tovSky::ChooseSkyStates(float c)
{
    // Not a number reads as a clear sky.
    if (!(c > 0.0f))
        return {1, 1, 1.0f, 1.0f};
    if (c >= 1.0f)
        return {5, 5, 1.0f, 0.6f};
    if (c < 1.0f / 6.0f)
        return {1, 3, 6.0f * c, 1.0f};
    if (c < 1.0f / 3.0f)
        return {3, 4, 6.0f * (c - 1.0f / 6.0f), 1.0f};
    if (c < 0.5f)
        return {4, 5, 6.0f * (c - 1.0f / 3.0f), 1.0f};
    return {5, 5, 1.0f, 1.0f - 1.2f * (c - 0.5f)};
}

QrPoint3 tovSky::GetStateColour(int32_t state)
{
    if (state < 0 || state >= kStateCount)
        return QrPoint3(0.0f, 0.0f, 0.0f);
    const float* c = kStateColours[state];
    return QrPoint3(c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f);
}

tovSky::tovSky(qrxIdleManager* idleManager) : m_idleManager(idleManager)
{
    m_allowed.fill(-1);
    // The holder of the weather registers it, so that a swap cannot leave a stale entry.
    SetWeather(new tovWeather);
}

tovSky::~tovSky()
{
    Release();
}

void tovSky::Release()
{
    for (QrPointer<qrxSkyDome>& dome : m_domes)
        dome = nullptr;
    m_domeStates = {kNoState, kNoState};
    for (QrPointer<QrTextureProperty>& texture : m_textures)
        texture = nullptr;
    m_fog = nullptr;
    m_renderer = nullptr;
    m_underwater = nullptr;
    DropWeather();
    m_lake = nullptr;
}

void tovSky::DropWeather()
{
    if (!m_weather)
        return;
    tovWeather* weather = m_weather;
    m_weather = nullptr;
    // Someone else may still hold it: it must not go on being stepped for this sky.
    if (m_idleManager)
        m_idleManager->Remove(weather);
    weather->DecRefCount();
}

void tovSky::SetWeather(tovWeather* weather)
{
    if (weather == m_weather)
        return;
    // Counted before the old one goes, in case the old one is all that keeps it alive.
    if (weather)
        weather->IncRefCount();
    DropWeather();
    m_weather = weather;
    if (m_weather && m_idleManager)
        m_idleManager->Add(m_weather);
}

void tovSky::CreateFog()
{
    m_fog = new QrFogProperty;
    m_fog->m_override = 1;
    const int level = DetailLevel();
    const bool low = level < 2 || (GetAppServices().IsSoftwareRendering() && level < 4);
    m_fog->m_enabled = low ? 0 : 1;
    m_fog->m_depth = 0.0f;
    m_fog->m_mode = 1;
    m_fog->m_color = QrPoint3(127.0f / 255.0f, 127.0f / 255.0f, 127.0f / 255.0f);
}

void tovSky::LoadTextures()
{
    for (int state = 0; state < kStateCount; ++state)
        if (!m_textures[state])
            m_textures[state] = qrxAssetCache::Get().Load(DataFilePath(kPictures[state]).c_str(), 0);
}

void tovSky::CreateDomes()
{
    LoadTextures();
    for (int slot = 0; slot < kDomeCount; ++slot)
    {
        if (m_domes[slot])
            continue;
        QrPointer<qrxSkyDome> dome(new qrxSkyDome(kDomeRadius[slot]));
        dome->SetScaleFactor(kDomeScaleFactor);
        dome->SetFirstProperty(nullptr);
        dome->SetSecondProperty(nullptr);
        dome->SetBlend(0.0f);
        dome->SetAlpha(1.0f);
        dome->SetTranslate(0.0f, -kDomeHeight, 0.0f);
        m_domes[slot] = dome;
        m_domeStates[slot] = kNoState;
    }
}

void tovSky::SetDetail(float detail)
{
    m_detail = Limit01(detail);
}

void tovSky::SetRenderer(QrRender* renderer)
{
    m_renderer = renderer;
}

void tovSky::SetAmbientSound(qrxAmbientSound* server)
{
    m_ambient = server;
    if (m_ambient)
        StartWeatherSound();
}

void tovSky::SetLake(tovLake* lake)
{
    m_lake = lake;
    Update();
}

void tovSky::SetUnderwaterTexture(qrxAnimatedTextureProperty* texture)
{
    m_underwater = texture;
}

void tovSky::SetAboveWater(bool above)
{
    m_above = above ? 1 : 0;
    for (QrPointer<qrxSkyDome>& dome : m_domes)
        if (dome)
        {
            dome->SetAppCulled(0);
            dome->SetTranslate(0.0f, above ? -kDomeHeight : kDomeHeight, 0.0f);
        }
    UpdateFog();
    UpdateAmbientChannels();
}

void tovSky::Update()
{
    if (!m_weather)
        return;
    BlendByCloud();
    UpdateFog();
    UpdateWater();
    UpdateAmbientChannels();
}

QrFogProperty* tovSky::GetFogProperty() const
{
    return m_fog.Get();
}

QrPointer<qrxSkyDome> tovSky::GetDome(int i) const
{
    if (i < 0 || i >= kDomeCount)
        return nullptr;
    return m_domes[i];
}

QrTextureProperty* tovSky::GetTexture(int state) const
{
    return state >= 0 && state < kStateCount ? m_textures[state].Get() : nullptr;
}

int32_t tovSky::GetDomeState(int i) const
{
    return i >= 0 && i < kDomeCount ? m_domeStates[i] : kNoState;
}

// --- blending

void tovSky::ShowState(int slot, int32_t state)
{
    m_domeStates[slot] = state;
    if (m_domes[slot])
        m_domes[slot]->SetFirstProperty(GetTexture(state));
}

void tovSky::BlendByCloud()
{
    const float cloud = m_weather->GetCloud();
    const Choice choice = ChooseSkyStates(cloud);
    int i = -1, j = -1;
    for (int slot = kDomeCount - 1; slot >= 0; --slot)
    {
        if (m_domeStates[slot] == choice.source)
            i = slot;
        if (m_domeStates[slot] == choice.destination)
            j = slot;
    }
    if (i < 0 && j < 0)
    {
        i = 0;
        j = 1;
        ShowState(i, choice.source);
        ShowState(j, choice.destination);
    }
    else if (i < 0)
    {
        i = 1 - j;
        ShowState(i, choice.source);
    }
    else if (j < 0)
    {
        j = 1 - i;
        ShowState(j, choice.destination);
    }

    m_sourceDome = i;
    m_destinationDome = j;
    if (i != j)
    {
        SetDomeAlphas(choice.mix);
        if (m_domes[i])
            m_domes[i]->SetBrightness(choice.brightness);
    }
    else
    {
        m_sourceAlpha = 0.0f;
        m_destinationAlpha = 1.0f;
        if (m_domes[1 - j])
            m_domes[1 - j]->SetAlpha(0.0f);
        if (m_domes[j])
            m_domes[j]->SetAlpha(1.0f);
    }
    if (m_domes[j])
        m_domes[j]->SetBrightness(choice.brightness);

    m_density = cloud;
    m_brightness = choice.brightness;
    m_mix = choice.mix;
    m_sourceState = choice.source;
    m_destinationState = choice.destination;
}

void tovSky::SetDomeAlphas(float mix)
{
    // The inner dome always fades from the source picture to the destination picture.
    if (m_destinationDome > m_sourceDome)
    {
        m_sourceAlpha = 1.0f;
        m_destinationAlpha = Limit01(mix);
    }
    else
    {
        m_sourceAlpha = Limit01(1.0f - mix);
        m_destinationAlpha = 1.0f;
    }
    if (m_domes[m_sourceDome])
        m_domes[m_sourceDome]->SetAlpha(m_sourceAlpha);
    if (m_domes[m_destinationDome])
        m_domes[m_destinationDome]->SetAlpha(m_destinationAlpha);
}

QrPoint3 tovSky::GetLightColour() const
{
    if (!m_above)
        return kBelowWaterColour;
    QrPoint3 colour = GetStateColour(m_sourceState);
    if (m_sourceDome != m_destinationDome)
        colour = colour * (1.0f - m_mix) + GetStateColour(m_destinationState) * m_mix;
    const float fog = m_weather ? m_weather->GetFog() : 0.0f;
    if (fog >= 0.7f)
    {
        const float t = (fog - 0.7f) * 3.3333333f;
        colour = colour * (1.0f - t) + kBelowWaterColour * t;
    }
    return colour * m_brightness;
}

void tovSky::UpdateFog()
{
    if (!m_fogEnabled || !m_fog || !m_weather)
        return;
    m_blendColour = GetLightColour();
    m_fog->m_color = m_blendColour;
    if (m_above)
    {
        m_fog->m_depth = std::max(0.0f, Known(m_weather->GetFog()) * 1.5999999f + 0.2f);
        if (m_renderer)
            m_renderer->SetBackgroundColor(m_blendColour);
    }
    else
    {
        m_blendColour = kLakeWaterColour;
        m_fog->m_color = m_blendColour;
        // A depth past 1 starts the fog behind the eye: the surface just overhead is fogged as
        // well as the far bottom.
        m_fog->m_depth = std::max(0.0f, 2.0f * Known(m_weather->GetClarity()) + 1.5f);
        if (m_renderer)
            m_renderer->SetBackgroundColor(kLakeWaterColour);
    }
}

// --- water

float tovSky::Wave() const
{
    return Known(m_weather->GetWave());
}

void tovSky::UpdateWater()
{
    if (!m_waterEffects)
        return;
    const float period = 2.1f - Wave() * 0.39999986f;
    if (m_water)
    {
        if (DetailLevel() < 2)
            m_water->SetActive(false);
        else
        {
            m_water->SetActive(true);
            m_water->SetWaveScale((Wave() * 0.40000004f + 0.2f) * 0.01f);
            m_water->SetWavePeriod(std::max(0.1f, period));
        }
    }
    qrxAnimatedTextureProperty* surface = m_water ? m_water->GetAnimatedTexture() : nullptr;
    const bool animate = m_detail >= 0.3f;
    if (m_underwater)
    {
        m_underwater->SetRunning(animate ? 1 : 0);
        if (animate)
            m_underwater->SetCycleTime(period);
    }
    if (surface)
    {
        surface->SetRunning(animate ? 1 : 0);
        if (animate)
            surface->SetCycleTime(0.2f * period);
    }
}

// --- status

std::string tovSky::GetStatusText(int line) const
{
    switch (line)
    {
    case 0:
        return plat::Format("E(Brightness) : %.4f", double(m_brightness));
    case 1:
        return plat::Format("E(Density) : %.4f", double(m_density));
    case 2:
        return plat::Format("E(SMix) : %.4f", double(m_sourceAlpha));
    case 3:
        return plat::Format("E(DMix) : %.4f", double(m_destinationAlpha));
    case 4:
        return plat::Format("E(SSkyDomeIndex) : %d", m_sourceDome);
    case 5:
        return plat::Format("E(DSkyDomeIndex) : %d", m_destinationDome);
    case 6:
        return plat::Format("E(STextureIndex) : %d", m_sourceState);
    case 7:
        return plat::Format("E(DTextureIndex) : %d", m_destinationState);
    case 8:
        return plat::Format("Blending Color) : (%.2f,%.2f,%.2f)", double(m_blendColour.x), double(m_blendColour.y),
                            double(m_blendColour.z));
    default:
        return plat::Format("ERROR : %d", line);
    }
}
