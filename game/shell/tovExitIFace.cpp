#include "tovExitIFace.h"

#include "qrxBaseApp.h"
#include "tovNetFacade.h"

#include "WindowBackend.h"
#include "WindowMessage.h"

namespace
{
tovExitIFace* g_instance = nullptr;
} // namespace

tovExitIFace::tovExitIFace() : tovSplashIFace({36, 10201, 20000, 0, false})
{
    g_instance = this;
}

tovExitIFace::~tovExitIFace()
{
    if (g_instance == this)
        g_instance = nullptr;
}

tovExitIFace* tovExitIFace::GetInstance()
{
    return g_instance;
}

void tovExitIFace::Enter(int32_t previousId)
{
    // Every road to the closing picture is a player who quits: the others hear it leave now, not
    // once the picture has run out and the program ends.
    NetCloseSession();
    tovSplashIFace::Enter(previousId);
    m_closing = false;
}

void tovExitIFace::Finish()
{
    // One request: the window goes when the queue is next read.
    if (m_closing)
        return;
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    if (!app || !app->GetWindow())
        return;
    m_closing = true;
    plat::WindowMessage message{};
    message.message = plat::kMsgDestroy;
    app->GetWindow()->PostMessage(std::move(message));
}
