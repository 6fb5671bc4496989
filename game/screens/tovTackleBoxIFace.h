#pragma once
// The tackle box (screen 9): seven rod set-ups on two pages of one screen. The rod page edits
// line and gear and shows the lure; the lure page edits family, item, colour, option and
// add-on. It edits the program's tackle set and returns where it was entered from.

#include "tovShellIFace.h"
#include "tovTackleSet.h"

#include <cstdint>
#include <map>

class tovShellButton;

class tovTackleBoxIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kFirstRodTab = 1,
        kToLurePage = 16,
        kCancel = 17,
        kConfirm = 18,
        kFirstFamily = 19,
        kColourDown = 29,
        kColourUp = 30,
        kOptionOff = 31,
        kOptionOn = 32,
        kAddOnDown = 33,
        kAddOnUp = 34,
        kConfirmLure = 35,
        kCancelLure = 36,
        kGearView0 = 37,
        kGearView1 = 38,
    };

    tovTackleBoxIFace();
    ~tovTackleBoxIFace() override;

    // The one instance, or null.
    static tovTackleBoxIFace* GetInstance();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand above OK, under the arrows of both pages.
    plat::Rect PostedTextBand() const override { return {4, 412, 636, 432}; }
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }
    void HandleMouse(QrRender* renderer) override;

    void SelectRod(int32_t rod);
    void SelectLureFamily(int32_t family);
    void SetLureOption(int32_t button);
    void SetGearView(int32_t view);

    bool IsRodPage() const { return m_rodPage; }

    // The record rules of the arrows, on any record (values off their tables restart them).
    static void StepGear(tovTackleSet::RodSet& rod, int32_t step);
    static void StepPoundTest(tovTackleSet::RodSet& rod, int32_t step);
    static void StepLineKind(tovTackleSet::RodSet& rod, int32_t step);
    static void StepLineColour(tovTackleSet::RodSet& rod, int32_t step);
    static void StepItem(tovTackleSet::RodSet& rod, int32_t step);
    static void StepColour(tovTackleSet::RodSet& rod, int32_t step);
    static void StepAddOn(tovTackleSet::RodSet& rod, int32_t step);
    static void ResetLineChoice(tovTackleSet::RodSet& rod);

private:
    tovTackleSet::RodSet& Rod();
    void AddButtons();
    void AddArrow(int32_t id, int32_t x, int32_t y, bool right, void (*rule)(tovTackleSet::RodSet&, int32_t));
    void Enable(int32_t id, bool on);
    void Light(int32_t id, bool on);
    void OpenLurePage();
    void ConfirmLurePage();
    void CancelLurePage();
    void ConfirmScreen();
    void CancelScreen();
    void DrawRodPage();
    void DrawLurePage();
    // Cached by id until the screen is left; null for ids the pack lacks.
    QrImage* Cached(uint32_t id);
    void Draw(uint32_t id, int32_t x, int32_t y);

    bool m_rodPage = true;
    int32_t m_lastOption = kOptionOff;
    tovTackleSet::RodSet m_copy{};
    std::map<uint32_t, QrPointer<QrImage>> m_pictures;
};
