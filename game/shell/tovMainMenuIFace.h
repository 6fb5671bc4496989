#pragma once
// The main menu (screen 8): options, quit (asked first), return to the running game, quick
// fish, and the roads to the game-mode, load and save screens, over the menu picture; it can
// also hold a video clip, which a click stops.

#include "tovNetFacade.h"
#include "tovShellIFace.h"

#include "AviObject.h"

#include <cstdint>

class tovMainMenuIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kOptions = 5,
        kQuit = 6,
        kReturn = 7,
        kQuickFish = 9,
        // Nothing else leads a player to these screens: the menu offers them.
        kPlayGame = 10,
        kLoadGame = 11,
        kSaveGame = 12,
    };

    tovMainMenuIFace();
    ~tovMainMenuIFace() override;

    // The one instance, or null.
    static tovMainMenuIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand on the water, between the upper buttons and Options.
    plat::Rect PostedTextBand() const override { return {4, 250, 636, 330}; }

    AviObject& GetVideo() { return m_video; }

private:
    void ReturnToGame();
    // Quick fish or load: asked first while a network game is under way, the answer yes
    // leaving it.
    void Choose(int32_t buttonId);
    void Go(int32_t buttonId);
    void QuickFish();
    static bool ConfirmQuit(int32_t answer, uintptr_t argument);

    AviObject m_video;
    tovLeaveFirst m_leaveFirst;
};
