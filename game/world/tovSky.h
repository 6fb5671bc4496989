#pragma once
// Turns the day's weather into what the player sees and hears: two sky domes cross-fading
// between the sky pictures by the cloud cover, the fog and the renderer's background colour,
// the pace of the water and its textures, and the weather channels of the ambient sound.
// Built and stepped by the fishing world. It holds its weather counted (the one it makes, or
// one handed over by the conditions screen); every other reader reaches it through
// GetWeather.

#include "QrPoint3.h"
#include "QrPointer.h"

#include <array>
#include <cstdint>
#include <string>

class QrFogProperty;
class QrRender;
class QrTextureProperty;
class qrxAmbientSound;
class qrxAnimatedTextureProperty;
class qrxIdleManager;
class qrxSkyDome;
class tovLake;
class tovWaterEffects;
class tovWeather;

class tovSky
{
public:
    static constexpr int kStateCount = 6;
    static constexpr int32_t kNoState = 7;
    static constexpr int kDomeCount = 2;
    static constexpr int kStatusLineCount = 9;

    // The sky pictures, one per sky state (data-folder file names).
    static const char* const kPictures[kStateCount];
    // What a choice of sky states for a cloud cover gives.
    struct Choice
    {
        int32_t source;
        int32_t destination;
        float mix;
        float brightness;
    };
    static Choice ChooseSkyStates(float cloud);
    // Colour of a sky state, components 0 to 1.
    static QrPoint3 GetStateColour(int32_t state);

    // idleManager: the fishing world's, which steps the weather. The sky keeps whichever
    // weather it holds on it, its own from the start (nobody else adds it), and must outlive
    // the sky. May be null (tests).
    explicit tovSky(qrxIdleManager* idleManager = nullptr);
    ~tovSky();
    tovSky(const tovSky&) = delete;
    tovSky& operator=(const tovSky&) = delete;

    // Lets go of everything it holds; the sky then has no weather.
    void Release();
    void CreateFog();
    void CreateDomes();
    void LoadTextures();

    void SetDetail(float detail);
    void SetRenderer(QrRender* renderer);
    // Configures the weather channels once.
    void SetAmbientSound(qrxAmbientSound* server);
    void SetLake(tovLake* lake);
    // The lake's animated underwater texture, paced like the water surface.
    void SetUnderwaterTexture(qrxAnimatedTextureProperty* texture);
    void SetWater(tovWaterEffects* water) { m_water = water; }
    void EnableFog(bool on) { m_fogEnabled = on; }
    void EnableWaterEffects(bool on) { m_waterEffects = on; }
    void EnableAmbientSwitching(bool on) { m_ambientSwitching = on; }
    // Takes a counted reference to the weather and lets go of the old one (off the idle
    // manager too); null leaves the sky without a weather.
    void SetWeather(tovWeather* weather);
    void SetAboveWater(bool above);

    // Once a frame: blend by cloud, then fog, water and ambient channels.
    void Update();

    tovWeather* GetWeather() const { return m_weather; }
    QrFogProperty* GetFogProperty() const;
    // Dome 0 (outer) or 1 (inner); null otherwise.
    QrPointer<qrxSkyDome> GetDome(int i) const;
    QrTextureProperty* GetTexture(int state) const;
    // The state a dome shows; kNoState for none.
    int32_t GetDomeState(int i) const;
    QrPoint3 GetLightColour() const;
    const QrPoint3& GetBlendingColour() const { return m_blendColour; }
    bool IsAboveWater() const { return m_above != 0; }

    int GetStatusLineCount() const { return kStatusLineCount; }
    std::string GetStatusText(int line) const;

private:
    void DropWeather();
    void BlendByCloud();
    void ShowState(int slot, int32_t state);
    void SetDomeAlphas(float mix);
    void UpdateFog();
    void UpdateWater();
    void StartWeatherSound();
    void UpdateAmbientChannels();
    void SwitchChannelsForWater(bool above);
    void AllowChannel(int channel, bool on, bool letFinish);
    float Wave() const;

    qrxIdleManager* m_idleManager = nullptr;
    float m_detail = 1.0f;
    QrPointer<QrRender> m_renderer;
    uint8_t m_above = 1;
    // The above-water state the ambient channels were last switched for; -1 before the first
    // update, so that update switches for whichever side it finds.
    int8_t m_ambientAbove = -1;
    QrPointer<tovLake> m_lake;
    // Counted by hand: the weather is not an engine object.
    tovWeather* m_weather = nullptr;
    QrPointer<QrFogProperty> m_fog;
    uint8_t m_fogEnabled = 1;
    std::array<QrPointer<qrxSkyDome>, kDomeCount> m_domes;
    std::array<int32_t, kDomeCount> m_domeStates{kNoState, kNoState};
    tovWaterEffects* m_water = nullptr;
    uint8_t m_waterEffects = 1;
    QrPointer<qrxAnimatedTextureProperty> m_underwater;
    std::array<QrPointer<QrTextureProperty>, kStateCount> m_textures;
    int32_t m_ambientSwitching = 0;
    qrxAmbientSound* m_ambient = nullptr;
    // What this sky last allowed on each ambient channel (-1: not yet): allowing a channel
    // again would restart its pause, so only changes reach the server.
    std::array<int8_t, 13> m_allowed;

    float m_density = 0.0f;
    float m_brightness = 1.0f;
    float m_mix = 1.0f;
    float m_sourceAlpha = 0.0f;
    float m_destinationAlpha = 1.0f;
    int32_t m_destinationDome = 0;
    int32_t m_destinationState = 1;
    int32_t m_sourceDome = 0;
    int32_t m_sourceState = 1;
    QrPoint3 m_blendColour;
};
