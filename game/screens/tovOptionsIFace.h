#pragma once
// The options (screen 11): six rows of settings with decrease and increase buttons, of which
// the two sound volumes (heard at once) and the detail level (after a restart) are live. OK
// stores them in the profile; Cancel puts the volumes back as they were on entry.

#include "tovShellIFace.h"

#include <array>
#include <cstdint>

class tovOptionsIFace : public tovShellIFace
{
public:
    enum ButtonId : int32_t
    {
        kCancel = 13,
        kOk = 14,
    };
    static constexpr int32_t kLevels = 15;

    tovOptionsIFace();
    ~tovOptionsIFace() override;

    // The one instance, or null.
    static tovOptionsIFace* GetInstance();

    // The bar level of a volume 0..1: 0..14, or -1 for none.
    static int32_t VolumeLevel(float volume);
    // Detail value 0..1 and level -1..14 into each other.
    static int32_t DetailLevel(float value);
    static float DetailValue(int32_t level);

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand under the last row, above OK.
    plat::Rect PostedTextBand() const override { return {4, 392, 636, 432}; }
    // On the road from a network join to the first day.
    bool OnRoadToFirstDay() const override { return true; }

    int32_t GetVolume2Level() const { return m_volume2Level; }
    int32_t GetVolume1Level() const { return m_volume1Level; }
    int32_t GetDetailLevel() const { return m_detailLevel; }
    int32_t GetDayLength() const { return m_dayLength; }
    int32_t GetTournamentLength() const { return m_tournamentLength; }
    bool GetEffectSounds() const { return m_effectSounds != 0; }

private:
    void AddButtons();
    void StepVolume(int32_t& level, int32_t steps, void (*step)(int32_t));
    void Cancel();
    void Apply();

    int32_t m_volume2Level = -1;
    int32_t m_volume1Level = -1;
    int32_t m_detailLevel = -1;
    int32_t m_dayLength = 0;
    int32_t m_tournamentLength = 0;
    uint8_t m_effectSounds = 1;
    float m_entryVolume1 = 0.0f;
    float m_entryVolume2 = 0.0f;
    float m_pendingDetail = 0.0f;
    bool m_noticeShown = false;
    std::array<QrPointer<QrImage>, kLevels> m_bars;
};
