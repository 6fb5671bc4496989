#pragma once
// The weigh-in's ports for a copy whose screens a test drives: the livewell the test fills,
// pounds a size draw, no sounds (every clip ends on a click) and no message boxes.

#include "tovWeighInPorts.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class TestWeighInPorts : public tovWeighInPorts
{
public:
    std::vector<int32_t> LivewellWeights() override { return m_livewell; }
    void ReleaseLivewellFish(int32_t ounces) override
    {
        const auto fish = std::find(m_livewell.begin(), m_livewell.end(), ounces);
        if (fish != m_livewell.end())
            m_livewell.erase(fish);
    }
    float FishSize(int32_t, float x, float, float, int32_t, float) override { return x * m_poundsPerDraw; }
    bool PlaySound(int32_t, bool, SoundEndCallback, uintptr_t) override { return false; }
    void StopSound(int32_t) override {}
    bool SetOpeningSound(bool, SoundEndCallback, uintptr_t) override { return false; }
    void SetLakeSounds(bool) override {}
    void ShowMessageBox(const char*, tovMessageCallback, uintptr_t) override {}

    std::vector<int32_t> m_livewell;
    float m_poundsPerDraw = 8.0f;
};
