#include "tovNotBuiltIFace.h"

#include "ButtonObj.h"
#include "qrxClock.h"
#include "qrxFloatingText.h"
#include "tovMessageBox.h"
#include "tovSoundSettings.h"

#include "KeyNumbers.h"

#include "QrPoint3.h"
#include "QrRender.h"

#include "Font.h"

#include <utility>

namespace
{
constexpr int32_t kMainMenuScreen = 8;
} // namespace

tovNotBuiltIFace::tovNotBuiltIFace(int32_t id, std::string name) : m_id(id), m_name(std::move(name)) {}

tovNotBuiltIFace::~tovNotBuiltIFace() = default;

std::string tovNotBuiltIFace::GetText() const
{
    return "The " + m_name + " screen (" + std::to_string(m_id) +
           ") is not built yet. Click, or press Space or Escape, to go back.";
}

void tovNotBuiltIFace::Prepare(int32_t) {}

void tovNotBuiltIFace::Enter(int32_t previousId)
{
    // Going back to itself would never end.
    m_returnScreen = previousId > 0 && previousId != m_id ? previousId : kMainMenuScreen;
    m_nextScreen = 0;
    m_starting = true;
    m_deadline = UINT32_MAX;
    // Made on the first visit: most stand-ins are never shown.
    if (!m_font)
        m_font = plat::Font::Create("Verdana", 20, 400);
    if (m_font)
        m_floatingText = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
    ShowAppCursor(true);
}

void tovNotBuiltIFace::Leave(int32_t)
{
    m_floatingText.reset();
}

void tovNotBuiltIFace::Exit(int32_t)
{
    m_nextScreen = 0;
}

void tovNotBuiltIFace::PreUpdate(float)
{
    if (WasKeyPressed(plat::kKeySpace) || WasKeyPressed(plat::kKeyEscape))
        GoBack();
}

int32_t tovNotBuiltIFace::Update(float now, float elapsed)
{
    const uint32_t nowMs = GetTimeMs();
    if (m_starting)
    {
        m_starting = false;
        m_deadline = nowMs + kTimeoutMs;
    }
    if (QrRender* renderer = Renderer())
    {
        renderer->SetBackgroundColor(QrPoint3(0.09f, 0.31f, 0.38f));
        renderer->ClearBuffer(nullptr, 1);
        if (m_floatingText)
            m_floatingText->DrawBoxedText(120, 180, 520, 300, GetText().c_str(), nullptr);
    }
    if ((ButtonObj::GetButtonsActive() && WasButtonPressed(0)) || nowMs > m_deadline)
        GoBack();
    UpdateMessageScreen(now, elapsed);
    Present();
    return m_nextScreen;
}

void tovNotBuiltIFace::GoBack()
{
    m_nextScreen = m_returnScreen;
}
