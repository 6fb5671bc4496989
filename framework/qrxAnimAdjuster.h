#pragma once
// Writes one set of timing settings into every key-framed animation node of a subtree (the
// fish, angler and boat models loop or clamp their clips this way). Callers set the settings,
// then Apply.

#include "qrxGraphWalker.h"

#include <cstdint>

class qrxAnimAdjuster : public qrxGraphWalker
{
public:
    bool Visit(QrObject* object) override;

    void Apply(QrObject* root);

    // Written in this order after the cycle type; the running flag follows the cycle type
    // (set for loop, cleared for reverse and clamp).
    uint32_t m_cycleType = 1;
    float m_pendingTime = 0.0f;
    uint8_t m_updateWorld = 1;
    float m_phase = 0.0f;
    float m_frequency = 1.0f;
    float m_beginTime = 0.0f;
};
