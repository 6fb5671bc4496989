#include "qrxTextEditor.h"

#include "qrxBaseApp.h"
#include "qrxInterface.h"

#include "QrRender.h"

#include "WindowMessage.h"

namespace
{
qrxTextEditor* g_focused = nullptr;

} // namespace

bool qrxTextEditor::IsTypeable(uintptr_t ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' ';
}

qrxTextEditor::qrxTextEditor(const plat::Font* font, plat::ColorRef color, int32_t x, int32_t y)
    : m_x(x), m_y(y), m_floatingText(font, color)
{
}

qrxTextEditor::~qrxTextEditor()
{
    KillFocus();
}

void qrxTextEditor::SetFocus()
{
    g_focused = this;
}

void qrxTextEditor::KillFocus()
{
    if (g_focused == this)
        g_focused = nullptr;
}

bool qrxTextEditor::HasFocus() const
{
    return g_focused == this;
}

qrxTextEditor* qrxTextEditor::GetFocusedEditor()
{
    return g_focused;
}

void qrxTextEditor::SetText(const char* text)
{
    m_text = text ? text : "";
}

void qrxTextEditor::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (m_hook && m_hook->OnEditorMessage(message, wParam, lParam))
        return;
    if (message == plat::kMsgChar)
    {
        // At the maximum the text is full: the fields it fills hold no more.
        const bool full = m_maxLength >= 0 && m_text.size() >= static_cast<size_t>(m_maxLength);
        if (m_typeable && m_typeable(wParam) && !full)
            m_text.push_back(static_cast<char>(wParam));
    }
    else if (message == plat::kMsgKeyDown && (wParam == plat::kVkBack || wParam == plat::kVkDelete))
    {
        if (!m_text.empty())
            m_text.pop_back();
    }
}

bool qrxTextEditor::Draw()
{
    plat::Rect extent;
    m_floatingText.DrawText(m_x, m_y, m_text.c_str(), &extent);
    qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    QrRender* renderer = GetRenderer();
    if (HasFocus() && app && app->m_spareImage && renderer)
        renderer->BlitImage(app->m_spareImage.Get(), nullptr, extent.right, extent.bottom, 0);
    return true;
}
