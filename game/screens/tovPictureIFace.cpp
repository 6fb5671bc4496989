#include "tovPictureIFace.h"

#include "qrxBaseApp.h"
#include "tovShellButton.h"
#include "tovSoundSettings.h"

namespace
{

tovPictureIFace* g_instance = nullptr;

constexpr uint32_t kGroup = 34;
constexpr uint32_t kPicture = 10000;
constexpr uint32_t kClickSound = 6183;

} // namespace

tovPictureIFace::tovPictureIFace()
{
    g_instance = this;
}

tovPictureIFace::~tovPictureIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovPictureIFace* tovPictureIFace::GetInstance()
{
    return g_instance;
}

void tovPictureIFace::Prepare(int32_t)
{
    LoadGroup(kGroup);
}

void tovPictureIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    const qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    const qrxInterface* from = app != nullptr ? app->GetInterface(previousId) : nullptr;
    m_escapeIsBack = from != nullptr && from->KeepsEscape();
    AddButton(new tovShellButton(53, 441, 16, 15, kClickSound, [this] { m_nextScreen = m_returnScreen; }), 1);
    m_background = Picture(kPicture);
    m_nextScreen = 0;
    ShowAppCursor(true);
    UnloadGroup(kGroup);
}

bool tovPictureIFace::AllowsEscape()
{
    if (!m_escapeIsBack)
        return true;
    m_nextScreen = m_returnScreen;
    return false;
}
