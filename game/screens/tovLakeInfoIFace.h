#pragma once
// The lake information page (screen 23): the fishing day's weather in words and numbers, as it
// was when the page was entered. Back leads to the fishing screen.

#include "tovShellIFace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace plat
{
class Font;
}
class qrxFloatingText;
class tovWeather;

class tovLakeInfoIFace : public tovShellIFace
{
public:
    enum Field : int32_t
    {
        kSky,
        kWindDirection,
        kWind,
        kAirTemperature,
        kWaterTemperature,
        kWaterClarity,
        kFieldCount,
    };
    using Fields = std::array<std::string, kFieldCount>;

    tovLakeInfoIFace();
    ~tovLakeInfoIFace() override;

    // The one instance, or null.
    static tovLakeInfoIFace* GetInstance();

    // The six texts for a weather; the fixed defaults without one.
    static Fields DescribeWeather(const tovWeather* weather);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand under the last row, above Back.
    plat::Rect PostedTextBand() const override { return {4, 372, 636, 432}; }

    const Fields& GetFields() const { return m_fields; }

private:
    std::unique_ptr<plat::Font> m_font;
    std::array<std::unique_ptr<qrxFloatingText>, kFieldCount> m_texts;
    Fields m_fields;
};
