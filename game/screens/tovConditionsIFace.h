#pragma once
// The fishing conditions (screen 7): the day's sky, wind, temperatures and water clarity,
// starting at random (kept over a look at the help picture) and stepped with arrows.
// Accepting builds the day's weather from them, hands it to the fishing world's sky and starts
// the day.

#include "tovShellIFace.h"

#include "QrPointer.h"

#include <array>
#include <cstdint>

class tovWeather;

class tovConditionsIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kBack = 1,
        kAccept = 2,
    };
    struct Values
    {
        int32_t clarity = 0;   // 0..3
        int32_t sky = 0;       // 0..4
        int32_t direction = 0; // 0..7
        int32_t water = 0;     // the lake's water bounds
        int32_t air = 0;       // the lake's air bounds
        int32_t wind = 0;      // 0..20
    };

    tovConditionsIFace();
    ~tovConditionsIFace() override;

    // The one instance, or null.
    static tovConditionsIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand under the last row, above Go Fish.
    plat::Rect PostedTextBand() const override { return {4, 390, 636, 430}; }
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    void OnAccept();

    const Values& GetValues() const { return m_values; }
    Values& GetValues() { return m_values; }
    tovWeather* GetWeather() const { return m_weather.Get(); }

private:
    // The lake's bounds must be read first.
    void DrawStartingValues();
    void AddArrows(int32_t id, int32_t y, int32_t& value, int32_t low, int32_t high);
    void DrawNumber(int32_t value, int32_t y);
    void DrawLoaded(uint32_t id, int32_t x, int32_t y);

    Values m_values;
    // The lake's temperature bounds, kept inside what two digits show.
    int32_t m_airLow = 60, m_airHigh = 90, m_waterLow = 60, m_waterHigh = 77;
    QrPointer<tovWeather> m_weather;
    // Digits, clarity, sky and wind direction: pictures 304..344.
    std::array<QrPointer<QrImage>, 41> m_pictures;
};
