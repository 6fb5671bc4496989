#include "tovSponsorPageIFace.h"

#include "tovInstallSettings.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"

#include "qrxBaseApp.h"

#include "WindowBackend.h"

namespace
{

tovSponsorPageIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 27;
constexpr uint32_t kFirstPicture = 5100;
constexpr uint32_t kClickSound = 6183;

constexpr const char* kPageFiles[tovSponsorPageIFace::kPageCount] = {
    "harrowlake.htm", "tarnline.htm",   "kettlebay.htm",  "ironreel.htm",  "mossback.htm",   "riverrun.htm",
    "stillwater.htm", "deepcove.htm",   "brightlure.htm", "pinecreek.htm", "stonebay.htm",   "bluegill.htm",
    "northwind.htm",  "silverline.htm", "redfin.htm",     "marshland.htm", "copperhook.htm", "eastshore.htm",
    "greenbank.htm",  "lakeside.htm",   "thetour.htm",
};

} // namespace

tovSponsorPageIFace::tovSponsorPageIFace()
{
    g_instance = this;
}

tovSponsorPageIFace::~tovSponsorPageIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovSponsorPageIFace* tovSponsorPageIFace::GetInstance()
{
    return g_instance;
}

const char* tovSponsorPageIFace::GetPageFile(int32_t pageIndex)
{
    return pageIndex >= 0 && pageIndex < kPageCount ? kPageFiles[pageIndex] : "";
}

void tovSponsorPageIFace::SetPageIndex(int32_t pageIndex)
{
    if (pageIndex >= 0 && pageIndex < kPageCount)
        m_pageIndex = pageIndex;
}

void tovSponsorPageIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovSponsorPageIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    AddButton(new tovShellButton(485, 432, 5121, 5122, kClickSound, [this] { Visit(); }), kVisit);
    AddButton(new tovShellButton(53, 441, 16, 15, kClickSound, [this] { m_nextScreen = tovAppServices::kMainMenuId; }),
              kBack);
    m_background = Picture(kFirstPicture + static_cast<uint32_t>(m_pageIndex));
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
}

void tovSponsorPageIFace::Visit()
{
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    plat::WindowBackend* window = app ? app->GetWindow() : nullptr;
    if (!window)
        return;
    const std::string path = DataRootPath(GetPageFile(m_pageIndex));
    // Minimised only once the page is open: a failed open would leave nothing on the screen.
    if (window->OpenWithDesktop(path))
        window->Minimize();
}
