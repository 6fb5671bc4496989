#pragma once
// Screen 3: the local angler's livewell, one row per kept fish with a 3D view of the chosen
// one. The only place a kept fish goes back to the lake; play goes on only with five fish or
// fewer. Reached from the fishing screen and the weigh-in, it returns where it came from;
// for the weigh-in it hands back the place of the fish to weigh.

#include "tovLivewell.h"
#include "tovLivewellFishView.h"
#include "tovShellIFace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat
{
class Font;
}
class qrxFloatingText;
class tovAnglerRig;

class tovLivewellIFace : public tovShellIFace
{
public:
    static constexpr int32_t kScreenId = 3;
    static constexpr int32_t kWeighInScreen = tovAppServices::kWeighInId;
    static constexpr int32_t kReleaseButton = 1;
    static constexpr int32_t kDoneButton = 3;
    static constexpr int32_t kFirstRowButton = 5;

    tovLivewellIFace();
    ~tovLivewellIFace() override;

    static tovLivewellIFace* GetInstance();

    // "N lb. N oz., N inch Species", or without the weight in tournament and season modes.
    static std::string FormatRow(const tovLivewellFish& fish, int32_t mode);
    static std::string FormatQuestion(const tovLivewellFish& fish, int32_t mode);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand right of Release: the fish view and its rows stay clear.
    plat::Rect PostedTextBand() const override { return {272, 436, 636, 476}; }
    // Only the buttons of the input list hear the mouse.
    void HandleMouse(QrRender* renderer) override;
    // Called to the scale, Escape is the done button: the weigh-in goes on only with a fish.
    // The application asks only for an Escape no box or chat panel took.
    bool AllowsEscape() override;
    bool KeepsEscape() const override { return m_returnScreen == kWeighInScreen; }

    void SelectRow(int32_t row);
    void ConfirmRelease();
    void Done();

    int32_t GetSelectedRow() const { return m_selectedRow; }
    int32_t GetFishCount() const { return m_fishCount; }
    const std::string& GetHeader() const { return m_header; }
    const std::vector<int32_t>& GetInputList() const { return m_inputList; }
    const tovLivewell& GetCopy() const { return m_copy; }
    tovLivewellFishView& GetFishView() { return m_fishView; }

private:
    static bool OnReleaseAnswer(int32_t answer, uintptr_t self);
    static tovAnglerRig* CurrentRig();
    // The raw place of the row-th occupied place of the copy, or -1.
    int32_t PlaceOfRow(int32_t row) const;
    void Release();
    // At a network weigh-in only a sixth fish may go back: the others are on every board.
    bool MayRelease() const;
    void UpdateReleaseButton();
    void CopyLivewell();
    void NameHeader();
    int32_t Mode() const;
    void StartSound(bool on);

    std::vector<int32_t> m_inputList;
    // Escape was pressed at the scale since the last frame.
    bool m_escapePressed = false;
    int32_t m_fishCount = 0;
    int32_t m_selectedRow = -1;
    tovLivewell m_copy;
    std::unique_ptr<plat::Font> m_font;
    std::array<std::unique_ptr<qrxFloatingText>, tovLivewell::kPlaceCount> m_rowTexts;
    std::unique_ptr<qrxFloatingText> m_headerText;
    QrPoint3 m_savedBackground;
    bool m_haveSavedBackground = false;
    tovLivewellFishView m_fishView;
    std::string m_header;
    std::array<QrPointer<QrImage>, tovLivewell::kPlaceCount> m_rowImages;
};
