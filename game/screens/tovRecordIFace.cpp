#include "tovRecordIFace.h"

#include "tovMessageBox.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"

#include "qrxFloatingText.h"

#include "Font.h"
#include "GccWarnings.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace
{

tovRecordIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 31;
constexpr uint32_t kBackground = 7200;
constexpr uint32_t kBackSound = 6188;
constexpr int32_t kAnglerLookScreen = 6;
constexpr int32_t kLineY[tovRecordIFace::kStatistics] = {105, 149, 195, 240, 285, 329, 375};

// A quotient that is 0 where nothing was counted; a profile may hold any values.
int32_t Average(int32_t sum, int32_t count)
{
    if (count == 0)
        return 0;
    const int64_t q = int64_t{sum} / int64_t{count};
    return static_cast<int32_t>(
        std::clamp<int64_t>(q, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

std::string PoundsOunces(int32_t ounces)
{
    return std::to_string(ounces / 16) + "-" + std::to_string(ounces % 16);
}

int32_t TruncOunces(float ounces)
{
    if (std::isnan(ounces))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(double(ounces)), -2147483648.0, 2147483647.0));
}

} // namespace

tovRecordIFace::tovRecordIFace() : m_font(plat::Font::Create("Verdana", 22, 400))
{
    g_instance = this;
}

tovRecordIFace::~tovRecordIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovRecordIFace* tovRecordIFace::GetInstance()
{
    return g_instance;
}

tovRecordIFace::Column tovRecordIFace::FormatRow(const tovUserProfile::CareerRow& row)
{
    using P = tovUserProfile;
    const int32_t games = row[P::kGamesStarted];
    const int32_t placeSum = row[P::kPlaceSum];
    const int32_t totalWeight = row[P::kTotalBassWeight];
    Column column;
    column[0] = std::to_string(row[P::kFirstPlaces]);
    column[1] = std::to_string(games);
    column[2] = std::to_string(row[P::kTopFives]);
    // No games counted gives 0, not a division by zero.
    column[3] = std::to_string(placeSum > 0 ? Average(placeSum, games) : 0);
    // GCC 12 takes the concatenation's copy for one past any object's size: it is not.
    QR_GCC_STRING_BOUNDS_OFF
    column[4] = "$" + std::to_string(row[P::kWinnings] / 1000) + " K";
    QR_GCC_STRING_BOUNDS_ON
    column[5] = PoundsOunces(TruncOunces(std::bit_cast<float>(row[P::kHeaviestBass])));
    column[6] = PoundsOunces(totalWeight != 0 ? Average(totalWeight, row[P::kBassCount]) : 0);
    return column;
}

std::string tovRecordIFace::FormatNameLine(const tovUserProfile& profile)
{
    return std::string(profile.GetName()) + ", " + profile.GetState() + ", " + profile.GetTown();
}

void tovRecordIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovRecordIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    AddButton(new tovShellButton(53, 441, 16, 15, kBackSound, [this] { m_nextScreen = kAnglerLookScreen; }), 1);
    m_background = Picture(kBackground);
    for (auto& text : m_texts)
        text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    const tovUserProfile& profile = TheUserProfile();
    for (int32_t k = 0; k < tovUserProfile::kCareerRows; ++k)
        m_columns[static_cast<size_t>(k)] = FormatRow(profile.GetCareer(k));
    m_nameLine = FormatNameLine(profile);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
}

void tovRecordIFace::Leave(int32_t)
{
    m_background = nullptr;
    for (auto& text : m_texts)
        text.reset();
    ClearButtons();
}

void tovRecordIFace::Exit(int32_t) {}

int32_t tovRecordIFace::Update(float now, float elapsed)
{
    if (!CanDraw())
        return m_nextScreen;
    DrawPicture(m_background.Get(), 0, 0);
    if (m_texts[0])
    {
        for (int32_t k = 0; k < tovUserProfile::kCareerRows; ++k)
        {
            const Column& column = m_columns[static_cast<size_t>(k)];
            for (int32_t line = 0; line < kStatistics; ++line)
                m_texts[static_cast<size_t>(line)]->DrawText(226 + 101 * k, kLineY[line],
                                                             column[static_cast<size_t>(line)].c_str(), nullptr);
        }
        m_texts[kStatistics]->DrawText(187, 21, m_nameLine.c_str(), nullptr);
    }
    DrawButtons();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}
