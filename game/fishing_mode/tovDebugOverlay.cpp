#include "tovDebugOverlay.h"

#include "tovBoat.h"
#include "tovCastController.h"
#include "tovFishModels.h"
#include "tovFishingWorld.h"
#include "tovLake.h"
#include "tovSky.h"
#include "tovWake.h"
#include "tovWeather.h"

#include "qrxAmbientSound.h"
#include "qrxFloatingText.h"

#include "Font.h"

#include <cstdio>

namespace
{

const char* const kTitles[tovDebugOverlay::kPageCount] = {"Weather",  "Sky",           "Stern wake",
                                                          "Bow wake", "Ambient sound", "Fishing"};

template <typename Source, typename Text> void Append(std::vector<std::string>& lines, const Source& source, Text text)
{
    for (int i = 0; i < source.GetStatusLineCount(); ++i)
        lines.push_back((source.*text)(i));
}

void AppendFishing(std::vector<std::string>& lines, const tovDebugOverlay::Sources& s)
{
    char text[160];
    std::snprintf(text, sizeof text, "FPS : %d", s.framesPerSecond);
    lines.push_back(text);
    tovFishingWorld* world = s.world && s.world->IsBuilt() ? s.world : nullptr;
    std::snprintf(text, sizeof text, "Camera : %d", world ? world->GetCameraMode() : -1);
    lines.push_back(text);
    tovLake* lake = world ? world->GetLake() : nullptr;
    std::snprintf(text, sizeof text, "Sector : %d", lake ? lake->GetCurrentSector() : -1);
    lines.push_back(text);
    tovFishModels* fish = world ? world->GetFish() : nullptr;
    std::snprintf(text, sizeof text, "Fish : %d active %d", fish ? fish->GetPopulation().GetCount() : 0,
                  fish ? fish->GetShownCount() : 0);
    lines.push_back(text);
    const tovFishPopulation* population = fish ? &fish->GetPopulation() : nullptr;
    const float stamina = population && population->GetHookedFish() >= 0 ? population->GetFight().GetStamina() : 0.0f;
    std::snprintf(text, sizeof text, "Tension : %.2f Drag : %.2f Stamina : %.2f",
                  static_cast<double>(s.cast ? s.cast->GetLineTension() : 0.0f),
                  static_cast<double>(s.cast ? s.cast->GetDragPounds() : 0.0f), static_cast<double>(stamina));
    lines.push_back(text);
}

} // namespace

tovDebugOverlay::tovDebugOverlay() : m_font(plat::Font::Create("Verdana", 12, 400))
{
    if (m_font)
    {
        m_text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 240, 120));
        m_shadow = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(40, 40, 40));
    }
}

tovDebugOverlay::~tovDebugOverlay() = default;

void tovDebugOverlay::NextPage()
{
    m_page = m_page + 1 >= kPageCount ? kHidden : static_cast<Page>(m_page + 1);
}

std::vector<std::string> tovDebugOverlay::Lines(Page page, const Sources& s)
{
    std::vector<std::string> lines;
    if (page < 0 || page >= kPageCount)
        return lines;
    char title[64];
    std::snprintf(title, sizeof title, "%d/%d %s", page + 1, static_cast<int>(kPageCount), kTitles[page]);
    lines.push_back(title);
    tovFishingWorld* world = s.world && s.world->IsBuilt() ? s.world : nullptr;
    tovSky* sky = world ? world->GetSky() : nullptr;
    tovBoat* boat = world ? world->GetPlayerBoat() : nullptr;
    switch (page)
    {
    case kWeather:
        if (const tovWeather* weather = sky ? sky->GetWeather() : nullptr)
            Append(lines, *weather, &tovWeather::DebugDump);
        break;
    case kSky:
        if (sky)
            Append(lines, *sky, &tovSky::GetStatusText);
        break;
    case kSternWake:
    case kBowWake:
        if (const tovWake* wake = boat ? boat->GetWake(page == kSternWake ? 0 : 1) : nullptr)
            Append(lines, *wake, &tovWake::DebugDump);
        break;
    case kAmbient:
        if (s.ambient)
            Append(lines, *s.ambient, &qrxAmbientSound::GetStatusText);
        break;
    default:
        AppendFishing(lines, s);
        break;
    }
    return lines;
}

void tovDebugOverlay::Draw(const Sources& sources)
{
    if (m_page == kHidden || !m_text)
        return;
    const std::vector<std::string> lines = Lines(m_page, sources);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const int32_t y = kTop + kLineHeight * static_cast<int32_t>(i);
        // A dark shadow keeps the lines readable over clouds and glare.
        m_shadow->DrawText(kLeft + 1, y + 1, lines[i].c_str(), nullptr);
        m_text->DrawText(kLeft, y, lines[i].c_str(), nullptr);
    }
}
