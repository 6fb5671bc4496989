#pragma once
// The chat panel (18): a one-line field, Send and Close, and the names of the session's
// players. A sent line goes to every player and shows in the main window's text lines. In a
// network game the panel is raised over the current screen (tovChatPanel.h).

#include "tovShellIFace.h"

#include "Font.h"
#include "tovNetAllowance.h"

#include <array>
#include <cstdint>
#include <memory>

class qrxFloatingText;
class qrxTextEditor;

class tovChatIFace : public tovShellIFace
{
public:
    static constexpr int32_t kSendButton = 1;
    static constexpr int32_t kCloseButton = 2;
    static constexpr int32_t kMaxLine = 30;
    static constexpr int32_t kNameLines = 5;
    static constexpr int32_t kNameStep = 14;
    static constexpr int32_t kTournamentSetupScreen = tovAppServices::kSetUpId;

    tovChatIFace();
    ~tovChatIFace() override;
    // The one instance, or null.
    static tovChatIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Enter sends the line and asks to close.
    bool OnEditorMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // Sends a non-empty line to everyone, empties the field and, with close, asks to close. A line
    // past the player's share of the link (four a second) is neither sent nor shown: it stays in
    // the field, and the panel stays up, for the player to send a moment later.
    void Send(bool close);
    // The key that raised the panel types nothing: its character, when it comes before any
    // other key, is not taken.
    void SkipRaisingKey(uint32_t key) { m_raisingKey = key; }
    bool IsCloseRequested() const { return m_closeRequested; }
    int32_t GetOriginX() const { return m_originX; }
    int32_t GetOriginY() const { return m_originY; }
    qrxTextEditor* GetEditor() const { return m_editor.get(); }
    // The tops of the name lines the last update drew.
    int32_t GetDrawnNameCount() const { return m_drawnNames; }
    int32_t GetNameTop(int32_t line) const { return m_nameTops[static_cast<size_t>(line)]; }

private:
    void DrawNames();

    std::unique_ptr<plat::Font> m_textFont;
    std::unique_ptr<plat::Font> m_nameFont;
    std::unique_ptr<qrxTextEditor> m_editor;
    std::array<std::unique_ptr<qrxFloatingText>, kNameLines> m_names;
    std::array<int32_t, kNameLines> m_nameTops{};
    int32_t m_drawnNames = 0;
    int32_t m_originX = 50;
    int32_t m_originY = 0;
    bool m_closeRequested = false;
    uint32_t m_raisingKey = 0;
    // The host relays no more of this player's lines a second than this share lets through.
    tovNetAllowance m_share;
};
