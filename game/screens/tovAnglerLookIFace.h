#pragma once
// Screen 6: the angler's gender and three look values (the boat's paint scheme and two colour
// choices) over a turning preview of the boat with the angler in it. Links to the career
// record, the tackle box and the options; Done keeps the changes, Back puts back the values
// of entry. Every change is saved in the profile at once.

#include "tovAnglerLookPreview.h"
#include "tovShellIFace.h"

#include <cstdint>

class tovAnglerLookIFace : public tovShellIFace
{
public:
    static constexpr int32_t kScreenId = 6;
    static constexpr int32_t kMaleButton = 7;
    static constexpr int32_t kFemaleButton = 8;

    tovAnglerLookIFace();
    ~tovAnglerLookIFace() override;

    static tovAnglerLookIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand right of OK, under the look's arrows: the preview stays clear.
    plat::Rect PostedTextBand() const override { return {272, 444, 636, 476}; }
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    void SetGender(int32_t buttonId, bool forced);
    void Back();

    int32_t GetGenderButton() const { return m_genderButton; }
    tovAnglerLookPreview& GetPreview() { return m_preview; }

private:
    void AddButtons();
    void StepLook(int32_t look, int32_t delta);

    int32_t m_genderButton = kMaleButton;
    tovAnglerLookPreview m_preview;
    int32_t m_savedGender = 0;
    int32_t m_savedLooks[3] = {};
};
