#include "tovLakeInfoIFace.h"

#include "tovMessageBox.h"
#include "tovShellButton.h"
#include "tovSky.h"
#include "tovSoundSettings.h"
#include "tovWeather.h"
#include "tovWorldServices.h"

#include "qrxFloatingText.h"

#include "Font.h"

#include <algorithm>
#include <cmath>

namespace
{

tovLakeInfoIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 35;
constexpr uint32_t kBackground = 10010;
constexpr uint32_t kClickSound = 6183;
constexpr int32_t kFishingScreen = 2;

constexpr const char* kSkyWords[] = {"Clear", "Partly Cloudy", "Mostly Cloudy", "Cloudy", "Raining", "Raining"};
constexpr const char* kDirectionWords[] = {"North", "North East", "East", "South East",
                                           "South", "South West", "West", "North West"};
constexpr const char* kClarityWords[] = {"Clear", "Cloudy", "Murky", "Muddy"};

// Classes past a table's end (a full cloud or clarity of 1.0) take its last word.
template <size_t N> const char* Word(const char* const (&words)[N], int32_t index)
{
    if (index < 0)
        return words[0];
    return words[std::min<size_t>(static_cast<size_t>(index), N - 1)];
}

// Truncates toward zero; out-of-range values stop at the int range.
int32_t Trunc(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

} // namespace

tovLakeInfoIFace::tovLakeInfoIFace() : m_font(plat::Font::Create("Verdana", 18, 400))
{
    g_instance = this;
}

tovLakeInfoIFace::~tovLakeInfoIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovLakeInfoIFace* tovLakeInfoIFace::GetInstance()
{
    return g_instance;
}

tovLakeInfoIFace::Fields tovLakeInfoIFace::DescribeWeather(const tovWeather* weather)
{
    if (!weather)
        return {"Clear", "North", "3", "70", "68", "Clear"};
    Fields fields;
    fields[kSky] = Word(kSkyWords, weather->GetCloudLevel(-1.0f));
    fields[kWindDirection] = Word(kDirectionWords, weather->GetDirectionIndex());
    fields[kWind] = std::to_string(Trunc(double(weather->GetWind()) * 100.0) / 5);
    fields[kAirTemperature] = std::to_string(Trunc(weather->GetAir()));
    fields[kWaterTemperature] = std::to_string(Trunc(weather->GetWater()));
    fields[kWaterClarity] = Word(kClarityWords, weather->GetClarityLevel());
    return fields;
}

void tovLakeInfoIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovLakeInfoIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    AddButton(new tovShellButton(53, 441, 16, 15, kClickSound, [this] { m_nextScreen = kFishingScreen; }), 1);
    m_background = Picture(kBackground);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
    for (auto& text : m_texts)
        text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    tovWorldServices* world = GetWorldServices();
    tovSky* sky = world ? world->GetSky() : nullptr;
    m_fields = DescribeWeather(sky ? sky->GetWeather() : nullptr);
}

void tovLakeInfoIFace::Leave(int32_t)
{
    m_background = nullptr;
    ClearButtons();
    for (auto& text : m_texts)
        text.reset();
}

void tovLakeInfoIFace::Exit(int32_t)
{
    m_nextScreen = 0;
    ShowAppCursor(false);
}

int32_t tovLakeInfoIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    DrawPicture(m_background.Get(), 0, 0);
    if (m_texts[0])
    {
        m_texts[kSky]->DrawBoxedText(371, 95, 548, 110, m_fields[kSky].c_str(), nullptr);
        m_texts[kWindDirection]->DrawBoxedText(371, 144, 548, 159, m_fields[kWindDirection].c_str(), nullptr);
        m_texts[kWind]->DrawBoxedText(371, 192, 548, 207, m_fields[kWind].c_str(), nullptr);
        m_texts[kWaterClarity]->DrawBoxedText(371, 336, 548, 351, m_fields[kWaterClarity].c_str(), nullptr);
        m_texts[kAirTemperature]->DrawText(445, 240, m_fields[kAirTemperature].c_str(), nullptr);
        m_texts[kWaterTemperature]->DrawText(445, 288, m_fields[kWaterTemperature].c_str(), nullptr);
    }
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
