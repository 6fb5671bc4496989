#pragma once
// The game-mode selection (screen 1): quick fish, practice, tournament or season, the skill
// level as three toggles, and back to the main menu. The chosen skill toggle is remembered
// across visits and applied to the session on every enter. In a network session SEASON is greyed,
// and a new game while the network game runs asks to leave it first.

#include "tovNetFacade.h"
#include "tovShellIFace.h"

#include <cstdint>

class tovShellButton;

class tovGameSelectIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kQuickFish = 0,
        kPractice = 2,
        kTournament = 3,
        kSeason = 4,
        kNovice = 5,
        kWeekEnd = 6,
        kPro = 7,
        kBack = 8,
    };

    tovGameSelectIFace();
    ~tovGameSelectIFace() override;

    // The one instance, or null.
    static tovGameSelectIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand under the mode buttons, above Back.
    plat::Rect PostedTextBand() const override { return {4, 390, 636, 430}; }
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    // Marks skill toggle 5, 6 or 7 alone as selected and gives the session its skill level.
    void SelectSkill(int32_t buttonId);
    int32_t GetSelectedSkill() const { return m_skillButton; }

private:
    tovShellButton* AddModeButton(int32_t id, int32_t y, uint32_t normal, uint32_t highlight);
    // Asks first while a network game is under way; the answer yes leaves it and starts the mode.
    void ChooseMode(int32_t id);
    void StartMode(int32_t id);

    int32_t m_skillButton = kNovice;
    tovLeaveFirst m_leaveFirst;
};
