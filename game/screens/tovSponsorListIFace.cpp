#include "tovSponsorListIFace.h"

#include "tovShellButton.h"
#include "tovSoundSettings.h"
#include "tovSponsorPageIFace.h"

namespace
{

tovSponsorListIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 28;
constexpr uint32_t kBackground = 5000;
constexpr uint32_t kClickSound = 6183;
constexpr int32_t kPageScreen = 17;

struct PageButton
{
    int32_t id; // page index + 1
    int32_t x, y;
    uint32_t hover, pressed;
};

constexpr PageButton kPageButtons[] = {
    {9, 74, 13, 5030, 5009},    {1, 74, 53, 5022, 5001},    {5, 74, 93, 5026, 5005},    {6, 74, 133, 5027, 5006},
    {4, 74, 173, 5025, 5004},   {12, 74, 213, 5033, 5012},  {2, 74, 253, 5023, 5002},   {3, 74, 293, 5024, 5003},
    {11, 74, 333, 5032, 5011},  {15, 74, 373, 5036, 5016},  {16, 353, 13, 5037, 5017},  {18, 353, 53, 5039, 5019},
    {8, 353, 93, 5029, 5008},   {20, 353, 133, 5041, 5021}, {19, 353, 173, 5040, 5020}, {13, 353, 213, 5034, 5013},
    {7, 353, 253, 5028, 5007},  {10, 353, 293, 5031, 5010}, {17, 353, 333, 5038, 5018}, {14, 353, 373, 5035, 5014},
    {21, 486, 373, 5042, 5015},
};
static_assert(std::size(kPageButtons) == tovSponsorPageIFace::kPageCount);

} // namespace

tovSponsorListIFace::tovSponsorListIFace()
{
    g_instance = this;
}

tovSponsorListIFace::~tovSponsorListIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovSponsorListIFace* tovSponsorListIFace::GetInstance()
{
    return g_instance;
}

void tovSponsorListIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovSponsorListIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    for (const PageButton& b : kPageButtons)
        AddButton(new tovShellButton(b.x, b.y, b.hover, b.pressed, kClickSound, [this, b] { OpenPage(b.id - 1); }),
                  b.id);
    AddButton(new tovShellButton(53, 441, 16, 15, kClickSound, [this] { m_nextScreen = tovAppServices::kMainMenuId; }),
              kBackButton);
    m_background = Picture(kBackground);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
}

void tovSponsorListIFace::OpenPage(int32_t pageIndex)
{
    if (tovSponsorPageIFace* page = tovSponsorPageIFace::GetInstance())
        page->SetPageIndex(pageIndex);
    m_nextScreen = kPageScreen;
}
