#include "tovChatIFace.h"

#include "Clock.h"
#include "WindowMessage.h"
#include "qrxBaseApp.h"
#include "qrxFloatingText.h"
#include "qrxTextEditor.h"
#include "tovNetFacade.h"
#include "tovNetRelayFilter.h"
#include "tovShellButton.h"

namespace
{

tovChatIFace* g_chat = nullptr;

constexpr uint32_t kPanel = 49;
constexpr uint32_t kCloseNormal = 50;
constexpr uint32_t kCloseLit = 51;
constexpr uint32_t kSendNormal = 52;
constexpr uint32_t kSendLit = 53;
constexpr uint32_t kSendSound = 6188;
constexpr uint32_t kCloseSound = 6183;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr size_t kNameChars = 32;

plat::ColorRef White()
{
    return plat::MakeColorRef(kWhite & 0xFF, (kWhite >> 8) & 0xFF, (kWhite >> 16) & 0xFF);
}

} // namespace

tovChatIFace::tovChatIFace()
    : m_textFont(plat::Font::Create("Verdana", 22, 400)), m_nameFont(plat::Font::Create("Verdana", 12, 400))
{
    g_chat = this;
}

tovChatIFace::~tovChatIFace()
{
    if (g_chat == this)
        g_chat = nullptr;
}

tovChatIFace* tovChatIFace::GetInstance()
{
    return g_chat;
}

void tovChatIFace::Prepare(int32_t) {}

void tovChatIFace::Enter(int32_t)
{
    m_closeRequested = false;
    m_raisingKey = 0;
    const qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    const bool overSetup = app && app->GetCurrentScreenId() == kTournamentSetupScreen;
    m_originX = overSetup ? 70 : 50;
    m_originY = overSetup ? 304 : 0;
    AddButton(
        new tovShellButton(m_originX + 464, m_originY + 10, kSendNormal, kSendLit, kSendSound, [this] { Send(false); }),
        kSendButton);
    AddButton(new tovShellButton(m_originX + 464, m_originY + 55, kCloseNormal, kCloseLit, kCloseSound,
                                 [this] { m_closeRequested = true; }),
              kCloseButton);
    m_background = Picture(kPanel);
    m_editor = std::make_unique<qrxTextEditor>(m_textFont.get(), White(), m_originX + 16, m_originY + 24);
    m_editor->m_maxLength = kMaxLine;
    m_editor->m_hook = this;
    m_editor->SetFocus();
    for (auto& line : m_names)
        line = std::make_unique<qrxFloatingText>(m_nameFont.get(), White());
    m_drawnNames = 0;
}

void tovChatIFace::Leave(int32_t)
{
    m_background = nullptr;
    ClearButtons();
    m_editor.reset();
    for (auto& line : m_names)
        line.reset();
}

void tovChatIFace::Exit(int32_t)
{
    if (m_editor)
        m_editor->KillFocus();
}

int32_t tovChatIFace::Update(float, float)
{
    if (!CanDraw())
        return 0;
    DrawPicture(m_background.Get(), m_originX, m_originY);
    DrawButtons();
    if (m_editor)
        m_editor->Draw();
    DrawNames();
    return 0;
}

void tovChatIFace::DrawNames()
{
    int32_t top = m_originY + 10;
    m_drawnNames = 0;
    for (int32_t slot = 0; slot < tovNetworkPlay::kMaxPlayers; ++slot)
    {
        char name[kNameChars];
        if (!NetGetPlayerName(slot, name, sizeof(name)))
            continue;
        qrxFloatingText* line = m_names[static_cast<size_t>(m_drawnNames)].get();
        if (line)
            line->DrawBoxedText(m_originX + 350, top, m_originX + 456, top + 14, name, nullptr);
        m_nameTops[static_cast<size_t>(m_drawnNames)] = top;
        ++m_drawnNames;
        top += kNameStep;
    }
}

bool tovChatIFace::OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t)
{
    const uint32_t raising = m_raisingKey;
    if (message == plat::kMsgKeyDown || message == plat::kMsgChar)
        m_raisingKey = 0;
    if (message == plat::kMsgChar && raising != 0 && (wParam | 0x20) == (raising | 0x20))
        return true;
    if (message != plat::kMsgChar || wParam != 13)
        return false;
    // The framework byte held while Enter is handled guards a re-entry that this single-threaded
    // message loop cannot make, so it is left out.
    Send(true);
    return true;
}

void tovChatIFace::Send(bool close)
{
    if (m_editor && !m_editor->GetText().empty())
    {
        // Shown here but held back by the host, the line would be one nobody else saw.
        if (m_share.Take(plat::GetTimeMs(), tovNetRelayFilter::kChatLinesPerSecond) != tovNetAllowance::Verdict::kPass)
            return;
        NetSendChatText(m_editor->GetText().c_str(), false, nullptr);
    }
    if (m_editor)
        m_editor->SetText("");
    if (close)
        m_closeRequested = true;
}
