#include "tovConditionsIFace.h"

#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovShellButton.h"
#include "tovSky.h"
#include "tovSoundSettings.h"
#include "tovWeather.h"
#include "tovWorldServices.h"

#include "uRandom.h"

#include <algorithm>

namespace
{

tovConditionsIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 10;
constexpr uint32_t kBackground = 345;
constexpr uint32_t kClarity = 328;
constexpr uint32_t kSky = 332;
constexpr uint32_t kDirection = 337;
constexpr uint32_t kUnits = 304;
constexpr uint32_t kTens = 314;
constexpr int32_t kFishingScreen = 2;
constexpr int32_t kDayStartScreen = 19;

// A draw from the shared generator in 0..count-1; 0 when there is nothing to choose.
int32_t Draw(int32_t count)
{
    const int32_t r = SharedRandom().next();
    return count > 0 ? (r % count + count) % count : 0;
}

int32_t Wrap(int32_t value, int32_t low, int32_t high)
{
    if (value < low)
        return high;
    if (value > high)
        return low;
    return value;
}

} // namespace

tovConditionsIFace::tovConditionsIFace()
{
    g_instance = this;
}

tovConditionsIFace::~tovConditionsIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovConditionsIFace* tovConditionsIFace::GetInstance()
{
    return g_instance;
}

void tovConditionsIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovConditionsIFace::AddArrows(int32_t id, int32_t y, int32_t& value, int32_t low, int32_t high)
{
    int32_t* v = &value;
    AddButton(new tovShellButton(463, y, 12, 11, 6184, [v, low, high] { *v = Wrap(*v - 1, low, high); }), id);
    AddButton(new tovShellButton(587, y, 14, 13, 6185, [v, low, high] { *v = Wrap(*v + 1, low, high); }), id + 1);
}

void tovConditionsIFace::Enter(int32_t previousId)
{
    // Lake packs are files: the bounds stay where two digits can show them.
    const tovLakeValues& lake = TheLakeCatalogue().GetValues();
    m_airLow = std::clamp(lake.pair1[0], 0, 99);
    m_airHigh = std::clamp(lake.pair1[1], m_airLow, 99);
    m_waterLow = std::clamp(lake.pair2[0], 0, 99);
    m_waterHigh = std::clamp(lake.pair2[1], m_waterLow, 99);
    // Back from the help picture the player's choices hold too: a look at the keys must not lose them.
    if (TakeWayBack(previousId))
        DrawStartingValues();
    AddButton(new tovShellButton(53, 441, 16, 15, 6188, [this] { GoBack(m_returnScreen); }), kBack);
    AddButton(new tovShellButton(156, 432, 21, 20, 6183, [this] { OnAccept(); }), kAccept);
    AddArrows(3, 77, m_values.sky, 0, 4);
    AddArrows(5, 131, m_values.direction, 0, 7);
    AddArrows(7, 185, m_values.wind, 0, 20);
    AddArrows(9, 239, m_values.air, m_airLow, m_airHigh);
    AddArrows(11, 293, m_values.water, m_waterLow, m_waterHigh);
    AddArrows(13, 347, m_values.clarity, 0, 3);
    for (size_t i = 0; i < m_pictures.size(); ++i)
        m_pictures[i] = Picture(kUnits + static_cast<uint32_t>(i));
    m_background = Picture(kBackground);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
}

void tovConditionsIFace::DrawStartingValues()
{
    m_values.water = m_waterLow + Draw(m_waterHigh - m_waterLow);
    m_values.air = m_airLow + Draw(m_airHigh - m_airLow);
    m_values.wind = Draw(20);
    m_values.clarity = Draw(4);
    m_values.sky = Draw(5);
    m_values.direction = Draw(8);
}

void tovConditionsIFace::OnAccept()
{
    tovGameSession* session = TheGameSession();
    const int32_t mode = session ? session->GetMode() : 0;
    if (mode == tovGameSession::kTournament)
        m_nextScreen = kDayStartScreen;
    else
    {
        m_nextScreen = kFishingScreen;
        if (session)
            session->StartGame(mode, true);
    }
    m_weather = new tovWeather(-1.0);
    tovWeather& w = *m_weather;
    w.SetAuto(false);
    w.SetAir(static_cast<float>(m_values.air));
    w.SetCloud(static_cast<float>(m_values.sky) * 0.2f);
    if (m_values.sky >= 3)
        w.SetFog(static_cast<float>(Draw(100)) * 0.01f);
    if (m_values.sky == 4)
        w.SetRain(static_cast<float>(Draw(100)) * 0.01f);
    w.SetClarity(static_cast<float>(m_values.clarity) * 0.25f + static_cast<float>(Draw(25)) * 0.01f);
    w.SetWater(m_values.water);
    w.SetWave(static_cast<float>(m_values.wind) * 0.05f);
    w.SetDirectionIndex(m_values.direction);
    w.SetWind(static_cast<float>(m_values.wind) * 0.05f);
    tovWorldServices* world = GetWorldServices();
    if (tovSky* sky = world ? world->GetSky() : nullptr)
        sky->SetWeather(m_weather.Get());
}

void tovConditionsIFace::Leave(int32_t)
{
    m_background = nullptr;
    for (auto& picture : m_pictures)
        picture = nullptr;
    ClearButtons();
}

void tovConditionsIFace::Exit(int32_t)
{
    m_nextScreen = 0;
    ShowAppCursor(false);
}

void tovConditionsIFace::DrawLoaded(uint32_t id, int32_t x, int32_t y)
{
    if (id >= kUnits && id - kUnits < m_pictures.size())
        DrawPicture(m_pictures[id - kUnits].Get(), x, y);
}

void tovConditionsIFace::DrawNumber(int32_t value, int32_t y)
{
    // Two digits: values past them draw nothing.
    if (value < 0 || value > 99)
        return;
    DrawLoaded(kTens + static_cast<uint32_t>(value / 10), 518, y);
    DrawLoaded(kUnits + static_cast<uint32_t>(value % 10), 533, y);
}

int32_t tovConditionsIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    DrawPicture(m_background.Get(), 0, 0);
    if (m_values.clarity >= 0 && m_values.clarity <= 3)
        DrawLoaded(kClarity + static_cast<uint32_t>(m_values.clarity), 485, 333);
    if (m_values.sky >= 0 && m_values.sky <= 4)
        DrawLoaded(kSky + static_cast<uint32_t>(m_values.sky), 485, 63);
    if (m_values.direction >= 0 && m_values.direction <= 7)
        DrawLoaded(kDirection + static_cast<uint32_t>(m_values.direction), 485, 117);
    DrawNumber(m_values.water, 301);
    DrawNumber(m_values.air, 247);
    DrawNumber(m_values.wind, 193);
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
